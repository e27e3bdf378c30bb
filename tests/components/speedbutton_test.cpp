// Speed buttons: groups, repeat while held, drop-down menus, glyph images,
// layout and the guarded click.

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "components/SpeedButton.h"
#include "platform/Timer.h"
#include "platform/DialogScript.h"

namespace {

class SpeedButtonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<QWidget>();
        window->resize(300, 200);
    }

    TQcSpeedButton* addButton(int x, int group = 0)
    {
        auto* button = new TQcSpeedButton(window.get());
        button->move(x, 10);
        button->setGroupIndex(group);
        return button;
    }

    void showWindow()
    {
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    static QPoint centre(const QWidget* w) { return QPoint(w->width() / 2, w->height() / 2); }

    static void countClicks(TQcSpeedButton* button, int& clicks)
    {
        button->OnClick = [&clicks](QObject*) { ++clicks; };
    }

    std::unique_ptr<QWidget> window;
};

// A glyph strip of cells, each filled with its own colour on a white border;
// the bottom-left pixel (white) is the transparent colour.
QImage strip(const std::vector<QColor>& colours, int cell = 8)
{
    QImage image(cell * int(colours.size()), cell, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (size_t i = 0; i < colours.size(); ++i)
        painter.fillRect(int(i) * cell + 2, 2, cell - 4, cell - 4, colours[i]);
    return image;
}

} // namespace

// --- groups -----------------------------------------------------------------

TEST_F(SpeedButtonTest, PressingOneButtonOfAGroupReleasesTheOther)
{
    TQcSpeedButton* first = addButton(10, 1);
    TQcSpeedButton* second = addButton(40, 1);
    TQcSpeedButton* otherGroup = addButton(70, 2);
    showWindow();
    otherGroup->setDown(true);

    QTest::mouseClick(first, Qt::LeftButton, {}, centre(first));
    EXPECT_TRUE(first->Down());
    EXPECT_EQ(first->State(), TButtonState::bsExclusive);

    QTest::mouseClick(second, Qt::LeftButton, {}, centre(second));
    EXPECT_TRUE(second->Down());
    EXPECT_FALSE(first->Down());
    EXPECT_EQ(first->State(), TButtonState::bsUp);
    EXPECT_TRUE(otherGroup->Down()) << "another group is not touched";
}

TEST_F(SpeedButtonTest, ADownButtonStaysDownUnlessAllowAllUp)
{
    TQcSpeedButton* button = addButton(10, 1);
    showWindow();
    int clicks = 0;
    countClicks(button, clicks);

    QTest::mouseClick(button, Qt::LeftButton, {}, centre(button));
    QTest::mouseClick(button, Qt::LeftButton, {}, centre(button));
    EXPECT_TRUE(button->Down());
    EXPECT_EQ(clicks, 2);
    button->setDown(false);
    EXPECT_TRUE(button->Down());

    button->setAllowAllUp(true);
    QTest::mouseClick(button, Qt::LeftButton, {}, centre(button));
    EXPECT_FALSE(button->Down());
    EXPECT_EQ(button->State(), TButtonState::bsUp);
}

TEST_F(SpeedButtonTest, OnlyGroupedButtonsCanBeDownAndOnlyWithinOneParent)
{
    TQcSpeedButton* loose = addButton(10, 0);
    loose->setDown(true);
    EXPECT_FALSE(loose->Down());

    QWidget otherParent(window.get());
    auto* elsewhere = new TQcSpeedButton(&otherParent);
    elsewhere->setGroupIndex(1);
    elsewhere->setDown(true);
    TQcSpeedButton* here = addButton(40, 1);
    here->setDown(true);
    EXPECT_TRUE(elsewhere->Down());
    EXPECT_TRUE(here->Down());
}

