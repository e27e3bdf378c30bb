#include "platform/DialogScript.h"
#include "platform/Registry.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

const QString kOptions = QStringLiteral("\\Software\\Qyl\\Qorvane\\Options");

QByteArray contents(const QString& fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void setContents(const QString& fileName, const QByteArray& data)
{
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(data);
}

int modeOf(const QString& path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

// A copy of the file read by a registry of its own: what another process would see.
QString copyOf(const QString& fileName, const qvtest::TempDir& dir)
{
    static int n = 0;
    const QString copy = dir.filePath(QStringLiteral("copy%1.reg").arg(++n));
    EXPECT_TRUE(QFile::copy(fileName, copy));
    return copy;
}

class Registry : public ::testing::Test
{
protected:
    QString file() const { return m_dir.filePath(QStringLiteral("registry.reg")); }
    qvtest::TempDir m_dir;
};

} // namespace

TEST_F(Registry, AllThreeValueKindsRoundTripThroughTheFile)
{
    const QString text = QStringLiteral("C:\\path with \"quotes\" \\\\ and ünïcode ✓");
    const QString lines = QStringLiteral("SELECT *\r\nFROM T\n\tWHERE 1=1");
    QByteArray bytes;
    for (int i = 0; i < 132; ++i)
        bytes.append(char(i * 7));
    {
        QvRegistry registry(file());
        ASSERT_TRUE(registry.openKey(kOptions, true));
        registry.writeString(QStringLiteral("Text"), text);
        registry.writeString(QStringLiteral("Lines"), lines);
        registry.writeString(QStringLiteral("Empty"), QString());
        registry.writeString(QString(), QStringLiteral("default value"));
        registry.writeInteger(QStringLiteral("Ten"), 10);
        registry.writeInteger(QStringLiteral("Negative"), -2);
        registry.writeBool(QStringLiteral("Flag"), true);
        registry.writeBinary(QStringLiteral("EditorColors"), bytes);
        registry.writeBinary(QStringLiteral("NoBytes"), QByteArray());
    }
    QvRegistry other(copyOf(file(), m_dir));
    ASSERT_TRUE(other.openKey(kOptions, false));
    EXPECT_EQ(other.readString(QStringLiteral("Text")), text);
    EXPECT_EQ(other.readString(QStringLiteral("Lines")), lines);
    EXPECT_EQ(other.readString(QStringLiteral("Empty")), QString());
    EXPECT_EQ(other.dataType(QStringLiteral("Empty")), QvRegistry::DataType::String);
    EXPECT_EQ(other.readString(QString()), QStringLiteral("default value"));
    EXPECT_EQ(other.readInteger(QStringLiteral("Ten")), 10);
    EXPECT_EQ(other.readInteger(QStringLiteral("Negative")), -2);
    EXPECT_TRUE(other.readBool(QStringLiteral("Flag")));
    EXPECT_EQ(other.dataType(QStringLiteral("Flag")), QvRegistry::DataType::Integer);
    EXPECT_EQ(other.readBinary(QStringLiteral("EditorColors")), bytes);
    EXPECT_EQ(other.dataType(QStringLiteral("NoBytes")), QvRegistry::DataType::Binary);
    EXPECT_TRUE(other.readBinary(QStringLiteral("NoBytes")).isEmpty());
    EXPECT_EQ(other.valueNames(),
              (QStringList{QStringLiteral("Text"), QStringLiteral("Lines"), QStringLiteral("Empty"),
                           QString(), QStringLiteral("Ten"), QStringLiteral("Negative"),
                           QStringLiteral("Flag"), QStringLiteral("EditorColors"),
                           QStringLiteral("NoBytes")}));
}

TEST_F(Registry, FileHasTheLayoutOfARegistryExport)
{
    QvRegistry registry(file());
    ASSERT_TRUE(registry.openKey(kOptions, true));
    registry.writeString(QStringLiteral("SQLFont"), QStringLiteral("a\\b \"c\""));
    registry.writeInteger(QStringLiteral("TabStopCount"), 10);
    registry.writeBinary(QStringLiteral("EditorColors"), QByteArray("\x01\x02\xff", 3));
    ASSERT_TRUE(registry.openKey(QStringLiteral("\\Software\\Qyl\\Qorvane\\Databases"), true));
    EXPECT_EQ(contents(file()),
              QByteArray("Windows Registry Editor Version 5.00\n"
                         "\n"
                         "[HKEY_CURRENT_USER\\Software\\Qyl\\Qorvane\\Databases]\n"
                         "\n"
                         "[HKEY_CURRENT_USER\\Software\\Qyl\\Qorvane\\Options]\n"
                         "\"SQLFont\"=\"a\\\\b \\\"c\\\"\"\n"
                         "\"TabStopCount\"=dword:0000000a\n"
                         "\"EditorColors\"=hex:01,02,ff\n"
                         "\n"));
}

TEST_F(Registry, KeyNamesWithBracketsAndBlanksRoundTrip)
{
    const QString name = QStringLiteral(" Test [1] = \"x\" ");
    {
        QvRegistry registry(file());
        ASSERT_TRUE(registry.openKey(QStringLiteral("\\Software\\") + name, true));
        registry.writeString(QStringLiteral("Odd \"name\" ]"), QStringLiteral("v"));
    }
    QvRegistry other(copyOf(file(), m_dir));
    ASSERT_TRUE(other.openKey(QStringLiteral("\\Software"), false));
    EXPECT_EQ(other.keyNames(), QStringList{name});
    ASSERT_TRUE(other.openKey(name, false));
    EXPECT_EQ(other.valueNames(), QStringList{QStringLiteral("Odd \"name\" ]")});
    EXPECT_EQ(other.readString(QStringLiteral("odd \"NAME\" ]")), QStringLiteral("v"));
}

TEST_F(Registry, ReadsAHandWrittenFile)
{
    setContents(file(), QByteArray("\xef\xbb\xbfWindows Registry Editor Version 5.00\r\n"
                                   "\r\n"
                                   "; written by hand\r\n"
                                   "[HKEY_CURRENT_USER\\Software\\Qyl\\Qorvane\\Options]\r\n"
                                   "\"Colors\"=hex:01,02,\\\r\n"
                                   "  03,04\r\n"
                                   "\"Size\"=dword:ffffffff\r\n"
                                   "@=\"dflt\"\r\n"));
    QvRegistry registry(file());
    ASSERT_TRUE(registry.openKey(kOptions, false));
    EXPECT_EQ(registry.readBinary(QStringLiteral("Colors")), QByteArray("\x01\x02\x03\x04", 4));
    EXPECT_EQ(registry.readInteger(QStringLiteral("Size")), -1);
    EXPECT_EQ(registry.readString(QString()), QStringLiteral("dflt"));
    // The parents of a key exist though they have no line of their own.
    EXPECT_TRUE(registry.keyExists(QStringLiteral("\\Software\\Qyl")));
}

TEST_F(Registry, NamesCompareWithoutCaseAndKeepTheirFirstCase)
{
    QvRegistry registry(file());
    ASSERT_TRUE(registry.openKey(kOptions, true));
    registry.writeBool(QStringLiteral("ShowTriggerType"), false);
    registry.writeBool(QStringLiteral("ShowTriggertype"), true);
    EXPECT_EQ(registry.valueNames(), QStringList{QStringLiteral("ShowTriggerType")});
    EXPECT_TRUE(registry.readBool(QStringLiteral("SHOWTRIGGERTYPE")));
    EXPECT_TRUE(registry.valueExists(QStringLiteral("showtriggertype")));

    ASSERT_TRUE(registry.openKey(QStringLiteral("\\SOFTWARE\\qyl\\QORVANE\\options"), true));
    EXPECT_EQ(registry.currentPath(), QStringLiteral("Software\\Qyl\\Qorvane\\Options"));
    EXPECT_TRUE(registry.readBool(QStringLiteral("ShowTriggerType")));
    ASSERT_TRUE(registry.openKey(QStringLiteral("\\Software\\Qyl\\Qorvane"), false));
    EXPECT_EQ(registry.keyNames(), QStringList{QStringLiteral("Options")});
}

TEST_F(Registry, SubkeysListInCaseInsensitiveOrder)
{
    QvRegistry registry(file());
    ASSERT_TRUE(registry.openKey(QStringLiteral("\\Software\\Qyl\\Qorvane\\Databases"), true));
    for (const char* name : {"beta", "Alpha", "gamma", "ALPHA2", "Zeta", "delta"})
        ASSERT_TRUE(registry.openKey(
            QStringLiteral("\\Software\\Qyl\\Qorvane\\Databases\\") + QLatin1String(name), true));
    ASSERT_TRUE(registry.openKey(QStringLiteral("\\Software\\Qyl\\Qorvane\\Databases"), false));
    const QStringList expected{QStringLiteral("Alpha"), QStringLiteral("ALPHA2"), QStringLiteral("beta"),
                               QStringLiteral("delta"), QStringLiteral("gamma"), QStringLiteral("Zeta")};
    EXPECT_EQ(registry.keyNames(), expected);
    QvRegistry other(copyOf(file(), m_dir));
    ASSERT_TRUE(other.openKey(QStringLiteral("\\Software\\Qyl\\Qorvane\\Databases"), false));
    EXPECT_EQ(other.keyNames(), expected);
}

TEST_F(Registry, KeysOpenRelativeAndAbsoluteAndDeleteRecursively)
{
    QvRegistry registry(file());
    EXPECT_FALSE(registry.openKey(QStringLiteral("\\Software\\Missing"), false));
    EXPECT_FALSE(registry.keyExists(QStringLiteral("\\Software\\Missing")));
    ASSERT_TRUE(registry.openKey(QStringLiteral("\\Software\\Qyl\\Qorvane\\Databases"), true));
    ASSERT_TRUE(registry.openKey(QStringLiteral("Emp\\Procedures\\p1"), true));   // relative
    EXPECT_EQ(registry.currentPath(), QStringLiteral("Software\\Qyl\\Qorvane\\Databases\\Emp\\Procedures\\p1"));
    registry.writeString(QStringLiteral("A"), QStringLiteral("null"));
    EXPECT_TRUE(registry.keyExists(QStringLiteral("\\Software\\Qyl\\Qorvane\\Databases\\Emp\\Procedures")));

    EXPECT_FALSE(registry.openKey(QStringLiteral("a\\\\b"), true));
    EXPECT_FALSE(registry.openKey(QStringLiteral("line\nbreak"), true));
    EXPECT_FALSE(registry.deleteKey(QStringLiteral("\\")));

    ASSERT_TRUE(registry.openKey(QStringLiteral("\\Software\\Qyl\\Qorvane\\Databases"), false));
    EXPECT_TRUE(registry.hasSubKeys());
    EXPECT_TRUE(registry.deleteKey(QStringLiteral("EMP")));
    EXPECT_FALSE(registry.deleteKey(QStringLiteral("Emp")));
    EXPECT_FALSE(registry.hasSubKeys());
    EXPECT_FALSE(registry.keyExists(QStringLiteral("\\Software\\Qyl\\Qorvane\\Databases\\Emp\\Procedures\\p1")));
    EXPECT_FALSE(contents(file()).contains("Emp"));

    registry.closeKey();
    EXPECT_EQ(registry.currentPath(), QString());
    EXPECT_EQ(registry.keyNames(), QStringList{QStringLiteral("Software")});
}

TEST_F(Registry, MissingAndMistypedValues)
{
    QvRegistry registry(file());
    ASSERT_TRUE(registry.openKey(kOptions, true));
    registry.writeInteger(QStringLiteral("Size"), 8);
    registry.writeString(QStringLiteral("Font"), QStringLiteral("Courier New"));

    EXPECT_EQ(registry.readString(QStringLiteral("Missing")), QString());
    EXPECT_TRUE(registry.readBinary(QStringLiteral("Missing")).isEmpty());
    EXPECT_EQ(registry.dataType(QStringLiteral("Missing")), QvRegistry::DataType::Unknown);
    EXPECT_FALSE(registry.valueExists(QStringLiteral("Missing")));
    try {
        registry.readInteger(QStringLiteral("Missing"));
        FAIL();
    } catch (const EQvRegistryError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("Failed to get data for 'Missing'"));
    }
    try {
        registry.readString(QStringLiteral("Size"));
        FAIL();
    } catch (const EQvRegistryError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("Invalid data type for 'Size'"));
    }
    EXPECT_THROW(registry.readInteger(QStringLiteral("Font")), EQvRegistryError);
    EXPECT_THROW(registry.readBinary(QStringLiteral("Font")), EQvRegistryError);

    // A value changes kind when written as another kind.
    registry.writeString(QStringLiteral("size"), QStringLiteral("9"));
    EXPECT_EQ(registry.dataType(QStringLiteral("Size")), QvRegistry::DataType::String);

    EXPECT_TRUE(registry.deleteValue(QStringLiteral("FONT")));
    EXPECT_FALSE(registry.deleteValue(QStringLiteral("Font")));
    EXPECT_EQ(registry.valueNames(), QStringList{QStringLiteral("Size")});
}

