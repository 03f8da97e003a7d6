// An index of an owner's components by name (ASCII case-insensitive), kept
// beside the owner's list so that finding a name or checking that it is free
// costs no walk of the list. It only says which components carry a name; the
// list stays the authority on their order.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

class TComponent;

class TComponentNameIndex {
public:
    // True once started: from then on the owner keeps it up to date.
    bool Active() const { return !FSlots.empty(); }
    // Makes the (empty) index active.
    void Start() {
        if (FSlots.empty()) Grow();
    }
    // Adds the component under a name (not empty), the name it carries or is
    // about to take. May raise (memory) before changing anything.
    void Add(TComponent* component, std::string_view name);
    // Removes the component's entry made under that name; never raises.
    void Remove(const TComponent* component, std::string_view name);
    // Removes the component's entry whatever its name (a walk of the whole
    // index, for a component that can no longer be asked its name).
    void Forget(const TComponent* component);
    // A component indexed under the name, or null; `several` tells whether
    // more than one carries it (the caller then asks the list which is first).
    // Compares with the names the components carry now.
    TComponent* Find(std::string_view name, bool& several) const;

private:
    struct Slot {
        size_t hash = 0;
        TComponent* component = nullptr; // null: the slot is free
    };
    void Grow();
    void EraseAt(size_t at);

    std::vector<Slot> FSlots; // open addressing, linear probing, a power of two long
    size_t FUsed = 0;
};
