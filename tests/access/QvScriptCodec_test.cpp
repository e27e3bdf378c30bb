// A script file's bytes and its text: the bytes after SET NAMES are in the
// set it names, as isql-fb reads them, and what is saved reads back as it was.

#include "access/Qv.h"
#include "access/QvScriptCodec.h"

#include <gtest/gtest.h>

namespace {

using QvScriptCodec::Decode;
using QvScriptCodec::Encode;

TEST(ScriptCodec, BytesFollowTheSetNamesBeforeThem)
{
    const QString text = QStringLiteral("-- f\u00fcr\nSET NAMES WIN1252;\nINSERT INTO T VALUES ('f\u00fcr \u20ac');\n"
                                        "SET NAMES NONE;\nINSERT INTO T VALUES ('\u00ff');\nset  names\n'UTF8';\n'\u00fc'");
    const QByteArray bytes("-- f\xc3\xbcr\nSET NAMES WIN1252;\nINSERT INTO T VALUES ('f\xfcr \x80');\n"
                           "SET NAMES NONE;\nINSERT INTO T VALUES ('\xff');\nset  names\n'UTF8';\n'\xc3\xbc'");
    EXPECT_EQ(Encode(text), bytes);
    EXPECT_EQ(Decode(bytes), text);
}

TEST(ScriptCodec, OnlyAStatementSetsTheNames)
{
    // In a comment, a string or another statement's words, SET NAMES is text.
    for (const QString& text :
         {QStringLiteral("/* SET NAMES WIN1252; */ '\u00fc'"), QStringLiteral("-- SET NAMES WIN1252;\n'\u00fc'"),
          QStringLiteral("SELECT 'SET NAMES WIN1252;' FROM RDB$DATABASE; '\u00fc'"),
          QStringLiteral("UPDATE T SET NAMES = WIN1252; '\u00fc'")}) {
        const QByteArray bytes = Encode(text);
        EXPECT_EQ(bytes, text.toUtf8()) << text.toStdString();
        EXPECT_EQ(Decode(bytes), text);
    }
    // A comment between the words does not stop it.
    EXPECT_EQ(Encode(QStringLiteral("SET /* x */ NAMES \"WIN1252\"; '\u00fc'")),
              QByteArray("SET /* x */ NAMES \"WIN1252\"; '\xfc'"));
}

// A q'...' literal whose opener takes two bytes in UTF-8 opens none there, in
// the text as in its bytes; on a one-byte set it opens one in both.
TEST(ScriptCodec, AlternativeQuotesReadAsTheSetInForceReadsThem)
{
    const QString text = QStringLiteral("SELECT q'\u00e9;\u00e9' FROM T; SET NAMES WIN1252; '\u00fc';\n"
                                        "SELECT q'\u00e9 SET NAMES UTF8; \u00e9' FROM T; '\u00fc'");
    const QByteArray bytes("SELECT q'\xc3\xa9;\xc3\xa9' FROM T; SET NAMES WIN1252; '\xfc';\n"
                           "SELECT q'\xe9 SET NAMES UTF8; \xe9' FROM T; '\xfc'");
    EXPECT_EQ(Encode(text), bytes);
    EXPECT_EQ(Decode(bytes), text);
}

TEST(ScriptCodec, PieceByPieceAsAWhole)
{
    QvScriptCodec::TEncoder encoder;
    QByteArray bytes;
    for (const QString& line : {QStringLiteral("SET"), QStringLiteral("NAMES"), QStringLiteral("WIN1252;"),
                                QStringLiteral("'\u00fc /*"), QStringLiteral("SET NAMES UTF8; */ \u00fc'")})
        bytes += encoder.Encode(line);
    EXPECT_EQ(bytes, QByteArray("SETNAMESWIN1252;'\xfc /*SET NAMES UTF8; */ \xfc'"));
}

TEST(ScriptCodec, WhatTheSetCannotCarryIsRefused)
{
    EXPECT_THROW(Encode(QStringLiteral("SET NAMES WIN1252; '\u0416'")), EQvClientError);
    EXPECT_THROW(Encode(QStringLiteral("SET NAMES NONE; '\u20ac'")), EQvClientError);
    EXPECT_THROW(Encode(QString(QChar(0xd800))), EQvClientError);
}

TEST(ScriptCodec, WithoutSetNamesUtf8OrElseLatin1)
{
    EXPECT_EQ(Decode(QByteArray("\xEF\xBB\xBF'\xc3\xbc'")), QStringLiteral("'\u00fc'"));
    EXPECT_EQ(Decode(QByteArray("'\xfc'")), QStringLiteral("'\u00fc'"));
    // The part after SET NAMES is read in its set whatever came before.
    EXPECT_EQ(Decode(QByteArray("'\xfc' SET NAMES UTF8; '\xc3\xbc'")), QStringLiteral("'\u00fc' SET NAMES UTF8; '\u00fc'"));
}

} // namespace