TEST_F(Registry, ReadOnlyKeysAndVanishedKeysRefuseWrites)
{
    QvRegistry registry(file());
    ASSERT_TRUE(registry.openKey(kOptions, true));
    registry.writeInteger(QStringLiteral("A"), 1);
    ASSERT_TRUE(registry.openKeyReadOnly(kOptions));
    EXPECT_EQ(registry.readInteger(QStringLiteral("A")), 1);
    EXPECT_THROW(registry.writeInteger(QStringLiteral("A"), 2), EQvRegistryError);
    EXPECT_FALSE(registry.deleteValue(QStringLiteral("A")));

    QvRegistry deleter(file());
    ASSERT_TRUE(registry.openKey(kOptions, false));
    ASSERT_TRUE(deleter.deleteKey(kOptions));
    try {
        registry.writeInteger(QStringLiteral("A"), 3);
        FAIL();
    } catch (const EQvRegistryError& error) {
        EXPECT_TRUE(error.message().startsWith(QStringLiteral("Failed to set data for 'A'")));
    }
    EXPECT_FALSE(deleter.keyExists(kOptions));
}

TEST_F(Registry, FileIsPrivateToTheUser)
{
    const QString folder = m_dir.filePath(QStringLiteral("new/deeper"));
    const QString fileName = folder + QStringLiteral("/registry.reg");
    QvRegistry registry(fileName);
    ASSERT_TRUE(registry.openKey(QStringLiteral("\\Software\\Qyl\\Qorvane\\Databases\\Emp"), true));
    registry.writeString(QStringLiteral("UserPassword"), QStringLiteral("masterkey"));
    EXPECT_EQ(modeOf(fileName), 0600);
    EXPECT_EQ(modeOf(folder), 0700);
    EXPECT_EQ(modeOf(m_dir.filePath(QStringLiteral("new"))), 0700);

    // A file left readable by others becomes private with the next write.
    ::chmod(QFile::encodeName(fileName).constData(), 0644);
    registry.writeString(QStringLiteral("UserPassword"), QStringLiteral("other"));
    EXPECT_EQ(modeOf(fileName), 0600);
}

