#include "app/shell/Options.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSet>
#include <gtest/gtest.h>

#include "access/QvDatabase.h"
#include "access/QvQuery.h"
#include "access/QvDataSet.h"
#include "app/shell/DataM.h"
#include "editor/qeCustomEdit.h"
#include "editor/qeGeneralSyn.h"
#include "platform/Registry.h"

namespace {

// Stands for the SQL editor window: its text editor follows the options.
class TSQLEditor : public QWidget
{
    Q_OBJECT
public:
    TSQLEditor()
    {
        syntax = new TqeGeneralSyn(this);
        editor = new TqeCustomEdit(this);
        editor->SetHighLighter(syntax);
    }
    TqeGeneralSyn* syntax;
    TqeCustomEdit* editor;
};

// Any other window: left alone.
class TOtherWindow : public TSQLEditor
{
    Q_OBJECT
};

QvRegistry& optionsKey(QvRegistry& registry)
{
    EXPECT_TRUE(registry.openKey(kOptionsKey, true));
    return registry;
}

class OptionsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QvRegistry().deleteKey(kOptionsKey);
        Options() = TOptions::Defaults();
    }
    void TearDown() override
    {
        QvRegistry().deleteKey(kOptionsKey);
        Options() = TOptions::Defaults();
    }
};

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (int value : values)
        result.append(static_cast<char>(value));
    return result;
}

} // namespace

TEST_F(OptionsTest, FreshRegistryGivesDefaultsAndCreatesTheKey)
{
    Options().TabStopCount = 99;
    LoadOptions();
    const TOptions& options = Options();
    EXPECT_EQ(options.SQLFont.family(), "Courier New");
    EXPECT_EQ(options.SQLFont.pointSize(), 9);
    EXPECT_EQ(options.SQLFontCharset, 1);
    EXPECT_EQ(options.DataFont.family(), "MS Sans Serif");
    EXPECT_EQ(options.DataFont.pointSize(), 8);
    EXPECT_EQ(options.TabStopCount, 4);
    EXPECT_EQ(options.EditorRightEdge, 80);
    EXPECT_EQ(options.ShowDescription, 0);
    EXPECT_TRUE(options.ShowProcParameterDescription);
    EXPECT_FALSE(options.ShowSystemTables);
    EXPECT_FALSE(options.ShowTriggerType);
    TEditorColors defaults;
    SetDefaultEditorColors(defaults);
    EXPECT_EQ(options.EditorColors, defaults);
    EXPECT_TRUE(QvRegistry().keyExists(kOptionsKey));
}

TEST_F(OptionsTest, DefaultColourRecordByteForByte)
{
    TEditorColors colors;
    SetDefaultEditorColors(colors);
    const QByteArray record = colors.Bytes();
    ASSERT_EQ(record.size(), 132);
    // Whitespace: white on white, no style.
    EXPECT_EQ(record.mid(0, 12), bytes({0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0, 0, 0, 0}));
    // Comment: green (0,128,0) on white.
    EXPECT_EQ(record.mid(12, 4), bytes({0x00, 0x80, 0x00, 0x00}));
    // Reserved word: bold.
    EXPECT_EQ(record.at(24 + 8), char(1));
    // String: red.
    EXPECT_EQ(record.mid(60, 4), bytes({0xFF, 0x00, 0x00, 0x00}));
    // Execution point: white on blue.
    EXPECT_EQ(record.mid(84, 8), bytes({0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00}));
    // Hyperlink: bold and underlined.
    EXPECT_EQ(record.at(108 + 8), char(1 | 4));
    // Slot 10 is nobody's.
    EXPECT_EQ(record.mid(120, 12), QByteArray(12, '\0'));
}

TEST_F(OptionsTest, ColourRecordRoundTripsUnchangedBytes)
{
    QByteArray record(132, '\0');
    for (int i = 0; i < 132; ++i)
        record[i] = static_cast<char>(i * 7 + 3);
    {
        QvRegistry registry;
        optionsKey(registry).writeBinary("EditorColors", record);
    }
    LoadOptions();
    EXPECT_EQ(Options().EditorColors.Bytes(), record);  // padding and slot 10 included
    const TEditorColorSlot comment = Options().EditorColors.Slot(eeComment);
    EXPECT_EQ(comment.Foreground, TColor(0x6C655E57));
    EXPECT_EQ(comment.Style, std::uint8_t(20 * 7 + 3));
}