TEST_F(SpeedButtonTest, ReleasingOutsideDoesNotClickOrToggle)
{
    TQcSpeedButton* grouped = addButton(10, 1);
    TQcSpeedButton* loose = addButton(60);
    showWindow();
    int clicks = 0;
    countClicks(grouped, clicks);
    countClicks(loose, clicks);

    for (TQcSpeedButton* button : {grouped, loose}) {
        QTest::mousePress(button, Qt::LeftButton, {}, centre(button));
        EXPECT_EQ(button->State(), TButtonState::bsDown);
        QTest::mouseMove(button, QPoint(-20, -5));
        EXPECT_EQ(button->State(), TButtonState::bsUp);
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(-20, -5));
        EXPECT_FALSE(button->Dragging());
    }
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(grouped->Down());
}

// --- repeat -----------------------------------------------------------------

TEST_F(SpeedButtonTest, AHeldButtonRepeatsAfterTheInitialPauseThenEveryInterval)
{
    qv::ManualClock clock;
    TQcSpeedButton* button = addButton(10);
    button->setAllowTimer(true);
    showWindow();
    std::vector<qint64> at;
    button->OnClick = [&](QObject*) { at.push_back(clock.now()); };

    QTest::mousePress(button, Qt::LeftButton, {}, centre(button));
    clock.advance(420);
    EXPECT_TRUE(at.empty()) << "nothing before the initial pause";
    clock.advance(440); // 860 ms held
    QTest::mouseRelease(button, Qt::LeftButton, {}, centre(button));

    // At 500, then every 100 ms; the release clicks once more.
    EXPECT_EQ(at, (std::vector<qint64>{500, 600, 700, 800, 860}));
    clock.advance(1000);
    EXPECT_EQ(at.size(), 5u) << "the timer stops on release";
    EXPECT_EQ(clock.activeTimers(), 0);
}

TEST_F(SpeedButtonTest, AHeldButtonDoesNotRepeatWhileTheMouseIsOutside)
{
    qv::ManualClock clock;
    TQcSpeedButton* button = addButton(10);
    button->setAllowTimer(true);
    showWindow();
    int clicks = 0;
    countClicks(button, clicks);

    QTest::mousePress(button, Qt::LeftButton, {}, centre(button));
    QTest::mouseMove(button, QPoint(button->width() + 30, 5));
    clock.advance(800);
    EXPECT_EQ(clicks, 0);

    QTest::mouseMove(button, centre(button));
    clock.advance(350);
    EXPECT_EQ(clicks, 3) << "repeating resumes once the mouse is back: at 900, 1000 and 1100";
    QTest::mouseMove(button, QPoint(-30, 5));
    clock.advance(300);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(-30, 5));
    EXPECT_EQ(clicks, 3);
}

TEST_F(SpeedButtonTest, SwitchingTheTimerOffFreesIt)
{
    TQcSpeedButton* button = addButton(10);
    button->setAllowTimer(true);
    showWindow();
    QTest::mouseClick(button, Qt::LeftButton, {}, centre(button));
    EXPECT_NE(button->findChild<qv::Timer*>(), nullptr);
    button->setAllowTimer(false);
    EXPECT_EQ(button->findChild<qv::Timer*>(), nullptr);
}

TEST_F(SpeedButtonTest, AFailingRepeatHandlerIsShownAndTheTimerGoesOn)
{
    TQcSpeedButton* button = addButton(10);
    button->setAllowTimer(true);
    button->setInitPause(50);
    button->setRepeatInterval(40);
    showWindow();
    qv::ManualClock clock;
    qv::DialogScript script;
    for (int i = 0; i < 20; ++i)
        script.answerMessage(qv::mrOk);
    int calls = 0;
    button->OnClick = [&](QObject*) {
        ++calls;
        throw std::runtime_error("repeat failed");
    };

    QTest::mousePress(button, Qt::LeftButton, {}, centre(button));
    clock.advance(200);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(-5, -5));
    EXPECT_EQ(calls, 4) << "at 50, 90, 130 and 170";
    ASSERT_FALSE(script.messages().isEmpty());
    EXPECT_EQ(script.messages().first(), QStringLiteral("repeat failed"));
    EXPECT_EQ(script.messages().size(), calls);
}

