#include "framework/controls/menus.h"

#include "framework/streaming/registries.h"

#include <algorithm>

namespace {

constexpr TPropInfo menuItemProperties[] = {
    FieldProperty<&TMenuItem::Caption>("Caption", &TypeString),
    FieldProperty<&TMenuItem::Checked>("Checked", &TypeBoolean, 0),
    FieldProperty<&TMenuItem::Enabled>("Enabled", &TypeBoolean, 1),
    FieldProperty<&TMenuItem::Visible>("Visible", &TypeBoolean, 1),
    FieldProperty<&TMenuItem::ShortCut>("ShortCut", &TypeWord, 0),
    FieldProperty<&TMenuItem::OnClick>("OnClick", &TypeNotifyEvent),
};

} // namespace

constinit const TClass TMenuItem::ClassInfo =
    MakeClass<TMenuItem>("TMenuItem", &TComponent::ClassInfo, menuItemProperties);

const TModuleStep MenusModule{"Menus", &StartMenusModule, nullptr};

void TMenuItem::Destroy() {
    if (parent_) parent_->Remove(this);
    for (TMenuItem* item : items_)
        item->parent_ = nullptr;
    items_.clear();
    TComponent::Destroy();
}

void TMenuItem::AttachToParent(TComponent* parent) {
    if (auto* item = As<TMenuItem>(parent)) item->Add(this);
}

void TMenuItem::Add(TMenuItem* item) {
    // An item cannot hold itself or an item above it.
    for (TMenuItem* up = this; up; up = up->parent_)
        if (up == item) return;
    if (!item) return;
    if (item->parent_) item->parent_->Remove(item);
    items_.push_back(item);
    item->parent_ = this;
}

void TMenuItem::Remove(TMenuItem* item) {
    auto found = std::find(items_.begin(), items_.end(), item);
    if (found == items_.end()) return;
    items_.erase(found);
    item->parent_ = nullptr;
}

void StartMenusModule() {
    RegisterComponentClass(&TMenuItem::ClassInfo);
}