TEST_F(Registry, DefaultFileLivesInThePrivateConfigFolder)
{
    const QByteArray savedRegistry = qgetenv("QORVANE_REGISTRY");
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    qunsetenv("QORVANE_REGISTRY");
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
    const QString expected = m_dir.filePath(QStringLiteral("config/Qyl/Qorvane/registry.reg"));
    EXPECT_EQ(QvRegistry::defaultFileName(), expected);
    {
        QvRegistry registry;
        EXPECT_EQ(registry.fileName(), expected);
        ASSERT_TRUE(registry.openKey(kOptions, true));
    }
    EXPECT_EQ(modeOf(expected), 0600);
    EXPECT_EQ(modeOf(m_dir.filePath(QStringLiteral("config/Qyl/Qorvane"))), 0700);
    EXPECT_EQ(modeOf(m_dir.filePath(QStringLiteral("config/Qyl"))), 0700);

    qputenv("QORVANE_REGISTRY", savedRegistry);
    EXPECT_EQ(QvRegistry::defaultFileName(), QString::fromUtf8(savedRegistry));
    qputenv("XDG_CONFIG_HOME", savedConfig);
}

TEST_F(Registry, ACrashBeforeTheRenameLeavesTheOldFileIntact)
{
    QvRegistry registry(file());
    ASSERT_TRUE(registry.openKey(kOptions, true));
    registry.writeString(QStringLiteral("SQLFont"), QStringLiteral("Courier New"));
    const QByteArray before = contents(file());

    QProcess writer;
    writer.start(QStringLiteral(QV_REGISTRY_WRITER),
                 {file(), QStringLiteral("crash"), kOptions, QStringLiteral("SQLFont"),
                  QStringLiteral("Half Written")});
    ASSERT_TRUE(writer.waitForFinished(30000));
    ASSERT_EQ(writer.exitStatus(), QProcess::CrashExit) << writer.readAllStandardError().constData();

    // The new contents reached only the temporary file.
    EXPECT_EQ(contents(file()), before);
    EXPECT_TRUE(contents(file() + QStringLiteral(".tmp")).contains("Half Written"));
    EXPECT_EQ(registry.readString(QStringLiteral("SQLFont")), QStringLiteral("Courier New"));

    // The next write is not disturbed by the leftover.
    registry.writeString(QStringLiteral("DataFont"), QStringLiteral("Sans"));
    EXPECT_FALSE(QFile::exists(file() + QStringLiteral(".tmp")));
    QvRegistry other(copyOf(file(), m_dir));
    ASSERT_TRUE(other.openKey(kOptions, false));
    EXPECT_EQ(other.readString(QStringLiteral("SQLFont")), QStringLiteral("Courier New"));
    EXPECT_EQ(other.readString(QStringLiteral("DataFont")), QStringLiteral("Sans"));
}