TEST_F(OptionsTest, ColourValueOfAnotherSizeOrTypeGivesDefaults)
{
    TEditorColors defaults;
    SetDefaultEditorColors(defaults);
    for (const QByteArray& value : {QByteArray(131, '\x11'), QByteArray(133, '\x11'), QByteArray()}) {
        {
            QvRegistry registry;
            optionsKey(registry).writeBinary("EditorColors", value);
        }
        LoadOptions();
        EXPECT_EQ(Options().EditorColors, defaults) << value.size();
    }
    {
        QvRegistry registry;
        optionsKey(registry).writeString("EditorColors", QString(132, QChar('x')));
    }
    LoadOptions();
    EXPECT_EQ(Options().EditorColors, defaults);
}

TEST_F(OptionsTest, WrongTypeGivesThatOptionsDefaultOnly)
{
    {
        QvRegistry registry;
        optionsKey(registry);
        registry.writeString("TabStopCount", "8");        // should be an integer
        registry.writeInteger("EditorRightEdge", 120);
        registry.writeInteger("SQLFont", 3);              // should be a string
        registry.writeInteger("SQLFontSize", 14);
        registry.writeString("ShowSystemTables", "1");    // should be an integer
        registry.writeInteger("ShowDescription", 2);
        registry.writeInteger("ShowProcParameterDescription", 0);
        registry.writeInteger("ShowTriggertype", 1);      // the dialog's spelling
        registry.writeString("DataFont", "");
        registry.writeInteger("DataFontSize", 0);
        registry.writeInteger("DataFontCharset", 204);
    }
    LoadOptions();
    const TOptions& options = Options();
    EXPECT_EQ(options.TabStopCount, 4);
    EXPECT_EQ(options.EditorRightEdge, 120);
    EXPECT_EQ(options.SQLFont.family(), "Courier New");
    EXPECT_EQ(options.SQLFont.pointSize(), 14);
    EXPECT_FALSE(options.ShowSystemTables);
    EXPECT_EQ(options.ShowDescription, 2);
    EXPECT_FALSE(options.ShowProcParameterDescription);
    EXPECT_TRUE(options.ShowTriggerType);
    EXPECT_EQ(options.DataFont.family(), "MS Sans Serif");
    EXPECT_EQ(options.DataFont.pointSize(), 8);
    EXPECT_EQ(options.DataFontCharset, 204);
}

TEST_F(OptionsTest, ApplyEditorOptionsMapsSlotsToAttributes)
{
    TqeCustomEdit editor;
    TqeGeneralSyn syntax;
    Options().TabStopCount = 6;
    Options().EditorRightEdge = 100;
    Options().EditorColors.SetSlot(eeWhitespace, {clWhite, 0x00EEDDCC, 0});
    Options().EditorColors.SetSlot(eeNumber, {0x000080FF, clBlack, esItalic | esStrikeOut});
    ApplyEditorOptions(&editor, &syntax);

    EXPECT_EQ(editor.TabSpace(), 6);
    EXPECT_TRUE(editor.WantTabs());
    EXPECT_EQ(editor.RightEdge(), 100);
    EXPECT_EQ(editor.Color(), QColor(0xCC, 0xDD, 0xEE));
    EXPECT_EQ(editor.Font().pointSize(), 9);
    EXPECT_EQ(syntax.NumberAttri()->Foreground(), QColor(0xFF, 0x80, 0x00));
    EXPECT_EQ(syntax.NumberAttri()->Background(), QColor(Qt::black));
    EXPECT_EQ(syntax.NumberAttri()->IntegerStyle(), esItalic | esStrikeOut);
    EXPECT_EQ(syntax.SpaceAttri()->Background(), QColor(0xCC, 0xDD, 0xEE));
    EXPECT_EQ(syntax.CommentAttri()->Foreground(), QColor(0, 128, 0));
    EXPECT_EQ(syntax.KeyAttri()->IntegerStyle(), esBold);
    EXPECT_EQ(syntax.StringAttri()->Foreground(), QColor(255, 0, 0));
    EXPECT_EQ(syntax.ExecutionPointAttri()->Background(), QColor(0, 0, 255));
    EXPECT_EQ(syntax.BreakPointAttri()->Background(), QColor(255, 0, 0));
    EXPECT_EQ(syntax.HyperLinkAttri()->IntegerStyle(), esBold | esUnderline);
}

