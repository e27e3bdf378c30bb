// The spin edit: reading and writing its value, the range, steps by keys
// and button, what can be typed and pasted, and its two kinds of button.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "components/LocaleSettings.h"
#include "components/SpinEdit.h"

namespace {

constexpr std::int32_t kMaxInt = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMinInt = std::numeric_limits<std::int32_t>::min();

class CountingSpinEdit : public TQcSpinEdit
{
public:
    using TQcSpinEdit::TQcSpinEdit;
    int beeps = 0;

protected:
    void Beep() override { ++beeps; }
};

class SpinEditTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<QWidget>();
        window->resize(300, 120);
        edit = new CountingSpinEdit(window.get());
        edit->setGeometry(10, 10, 121, 24);
        other = new QLineEdit(window.get());
        other->setGeometry(10, 60, 121, 24);
        edit->OnChange = [this](QObject*) { ++changes; };
        edit->OnTopClick = [this](QObject*) { ++topClicks; };
        edit->OnBottomClick = [this](QObject*) { ++bottomClicks; };
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QApplication::setActiveWindow(window.get());
    }

    void FocusEdit()
    {
        edit->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(edit->hasFocus());
    }

    void LeaveEdit()
    {
        other->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(other->hasFocus());
    }

    std::unique_ptr<QWidget> window;
    CountingSpinEdit* edit = nullptr;
    QLineEdit* other = nullptr;
    int changes = 0;
    int topClicks = 0;
    int bottomClicks = 0;
};

} // namespace

// --- value text -------------------------------------------------------------

TEST(SpinValue, IntegersAreReadWithinThirtyTwoBits)
{
    EXPECT_EQ(SpinTextToInteger(QStringLiteral("12")).value, 12);
    EXPECT_EQ(SpinTextToInteger(QStringLiteral(" -7 ")).value, -7);
    EXPECT_EQ(SpinTextToInteger(QStringLiteral("+3")).value, 3);
    for (const char* bad : {"", " ", "-", "+", "12a", "1.5", "1e3", "--1", "0x10"})
        EXPECT_FALSE(SpinTextToInteger(QString::fromLatin1(bad)).ok) << bad;

    const TSpinInteger max = SpinTextToInteger(QStringLiteral("2147483647"));
    EXPECT_TRUE(max.ok && !max.clamped);
    EXPECT_EQ(max.value, kMaxInt);
    const TSpinInteger min = SpinTextToInteger(QStringLiteral("-2147483648"));
    EXPECT_TRUE(min.ok && !min.clamped);
    EXPECT_EQ(min.value, kMinInt);
    for (const char* big : {"2147483648", "99999999999", "99999999999999999999999999"}) {
        const TSpinInteger value = SpinTextToInteger(QString::fromLatin1(big));
        EXPECT_TRUE(value.ok && value.clamped) << big;
        EXPECT_EQ(value.value, kMaxInt) << big;
    }
    EXPECT_EQ(SpinTextToInteger(QStringLiteral("-2147483649")).value, kMinInt);
}

TEST(SpinValue, FloatsFollowTheDecimalSeparator)
{
    const QChar dot(QLatin1Char('.'));
    const QChar comma(QLatin1Char(','));
    EXPECT_EQ(SpinTextToFloat(QStringLiteral("1.5"), dot), 1.5);
    EXPECT_EQ(SpinTextToFloat(QStringLiteral("-.5"), dot), -0.5);
    EXPECT_EQ(SpinTextToFloat(QStringLiteral("5."), dot), 5.0);
    EXPECT_EQ(SpinTextToFloat(QStringLiteral("1e3"), dot), 1000.0);
    EXPECT_EQ(SpinTextToFloat(QStringLiteral("2,25E-1"), comma), 0.225);
    for (const char* bad : {"", "1.5", "1,2,3", "e3", "inf", "nan", "1e999", "1 5", "12a"})
        EXPECT_EQ(SpinTextToFloat(QString::fromLatin1(bad), comma), std::nullopt) << bad;
}

