#pragma once

// The date edit: a masked edit in the locale's date order with a drop-down
// calendar (or, in dialog style, the modal date dialog), keyboard steps and
// an optional check of the text when the focus leaves it.

#include "components/ComboEdit.h"
#include "components/PickDate.h"

#include <QDate>
#include <QStringList>

#include <memory>

enum class TCalendarStyle { csPopup, csDialog };
enum class TYearDigits { dyDefault, dyFour, dyTwo };

// A date written in a format of DefaultDateFormat: DD, MM, YY or YYYY, with
// "/" standing for the locale's date separator. The null date is "".
QString FormatDateText(const QString& format, const QDate& date);
// The input mask of a date edit (DefaultDateMask) as a line edit takes it,
// with the locale's date separator.
QString DateEditInputMask(QChar blanksChar, bool fourDigitYear);
// True when a date text holds nothing but blanks, NULs, date separators and
// the blanks character.
bool DateTextEmpty(const QString& text, QChar blanksChar);

class TCustomDateEdit : public TCustomComboEdit
{
    Q_OBJECT
public:
    explicit TCustomDateEdit(QWidget* parent = nullptr);
    ~TCustomDateEdit() override;

    // The text read in the edit's format; an empty or unreadable text is
    // today with DefaultToday, else the null date.
    QDate Date() const;
    // An invalid or null date is today with DefaultToday, else the null
    // date, which empties the text.
    void SetDate(const QDate& date);
    // Sets the date and selects the text.
    virtual void ApplyDate(const QDate& date);
    virtual void UpdateMask();

    QString DateFormat() const { return m_dateFormat; }
    QString DialogTitle() const { return m_title; }
    void SetDialogTitle(const QString& title) { m_title = title; }
    bool DefaultToday() const { return m_defaultToday; }
    void SetDefaultToday(bool today) { m_defaultToday = today; }
    bool CheckOnExit() const { return m_checkOnExit; }
    void SetCheckOnExit(bool check) { m_checkOnExit = check; }
    QChar BlanksChar() const { return m_blanksChar; }
    // Characters below 32 become a blank.
    void SetBlanksChar(QChar c);
    QStringList CalendarHints() const { return m_calendarHints; }
    // Lines beyond the fourth are dropped.
    void SetCalendarHints(const QStringList& hints);
    TDayOfWeekName StartOfWeek() const { return m_startOfWeek; }
    void SetStartOfWeek(TDayOfWeekName day);
    TDaysOfWeek Weekends() const { return m_weekends; }
    void SetWeekends(const TDaysOfWeek& days);
    QColor WeekendColor() const { return m_weekendColor; }
    void SetWeekendColor(const QColor& color);
    TYearDigits YearDigits() const { return m_yearDigits; }
    void SetYearDigits(TYearDigits digits);
    TCalendarStyle CalendarStyle() const;
    void SetCalendarStyle(TCalendarStyle style);
    QColor PopupColor() const;
    void SetPopupColor(const QColor& color);
    TPopupCalendar* PopupCalendar() const;

    // Sender, the date (which the handler may change), whether to take it.
    using TExecDateDialog = std::function<void(QObject* sender, QDate& date, bool& action)>;
    TExecDateDialog OnAcceptDate;

protected:
    QImage GetDefaultBitmap() const override;
    void ButtonClick() override;
    bool AcceptPopup(QVariant& value) override;
    void AcceptValue(const QVariant& value) override;
    void SetPopupValue(const QVariant& value) override;
    bool ForwardToPopup(QKeyEvent* event) override;
    void Change() override;

    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Leaving the edit with CheckOnExit: reads the text strictly; false
    // when it is not a date (the message was shown).
    bool CheckDate();
    void UpdateFormat();
    void UpdatePopup();
    bool FourDigits() const;

    std::unique_ptr<TPopupCalendar> m_calendar;
    QString m_title = QStringLiteral("Select a Date");
    bool m_defaultToday = false;
    QColor m_popupColor;
    bool m_checkOnExit = false;
    bool m_checking = false;
    QChar m_blanksChar = QLatin1Char(' ');
    QStringList m_calendarHints;
    TDayOfWeekName m_startOfWeek = TDayOfWeekName::Mon;
    TDaysOfWeek m_weekends{TDayOfWeekName::Sun};
    QColor m_weekendColor = Qt::red;
    TYearDigits m_yearDigits = TYearDigits::dyDefault;
    QString m_dateFormat;
    QString m_mask;
    bool m_formatting = false;
};

class TDateEdit : public TCustomDateEdit
{
    Q_OBJECT
public:
    explicit TDateEdit(QWidget* parent = nullptr);
};
