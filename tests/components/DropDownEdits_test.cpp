// The drop-down edits: where the popup drops, the button and its key, the
// date edit with its calendar, keys and exit check, the file-name edit with
// its dialog and dropped files.

#include <QApplication>
#include <QDialog>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include "components/DateEdit.h"
#include "components/FileEdit.h"
#include "components/LocaleSettings.h"
#include "platform/DialogScript.h"

namespace {

void sendKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {})
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(widget, &event);
}

TEST(PopupOrigin, BelowTheEditAboveItWhenThereIsNoRoomNeverPastTheScreen)
{
    const QRect screen(0, 0, 1000, 800);
    const QSize popup(187, 124);
    // Right edges lined up, below the edit.
    EXPECT_EQ(PopupOrigin(QRect(100, 100, 150, 21), popup, screen, TPopupAlign::epaRight), QPoint(63, 121));
    // Near the bottom: above the edit.
    EXPECT_EQ(PopupOrigin(QRect(100, 700, 150, 21), popup, screen, TPopupAlign::epaRight), QPoint(63, 576));
    // Right alignment that would start left of the screen keeps the left edges.
    EXPECT_EQ(PopupOrigin(QRect(10, 100, 150, 21), popup, screen, TPopupAlign::epaRight), QPoint(10, 121));
    // Left alignment near the right edge shifts left by the width difference.
    EXPECT_EQ(PopupOrigin(QRect(900, 100, 80, 21), popup, screen, TPopupAlign::epaLeft), QPoint(793, 121));
    EXPECT_EQ(PopupOrigin(QRect(100, 100, 80, 21), popup, screen, TPopupAlign::epaLeft), QPoint(100, 121));
    // Never past the right side.
    EXPECT_EQ(PopupOrigin(QRect(990, 100, 5, 21), popup, screen, TPopupAlign::epaLeft), QPoint(808, 121));
    EXPECT_EQ(PopupOrigin(QRect(-50, 100, 5, 21), popup, screen, TPopupAlign::epaLeft), QPoint(0, 121));
    // The edit's own screen, which need not start at 0.
    const QRect second(1920, 0, 1280, 1024);
    EXPECT_EQ(PopupOrigin(QRect(2000, 990, 100, 21), popup, second, TPopupAlign::epaRight), QPoint(2000, 866));
}

TEST(EllipsisGlyph, ThreeDotsCentredInTheButton)
{
    const QImage glyph = EllipsisGlyph(21);
    ASSERT_EQ(glyph.size(), QSize(15, 4));
    // Gap 3: dots at 1, 6 and 11, two pixels wide, on rows 1 and 2.
    for (int x = 0; x < 15; ++x) {
        const bool dot = (x >= 1 && x <= 2) || (x >= 6 && x <= 7) || (x >= 11 && x <= 12);
        EXPECT_EQ(qRed(glyph.pixel(x, 1)) == 0, dot) << x;
        EXPECT_EQ(qRed(glyph.pixel(x, 3)), 255) << x;
    }
}

TEST(PaintComboEdit, DrawsTheTextBesideTheButtonUnlessTheEditPaintsItself)
{
    TCustomComboEdit edit;
    edit.resize(200, 24);
    QImage image(edit.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    EXPECT_FALSE(PaintComboEdit(edit, QStringLiteral("12,345.00"), Qt::AlignRight, true, painter));
    EXPECT_EQ(image.pixel(5, 5), QColor(Qt::magenta).rgb());
    ASSERT_TRUE(PaintComboEdit(edit, QStringLiteral("12,345.00"), Qt::AlignRight, false, painter));
    painter.end();
    // Text pixels lie in the right half, left of the button; nothing under the button.
    const QRgb base = edit.palette().color(QPalette::Base).rgb();
    int leftmostInk = image.width();
    int rightmostInk = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != base) {
                leftmostInk = std::min(leftmostInk, x);
                rightmostInk = std::max(rightmostInk, x);
            }
    EXPECT_GT(leftmostInk, 100);
    EXPECT_LT(rightmostInk, 200 - edit.ButtonWidth());
}

class DateEditTest : public ::testing::Test
{
protected:
    DateEditTest()
        : locale(TLocaleSettings::fromLocale(QLocale(QStringLiteral("en_GB"))))
        , today(QDate(2021, 6, 15))
    {
        window.resize(300, 200);
        auto* layout = new QVBoxLayout(&window);
        edit = new TDateEdit(&window);
        other = new QPushButton(QStringLiteral("Other"), &window);
        layout->addWidget(edit);
        layout->addWidget(other);
        layout->addStretch(1);
    }

