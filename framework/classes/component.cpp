#include "framework/classes/component.h"

#include "runtime/exceptions.h"
#include "runtime/new_instance.h"
#include "runtime/resstrings.h"

#include <algorithm>

constinit const TClass TPersistent::ClassInfo =
    MakeClass<TPersistent>("TPersistent", &TObject::ClassInfo);
constinit const TClass TComponent::ClassInfo =
    MakeClass<TComponent>("TComponent", &TPersistent::ClassInfo);

bool IsValidIdentifier(std::string_view name) {
    if (name.empty()) return false;
    auto letter = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    };
    if (!letter(name[0])) return false;
    return std::all_of(name.begin() + 1, name.end(),
                       [&](char c) { return letter(c) || (c >= '0' && c <= '9'); });
}

void TComponent::Create(TComponent* owner) {
    if (owner) owner->InsertComponent(this);
}

void TComponent::DestructionStarting() {
    IncludeState(lsDestroying);
    TPersistent::DestructionStarting();
}

void TComponent::Destroy() {
    IncludeState(lsDestroying);
    // Each owned component leaves this list as it is destroyed.
    while (!FComponents.empty()) {
        TComponent* last = FComponents.back();
        FreeObject(last);
        if (!FComponents.empty() && FComponents.back() == last) {
            // It did not leave the list itself; it is gone, so it can only
            // be found in the index by its address.
            FComponents.pop_back();
            if (FNameIndex.Active()) FNameIndex.Forget(last);
        }
    }
    if (FOwner) FOwner->RemoveComponent(this);
    TPersistent::Destroy();
}

void TComponent::SetName(const std::string& name) {
    if (name == FName) return;
    if (!name.empty() && !IsValidIdentifier(name))
        throw EComponentError(FormatResString(SInvalidName, {name}));
    if (!name.empty() && FOwner) {
        TComponent* other = FOwner->FindComponent(name);
        if (other && other != this) throw EComponentError(FormatResString(SDuplicateName, {name}));
    }
    std::string taken = name;
    if (FOwner && FOwner->FNameIndex.Active()) {
        // Entered under the new name before anything changes (this may raise),
        // then out from under the old one.
        if (!taken.empty()) FOwner->FNameIndex.Add(this, taken);
        if (!FName.empty()) FOwner->FNameIndex.Remove(this, FName);
    }
    FName.swap(taken);
}

TComponent* TComponent::FindComponent(std::string_view name) const {
    if (name.empty()) return nullptr;
    if (FNameIndex.Active()) {
        bool several = false;
        TComponent* found = FNameIndex.Find(name, several);
        // Only components moved in under a name already taken share one; the
        // list then says which comes first.
        if (!several) return found;
    }
    for (TComponent* component : FComponents)
        if (SameName(component->FName, name)) return component;
    return nullptr;
}

void TComponent::IndexNames() {
    TComponentNameIndex index;
    index.Start();
    for (TComponent* component : FComponents)
        if (!component->FName.empty()) index.Add(component, component->FName);
    FNameIndex = std::move(index);
}

void TComponent::InsertComponent(TComponent* component) {
    if (component->FOwner) component->FOwner->RemoveComponent(component);
    FComponents.push_back(component);
    try {
        if (FNameIndex.Active()) {
            if (!component->FName.empty()) FNameIndex.Add(component, component->FName);
        } else if (FComponents.size() >= IndexedFrom) {
            IndexNames();
        }
    } catch (...) {
        FComponents.pop_back();
        throw;
    }
    component->FOwner = this;
}

void TComponent::RemoveComponent(TComponent* component) {
    // Searched from the end: owners destroy their components last first.
    auto it = std::find(FComponents.rbegin(), FComponents.rend(), component);
    if (it == FComponents.rend()) return;
    FComponents.erase(std::next(it).base());
    if (FNameIndex.Active() && !component->FName.empty())
        FNameIndex.Remove(component, component->FName);
    component->FOwner = nullptr;
}

void TComponent::DescriptionLoaded() {
    ExcludeState(lsLoading);
}

TComponent* TComponent::ChildOwnerFor() {
    return nullptr;
}

TComponent* TComponent::ChildParentFor() {
    return this;
}

void TComponent::PlaceChild(TComponent*, int) {}

void TComponent::AttachToParent(TComponent*) {}

TComponent* TComponent::ParentComponentOf() {
    return nullptr;
}

TComponent* ConstructComponent(const TClass* cls, TComponent* owner, TLifeState initialState) {
    TComponent* component = NewInstanceAs<TComponent, EComponentError>(cls);
    component->IncludeState(initialState);
    try {
        component->Create(owner);
    } catch (...) {
        DiscardObject(component);
        throw;
    }
    component->ConstructionFinished();
    return component;
}