TEST(SpinValue, WrittenValuesRoundAsTheEditDoes)
{
    const QChar dot(QLatin1Char('.'));
    EXPECT_EQ(SpinFloatToText(1.5, 2, dot), QStringLiteral("1.50"));
    EXPECT_EQ(SpinFloatToText(-0.001, 2, dot), QStringLiteral("0.00"));
    EXPECT_EQ(SpinFloatToText(2.5, 0, QLatin1Char(',')), QStringLiteral("3"));
    EXPECT_EQ(SpinFloatToText(1234.5678, 3, QLatin1Char(',')), QStringLiteral("1234,568"));
    EXPECT_EQ(SpinFloatToText(123456789012.3456, 4, dot), QStringLiteral("123456789012.3460"))
        << "15 significant digits";
    EXPECT_TRUE(SpinFloatToText(2e15, 2, dot).contains(QLatin1Char('E')));

    EXPECT_EQ(SpinRoundToInteger(2.5), 2);
    EXPECT_EQ(SpinRoundToInteger(3.5), 4);
    EXPECT_EQ(SpinRoundToInteger(-2.5), -2);
    EXPECT_EQ(SpinRoundToInteger(2.6), 3);
    EXPECT_EQ(SpinRoundToInteger(1e12), kMaxInt);
    EXPECT_EQ(SpinRoundToInteger(-1e12), kMinInt);
    EXPECT_EQ(SpinRoundToInteger(std::nan("")), 0);

    EXPECT_EQ(SpinCheckValue(16, 0, 15), 15);
    EXPECT_EQ(SpinCheckValue(-1, 0, 15), 0);
    EXPECT_EQ(SpinCheckValue(-1e9, 0, 0), -1e9) << "no range while both are equal";
    EXPECT_EQ(SpinCheckValue(7, 3, 3), 7);
}

TEST(SpinValue, TypedCharactersOfANumber)
{
    const QChar dot(QLatin1Char('.'));
    const auto valid = [&](char key, const char* text, TValueType type, bool enabled = true) {
        return SpinIsValidChar(QLatin1Char(key), QString::fromLatin1(text), type, enabled, dot);
    };
    EXPECT_TRUE(valid('7', "12", TValueType::vtInteger));
    EXPECT_TRUE(valid('-', "12", TValueType::vtInteger));
    EXPECT_TRUE(valid('+', "", TValueType::vtInteger));
    EXPECT_FALSE(valid('a', "12", TValueType::vtInteger));
    EXPECT_FALSE(valid('.', "12", TValueType::vtInteger));
    EXPECT_TRUE(valid('.', "12", TValueType::vtFloat));
    EXPECT_FALSE(valid('.', "1.2", TValueType::vtFloat));
    EXPECT_TRUE(valid('E', "1.2", TValueType::vtFloat));
    EXPECT_FALSE(valid('e', "1E2", TValueType::vtFloat));
    EXPECT_TRUE(valid('\r', "1", TValueType::vtInteger));
    EXPECT_TRUE(valid('\b', "1", TValueType::vtInteger));
    EXPECT_FALSE(valid('1', "1", TValueType::vtInteger, false)) << "editor off";
    EXPECT_FALSE(valid('\b', "1", TValueType::vtInteger, false));
    EXPECT_TRUE(valid('\r', "1", TValueType::vtInteger, false));
}

// --- the edit ---------------------------------------------------------------

TEST_F(SpinEditTest, StartsAtZeroWithTheDiagonalButtonAndReadsBadTextAsMinValue)
{
    EXPECT_EQ(edit->text(), QStringLiteral("0"));
    EXPECT_EQ(edit->Increment(), 1);
    EXPECT_EQ(edit->Decimal(), 2);
    EXPECT_EQ(edit->ValueType(), TValueType::vtInteger);
    EXPECT_EQ(edit->ButtonKind(), TSpinButtonKind::bkDiagonal);
    ASSERT_NE(edit->Button(), nullptr);
    EXPECT_EQ(edit->UpDown(), nullptr);

    edit->setMinValue(3.7);
    edit->setText(QString());
    EXPECT_EQ(edit->Value(), 3) << "an empty text reads as MinValue, truncated";
    edit->setText(QStringLiteral("abc"));
    EXPECT_EQ(edit->Value(), 3);
    edit->setValueType(TValueType::vtFloat);
    edit->setText(QStringLiteral("x"));
    EXPECT_EQ(edit->Value(), 3.7);
}

TEST_F(SpinEditTest, UpAtTheTopOfTheRangeStaysFiresNoChangeButFiresOnTopClick)
{
    edit->setMinValue(0);
    edit->setMaxValue(15);
    edit->setValue(15);
    changes = 0;
    edit->setModified(false);
    FocusEdit();

    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(edit->text(), QStringLiteral("15"));
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(edit->isModified());
    EXPECT_EQ(topClicks, 1);

    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(edit->text(), QStringLiteral("14"));
    EXPECT_EQ(changes, 1) << "one change event for the step, none for the text write";
    EXPECT_TRUE(edit->isModified());
    EXPECT_EQ(bottomClicks, 1);

    edit->setValue(40);
    EXPECT_EQ(edit->text(), QStringLiteral("15")) << "a written value is clipped";
    edit->setMaxValue(0);
    edit->setValue(-1e6);
    EXPECT_EQ(edit->AsInteger(), -1000000) << "no range while both are 0";
}

