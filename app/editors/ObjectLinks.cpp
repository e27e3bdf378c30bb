#include "app/editors/ObjectLinks.h"

#include "access/QvSqlText.h"
#include "app/shell/DBListObject.h"
#include "app/shell/ObjectDDL.h"
#include "editor/qeGeneralSyn.h"

#include <QStringList>

void SetObjectLinkWords(TqeGeneralSyn* syntax, quint64 dbId)
{
    const int index = DBList ? DBList->IndexOfId(dbId) : -1;
    if (index < 0)
        return;
    QStringList words;
    for (const TDBObjectName& object : DBList->GetObjectNames(index))
        words << object.Name;
    syntax->SetLinkWords(words);
}

void ShowLinkedObject(quint64 dbId, const QString& word)
{
    const int index = DBList ? DBList->IndexOfId(dbId) : -1;
    if (index < 0)
        return;
    const TDBObjectNames& objects = DBList->GetObjectNames(index);
    const auto show = [&](const auto& matches) {
        for (const TDBObjectName& object : objects) {
            if (matches(object.Name)) {
                ShowObjectDDL(object.Name, index + 1, object.Kind);
                return true;
            }
        }
        return false;
    };
    // The object named exactly as the word stands (a quoted mixed-case
    // name), else the one the word names unquoted (upper-cased), else any
    // spelling of it: never another object that only looks alike.
    const QString unquoted = QvSql::NameFromTyped(word, 3);
    show([&](const QString& name) { return name == word; })
        || show([&](const QString& name) { return name == unquoted; })
        || show([&](const QString& name) { return name.compare(word, Qt::CaseInsensitive) == 0; });
}
