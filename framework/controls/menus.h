// Menu items: the menu layer's component class, which descriptions may
// create by name. A menu item read as a child of another item becomes one of
// its sub-items; the layer's start-up step registers the class.
#pragma once

#include "framework/classes/component.h"
#include "runtime/modules.h"

#include <string>
#include <vector>

class TMenuItem : public TComponent {
public:
    DECLARE_CLASS_INFO()

    // Leaves the parent item and lets the sub-items go.
    void Destroy() override;
    // A menu item given a menu item as parent becomes its last sub-item.
    void AttachToParent(TComponent* parent) override;
    TComponent* ParentComponentOf() override { return FParent; }

    TMenuItem* Parent() const { return FParent; }
    int Count() const { return static_cast<int>(FItems.size()); }
    TMenuItem* Item(int index) const { return FItems[static_cast<size_t>(index)]; }
    // Appends a sub-item, taking it from its previous parent.
    void Add(TMenuItem* item);
    void Remove(TMenuItem* item);

    std::string Caption;
    bool Checked = false;
    bool Enabled = true;
    bool Visible = true;
    uint16_t ShortCut = 0;
    TNotifyEvent OnClick;

private:
    TMenuItem* FParent = nullptr;
    std::vector<TMenuItem*> FItems;
};

// Registers TMenuItem, with its ancestors, for creation by name.
void StartMenusModule();

// The menu layer's module record, for the program's module list.
extern const TModuleStep MenusModule;
