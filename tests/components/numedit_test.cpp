// Number and currency edits: the range, typing rules, leaving with a value
// out of range, formats while focused and not, pasting and the locale's
// currency format.

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

#include "components/ConvertError.h"
#include "components/CurrEdit.h"
#include "components/LocaleSettings.h"
#include "platform/DialogScript.h"

namespace {

TLocaleSettings UsSettings()
{
    TLocaleSettings s = TLocaleSettings::fromLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    s.decimalSeparator = QLatin1Char('.');
    s.thousandSeparator = QLatin1Char(',');
    s.currencyString = QStringLiteral("$");
    s.currencyFormat = 0;
    s.currencyDecimals = 2;
    return s;
}

// Counts its beeps instead of sounding them.
class TCountingEdit : public TCurrencyEdit
{
public:
    TCountingEdit(QWidget* parent, int& beeps)
        : TCurrencyEdit(parent)
        , m_beeps(beeps)
    {
    }

protected:
    void Beep() override { ++m_beeps; }

private:
    int& m_beeps;
};

class NumEditTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<QWidget>();
        window->resize(300, 100);
        edit = new TCountingEdit(window.get(), beeps);
        edit->setGeometry(10, 10, 120, 24);
        other = new QLineEdit(window.get());
        other->setGeometry(10, 50, 120, 24);
    }
    void show()
    {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        edit->setFocus();
        QApplication::processEvents();
    }

    // The column size edit of the table editor.
    void sizeEdit()
    {
        edit->SetDecimalPlaces(0);
        edit->SetDisplayFormat(QStringLiteral("0"));
        edit->SetMinValue(0);
        edit->SetMaxValue(32768);
    }

    void type(const QString& text)
    {
        for (const QChar c : text)
            QTest::keyClick(edit, c.toLatin1());
    }

    TLocaleSettingsScope locale{UsSettings()};
    int beeps = 0;
    std::unique_ptr<QWidget> window;
    TCurrencyEdit* edit = nullptr;
    QLineEdit* other = nullptr;
};

TEST_F(NumEditTest, TheRangeClipsEveryValueSet)
{
    sizeEdit();
    edit->SetValue(40000);
    EXPECT_EQ(edit->Value(), 32768);
    EXPECT_EQ(edit->text(), "32768");
    edit->SetValue(-3);
    EXPECT_EQ(edit->Value(), 0);
    EXPECT_EQ(edit->text(), ""); // zero shows empty while ZeroEmpty is on

    // Equal bounds: no range at all.
    TCustomNumEdit free;
    free.SetValue(-5e9);
    EXPECT_EQ(free.Value(), -5e9);
    // MaxValue below MinValue: one bound, or none.
    EXPECT_EQ((free.SetMinValue(10), free.SetMaxValue(0), free.CheckValue(3, false)), 10);
    EXPECT_EQ(free.CheckValue(300, false), 300);
    free.SetMinValue(0);
    free.SetMaxValue(-5);
    EXPECT_EQ(free.CheckValue(3, false), -5);
    EXPECT_EQ(free.CheckValue(-30, false), -30);
    free.SetMinValue(10);
    free.SetMaxValue(5);
    EXPECT_EQ(free.CheckValue(-30, false), -30);

    // Changing a bound clips the value at once.
    edit->SetValue(20000);
    edit->SetMaxValue(1000);
    EXPECT_EQ(edit->Value(), 1000);

    try {
        edit->CheckValue(40000, true);
        ADD_FAILURE() << "no range error";
    } catch (const ERangeError& error) {
        EXPECT_EQ(error.message(), "Value must be between 0 and 1000");
    }
    edit->SetDecimalPlaces(2);
    EXPECT_THROW(edit->CheckValue(-1, true), ERangeError);
    try {
        edit->CheckValue(-1, true);
    } catch (const ERangeError& error) {
        EXPECT_EQ(error.message(), "Value must be between 0.00 and 1000.00");
    }
}

