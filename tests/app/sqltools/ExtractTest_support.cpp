#include "ExtractTest_support.h"

#include "access/QvScript.h"
#include "access/QvScriptCodec.h"
#include "app/sqltools/ExtractWriters.h"
#include "app/sqltools/ScriptFile.h"

#include <QFile>
#include <QProcess>

namespace qvtest {

namespace {

const QString isqlPath = QStringLiteral("/usr/bin/isql-fb");

} // namespace

ExtractSource::ExtractSource(const Target& target, const QString& path, const QString& characterSet)
    : m_target(target)
    , m_characterSet(characterSet)
{
    m_database.SetDBName(path);
    QStringList params = connectParams(target);
    if (!characterSet.isEmpty())
        params << QStringLiteral("isc_dpb_lc_ctype=") + characterSet;
    m_database.SetDBParams(params);
    m_database.Open();
    m_transaction.AddDatabase(&m_database);
    m_transaction.SetDefaultDatabase(&m_database);
}

ExtractSource::~ExtractSource()
{
    try {
        if (m_database.Connected())
            m_database.Close();
    } catch (...) {
    }
}

QList<TExtractItem> ExtractSource::AllObjects()
{
    return ListExtractObjects(m_database, m_transaction);
}

TExtractResult ExtractSource::Extract(int flags, const QString& headerPath, const QList<TExtractItem>& items)
{
    const TExtractHeader header{QStringLiteral("NAME"), headerPath, m_target.user, m_target.password, m_characterSet};
    return ExtractScript(m_database, m_transaction, header, items.isEmpty() ? AllObjects() : items, flags);
}

namespace {

QStringList RunScriptLines(const QStringList& lines)
{
    TQvDatabase database;
    TQvTransaction transaction;
    transaction.SetDefaultDatabase(&database);
    TQvScript script;
    script.SetDatabase(&database);
    script.SetTransaction(&transaction);
    script.SetParamCheck(false);
    QStringList failures;
    QObject::connect(&script, &TQvScript::OnError, [&failures](const QString& line, int lineNo, int) {
        failures << QStringLiteral("line %1: %2").arg(lineNo).arg(line);
    });
    script.SetScript(lines);
    script.ExecuteScript();
    return failures;
}

} // namespace

QStringList RunScriptText(const QString& text, const Target& target)
{
    Q_UNUSED(target);
    // As the script runner reads the file the text is saved as.
    return RunScriptLines(ScriptTextLines(DecodeScriptText(QvScriptCodec::Encode(text))));
}

QStringList RunScriptFile(const QString& fileName, const Target& target)
{
    Q_UNUSED(target);
    return RunScriptLines(ReadScriptFile(fileName));
}

bool IsqlAvailable()
{
    return QFile::exists(isqlPath);
}

QString IsqlExtract(const Target& target, const QString& path)
{
    if (!IsqlAvailable())
        return {};
    QProcess isql;
    isql.start(isqlPath, {QStringLiteral("-x"), QStringLiteral("-user"), target.user, QStringLiteral("-password"),
                          target.password, path});
    isql.waitForFinished(300000);
    const QString output = QString::fromUtf8(isql.readAllStandardOutput());
    const QString filePath = path.mid(target.prefix.size());
    QStringList kept;
    for (const QString& line : output.split(QLatin1Char('\n')))
        if (!line.contains(filePath))
            kept << line;
    return kept.join(QLatin1Char('\n'));
}

QStringList ScriptBody(const QStringList& lines)
{
    QStringList body;
    for (const QString& line : lines)
        if (!line.startsWith(QLatin1String("CREATE DATABASE ")) && !line.startsWith(QLatin1String("CONNECT ")))
            body << line;
    return body;
}

QStringList ExpectExactRoundTrip(const Target& target, const QString& path, const QString& copyPath,
                                 const QString& characterSet)
{
    const int flags = efMetadataAndData | efCreateDatabase | efUserPassword | efKeys | efIndices;
    TExtractResult first;
    {
        ExtractSource source(target, path, characterSet);
        first = source.Extract(flags, copyPath);
    }
    const QStringList failures = RunScriptText(ScriptText(first.lines), target);
    EXPECT_TRUE(failures.isEmpty()) << failures.join(QLatin1Char('\n')).toStdString() << "\n--- script:\n"
                                    << ScriptText(first.lines).toStdString();
    TExtractResult second;
    {
        ExtractSource copy(target, copyPath, characterSet);
        second = copy.Extract(flags, copyPath);
    }
    const QStringList body = ScriptBody(first.lines);
    const QStringList copied = ScriptBody(second.lines);
    EXPECT_EQ(body.size(), copied.size());
    for (qsizetype i = 0; i < std::min(body.size(), copied.size()); ++i)
        if (body.at(i) != copied.at(i)) {
            ADD_FAILURE() << "scripts differ at line " << i << ":\n" << body.at(i).toStdString() << "\n"
                          << copied.at(i).toStdString();
            break;
        }
    if (IsqlAvailable()) {
        const QStringList original = IsqlExtract(target, path).split(QLatin1Char('\n'));
        const QStringList copied = IsqlExtract(target, copyPath).split(QLatin1Char('\n'));
        EXPECT_GT(original.size(), 1);
        EXPECT_EQ(original.size(), copied.size())
            << "beyond the shorter: "
            << (original.size() > copied.size() ? original : copied)
                   .mid(std::min(original.size(), copied.size()))
                   .join(QLatin1Char('\n'))
                   .toStdString();
        for (qsizetype i = 0; i < std::min(original.size(), copied.size()); ++i)
            if (original.at(i) != copied.at(i)) {
                ADD_FAILURE() << "isql-fb -x differs at line " << i << ":\n" << original.at(i).toStdString() << "\n"
                              << copied.at(i).toStdString();
                break;
            }
    }
    return first.lines;
}

} // namespace qvtest