// --- clicking ---------------------------------------------------------------

TEST_F(SpeedButtonTest, ADisabledButtonNeitherPressesNorClicks)
{
    TQcSpeedButton* button = addButton(10);
    showWindow();
    int clicks = 0;
    countClicks(button, clicks);
    button->setEnabled(false);
    EXPECT_EQ(button->State(), TButtonState::bsDisabled);
    QTest::mouseClick(button, Qt::LeftButton, {}, centre(button));
    EXPECT_EQ(clicks, 0);
    button->setEnabled(true);
    EXPECT_EQ(button->State(), TButtonState::bsUp);
}

TEST_F(SpeedButtonTest, ModalResultClosesTheDialogAfterTheHandler)
{
    QDialog dialog;
    auto* button = new TQcSpeedButton(&dialog);
    button->setModalResult(QDialog::Accepted + 5);
    bool handled = false;
    button->OnClick = [&](QObject*) { handled = true; };
    int result = -1;
    QTimer::singleShot(0, &dialog, [&] {
        QTest::mouseClick(button, Qt::LeftButton, {}, centre(button));
    });
    result = dialog.exec();
    EXPECT_TRUE(handled);
    EXPECT_EQ(result, QDialog::Accepted + 5);
}

TEST_F(SpeedButtonTest, ButtonClickShowsThePressAndClicks)
{
    TQcSpeedButton* loose = addButton(10);
    TQcSpeedButton* grouped = addButton(40, 3);
    showWindow();
    int clicks = 0;
    countClicks(loose, clicks);
    countClicks(grouped, clicks);

    QElapsedTimer timer;
    timer.start();
    loose->ButtonClick();
    EXPECT_GE(timer.elapsed(), 20);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(loose->State(), TButtonState::bsUp);

    grouped->ButtonClick();
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(grouped->Down());

    QMenu menu;
    loose->setDropDownMenu(&menu);
    loose->ButtonClick();
    EXPECT_EQ(clicks, 2) << "a button with a drop-down menu is not clicked by key";
}

TEST_F(SpeedButtonTest, TheUnderlinedCharacterClicks)
{
    TQcSpeedButton* button = addButton(10);
    button->setCaption(QStringLiteral("&Go"));
    showWindow();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    int clicks = 0;
    countClicks(button, clicks);
    QTest::keyClick(window.get(), Qt::Key_G, Qt::AltModifier);
    EXPECT_EQ(clicks, 1);
    button->setEnabled(false);
    QTest::keyClick(window.get(), Qt::Key_G, Qt::AltModifier);
    EXPECT_EQ(clicks, 1);
}

// --- drop-down menu ---------------------------------------------------------

