#pragma once

// Scripted answers for the dialog layer (platform/Dialogs.h). While a
// DialogScript is alive no real dialog is shown: each call takes the next
// answer queued for its kind of dialog, records what it would have shown, and
// throws UnscriptedDialog (naming that text) when no answer is queued.

#include <QFont>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

#include "platform/Dialogs.h"

class QDialog;

namespace qv {

enum class DialogKind { Message, Input, File, Font, Login, Modal };

// One dialog as it would have been shown.
struct ShownDialog
{
    DialogKind kind = DialogKind::Message;
    QString caption;        // window title
    QString text;           // message, prompt, database name (login) or object name (modal)
    QStringList buttons;    // button captions of a message box
    MsgDlgType type = mtCustom;
    QString value;          // initial input text, proposed file name or user name
    QString owner;          // a message box: the object name of the window it is centred on
    QPoint centre;          // a message box: where on the screen its centre is put (null: left to Qt)
};

class UnscriptedDialog : public std::logic_error
{
public:
    using std::logic_error::logic_error;
};

class DialogScript
{
public:
    DialogScript();
    ~DialogScript();
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    // The script in force, or nullptr outside a scripted test.
    static DialogScript* active();

    // Answers, consumed in the order queued, separately for each kind.
    void answerMessage(ModalResult result);
    // The same, with what happens while the box is up (as a real box takes
    // the focus, for instance) run before it answers.
    void answerMessage(ModalResult result, std::function<void()> whileShown);
    void answerInput(const QString& text);
    void cancelInput();
    void answerFile(const QString& fileName);
    void answerFiles(const QStringList& fileNames, int filterIndex = 0);
    void cancelFile();
    void answerFont(const QFont& font);
    void cancelFont();
    void answerLogin(const QString& userName, const QString& password);
    void cancelLogin();
    // Runs in place of the modal loop; it closes the dialog (accept, reject or
    // done), and a dialog still open afterwards counts as rejected.
    void onModal(std::function<void(QDialog&)> handler);

    const std::vector<ShownDialog>& shown() const { return m_shown; }
    // Texts of every message box shown, in order.
    QStringList messages() const;
    void clearShown() { m_shown.clear(); }
    // Answers still queued and not consumed.
    int pendingAnswers() const;

    // Used by the dialog layer itself.
    ModalResult takeMessage(const ShownDialog& shown, MsgDlgButtons buttons);
    std::optional<QString> takeInput(const ShownDialog& shown);
    std::optional<std::pair<QStringList, int>> takeFile(const ShownDialog& shown);
    std::optional<QFont> takeFont(const ShownDialog& shown);
    std::optional<std::pair<QString, QString>> takeLogin(const ShownDialog& shown);
    std::function<void(QDialog&)> takeModal(const ShownDialog& shown);

private:
    [[noreturn]] void fail(const ShownDialog& shown, const QString& why) const;

    std::vector<ShownDialog> m_shown;
    std::deque<std::pair<ModalResult, std::function<void()>>> m_messages;
    std::deque<std::optional<QString>> m_inputs;
    std::deque<std::optional<std::pair<QStringList, int>>> m_files;
    std::deque<std::optional<QFont>> m_fonts;
    std::deque<std::optional<std::pair<QString, QString>>> m_logins;
    std::deque<std::function<void(QDialog&)>> m_modals;
};

} // namespace qv