TEST_F(Registry, ProcessesWritingAtOnceLoseNothing)
{
    // This process has the file loaded before the others write.
    QvRegistry registry(file());
    ASSERT_TRUE(registry.openKey(kOptions, true));
    registry.writeString(QStringLiteral("Mine"), QStringLiteral("before"));

    constexpr int kWriters = 4;
    constexpr int kEach = 40;
    std::vector<std::unique_ptr<QProcess>> writers;
    for (int w = 0; w < kWriters; ++w) {
        auto process = std::make_unique<QProcess>();
        process->start(QStringLiteral(QV_REGISTRY_WRITER),
                       {file(), QStringLiteral("write"), kOptions, QStringLiteral("P%1_").arg(w),
                        QString::number(kEach)});
        writers.push_back(std::move(process));
    }
    for (int i = 0; i < kEach; ++i)
        registry.writeString(QStringLiteral("Mine%1").arg(i), QString::number(i));
    for (auto& process : writers) {
        ASSERT_TRUE(process->waitForFinished(60000));
        ASSERT_EQ(process->exitStatus(), QProcess::NormalExit);
        ASSERT_EQ(process->exitCode(), 0) << process->readAllStandardError().constData();
    }
    registry.writeString(QStringLiteral("Mine"), QStringLiteral("after"));

    QvRegistry other(copyOf(file(), m_dir));
    ASSERT_TRUE(other.openKey(kOptions, false));
    EXPECT_EQ(other.valueNames().size(), 1 + kEach + kWriters * kEach);
    for (int w = 0; w < kWriters; ++w)
        for (int i = 0; i < kEach; ++i)
            ASSERT_EQ(other.readString(QStringLiteral("P%1_%2").arg(w).arg(i)), QString::number(i));
    EXPECT_EQ(other.readString(QStringLiteral("Mine")), QStringLiteral("after"));
    EXPECT_EQ(registry.valueNames().size(), 1 + kEach + kWriters * kEach);
}

