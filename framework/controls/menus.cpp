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
    if (FParent) FParent->Remove(this);
    for (TMenuItem* item : FItems)
        item->FParent = nullptr;
    FItems.clear();
    TComponent::Destroy();
}

void TMenuItem::AttachToParent(TComponent* parent) {
    if (auto* item = As<TMenuItem>(parent)) item->Add(this);
}

void TMenuItem::Add(TMenuItem* item) {
    // An item cannot hold itself or an item above it.
    for (TMenuItem* up = this; up; up = up->FParent)
        if (up == item) return;
    if (!item) return;
    if (item->FParent) item->FParent->Remove(item);
    FItems.push_back(item);
    item->FParent = this;
}

void TMenuItem::Remove(TMenuItem* item) {
    auto found = std::find(FItems.begin(), FItems.end(), item);
    if (found == FItems.end()) return;
    FItems.erase(found);
    item->FParent = nullptr;
}

void StartMenusModule() {
    RegisterComponentClass(&TMenuItem::ClassInfo);
}
