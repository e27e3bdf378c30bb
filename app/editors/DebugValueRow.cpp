#include "app/editors/DebugValueRow.h"

#include "app/editors/DebugVars.h"
#include "components/ConvertError.h"
#include "components/CurrEdit.h"
#include "components/DateEdit.h"
#include "platform/Dialogs.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace {

constexpr int kEditorWidth = 280;

// Refuses, key by key, what can never become an exact number.
class TExactNumberValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        return IsExactNumberInput(input) ? Acceptable : Invalid;
    }
};

QLineEdit* NewTimeEdit(QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QStringLiteral("TimeEdit"));
    edit->setInputMask(QStringLiteral("09:99:99; "));
    edit->setFixedWidth(QFontMetrics(edit->font()).horizontalAdvance(QStringLiteral("00:00:000")) + 12);
    return edit;
}

} // namespace

TInitialValueRow::TInitialValueRow(const QString& name, const QString& type, int row, QWidget* panel,
                                   QGridLayout* grid, const std::optional<QString>& stored)
    : QObject(nullptr)
    , m_name(name)
    , m_type(type)
    , m_editor(InitialEditorOf(type))
{
    NameLabel = new QLabel(name, panel);
    NameLabel->setObjectName(QStringLiteral("NameLabel%1").arg(row));
    TypeLabel = new QLabel(type, panel);
    TypeLabel->setObjectName(QStringLiteral("TypeLabel%1").arg(row));
    grid->addWidget(NameLabel, row, 0);
    grid->addWidget(TypeLabel, row, 1);

    auto* cell = new QWidget(panel);
    cell->setObjectName(QStringLiteral("ValueCell%1").arg(row));
    auto* line = new QHBoxLayout(cell);
    line->setContentsMargins(0, 0, 0, 0);
    NullBox = new QCheckBox(QStringLiteral("Null"), cell);
    NullBox->setObjectName(QStringLiteral("NullBox%1").arg(row));
    NullBox->setProperty("tag", row);
    line->addWidget(NullBox);
    switch (m_editor) {
    case TInitialEditor::Text:
    case TInitialEditor::Exact:
        TextEdit = new QLineEdit(cell);
        TextEdit->setObjectName(QStringLiteral("ValueEdit"));
        if (m_editor == TInitialEditor::Exact) {
            TextEdit->setValidator(new TExactNumberValidator(TextEdit));
            TextEdit->setAlignment(Qt::AlignRight);
        }
        TextEdit->setMaximumWidth(kEditorWidth);
        line->addWidget(TextEdit, 1);
        break;
    case TInitialEditor::Float:
        NumberEdit = new TCurrencyEdit(cell);
        NumberEdit->setObjectName(QStringLiteral("NumberEdit"));
        NumberEdit->SetZeroEmpty(false);
        NumberEdit->SetDisplayFormat(QString());
        NumberEdit->SetDecimalPlaces(15);
        NumberEdit->setMaximumWidth(kEditorWidth);
        line->addWidget(NumberEdit, 1);
        break;
    case TInitialEditor::DateTime:
        DateEdit = new TDateEdit(cell);
        DateEdit->setObjectName(QStringLiteral("DateEdit"));
        DateEdit->setMaximumWidth(kEditorWidth / 2);
        line->addWidget(DateEdit, 1);
        TimeEdit = NewTimeEdit(cell);
        line->addWidget(TimeEdit);
        break;
    case TInitialEditor::Time:
        TimeEdit = NewTimeEdit(cell);
        line->addWidget(TimeEdit);
        break;
    }
    line->addStretch(1);
    if (TimeEdit)
        TimeEdit->installEventFilter(this);
    grid->addWidget(cell, row, 2);
    connect(NullBox, &QCheckBox::toggled, this, &TInitialValueRow::NullBoxClick);
    Show(stored);
}

TInitialValueRow::~TInitialValueRow() = default;

void TInitialValueRow::Show(const std::optional<QString>& stored)
{
    const bool isNull = stored && IsNullText(*stored);
    const QString text = stored && !isNull ? *stored : QString();
    NullBox->setChecked(isNull);
    switch (m_editor) {
    case TInitialEditor::Text:
    case TInitialEditor::Exact:
        // A stored text the edit would refuse is dropped rather than shown half.
        if (m_editor == TInitialEditor::Text || IsExactNumberInput(text))
            TextEdit->setText(text);
        break;
    case TInitialEditor::Float:
        try {
            if (!text.trimmed().isEmpty())
                NumberEdit->SetText(text);
        } catch (const EConvertError&) {
            // Not a number (any more): the edit stays as it is.
        }
        break;
    case TInitialEditor::DateTime: {
        const auto [date, time] = isNull || text.isEmpty() ? std::pair<QDate, QTime>() : SplitStoredDateTime(text);
        DateEdit->SetDate(date);
        TimeEdit->setText(date.isValid() || !text.isEmpty() ? time.toString(QStringLiteral("HH:mm:ss"))
                                                            : QString());
        break;
    }
    case TInitialEditor::Time: {
        const auto time = ReadTimeText(text);
        TimeEdit->setText(time ? time->toString(QStringLiteral("HH:mm:ss")) : QString());
        break;
    }
    }
    NullBoxClick();
}

bool TInitialValueRow::IsNull() const
{
    return NullBox->isChecked();
}

QString TInitialValueRow::ValueText() const
{
    switch (m_editor) {
    case TInitialEditor::Text:
    case TInitialEditor::Exact:
        return TextEdit->text();
    case TInitialEditor::Float:
        return NumberEdit->Text();
    case TInitialEditor::DateTime:
        return DateTimeValueText(DateEdit->Date(), TimeEdit->text());
    case TInitialEditor::Time: {
        const auto time = ReadTimeText(TimeEdit->text());
        if (time)
            return time->toString(QStringLiteral("HH:mm:ss"));
        // Only the mask's colons: nothing typed.
        QString typed = TimeEdit->text();
        typed.remove(QLatin1Char(':'));
        return typed.trimmed().isEmpty() ? QString() : TimeEdit->text().trimmed();
    }
    }
    return QString();
}

QString TInitialValueRow::StoredText() const
{
    return IsNull() ? kStoredNull : ValueText();
}

void TInitialValueRow::NullBoxClick()
{
    const bool enabled = !NullBox->isChecked();
    for (QWidget* editor : {static_cast<QWidget*>(TextEdit), static_cast<QWidget*>(NumberEdit),
                            static_cast<QWidget*>(DateEdit), static_cast<QWidget*>(TimeEdit)})
        if (editor)
            editor->setEnabled(enabled);
}

bool TInitialValueRow::eventFilter(QObject* watched, QEvent* event)
{
    // Only when the user moves on inside the window: a window being closed
    // or left for another one takes the focus without a word.
    if (watched == TimeEdit && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::MouseFocusReason)
            CheckTime();
    }
    return false;
}

void TInitialValueRow::CheckTime()
{
    // A half-typed time is put right when the user leaves the edit, not at
    // every key: the message box would take the focus at the first digit.
    const QString text = TimeEdit->text();
    QString digits = text;
    digits.remove(QLatin1Char(':'));
    if (m_checking || !TimeEdit->isEnabled() || ReadTimeText(text) || digits.trimmed().isEmpty())
        return;
    m_checking = true;
    qv::messageDlg(NotAValidTimeText(text), qv::mtError, qv::mbOK);
    TimeEdit->setFocus();
    m_checking = false;
}