TEST_F(Registry, ACorruptFileIsKeptAsideAndReportedNeverOverwritten)
{
    const QByteArray corrupt("Windows Registry Editor Version 5.00\n\n"
                             "[HKEY_CURRENT_USER\\Software\\Qyl\\Qorvane\\Options]\n"
                             "\"SQLFont\"=\"Courier New\"\n"
                             "this line was damaged\n");
    setContents(file(), corrupt);

    qv::DialogScript script;
    script.answerMessage(qv::mrOk);
    QvRegistry registry(file());
    EXPECT_FALSE(registry.keyExists(kOptions));
    ASSERT_EQ(script.messages().size(), 1);
    const QString notice = script.messages().first();
    EXPECT_TRUE(notice.contains(file() + QStringLiteral(".bad"))) << notice.toStdString();
    EXPECT_TRUE(notice.contains(QStringLiteral("line 5"))) << notice.toStdString();
    EXPECT_EQ(script.shown()[0].type, qv::mtWarning);
    EXPECT_EQ(contents(file() + QStringLiteral(".bad")), corrupt);

    // Writing goes on in a fresh file; the damaged one stays as it was.
    ASSERT_TRUE(registry.openKey(kOptions, true));
    registry.writeString(QStringLiteral("SQLFont"), QStringLiteral("Mono"));
    EXPECT_EQ(contents(file() + QStringLiteral(".bad")), corrupt);
    EXPECT_EQ(script.messages().size(), 1);   // told once

    // Another damage later is kept beside the first, not over it.
    script.answerMessage(qv::mrOk);
    setContents(file(), QByteArray("\"orphan\"=\"value\"\n"));
    EXPECT_EQ(registry.readString(QStringLiteral("SQLFont")), QString());
    EXPECT_EQ(contents(file() + QStringLiteral(".bad")), corrupt);
    EXPECT_EQ(contents(file() + QStringLiteral(".bad.1")), QByteArray("\"orphan\"=\"value\"\n"));
    EXPECT_EQ(script.messages().size(), 2);
}

