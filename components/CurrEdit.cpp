#include "components/CurrEdit.h"

#include "components/ConvertError.h"
#include "components/DisplayFormat.h"
#include "components/LocaleSettings.h"
#include "components/StrUtils.h"
#include "components/SystemUtils.h"

#include "platform/Dialogs.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>

#include <cmath>
#include <optional>

namespace {

QChar DecimalSeparator()
{
    return LocaleSettings().decimalSeparator;
}

// A number text of the locale (after TextToValText), the whole of it.
std::optional<double> ReadNumber(const QString& text)
{
    const QChar decimal = DecimalSeparator();
    QString s;
    s.reserve(text.size());
    for (const QChar c : text) {
        if (c == decimal)
            s += QLatin1Char('.');
        else if (c.isDigit() && c.unicode() < 128)
            s += c;
        else if (c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char('e') || c == QLatin1Char('E'))
            s += c;
        else
            return std::nullopt;
    }
    bool ok = false;
    const double value = s.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString NotANumber(const QString& text)
{
    return QStringLiteral("'%1' is not a valid floating point value").arg(text);
}

// "%.*f" in the locale's decimal separator.
QString FixedText(double value, int decimals)
{
    QString text = QString::number(value, 'f', decimals);
    text.replace(QLatin1Char('.'), DecimalSeparator());
    return text;
}

} // namespace

// ---------------------------------------------------------------- TCustomNumEdit

TCustomNumEdit::TCustomNumEdit(QWidget* parent)
    : QLineEdit(parent)
{
    m_displayFormat = TCustomNumEdit::DefaultDisplayFormat();
    UpdateEditAlignment();
    connect(this, &QLineEdit::textChanged, this, [this] { TextChanged(); });
    DataChanged();
}

TCustomNumEdit::~TCustomNumEdit() = default;

void TCustomNumEdit::Beep()
{
    DefaultBeep();
}

void TCustomNumEdit::RefuseInput()
{
    if (m_beepOnError)
        Beep();
}

// ---------------------------------------------------------------- value

double TCustomNumEdit::CheckValue(double value, bool raiseOnError) const
{
    double result = value;
    if (m_maxValue != m_minValue) {
        if (m_maxValue > m_minValue) {
            if (value < m_minValue)
                result = m_minValue;
            else if (value > m_maxValue)
                result = m_maxValue;
        } else if (m_maxValue == 0) {
            if (value < m_minValue)
                result = m_minValue;
        } else if (m_minValue == 0) {
            if (value > m_maxValue)
                result = m_maxValue;
        }
    }
    if (raiseOnError && result != value)
        throw ERangeError(QStringLiteral("Value must be between %1 and %2")
                              .arg(FixedText(m_minValue, m_decimalPlaces), FixedText(m_maxValue, m_decimalPlaces)));
    return result;
}

QString TCustomNumEdit::TextToValText(const QString& text)
{
    const TLocaleSettings& locale = LocaleSettings();
    QString s = StrTrimSpaces(text);
    if (locale.decimalSeparator != locale.thousandSeparator)
        s = StrDeleteChar(s, locale.thousandSeparator);
    if (locale.decimalSeparator != QLatin1Char('.') && locale.thousandSeparator != QLatin1Char('.'))
        s.replace(QLatin1Char('.'), locale.decimalSeparator);
    if (locale.decimalSeparator != QLatin1Char(',') && locale.thousandSeparator != QLatin1Char(','))
        s.replace(QLatin1Char(','), locale.decimalSeparator);
    if (s.isEmpty())
        return QStringLiteral("0");
    if (s == QLatin1String("-"))
        return QStringLiteral("-0");
    return s;
}

void TCustomNumEdit::UpdateData()
{
    const QString valText = TextToValText(text());
    const auto value = ReadNumber(valText);
    if (!value)
        throw EConvertError(NotANumber(text().trimmed()));
    m_value = CheckValue(*value, false);
}

double TCustomNumEdit::Value()
{
    try {
        UpdateData();
    } catch (const EConvertError&) {
        // A text that is no number yet: the value stays what it was.
    }
    return m_value;
}

void TCustomNumEdit::SetValue(double value)
{
    m_value = CheckValue(value, false);
    DataChanged();
    update();
}

void TCustomNumEdit::SetMinValue(double value)
{
    if (value == m_minValue)
        return;
    m_minValue = value;
    SetValue(Value());
}

void TCustomNumEdit::SetMaxValue(double value)
{
    if (value == m_maxValue)
        return;
    m_maxValue = value;
    SetValue(Value());
}

void TCustomNumEdit::SetDecimalPlaces(int places)
{
    places = std::clamp(places, 0, MaxDecimalPlaces);
    if (places == m_decimalPlaces)
        return;
    m_decimalPlaces = places;
    DataChanged();
    update();
}

void TCustomNumEdit::SetDisplayFormat(const QString& format)
{
    if (format == m_displayFormat)
        return;
    m_displayFormat = format;
    DataChanged();
    update();
}

void TCustomNumEdit::SetAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment & Qt::AlignHorizontal_Mask;
    UpdateEditAlignment();
    update();
}