TEST_F(NumEditTest, LeavingWithAValueOutOfRangeShowsTheMessageAndKeepsTheFocus)
{
    sizeEdit();
    edit->SetCheckOnExit(true);
    int exits = 0;
    edit->OnExit = [&](QObject*) { ++exits; };
    show();
    type(QStringLiteral("40000"));
    EXPECT_EQ(edit->text(), "40000");

    qv::DialogScript script;
    script.answerMessage(qv::mrOk);
    other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(script.messages(), QStringList({"Value must be between 0 and 32768"}));
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->text(), "40000");
    EXPECT_EQ(edit->selectedText(), "40000");
    EXPECT_EQ(exits, 0);

    type(QStringLiteral("400"));
    other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(script.messages().size(), 1);
    EXPECT_TRUE(other->hasFocus());
    EXPECT_EQ(edit->Value(), 400);
    EXPECT_EQ(exits, 1);

    // Without CheckOnExit the value is clipped quietly.
    edit->SetCheckOnExit(false);
    edit->setFocus();
    QApplication::processEvents();
    edit->selectAll();
    type(QStringLiteral("99999"));
    other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(edit->Value(), 32768);
    EXPECT_EQ(edit->text(), "32768");
    EXPECT_EQ(script.messages().size(), 1);
}

TEST_F(NumEditTest, TypingKeepsTheTextANumberInRange)
{
    sizeEdit();
    int changes = 0;
    edit->OnChange = [&](QObject*) { ++changes; };
    edit->SetValue(5);
    edit->SetValue(0);
    EXPECT_EQ(changes, 0); // the edit writing its own text reports nothing
    show();
    type(QStringLiteral("-"));
    EXPECT_EQ(edit->text(), ""); // "-" reads as minus zero: refused by its sign
    EXPECT_EQ(beeps, 1);
    type(QStringLiteral("12a."));
    EXPECT_EQ(edit->text(), "12"); // no letters, and no decimals with DecimalPlaces 0
    EXPECT_EQ(beeps, 3);
    EXPECT_EQ(changes, 2);

    edit->SetMaxValue(0); // no range: negative numbers are fine
    edit->SetDecimalPlaces(2);
    edit->SetValue(0);
    type(QStringLiteral("-1,5"));
    EXPECT_EQ(edit->text(), "-1.5"); // "," stands for the decimal separator
    type(QStringLiteral("77"));
    EXPECT_EQ(edit->text(), "-1.57");
    EXPECT_EQ(edit->Value(), -1.57);

    // The whole text must read as a number, however long it is.
    edit->setText(QString(63, QLatin1Char('1')));
    edit->setCursorPosition(63);
    const int before = beeps;
    type(QStringLiteral("-"));
    EXPECT_EQ(edit->text(), QString(63, QLatin1Char('1')));
    EXPECT_EQ(beeps, before + 1);
    type(QStringLiteral("1"));
    EXPECT_EQ(edit->text().size(), 64);

    // Esc puts the value's text back.
    edit->SetValue(12.5);
    type(QStringLiteral("9"));
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(edit->text(), "12.5");
    EXPECT_EQ(edit->selectedText(), "12.5");

    edit->SetBeepOnError(false);
    const int quiet = beeps;
    type(QStringLiteral("x"));
    EXPECT_EQ(beeps, quiet);
}

TEST_F(NumEditTest, TextsReadAsNumbers)
{
    EXPECT_EQ(TCustomNumEdit::TextToValText(QStringLiteral("  1,234.5 ")), "1234.5");
    EXPECT_EQ(TCustomNumEdit::TextToValText(QString()), "0");
    EXPECT_EQ(TCustomNumEdit::TextToValText(QStringLiteral("-")), "-0");
    edit->setText(QString());
    EXPECT_EQ(edit->Value(), 0);
    edit->setText(QStringLiteral("-"));
    EXPECT_EQ(edit->Value(), 0);

    edit->SetText(QStringLiteral("1,234.5"));
    EXPECT_EQ(edit->Value(), 1234.5);
    EXPECT_EQ(edit->text(), "1234.5");
    EXPECT_THROW(edit->SetText(QStringLiteral("abc")), EConvertError);
    EXPECT_EQ(edit->Value(), 1234.5);

    TLocaleSettings german = UsSettings();
    german.decimalSeparator = QLatin1Char(',');
    german.thousandSeparator = QLatin1Char('.');
    const TLocaleSettingsScope scope(german);
    EXPECT_EQ(TCustomNumEdit::TextToValText(QStringLiteral("1.234,5")), "1234,5");
    edit->SetText(QStringLiteral("1.234,5"));
    EXPECT_EQ(edit->Value(), 1234.5);
    EXPECT_EQ(edit->text(), "1234,5");
}