TEST_F(Registry, DamagedTextIsRejected)
{
    // Each of these would lose or change data if read leniently.
    const QList<QByteArray> damaged{
        QByteArray("[HKEY_LOCAL_MACHINE\\Software]\n"),
        QByteArray("[HKEY_CURRENT_USER\\Software\n"),
        QByteArray("[HKEY_CURRENT_USER\\Software\\\\Qyl]\n"),
        QByteArray("[HKEY_CURRENT_USER\\A]\n\"Name\"=\"unterminated\n"),
        QByteArray("[HKEY_CURRENT_USER\\A]\n\"Name\"=dword:123456789\n"),
        QByteArray("[HKEY_CURRENT_USER\\A]\n\"Name\"=hex:1,2g\n"),
        QByteArray("[HKEY_CURRENT_USER\\A]\n\"Name\"=\"bad \\n escape\"\n"),
        QByteArray("[HKEY_CURRENT_USER\\A]\n\"Name\"=\"\xff\xfe not utf-8\"\n"),
    };
    QStringList notices;
    const auto previous = QvRegistry::setNoticeHandler([&](const QString& text) { notices << text; });
    int n = 0;
    for (const QByteArray& text : damaged) {
        const QString fileName = m_dir.filePath(QStringLiteral("damaged%1.reg").arg(++n));
        setContents(fileName, text);
        QvRegistry registry(fileName);
        EXPECT_FALSE(registry.keyExists(QStringLiteral("\\A"))) << text.constData();
        EXPECT_EQ(contents(fileName + QStringLiteral(".bad")), text) << text.constData();
    }
    QvRegistry::setNoticeHandler(previous);
    EXPECT_EQ(notices.size(), damaged.size());
}

TEST_F(Registry, AFileThatCannotBeKeptAsideIsNeverWritten)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "folder permissions do not bind the superuser";
    const QString folder = m_dir.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString fileName = folder + QStringLiteral("/registry.reg");
    setContents(fileName, QByteArray("not a registry\n"));
    ::chmod(QFile::encodeName(folder).constData(), 0500);
    QStringList notices;
    const auto previous = QvRegistry::setNoticeHandler([&](const QString& text) { notices << text; });
    QvRegistry registry(fileName);
    EXPECT_FALSE(registry.openKey(kOptions, true));
    QvRegistry::setNoticeHandler(previous);
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    EXPECT_EQ(contents(fileName), QByteArray("not a registry\n"));
    EXPECT_FALSE(notices.isEmpty());
}

