// Components: ownership bookkeeping and class tests.
#include "framework/Classes.h"

#include <QMetaObject>

#include <algorithm>

bool InheritsFrom(const QObject* object, const char* className)
{
    return object != nullptr && object->inherits(className);
}

QString ClassName(const QObject* object)
{
    return object ? QString::fromLatin1(object->metaObject()->className()) : QString();
}

TComponent::TComponent(QObject* self, TComponent* owner)
    : FSelf(self)
{
    if (owner)
        owner->InsertComponent(this);
}

TComponent::~TComponent()
{
    ComponentState |= csDestroying;
    // A notice may remove components from the list: take a copy.
    const std::vector<TComponent*> owned = FComponents;
    for (TComponent* component : owned)
        if (std::find(FComponents.begin(), FComponents.end(), component) != FComponents.end())
            component->Notification(this, opRemove);
    for (TComponent* component : FComponents)
        component->FOwner = nullptr;
    FComponents.clear();
    if (FOwner)
        FOwner->RemoveComponent(this);
}

int TComponent::ComponentIndex() const
{
    if (!FOwner)
        return -1;
    const auto& list = FOwner->FComponents;
    const auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(const QString& name) const
{
    if (name.isEmpty())
        return nullptr;
    for (TComponent* component : FComponents)
        if (component->Name().compare(name, Qt::CaseInsensitive) == 0)
            return component;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* component)
{
    if (!component || component->FOwner == this)
        return;
    if (component->FOwner)
        component->FOwner->RemoveComponent(component);
    FComponents.push_back(component);
    component->FOwner = this;
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    const auto it = std::find(FComponents.begin(), FComponents.end(), component);
    if (it == FComponents.end())
        return;
    FComponents.erase(it);
    component->FOwner = nullptr;
    Notification(component, opRemove);
}

void TComponent::Notification(TComponent*, TOperation) {}

TComponent* TComponent::Of(const QObject* object)
{
    for (QObject* o = const_cast<QObject*>(object); o; o = o->parent())
        if (auto* component = dynamic_cast<TComponent*>(o))
            return component;
    return nullptr;
}

TComponent* DefaultOwnerFor(QObject* parent)
{
    for (QObject* o = parent; o; o = o->parent())
        if (o->inherits("TCustomForm"))
            return dynamic_cast<TComponent*>(o);
    return nullptr;
}
