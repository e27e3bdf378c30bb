#include "app/shell/ObjectOpeners.h"

#include "app/shell/Main.h"
#include "components/FormPlacement.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QVariant>
#include <QWidget>

namespace {

const char* const kDBId = "DBId";
const char* const kKind = "WindowKind";
const char* const kName = "ObjectName";

constexpr int kCategories = 8;

int toolIndex(TToolCommand tool)
{
    return static_cast<int>(tool);
}

} // namespace

TObjectOpeners& TObjectOpeners::Instance()
{
    static TObjectOpeners registry;
    return registry;
}

bool TObjectOpeners::ValidCategory(int category)
{
    return category >= 0 && category < kCategories;
}

void TObjectOpeners::SetNew(int category, TObjectOpener opener)
{
    if (!ValidCategory(category))
        return;
    m_new[category] = std::move(opener);
    emit Changed();
}

void TObjectOpeners::SetEdit(int category, TObjectOpener opener)
{
    if (!ValidCategory(category))
        return;
    m_edit[category] = std::move(opener);
    emit Changed();
}

void TObjectOpeners::SetTool(TToolCommand tool, TObjectOpener opener)
{
    m_tools[toolIndex(tool)] = std::move(opener);
    emit Changed();
}

void TObjectOpeners::Clear()
{
    for (int i = 0; i < kCategories; ++i) {
        m_new[i] = nullptr;
        m_edit[i] = nullptr;
    }
    for (TObjectOpener& tool : m_tools)
        tool = nullptr;
    emit Changed();
}

bool TObjectOpeners::HasNew(int category) const
{
    return ValidCategory(category) && bool(m_new[category]);
}

bool TObjectOpeners::HasEdit(int category) const
{
    return ValidCategory(category) && bool(m_edit[category]);
}

bool TObjectOpeners::HasTool(TToolCommand tool) const
{
    return bool(m_tools[toolIndex(tool)]);
}

bool TObjectOpeners::HasAnyNew() const
{
    for (int i = 0; i < kCategories; ++i)
        if (m_new[i])
            return true;
    return false;
}

bool TObjectOpeners::HasAnyEdit() const
{
    for (int i = 0; i < kCategories; ++i)
        if (m_edit[i])
            return true;
    return false;
}

bool TObjectOpeners::OpenNew(const TObjectRef& ref) const
{
    if (!HasNew(ref.Category))
        return false;
    // A copy: the opener may register openers itself.
    const TObjectOpener opener = m_new[ref.Category];
    opener(ref);
    return true;
}

bool TObjectOpeners::OpenEdit(const TObjectRef& ref) const
{
    if (!HasEdit(ref.Category))
        return false;
    const TObjectOpener opener = m_edit[ref.Category];
    opener(ref);
    return true;
}

bool TObjectOpeners::OpenTool(TToolCommand tool, const TObjectRef& ref) const
{
    if (!HasTool(tool))
        return false;
    const TObjectOpener opener = m_tools[toolIndex(tool)];
    opener(ref);
    return true;
}

void SetWindowIdentity(QWidget* window, const TWindowIdentity& identity)
{
    if (!window)
        return;
    window->setProperty(kDBId, QVariant::fromValue(identity.DBId));
    window->setProperty(kKind, identity.Kind);
    window->setProperty(kName, identity.ObjectName);
}

TWindowIdentity WindowIdentityOf(const QWidget* window)
{
    TWindowIdentity identity;
    if (!window)
        return identity;
    identity.DBId = window->property(kDBId).toULongLong();
    const QVariant kind = window->property(kKind);
    identity.Kind = kind.isValid() ? kind.toInt() : int(wkNone);
    identity.ObjectName = window->property(kName).toString();
    return identity;
}

QList<QWidget*> WindowsOfDatabase(quint64 dbId)
{
    QList<QWidget*> windows;
    if (!MainForm || dbId == 0)
        return windows;
    for (QWidget* child : MainForm->Children())
        if (WindowIdentityOf(child).DBId == dbId)
            windows << child;
    return windows;
}

QWidget* FindObjectWindow(quint64 dbId, int kind, const QString& objectName)
{
    for (QWidget* child : WindowsOfDatabase(dbId)) {
        const TWindowIdentity identity = WindowIdentityOf(child);
        if (identity.Kind == kind && identity.ObjectName == objectName && !objectName.isEmpty())
            return child;
    }
    return nullptr;
}

void BringForward(QWidget* window)
{
    if (!window)
        return;
    if (QMdiSubWindow* sub = MdiSubWindowOf(window)) {
        if (sub->isMinimized())
            sub->showNormal();
        sub->show();
        if (MainForm)
            MainForm->MdiArea()->setActiveSubWindow(sub);
    }
    window->show();
    window->raise();
}
