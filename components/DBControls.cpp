#include "components/DBControls.h"

#include "platform/Dialogs.h"
#include "platform/db/DataSet.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/Field.h"

#include <QPixmap>

namespace {

QString ErrorText(const std::exception& error)
{
    if (const auto* databaseError = dynamic_cast<const EDatabaseError*>(&error))
        return databaseError->Message();
    return QString::fromUtf8(error.what());
}

// Writes the control's value into its field; an error (a value the field
// refuses) is shown, not thrown out of a focus handler.
void WriteQuietly(TFieldDataLink& link)
{
    try {
        link.UpdateRecord();
    } catch (const std::exception& error) {
        qv::messageDlg(ErrorText(error), qv::mtError, qv::mbOK);
    }
}

class ShowingGuard
{
public:
    explicit ShowingGuard(bool& flag)
        : m_flag(flag)
    {
        m_flag = true;
    }
    ~ShowingGuard() { m_flag = false; }
    ShowingGuard(const ShowingGuard&) = delete;
    ShowingGuard& operator=(const ShowingGuard&) = delete;

private:
    bool& m_flag;
};

} // namespace

// ---------------------------------------------------------------- edit

TQcDBEdit::TQcDBEdit(QWidget* parent)
    : QLineEdit(parent)
{
    m_link.OnDataChange = [this] { ShowField(); };
    m_link.OnEditingChange = [this] { setReadOnly(!m_link.CanModify()); };
    m_link.OnUpdateData = [this] { m_link.Field()->SetText(text()); };
    connect(this, &QLineEdit::textEdited, this, &TQcDBEdit::Typed);
}

TQcDBEdit::~TQcDBEdit()
{
    m_link.OnDataChange = nullptr;
    m_link.OnEditingChange = nullptr;
    m_link.OnUpdateData = nullptr;
}

void TQcDBEdit::ShowField()
{
    const ShowingGuard showing(m_showing);
    const TField* field = m_link.Field();
    try {
        setText(field ? (hasFocus() && m_link.Editing() ? field->Text() : field->DisplayText()) : QString());
    } catch (const std::exception& error) {
        setText(QString());
        qWarning("Showing a field: %s", qPrintable(ErrorText(error)));
    }
    setReadOnly(!m_link.CanModify());
}

void TQcDBEdit::Typed(const QString& text)
{
    if (m_showing || !m_link.Field())
        return;
    const int cursor = cursorPosition();
    try {
        if (!m_link.Edit()) {
            ShowField();
            return;
        }
    } catch (const std::exception& error) {
        ShowField();
        qv::messageDlg(ErrorText(error), qv::mtError, qv::mbOK);
        return;
    }
    // Entering edit showed the record again; what was typed stays.
    if (this->text() != text) {
        const ShowingGuard showing(m_showing);
        setText(text);
        setCursorPosition(cursor);
    }
    m_link.Modified();
}

void TQcDBEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    WriteQuietly(m_link);
}

// ---------------------------------------------------------------- memo

TQcDBMemo::TQcDBMemo(QWidget* parent)
    : QPlainTextEdit(parent)
{
    m_link.OnDataChange = [this] { ShowField(); };
    m_link.OnEditingChange = [this] { setReadOnly(!m_link.CanModify()); };
    m_link.OnUpdateData = [this] { m_link.Field()->SetAsString(toPlainText()); };
    connect(this, &QPlainTextEdit::textChanged, this, &TQcDBMemo::Typed);
}

TQcDBMemo::~TQcDBMemo()
{
    m_link.OnDataChange = nullptr;
    m_link.OnEditingChange = nullptr;
    m_link.OnUpdateData = nullptr;
}

void TQcDBMemo::ShowField()
{
    const ShowingGuard showing(m_showing);
    const TField* field = m_link.Field();
    try {
        setPlainText(field ? field->AsString() : QString());
    } catch (const std::exception& error) {
        setPlainText(QString());
        qWarning("Showing a field: %s", qPrintable(ErrorText(error)));
    }
    setReadOnly(!m_link.CanModify());
}

void TQcDBMemo::Typed()
{
    if (m_showing || !m_link.Field())
        return;
    const QString text = toPlainText();
    try {
        if (!m_link.Edit()) {
            ShowField();
            return;
        }
    } catch (const std::exception& error) {
        ShowField();
        qv::messageDlg(ErrorText(error), qv::mtError, qv::mbOK);
        return;
    }
    if (toPlainText() != text) {
        const ShowingGuard showing(m_showing);
        setPlainText(text);
        moveCursor(QTextCursor::End);
    }
    m_link.Modified();
}

void TQcDBMemo::focusOutEvent(QFocusEvent* event)
{
    QPlainTextEdit::focusOutEvent(event);
    WriteQuietly(m_link);
}

// ---------------------------------------------------------------- image

TQcDBImage::TQcDBImage(QWidget* parent)
    : QLabel(parent)
{
    resize(105, 105);
    setFrameShape(QFrame::StyledPanel);
    setAlignment(Qt::AlignCenter);
    m_link.OnDataChange = [this] { ShowField(); };
}

TQcDBImage::~TQcDBImage()
{
    m_link.OnDataChange = nullptr;
}

void TQcDBImage::ShowField()
{
    QPixmap picture;
    const TField* field = m_link.Field();
    try {
        if (field && !field->IsNull())
            picture.loadFromData(field->AsVariant().toByteArray());
    } catch (const std::exception& error) {
        qWarning("Showing a picture: %s", qPrintable(ErrorText(error)));
    }
    if (picture.isNull())
        setText(field && !field->IsNull() ? QStringLiteral("(data)") : QString());
    else
        setPixmap(picture);
}