TEST_F(NumEditTest, DecimalPlacesStayWithinTheirRange)
{
    edit->SetDecimalPlaces(-1);
    EXPECT_EQ(edit->DecimalPlaces(), 0);
    edit->SetDecimalPlaces(1000);
    EXPECT_EQ(edit->DecimalPlaces(), TCustomNumEdit::MaxDecimalPlaces);
    edit->SetValue(0.1);
    EXPECT_EQ(edit->text(), "0.1");
    edit->SetDecimalPlaces(2);
    edit->SetValue(2.0 / 3);
    EXPECT_EQ(edit->text(), "0.67");
}

TEST_F(NumEditTest, FocusedTheEditTextShowsElseTheDisplayFormat)
{
    edit->SetDisplayFormat(QStringLiteral(",0.##"));
    EXPECT_EQ(edit->text(), "");
    EXPECT_EQ(edit->GetDisplayText(), "0");
    edit->SetZeroEmpty(false);
    EXPECT_EQ(edit->text(), "0");
    edit->SetValue(1234567.891);
    EXPECT_EQ(edit->text(), "1234567.89");
    EXPECT_EQ(edit->GetDisplayText(), "1,234,567.89");

    edit->SetDisplayFormat(QStringLiteral(",0"));
    edit->SetFormatOnEditing(true);
    edit->SetValue(0);
    show();
    edit->selectAll();
    type(QStringLiteral("1234567"));
    EXPECT_EQ(edit->text(), "1,234,567");
    EXPECT_EQ(edit->cursorPosition(), 9);
    EXPECT_EQ(edit->Value(), 1234567);
    EXPECT_EQ(edit->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    edit->SetFormatOnEditing(false);
    EXPECT_EQ(edit->text(), "1234567");
    EXPECT_EQ(edit->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
}

TEST_F(NumEditTest, APasteThatLeavesNoNumberIsUndone)
{
    edit->SetValue(42);
    show();
    edit->setCursorPosition(2);
    QApplication::clipboard()->setText(QStringLiteral("abc"));
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), "42");
    EXPECT_EQ(edit->selectedText(), "42");
    EXPECT_EQ(beeps, 1);
    QApplication::clipboard()->setText(QStringLiteral("5"));
    edit->setCursorPosition(2);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), "425");
    EXPECT_EQ(edit->Value(), 425);
}

TEST_F(NumEditTest, TheCurrencyFormatFollowsTheLocale)
{
    EXPECT_EQ(CurrencyDisplayFormat(), "$,0.00;-$,0.00");
    EXPECT_EQ(edit->DisplayFormat(), "$,0.00;-$,0.00");
    edit->SetValue(1234.5);
    EXPECT_EQ(edit->GetDisplayText(), "$1,234.50");
    edit->SetValue(-1);
    EXPECT_EQ(edit->GetDisplayText(), "-$1.00");

    TLocaleSettings swedish = UsSettings();
    swedish.currencyString = QStringLiteral("kr.");
    swedish.currencyFormat = 3;
    const TLocaleSettingsScope scope(swedish);
    EXPECT_EQ(CurrencyDisplayFormat(), ",0.00 kr'.';-,0.00 kr'.'");
    TCurrencyEdit kronor;
    kronor.SetValue(1234.5);
    EXPECT_EQ(kronor.GetDisplayText(), "1,234.50 kr.");
}

TEST_F(NumEditTest, RendersTheDisplayTextWithoutTheFocus)
{
    sizeEdit();
    edit->SetDisplayFormat(QStringLiteral("#,##0 \"rows\""));
    edit->SetValue(4096);
    show();
    other->setFocus();
    QApplication::processEvents();
    const QImage image = window->grab().toImage();
    EXPECT_EQ(edit->GetDisplayText(), "4,096 rows");
    EXPECT_EQ(edit->text(), "4096");
}

} // namespace
