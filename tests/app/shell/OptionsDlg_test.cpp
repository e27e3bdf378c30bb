// The options dialog: what it reads when shown, editing colours on the grid
// with the live example, the keys of its pages, and what OK and Cancel leave
// in the registry; and the plain routines it stands on.

#include "ShellTest_support.h"

#include "app/shell/Main.h"
#include "app/shell/OptionsDlg.h"
#include "components/ColorGrid.h"
#include "components/CurrEdit.h"
#include "editor/qeCustomEdit.h"
#include "editor/qeGeneralSyn.h"
#include "platform/DialogScript.h"
#include "platform/Help.h"
#include "platform/Registry.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace qvshell;

namespace {

constexpr TColor kOddColour = 0x00123456;   // none of the grid's 16

// Clicks a check box or radio button on its indicator, the part that takes
// clicks however wide the layout makes the widget.
void clickBox(QAbstractButton* box)
{
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

QByteArray registryBytes(const IsolatedUser& user)
{
    QFile file(user.registryFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Options of an earlier run, some away from their defaults.
TEditorColors seedOptions()
{
    TEditorColors colors;
    SetDefaultEditorColors(colors);
    colors.SetSlot(eeComment, {kOddColour, clWhite, esItalic});
    QvRegistry registry;
    EXPECT_TRUE(registry.openKey(kOptionsKey, true));
    registry.writeInteger(QStringLiteral("TabStopCount"), 3);
    registry.writeInteger(QStringLiteral("EditorRightEdge"), 72);
    registry.writeInteger(QStringLiteral("ShowDescription"), 2);
    registry.writeInteger(QStringLiteral("ShowSystemTables"), 1);
    registry.writeString(QStringLiteral("SQLFont"), QStringLiteral("DejaVu Sans Mono"));
    registry.writeInteger(QStringLiteral("SQLFontSize"), 11);
    registry.writeInteger(QStringLiteral("SQLFontCharset"), 204);
    registry.writeBinary(QStringLiteral("EditorColors"), colors.Bytes());
    return colors;
}

class OptionsDialogTest : public ::testing::Test
{
protected:
    void SetUp() override { Options() = TOptions::Defaults(); }
    void TearDown() override { Options() = TOptions::Defaults(); }

    void clickCell(TOptionsDlg& dialog, int cell, Qt::MouseButton button)
    {
        QTest::mouseClick(dialog.ColorGrid, button, {}, dialog.ColorGrid->CellRect(cell).center());
    }

    IsolatedUser user;
};

} // namespace

TEST(OptionsRoutines, GridChangeKeepsTheSideWithoutAMarker)
{
    const TEditorColorSlot odd{kOddColour, 0x00654321, esBold};
    // Only the picked side changes; the other keeps its colour outside the 16.
    const TEditorColorSlot foreground = WithGridColors(odd, 9, -1);
    EXPECT_EQ(foreground.Foreground, GridColor(9));
    EXPECT_EQ(foreground.Background, TColor(0x00654321));
    EXPECT_EQ(foreground.Style, esBold);
    const TEditorColorSlot background = WithGridColors(odd, -1, 12);
    EXPECT_EQ(background.Foreground, kOddColour);
    EXPECT_EQ(background.Background, TColor(0xFF0000));
    const TEditorColorSlot none = WithGridColors(odd, -1, 16);
    EXPECT_EQ(none.Foreground, kOddColour);
    EXPECT_EQ(none.Background, TColor(0x00654321));

    TEditorColorSlot slot = WithStyleBit(odd, esUnderline, true);
    EXPECT_EQ(slot.Style, esBold | esUnderline);
    slot = WithStyleBit(slot, esBold, false);
    EXPECT_EQ(slot.Style, esUnderline);
    slot = WithStyleBit(slot, esBold, false);
    EXPECT_EQ(slot.Style, esUnderline);
}

TEST(OptionsRoutines, NumberEditValuesBecomeIntegers)
{
    EXPECT_EQ(RoundOptionValue(3.6), 4);
    EXPECT_EQ(RoundOptionValue(3.4), 3);
    EXPECT_EQ(RoundOptionValue(2.5), 3);
    EXPECT_EQ(RoundOptionValue(-2.5), -3);
    EXPECT_EQ(RoundOptionValue(1e20), std::numeric_limits<int>::max());
    EXPECT_EQ(RoundOptionValue(-1e20), std::numeric_limits<int>::min());
    EXPECT_EQ(RoundOptionValue(std::nan("")), 0);
}

TEST(OptionsRoutines, WrittenOptionsReadBackUnderTheirNames)
{
    IsolatedUser user;
    TOptions options = TOptions::Defaults();
    options.SQLFont = QFont(QStringLiteral("DejaVu Sans Mono"));
    options.SQLFont.setPointSize(12);
    options.SQLFontCharset = 204;
    options.DataFont = QFont(QStringLiteral("DejaVu Serif"));
    options.DataFont.setPointSize(10);
    options.DataFontCharset = 0;
    options.ShowDescription = 3;
    options.ShowTriggerType = true;
    options.ShowProcParameterDescription = false;
    options.TabStopCount = 6;
    options.ShowSystemTables = true;
    options.EditorColors.SetSlot(eeHyperlink, {kOddColour, clBlack, esItalic});
    options.EditorRightEdge = 100;
    WriteOptions(options);

    QvRegistry registry;
    ASSERT_TRUE(registry.openKey(kOptionsKey, false));
    EXPECT_EQ(registry.valueNames(),
              (QStringList{"SQLFont", "SQLFontSize", "SQLFontCharset", "DataFont", "DataFontSize", "DataFontCharset",
                           "ShowDescription", "ShowTriggertype", "ShowProcParameterDescription", "TabStopCount",
                           "ShowSystemTables", "EditorColors", "EditorRightEdge"}));
    EXPECT_EQ(registry.dataType(QStringLiteral("EditorColors")), QvRegistry::DataType::Binary);
    EXPECT_EQ(registry.readBinary(QStringLiteral("EditorColors")), options.EditorColors.Bytes());
    EXPECT_EQ(registry.dataType(QStringLiteral("ShowTriggertype")), QvRegistry::DataType::Integer);
    EXPECT_EQ(registry.readInteger(QStringLiteral("ShowTriggertype")), 1);
    EXPECT_EQ(registry.readInteger(QStringLiteral("SQLFontSize")), 12);

    const TOptions back = ReadOptions();
    EXPECT_EQ(back.SQLFont.family(), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(back.SQLFont.pointSize(), 12);
    EXPECT_EQ(back.SQLFontCharset, 204);
    EXPECT_EQ(back.DataFont.family(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(back.DataFont.pointSize(), 10);
    EXPECT_EQ(back.DataFontCharset, 0);
    EXPECT_EQ(back.ShowDescription, 3);
    EXPECT_TRUE(back.ShowTriggerType);
    EXPECT_FALSE(back.ShowProcParameterDescription);
    EXPECT_EQ(back.TabStopCount, 6);
    EXPECT_TRUE(back.ShowSystemTables);
    EXPECT_EQ(back.EditorColors, options.EditorColors);
    EXPECT_EQ(back.EditorRightEdge, 100);

    // Written again off: the value under its first spelling reads false.
    options.ShowTriggerType = false;
    WriteOptions(options);
    EXPECT_FALSE(ReadOptions().ShowTriggerType);
}

TEST_F(OptionsDialogTest, ShowingReadsTheRegistryIntoThePages)
{
    const TEditorColors colors = seedOptions();
    TOptionsDlg dialog;
    dialog.PageControl->setCurrentIndex(2);
    dialog.show();

    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Options"));
    ASSERT_EQ(dialog.PageControl->count(), 3);
    EXPECT_EQ(dialog.PageControl->tabText(0), QStringLiteral("Display"));
    EXPECT_EQ(dialog.PageControl->tabText(1), QStringLiteral("Editor"));
    EXPECT_EQ(dialog.PageControl->tabText(2), QStringLiteral("Preferences"));
    EXPECT_EQ(dialog.PageControl->currentWidget(), dialog.DisplayPage);

    EXPECT_EQ(dialog.TabStops->Value(), 3);
    EXPECT_EQ(dialog.RightEdge->Value(), 72);
    EXPECT_EQ(dialog.SampleFont1->text(), QStringLiteral("Sample AaBbCcDd 12345"));
    EXPECT_EQ(dialog.SampleFont1->font().family(), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(dialog.SampleFont1->font().pointSize(), 11);
    EXPECT_EQ(dialog.SampleFont2->font().family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(dialog.DescriptionMode->checkedId(), 2);
    EXPECT_TRUE(dialog.ShowSysTables->isChecked());
    EXPECT_TRUE(dialog.ShowParamDescr->isChecked());
    EXPECT_FALSE(dialog.ShowTriggerType->isChecked());
    EXPECT_EQ(dialog.WorkingColors(), colors);

    // The example: six lines, the fifth the execution point, the sixth a breakpoint.
    EXPECT_EQ(dialog.ExampleEdit->Lines()->Count(), 6);
    EXPECT_EQ(dialog.ExampleEdit->Lines()->Strings(4), QStringLiteral("for select test from .... /*Execution Point*/"));
    EXPECT_TRUE(dialog.ExampleEdit->ReadOnly());
    int kind = 0;
    ASSERT_TRUE(dialog.ExampleSyntax->LineColors().Find(4, kind));
    EXPECT_EQ(kind, TLineColorMark::ExecutionPoint);
    ASSERT_TRUE(dialog.ExampleSyntax->LineColors().Find(5, kind));
    EXPECT_EQ(kind, TLineColorMark::BreakPoint);
    EXPECT_EQ(dialog.ExampleSyntax->LineColors().Count(), 2);
    EXPECT_EQ(dialog.ExampleSyntax->CommentAttri()->Foreground(), QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(dialog.ExampleEdit->RightEdge(), 72);
    EXPECT_EQ(dialog.ExampleEdit->Font().family(), QStringLiteral("DejaVu Sans Mono"));

    // The first element is selected: white on white, no style.
    ASSERT_EQ(dialog.ElementList->count(), 10);
    EXPECT_EQ(dialog.ElementList->item(2)->text(), QStringLiteral("Reserved Word"));
    EXPECT_EQ(dialog.ElementList->currentRow(), 0);
    EXPECT_EQ(dialog.ColorGrid->ForegroundIndex(), 15);
    EXPECT_EQ(dialog.ColorGrid->BackgroundIndex(), 15);
    EXPECT_FALSE(dialog.BoldBox->isChecked());
}

TEST_F(OptionsDialogTest, GridButtonsColourTheSelectedElementAndTheExample)
{
    seedOptions();
    const QByteArray before = registryBytes(user);
    TOptionsDlg dialog;
    dialog.show();
    dialog.PageControl->setCurrentWidget(dialog.EditorPage);

    // Reserved words: black on white, bold.
    dialog.ElementList->setCurrentRow(eeReservedWord);
    EXPECT_EQ(dialog.ColorGrid->ForegroundIndex(), 0);
    EXPECT_EQ(dialog.ColorGrid->BackgroundIndex(), 15);
    EXPECT_TRUE(dialog.BoldBox->isChecked());
    EXPECT_FALSE(dialog.ItalicBox->isChecked());
    // Selecting wrote nothing into the working copy.
    EXPECT_EQ(dialog.WorkingColors().Slot(eeReservedWord).Style, esBold);

    clickCell(dialog, 12, Qt::LeftButton);     // blue text
    clickCell(dialog, 11, Qt::RightButton);    // on yellow
    clickBox(dialog.ItalicBox);
    clickBox(dialog.BoldBox);
    const TEditorColorSlot keyword = dialog.WorkingColors().Slot(eeReservedWord);
    EXPECT_EQ(keyword.Foreground, TColor(0xFF0000));
    EXPECT_EQ(keyword.Background, TColor(0x00FFFF));
    EXPECT_EQ(keyword.Style, esItalic);
    EXPECT_EQ(dialog.ExampleSyntax->KeyAttri()->Foreground(), QColor(0, 0, 255));
    EXPECT_EQ(dialog.ExampleSyntax->KeyAttri()->Background(), QColor(255, 255, 0));
    EXPECT_EQ(dialog.ExampleSyntax->KeyAttri()->IntegerStyle(), esItalic);

    // The comment's colour is none of the 16: no marker, and picking only
    // the background leaves that colour alone.
    dialog.ElementList->setCurrentRow(eeComment);
    EXPECT_EQ(dialog.ColorGrid->ForegroundIndex(), -1);
    EXPECT_EQ(dialog.ColorGrid->BackgroundIndex(), 15);
    EXPECT_TRUE(dialog.ItalicBox->isChecked());
    clickCell(dialog, 7, Qt::RightButton);     // on silver
    EXPECT_EQ(dialog.WorkingColors().Slot(eeComment).Foreground, kOddColour);
    EXPECT_EQ(dialog.WorkingColors().Slot(eeComment).Background, TColor(0xC0C0C0));
    EXPECT_EQ(dialog.ExampleSyntax->CommentAttri()->Foreground(), QColor(0x56, 0x34, 0x12));
    clickCell(dialog, 1, Qt::LeftButton);      // maroon
    EXPECT_EQ(dialog.WorkingColors().Slot(eeComment).Foreground, TColor(0x000080));
    EXPECT_EQ(dialog.ExampleSyntax->CommentAttri()->Foreground(), QColor(128, 0, 0));

    // The whitespace background is the example's own background.
    dialog.ElementList->setCurrentRow(eeWhitespace);
    clickCell(dialog, 14, Qt::RightButton);
    EXPECT_EQ(dialog.ExampleEdit->Color(), QColor(0, 255, 255));

    // Going back to an element shows what was picked for it.
    dialog.ElementList->setCurrentRow(eeReservedWord);
    EXPECT_EQ(dialog.ColorGrid->ForegroundIndex(), 12);
    EXPECT_EQ(dialog.ColorGrid->BackgroundIndex(), 11);
    EXPECT_FALSE(dialog.BoldBox->isChecked());
    EXPECT_TRUE(dialog.ItalicBox->isChecked());

    // Cancel: nothing reaches the registry or the options.
    QTest::mouseClick(dialog.CancelBtn, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(registryBytes(user), before);
    EXPECT_EQ(Options().EditorColors.Slot(eeReservedWord).Style, esBold);
}

TEST_F(OptionsDialogTest, OkWritesEveryOptionAndReloadsThem)
{
    const TEditorColors seeded = seedOptions();
    qv::DialogScript script;
    TOptionsDlg dialog;
    dialog.show();

    QSignalSpy changed(OptionsNotifier(), &TOptionsNotifier::OptionsChanged);
    dialog.TabStops->SetValue(3.6);
    dialog.RightEdge->SetValue(99.5);
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPointSize(13);
    script.answerFont(font);
    QTest::mouseClick(dialog.SQLFontBtn, Qt::LeftButton);
    EXPECT_EQ(dialog.SampleFont1->font().pointSize(), 13);
    EXPECT_EQ(dialog.ExampleEdit->Font().pointSize(), 13);
    QFont dataFont(QStringLiteral("DejaVu Serif"));
    dataFont.setPointSize(10);
    script.answerFont(dataFont);
    QTest::mouseClick(dialog.DataFontBtn, Qt::LeftButton);
    // A cancelled font dialog keeps the font.
    script.cancelFont();
    QTest::mouseClick(dialog.DataFontBtn, Qt::LeftButton);
    EXPECT_EQ(dialog.SampleFont2->font().family(), QStringLiteral("DejaVu Serif"));

    dialog.PageControl->setCurrentWidget(dialog.PreferencesPage);
    clickBox(dialog.DescriptionMode->button(1));
    clickBox(dialog.ShowTriggerType);
    clickBox(dialog.ShowParamDescr);
    clickBox(dialog.ShowSysTables);
    dialog.PageControl->setCurrentWidget(dialog.EditorPage);
    dialog.ElementList->setCurrentRow(eeString);
    clickCell(dialog, 5, Qt::LeftButton);    // purple
    clickBox(dialog.UnderlineBox);

    QTest::mouseClick(dialog.OKBtn, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(script.shown().size(), 3u);   // the three font dialogs, no message

    QvRegistry registry;
    ASSERT_TRUE(registry.openKey(kOptionsKey, false));
    EXPECT_EQ(registry.readInteger(QStringLiteral("TabStopCount")), 4);
    EXPECT_EQ(registry.readInteger(QStringLiteral("EditorRightEdge")), 100);
    EXPECT_EQ(registry.readString(QStringLiteral("SQLFont")), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(registry.readInteger(QStringLiteral("SQLFontSize")), 13);
    EXPECT_EQ(registry.readInteger(QStringLiteral("SQLFontCharset")), 204);   // kept as read
    EXPECT_EQ(registry.readString(QStringLiteral("DataFont")), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(registry.readInteger(QStringLiteral("DataFontSize")), 10);
    EXPECT_EQ(registry.readInteger(QStringLiteral("ShowDescription")), 1);
    EXPECT_EQ(registry.readInteger(QStringLiteral("ShowTriggertype")), 1);
    EXPECT_EQ(registry.readInteger(QStringLiteral("ShowProcParameterDescription")), 0);
    EXPECT_EQ(registry.readInteger(QStringLiteral("ShowSystemTables")), 0);
    TEditorColors expected = seeded;
    expected.SetSlot(eeString, {0x800080, clWhite, esUnderline});
    EXPECT_EQ(registry.readBinary(QStringLiteral("EditorColors")), expected.Bytes());

    // Reloaded at once, and the windows above were told.
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(Options().TabStopCount, 4);
    EXPECT_EQ(Options().ShowDescription, 1);
    EXPECT_TRUE(Options().ShowTriggerType);
    EXPECT_EQ(Options().EditorColors, expected);
}

TEST_F(OptionsDialogTest, AFailedWriteIsShownAndTheDialogStaysOpen)
{
    qv::DialogScript script;
    // A registry file below a plain file can be neither created nor written.
    QFile blocker(user.dir().filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QByteArray saved = qgetenv("QORVANE_REGISTRY");
    qputenv("QORVANE_REGISTRY", user.dir().filePath(QStringLiteral("blocker/registry.reg")).toUtf8());
    {
        TOptionsDlg dialog;
        dialog.show();
        EXPECT_EQ(dialog.TabStops->Value(), 4);   // nothing readable: the defaults
        dialog.TabStops->SetValue(8);
        script.answerMessage(qv::mrOk);
        QTest::mouseClick(dialog.OKBtn, Qt::LeftButton);
        ASSERT_EQ(script.messages().size(), 1);
        EXPECT_TRUE(script.messages().first().contains(QStringLiteral("Options"))) << script.messages().first().toStdString();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.TabStops->Value(), 8);
        EXPECT_EQ(Options().TabStopCount, 4);
    }
    qputenv("QORVANE_REGISTRY", saved);
}

TEST_F(OptionsDialogTest, KeysOfTheEditorPageAndHelp)
{
    TOptionsDlg dialog;
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    dialog.PageControl->setCurrentWidget(dialog.EditorPage);
    EXPECT_TRUE(dialog.ElementList->hasFocus());

    QTest::keyClick(&dialog, Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(dialog.ColorGrid->hasFocus());
    // Keys on the grid move the foreground of the element.
    QTest::keyClick(dialog.ColorGrid, Qt::Key_Left);
    EXPECT_EQ(dialog.ColorGrid->ForegroundIndex(), 14);
    EXPECT_EQ(dialog.WorkingColors().Slot(eeWhitespace).Foreground, TColor(0xFFFF00));
    QTest::keyClick(&dialog, Qt::Key_T, Qt::AltModifier);
    EXPECT_TRUE(dialog.BoldBox->hasFocus());
    QTest::keyClick(&dialog, Qt::Key_E, Qt::AltModifier);
    EXPECT_TRUE(dialog.ElementList->hasFocus());

    // On another page Alt+C is nobody's.
    dialog.PageControl->setCurrentWidget(dialog.DisplayPage);
    dialog.TabStops->setFocus();
    QTest::keyClick(&dialog, Qt::Key_C, Qt::AltModifier);
    EXPECT_FALSE(dialog.ColorGrid->hasFocus());

    qv::DialogScript script;
    script.answerMessage(qv::mrOk);
    script.answerMessage(qv::mrOk);
    qv::clearHelpRequests();
    QTest::keyClick(&dialog, Qt::Key_F1);
    QTest::mouseClick(dialog.HelpBtn, Qt::LeftButton);
    ASSERT_EQ(qv::helpRequests().size(), 2u);
    EXPECT_EQ(qv::helpRequests()[0].context, 1000);
    EXPECT_EQ(qv::helpRequests()[1].topic, QStringLiteral("Program_Options"));
    EXPECT_EQ(script.messages(), QStringList(2, qv::kNoHelpText));
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(OptionsDialogTest, TheMainWindowsOptionsCommandOpensTheDialog)
{
    Shell shell;
    ASSERT_TRUE(MainForm->Options1->isEnabled());
    EXPECT_TRUE(MainForm->CommandAvailable(MainForm->Options1));
    qv::DialogScript script;
    QString title;
    script.onModal([&title](QDialog& dialog) {
        title = dialog.windowTitle();
        auto* options = qobject_cast<TOptionsDlg*>(&dialog);
        ASSERT_NE(options, nullptr);
        options->ShowTriggerType->setChecked(true);
        QTest::mouseClick(options->OKBtn, Qt::LeftButton);
    });
    MainForm->Options1->trigger();
    EXPECT_EQ(title, QStringLiteral("Options"));
    EXPECT_TRUE(ReadOptions().ShowTriggerType);

    // Cancel leaves the registry as it was.
    const QByteArray before = registryBytes(user);
    script.onModal([](QDialog& dialog) {
        auto* options = qobject_cast<TOptionsDlg*>(&dialog);
        ASSERT_NE(options, nullptr);
        options->ShowTriggerType->setChecked(false);
        options->TabStops->SetValue(9);
        QTest::mouseClick(options->CancelBtn, Qt::LeftButton);
    });
    MainForm->Options1->trigger();
    EXPECT_EQ(registryBytes(user), before);
    EXPECT_TRUE(Options().ShowTriggerType);
}
