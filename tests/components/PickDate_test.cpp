// The month calendar: its arithmetic, the grid control, the drop-down window
// and the date dialog.

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "components/LocaleSettings.h"
#include "components/PickDate.h"
#include "platform/DialogScript.h"

namespace {

// English names and day-month-year order, whatever the machine's locale.
class CalendarTest : public ::testing::Test
{
protected:
    CalendarTest()
        : locale(TLocaleSettings::fromLocale(QLocale(QStringLiteral("en_GB"))))
        , today(QDate(2021, 6, 15))
    {
    }

    TLocaleSettingsScope locale;
    TTodayScope today;
};

void sendKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {})
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(widget, &event);
}

TEST_F(CalendarTest, TheFirstOfAMonthAlwaysLiesInTheFirstWeekRow)
{
    // 1 August 2021 is a Sunday: the last column when weeks start on Monday.
    const QDate sunday(2021, 8, 1);
    EXPECT_EQ(CalendarMonthOffset(sunday, TDayOfWeekName::Mon), -5);
    EXPECT_EQ(CalendarCellOfDay(sunday, TDayOfWeekName::Mon), QPoint(6, 1));
    for (int column = 0; column < 6; ++column)
        EXPECT_EQ(CalendarCellText(sunday, TDayOfWeekName::Mon, column, 1), QString()) << column;
    EXPECT_EQ(CalendarCellText(sunday, TDayOfWeekName::Mon, 6, 1), QStringLiteral("1"));
    EXPECT_EQ(CalendarCellText(sunday, TDayOfWeekName::Mon, 0, 2), QStringLiteral("2"));
    // Weeks starting on Sunday put it in the first column.
    EXPECT_EQ(CalendarMonthOffset(sunday, TDayOfWeekName::Sun), 1);
    EXPECT_EQ(CalendarCellOfDay(sunday, TDayOfWeekName::Sun), QPoint(0, 1));
    // The header row names the days from the start of the week.
    EXPECT_EQ(CalendarCellText(sunday, TDayOfWeekName::Mon, 0, 0), QStringLiteral("Mon"));
    EXPECT_EQ(CalendarCellText(sunday, TDayOfWeekName::Mon, 6, 0), QStringLiteral("Sun"));
    EXPECT_EQ(CalendarCellText(sunday, TDayOfWeekName::Sat, 1, 0), QStringLiteral("Sun"));
    // The 31st of August 2021 (Tuesday) ends the sixth row; past it cells are empty.
    EXPECT_EQ(CalendarCellOfDay(QDate(2021, 8, 31), TDayOfWeekName::Mon), QPoint(1, 6));
    EXPECT_EQ(CalendarDayOfCell(sunday, TDayOfWeekName::Mon, 2, 6), 0);

    // Every day of a run of months sits in its own cell and reads back.
    for (QDate date(1999, 1, 1); date < QDate(2001, 1, 1); date = date.addDays(1)) {
        for (const TDayOfWeekName start : {TDayOfWeekName::Sun, TDayOfWeekName::Mon, TDayOfWeekName::Sat}) {
            const QPoint cell = CalendarCellOfDay(date, start);
            ASSERT_GE(cell.y(), 1);
            ASSERT_LE(cell.y(), 6);
            ASSERT_EQ(CalendarDayOfCell(date, start, cell.x(), cell.y()), date.day());
            ASSERT_EQ(CalendarColumnDay(start, cell.x()), TDayOfWeekName(date.dayOfWeek() % 7));
        }
    }
}

