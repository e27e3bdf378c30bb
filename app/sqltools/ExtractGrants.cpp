// The privileges granted on the selected tables, views and routines.

#include "app/shell/CatalogQuery.h"
#include "app/sqltools/ExtractSupport.h"
#include "app/sqltools/ExtractWriters.h"

#include <map>
#include <tuple>

namespace {

QString PrivilegeWord(const QString& letter)
{
    static const QHash<QString, QString> words{
        {QStringLiteral("S"), QStringLiteral("SELECT")}, {QStringLiteral("I"), QStringLiteral("INSERT")},
        {QStringLiteral("U"), QStringLiteral("UPDATE")}, {QStringLiteral("D"), QStringLiteral("DELETE")},
        {QStringLiteral("R"), QStringLiteral("REFERENCES")}, {QStringLiteral("X"), QStringLiteral("EXECUTE")}};
    return words.value(letter);
}

QString Grantee(TExtractJob& job, const QString& name, int type)
{
    switch (type) {
    case 1: return QStringLiteral("VIEW ") + job.Name(name);
    case 2: return QStringLiteral("TRIGGER ") + job.Name(name);
    case 5: return QStringLiteral("PROCEDURE ") + job.Name(name);
    case 15: return QStringLiteral("FUNCTION ") + job.Name(name);
    case 18: return QStringLiteral("PACKAGE ") + job.Name(name);
    case 13: return QStringLiteral("ROLE ") + job.Name(name);
    default: return name == QLatin1String("PUBLIC") ? name : QStringLiteral("USER ") + job.Name(name);
    }
}

// What a GRANT says before the object's name.
QString ObjectWord(int type)
{
    switch (type) {
    case 5: return QStringLiteral("PROCEDURE ");
    case 15: return QStringLiteral("FUNCTION ");
    case 18: return QStringLiteral("PACKAGE ");
    default: return {};
    }
}

} // namespace

void ExtractGrants(TExtractJob& job)
{
    TWriterScope scope(job);
    // One statement per object, grantee, option and column; the owner's own
    // rights come with the object.
    using Key = std::tuple<QString, int, QString, int, bool, QString>;
    std::map<Key, QStringList> grants;
    {
        TCatalogQuery rows(scope.Query(), &job.Database(),
            QStringLiteral("select rdb$relation_name, rdb$object_type, rdb$user, rdb$user_type, rdb$grant_option, "
                           "rdb$field_name, rdb$privilege from rdb$user_privileges where rdb$object_type in (0,5,15,18) "
                           "and (rdb$grantor is null or rdb$user<>rdb$grantor)"));
        for (; !rows.Eof(); rows.Next()) {
            const QString object = rows.Name(0);
            const QString word = PrivilegeWord(rows.Name(6));
            if (!job.Selected(object) || word.isEmpty())
                continue;
            const Key key{object, rows.Integer(1), rows.Name(2), rows.IsNull(3) ? 8 : rows.Integer(3),
                          !rows.IsNull(4) && rows.Integer(4) == 1, rows.Name(5)};
            grants[key] << word;
        }
    }
    scope.Commit();
    if (grants.empty())
        return;
    static const QStringList order{QStringLiteral("SELECT"), QStringLiteral("INSERT"), QStringLiteral("UPDATE"),
                                   QStringLiteral("DELETE"), QStringLiteral("REFERENCES"), QStringLiteral("EXECUTE")};
    QStringList& out = job.Output();
    out << QStringLiteral("/* Grant permissions */");
    for (const auto& [key, words] : grants) {
        const auto& [object, objectType, user, userType, option, field] = key;
        QStringList privileges;
        for (const QString& word : order)
            if (words.contains(word))
                privileges << word + (field.isEmpty() ? QString() : QStringLiteral(" (") + job.Name(field) + QLatin1Char(')'));
        out << QStringLiteral("GRANT ") + privileges.join(QStringLiteral(", ")) + QStringLiteral(" ON ")
                + ObjectWord(objectType) + job.Name(object)
                + QStringLiteral(" TO ") + Grantee(job, user, userType)
                + (option ? QStringLiteral(" WITH GRANT OPTION;") : QStringLiteral(";"));
    }
    out << QString() << QStringLiteral("COMMIT WORK;");
}