TEST_F(SpeedButtonTest, PressingShowsTheMenuOnceAndNeverClicks)
{
    TQcSpeedButton* button = addButton(10);
    QMenu menu;
    menu.addAction(QStringLiteral("One"));
    button->setDropDownMenu(&menu);
    showWindow();
    int clicks = 0;
    countClicks(button, clicks);
    int shown = 0;
    QPoint menuAt;
    QObject::connect(&menu, &QMenu::aboutToShow, &menu, [&] { ++shown; });
    const QPoint press = centre(button);

    // While the menu is open: a press on the button reaches it directly, and
    // another is queued for it; then the menu closes.
    QTimer::singleShot(100, &menu, [&] {
        menuAt = menu.pos();
        EXPECT_TRUE(button->MenuTracking());
        QMouseEvent direct(QEvent::MouseButtonPress, QPointF(press),
                           QPointF(button->mapToGlobal(press)), Qt::LeftButton, Qt::LeftButton,
                           Qt::NoModifier);
        QApplication::sendEvent(button, &direct);
        QApplication::postEvent(button,
                                new QMouseEvent(QEvent::MouseButtonPress, QPointF(press),
                                                QPointF(button->mapToGlobal(press)),
                                                Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        QApplication::postEvent(button,
                                new QMouseEvent(QEvent::MouseButtonRelease, QPointF(press),
                                                QPointF(button->mapToGlobal(press)),
                                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
        menu.close();
    });
    // Safety net: any second menu would be closed rather than hang the test.
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, &menu, [&] {
        if (menu.isVisible())
            menu.close();
    });
    guard.start(400);

    QTest::mousePress(button, Qt::LeftButton, {}, press);
    QTest::qWait(100);
    QTest::mouseRelease(button, Qt::LeftButton, {}, press);
    QTest::qWait(50);

    EXPECT_EQ(shown, 1);
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(button->MenuTracking());
    EXPECT_FALSE(button->Dragging());
    EXPECT_EQ(button->State(), TButtonState::bsUp);
    EXPECT_EQ(menuAt, button->mapToGlobal(QPoint(-1, button->height())));
}

TEST_F(SpeedButtonTest, ClickingTheButtonWhileItsMenuIsOpenOnlyClosesTheMenu)
{
    TQcSpeedButton* button = addButton(10);
    QMenu menu;
    menu.addAction(QStringLiteral("One"));
    button->setDropDownMenu(&menu);
    showWindow();
    int clicks = 0;
    countClicks(button, clicks);
    int shown = 0;
    QObject::connect(&menu, &QMenu::aboutToShow, &menu, [&] { ++shown; });
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, &menu, [&] {
        if (menu.isVisible())
            menu.close();
    });
    guard.start(500);

    // The click arrives through the window system, as a user's would: the
    // open menu takes it.
    QTimer::singleShot(100, &menu, [&] {
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                          button->mapTo(window.get(), centre(button)));
    });
    QTest::mousePress(button, Qt::LeftButton, {}, centre(button));
    EXPECT_FALSE(menu.isVisible());
    QTest::mouseRelease(button, Qt::LeftButton, {}, centre(button));
    QTest::qWait(100);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(button->State(), TButtonState::bsUp);
}

TEST_F(SpeedButtonTest, EnterAndLeaveAreReportedButNoLeaveWhileHeld)
{
    TQcSpeedButton* button = addButton(10);
    button->setFlat(true);
    showWindow();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    int entered = 0;
    int left = 0;
    button->OnMouseEnter = [&](QObject*) { ++entered; };
    button->OnMouseLeave = [&](QObject*) { ++left; };
    auto enter = [&] {
        QEnterEvent event(QPointF(5, 5), QPointF(15, 15), QPointF(button->mapToGlobal(QPoint(5, 5))));
        QApplication::sendEvent(button, &event);
    };
    auto leave = [&] {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(button, &event);
    };
    QEvent reset(QEvent::Leave);
    QApplication::sendEvent(button, &reset);
    left = 0;

    enter();
    EXPECT_EQ(entered, 1);
    EXPECT_TRUE(button->MouseInControl());
    leave();
    EXPECT_EQ(left, 1);
    EXPECT_FALSE(button->MouseInControl());

    enter();
    QTest::mousePress(button, Qt::LeftButton, {}, centre(button));
    leave();
    EXPECT_EQ(left, 1);
    EXPECT_TRUE(button->MouseInControl());
    QTest::mouseRelease(button, Qt::LeftButton, {}, centre(button));
}

TEST_F(SpeedButtonTest, AMenuCommandThatClosesTheWindowLeavesNothingDangling)
{
    TQcSpeedButton* button = addButton(10);
    QMenu menu; // outlives the window
    QAction* closeAction = menu.addAction(QStringLiteral("Close window"));
    QObject::connect(closeAction, &QAction::triggered, &menu, [&] { window.reset(); });
    button->setDropDownMenu(&menu);
    button->setAllowTimer(true);
    showWindow();

    QTimer::singleShot(50, &menu, [&] {
        menu.setActiveAction(closeAction);
        QTest::keyClick(&menu, Qt::Key_Return);
    });
    QTest::mousePress(button, Qt::LeftButton, {}, centre(button));
    EXPECT_EQ(window, nullptr);
    QTest::qWait(20);
}

TEST_F(SpeedButtonTest, RightAlignedMenuOpensToTheLeftOfItsPoint)
{
    window->resize(600, 200);
    TQcSpeedButton* button = addButton(500);
    QMenu menu;
    menu.addAction(QStringLiteral("A rather long menu entry"));
    button->setDropDownMenu(&menu);
    button->setMenuPosition(TQcDropDownMenuPos::dmpRight);
    button->setMenuAlignment(TPopupAlignment::paRight);
    showWindow();
    QPoint menuAt;
    QTimer::singleShot(50, &menu, [&] {
        menuAt = menu.pos();
        menu.close();
    });
    QTest::mousePress(button, Qt::LeftButton, {}, centre(button));
    EXPECT_EQ(menuAt, button->mapToGlobal(QPoint(-1, -1)) - QPoint(menu.sizeHint().width(), 0));
}

// --- glyphs -----------------------------------------------------------------

TEST(SpeedButtonGlyph, NumGlyphsIsKeptBetweenOneAndFive)
{
    TQcSpeedButton button;
    button.setNumGlyphs(7);
    EXPECT_EQ(button.NumGlyphs(), 5);
    button.setNumGlyphs(0);
    EXPECT_EQ(button.NumGlyphs(), 1);
}

TEST(SpeedButtonGlyph, EachStateTakesItsCellOrTheFirst)
{
    const std::vector<QColor> colours = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan};
    TQcButtonGlyph glyph;
    const QPalette palette = QApplication::palette();
    auto centreColour = [&](TButtonState state) {
        return QColor(glyph.Image(state, palette).pixel(4, 4));
    };

    glyph.setGlyph(strip(colours));
    glyph.setNumGlyphs(5);
    EXPECT_EQ(glyph.GlyphSize(), QSize(8, 8));
    EXPECT_EQ(centreColour(TButtonState::bsUp), QColor(Qt::red));
    EXPECT_EQ(centreColour(TButtonState::bsDisabled), QColor(Qt::green));
    EXPECT_EQ(centreColour(TButtonState::bsDown), QColor(Qt::blue));
    EXPECT_EQ(centreColour(TButtonState::bsExclusive), QColor(Qt::yellow));
    EXPECT_EQ(centreColour(TButtonState::bsInactive), QColor(Qt::cyan));

    glyph.setGlyph(strip({Qt::red, Qt::green}));
    glyph.setNumGlyphs(2);
    EXPECT_EQ(centreColour(TButtonState::bsDown), QColor(Qt::red)) << "fewer than 3 cells";
    EXPECT_EQ(centreColour(TButtonState::bsDisabled), QColor(Qt::green));
}

