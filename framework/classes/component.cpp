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
    while (!components_.empty()) {
        TComponent* last = components_.back();
        FreeObject(last);
        if (!components_.empty() && components_.back() == last) {
            // It did not leave the list itself; it is gone, so it can only
            // be found in the index by its address.
            components_.pop_back();
            if (nameIndex_.Active()) nameIndex_.Forget(last);
        }
    }
    if (owner_) owner_->RemoveComponent(this);
    TPersistent::Destroy();
}

void TComponent::SetName(const std::string& name) {
    if (name == name_) return;
    if (!name.empty() && !IsValidIdentifier(name))
        throw EComponentError(FormatResString(SInvalidName, {name}));
    if (!name.empty() && owner_) {
        TComponent* other = owner_->FindComponent(name);
        if (other && other != this) throw EComponentError(FormatResString(SDuplicateName, {name}));
    }
    std::string taken = name;
    if (owner_ && owner_->nameIndex_.Active()) {
        // Entered under the new name before anything changes (this may raise),
        // then out from under the old one.
        if (!taken.empty()) owner_->nameIndex_.Add(this, taken);
        if (!name_.empty()) owner_->nameIndex_.Remove(this, name_);
    }
    name_.swap(taken);
}

TComponent* TComponent::FindComponent(std::string_view name) const {
    if (name.empty()) return nullptr;
    if (nameIndex_.Active()) {
        bool several = false;
        TComponent* found = nameIndex_.Find(name, several);
        // Only components moved in under a name already taken share one; the
        // list then says which comes first.
        if (!several) return found;
    }
    for (TComponent* component : components_)
        if (SameName(component->name_, name)) return component;
    return nullptr;
}

void TComponent::IndexNames() {
    TComponentNameIndex index;
    index.Start();
    for (TComponent* component : components_)
        if (!component->name_.empty()) index.Add(component, component->name_);
    nameIndex_ = std::move(index);
}

void TComponent::InsertComponent(TComponent* component) {
    if (component->owner_) component->owner_->RemoveComponent(component);
    components_.push_back(component);
    try {
        if (nameIndex_.Active()) {
            if (!component->name_.empty()) nameIndex_.Add(component, component->name_);
        } else if (components_.size() >= IndexedFrom) {
            IndexNames();
        }
    } catch (...) {
        components_.pop_back();
        throw;
    }
    component->owner_ = this;
}

void TComponent::RemoveComponent(TComponent* component) {
    // Searched from the end: owners destroy their components last first.
    auto it = std::find(components_.rbegin(), components_.rend(), component);
    if (it == components_.rend()) return;
    components_.erase(std::next(it).base());
    if (nameIndex_.Active() && !component->name_.empty())
        nameIndex_.Remove(component, component->name_);
    component->owner_ = nullptr;
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