TEST_F(OptionsTest, LoadOptionsReappliesToOpenEditorWindows)
{
    QMainWindow main;
    auto* area = new QMdiArea;
    main.setCentralWidget(area);
    main.show();
    auto* sqlEditor = new TSQLEditor;
    area->addSubWindow(sqlEditor)->show();
    auto* other = new TOtherWindow;
    area->addSubWindow(other)->show();
    ApplyEditorOptions(sqlEditor->editor, sqlEditor->syntax);
    ApplyEditorOptions(other->editor, other->syntax);
    ASSERT_EQ(sqlEditor->editor->TabSpace(), 4);

    TEditorColors colors;
    SetDefaultEditorColors(colors);
    colors.SetSlot(eeReservedWord, {0x00123456, clWhite, esItalic});
    {
        QvRegistry registry;
        optionsKey(registry);
        registry.writeInteger("TabStopCount", 2);
        registry.writeInteger("EditorRightEdge", 72);
        registry.writeBinary("EditorColors", colors.Bytes());
    }
    LoadOptions();

    EXPECT_EQ(sqlEditor->editor->TabSpace(), 2);
    EXPECT_EQ(sqlEditor->editor->RightEdge(), 72);
    EXPECT_EQ(sqlEditor->syntax->KeyAttri()->Foreground(), QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(sqlEditor->syntax->KeyAttri()->IntegerStyle(), esItalic);
    EXPECT_EQ(other->editor->TabSpace(), 4);
    EXPECT_EQ(other->syntax->KeyAttri()->IntegerStyle(), esBold);
}

TEST(DataModule, SharedObjectsAndKeywords)
{
    {
        TDM dm;
        EXPECT_EQ(DM, &dm);
        const QStringList& words = TDM::SQLKeywords();
        ASSERT_EQ(words.size(), 261);
        EXPECT_EQ(words.first(), "ACTIVE");
        EXPECT_EQ(words.at(130), "LEVEL");
        EXPECT_EQ(words.last(), "WRITE");
        EXPECT_EQ(QSet<QString>(words.begin(), words.end()).size(), 261);
        EXPECT_TRUE(dm.Syntax()->IsKeyword(u"select"));
        EXPECT_TRUE(dm.Syntax()->IsKeyword(u"RDB$DB_KEY"));
        EXPECT_FALSE(dm.Syntax()->IsKeyword(u"COALESCE"));
        EXPECT_EQ(dm.Syntax()->Comments(), CommentStyles(csCStyle));
        EXPECT_EQ(dm.Syntax()->CommentAttri()->IntegerStyle(), fsItalic);
        EXPECT_EQ(dm.Syntax()->ExecutionPointAttri()->Foreground(), QColor(255, 255, 0));
        EXPECT_EQ(dm.Syntax()->BreakPointAttri()->IntegerStyle(), fsBold);
        EXPECT_EQ(dm.Query()->Transaction(), dm.IBTran());
        EXPECT_EQ(dm.IBDs()->Transaction(), dm.IBTran());
        EXPECT_EQ(dm.IBDs()->BufferChunks(), 32);
        EXPECT_FALSE(dm.IBDs()->CachedUpdates());
        EXPECT_TRUE(dm.Query()->ParamCheck());
        EXPECT_FALSE(dm.MainDB()->Connected());
        EXPECT_EQ(dm.MainDB()->Timeout(), 0);
        EXPECT_EQ(dm.IBTran()->TimeoutAction(), TARollback);
        EXPECT_FALSE(dm.IBTran()->Active());
    }
    EXPECT_EQ(DM, nullptr);
}

#include "Options_test.moc"
