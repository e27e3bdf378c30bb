#include "components/FileUtil.h"

#include "support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

TEST(FileNames, ValidNames)
{
    EXPECT_TRUE(IsValidFileName(QStringLiteral("/tmp/report 1.sql")));
    EXPECT_TRUE(IsValidFileName(QStringLiteral("C:\\data\\db.gdb")));
    EXPECT_FALSE(IsValidFileName(QString()));
    EXPECT_FALSE(IsValidFileName(QStringLiteral("\\")));
    for (const char* bad : {"a<b", "a>b", "a\"b", "a[1]", "a]", "a|b"})
        EXPECT_FALSE(IsValidFileName(QString::fromLatin1(bad))) << bad;

    EXPECT_TRUE(HasAnyChar(QStringLiteral("abc"), QStringLiteral("xyc")));
    EXPECT_FALSE(HasAnyChar(QStringLiteral("abc"), QStringLiteral("xyz")));
    EXPECT_FALSE(HasAnyChar(QStringLiteral("abc"), QString()));
}

TEST(FileNames, ExistingFilesAndFolders)
{
    const qvtest::TempDir dir;
    const QString file = dir.filePath(QStringLiteral("Long File Name.sql"));
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.close();

    EXPECT_TRUE(DirectoryPresent(dir.path()));
    EXPECT_FALSE(DirectoryPresent(file));
    EXPECT_FALSE(DirectoryPresent(dir.filePath(QStringLiteral("missing"))));
    EXPECT_FALSE(DirectoryPresent(QString()));

    EXPECT_EQ(ShortToLongName(file), file);
    EXPECT_EQ(LongToShortName(file), file);
    EXPECT_EQ(LongToShortName(dir.path()), dir.path());
    EXPECT_EQ(ShortToLongName(dir.filePath(QStringLiteral("missing.sql"))), QString());
    EXPECT_EQ(LongToShortName(dir.filePath(QStringLiteral("missing.sql"))), QString());
    EXPECT_EQ(LongToShortName(QString()), QString());
}

} // namespace