    void showActive()
    {
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        edit->setFocus();
    }

    TLocaleSettingsScope locale;
    TTodayScope today;
    QWidget window;
    TDateEdit* edit;
    QPushButton* other;
    qv::DialogScript script;
};

TEST_F(DateEditTest, DatesReadAndWriteInTheLocaleOrder)
{
    EXPECT_EQ(edit->DateFormat(), QStringLiteral("DD/MM/YYYY"));
    EXPECT_EQ(edit->inputMask(), QStringLiteral("00/00/0000"));
    EXPECT_FALSE(edit->Date().isValid());
    edit->SetDefaultToday(true);
    EXPECT_EQ(edit->Date(), QDate(2021, 6, 15));
    edit->SetDefaultToday(false);

    edit->setModified(false);
    edit->SetDate(QDate(2021, 3, 4));
    EXPECT_EQ(edit->text(), QStringLiteral("04/03/2021"));
    EXPECT_EQ(edit->Date(), QDate(2021, 3, 4));
    EXPECT_TRUE(edit->isModified());
    edit->SetDate(QDate());
    EXPECT_FALSE(edit->Date().isValid());
    EXPECT_TRUE(DateTextEmpty(edit->text(), edit->BlanksChar()));
    EXPECT_EQ(FormatDateText(QStringLiteral("YY/MM/DD"), QDate(2009, 12, 1)), QStringLiteral("09/12/01"));

    // Another separator goes into the mask and the text.
    TLocaleSettings dotted = TLocaleSettings::fromLocale(QLocale(QStringLiteral("de_DE")));
    const TLocaleSettingsScope german(dotted);
    EXPECT_EQ(DateEditInputMask(QLatin1Char('_'), true), QStringLiteral("00.00.0000;_"));
    TDateEdit local;
    local.SetYearDigits(TYearDigits::dyFour);
    local.SetDate(QDate(2021, 3, 4));
    EXPECT_EQ(local.text(), QStringLiteral("04.03.2021"));
    EXPECT_EQ(local.Date(), QDate(2021, 3, 4));

    edit->SetBlanksChar(QChar(9));
    EXPECT_EQ(edit->BlanksChar(), QLatin1Char(' '));
    edit->SetCalendarHints({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                            QStringLiteral("5")});
    EXPECT_EQ(edit->CalendarHints().size(), 4);
    EXPECT_EQ(edit->PopupCalendar()->Button(3)->toolTip(), QStringLiteral("4"));
}

