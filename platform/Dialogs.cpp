#include "platform/Dialogs.h"

#include "platform/DialogScript.h"
#include "platform/Help.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFontInfo>
#include <QFormLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QPushButton>
#include <QRegularExpression>

#include <array>
#include <utility>

namespace qv {

namespace {

struct ButtonInfo
{
    MsgDlgBtn button;
    const char* caption;
    ModalResult result;
    QMessageBox::ButtonRole role;
};

// Bit order is display order.
constexpr std::array<ButtonInfo, 11> kButtons{{
    {mbYes, "Yes", mrYes, QMessageBox::YesRole},
    {mbNo, "No", mrNo, QMessageBox::NoRole},
    {mbOK, "OK", mrOk, QMessageBox::AcceptRole},
    {mbCancel, "Cancel", mrCancel, QMessageBox::RejectRole},
    {mbAbort, "Abort", mrAbort, QMessageBox::RejectRole},
    {mbRetry, "Retry", mrRetry, QMessageBox::AcceptRole},
    {mbIgnore, "Ignore", mrIgnore, QMessageBox::AcceptRole},
    {mbAll, "All", mrAll, QMessageBox::AcceptRole},
    {mbNoToAll, "No to All", mrNoToAll, QMessageBox::NoRole},
    {mbYesToAll, "Yes to All", mrYesToAll, QMessageBox::YesRole},
    {mbHelp, "Help", mrNone, QMessageBox::HelpRole},
}};

QString applicationCaption()
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("Qorvane") : name;
}

QMessageBox::Icon iconOf(MsgDlgType type)
{
    switch (type) {
    case mtWarning:
        return QMessageBox::Warning;
    case mtError:
        return QMessageBox::Critical;
    case mtInformation:
        return QMessageBox::Information;
    case mtConfirmation:
        return QMessageBox::Question;
    case mtCustom:
        break;
    }
    return QMessageBox::NoIcon;
}

ModalResult escapeResult(MsgDlgButtons buttons)
{
    if (buttons & mbCancel)
        return mrCancel;
    if (buttons & mbNo)
        return mrNo;
    if (buttons & mbOK)
        return mrOk;
    return mrCancel;
}

// The widget that asks for a box: the one named, else the focus, else the
// active window.
QWidget* askingWidget(QWidget* owner)
{
    if (owner)
        return owner;
    if (QWidget* focus = QApplication::focusWidget())
        return focus;
    return QApplication::activeWindow();
}

// Boxes open centred on the main window, whichever of its children asks and
// wherever the focus is; a program without one centres them on the
// top-level window that asks.
QWidget* centringWindow(QWidget* asking)
{
    QWidget* top = asking ? asking->window() : nullptr;
    if (qobject_cast<QMainWindow*>(top) && top->isVisible())
        return top;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows)
        if (qobject_cast<QMainWindow*>(window) && window->isVisible())
            return window;
    return top && top->isVisible() ? top : nullptr;
}

QPoint centreOf(const QWidget* window)
{
    return window ? window->frameGeometry().center() : QPoint();
}

// A message box centred on a window of the caller's choosing, whole on the
// screen; Qt alone would centre it on whatever window is its parent.
class CentredMessageBox : public QMessageBox
{
public:
    CentredMessageBox(QMessageBox::Icon icon, const QString& caption, const QString& text, QWidget* parent,
                      QWidget* centredOn)
        : QMessageBox(icon, caption, text, QMessageBox::NoButton, parent)
        , m_centredOn(centredOn)
    {
    }

protected:
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event);
        if (!m_centredOn || !m_centredOn->isVisible())
            return;
        QRect frame = frameGeometry();
        frame.moveCenter(centreOf(m_centredOn));
        // Whole on the screen, title bar included.
        if (const QScreen* screen = m_centredOn->screen()) {
            const QRect available = screen->availableGeometry();
            frame.moveLeft(qBound(available.left(), frame.left(), qMax(available.left(), available.right() - frame.width())));
            frame.moveTop(qBound(available.top(), frame.top(), qMax(available.top(), available.bottom() - frame.height())));
        }
        move(frame.topLeft());
    }