TEST_F(CalendarTest, MonthAndYearStepsClampTheDay)
{
    EXPECT_EQ(CalendarChangeMonth(QDate(2021, 1, 31), 1), QDate(2021, 2, 28));
    EXPECT_EQ(CalendarChangeMonth(QDate(2020, 1, 31), 1), QDate(2020, 2, 29));
    EXPECT_EQ(CalendarChangeMonth(QDate(2021, 3, 31), -1), QDate(2021, 2, 28));
    EXPECT_EQ(CalendarChangeMonth(QDate(2024, 3, 31), -1), QDate(2024, 2, 29));
    EXPECT_EQ(CalendarChangeMonth(QDate(2021, 12, 15), 1), QDate(2022, 1, 15));
    EXPECT_EQ(CalendarChangeMonth(QDate(2021, 1, 15), -1), QDate(2020, 12, 15));
    EXPECT_EQ(CalendarChangeYear(QDate(2000, 2, 29), 1), QDate(2001, 2, 28));
    // The 28th first, even into the next leap year.
    EXPECT_EQ(CalendarChangeYear(QDate(2000, 2, 29), 4), QDate(2004, 2, 28));
    EXPECT_EQ(CalendarChangeYear(QDate(2001, 3, 1), -1), QDate(2000, 3, 1));
    EXPECT_EQ(CalendarWithYear(QDate(2000, 2, 29), 2001), QDate(2001, 2, 28));
    EXPECT_EQ(CalendarTitle(QDate(2021, 2, 3)), QStringLiteral("February, 2021"));

    TQcCalendar calendar;
    int changes = 0;
    calendar.OnChange = [&](QObject*) { ++changes; };
    EXPECT_EQ(calendar.CalendarDate(), QDate(2021, 6, 15));
    calendar.SetCalendarDate(QDate(2021, 1, 31));
    calendar.NextMonth();
    EXPECT_EQ(calendar.CalendarDate(), QDate(2021, 2, 28));
    calendar.SetCalendarDate(QDate(2000, 2, 29));
    calendar.NextYear();
    EXPECT_EQ(calendar.CalendarDate(), QDate(2001, 2, 28));
    calendar.SetCalendarDate(QDate(2000, 2, 29));
    calendar.SetYear(2003);
    EXPECT_EQ(calendar.CalendarDate(), QDate(2003, 2, 28));
    EXPECT_FALSE(calendar.UseCurrentDate());
    // Values out of range are ignored, and so is the same value.
    const int before = changes;
    calendar.SetMonth(13);
    calendar.SetDay(29);
    calendar.SetYear(0);
    calendar.SetDay(28);
    EXPECT_EQ(changes, before);
    calendar.SetMonth(3);
    EXPECT_EQ(calendar.CalendarDate(), QDate(2003, 3, 28));
    EXPECT_EQ(changes, before + 1);
    calendar.SetUseCurrentDate(true);
    EXPECT_EQ(calendar.CalendarDate(), QDate(2021, 6, 15));
}