TEST_F(DateEditTest, TheCalendarDropsTakesKeysAndGivesItsDateOnEnter)
{
    showActive();
    edit->SetDate(QDate(2021, 1, 31));
    int changes = 0;
    edit->OnChange = [&](QObject*) { ++changes; };
    sendKey(edit, Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(edit->PopupVisible());
    TPopupCalendar* popup = edit->PopupCalendar();
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->GetValue().toDate(), QDate(2021, 1, 31));
    // The popup drops below the edit, the right edges lined up.
    const QPoint editBottomRight = edit->mapToGlobal(QPoint(edit->width(), edit->height()));
    EXPECT_EQ(popup->geometry().top(), editBottomRight.y());
    EXPECT_EQ(popup->geometry().left() + popup->width(), editBottomRight.x());
    EXPECT_TRUE(edit->isReadOnly());

    sendKey(edit, Qt::Key_PageDown);
    sendKey(edit, Qt::Key_Right);
    EXPECT_EQ(popup->GetValue().toDate(), QDate(2021, 3, 1));
    EXPECT_EQ(edit->Date(), QDate(2021, 1, 31));
    EXPECT_EQ(changes, 0);
    sendKey(edit, Qt::Key_Return);
    EXPECT_FALSE(edit->PopupVisible());
    EXPECT_FALSE(popup->isVisible());
    EXPECT_FALSE(edit->isReadOnly());
    EXPECT_EQ(edit->Date(), QDate(2021, 3, 1));
    EXPECT_EQ(changes, 1);

    // Esc cancels; a second press of the button closes accepting.
    edit->EditButtonClick();
    ASSERT_TRUE(edit->PopupVisible());
    sendKey(edit, Qt::Key_Left);
    sendKey(edit, Qt::Key_Escape);
    EXPECT_FALSE(edit->PopupVisible());
    EXPECT_EQ(edit->Date(), QDate(2021, 3, 1));
    edit->EditButtonClick();
    sendKey(edit, Qt::Key_Left);
    edit->EditButtonClick();
    EXPECT_FALSE(edit->PopupVisible());
    EXPECT_EQ(edit->Date(), QDate(2021, 2, 28));

    // The accept handler may refuse or change the date.
    edit->OnAcceptDate = [](QObject*, QDate& date, bool& action) { action = date.day() != 27; };
    edit->EditButtonClick();
    sendKey(edit, Qt::Key_Left);
    sendKey(edit, Qt::Key_Return);
    EXPECT_EQ(edit->Date(), QDate(2021, 2, 28));
    edit->OnAcceptDate = [](QObject*, QDate& date, bool&) { date = date.addYears(1); };
    edit->EditButtonClick();
    sendKey(edit, Qt::Key_Return);
    EXPECT_EQ(edit->Date(), QDate(2022, 2, 28));
    edit->OnAcceptDate = nullptr;

    // A press on the button closes it accepting, and the click that follows
    // does not drop it again.
    edit->EditButtonClick();
    sendKey(edit, Qt::Key_Right);
    QTest::mouseClick(edit->Button(), Qt::LeftButton);
    EXPECT_FALSE(edit->PopupVisible());
    EXPECT_EQ(edit->Date(), QDate(2022, 3, 1));
    QTest::mouseClick(edit->Button(), Qt::LeftButton);
    EXPECT_TRUE(edit->PopupVisible());
    sendKey(edit, Qt::Key_Left);
    sendKey(edit, Qt::Key_Return);
    EXPECT_EQ(edit->Date(), QDate(2022, 2, 28));

    // A press somewhere else closes it without taking the date.
    edit->EditButtonClick();
    sendKey(edit, Qt::Key_Right);
    QTest::mousePress(other, Qt::LeftButton);
    EXPECT_FALSE(edit->PopupVisible());
    EXPECT_EQ(edit->Date(), QDate(2022, 2, 28));
    QTest::mouseRelease(other, Qt::LeftButton);
}

TEST_F(DateEditTest, TheButtonAndItsKeyDoNothingWhenTheyCannot)
{
    showActive();
    edit->SetButtonWidth(0);
    EXPECT_TRUE(edit->Button()->isHidden());
    sendKey(edit, Qt::Key_Down, Qt::AltModifier);
    EXPECT_FALSE(edit->PopupVisible());
    edit->SetButtonWidth(21);
    edit->SetReadOnly(true);
    edit->EditButtonClick();
    EXPECT_FALSE(edit->PopupVisible());
    EXPECT_TRUE(edit->isReadOnly());
    edit->SetReadOnly(false);
    edit->SetDirectInput(false);
    EXPECT_TRUE(edit->isReadOnly());
    edit->EditButtonClick();
    EXPECT_TRUE(edit->PopupVisible());
    sendKey(edit, Qt::Key_Escape);
    EXPECT_TRUE(edit->isReadOnly());
}

TEST_F(DateEditTest, KeysStepTheDateWithoutThePopup)
{
    showActive();
    edit->SetDate(QDate(2021, 12, 31));
    sendKey(edit, Qt::Key_Plus, Qt::KeypadModifier, QStringLiteral("+"));
    EXPECT_EQ(edit->Date(), QDate(2022, 1, 1));
    sendKey(edit, Qt::Key_Minus, Qt::KeypadModifier, QStringLiteral("-"));
    sendKey(edit, Qt::Key_Minus, Qt::KeypadModifier, QStringLiteral("-"));
    EXPECT_EQ(edit->Date(), QDate(2021, 12, 30));
    sendKey(edit, Qt::Key_Plus, Qt::NoModifier, QStringLiteral("+"));
    EXPECT_EQ(edit->Date(), QDate(2021, 12, 30));
    sendKey(edit, Qt::Key_T, Qt::NoModifier, QStringLiteral("T"));
    EXPECT_EQ(edit->Date(), QDate(2021, 6, 15));
    edit->SetDate(QDate());
    sendKey(edit, Qt::Key_Plus, Qt::KeypadModifier, QStringLiteral("+"));
    EXPECT_EQ(edit->Date(), QDate(2021, 6, 16));
}