void TCustomNumEdit::SetZeroEmpty(bool zeroEmpty)
{
    if (zeroEmpty == m_zeroEmpty)
        return;
    m_zeroEmpty = zeroEmpty;
    DataChanged();
    update();
}

void TCustomNumEdit::SetFormatOnEditing(bool on)
{
    if (on == m_formatOnEditing)
        return;
    m_formatOnEditing = on;
    UpdateEditAlignment();
    if (m_focused) {
        if (on) {
            ReformatEditText();
        } else {
            try {
                UpdateData();
            } catch (const EConvertError&) {
            }
            DataChanged();
        }
    }
}

void TCustomNumEdit::UpdateEditAlignment()
{
    setAlignment((m_formatOnEditing ? m_alignment : Qt::AlignLeft) | Qt::AlignVCenter);
}

void TCustomNumEdit::SetText(const QString& newText)
{
    const QString valText = TextToValText(newText);
    const auto value = ReadNumber(valText);
    if (!value)
        throw EConvertError(NotANumber(newText.trimmed()));
    m_value = CheckValue(*value, false);
    DataChanged();
    update();
}

// ---------------------------------------------------------------- texts

QString TCustomNumEdit::EditFormat() const
{
    QString format = QStringLiteral("0");
    if (m_decimalPlaces > 0)
        format += QLatin1Char('.') + QString(m_decimalPlaces, QLatin1Char('#'));
    return format;
}

void TCustomNumEdit::SetEditText(const QString& newText)
{
    if (newText == text())
        return;
    m_formatting = true;
    setText(newText);
    m_formatting = false;
}

void TCustomNumEdit::DataChanged()
{
    SetEditText(m_value == 0 && m_zeroEmpty ? QString() : DisplayFormat::Float(EditFormat(), m_value));
}

QString TCustomNumEdit::GetDisplayText()
{
    const double value = Value();
    return m_displayFormat.isEmpty() ? DisplayFormat::Float(QString(), value)
                                     : DisplayFormat::Float(m_displayFormat, value);
}

QString TCustomNumEdit::DefaultDisplayFormat() const
{
    return QStringLiteral(",0.##");
}

void TCustomNumEdit::TextChanged()
{
    if (m_formatting)
        return;
    if (m_formatOnEditing && m_focused)
        ReformatEditText();
    if (OnChange)
        qv::runGuarded([this] { OnChange(this); });
}

void TCustomNumEdit::ReformatEditText()
{
    const QString current = text();
    if (current.isEmpty() || current == QLatin1String("-"))
        return;
    const TLocaleSettings& locale = LocaleSettings();
    const QString valText = TextToValText(current);
    QString sign;
    QString body = valText;
    if (body.startsWith(QLatin1Char('-')) || body.startsWith(QLatin1Char('+'))) {
        sign = body.left(1);
        body.remove(0, 1);
    }
    qsizetype tailAt = body.size();
    for (qsizetype i = 0; i < body.size(); ++i)
        if (body[i] == locale.decimalSeparator || body[i] == QLatin1Char('e') || body[i] == QLatin1Char('E')) {
            tailAt = i;
            break;
        }
    const QString digits = body.left(tailAt);
    QString grouped;
    if (m_displayFormat.contains(QLatin1Char(','))) {
        for (qsizetype i = 0; i < digits.size(); ++i) {
            if (i > 0 && (digits.size() - i) % 3 == 0)
                grouped += locale.thousandSeparator;
            grouped += digits[i];
        }
    } else {
        grouped = digits;
    }
    const QString formatted = sign + grouped + body.mid(tailAt);
    if (formatted == current)
        return;
    const int caret = cursorPosition() + int(formatted.size() - current.size());
    SetEditText(formatted);
    setCursorPosition(std::clamp(caret, 0, int(formatted.size())));
}

// ---------------------------------------------------------------- typing

bool TCustomNumEdit::IsValidChar(QChar key)
{
    QString s = text();
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    const int length = hasSelectedText() ? int(selectedText().size()) : 0;
    s.replace(start, length, key);
    s = TextToValText(s);
    const QChar decimal = DecimalSeparator();
    const qsizetype decimalAt = s.indexOf(decimal);
    if (decimalAt >= 0) {
        if (m_decimalPlaces == 0)
            return false;
        qsizetype end = s.indexOf(QLatin1Char('E'), decimalAt, Qt::CaseInsensitive);
        if (end < 0)
            end = s.size();
        if (end - decimalAt - 1 > m_decimalPlaces)
            return false;
    }
    // The whole text, however long, must read as a number.
    const auto value = ReadNumber(s);
    if (!value)
        return false;
    // "-" reads as minus zero: the sign, not the value, tells it is negative.
    if (m_minValue >= 0 && m_maxValue > 0 && std::signbit(*value))
        return false;
    return true;
}