TEST_F(CalendarTest, KeysAndClicksMoveTheDayAReadOnlyCalendarRefusesClicks)
{
    TQcCalendar calendar;
    calendar.resize(7 * 30, 7 * 20);
    calendar.SetCalendarDate(QDate(2021, 1, 31));
    sendKey(&calendar, Qt::Key_Plus, Qt::KeypadModifier, QStringLiteral("+"));
    EXPECT_EQ(calendar.CalendarDate(), QDate(2021, 2, 1));
    sendKey(&calendar, Qt::Key_Left);
    EXPECT_EQ(calendar.CalendarDate(), QDate(2021, 1, 31));
    sendKey(&calendar, Qt::Key_Up);
    EXPECT_EQ(calendar.CalendarDate(), QDate(2021, 1, 24));
    // A shifted arrow is the grid's, not a day step.
    sendKey(&calendar, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(calendar.CalendarDate(), QDate(2021, 1, 24));
    sendKey(&calendar, Qt::Key_T, Qt::NoModifier, QStringLiteral("t"));
    EXPECT_EQ(calendar.CalendarDate(), QDate(2021, 6, 15));

    // June 2021 starts on a Tuesday: the 1st is row 1, column 1 (weeks from Monday).
    const QRect first = calendar.CellRect(1, 1);
    QTest::mouseClick(&calendar, Qt::LeftButton, {}, calendar.CellRect(3, 2).center());
    EXPECT_EQ(calendar.CalendarDate(), QDate(2021, 6, 10));
    // An empty cell cannot be chosen.
    QTest::mouseClick(&calendar, Qt::LeftButton, {}, calendar.CellRect(0, 1).center());
    EXPECT_EQ(calendar.CalendarDate(), QDate(2021, 6, 10));
    calendar.SetReadOnly(true);
    QTest::mouseClick(&calendar, Qt::LeftButton, {}, first.center());
    EXPECT_EQ(calendar.CalendarDate(), QDate(2021, 6, 10));
    EXPECT_EQ(calendar.CurrentCell(), QPoint(3, 2));
}

TEST_F(CalendarTest, ThePopupShowsTodayForAnythingThatIsNotADate)
{
    QWidget owner;
    std::unique_ptr<TPopupCalendar> popup = CreatePopupCalendar(&owner);
    EXPECT_GE(popup->width(), 180);
    EXPECT_GE(popup->height(), 120);
    popup->SetValue(QDate(2020, 2, 29));
    EXPECT_EQ(popup->GetValue().toDate(), QDate(2020, 2, 29));
    EXPECT_EQ(popup->TitleLabel()->text(), QStringLiteral("February, 2020"));
    // An empty masked date edit gives only separators and blanks.
    popup->SetValue(QStringLiteral("  /  /    "));
    EXPECT_EQ(popup->GetValue().toDate(), QDate(2021, 6, 15));
    popup->SetValue(QDate(2020, 2, 29));
    popup->SetValue(QStringLiteral("31/02/20xx"));
    EXPECT_EQ(popup->GetValue().toDate(), QDate(2021, 6, 15));
    popup->SetValue(QStringLiteral("03/04/2019"));
    EXPECT_EQ(popup->GetValue().toDate(), QDate(2019, 4, 3));
    popup->SetValue(QVariant());
    EXPECT_EQ(popup->GetValue().toDate(), QDate(2021, 6, 15));

    // Keys passed on by the edit: pages step months, Ctrl pages step years.
    sendKey(popup.get(), Qt::Key_PageDown);
    EXPECT_EQ(popup->GetValue().toDate(), QDate(2021, 7, 15));
    sendKey(popup.get(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(popup->GetValue().toDate(), QDate(2020, 7, 15));
    EXPECT_EQ(popup->TitleLabel()->text(), QStringLiteral("July, 2020"));
    sendKey(popup.get(), Qt::Key_Right);
    EXPECT_EQ(popup->GetValue().toDate(), QDate(2020, 7, 16));
    // The step buttons, with the hints a date edit gives them.
    SetupPopupCalendar(popup.get(), TDayOfWeekName::Sun, {TDayOfWeekName::Sat}, Qt::blue,
                       {QString(), QStringLiteral("Back")});
    EXPECT_EQ(popup->Button(0)->toolTip(), QStringLiteral("Previous Year"));
    EXPECT_EQ(popup->Button(1)->toolTip(), QStringLiteral("Back"));
    EXPECT_EQ(popup->Calendar()->StartOfWeek(), TDayOfWeekName::Sun);
    popup->Button(1)->Click();
    EXPECT_EQ(popup->GetValue().toDate(), QDate(2020, 6, 16));

    // A release on a day closes the popup accepting it; on an empty cell it does not.
    int accepted = 0;
    popup->OnCloseUp = [&](QObject*, bool accept) { accepted += accept ? 1 : 0; };
    TQcCalendar* calendar = popup->Calendar();
    QTest::mouseRelease(calendar, Qt::LeftButton, {}, calendar->CellRect(0, 0).center());
    EXPECT_EQ(accepted, 0);
    QTest::mouseClick(calendar, Qt::LeftButton, {}, calendar->CellRect(3, 2).center());
    EXPECT_EQ(accepted, 1);
    // June 2020 starts on a Monday, the second column of weeks from Sunday.
    EXPECT_EQ(popup->GetValue().toDate(), QDate(2020, 6, 10));
}

TEST_F(CalendarTest, TheDateDialogSteppedByKeysGivesItsDateOnOk)
{
    qv::DialogScript script;
    script.onModal([](QDialog& dialog) {
        auto& dlg = static_cast<TSelectDateDlg&>(dialog);
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Pick one"));
        EXPECT_EQ(dlg.Date(), QDate(2021, 1, 31));
        TQcCalendar* calendar = dlg.Calendar();
        sendKey(calendar, Qt::Key_Tab);
        EXPECT_EQ(dlg.Date(), QDate(2021, 2, 28));
        sendKey(calendar, Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_EQ(dlg.Date(), QDate(2021, 1, 28));
        sendKey(calendar, Qt::Key_PageDown, Qt::ControlModifier);
        EXPECT_EQ(dlg.TitleLabel()->text(), QStringLiteral("January, 2022"));
        sendKey(calendar, Qt::Key_Return);
    });
    QDate date(2021, 1, 31);
    ASSERT_TRUE(SelectDate(date, QStringLiteral("Pick one"), TDayOfWeekName::Mon, {TDayOfWeekName::Sun}, Qt::red, {}));
    EXPECT_EQ(date, QDate(2022, 1, 28));

    // Esc gives nothing back; the null date starts at today.
    script.onModal([](QDialog& dialog) {
        auto& dlg = static_cast<TSelectDateDlg&>(dialog);
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Select a Date"));
        EXPECT_EQ(dlg.Date(), QDate(2021, 6, 15));
        sendKey(dlg.Calendar(), Qt::Key_PageUp);
        sendKey(dlg.Calendar(), Qt::Key_Escape);
    });
    QDate none;
    EXPECT_FALSE(SelectDate(none, QString(), TDayOfWeekName::Mon, {}, Qt::red, {}));
    EXPECT_FALSE(none.isValid());

    // A double click on the calendar is OK.
    script.onModal([](QDialog& dialog) {
        auto& dlg = static_cast<TSelectDateDlg&>(dialog);
        TQcCalendar* calendar = dlg.Calendar();
        QTest::mouseClick(calendar, Qt::LeftButton, {}, calendar->CellRect(4, 3).center());
        EXPECT_TRUE(dlg.isVisible());
        QTest::mouseDClick(calendar, Qt::LeftButton, {}, calendar->CellRect(4, 3).center());
    });
    QDate clicked(2021, 6, 1);
    ASSERT_TRUE(SelectDate(clicked, QString(), TDayOfWeekName::Mon, {}, Qt::red, {}));
    EXPECT_EQ(clicked, QDate(2021, 6, 18));
}

} // namespace
