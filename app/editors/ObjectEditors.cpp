#include "app/editors/ObjectEditors.h"

#include "access/QvDatabase.h"
#include "app/editors/DomainForm.h"
#include "app/editors/EditException.h"
#include "app/editors/GeneratorForm.h"
#include "app/editors/ViewForm.h"
#include "app/shell/Main.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/ObjectOpeners.h"
#include "platform/Dialogs.h"
#include "platform/db/DatabaseError.h"

#include <memory>

namespace {

std::unique_ptr<TObjectEditorBase> NewEditor(int category, quint64 dbId)
{
    switch (category) {
    case catDomains: return std::make_unique<TDomainForm>(dbId);
    case catViews: return std::make_unique<TViewForm>(dbId);
    case catGenerators: return std::make_unique<TGeneratorForm>(dbId);
    case catExceptions: return std::make_unique<TEditException>(dbId);
    default: return nullptr;
    }
}

void Load(TObjectEditorBase& editor, const TObjectRef& ref)
{
    if (auto* domain = qobject_cast<TDomainForm*>(&editor))
        domain->LoadDomain(ref.Name);
    else if (auto* view = qobject_cast<TViewForm*>(&editor))
        view->LoadView(ref.Name);
    else if (auto* generator = qobject_cast<TGeneratorForm*>(&editor))
        generator->LoadGenerator(ref.Name, ReadGeneratorValue(editor.Database(), ref.Name));
    else if (auto* exception = qobject_cast<TEditException*>(&editor))
        exception->LoadException(ref.Name);
}

QWidget* Show(std::unique_ptr<TObjectEditorBase> editor)
{
    TObjectEditorBase* shown = editor.release();
    if (MainForm)
        MainForm->AddChild(shown);
    shown->show();
    return shown;
}

bool Connected(const TObjectRef& ref)
{
    if (ref.Database && ref.Database->Connected())
        return true;
    qv::messageDlg(QStringLiteral("Database is not opened !"), qv::mtError, qv::mbOK);
    return false;
}

} // namespace

QWidget* OpenNewObjectEditor(const TObjectRef& ref)
{
    if (!Connected(ref))
        return nullptr;
    std::unique_ptr<TObjectEditorBase> editor = NewEditor(ref.Category, ref.DBId);
    return editor ? Show(std::move(editor)) : nullptr;
}

QWidget* OpenObjectEditor(const TObjectRef& ref)
{
    if (ref.Name.isEmpty() || !Connected(ref))
        return nullptr;
    if (QWidget* open = FindObjectWindow(ref.DBId, ref.Category, ref.Name)) {
        BringForward(open);
        return open;
    }
    std::unique_ptr<TObjectEditorBase> editor = NewEditor(ref.Category, ref.DBId);
    if (!editor)
        return nullptr;
    try {
        Load(*editor, ref);
    } catch (const EDatabaseError& error) {
        qv::messageDlg(error.Message(), qv::mtError, qv::mbOK);
        return nullptr;
    } catch (const std::exception& error) {
        qv::messageDlg(QString::fromUtf8(error.what()), qv::mtError, qv::mbOK);
        return nullptr;
    }
    return Show(std::move(editor));
}

void InstallObjectEditors()
{
    TObjectOpeners& openers = TObjectOpeners::Instance();
    for (const int category : {catDomains, catViews, catGenerators, catExceptions}) {
        openers.SetNew(category, [](const TObjectRef& ref) { OpenNewObjectEditor(ref); });
        openers.SetEdit(category, [](const TObjectRef& ref) { OpenObjectEditor(ref); });
    }
}