void TCustomNumEdit::Reset()
{
    DataChanged();
    selectAll();
}

void TCustomNumEdit::keyPressEvent(QKeyEvent* event)
{
    if (event == QKeySequence::Paste) {
        Paste();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        Reset();
        event->accept();
        return;
    }
    const QString typed = event->text();
    const bool printable = typed.size() == 1 && typed[0].unicode() >= 32 && typed[0] != QChar(0x7F)
                           && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (!printable || isReadOnly()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    QChar key = typed[0];
    if (key == QLatin1Char('.') || key == QLatin1Char(','))
        key = DecimalSeparator();
    if (!IsValidChar(key)) {
        RefuseInput();
        event->accept();
        return;
    }
    insert(QString(key));
    event->accept();
}

void TCustomNumEdit::Paste()
{
    if (isReadOnly())
        return;
    const QString before = text();
    paste();
    try {
        UpdateData();
    } catch (const EConvertError&) {
        SetEditText(before);
        selectAll();
        if (!hasFocus())
            setFocus();
        RefuseInput();
    }
}

void TCustomNumEdit::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu();
    for (QAction* action : menu->actions()) {
        if (action->shortcut() == QKeySequence::Paste) {
            action->disconnect();
            connect(action, &QAction::triggered, this, &TCustomNumEdit::Paste);
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

// ---------------------------------------------------------------- focus

void TCustomNumEdit::focusInEvent(QFocusEvent* event)
{
    // Back after a refused exit or from another window: the entry stays as
    // the user left it.
    if (!m_focused) {
        m_focused = true;
        DataChanged();
        if (m_formatOnEditing)
            ReformatEditText();
    }
    QLineEdit::focusInEvent(event);
    if (event->reason() != Qt::MouseFocusReason)
        selectAll();
    update();
}

void TCustomNumEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (!m_focused)
        return;
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason) {
        update();
        return;
    }
    QString failure;
    try {
        if (m_checkOnExit) {
            const auto value = ReadNumber(TextToValText(text()));
            if (!value)
                throw EConvertError(NotANumber(text().trimmed()));
            CheckValue(*value, true);
        }
        UpdateData();
    } catch (const ERangeError& error) {
        failure = error.message();
    } catch (const EConvertError& error) {
        failure = error.message();
    }
    if (!failure.isEmpty()) {
        // The entry stays to be put right: the message, the text selected,
        // the focus back in the edit.
        qv::runGuarded([&] { qv::showException(failure); });
        KeepFocus();
        return;
    }
    m_focused = false;
    DataChanged();
    setCursorPosition(0);
    update();
    if (OnExit)
        qv::runGuarded([this] { OnExit(this); });
}

void TCustomNumEdit::KeepFocus()
{
    selectAll();
    QPointer<TCustomNumEdit> self(this);
    // Not from inside the focus change that is still going on.
    QTimer::singleShot(0, this, [self] {
        if (self && self->isVisible() && self->isEnabled()) {
            self->setFocus(Qt::OtherFocusReason);
            self->selectAll();
        }
    });
}

void TCustomNumEdit::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::FontChange)
        update();
}

// ---------------------------------------------------------------- painting

void TCustomNumEdit::paintEvent(QPaintEvent* event)
{
    if (hasFocus() || m_focused) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &painter, this);
    QRect area = style()->subElementRect(QStyle::SE_LineEditContents, &panel, this);
    area.adjust(2, 0, -2, 0);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    painter.setFont(font());
    QString shown;
    try {
        shown = GetDisplayText();
    } catch (const std::exception&) {
        shown = text();
    }
    painter.drawText(area, int(m_alignment | Qt::AlignVCenter) | Qt::TextSingleLine, shown);
}

// ---------------------------------------------------------------- TCurrencyEdit

QString CurrencyDisplayFormat()
{
    const TLocaleSettings& locale = LocaleSettings();
    const QString number = QStringLiteral(",0.") + QString(std::max(locale.currencyDecimals, 0), QLatin1Char('0'));
    QString symbol;
    for (const QChar c : locale.currencyString) {
        if (c == QLatin1Char(',') || c == QLatin1Char('.'))
            symbol += QLatin1Char('\'') + c + QLatin1Char('\'');
        else
            symbol += c;
    }
    QString format;
    switch (locale.currencyFormat) {
    case 1: format = number + symbol; break;
    case 2: format = symbol + QLatin1Char(' ') + number; break;
    case 3: format = number + QLatin1Char(' ') + symbol; break;
    default: format = symbol + number; break;
    }
    return format + QStringLiteral(";-") + format;
}

TCurrencyEdit::TCurrencyEdit(QWidget* parent)
    : TCustomNumEdit(parent)
{
    SetDisplayFormat(DefaultDisplayFormat());
}

QString TCurrencyEdit::DefaultDisplayFormat() const
{
    return CurrencyDisplayFormat();
}
