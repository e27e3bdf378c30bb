// The selected roles, the privileges granted on the selected tables, views,
// routines, sequences and exceptions and to them, and those to create,
// alter and drop kinds of object.

#include "app/shell/CatalogQuery.h"
#include "app/sqltools/ExtractSupport.h"
#include "app/sqltools/ExtractWriters.h"

#include <array>
#include <map>
#include <set>
#include <tuple>
#include <vector>

namespace {

QString PrivilegeWord(const QString& letter)
{
    static const QHash<QString, QString> words{
        {QStringLiteral("S"), QStringLiteral("SELECT")}, {QStringLiteral("I"), QStringLiteral("INSERT")},
        {QStringLiteral("U"), QStringLiteral("UPDATE")}, {QStringLiteral("D"), QStringLiteral("DELETE")},
        {QStringLiteral("R"), QStringLiteral("REFERENCES")}, {QStringLiteral("X"), QStringLiteral("EXECUTE")},
        {QStringLiteral("G"), QStringLiteral("USAGE")}};
    return words.value(letter);
}

// Kinds of grantee (RDB$USER_TYPE) that are objects of the database.
constexpr int GranteeView = 1;
constexpr int GranteeTrigger = 2;
constexpr int GranteeProcedure = 5;
constexpr int GranteeUser = 8;
constexpr int GranteeRole = 13;
constexpr int GranteeFunction = 15;
constexpr int GranteePackage = 18;

bool IsObjectGrantee(int type)
{
    return type == GranteeView || type == GranteeTrigger || type == GranteeProcedure || type == GranteeRole
        || type == GranteeFunction || type == GranteePackage;
}

QString Grantee(TExtractJob& job, const QString& name, int type)
{
    switch (type) {
    case GranteeView: return QStringLiteral("VIEW ") + job.Name(name);
    case GranteeTrigger: return QStringLiteral("TRIGGER ") + job.Name(name);
    case GranteeProcedure: return QStringLiteral("PROCEDURE ") + job.Name(name);
    case GranteeFunction: return QStringLiteral("FUNCTION ") + job.Name(name);
    case GranteePackage: return QStringLiteral("PACKAGE ") + job.Name(name);
    case GranteeRole: return QStringLiteral("ROLE ") + job.Name(name);
    default: return name == QLatin1String("PUBLIC") ? name : QStringLiteral("USER ") + job.Name(name);
    }
}

// Kinds of object a privilege is on (RDB$OBJECT_TYPE).
constexpr int ObjectProcedure = 5;
constexpr int ObjectException = 7;
constexpr int ObjectRole = 13;
constexpr int ObjectSequence = 14;
constexpr int ObjectFunction = 15;
constexpr int ObjectPackage = 18;
constexpr int ObjectDatabase = 20;
// From here on, one kind of object each: the privilege to create, alter or
// drop any object of that kind.
constexpr int ObjectFirstKind = 21;

// What a GRANT says before the object's name.
QString ObjectWord(int type)
{
    switch (type) {
    case ObjectProcedure: return QStringLiteral("PROCEDURE ");
    case ObjectException: return QStringLiteral("EXCEPTION ");
    case ObjectSequence: return QStringLiteral("SEQUENCE ");
    case ObjectFunction: return QStringLiteral("FUNCTION ");
    case ObjectPackage: return QStringLiteral("PACKAGE ");
    default: return {};
    }
}

// "CREATE TABLE", "ALTER ANY ROLE", "DROP DATABASE": the privilege a DDL
// grant names; empty for a privilege on one object.
QString DdlPrivilege(const QString& letter, int objectType)
{
    static const std::array<const char*, 12> kinds{"TABLE", "VIEW", "PROCEDURE", "FUNCTION", "PACKAGE", "SEQUENCE",
                                                   "DOMAIN", "EXCEPTION", "ROLE", "CHARACTER SET", "COLLATION",
                                                   "FILTER"};
    QString kind;
    if (objectType == ObjectDatabase)
        kind = QStringLiteral("DATABASE");
    else if (objectType >= ObjectFirstKind && objectType < ObjectFirstKind + int(kinds.size()))
        kind = QLatin1String(kinds[std::size_t(objectType - ObjectFirstKind)]);
    if (kind.isEmpty())
        return {};
    // The database is one object: its privileges name no "ANY".
    const QString any = objectType == ObjectDatabase ? QString() : QStringLiteral("ANY ");
    if (letter == QLatin1String("C") && objectType != ObjectDatabase)
        return QStringLiteral("CREATE ") + kind;
    if (letter == QLatin1String("L"))
        return QStringLiteral("ALTER ") + any + kind;
    if (letter == QLatin1String("O"))
        return QStringLiteral("DROP ") + any + kind;
    return {};
}

struct TRole
{
    QString name;
    QString description;
};

struct TMembership
{
    QString role;
    QString member;
    bool admin = false;
};

} // namespace

