#include "components/DateEdit.h"

#include "components/ConvertError.h"
#include "components/DateUtil.h"
#include "components/EditGlyphs.h"
#include "components/LocaleSettings.h"
#include "platform/Dialogs.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>

namespace {

bool NoShiftKeys(Qt::KeyboardModifiers modifiers)
{
    return !(modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

// Characters with a meaning of their own in a line edit's input mask.
bool IsMaskMetaChar(QChar c)
{
    return QStringLiteral("AaNnXx90Dd#HhBb><!;[]{}\\").contains(c);
}

} // namespace

QString FormatDateText(const QString& format, const QDate& date)
{
    if (!date.isValid())
        return {};
    QString text;
    const QString upper = format.toUpper();
    for (qsizetype i = 0; i < upper.size();) {
        const QChar letter = upper.at(i);
        qsizetype end = i;
        while (end < upper.size() && upper.at(end) == letter)
            ++end;
        const int length = int(end - i);
        if (letter == QLatin1Char('D')) {
            text += QString::number(date.day()).rightJustified(length, QLatin1Char('0'));
        } else if (letter == QLatin1Char('M')) {
            text += QString::number(date.month()).rightJustified(length, QLatin1Char('0'));
        } else if (letter == QLatin1Char('Y')) {
            const int year = length <= 2 ? date.year() % 100 : date.year();
            text += QString::number(year).rightJustified(length, QLatin1Char('0'));
        } else if (letter == QLatin1Char('/')) {
            text += QString(length, LocaleSettings().dateSeparator);
        } else {
            text += format.mid(i, length);
        }
        i = end;
    }
    return text;
}

QString DateEditInputMask(QChar blanksChar, bool fourDigitYear)
{
    // "!99/99/9999;1;_": digits that may be left blank, the separators kept.
    const QString pattern = DefaultDateMask(blanksChar, fourDigitYear).section(QLatin1Char(';'), 0, 0);
    const QChar separator = LocaleSettings().dateSeparator;
    QString mask;
    for (const QChar c : pattern) {
        if (c == QLatin1Char('!'))
            continue;
        if (c == QLatin1Char('9')) {
            mask += QLatin1Char('0');
        } else if (c == QLatin1Char('/')) {
            if (IsMaskMetaChar(separator))
                mask += QLatin1Char('\\');
            mask += separator;
        } else {
            mask += c;
        }
    }
    return mask + QLatin1Char(';') + blanksChar;
}

bool DateTextEmpty(const QString& text, QChar blanksChar)
{
    const QChar separator = LocaleSettings().dateSeparator;
    for (const QChar c : text) {
        if (c != QLatin1Char(' ') && c != QChar() && c != separator && c != blanksChar)
            return false;
    }
    return true;
}

// ---------------------------------------------------------------------------

TCustomDateEdit::TCustomDateEdit(QWidget* parent)
    : TCustomComboEdit(parent)
{
    SetDefaultNumGlyphs(2);
    UpdateFormat();
    SetCalendarStyle(TCalendarStyle::csPopup);
    SetGlyphKind(TGlyphKind::gkDefault);
}

TCustomDateEdit::~TCustomDateEdit()
{
    SetPopup(nullptr);
    m_calendar.reset();
}

QImage TCustomDateEdit::GetDefaultBitmap() const
{
    static const QImage glyph = DateEditGlyph();
    return glyph;
}

bool TCustomDateEdit::FourDigits() const
{
    switch (m_yearDigits) {
    case TYearDigits::dyFour: return true;
    case TYearDigits::dyTwo: return false;
    case TYearDigits::dyDefault: break;
    }
    return FourDigitYear();
}

void TCustomDateEdit::UpdateFormat()
{
    m_dateFormat = DefaultDateFormat(FourDigits());
}

void TCustomDateEdit::UpdateMask()
{
    const QDate remembered = Date();
    const QString oldFormat = m_dateFormat;
    UpdateFormat();
    const QString mask = DateEditInputMask(m_blanksChar, FourDigits());
    if (mask != m_mask || oldFormat != m_dateFormat) {
        setInputMask(QString());
        setInputMask(mask);
        m_mask = mask;
    }
    UpdatePopup();
    SetDate(remembered);
}

void TCustomDateEdit::UpdatePopup()
{
    if (m_calendar)
        SetupPopupCalendar(m_calendar.get(), m_startOfWeek, m_weekends, m_weekendColor, m_calendarHints);
}

QDate TCustomDateEdit::Date() const
{
    const QDate fallback = m_defaultToday ? CalendarToday() : NullDate();
    if (DateTextEmpty(text(), m_blanksChar))
        return fallback;
    return StrToDateOrDefault(m_dateFormat, text(), fallback);
}

void TCustomDateEdit::SetDate(const QDate& date)
{
    const QDate before = Date();
    QDate value = date;
    if (!IsValidDateTime(value))
        value = m_defaultToday ? CalendarToday() : NullDate();
    setText(value.isValid() ? FormatDateText(m_dateFormat, value) : QString());
    if (Date() != before)
        setModified(true);
}

void TCustomDateEdit::ApplyDate(const QDate& date)
{
    SetDate(date);
    if (DirectInput())
        selectAll();
}

void TCustomDateEdit::SetBlanksChar(QChar c)
{
    if (c.unicode() < 32)
        c = QLatin1Char(' ');
    if (c == m_blanksChar)
        return;
    m_blanksChar = c;
    UpdateMask();
}

void TCustomDateEdit::SetCalendarHints(const QStringList& hints)
{
    m_calendarHints = hints.mid(0, CalendarButtonCount);
    UpdatePopup();
}

void TCustomDateEdit::SetStartOfWeek(TDayOfWeekName day)
{
    m_startOfWeek = day;
    UpdatePopup();
}

void TCustomDateEdit::SetWeekends(const TDaysOfWeek& days)
{
    m_weekends = days;
    UpdatePopup();
}

void TCustomDateEdit::SetWeekendColor(const QColor& color)
{
    m_weekendColor = color;
    UpdatePopup();
}

void TCustomDateEdit::SetYearDigits(TYearDigits digits)
{
    if (digits == m_yearDigits)
        return;
    m_yearDigits = digits;
    UpdateMask();
}

TCalendarStyle TCustomDateEdit::CalendarStyle() const
{
    return m_calendar ? TCalendarStyle::csPopup : TCalendarStyle::csDialog;
}

void TCustomDateEdit::SetCalendarStyle(TCalendarStyle style)
{
    if (style == TCalendarStyle::csPopup) {
        if (m_calendar)
            return;
        m_calendar = CreatePopupCalendar(this);
        SetPopup(m_calendar.get());
        if (m_popupColor.isValid())
            SetPopupColor(m_popupColor);
        UpdatePopup();
    } else if (m_calendar) {
        SetPopup(nullptr);
        m_calendar.reset();
    }
}

QColor TCustomDateEdit::PopupColor() const
{
    return m_calendar ? m_calendar->palette().color(QPalette::Window) : m_popupColor;
}

void TCustomDateEdit::SetPopupColor(const QColor& color)
{
    m_popupColor = color;
    if (!m_calendar)
        return;
    QPalette palette = m_calendar->palette();
    palette.setColor(QPalette::Window, color);
    m_calendar->setPalette(palette);
}

TPopupCalendar* TCustomDateEdit::PopupCalendar() const
{
    return m_calendar.get();
}

void TCustomDateEdit::ButtonClick()
{
    TCustomComboEdit::ButtonClick();
    if (m_calendar)
        return;
    QDate date = Date();
    if (!SelectDate(date, m_title, m_startOfWeek, m_weekends, m_weekendColor, m_calendarHints))
        return;
    if (isEnabled() && focusPolicy() != Qt::NoFocus)
        setFocus(Qt::OtherFocusReason);
    bool action = true;
    if (OnAcceptDate)
        OnAcceptDate(this, date, action);
    if (!action)
        return;
    SetDate(date);
    if (hasFocus())
        selectAll();
}

void TCustomDateEdit::SetPopupValue(const QVariant&)
{
    if (!Popup())
        return;
    const QDate date = DateTextEmpty(text(), m_blanksChar)
        ? CalendarToday()
        : StrToDateOrDefault(m_dateFormat, text(), CalendarToday());
    Popup()->SetValue(date.isValid() ? date : CalendarToday());
}

bool TCustomDateEdit::AcceptPopup(QVariant& value)
{
    if (!OnAcceptDate)
        return true;
    QDate date = value.isNull() || !value.isValid() ? NullDate() : value.toDate();
    bool action = true;
    OnAcceptDate(this, date, action);
    if (action)
        value = date;
    return action;
}

void TCustomDateEdit::AcceptValue(const QVariant& value)
{
    // The popup is gone by now: the change is the user's, not the popup's.
    RefreshPopupVisible();
    SetDate(value.toDate());
}

void TCustomDateEdit::Change()
{
    if (m_formatting)
        return;
    TCustomComboEdit::Change();
}

bool TCustomDateEdit::ForwardToPopup(QKeyEvent* event)
{
    if (!m_calendar)
        return false;
    switch (event->key()) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        break;
    default: {
        const QString text = event->text();
        if (text != QLatin1String("T") && text != QLatin1String("t") && text != QLatin1String("+")
            && text != QLatin1String("-"))
            return false;
    }
    }
    QCoreApplication::sendEvent(m_calendar.get(), event);
    return true;
}

void TCustomDateEdit::keyPressEvent(QKeyEvent* event)
{
    if (!PopupVisible() && NoShiftKeys(event->modifiers()) && DirectInput() && !ReadOnly()) {
        const bool keypad = event->modifiers() & Qt::KeypadModifier;
        const QString text = event->text();
        const QDate current = Date().isValid() ? Date() : CalendarToday();
        if (keypad && event->key() == Qt::Key_Plus) {
            ApplyDate(current.addDays(1));
            return;
        }
        if (keypad && event->key() == Qt::Key_Minus) {
            ApplyDate(current.addDays(-1));
            return;
        }
        if (text == QLatin1String("T") || text == QLatin1String("t")) {
            ApplyDate(CalendarToday());
            return;
        }
        if (text == QLatin1String("+") || text == QLatin1String("-"))
            return;
    }
    TCustomComboEdit::keyPressEvent(event);
}

void TCustomDateEdit::focusOutEvent(QFocusEvent* event)
{
    TCustomComboEdit::focusOutEvent(event);
    // Only when the user moves to another control, not when another window comes up.
    const Qt::FocusReason reason = event->reason();
    if (m_checkOnExit && !m_checking && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason
        && !DateTextEmpty(text(), m_blanksChar))
        CheckDate();
}

bool TCustomDateEdit::CheckDate()
{
    try {
        const QDate date = StrToDateStrict(m_dateFormat, text());
        m_formatting = true;
        SetDate(date);
        m_formatting = false;
        return true;
    } catch (const EConvertError& error) {
        m_formatting = false;
        m_checking = true;
        // The focus comes back to the edit so the user can mend the text.
        QPointer<TCustomDateEdit> self(this);
        QMetaObject::invokeMethod(
            this,
            [self] {
                if (self) {
                    self->setFocus(Qt::OtherFocusReason);
                    self->selectAll();
                }
            },
            Qt::QueuedConnection);
        qv::messageDlg(error.message(), qv::mtError, qv::mbOK);
        if (self)
            m_checking = false;
        return false;
    }
}

void TCustomDateEdit::changeEvent(QEvent* event)
{
    TCustomComboEdit::changeEvent(event);
    if (event->type() == QEvent::LocaleChange)
        UpdateMask();
}

TDateEdit::TDateEdit(QWidget* parent)
    : TCustomDateEdit(parent)
{
    setObjectName(QStringLiteral("DateEdit"));
    UpdateMask();
}