TEST(SpeedButtonGlyph, TheTransparentColourIsTheBottomLeftPixel)
{
    TQcButtonGlyph glyph;
    glyph.setGlyph(strip({Qt::red}));
    EXPECT_EQ(glyph.TransparentColor(), QColor(Qt::white));
    const QImage up = glyph.Image(TButtonState::bsUp, QApplication::palette());
    EXPECT_EQ(qAlpha(up.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(up.pixel(4, 4)), 255);
}

TEST(SpeedButtonGlyph, ASingleCellStillDrawsDisabledAndInactiveLooks)
{
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Button, QColor(0xC0, 0xC0, 0xC0));
    palette.setColor(QPalette::Light, QColor(0xFF, 0xFF, 0xFE));
    palette.setColor(QPalette::Dark, QColor(0x80, 0x80, 0x80));
    TQcButtonGlyph glyph;
    glyph.setGlyph(strip({QColor(200, 40, 10)}));

    const QImage disabled = glyph.Image(TButtonState::bsDisabled, palette);
    EXPECT_EQ(QColor(disabled.pixel(3, 3)), QColor(0x80, 0x80, 0x80)) << "shape in shadow";
    EXPECT_EQ(QColor(disabled.pixel(6, 6)), QColor(0xFF, 0xFF, 0xFE)) << "highlight one pixel off";
    EXPECT_EQ(qAlpha(disabled.pixel(0, 0)), 0) << "face colour is transparent";

    const QImage inactive = glyph.Image(TButtonState::bsInactive, palette);
    const int grey = (200 * 77 + 40 * 150 + 10 * 29) / 256;
    EXPECT_EQ(QColor(inactive.pixel(4, 4)), QColor(grey, grey, grey));
    EXPECT_EQ(qAlpha(inactive.pixel(0, 0)), 0);
}

