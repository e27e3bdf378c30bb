// Reading script files: UTF-8 with Latin-1 for anything else, lines as the
// executor reads them, and files that cannot be read.

#include "app/sqltools/ScriptFile.h"
#include "support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

TEST(ScriptFile, UTF8AndLatin1ReadTheSameCharacters)
{
    const QString expected = QStringLiteral("INSERT INTO T VALUES ('Gr\u00fc\u00dfe \u00e0 \u00a3');");
    EXPECT_EQ(DecodeScriptText(expected.toUtf8()), expected);
    EXPECT_EQ(DecodeScriptText(expected.toLatin1()), expected);
    // A byte-order mark is not part of the first statement.
    EXPECT_EQ(DecodeScriptText(QByteArray("\xEF\xBB\xBF") + expected.toUtf8()), expected);
    // Text beyond Latin-1 only comes as UTF-8.
    const QString greek = QStringLiteral("-- \u03b1\u03b2\u03b3");
    EXPECT_EQ(DecodeScriptText(greek.toUtf8()), greek);
    // One stray byte is enough: the whole file is Latin-1, not UTF-8 with a
    // replacement character.
    const QByteArray mixed = QStringLiteral("\u00e9").toUtf8() + QByteArray("\xE9");
    EXPECT_EQ(DecodeScriptText(mixed), QStringLiteral("\u00c3\u00a9\u00e9"));
    EXPECT_EQ(DecodeScriptText(QByteArray("\xE9") + mixed), QStringLiteral("\u00e9\u00c3\u00a9\u00e9"));
    EXPECT_EQ(DecodeScriptText(QByteArray()), QString());
}

TEST(ScriptFile, CRLFAndLFEndALineAlikeAnyOtherCarriageReturnStays)
{
    EXPECT_EQ(ScriptTextLines(QStringLiteral("a;\r\nb;\r\n")), (QStringList{QStringLiteral("a;"), QStringLiteral("b;")}));
    EXPECT_EQ(ScriptTextLines(QStringLiteral("a;\n\nb")),
              (QStringList{QStringLiteral("a;"), QString(), QStringLiteral("b")}));
    EXPECT_EQ(ScriptTextLines(QStringLiteral("a;\r\n\r\nb")),
              (QStringList{QStringLiteral("a;"), QString(), QStringLiteral("b")}));
    EXPECT_EQ(ScriptTextLines(QStringLiteral("\n")), QStringList{QString()});
    EXPECT_EQ(ScriptTextLines(QStringLiteral("\r\n")), QStringList{QString()});
    EXPECT_TRUE(ScriptTextLines(QString()).isEmpty());
    // Carriage returns that end no line: inside one, at the end of the
    // text, and after a blank that stands before the line end.
    EXPECT_EQ(ScriptTextLines(QStringLiteral("'a\rb'\r\nc\r")),
              (QStringList{QStringLiteral("'a\rb'"), QStringLiteral("c\r")}));
    EXPECT_EQ(ScriptTextLines(QStringLiteral("a \r \r\nb")), (QStringList{QStringLiteral("a \r "), QStringLiteral("b")}));
    // Every carriage return right before the line feed belongs to the line end.
    EXPECT_EQ(ScriptTextLines(QStringLiteral("a\r\r\nb")), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
}

TEST(ScriptFile, ReadingAFile)
{
    const qvtest::TempDir dir;
    const QString latin1 = dir.filePath(QStringLiteral("latin1.sql"));
    writeFile(latin1, QByteArray("SELECT 'caf\xE9' FROM RDB$DATABASE;\r\n-- end\r\n"));
    EXPECT_EQ(ReadScriptFile(latin1), (QStringList{QStringLiteral("SELECT 'caf\u00e9' FROM RDB$DATABASE;"),
                                                   QStringLiteral("-- end")}));

    const QString missing = dir.filePath(QStringLiteral("missing.sql"));
    try {
        ReadScriptFile(missing);
        FAIL() << "a missing file was read";
    } catch (const EScriptFileError& error) {
        EXPECT_TRUE(QString::fromUtf8(error.what()).startsWith(QStringLiteral("Cannot open file \"%1\". ").arg(missing)))
            << error.what();
    }
    EXPECT_THROW(ReadScriptFile(dir.path()), EScriptFileError);
}

} // namespace
