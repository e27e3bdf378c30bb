#pragma once

// The month calendar of the date edit: the grid control (TQcCalendar), its
// borderless form inside the drop-down window (TPopupCalendar), the modal
// date dialog (TSelectDateDlg, opened by SelectDate) and the speed button
// that repeats while held for the month and year steps.
//
// The month arithmetic lives in plain functions below so it can be checked
// without a window.

#include "components/ComboEdit.h"
#include "components/SpeedButton.h"

#include <QColor>
#include <QDate>
#include <QDialog>
#include <QStringList>
#include <QWidget>

#include <array>
#include <initializer_list>
#include <memory>
#include <optional>

class QLabel;

enum class TDayOfWeekName { Sun, Mon, Tue, Wed, Thu, Fri, Sat };

// A set of week days.
class TDaysOfWeek
{
public:
    constexpr TDaysOfWeek() = default;
    constexpr TDaysOfWeek(std::initializer_list<TDayOfWeekName> days)
    {
        for (const TDayOfWeekName day : days)
            m_bits |= Bit(day);
    }
    constexpr bool contains(TDayOfWeekName day) const { return (m_bits & Bit(day)) != 0; }
    constexpr void insert(TDayOfWeekName day) { m_bits |= Bit(day); }
    constexpr void remove(TDayOfWeekName day) { m_bits &= ~Bit(day); }
    constexpr bool operator==(const TDaysOfWeek&) const = default;

private:
    static constexpr unsigned Bit(TDayOfWeekName day) { return 1u << unsigned(day); }
    unsigned m_bits = 0;
};

// The week day a column shows: (start + column) mod 7.
TDayOfWeekName CalendarColumnDay(TDayOfWeekName startOfWeek, int column);

// The day number shown in the first column of the first week row of the
// date's month: between -5 and 1, so the 1st always lies in the first week row.
int CalendarMonthOffset(const QDate& date, TDayOfWeekName startOfWeek);
// The cell (column, row; row 0 is the day names) that shows the date's day.
QPoint CalendarCellOfDay(const QDate& date, TDayOfWeekName startOfWeek);
// The day number a week-row cell shows, or 0 for an empty cell.
int CalendarDayOfCell(const QDate& date, TDayOfWeekName startOfWeek, int column, int row);
// The text of a cell: the short day name in row 0, the day number or "" below.
QString CalendarCellText(const QDate& date, TDayOfWeekName startOfWeek, int column, int row);

// One month back or forward, keeping the day number clamped to the length
// of the month reached (31 January + 1 = 28 or 29 February).
QDate CalendarChangeMonth(const QDate& date, int delta);
// One year back or forward; 29 February becomes the 28th first.
QDate CalendarChangeYear(const QDate& date, int delta);
// The date with its year replaced; 29 February in a year without one becomes the 28th.
QDate CalendarWithYear(const QDate& date, int year);

// "MMMM, YYYY" of a date: the month's long name from the locale settings.
QString CalendarTitle(const QDate& date);

// Today as the calendars and date edits see it: the system's date unless a
// TTodayScope pins it (tests).
QDate CalendarToday();

class TTodayScope
{
public:
    explicit TTodayScope(const QDate& today);
    ~TTodayScope();
    TTodayScope(const TTodayScope&) = delete;
    TTodayScope& operator=(const TTodayScope&) = delete;

private:
    std::optional<QDate> m_previous;
};

// The 7 x 7 month grid: a header row of day names, then the weeks.
class TQcCalendar : public QWidget
{
    Q_OBJECT
public:
    explicit TQcCalendar(QWidget* parent = nullptr);

