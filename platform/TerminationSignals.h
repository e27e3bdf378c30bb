#pragma once

// SIGTERM and SIGINT as a Qt signal on the GUI thread. The handler only
// writes the signal's number into a pipe, which a socket notifier reads, so
// all the work of shutting down runs as ordinary event handling.
//
// The database client library installs handlers of its own for both signals
// when it first attaches (and would shut every attachment down on the
// signal); Reclaim puts this program's handlers back after each attachment.

#include <QObject>

class QSocketNotifier;

namespace qv {

class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    // Installs the handlers; one instance at a time.
    explicit TerminationSignals(QObject* parent = nullptr);
    // Puts back the handlers found when it was made.
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // Reinstalls the handlers where something else replaced them; does
    // nothing without an instance, or once a signal has been received (a
    // second one then ends the program at once).
    static void Reclaim();
    // Whether the handlers in force are this program's.
    static bool Installed();

signals:
    // SIGTERM or SIGINT arrived.
    void Received(int signal);

private:
    void ReadPipe();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace qv