TEST(SpeedButtonGlyph, APaletteChangeDropsTheBuiltImages)
{
    TQcButtonGlyph glyph;
    glyph.setGlyph(strip({Qt::red}));
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Dark, Qt::black);
    EXPECT_EQ(QColor(glyph.Image(TButtonState::bsDisabled, palette).pixel(3, 3)), QColor(Qt::black));
    palette.setColor(QPalette::Dark, Qt::darkBlue);
    EXPECT_EQ(QColor(glyph.Image(TButtonState::bsDisabled, palette).pixel(3, 3)), QColor(Qt::black))
        << "built once";
    glyph.DropImages();
    EXPECT_EQ(QColor(glyph.Image(TButtonState::bsDisabled, palette).pixel(3, 3)),
              QColor(Qt::darkBlue));
}

// --- layout -----------------------------------------------------------------

TEST(SpeedButtonLayout, FreeMarginAndSpacingDivideTheSpaceInThree)
{
    TQcSpeedButton button;
    button.setGlyph(QImage(12, 10, QImage::Format_RGB32));
    button.setCaption(QStringLiteral("Go"));
    button.setLayout(TButtonLayout::blGlyphLeft);
    button.setMargin(-1);
    button.setSpacing(-1);
    const QRect client(2, 2, 100, 20);
    const auto layout = button.CalcLayout(client, QPoint());
    const int textWidth = layout.caption.width();
    const int third = (100 - 12 - textWidth) / 3;
    EXPECT_EQ(layout.glyph.left(), 2 + third);
    EXPECT_EQ(layout.caption.left(), layout.glyph.left() + 12 + third);
    EXPECT_EQ(layout.glyph.top(), 2 + (20 - 10 + 1) / 2);
}

TEST(SpeedButtonLayout, GlyphAboveCaptionByDefaultAndShiftedWhenDown)
{
    TQcSpeedButton button;
    button.setGlyph(QImage(16, 16, QImage::Format_RGB32));
    button.setCaption(QStringLiteral("X"));
    const QRect client(0, 0, 40, 40);
    const auto up = button.CalcLayout(client, QPoint());
    EXPECT_LT(up.glyph.bottom(), up.caption.top());
    EXPECT_EQ(up.caption.top(), up.glyph.top() + 16 + 1) << "spacing 1";
    const auto down = button.CalcLayout(client, QPoint(1, 1));
    EXPECT_EQ(down.glyph.topLeft(), up.glyph.topLeft() + QPoint(1, 1));
}

TEST(SpeedButtonLayout, ALongCaptionIsShortenedWithDots)
{
    TQcSpeedButton button;
    button.setCaption(QStringLiteral("A caption far too long for the button"));
    const auto layout = button.CalcLayout(QRect(0, 0, 40, 20), QPoint());
    EXPECT_TRUE(layout.text.endsWith(QStringLiteral("...")));
    EXPECT_LE(QFontMetrics(button.font()).horizontalAdvance(layout.text), 40);
}

