#include "app/sqltools/ScriptFile.h"

#include "access/QvScript.h"
#include "access/QvScriptCodec.h"

#include <QDir>
#include <QFile>

QString DecodeScriptText(const QByteArray& bytes)
{
    return QvScriptCodec::Decode(bytes);
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
