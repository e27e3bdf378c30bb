// The spin button: its two halves, the repeat while held (ticked by hand,
// never by the clock), dragging off and back, failing handlers, odd sizes
// and its pictures.

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "components/SpinButton.h"
#include "components/SpinEdit.h"
#include "platform/DialogScript.h"

namespace {

// A repeat timer on a clock the test moves.
class ManualTimer : public TRepeatTimer
{
public:
    void Start(int ms) override
    {
        m_active = true;
        m_interval = ms;
        m_sinceTick = 0;
        ++starts;
    }
    // Like a running QTimer: counting starts again from the change.
    void SetInterval(int ms) override
    {
        m_interval = ms;
        m_sinceTick = 0;
    }
    void Stop() override { m_active = false; }
    bool Active() const override { return m_active; }
    int Interval() const override { return m_interval; }

    // Moves the clock on by ms, ticking whenever an interval is over.
    void Advance(int ms)
    {
        while (m_active && ms >= m_interval - m_sinceTick) {
            ms -= m_interval - m_sinceTick;
            m_sinceTick = 0;
            if (OnTimer)
                OnTimer();
        }
        m_sinceTick += m_active ? ms : 0;
    }

    int starts = 0;

private:
    bool m_active = false;
    int m_interval = 0;
    int m_sinceTick = 0;
};

class SpinButtonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<QWidget>();
        window->resize(200, 100);
        button = new TQcSpinButton(window.get());
        button->move(10, 10);
        button->setRepeatTimerFactory([this] {
            auto timer = std::make_unique<ManualTimer>();
            timers.push_back(timer.get());
            return timer;
        });
        button->OnTopClick = [this](QObject*) { ++ups; };
        button->OnBottomClick = [this](QObject*) { ++downs; };
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    ManualTimer* timer() const { return timers.empty() ? nullptr : timers.back(); }

    std::unique_ptr<QWidget> window;
    TQcSpinButton* button = nullptr;
    std::vector<ManualTimer*> timers;
    int ups = 0;
    int downs = 0;
};

} // namespace

TEST(SpinButtonGeometry, TheDiagonalDividesTheHalvesAndBelongsToTheTop)
{
    const QSize square(20, 20);
    EXPECT_TRUE(TQcSpinButton::InTopHalf(QPoint(10, 10), square)) << "on the diagonal";
    EXPECT_TRUE(TQcSpinButton::InTopHalf(QPoint(0, 0), square));
    EXPECT_TRUE(TQcSpinButton::InTopHalf(QPoint(0, 20), square));
    EXPECT_TRUE(TQcSpinButton::InTopHalf(QPoint(20, 0), square));
    EXPECT_FALSE(TQcSpinButton::InTopHalf(QPoint(11, 10), square));
    EXPECT_FALSE(TQcSpinButton::InTopHalf(QPoint(19, 19), square));

    const QSize wide(40, 10);
    EXPECT_TRUE(TQcSpinButton::InTopHalf(QPoint(20, 5), wide));
    EXPECT_FALSE(TQcSpinButton::InTopHalf(QPoint(21, 5), wide));

    // No division: a zero width or height is no fault.
    EXPECT_TRUE(TQcSpinButton::InTopHalf(QPoint(0, 10), QSize(0, 20)));
    EXPECT_TRUE(TQcSpinButton::InTopHalf(QPoint(5, 0), QSize(20, 0)));
    EXPECT_TRUE(TQcSpinButton::InTopHalf(QPoint(0, 0), QSize(0, 0)));
}

TEST(SpinButtonGeometry, GlyphsSitInTheQuartersOfTheirHalves)
{
    const QSize glyph(5, 4);
    // round(5 - 2.5) + 1 with halves to even, round(5 - 2) + 1.
    EXPECT_EQ(TQcSpinButton::UpGlyphPos(QSize(20, 20), glyph, false), QPoint(3, 4));
    EXPECT_EQ(TQcSpinButton::UpGlyphPos(QSize(20, 20), glyph, true), QPoint(4, 5));
    EXPECT_EQ(TQcSpinButton::DownGlyphPos(QSize(20, 20), glyph), QPoint(11, 12));
    EXPECT_EQ(TQcSpinButton::UpGlyphPos(QSize(0, 0), glyph, false), QPoint(-1, -1));
}

TEST_F(SpinButtonTest, HoldingAHalfStepsAtOnceAfter400MsAndThenEvery100Ms)
{
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(ups, 1);
    EXPECT_EQ(button->Down(), TSpinButtonState::sbTopDown);
    ASSERT_NE(timer(), nullptr);
    EXPECT_TRUE(timer()->Active());
    EXPECT_EQ(timer()->Interval(), TQcSpinButton::InitRepeatPause);

    timer()->Advance(399);
    EXPECT_EQ(ups, 1);
    timer()->Advance(1);
    EXPECT_EQ(ups, 2);
    EXPECT_EQ(timer()->Interval(), TQcSpinButton::RepeatPause);
    timer()->Advance(600);
    EXPECT_EQ(ups, 8) << "one second held";

    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_FALSE(timer()->Active());
    EXPECT_EQ(button->Down(), TSpinButtonState::sbNotDown);
    timer()->Advance(1000);
    EXPECT_EQ(ups, 8);
    EXPECT_EQ(downs, 0);

    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(18, 18));
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(timers.size(), 1u) << "one timer, made on the first press";
    EXPECT_EQ(timer()->starts, 2);
    EXPECT_EQ(timer()->Interval(), TQcSpinButton::InitRepeatPause) << "the pause starts again";
    timer()->Advance(500);
    EXPECT_EQ(downs, 3);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(18, 18));
}