private:
    QPointer<QWidget> m_centredOn;
};

// A modal window or box hands the activation back, when it closes, to the
// window that had it: a display without a window manager (and Qt's offscreen
// one) leaves no window active, and keys and shortcuts then reach nothing
// until the user clicks a window.
class ActivationReturn
{
public:
    ActivationReturn()
        : m_window(QApplication::activeWindow())
    {
    }
    ~ActivationReturn()
    {
        if (m_window && m_window->isVisible() && !m_window->isMinimized())
            m_window->activateWindow();
    }
    ActivationReturn(const ActivationReturn&) = delete;
    ActivationReturn& operator=(const ActivationReturn&) = delete;

private:
    QPointer<QWidget> m_window;
};

ModalResult showMessageBox(const QString& text, const QString& caption, MsgDlgType type,
                           MsgDlgButtons buttons, int helpContext, QWidget* owner = nullptr)
{
    if (buttons == 0)
        buttons = mbOK;
    QWidget* asking = askingWidget(owner);
    QWidget* centredOn = centringWindow(asking);
    const ActivationReturn activation;
    if (DialogScript* script = DialogScript::active()) {
        ShownDialog shown;
        shown.kind = DialogKind::Message;
        shown.caption = caption;
        shown.text = text;
        shown.buttons = buttonCaptions(buttons);
        shown.type = type;
        shown.owner = centredOn ? centredOn->objectName() : QString();
        shown.centre = centreOf(centredOn);
        return script->takeMessage(shown, buttons);
    }

    // Owned by the window that asks, so that it stays above it even when that
    // is a dialog of its own; one that is not shown is no owner.
    QWidget* parent = asking && asking->window()->isVisible() ? asking->window() : centredOn;
    CentredMessageBox box(iconOf(type), caption, text, parent, centredOn);
    std::vector<std::pair<QAbstractButton*, ModalResult>> answers;
    QAbstractButton* escape = nullptr;
    const ModalResult escapeAnswer = escapeResult(buttons);
    for (const ButtonInfo& info : kButtons) {
        if (!(buttons & info.button))
            continue;
        QPushButton* pushButton = box.addButton(QString::fromLatin1(info.caption), info.role);
        if (info.button == mbHelp) {
            // Help must not close the box.
            pushButton->disconnect();
            QObject::connect(pushButton, &QPushButton::clicked, &box,
                             [helpContext] { showHelpContext(helpContext); });
            continue;
        }
        if (answers.empty())
            box.setDefaultButton(pushButton);
        answers.emplace_back(pushButton, info.result);
        if (info.result == escapeAnswer)
            escape = pushButton;
    }
    if (escape)
        box.setEscapeButton(escape);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    for (const auto& [button, result] : answers)
        if (button == clicked)
            return result;
    return escapeAnswer;
}

// "Description (*.a;*.b)|*.a;*.b|All|*.*" into Qt's "Description (*.a *.b);;All (*)".
QStringList nameFilters(const QString& filter)
{
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        description.remove(trailingPatterns);
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            // "*.*" means every file, those without an extension too.
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        result << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
    }
    return result;
}

QString withDefaultExt(const QString& fileName, const QString& defaultExt)
{
    if (fileName.isEmpty() || defaultExt.isEmpty() || !QFileInfo(fileName).suffix().isEmpty())
        return fileName;
    QString ext = defaultExt;
    if (ext.startsWith(QLatin1Char('.')))
        ext.remove(0, 1);
    return fileName + QLatin1Char('.') + ext;
}