TEST_F(SpinEditTest, TheButtonsHalvesStepUpAndDown)
{
    TQcSpinButton* button = edit->Button();
    ASSERT_NE(button, nullptr);
    const QSize size = button->size();
    ASSERT_GT(size.width(), 10);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(edit->text(), QStringLiteral("1"));
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(size.width() - 3, size.height() - 3));
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(size.width() - 3, size.height() - 3));
    EXPECT_EQ(edit->text(), QStringLiteral("-1"));
    EXPECT_EQ(topClicks, 1);
    EXPECT_EQ(bottomClicks, 2);
    EXPECT_TRUE(edit->hasFocus()) << "the button hands the focus to its edit";
    EXPECT_EQ(button->Down(), TSpinButtonState::sbNotDown);
}

TEST_F(SpinEditTest, OnlyCharactersOfANumberCanBeTyped)
{
    TLocaleSettings settings = LocaleSettings();
    settings.decimalSeparator = QLatin1Char('.');
    const TLocaleSettingsScope pinned(settings);
    FocusEdit();
    EXPECT_EQ(edit->selectedText(), QStringLiteral("0")) << "AutoSelect";
    QTest::keyClicks(edit, QStringLiteral("12a"));
    EXPECT_EQ(edit->text(), QStringLiteral("12"));
    EXPECT_EQ(edit->beeps, 1);
    QTest::keyClicks(edit, QStringLiteral(".5"));
    EXPECT_EQ(edit->text(), QStringLiteral("125"));
    EXPECT_EQ(edit->beeps, 2);

    edit->setValueType(TValueType::vtFloat);
    EXPECT_EQ(edit->text(), QStringLiteral("125.00"));
    edit->setText(QStringLiteral("1"));
    edit->end(false);
    QTest::keyClicks(edit, QStringLiteral(".5e2.e"));
    EXPECT_EQ(edit->text(), QStringLiteral("1.5e2"));
    EXPECT_EQ(edit->Value(), 150);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), QStringLiteral("1.5e"));
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(edit->selectedText(), QStringLiteral("1.5e")) << "shortcuts are no typing";
}

TEST_F(SpinEditTest, LeavingRewritesPastedTextOutOfRangeValuesAndHugeIntegers)
{
    edit->setMinValue(0);
    edit->setMaxValue(15);
    FocusEdit();
    QApplication::clipboard()->setText(QStringLiteral("abc"));
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), QStringLiteral("abc")) << "a paste is not filtered";
    LeaveEdit();
    EXPECT_EQ(edit->text(), QStringLiteral("0"));

    FocusEdit();
    QTest::keyClicks(edit, QStringLiteral("99"));
    LeaveEdit();
    EXPECT_EQ(edit->text(), QStringLiteral("15"));

    edit->setMaxValue(0);
    FocusEdit();
    QTest::keyClicks(edit, QStringLiteral("-99999999999"));
    EXPECT_EQ(edit->AsInteger(), kMinInt);
    LeaveEdit();
    EXPECT_EQ(edit->text(), QString::number(kMinInt));

    FocusEdit();
    QTest::keyClicks(edit, QStringLiteral("-"));
    LeaveEdit();
    EXPECT_EQ(edit->text(), QStringLiteral("0")) << "half a number";

    edit->setText(QStringLiteral("abc"));
    edit->setFocus(Qt::TabFocusReason);
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(edit, &popup);
    EXPECT_EQ(edit->text(), QStringLiteral("abc")) << "a popup menu is no exit";
}