TEST_F(SpinButtonTest, DraggingOffThePressedHalfStopsTheRepeatUntilItComesBack)
{
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(4, 4));
    QTest::mouseMove(button, QPoint(17, 17));
    EXPECT_EQ(button->Down(), TSpinButtonState::sbNotDown) << "the other half is never shown";
    timer()->Advance(500);
    EXPECT_EQ(ups, 1);
    EXPECT_EQ(downs, 0);

    QTest::mouseMove(button, QPoint(3, 5));
    EXPECT_EQ(button->Down(), TSpinButtonState::sbTopDown);
    timer()->Advance(100);
    EXPECT_EQ(ups, 2);

    QTest::mouseMove(button, QPoint(-30, 5));
    EXPECT_EQ(button->Down(), TSpinButtonState::sbNotDown);
    timer()->Advance(300);
    EXPECT_EQ(ups, 2);

    // Released outside: nothing stays pressed, and the next press counts.
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(-30, 5));
    EXPECT_FALSE(button->Dragging());
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(ups, 3);
}

TEST_F(SpinButtonTest, AFailingHandlerIsShownAndStopsTheRepeat)
{
    qv::DialogScript script;
    script.answerMessage(qv::mrOk);
    int calls = 0;
    button->OnTopClick = [&calls](QObject*) {
        if (++calls == 2)
            throw std::runtime_error("step refused");
    };
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(4, 4));
    timer()->Advance(400);
    EXPECT_EQ(calls, 2);
    EXPECT_FALSE(timer()->Active());
    EXPECT_EQ(script.messages(), QStringList{QStringLiteral("step refused")});
    timer()->Advance(1000);
    EXPECT_EQ(calls, 2);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(4, 4));
}

TEST_F(SpinButtonTest, DisablingEndsAPressAndAZeroSizedButtonTakesPresses)
{
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(4, 4));
    button->setEnabled(false);
    EXPECT_FALSE(button->Dragging());
    EXPECT_FALSE(timer()->Active());
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(4, 4));
    button->setEnabled(true);

    button->resize(0, 20);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(0, 10));
    button->resize(20, 0);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 0));
    EXPECT_EQ(ups, 3);
    EXPECT_TRUE(button->grab().isNull() || button->grab().width() == 20);
}

TEST_F(SpinButtonTest, ThePressedHalfLooksSunkAndItsGlyphMoves)
{
    button->resize(20, 20);
    const QImage idle = button->grab().toImage();
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(4, 4));
    const QImage top = button->grab().toImage();
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(4, 4));
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(16, 16));
    const QImage bottom = button->grab().toImage();
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(16, 16));
    EXPECT_EQ(button->grab().toImage(), idle) << "back as it was";

    const QColor light = button->palette().color(QPalette::Light);
    const QColor shadow = button->palette().color(QPalette::Dark);
    EXPECT_EQ(idle.pixel(5, 1), light.rgb());
    EXPECT_EQ(top.pixel(5, 1), shadow.rgb());
    EXPECT_EQ(bottom.pixel(5, 1), light.rgb());
    EXPECT_NE(bottom, idle);

    // The up arrow's tip: at (5, 4) raised, one pixel lower and righter pressed.
    const QRgb black = qRgb(0, 0, 0);
    EXPECT_EQ(idle.pixel(5, 4), black);
    EXPECT_EQ(top.pixel(6, 5), black);
    EXPECT_NE(top.pixel(5, 4), black);
    // The down arrow's tip, at the bottom of its glyph.
    EXPECT_EQ(idle.pixel(13, 15), black);

    QImage glyph(3, 3, QImage::Format_RGB32);
    glyph.fill(Qt::white);
    glyph.setPixel(1, 1, qRgb(255, 0, 0));
    button->setUpGlyph(glyph);
    EXPECT_EQ(button->grab().toImage().pixel(6, 6), qRgb(255, 0, 0));
    button->setUpGlyph(QImage());
    EXPECT_EQ(button->UpGlyph(), TQcSpinButton::DefaultUpGlyph());
    EXPECT_EQ(button->grab().toImage(), idle);
}

TEST_F(SpinButtonTest, TheSpinEditsHeldButtonStepsItsValue)
{
    auto* edit = new TQcSpinEdit(window.get());
    edit->setGeometry(10, 50, 121, 24);
    edit->setMaxValue(10);
    edit->setMinValue(0);
    std::vector<ManualTimer*> made;
    edit->setRepeatTimerFactory([&made] {
        auto timer = std::make_unique<ManualTimer>();
        made.push_back(timer.get());
        return timer;
    });
    edit->show();
    QTest::mousePress(edit->Button(), Qt::LeftButton, {}, QPoint(3, 3));
    ASSERT_EQ(made.size(), 1u);
    made.front()->Advance(1000);
    EXPECT_EQ(edit->text(), QStringLiteral("8"));
    made.front()->Advance(1000);
    EXPECT_EQ(edit->text(), QStringLiteral("10")) << "held against the top";
    QTest::mouseRelease(edit->Button(), Qt::LeftButton, {}, QPoint(3, 3));
}