class LoginDialog : public QDialog
{
public:
    LoginDialog(const QString& databaseName, const QString& userName, QWidget* parent)
        : QDialog(parent)
    {
        setWindowTitle(QStringLiteral("Database Login"));
        auto* form = new QFormLayout(this);
        auto* database = new QLabel(databaseName, this);
        database->setObjectName(QStringLiteral("DatabaseName"));
        database->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(QStringLiteral("Database:"), database);
        m_user = new QLineEdit(userName, this);
        m_user->setObjectName(QStringLiteral("UserName"));
        form->addRow(QStringLiteral("User Name:"), m_user);
        m_password = new QLineEdit(this);
        m_password->setObjectName(QStringLiteral("Password"));
        m_password->setEchoMode(QLineEdit::Password);
        form->addRow(QStringLiteral("Password:"), m_password);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        form->addRow(buttons);
        (userName.isEmpty() ? m_user : m_password)->setFocus();
    }

    QString userName() const { return m_user->text(); }
    QString password() const { return m_password->text(); }

private:
    QLineEdit* m_user;
    QLineEdit* m_password;
};

} // namespace

ModalResult resultOfButton(MsgDlgBtn button)
{
    for (const ButtonInfo& info : kButtons)
        if (info.button == button)
            return info.result;
    return mrNone;
}

QStringList buttonCaptions(MsgDlgButtons buttons)
{
    QStringList captions;
    for (const ButtonInfo& info : kButtons)
        if (buttons & info.button)
            captions << QString::fromLatin1(info.caption);
    return captions;
}

QString captionOfType(MsgDlgType type)
{
    switch (type) {
    case mtWarning:
        return QStringLiteral("Warning");
    case mtError:
        return QStringLiteral("Error");
    case mtInformation:
        return QStringLiteral("Information");
    case mtConfirmation:
        return QStringLiteral("Confirmation");
    case mtCustom:
        break;
    }
    return applicationCaption();
}

ModalResult messageDlg(const QString& text, MsgDlgType type, MsgDlgButtons buttons, int helpContext)
{
    return showMessageBox(text, captionOfType(type), type, buttons, helpContext);
}

ModalResult messageDlg(QWidget* owner, const QString& text, MsgDlgType type, MsgDlgButtons buttons)
{
    return showMessageBox(text, captionOfType(type), type, buttons, 0, owner);
}

ModalResult messageBox(const QString& text, const QString& caption, MsgDlgType type,
                       MsgDlgButtons buttons)
{
    return showMessageBox(text, caption, type, buttons, 0);
}

void showMessage(const QString& text)
{
    showMessageBox(text, applicationCaption(), mtCustom, mbOK, 0);
}

void showException(const QString& message)
{
    showMessageBox(message, applicationCaption(), mtError, mbOK, 0);
}

bool inputQuery(const QString& caption, const QString& prompt, QString& value)
{
    if (DialogScript* script = DialogScript::active()) {
        ShownDialog shown;
        shown.kind = DialogKind::Input;
        shown.caption = caption;
        shown.text = prompt;
        shown.buttons = buttonCaptions(mbOKCancel);
        shown.value = value;
        const std::optional<QString> answer = script->takeInput(shown);
        if (!answer)
            return false;
        value = *answer;
        return true;
    }
    const ActivationReturn activation;
    bool ok = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), caption, prompt,
                                               QLineEdit::Normal, value, &ok);
    if (ok)
        value = text;
    return ok;
}

QString inputBox(const QString& caption, const QString& prompt, const QString& defaultValue)
{
    QString value = defaultValue;
    inputQuery(caption, prompt, value);
    return value;
}

