#include "app/editors/DebugInitialValues.h"

#include "app/editors/DebugVars.h"
#include "platform/Registry.h"
#include "platform/db/ValueText.h"

#include <QRegularExpression>

namespace {

const QString kDatabasesKey = QStringLiteral("\\Software\\Qyl\\Qorvane\\Databases\\");

// A "\" in a name would open a key below the one meant.
QString KeyPart(const QString& name)
{
    QString part = name;
    part.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return part;
}

void OpenValuesKey(QvRegistry& registry, const QString& databaseName, const QString& objectName)
{
    const QString key = InitialValuesKey(databaseName, objectName);
    if (!registry.openKey(key, true))
        throw EQvRegistryError(QStringLiteral("Failed to create key '%1'").arg(key));
}

} // namespace

QString InitialValuesKey(const QString& databaseName, const QString& objectName)
{
    return kDatabasesKey + KeyPart(databaseName) + QStringLiteral("\\Procedures\\")
           + KeyPart(objectName.toLower());
}

std::vector<std::optional<QString>> ReadInitialValues(const QString& databaseName, const QString& objectName,
                                                      const QStringList& names)
{
    QvRegistry registry;
    OpenValuesKey(registry, databaseName, objectName);
    std::vector<std::optional<QString>> values;
    values.reserve(names.size());
    for (const QString& name : names) {
        if (registry.dataType(name) == QvRegistry::DataType::String)
            values.emplace_back(registry.readString(name));
        else
            values.emplace_back();
    }
    return values;
}

void WriteInitialValues(const QString& databaseName, const QString& objectName,
                        const std::vector<std::pair<QString, QString>>& values)
{
    QvRegistry registry;
    OpenValuesKey(registry, databaseName, objectName);
    for (const auto& [name, text] : values)
        registry.writeString(name, text);
}

TInitialEditor InitialEditorOf(const QString& type)
{
    switch (ValueKindOf(type)) {
    case TValueKind::DateTime:
        return TInitialEditor::DateTime;
    case TValueKind::Time:
        return TInitialEditor::Time;
    case TValueKind::Integer:
    case TValueKind::Exact:
        return TInitialEditor::Exact;
    case TValueKind::Float:
        return TInitialEditor::Float;
    case TValueKind::Text:
    case TValueKind::Boolean:
        break;
    }
    return TInitialEditor::Text;
}

std::pair<QDate, QTime> SplitStoredDateTime(const QString& text)
{
    if (const auto dateTime = ValueText::ToDateTime(text); dateTime && dateTime->isValid())
        return {dateTime->date(), dateTime->time()};
    return {QDate(), QTime(0, 0)};
}

std::optional<QTime> ReadTimeText(const QString& text)
{
    QString plain = text;
    plain.remove(QLatin1Char(' '));
    if (plain.isEmpty())
        return std::nullopt;
    for (const char* format : {"H:mm:ss.zzz", "H:mm:ss", "H:mm", "H:m:s", "H:m"}) {
        const QTime time = QTime::fromString(plain, QString::fromLatin1(format));
        if (time.isValid())
            return time;
    }
    return std::nullopt;
}

QString DateTimeValueText(const QDate& date, const QString& timeText)
{
    if (!date.isValid())
        return QString();
    const QTime time = ReadTimeText(timeText).value_or(QTime(0, 0));
    return ValueText::FromDateTime(ValueText::Naive(date, time));
}

QString NotAValidTimeText(const QString& text)
{
    return text + QStringLiteral(" not a valid time");
}

bool IsExactNumberInput(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*[+-]?\\d*[.,]?\\d*\\s*$"));
    return pattern.match(text).hasMatch();
}
