#include "app/editors/TrigText.h"

#include "access/QvSqlRead.h"
#include "access/QvSqlText.h"

namespace {

// Firebird keeps the kind of a trigger in rdb$trigger_type: the simple
// types 1..6, the table triggers for two or three actions packed two bits
// per action, database triggers from 8192 and DDL triggers from 16384 on.
constexpr std::int64_t kDatabaseTrigger = 0x2000;
constexpr std::int64_t kDDLTrigger = 0x4000;

const char* ActionName(int slot)
{
    switch (slot) {
    case 1:
        return "insert";
    case 2:
        return "update";
    case 3:
        return "delete";
    default:
        return nullptr;
    }
}

// "before insert or update" for a table trigger's type, "" when the value
// is none.
QString TableTriggerText(std::int64_t type)
{
    if (type < 1 || type > 127)
        return {};
    const std::int64_t value = type + 1;
    QString text = (value & 1) ? QStringLiteral("after") : QStringLiteral("before");
    bool first = true;
    for (int slot = 1; slot <= 3; ++slot) {
        const int action = int((value >> (slot * 2 - 1)) & 3);
        if (action == 0)
            break;
        text += first ? QStringLiteral(" ") : QStringLiteral(" or ");
        text += QLatin1String(ActionName(action));
        first = false;
    }
    // Bits beyond the three slots mean no table trigger.
    if (first || (value >> 7) != 0)
        return {};
    return text;
}

} // namespace

const QStringList& TriggerStyleNames()
{
    static const QStringList names{
        QStringLiteral("before insert"), QStringLiteral("after insert"),  QStringLiteral("before update"),
        QStringLiteral("after update"),  QStringLiteral("before delete"), QStringLiteral("after delete"),
    };
    return names;
}

int StyleIndexOfType(std::int64_t triggerType)
{
    return triggerType >= 1 && triggerType <= 6 ? int(triggerType - 1) : -1;
}

QString TriggerTypeText(std::int64_t triggerType)
{
    if (triggerType & kDDLTrigger)
        return (triggerType & 1) ? QStringLiteral("after DDL") : QStringLiteral("before DDL");
    if ((triggerType & ~std::int64_t(7)) == kDatabaseTrigger) {
        static const char* const events[] = {"on connect", "on disconnect", "on transaction start",
                                             "on transaction commit", "on transaction rollback"};
        const std::int64_t event = triggerType - kDatabaseTrigger;
        if (event >= 0 && event < 5)
            return QLatin1String(events[event]);
    }
    const QString text = TableTriggerText(triggerType);
    return text.isEmpty() ? QStringLiteral("of type %1").arg(triggerType) : text;
}

QString TriggerNotEditableReason(const TTriggerRecord& trigger)
{
    if (trigger.System)
        return QStringLiteral("Trigger %1 belongs to the system and cannot be changed here.").arg(trigger.Name);
    if (trigger.External)
        return QStringLiteral("Trigger %1 runs in an external engine and cannot be changed here.").arg(trigger.Name);
    if (StyleIndexOfType(trigger.Type) < 0)
        return QStringLiteral("Trigger %1 is a trigger %2, which this window cannot express. "
                              "It is shown read-only; change it with a script.")
            .arg(trigger.Name, TriggerTypeText(trigger.Type));
    if (trigger.Relation.isEmpty())
        return QStringLiteral("Trigger %1 belongs to no table and cannot be changed here.").arg(trigger.Name);
    if (trigger.SourceIsNull)
        return QStringLiteral("The source of trigger %1 is not stored in the database. "
                              "It is shown read-only; saving it would replace its body.")
            .arg(trigger.Name);
    QString rest;
    if (!StripTriggerAs(trigger.Source, rest))
        return QStringLiteral("The stored source of trigger %1 does not start with AS and cannot be read "
                              "back. It is shown read-only.")
            .arg(trigger.Name);
    return {};
}

QString BuildTriggerText(const TTriggerDefinition& definition)
{
    const int dialect = definition.Dialect;
    QString text = definition.IsNew ? QStringLiteral("CREATE TRIGGER ") + QvSql::Identifier(definition.Name, dialect)
                                          + QStringLiteral(" FOR ") + QvSql::Identifier(definition.Table, dialect)
                                    : QStringLiteral("ALTER TRIGGER ") + QvSql::Identifier(definition.Name, dialect);
    text += definition.Active ? QStringLiteral(" ACTIVE ") : QStringLiteral(" INACTIVE ");
    text += TriggerStyleNames().value(definition.StyleIndex) + QLatin1Char(' ');
    text += QStringLiteral("POSITION ") + QString::number(definition.Position);
    if (!definition.Source.isEmpty())
        return text + QStringLiteral("\r\n") + definition.Source;
    text += QStringLiteral("\r\nAS\r\n");
    text += definition.Locals;
    text += QStringLiteral("\r\nbegin \r\n") + definition.Body + QStringLiteral("\r\nend ");
    return text;
}

bool StripTriggerAs(const QString& source, QString& rest)
{
    const QList<QvSql::Word> first = QvSql::LeadWords(source, 1);
    if (first.isEmpty() || !QvSql::IsKeyword(source, first.front(), QLatin1String("AS")))
        return false;
    rest = source.mid(first.front().End());
    return true;
}