bool runFileDialog(FileDialogRequest& request)
{
    QStringList chosen;
    int filterIndex = request.filterIndex;
    if (DialogScript* script = DialogScript::active()) {
        ShownDialog shown;
        shown.kind = DialogKind::File;
        shown.caption = request.title;
        shown.text = request.filter;
        shown.value = request.fileName;
        const auto answer = script->takeFile(shown);
        if (!answer)
            return false;
        chosen = answer->first;
        if (answer->second > 0)
            filterIndex = answer->second;
    } else {
        const ActivationReturn activation;
        QFileDialog dialog(QApplication::activeWindow(), request.title, request.initialDir);
        const QStringList filters = nameFilters(request.filter);
        if (!filters.isEmpty()) {
            dialog.setNameFilters(filters);
            if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
                dialog.selectNameFilter(filters[request.filterIndex - 1]);
        }
        if (request.kind == FileDialogKind::Save) {
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
            dialog.setFileMode(QFileDialog::AnyFile);
        } else {
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(request.allowMultiSelect ? QFileDialog::ExistingFiles
                                                        : QFileDialog::AnyFile);
        }
        if (!request.defaultExt.isEmpty())
            dialog.setDefaultSuffix(request.defaultExt);
        if (!request.fileName.isEmpty())
            dialog.selectFile(request.fileName);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        chosen = dialog.selectedFiles();
        filterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
        if (filterIndex <= 0)
            filterIndex = request.filterIndex;
    }
    if (chosen.isEmpty())
        return false;
    if (!request.allowMultiSelect)
        chosen = chosen.mid(0, 1);
    for (QString& name : chosen)
        name = withDefaultExt(name, request.defaultExt);
    request.files = chosen;
    request.fileName = chosen.first();
    request.filterIndex = filterIndex;
    return true;
}

QFont FontDialogStart(const QFont& font)
{
    // The dialog lists installed families and their own style names; a
    // family that is not installed, or a style it calls otherwise ("Normal"
    // for "Book"), would select another entry, italic ones included.
    const QFontInfo resolved(font);
    QFont start = font;
    start.setFamily(resolved.family());
    start.setStyleName(resolved.styleName());
    return start;
}

bool runFontDialog(QFont& font, bool fixedPitchOnly, const QString& title)
{
    if (DialogScript* script = DialogScript::active()) {
        ShownDialog shown;
        shown.kind = DialogKind::Font;
        shown.caption = title;
        shown.value = font.toString();
        const std::optional<QFont> answer = script->takeFont(shown);
        if (!answer)
            return false;
        font = *answer;
        return true;
    }
    QFontDialog::FontDialogOptions options;
    if (fixedPitchOnly)
        options |= QFontDialog::MonospacedFonts;
    const ActivationReturn activation;
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, FontDialogStart(font), QApplication::activeWindow(), title, options);
    if (ok)
        font = chosen;
    return ok;
}

bool loginDialog(const QString& databaseName, QString& userName, QString& password)
{
    if (DialogScript* script = DialogScript::active()) {
        ShownDialog shown;
        shown.kind = DialogKind::Login;
        shown.caption = QStringLiteral("Database Login");
        shown.text = databaseName;
        shown.buttons = buttonCaptions(mbOKCancel);
        shown.value = userName;
        const auto answer = script->takeLogin(shown);
        if (!answer)
            return false;
        userName = answer->first;
        password = answer->second;
        return true;
    }
    const ActivationReturn activation;
    LoginDialog dialog(databaseName, userName, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    userName = dialog.userName();
    password = dialog.password();
    return true;
}

ModalResult showModal(QDialog& dialog)
{
    const ActivationReturn activation;
    int code = 0;
    if (DialogScript* script = DialogScript::active()) {
        ShownDialog shown;
        shown.kind = DialogKind::Modal;
        shown.caption = dialog.windowTitle();
        shown.text = dialog.objectName();
        const std::function<void(QDialog&)> handler = script->takeModal(shown);
        dialog.setResult(QDialog::Rejected);
        dialog.setModal(true);
        dialog.show();
        handler(dialog);
        if (dialog.isVisible()) {
            // The handler left it open, as a user who gave up would: the
            // dialog's own reject path decides what that means.
            dialog.reject();
            if (dialog.isVisible())
                dialog.hide();
            dialog.setResult(QDialog::Rejected);
        }
        code = dialog.result();
    } else {
        code = dialog.exec();
    }
    switch (code) {
    case QDialog::Rejected:
        return mrCancel;
    case QDialog::Accepted:
        return mrOk;
    default:
        return static_cast<ModalResult>(code);
    }
}

} // namespace qv