TEST_F(DateEditTest, AFailedCheckOnExitShowsTheMessageAndKeepsTheFocus)
{
    edit->SetCheckOnExit(true);
    showActive();
    ASSERT_TRUE(edit->hasFocus());
    int changes = 0;
    edit->OnChange = [&](QObject*) { ++changes; };
    edit->setText(QStringLiteral("31/02/2021"));
    changes = 0;
    script.answerMessage(qv::mrOk);
    other->setFocus();
    QCoreApplication::processEvents();
    ASSERT_EQ(script.messages().size(), 1);
    EXPECT_EQ(script.messages().first(), QStringLiteral("''31/02/2021'' is not a valid date"));
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->text(), QStringLiteral("31/02/2021"));

    // A good date is rewritten in the edit's format without a change event.
    edit->setText(QStringLiteral("05/06/2021"));
    changes = 0;
    other->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(script.messages().size(), 1);
    EXPECT_TRUE(other->hasFocus());
    EXPECT_EQ(edit->Date(), QDate(2021, 6, 5));
    EXPECT_EQ(changes, 0);
    // An empty text is not checked.
    edit->setFocus();
    edit->SetDate(QDate());
    other->setFocus();
    EXPECT_EQ(script.messages().size(), 1);
}

TEST_F(DateEditTest, DialogStyleUsesTheDateDialog)
{
    showActive();
    edit->SetCalendarStyle(TCalendarStyle::csDialog);
    EXPECT_EQ(edit->PopupCalendar(), nullptr);
    edit->SetDialogTitle(QStringLiteral("Start date"));
    edit->SetDate(QDate(2021, 1, 31));
    script.onModal([](QDialog& dialog) {
        auto& dlg = static_cast<TSelectDateDlg&>(dialog);
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Start date"));
        dlg.Calendar()->NextMonth();
        dlg.accept();
    });
    edit->EditButtonClick();
    EXPECT_EQ(edit->Date(), QDate(2021, 2, 28));
    script.onModal([](QDialog& dialog) { dialog.reject(); });
    edit->EditButtonClick();
    EXPECT_EQ(edit->Date(), QDate(2021, 2, 28));
    edit->SetCalendarStyle(TCalendarStyle::csPopup);
    ASSERT_NE(edit->PopupCalendar(), nullptr);
}

TEST_F(DateEditTest, EnterWithoutThePopupReachesTheDefaultButton)
{
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* date = new TDateEdit(&dialog);
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setDefault(true);
    layout->addWidget(date);
    layout->addWidget(ok);
    int clicked = 0;
    QObject::connect(ok, &QPushButton::clicked, [&] { ++clicked; });
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    date->setFocus();
    QTest::keyClick(date, Qt::Key_Return);
    EXPECT_EQ(clicked, 1);
    // With the popup down, Enter is the popup's.
    date->EditButtonClick();
    ASSERT_TRUE(date->PopupVisible());
    QTest::keyClick(date, Qt::Key_Return);
    EXPECT_EQ(clicked, 1);
    EXPECT_FALSE(date->PopupVisible());
    EXPECT_EQ(date->Date(), QDate(2021, 6, 15));
}

TEST_F(DateEditTest, ThePopupOpensAboveAnEditAtTheBottomOfItsScreen)
{
    const QRect screen = window.screen()->geometry();
    window.setGeometry(screen.left(), screen.bottom() - 80, 300, 60);
    showActive();
    edit->EditButtonClick();
    ASSERT_TRUE(edit->PopupVisible());
    const QPoint editTop = edit->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(edit->PopupCalendar()->geometry().bottom() + 1, editTop.y());
    EXPECT_TRUE(screen.contains(edit->PopupCalendar()->geometry()));
    sendKey(edit, Qt::Key_Escape);
}

// ---------------------------------------------------------------------------

