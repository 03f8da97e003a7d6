#include "framework/classes/name_index.h"

#include "framework/classes/component.h"
#include "runtime/ascii.h"

namespace {

// FNV-1a over the name with ASCII letters folded to lower case, so that names
// equal under SameName hash alike.
size_t NameHash(std::string_view name) {
    size_t hash = sizeof(size_t) == 8 ? size_t(14695981039346656037ull) : size_t(2166136261u);
    const size_t prime = sizeof(size_t) == 8 ? size_t(1099511628211ull) : size_t(16777619u);
    for (char c : name) {
        const unsigned char byte = static_cast<unsigned char>(AsciiLower(c));
        hash = (hash ^ byte) * prime;
    }
    return hash;
}

} // namespace

void TComponentNameIndex::Grow() {
    std::vector<Slot> larger(FSlots.empty() ? 16 : FSlots.size() * 2);
    const size_t mask = larger.size() - 1;
    for (const Slot& slot : FSlots) {
        if (!slot.component) continue;
        size_t at = slot.hash & mask;
        while (larger[at].component)
            at = (at + 1) & mask;
        larger[at] = slot;
    }
    FSlots.swap(larger);
}

void TComponentNameIndex::Add(TComponent* component, std::string_view name) {
    // At most half full, so that probe runs stay short.
    if (2 * (FUsed + 1) > FSlots.size()) Grow();
    const size_t hash = NameHash(name);
    const size_t mask = FSlots.size() - 1;
    size_t at = hash & mask;
    while (FSlots[at].component)
        at = (at + 1) & mask;
    FSlots[at] = Slot{hash, component};
    ++FUsed;
}

void TComponentNameIndex::Remove(const TComponent* component, std::string_view name) {
    if (FSlots.empty()) return;
    const size_t hash = NameHash(name);
    const size_t mask = FSlots.size() - 1;
    size_t at = hash & mask;
    while (FSlots[at].component && !(FSlots[at].component == component && FSlots[at].hash == hash))
        at = (at + 1) & mask;
    if (FSlots[at].component) EraseAt(at);
}

void TComponentNameIndex::Forget(const TComponent* component) {
    for (size_t at = 0; at < FSlots.size(); ++at)
        if (FSlots[at].component == component) return EraseAt(at);
}

void TComponentNameIndex::EraseAt(size_t at) {
    // Backward-shift deletion: move later entries of the run into the gap
    // when their home slot does not lie between the gap and where they are,
    // so that every entry stays reachable from its home without tombstones.
    const size_t mask = FSlots.size() - 1;
    size_t gap = at;
    for (size_t next = (gap + 1) & mask; FSlots[next].component; next = (next + 1) & mask) {
        size_t home = FSlots[next].hash & mask;
        bool homeBetween =
            gap <= next ? (gap < home && home <= next) : (gap < home || home <= next);
        if (homeBetween) continue;
        FSlots[gap] = FSlots[next];
        gap = next;
    }
    FSlots[gap] = Slot{};
    --FUsed;
}

TComponent* TComponentNameIndex::Find(std::string_view name, bool& several) const {
    several = false;
    if (FSlots.empty()) return nullptr;
    const size_t hash = NameHash(name);
    const size_t mask = FSlots.size() - 1;
    TComponent* found = nullptr;
    for (size_t at = hash & mask; FSlots[at].component; at = (at + 1) & mask) {
        const Slot& slot = FSlots[at];
        if (slot.hash != hash || !SameName(slot.component->Name(), name)) continue;
        if (found) {
            several = true;
            return found;
        }
        found = slot.component;
    }
    return found;
}