void ExtractGrants(TExtractJob& job)
{
    TWriterScope scope(job);
    std::vector<TRole> roles;
    {
        TCatalogQuery rows(scope.Query(), &job.Database(),
            QStringLiteral("select rdb$role_name, rdb$description from rdb$roles "
                           "where coalesce(rdb$system_flag, 0)=0 order by rdb$role_name"));
        for (; !rows.Eof(); rows.Next())
            if (job.Selected(rows.Name(0)))
                roles.push_back({rows.Name(0), rows.Text(1)});
    }
    QSet<QString> selectedRoles;
    for (const TRole& role : roles)
        selectedRoles.insert(role.name);
    // One statement per object, grantee, option and column; the owner's own
    // rights come with the object.
    using Key = std::tuple<QString, int, QString, int, bool, QString>;
    std::map<Key, QStringList> grants;
    std::vector<TMembership> memberships;
    std::set<QString> ddlGrants;
    {
        // The system's tables count by their flag: what the selected objects
        // and roles may read there (an ON CONNECT trigger reading
        // MON$ATTACHMENTS) is the user's.
        TCatalogQuery rows(scope.Query(), &job.Database(),
            QStringLiteral("select p.rdb$relation_name, p.rdb$object_type, p.rdb$user, p.rdb$user_type, "
                           "p.rdb$grant_option, p.rdb$field_name, p.rdb$privilege, "
                           "(select coalesce(r.rdb$system_flag, 0) from rdb$relations r "
                           "where p.rdb$object_type=0 and r.rdb$relation_name=p.rdb$relation_name) "
                           "from rdb$user_privileges p where (p.rdb$object_type in (0,5,7,13,14,15,18) "
                           "or p.rdb$object_type between 20 and 32) "
                           "and (p.rdb$grantor is null or p.rdb$user<>p.rdb$grantor) "
                           "order by p.rdb$relation_name, p.rdb$user"));
        for (; !rows.Eof(); rows.Next()) {
            const QString object = rows.Name(0);
            const int objectType = rows.Integer(1);
            const QString user = rows.Name(2);
            const int userType = rows.IsNull(3) ? GranteeUser : rows.Integer(3);
            const int option = rows.IsNull(4) ? 0 : rows.Integer(4);
            if (objectType == ObjectRole) {
                if (rows.Name(6) == QLatin1String("M") && selectedRoles.contains(object))
                    memberships.push_back({object, user, option == 2});
                continue;
            }
            const QString ddl = DdlPrivilege(rows.Name(6), objectType);
            if (!ddl.isEmpty()) {
                // A user's are the database's own: they come with a script
                // that makes it.
                if (IsObjectGrantee(userType) ? job.Selected(user) : job.Flag(efCreateDatabase))
                    ddlGrants.insert(QStringLiteral("GRANT ") + ddl + QStringLiteral(" TO ")
                                     + Grantee(job, user, userType)
                                     + (option == 1 ? QStringLiteral(" WITH GRANT OPTION;") : QStringLiteral(";")));
                continue;
            }
            const bool systemTable = !rows.IsNull(7) && rows.Integer(7) != 0;
            const bool wanted = systemTable ? IsObjectGrantee(userType) && job.Selected(user) : job.Selected(object);
            const QString word = PrivilegeWord(rows.Name(6));
            if (!wanted || word.isEmpty())
                continue;
            const Key key{object, objectType, user, userType, option == 1, rows.Name(5)};
            grants[key] << word;
        }
    }
    scope.Commit();
    if (roles.empty() && grants.empty() && ddlGrants.empty())
        return;
    QStringList& out = job.Output();
    if (!roles.empty()) {
        out << QStringLiteral("/* Roles */");
        for (const TRole& role : roles)
            out << QStringLiteral("CREATE ROLE ") + job.Name(role.name) + QLatin1Char(';');
        for (const TRole& role : roles)
            WriteCommentOn(job, QStringLiteral("ROLE"), role.name, role.description);
        for (const TMembership& membership : memberships)
            out << QStringLiteral("GRANT ") + job.Name(membership.role) + QStringLiteral(" TO ")
                    + (membership.member == QLatin1String("PUBLIC") ? membership.member : job.Name(membership.member))
                    + (membership.admin ? QStringLiteral(" WITH ADMIN OPTION;") : QStringLiteral(";"));
        out << QString();
    }
    if (!grants.empty() || !ddlGrants.empty()) {
        static const QStringList order{QStringLiteral("SELECT"), QStringLiteral("INSERT"), QStringLiteral("UPDATE"),
                                       QStringLiteral("DELETE"), QStringLiteral("REFERENCES"),
                                       QStringLiteral("EXECUTE"), QStringLiteral("USAGE")};
        out << QStringLiteral("/* Grant permissions */");
        for (const auto& [key, words] : grants) {
            const auto& [object, objectType, user, userType, option, field] = key;
            QStringList privileges;
            for (const QString& word : order)
                if (words.contains(word))
                    privileges << word
                            + (field.isEmpty() ? QString() : QStringLiteral(" (") + job.Name(field) + QLatin1Char(')'));
            out << QStringLiteral("GRANT ") + privileges.join(QStringLiteral(", ")) + QStringLiteral(" ON ")
                    + ObjectWord(objectType) + job.Name(object) + QStringLiteral(" TO ")
                    + Grantee(job, user, userType)
                    + (option ? QStringLiteral(" WITH GRANT OPTION;") : QStringLiteral(";"));
        }
        for (const QString& grant : ddlGrants)
            out << grant;
        out << QString();
    }
    out << QStringLiteral("COMMIT WORK;");
}
