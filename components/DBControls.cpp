#include "components/DBControls.h"

#include "platform/Dialogs.h"
#include "platform/db/DataSet.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/Field.h"

#include <QPixmap>

namespace {

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

// The text a control shows of its field; one that cannot be read shows as
// empty.
template <typename Read>
QString ShownText(const TField* field, Read read)
{
    if (!field)
        return {};
    try {
        return read(*field);
    } catch (const std::exception& error) {
        qWarning("Showing a field: %s", qPrintable(ErrorText(error)));
        return {};
    }
}

// Typing asks for edit: true once the dataset is in it. Otherwise the control
// shows its field again, and a refusal is shown, not thrown out of a typing
// handler.
template <typename ShowField>
bool EditForTyping(TFieldDataLink& link, ShowField showField)
{
    bool editing = false;
    try {
        editing = link.Edit();
    } catch (const std::exception& error) {
        showField();
        qv::messageDlg(ErrorText(error), qv::mtError, qv::mbOK);
        return false;
    }
    if (!editing)
        showField();
    return editing;
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

TQcDBFieldControl::~TQcDBFieldControl()
{
    m_link.OnDataChange = nullptr;
    m_link.OnEditingChange = nullptr;
    m_link.OnUpdateData = nullptr;
}

// ---------------------------------------------------------------- edit

TQcDBEdit::TQcDBEdit(QWidget* parent)
    : QLineEdit(parent)
{
    m_link.OnDataChange = [this] { ShowField(); };
    m_link.OnEditingChange = [this] { setReadOnly(!m_link.CanModify()); };
    m_link.OnUpdateData = [this] { m_link.Field()->SetText(text()); };
    connect(this, &QLineEdit::textEdited, this, &TQcDBEdit::Typed);
}

void TQcDBEdit::ShowField()
{
    const ShowingGuard showing(m_showing);
    setText(ShownText(m_link.Field(), [this](const TField& field) {
        return hasFocus() && m_link.Editing() ? field.Text() : field.DisplayText();
    }));
    setReadOnly(!m_link.CanModify());
}

void TQcDBEdit::Typed(const QString& text)
{
    if (m_showing || !m_link.Field())
        return;
    const int cursor = cursorPosition();
    if (!EditForTyping(m_link, [this] { ShowField(); }))
        return;
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

void TQcDBMemo::ShowField()
{
    const ShowingGuard showing(m_showing);
    setPlainText(ShownText(m_link.Field(), [](const TField& field) { return field.AsString(); }));
    setReadOnly(!m_link.CanModify());
}

void TQcDBMemo::Typed()
{
    if (m_showing || !m_link.Field())
        return;
    const QString text = toPlainText();
    if (!EditForTyping(m_link, [this] { ShowField(); }))
        return;
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