TEST_F(Registry, OnlyARegularFileOfSaneSizeIsReadAnythingElseIsKeptAside)
{
    QStringList notices;
    const auto previous = QvRegistry::setNoticeHandler([&](const QString& text) { notices << text; });
    auto keptAside = [&](const QString& fileName, const QString& reason) {
        notices.clear();
        QvRegistry registry(fileName);
        EXPECT_FALSE(registry.keyExists(kOptions));
        ASSERT_EQ(notices.size(), 1) << fileName.toStdString();
        EXPECT_TRUE(notices.first().contains(reason)) << notices.first().toStdString();
        EXPECT_TRUE(notices.first().contains(fileName + QStringLiteral(".bad"))) << notices.first().toStdString();
        // Writing goes on in a fresh, regular file.
        ASSERT_TRUE(registry.openKey(kOptions, true));
        registry.writeString(QStringLiteral("SQLFont"), QStringLiteral("Mono"));
        EXPECT_TRUE(QFileInfo(fileName).isFile());
        EXPECT_FALSE(QFileInfo(fileName).isSymLink());
        QvRegistry reread(copyOf(fileName, m_dir));
        ASSERT_TRUE(reread.openKey(kOptions, false));
        EXPECT_EQ(reread.readString(QStringLiteral("SQLFont")), QStringLiteral("Mono"));
    };

    // A FIFO would block the first read until someone writes into it.
    const QString fifo = m_dir.filePath(QStringLiteral("fifo.reg"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    keptAside(fifo, QStringLiteral("not a regular file"));
    struct stat st;
    ASSERT_EQ(::lstat(QFile::encodeName(fifo + QStringLiteral(".bad")).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    // A link to an endless file would be read without bound.
    const QString endless = m_dir.filePath(QStringLiteral("endless.reg"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), endless));
    keptAside(endless, QStringLiteral("not a regular file"));
    EXPECT_EQ(QFileInfo(endless + QStringLiteral(".bad")).symLinkTarget(), QStringLiteral("/dev/zero"));

    // A regular file far larger than any settings.
    const QString huge = m_dir.filePath(QStringLiteral("huge.reg"));
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(17 * 1024 * 1024));
    }
    keptAside(huge, QStringLiteral("larger than 16 MB"));
    EXPECT_EQ(QFileInfo(huge + QStringLiteral(".bad")).size(), 17 * 1024 * 1024);
    QvRegistry::setNoticeHandler(previous);
}

TEST_F(Registry, TextWithALoneSurrogateIsRefusedNeverWrittenAsAQuestionMark)
{
    QvRegistry registry(file());
    ASSERT_TRUE(registry.openKey(kOptions, true));
    const QString lone = QStringLiteral("before") + QChar(0xd800) + QStringLiteral("after");
    const QString stray = QStringLiteral("x") + QChar(0xdc00);

    try {
        registry.writeString(QStringLiteral("Name"), lone);
        FAIL() << "a lone surrogate was written";
    } catch (const EQvRegistryError& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("lone UTF-16 surrogate"))) << error.what();
    }
    EXPECT_THROW(registry.writeString(stray, QStringLiteral("value")), EQvRegistryError);
    EXPECT_THROW(registry.writeInteger(lone, 1), EQvRegistryError);
    EXPECT_FALSE(registry.valueExists(QStringLiteral("Name")));
    // Neither can a key be made or found under such a name.
    EXPECT_FALSE(registry.openKey(kOptions + QLatin1Char('\\') + lone, true));
    EXPECT_FALSE(registry.keyExists(kOptions + QLatin1Char('\\') + lone));
    EXPECT_FALSE(contents(file()).contains('?'));

    // A proper pair is an ordinary character.
    ASSERT_TRUE(registry.openKey(kOptions, true));
    const QString pair = QStringLiteral("clef ") + QChar(0xd834) + QChar(0xdd1e);
    registry.writeString(pair, pair);
    QvRegistry reread(copyOf(file(), m_dir));
    ASSERT_TRUE(reread.openKey(kOptions, false));
    EXPECT_EQ(reread.readString(pair), pair);
}