TEST(FilenameEdit, NamesWithBlanksAreQuotedAndFileNameGivesThemBack)
{
    EXPECT_EQ(QuoteFileName(QStringLiteral("C:\\My Files\\a.gdb")), QStringLiteral("\"C:\\My Files\\a.gdb\""));
    EXPECT_EQ(QuoteFileName(QStringLiteral("\"C:\\My Files\\a.gdb\"")), QStringLiteral("\"C:\\My Files\\a.gdb\""));
    EXPECT_EQ(QuoteFileName(QStringLiteral("/data/a.fdb")), QStringLiteral("/data/a.fdb"));
    EXPECT_EQ(NormalizeDefaultExt(QStringLiteral("*.sql")), QStringLiteral("sql"));
    EXPECT_EQ(NormalizeDefaultExt(QStringLiteral(".sql")), QStringLiteral("sql"));
    EXPECT_EQ(NormalizeDefaultExt(QStringLiteral("sql")), QStringLiteral("sql"));

    TFilenameEdit edit;
    edit.SetFileName(QStringLiteral("/home/me/My Files/a.fdb"));
    EXPECT_EQ(edit.text(), QStringLiteral("\"/home/me/My Files/a.fdb\""));
    EXPECT_EQ(edit.FileName(), QStringLiteral("/home/me/My Files/a.fdb"));
    try {
        edit.SetFileName(QStringLiteral("a|b"));
        ADD_FAILURE() << "no error";
    } catch (const EComboEditError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("Invalid file name - a|b"));
    }
    EXPECT_EQ(edit.FileName(), QStringLiteral("/home/me/My Files/a.fdb"));
    edit.SetDefaultExt(QStringLiteral("*.sql"));
    EXPECT_EQ(edit.DefaultExt(), QStringLiteral("sql"));

    // The stored properties of a window read and write FileName; a stored
    // value that is no file name is left out.
    EXPECT_EQ(edit.property("FileName").toString(), QStringLiteral("/home/me/My Files/a.fdb"));
    EXPECT_TRUE(edit.setProperty("FileName", QStringLiteral("/tmp/b.sql")));
    EXPECT_EQ(edit.FileName(), QStringLiteral("/tmp/b.sql"));
    edit.setProperty("FileName", QStringLiteral("<bad>"));
    EXPECT_EQ(edit.FileName(), QStringLiteral("/tmp/b.sql"));
}

TEST(FilenameEdit, TheButtonRunsTheFileDialogAndTakesItsName)
{
    qv::DialogScript script;
    TFilenameEdit edit;
    edit.SetDialogTitle(QStringLiteral("File list"));
    edit.SetDialogKind(TFileDialogKind::dkSave);
    edit.SetFileName(QStringLiteral("/tmp/old name.sql"));
    script.answerFile(QStringLiteral("/tmp/new name.sql"));
    edit.EditButtonClick();
    ASSERT_EQ(script.shown().size(), 1u);
    EXPECT_EQ(script.shown().front().caption, QStringLiteral("File list"));
    EXPECT_EQ(script.shown().front().value, QStringLiteral("/tmp/old name.sql"));
    EXPECT_EQ(edit.FileName(), QStringLiteral("/tmp/new name.sql"));
    EXPECT_EQ(edit.InitialDir(), QStringLiteral("/tmp"));

    script.cancelFile();
    edit.EditButtonClick();
    EXPECT_EQ(edit.FileName(), QStringLiteral("/tmp/new name.sql"));

    // The handlers before and after the dialog.
    edit.OnBeforeDialog = [](QObject*, QString&, bool& action) { action = false; };
    edit.EditButtonClick();
    EXPECT_EQ(script.pendingAnswers(), 0);
    edit.OnBeforeDialog = nullptr;
    edit.OnAfterDialog = [](QObject*, QString& name, bool&) { name += QStringLiteral(".bak"); };
    script.answerFile(QStringLiteral("/tmp/a.sql"));
    edit.EditButtonClick();
    EXPECT_EQ(edit.FileName(), QStringLiteral("/tmp/a.sql.bak"));
}

// The drop handler as the window system calls it.
class DropTarget : public TFilenameEdit
{
public:
    using TFilenameEdit::dropEvent;
};

TEST(FilenameEdit, DroppedNamesAreTakenWhole)
{
    DropTarget edit;
    int drops = 0;
    edit.OnDropFiles = [&](QObject*) { ++drops; };
    const QString longName = QStringLiteral("/tmp/") + QString(300, QLatin1Char('x')) + QStringLiteral(".fdb");
    const QString second = QStringLiteral("/tmp/second.fdb");
    auto drop = [&] {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(longName), QUrl::fromLocalFile(second)});
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        edit.dropEvent(&event);
    };
    // Without AcceptFiles the edit takes no drops at all.
    EXPECT_FALSE(edit.acceptDrops());
    edit.DropFiles({longName});
    EXPECT_EQ(drops, 0);
    EXPECT_TRUE(edit.text().isEmpty());

    edit.SetAcceptFiles(true);
    EXPECT_TRUE(edit.acceptDrops());
    drop();
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(edit.FileName(), longName);
    // Several files allowed: the first is the text, all are in the list.
    edit.SetDialogOptions(ofAllowMultiSelect);
    edit.setText(QString());
    drop();
    EXPECT_EQ(drops, 2);
    EXPECT_EQ(edit.FileName(), longName);
    EXPECT_EQ(edit.Dialog().files, (QStringList{longName, second}));
}

} // namespace
