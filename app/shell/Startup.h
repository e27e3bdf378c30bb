#pragma once

// The program's start-up and shutdown order. Before it, the caller creates
// the application object and the registered-database list (TDBListScope);
// this creates the main window and then, in order, the data module, the tree
// window, the description window and the password prompt, and frees them all
// again before the list goes.

#include <QApplication>
#include <QStringList>

#include <memory>

#include "access/QvDatabase.h"

class TDM;
class TGetDBPasswd;
class TMainForm;
class TShowDesc;

// Gives the process a runtime folder before the application object asks for one.
struct TRuntimeFolderFirst
{
    TRuntimeFolderFirst();
};

// The application object: an exception that no handler caught gets the
// standard message box instead of ending the program.
class TQorvaneApplication : private TRuntimeFolderFirst, public QApplication
{
public:
    TQorvaneApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

class TQorvaneStartup
{
public:
    TQorvaneStartup();
    // Destroys the windows, the tree (which closes every connection) and the
    // data module; the registered databases are written by the list's end.
    ~TQorvaneStartup();
    TQorvaneStartup(const TQorvaneStartup&) = delete;
    TQorvaneStartup& operator=(const TQorvaneStartup&) = delete;

    // Shows the main window, whose first show lists the registered databases.
    void Show();

    // Runs the message loop until the main window has closed, or SIGTERM or
    // SIGINT arrives. On such a signal every loop ends (an open dialog as if
    // cancelled) and every open transaction of every connection is rolled
    // back, never committed without the user's word, before the windows go
    // and the connections close; the list's end then writes the registry.
    // Returns the loop's exit code, or 128 + the signal's number.
    int Exec();
    // The rollback a signal leads to: every active transaction of every
    // registered database's connection ends rolled back; nothing is raised.
    static void AbandonOpenWork() noexcept;

    // What was created, in order, for the record.
    const QStringList& Steps() const { return m_steps; }

private:
    std::unique_ptr<TMainForm> m_mainForm;
    std::unique_ptr<TDM> m_dm;
    std::unique_ptr<TShowDesc> m_showDesc;
    std::unique_ptr<TGetDBPasswd> m_getDBPasswd;
    QStringList m_steps;
    TQvLoginDialog m_previousLoginDialog;
};
