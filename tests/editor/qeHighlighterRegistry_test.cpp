// Highlighter settings in the registry: save and load round trip, partial
// keys, and attributes imported from other editors' layouts.
#include "editor/qeGeneralSyn.h"
#include "platform/Registry.h"

#include <QGuiApplication>
#include <QPalette>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class HighlighterRegistry : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QvRegistry reg {dir.filePath(QStringLiteral("registry.reg"))};
};

} // namespace

TEST_F(HighlighterRegistry, SaveThenLoadRestoresKeywordsAndAttributes)
{
    TqeGeneralSyn saved;
    saved.SetKeyWords({QStringLiteral("select"), QStringLiteral("BASE_NAME")});
    saved.CommentAttri()->SetForeground(QColor(0, 128, 0));
    saved.CommentAttri()->SetBackground(QColor(1, 2, 3));
    saved.KeyAttri()->SetStyle(fsBold | fsUnderline);
    saved.HyperLinkAttri()->SetForeground(QColor(9, 9, 9));
    ASSERT_TRUE(saved.SaveToRegistry(reg, QStringLiteral("\\Software\\Test\\Syn")));

    QvRegistry again(reg.fileName());
    TqeGeneralSyn loaded;
    ASSERT_TRUE(loaded.LoadFromRegistry(again, QStringLiteral("\\Software\\Test\\Syn")));
    EXPECT_EQ(loaded.KeyWords().ToStringList(), saved.KeyWords().ToStringList());
    EXPECT_EQ(loaded.CommentAttri()->Foreground(), QColor(0, 128, 0));
    EXPECT_EQ(loaded.CommentAttri()->Background(), QColor(1, 2, 3));
    EXPECT_EQ(loaded.KeyAttri()->Style(), fsBold | fsUnderline);
    // The link attribute is not saved.
    EXPECT_NE(loaded.HyperLinkAttri()->Foreground(), QColor(9, 9, 9));

    ASSERT_TRUE(again.openKeyReadOnly(QStringLiteral("\\Software\\Test\\Syn\\reserved word")));
    EXPECT_EQ(again.readInteger(QStringLiteral("Style")), 5);
}

TEST_F(HighlighterRegistry, LoadStopsAtTheFirstMissingAttribute)
{
    ASSERT_TRUE(reg.openKey(QStringLiteral("\\Software\\Part\\comment"), true));
    reg.writeInteger(QStringLiteral("Foreground"), 0x0000FF);  // red
    TqeGeneralSyn syn;
    EXPECT_FALSE(syn.LoadFromRegistry(reg, QStringLiteral("\\Software\\Part")));
    EXPECT_EQ(syn.CommentAttri()->Foreground(), QColor(255, 0, 0));
    EXPECT_FALSE(syn.LoadFromRegistry(reg, QStringLiteral("\\Software\\Missing")));
}

TEST_F(HighlighterRegistry, ImportFromCommaSeparatedValue)
{
    ASSERT_TRUE(reg.openKey(QStringLiteral("\\Software\\Other"), true));
    reg.writeString(QStringLiteral("Keyword"), QStringLiteral("x,y,BU,0,1,9,3"));
    TqeHighLightAttributes attr(QStringLiteral("k"));
    ASSERT_TRUE(attr.ImportFromRegistry(reg, QStringLiteral("\\Software\\Other"), true, QStringLiteral("Keyword")));
    EXPECT_EQ(attr.Foreground(), QColor(255, 0, 0));
    EXPECT_EQ(attr.Style(), fsBold | fsUnderline);

    reg.writeString(QStringLiteral("Short"), QStringLiteral("1,2,3"));
    attr.SetForeground(Qt::green);
    EXPECT_FALSE(attr.ImportFromRegistry(reg, QStringLiteral("\\Software\\Other"), true, QStringLiteral("Short")));
    EXPECT_EQ(attr.Foreground(), QColor(Qt::green));
}

TEST_F(HighlighterRegistry, ImportFromSubkeyNeedsAllSevenValues)
{
    const QString key = QStringLiteral("\\Software\\Other\\Comment");
    ASSERT_TRUE(reg.openKey(key, true));
    reg.writeInteger(QStringLiteral("Foreground Color"), 2);
    reg.writeInteger(QStringLiteral("Background Color"), 15);
    reg.writeString(QStringLiteral("Bold"), QStringLiteral("False"));
    reg.writeString(QStringLiteral("Italic"), QStringLiteral("1"));
    reg.writeString(QStringLiteral("Underline"), QStringLiteral("0"));
    reg.writeString(QStringLiteral("Default Foreground"), QStringLiteral("0"));
    TqeHighLightAttributes attr(QStringLiteral("c"));
    const QColor before = attr.Foreground();
    EXPECT_FALSE(attr.ImportFromRegistry(reg, QStringLiteral("\\Software\\Other"), false, QStringLiteral("Comment")));
    EXPECT_EQ(attr.Foreground(), before);

    ASSERT_TRUE(reg.openKey(key, true));
    reg.writeString(QStringLiteral("Default Background"), QStringLiteral("FALSE"));
    ASSERT_TRUE(attr.ImportFromRegistry(reg, QStringLiteral("\\Software\\Other"), false, QStringLiteral("Comment")));
    EXPECT_EQ(attr.Foreground(), QColor(0, 128, 0));
    EXPECT_EQ(attr.Background(), QColor(255, 255, 255));
    EXPECT_EQ(attr.Style(), TFontStyles(fsItalic));
}

TEST(ColorValues, RoundTripAndSystemColours)
{
    EXPECT_EQ(qeColorToInt(QColor(0x12, 0x34, 0x56)), 0x563412);
    EXPECT_EQ(qeColorFromInt(0x563412), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(qeColorFromInt(static_cast<int>(0x80000005u)), QGuiApplication::palette().color(QPalette::Base));
}

TEST_F(HighlighterRegistry, RelativeKeyIsBelowTheCallersKeyWhichStaysCurrent)
{
    ASSERT_TRUE(reg.openKey(QStringLiteral("\\Software\\Base"), true));
    TqeGeneralSyn syn;
    syn.SetKeyWords({QStringLiteral("A")});
    ASSERT_TRUE(syn.SaveToRegistry(reg, QStringLiteral("Syn")));
    EXPECT_EQ(reg.currentPath(), QStringLiteral("Software\\Base"));
    EXPECT_TRUE(reg.keyExists(QStringLiteral("\\Software\\Base\\Syn\\comment")));
    TqeGeneralSyn loaded;
    EXPECT_TRUE(loaded.LoadFromRegistry(reg, QStringLiteral("Syn")));
    EXPECT_TRUE(loaded.IsKeyword(QStringLiteral("a")));
}
