#pragma once

// The one dialog layer: message boxes, input prompts, file and font dialogs,
// the database login dialog and modal windows. Outside tests each call shows
// a real Qt dialog; while a qv::DialogScript (platform/DialogScript.h) is
// alive every call is answered from the script instead and every text shown
// is recorded there.

#include <QFont>
#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

namespace qv {

enum MsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// Single buttons are bits; a button set is their union.
enum MsgDlgBtn : unsigned {
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
    mbAbort = 1u << 4,
    mbRetry = 1u << 5,
    mbIgnore = 1u << 6,
    mbAll = 1u << 7,
    mbNoToAll = 1u << 8,
    mbYesToAll = 1u << 9,
    mbHelp = 1u << 10,
};
using MsgDlgButtons = unsigned;

inline constexpr MsgDlgButtons mbOKCancel = mbOK | mbCancel;
inline constexpr MsgDlgButtons mbYesNo = mbYes | mbNo;
inline constexpr MsgDlgButtons mbYesNoCancel = mbYes | mbNo | mbCancel;
inline constexpr MsgDlgButtons mbAbortRetryIgnore = mbAbort | mbRetry | mbIgnore;
inline constexpr MsgDlgButtons mbRetryCancel = mbRetry | mbCancel;

enum ModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10,
};

// The answer a button gives, and the button that gives an answer.
ModalResult resultOfButton(MsgDlgBtn button);
// The captions of a button set in the order they are shown ("Yes", "No", "OK", ...).
QStringList buttonCaptions(MsgDlgButtons buttons);
// "Warning", "Error", "Information", "Confirmation"; the application name for mtCustom.
QString captionOfType(MsgDlgType type);

// A message box captioned by its type. Esc and the window's close button give
// Cancel's answer, else No's, else OK's; the first button is the default. Help
// asks for help on helpContext and leaves the box open.
// The box opens centred on the main window, whichever window asks; it is
// owned by the window around owner when one is given, else around the focus.
ModalResult messageDlg(const QString& text, MsgDlgType type, MsgDlgButtons buttons,
                       int helpContext = 0);
ModalResult messageDlg(QWidget* owner, const QString& text, MsgDlgType type, MsgDlgButtons buttons);
// A message box with a caption of the caller's.
ModalResult messageBox(const QString& text, const QString& caption, MsgDlgType type,
                       MsgDlgButtons buttons);
// Information text with an OK button, captioned by the application name.
void showMessage(const QString& text);
// The application's standard box for an exception that reached the event loop.
void showException(const QString& message);

// A one-line prompt. True on OK with value holding the text; on Cancel value is untouched.
bool inputQuery(const QString& caption, const QString& prompt, QString& value);
// As inputQuery, answering defaultValue on Cancel.
QString inputBox(const QString& caption, const QString& prompt, const QString& defaultValue);

enum class FileDialogKind { Open, Save };

// What the file dialog is asked and, after an OK, what it answered.
struct FileDialogRequest
{
    FileDialogKind kind = FileDialogKind::Open;
    QString title;
    // "Description|*.a;*.b|Other|*.*" pairs; an empty filter shows all files.
    QString filter;
    int filterIndex = 1;      // 1-based; updated to the chosen filter
    QString defaultExt;       // without the dot; appended when the name has no extension
    QString initialDir;
    QString fileName;         // proposed name; on OK the (first) chosen file
    bool allowMultiSelect = false;
    bool overwritePrompt = false;   // save: ask before replacing an existing file
    QStringList files;        // on OK every chosen file
};

// Runs the dialog; true on OK with request.fileName/files/filterIndex set.
bool runFileDialog(FileDialogRequest& request);

// The font the dialog opens on for a font: the installed family and style
// the font is drawn with, so the dialog selects what is shown.
QFont FontDialogStart(const QFont& font);
// The font dialog, opened on the font; true on OK with font set to the chosen font.
bool runFontDialog(QFont& font, bool fixedPitchOnly = false, const QString& title = {});

// Shows the database name and asks for user name and password. True on OK
// with both written back; on Cancel neither changes.
bool loginDialog(const QString& databaseName, QString& userName, QString& password);

// Shows a dialog modally. Accepted gives mrOk, rejected mrCancel, done(r)
// for any other r gives r. Every dialog and box of this layer, once closed,
// gives the activation back to the window that had it.
ModalResult showModal(QDialog& dialog);

} // namespace qv
