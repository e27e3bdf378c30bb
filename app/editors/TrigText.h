#pragma once

// The trigger editor without its window: the kinds of trigger it can
// express and the CREATE / ALTER TRIGGER text it generates. The source
// after its "AS" is read back as the procedure editor reads its own.

#include <QString>
#include <QStringList>

#include <cstdint>

// The texts of the style list, in the order of the simple trigger types 1..6.
const QStringList& TriggerStyleNames();

// The style list index of a trigger type: 0..5 for the types 1..6 (before
// insert .. after delete), -1 for every type the list cannot show.
int StyleIndexOfType(std::int64_t triggerType);

// How the server spells a trigger type, for messages: "before insert",
// "after insert or update", "on connect", "before DDL" ...; any other
// value is named by its number.
QString TriggerTypeText(std::int64_t triggerType);

// What is stored for a trigger, as far as the editor reads it.
struct TTriggerRecord
{
    QString Name;
    QString Relation;        // "" for database and DDL triggers
    std::int64_t Type = 0;
    int Sequence = 0;
    bool Inactive = false;
    bool SourceIsNull = true;
    QString Source;
    bool System = false;     // made by the server or a system package
    bool External = false;   // runs in an external engine
};

// Why a stored trigger cannot be edited here, or "" when it can. A trigger
// that cannot be expressed opens read-only with this text and is never
// saved back: rewriting it would change what it does.
QString TriggerNotEditableReason(const TTriggerRecord& trigger);

// What the window's controls hold, as the text generator needs it.
struct TTriggerDefinition
{
    bool IsNew = true;
    QString Name;
    QString Table;
    int StyleIndex = 0;      // into TriggerStyleNames()
    int Position = 0;
    bool Active = true;
    // The declarations of the local variables, laid out as the procedure
    // editor lays them out ("" when there are none).
    QString Locals;
    // The body: every line followed by CR LF.
    QString Body;
    // The source from its "AS" on, when it is written from the stored one;
    // "" to write it from Locals and Body.
    QString Source;
    int Dialect = 1;
};

// The CREATE TRIGGER text of a new trigger, the ALTER TRIGGER text of a
// stored one; names the dialect cannot take as they stand are quoted.
QString BuildTriggerText(const TTriggerDefinition& definition);

// A stored source without its leading "AS" (after any leading blanks, line
// breaks and comments). False when the source does not start with it.
bool StripTriggerAs(const QString& source, QString& rest);