    QDate CalendarDate() const { return m_date; }
    void SetCalendarDate(const QDate& date);
    int Day() const { return m_date.day(); }
    int Month() const { return m_date.month(); }
    int Year() const { return m_date.year(); }
    void SetDay(int day);
    void SetMonth(int month);
    void SetYear(int year);

    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }
    TDayOfWeekName StartOfWeek() const { return m_startOfWeek; }
    void SetStartOfWeek(TDayOfWeekName day);
    bool UseCurrentDate() const { return m_useCurrentDate; }
    void SetUseCurrentDate(bool use);
    TDaysOfWeek Weekends() const { return m_weekends; }
    void SetWeekends(const TDaysOfWeek& days);
    QColor WeekendColor() const { return m_weekendColor; }
    void SetWeekendColor(const QColor& color);
    // Background of the day-name row.
    void SetFixedColor(const QColor& color);
    // Grid lines between all cells (the dialog) or only below the day names (the popup).
    void SetGridLines(bool all);
    // Frames today's cell (the popup's calendar).
    void SetFrameToday(bool frame);

    int MonthOffset() const { return m_monthOffset; }
    // The selected cell.
    QPoint CurrentCell() const { return m_currentCell; }
    QString CellText(int column, int row) const;
    QRect CellRect(int column, int row) const;
    // The cell under a point, or (-1, -1).
    QPoint CellAt(const QPoint& pos) const;
    // Whether the user may select a cell: it must show a day, and a
    // read-only calendar refuses every cell.
    bool SelectCell(int column, int row);

    void PrevMonth();
    void NextMonth();
    void PrevYear();
    void NextYear();
    void UpdateCalendar();

    qv::TNotifyEvent OnChange;
    qv::TNotifyEvent OnDblClick;
    // A left-button release (shift state, cell under the pointer).
    std::function<void(Qt::KeyboardModifiers, QPoint)> OnMouseRelease;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ChangeDate(const QDate& date, bool dayOnly);
    void CalendarUpdate(bool dayOnly);
    void Change();
    int ColumnWidth() const;
    int RowHeight() const;

    QDate m_date;
    int m_monthOffset = 1;
    bool m_readOnly = false;
    TDayOfWeekName m_startOfWeek = TDayOfWeekName::Mon;
    bool m_updating = false;
    bool m_useCurrentDate = true;
    TDaysOfWeek m_weekends{TDayOfWeekName::Sun};
    QColor m_weekendColor = Qt::red;
    QColor m_fixedColor;
    bool m_allGridLines = true;
    bool m_frameToday = false;
    QPoint m_currentCell{0, 1};
};

// The calendar inside the drop-down window.
class TLocCalendar : public TQcCalendar
{
    Q_OBJECT
public:
    explicit TLocCalendar(QWidget* parent = nullptr);
};

// A speed button that repeats its click while held.
class TQcTimerSpeedButton : public TQcSpeedButton
{
    Q_OBJECT
public:
    explicit TQcTimerSpeedButton(QWidget* parent = nullptr);
};

// The hints of the four step buttons, in the order of the buttons.
inline constexpr int CalendarButtonCount = 4;
QStringList DefaultCalendarHints();

// The window that drops down below a date edit.
class TPopupCalendar : public TPopupWindow
{
    Q_OBJECT
public:
    explicit TPopupCalendar(QWidget* owner);

    TLocCalendar* Calendar() const { return m_calendar; }
    QLabel* TitleLabel() const { return m_titleLabel; }
    // Previous year, previous month, next month, next year.
    TQcTimerSpeedButton* Button(int index) const { return m_btns[index]; }

    QVariant GetValue() const override;
    // An empty or unreadable date text, a null or invalid date: today.
    void SetValue(const QVariant& value) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateTitle();

    TLocCalendar* m_calendar;
    QLabel* m_titleLabel;
    std::array<TQcTimerSpeedButton*, CalendarButtonCount> m_btns{};
};

// The popup's initial size; it never gets smaller than 180 x 120.
inline constexpr QSize PopupCalendarSize(187, 124);

std::unique_ptr<TPopupCalendar> CreatePopupCalendar(QWidget* owner);
void SetupPopupCalendar(TPopupWindow* popup, TDayOfWeekName startOfWeek, const TDaysOfWeek& weekends,
                        const QColor& weekendColor, const QStringList& buttonHints);

// The modal date dialog.
class TSelectDateDlg : public QDialog
{
    Q_OBJECT
public:
    explicit TSelectDateDlg(QWidget* parent = nullptr);

    QDate Date() const;
    // The null date becomes today.
    void SetDate(const QDate& date);

    TQcCalendar* Calendar() const { return m_calendar; }
    QLabel* TitleLabel() const { return m_titleLabel; }
    TQcTimerSpeedButton* Button(int index) const { return m_btns[index]; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Esc, Enter, PageUp/PageDown (years with Ctrl), Tab and Shift+Tab; true when taken.
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void UpdateTitle();

    TQcCalendar* m_calendar;
    QLabel* m_titleLabel;
    std::array<TQcTimerSpeedButton*, CalendarButtonCount> m_btns{};
};

// The dialog captioned "Select a Date" unless a caption is given.
std::unique_ptr<TSelectDateDlg> CreateDateDialog(const QString& caption);

// Shows the date dialog; true on OK with date set to the chosen date.
bool SelectDate(QDate& date, const QString& caption, TDayOfWeekName startOfWeek, const TDaysOfWeek& weekends,
                const QColor& weekendColor, const QStringList& buttonHints);

// The font of message texts, which the calendars use.
void FontSetDefault(QFont& font);
