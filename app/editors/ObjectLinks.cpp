#include "app/editors/ObjectLinks.h"

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
    for (const TDBObjectName& object : DBList->GetObjectNames(index)) {
        if (object.Name.compare(word, Qt::CaseInsensitive) == 0) {
            ShowObjectDDL(word.toUpper(), index + 1, object.Kind);
            return;
        }
    }
}