TEST(SpeedButtonLayout, TheDropDownMarkSitsBesideTheCaptionOrInTheMiddle)
{
    TQcSpeedButton button;
    QMenu menu;
    button.setDropDownMenu(&menu);
    const QRect client(0, 0, 41, 21);
    const auto bare = button.CalcLayout(client, QPoint());
    EXPECT_EQ(bare.mark.x(), (0 + 41 - 7) / 2);

    button.setCaption(QStringLiteral("Menu"));
    button.setLayout(TButtonLayout::blGlyphLeft);
    const auto withCaption = button.CalcLayout(QRect(0, 0, 80, 21), QPoint());
    EXPECT_EQ(withCaption.mark.x(), withCaption.caption.left() + withCaption.caption.width() + 3);
    button.setMarkDropDown(false);
    EXPECT_EQ(button.CalcLayout(client, QPoint()).mark, QPoint(-1, -1));
}

TEST_F(SpeedButtonTest, FramesFollowStateFlatnessAndStyle)
{
    TQcSpeedButton* button = addButton(10, 1);
    button->resize(30, 30);
    QPalette palette = button->palette();
    const QColor face(0xC0, 0xC0, 0xC0), light(0xFF, 0xFF, 0xFF), dark(0x80, 0x80, 0x80),
        frame(0x00, 0x00, 0x00);
    palette.setColor(QPalette::Button, face);
    palette.setColor(QPalette::Light, light);
    palette.setColor(QPalette::Dark, dark);
    palette.setColor(QPalette::Shadow, frame);
    button->setPalette(palette);
    showWindow();
    auto pixel = [&](int x, int y) { return QColor(button->grab().toImage().pixel(x, y)); };

    // Up, new look: highlight/window-frame, then face/shadow.
    EXPECT_EQ(pixel(0, 0), light);
    EXPECT_EQ(pixel(29, 29), frame);
    EXPECT_EQ(pixel(1, 1), face);
    EXPECT_EQ(pixel(28, 28), dark);

    // Down in its group: window-frame/highlight, shadow/face, checkered inside.
    button->setDown(true);
    EXPECT_EQ(pixel(0, 0), frame);
    EXPECT_EQ(pixel(29, 29), light);
    EXPECT_EQ(pixel(1, 1), dark);
    EXPECT_NE(pixel(4, 4), pixel(5, 4));
    EXPECT_TRUE(pixel(4, 4) == face || pixel(4, 4) == light);

    // Up, old look: window-frame all round, then highlight/shadow.
    button->setAllowAllUp(true);
    button->setDown(false);
    button->setStyle(TButtonStyle::bsWin31);
    EXPECT_EQ(pixel(0, 0), frame);
    EXPECT_EQ(pixel(1, 1), light);
    EXPECT_EQ(pixel(28, 28), dark);

    // Flat and the mouse elsewhere: no frame at all.
    button->setStyle(TButtonStyle::bsNew);
    button->setFlat(true);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    EXPECT_FALSE(button->MouseInControl());
    EXPECT_EQ(pixel(0, 0), face);
    EXPECT_EQ(pixel(29, 29), face);
}

TEST_F(SpeedButtonTest, ADisabledCaptionIsEmbossed)
{
    TQcSpeedButton* button = addButton(10);
    button->resize(60, 30);
    button->setCaption(QStringLiteral("WWW"));
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, QColor(0xC0, 0xC0, 0xC0));
    palette.setColor(QPalette::Light, QColor(0xFF, 0xFF, 0xFF));
    palette.setColor(QPalette::Dark, QColor(0x80, 0x80, 0x80));
    palette.setColor(QPalette::ButtonText, QColor(0x00, 0x00, 0xFF));
    button->setPalette(palette);
    showWindow();
    auto colours = [&] {
        QSet<QRgb> seen;
        const QImage shot = button->grab().toImage();
        for (int y = 4; y < 26; ++y)
            for (int x = 4; x < 56; ++x)
                seen.insert(shot.pixel(x, y) & RGB_MASK);
        return seen;
    };
    EXPECT_TRUE(colours().contains(0x0000FF));
    button->setEnabled(false);
    const QSet<QRgb> disabled = colours();
    EXPECT_FALSE(disabled.contains(0x0000FF));
    EXPECT_TRUE(disabled.contains(0x808080));
    EXPECT_TRUE(disabled.contains(0xFFFFFF));
}
