#include "app/sqltools/ScriptFile.h"

#include "access/QvScript.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

QString DecodeScriptText(const QByteArray& bytes)
{
    // Stateless: a sequence cut off at the end is an error, not kept for
    // more input.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

QStringList ScriptTextLines(const QString& text)
{
    return ScriptLines(text);
}

QStringList ReadScriptFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EScriptFileError(QStringLiteral("Cannot open file \"%1\". %2")
                                   .arg(QDir::toNativeSeparators(fileName), file.errorString())
                                   .toStdString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EScriptFileError(QStringLiteral("Cannot read file \"%1\". %2")
                                   .arg(QDir::toNativeSeparators(fileName), file.errorString())
                                   .toStdString());
    return ScriptTextLines(DecodeScriptText(bytes));
}