TEST_F(SpinEditTest, EnteringSelectsAllAndEnterAndEscGoToTheDialog)
{
    edit->setValue(12);
    LeaveEdit();
    edit->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(edit->selectedText(), QStringLiteral("12"));
    LeaveEdit();
    edit->setAutoSelect(false);
    edit->setFocus(Qt::OtherFocusReason);
    EXPECT_FALSE(edit->hasSelectedText());

    QDialog dialog;
    auto* inDialog = new TQcSpinEdit(&dialog);
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->move(0, 40);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QApplication::setActiveWindow(&dialog);
    inDialog->setFocus(Qt::TabFocusReason);
    QTest::keyClick(inDialog, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    inDialog->setFocus(Qt::TabFocusReason);
    QTest::keyClick(inDialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(SpinEditTest, AReadOnlyEditOnlyBeeps)
{
    edit->setReadOnly(true);
    edit->setValue(5);
    changes = 0;
    FocusEdit();
    QTest::keyClick(edit, Qt::Key_Up);
    QTest::mouseClick(edit->Button(), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(edit->text(), QStringLiteral("5"));
    EXPECT_EQ(edit->beeps, 2);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(topClicks, 0);
}

TEST_F(SpinEditTest, WithTheEditorOffOnlyTheButtonAndKeysChangeTheValue)
{
    edit->setEditorEnabled(false);
    edit->setValue(7);
    FocusEdit();
    edit->end(false);
    QApplication::clipboard()->setText(QStringLiteral("3"));
    QTest::keyClicks(edit, QStringLiteral("1"));
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), QStringLiteral("7"));
    EXPECT_EQ(edit->beeps, 5);
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(edit->text(), QStringLiteral("8"));

    edit->selectAll();
    const auto enabled = [this](bool editorEnabled) {
        edit->setEditorEnabled(editorEnabled);
        const std::unique_ptr<QMenu> menu(edit->EditMenu());
        QStringList names;
        for (const QAction* action : menu->actions()) {
            if (action->isEnabled() && !action->isSeparator())
                names << action->objectName();
        }
        return names;
    };
    EXPECT_EQ(enabled(false), (QStringList{QStringLiteral("edit-copy"), QStringLiteral("select-all")}));
    EXPECT_EQ(enabled(true),
              (QStringList{QStringLiteral("edit-cut"), QStringLiteral("edit-copy"),
                           QStringLiteral("edit-paste"), QStringLiteral("edit-delete"),
                           QStringLiteral("select-all")}));
}

TEST_F(SpinEditTest, SwitchingTypesKeepsTheValueAndRoundsTheIncrement)
{
    edit->setValueType(TValueType::vtFloat);
    edit->setIncrement(0.4);
    edit->setValue(1.5);
    EXPECT_EQ(edit->text(), QStringLiteral("1.50"));
    edit->setDecimal(3);
    EXPECT_EQ(edit->text(), QStringLiteral("1.500"));
    FocusEdit();
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(edit->text(), QStringLiteral("1.900"));

    edit->setValueType(TValueType::vtInteger);
    EXPECT_EQ(edit->Increment(), 1) << "0.4 rounds to 0, which becomes 1";
    EXPECT_EQ(edit->text(), QStringLiteral("2"));
    edit->setValue(2.5);
    EXPECT_EQ(edit->text(), QStringLiteral("2")) << "halves to even";
    edit->setValue(1e12);
    EXPECT_EQ(edit->text(), QString::number(kMaxInt));
}

TEST_F(SpinEditTest, TheStandardKindUsesTheUpDownPair)
{
    edit->setValue(4);
    edit->setButtonKind(TSpinButtonKind::bkStandard);
    ASSERT_NE(edit->UpDown(), nullptr);
    EXPECT_EQ(edit->Button(), nullptr);
    EXPECT_EQ(edit->UpDown()->width(), TQcUpDown::DefaultWidth(edit));
    EXPECT_LE(edit->UpDown()->width(), 15);
    EXPECT_EQ(edit->ButtonWidth(), edit->UpDown()->width());
    EXPECT_EQ(edit->textMargins().right(), edit->ButtonWidth() + 2);

    FocusEdit();
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(edit->text(), QStringLiteral("5"));
    EXPECT_EQ(edit->UpDown()->Position(), 0);
    LeaveEdit();
    TQcUpDown* upDown = edit->UpDown();
    QTest::mouseClick(upDown, Qt::LeftButton, {}, QPoint(3, upDown->height() - 3));
    EXPECT_EQ(edit->text(), QStringLiteral("4"));
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(upDown->Position(), 0);

    edit->setArrowKeys(false);
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(edit->text(), QStringLiteral("4"));

    edit->setButtonKind(TSpinButtonKind::bkDiagonal);
    ASSERT_NE(edit->Button(), nullptr);
    EXPECT_EQ(edit->UpDown(), nullptr);
}

TEST_F(SpinEditTest, TheDiagonalButtonIsASquareAtTheRightAndTheEditKeepsItsMinimumHeight)
{
    const QWidget* holder = edit->BtnWindow();
    ASSERT_NE(holder, nullptr);
    EXPECT_EQ(holder->width(), holder->height());
    EXPECT_EQ(edit->Button()->size(), holder->size());
    EXPECT_LE(holder->geometry().right(), edit->width() - 1);
    EXPECT_GE(holder->geometry().right(), edit->width() - 4);
    EXPECT_EQ(edit->textMargins().right(), holder->width() + 2);

    const int gap = edit->width() - (holder->x() + holder->width());
    edit->resize(150, 30);
    EXPECT_EQ(edit->width() - (holder->x() + holder->width()), gap) << "it follows the edge";
    EXPECT_EQ(holder->height(), 30 - 2 * holder->y());
    EXPECT_EQ(holder->width(), holder->height());
    edit->resize(150, 4);
    EXPECT_EQ(edit->height(), edit->MinHeight());
}
