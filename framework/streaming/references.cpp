#include "framework/streaming/references.h"

#include "framework/classes/component.h"
#include "framework/streaming/loading.h"
#include "framework/streaming/reader.h"
#include "framework/streaming/registries.h"
#include "runtime/exceptions.h"
#include "runtime/locks.h"
#include "runtime/resstrings.h"

#include <algorithm>
#include <mutex>

constinit const TClass TPropFixup::ClassInfo =
    MakeClass<TPropFixup>("TPropFixup", &TObject::ClassInfo);

namespace {

// References waiting for another root. The lock is re-entrant because setting
// a property may destroy objects, which drop their own references.
struct TPendingGlobalRefs {
    TRecursiveLock lock;
    TFixupList entries;
};

TPendingGlobalRefs& PendingGlobalRefs() {
    static TPendingGlobalRefs refs;
    return refs;
}

// The pending lists of the reads running on this thread.
thread_local std::vector<TFixupList*> activeLists;

// Whether the property can hold the component: a property typed with a class
// holds only components of that class or one derived from it.
bool Fits(const TPropFixup& fixup, const TComponent* target) {
    const TClass* held = fixup.FTargetProp->Type ? fixup.FTargetProp->Type->ObjectClass : nullptr;
    return !target || !held || target->ClassType()->InheritsFrom(held);
}

// The property-value error for a reference to a component of the wrong
// class, named as an error in the property's record is.
std::string WrongClassMessage(const TPropFixup& fixup) {
    auto* component = As<TComponent>(fixup.FTarget);
    std::string owner =
        component && !component->Name().empty() ? component->Name() : fixup.FTarget->ClassName();
    return FormatResString(SPropertyReadError, {owner, ".", fixup.FTargetProp->Name,
                                                LoadResString(SInvalidPropertyValue)});
}

void SetReference(TPropFixup& fixup, TComponent* target) {
    fixup.FTargetProp->Set(fixup.FTarget, TPropValue(static_cast<TObject*>(target)));
}

bool PropertyHoldsObject(const TPropFixup& fixup) {
    if (!fixup.FTargetProp->Get) return false;
    TPropValue value = fixup.FTargetProp->Get(fixup.FTarget);
    auto* held = std::get_if<TObject*>(&value);
    return held && *held;
}

// Removes, from the last entry to the first, the entries the predicate selects.
template <class Predicate> void DropFromLast(TFixupList& list, Predicate selects) {
    for (size_t i = list.size(); i-- > 0;)
        if (i < list.size() && list[i] && selects(*list[i])) {
            TOwned<TPropFixup> dropped = std::move(list[i]);
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
        }
}

// Destroys the entries the predicate selects but keeps their places, so that
// a walk of the list by index (ApplyPendingRefs) stays in step.
template <class Predicate> void DropInPlace(TFixupList& list, Predicate selects) {
    for (TOwned<TPropFixup>& entry : list)
        if (entry && selects(*entry)) entry.reset();
}

} // namespace

TComponent* FindByPath(TComponent* start, std::string_view path) {
    if (path.empty()) return nullptr;
    TComponent* current = start;
    size_t at = 0;
    while (current) {
        size_t end = path.find_first_of(".-", at);
        if (end == std::string_view::npos) end = path.size();
        std::string_view segment = path.substr(at, end - at);
        TComponent* found = current->FindComponent(segment);
        if (!found && SameName(segment, "Owner")) found = current;
        if (!found) return nullptr;
        at = end;
        if (at < path.size() && path[at] == '.') ++at;
        if (at < path.size() && path[at] == '-') ++at;
        if (at < path.size() && path[at] == '>') ++at;
        current = found;
        if (at >= path.size()) return current;
    }
    return nullptr;
}

void ApplyPendingRefs(TReader& reader) {
    TFixupList* pending = reader.PendingRefs();
    if (!pending) return;
    TPendingGlobalRefs& global = PendingGlobalRefs();
    // A setter may destroy objects whose references wait further on in the
    // list; those entries are emptied in place (DropRefsOf), never erased, and
    // each entry is out of the list while its own property is set.
    for (size_t i = 0; i < pending->size(); ++i) {
        TOwned<TPropFixup> fixup = std::move((*pending)[i]);
        if (!fixup) continue;
        std::string name = fixup->FPathText;
        reader.AdjustReference(name);
        TComponent* target = FindByPath(fixup->FTargetRoot, name);
        {
            // The last reference read for a property wins.
            std::lock_guard guard(global.lock);
            DropFromLast(global.entries, [&](const TPropFixup& entry) {
                return entry.FTarget == fixup->FTarget && entry.FTargetProp == fixup->FTargetProp;
            });
        }
        size_t dot = name.find('.');
        if (target || dot == std::string::npos) {
            if (!Fits(*fixup, target)) {
                std::string message = WrongClassMessage(*fixup);
                if (!reader.ReportError(message)) throw EReadError(message);
                continue;
            }
            SetReference(*fixup, target);
            continue;
        }
        fixup->FRootText = name.substr(0, dot);
        fixup->FPathText = name.substr(dot + 1);
        std::lock_guard guard(global.lock);
        global.entries.push_back(std::move(fixup));
    }
}

void ApplyGlobalRefs() {
    if (!GlobalComponentLookup) return;
    TWriteGuard nameSpace(NameSpaceLock());
    TPendingGlobalRefs& global = PendingGlobalRefs();
    std::lock_guard guard(global.lock);
    // A reference to a component of the wrong class is reported once every
    // entry has had its turn, so that one bad entry does not hold up the rest.
    std::string wrongClass;
    for (size_t i = 0; i < global.entries.size();) {
        TPropFixup& fixup = *global.entries[i];
        TComponent* root = GlobalComponentLookup(fixup.FRootText);
        if (!root && !PropertyHoldsObject(fixup)) {
            ++i;
            continue;
        }
        // Out of the list before the property is set, so that what the setter
        // does cannot reach this entry.
        TOwned<TPropFixup> entry = std::move(global.entries[i]);
        global.entries.erase(global.entries.begin() + static_cast<std::ptrdiff_t>(i));
        if (!root) continue;
        TComponent* target = FindByPath(root, entry->FPathText);
        if (Fits(*entry, target))
            SetReference(*entry, target);
        else if (wrongClass.empty())
            wrongClass = WrongClassMessage(*entry);
    }
    if (!wrongClass.empty()) throw EReadError(wrongClass);
}

void DropGlobalRefs(TComponent* root, std::string_view rootName) {
    TPendingGlobalRefs& global = PendingGlobalRefs();
    std::lock_guard guard(global.lock);
    DropFromLast(global.entries, [&](const TPropFixup& entry) {
        return (!root || entry.FTargetRoot == root) &&
               (rootName.empty() || SameName(entry.FRootText, rootName));
    });
}

void DropRefsOf(const TPersistent* object) {
    auto targets = [&](const TPropFixup& entry) { return entry.FTarget == object; };
    for (TFixupList* list : activeLists)
        DropInPlace(*list, targets);
    TPendingGlobalRefs& global = PendingGlobalRefs();
    std::lock_guard guard(global.lock);
    DropFromLast(global.entries, targets);
}

size_t PendingGlobalRefCount() {
    TPendingGlobalRefs& global = PendingGlobalRefs();
    std::lock_guard guard(global.lock);
    return global.entries.size();
}

TActiveFixupList::TActiveFixupList(TFixupList& list) : FList(list) {
    activeLists.push_back(&FList);
}

TActiveFixupList::~TActiveFixupList() {
    std::erase(activeLists, &FList);
}
