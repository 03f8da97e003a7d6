// References between components read from descriptions: TPropFixup, the
// references that wait for another root to be loaded, and their resolution.
#pragma once

#include "runtime/object.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TPersistent;
class TComponent;
class TReader;
struct TPropInfo;

// One pending reference from an object-typed property to a named component.
class TPropFixup : public TObject {
public:
    DECLARE_CLASS_INFO()

    TPersistent* FTarget = nullptr;         // the object whose property receives the reference
    TComponent* FTargetRoot = nullptr;      // the root in which the name is resolved
    const TPropInfo* FTargetProp = nullptr; // the object-typed property to set
    std::string FRootText;                  // name of another root; empty until global
    std::string FPathText;                  // the component name path
};

using TFixupList = std::vector<TOwned<TPropFixup>>;

// The component that the name path reaches from start, or null. Segments are
// separated by ".", "-" or "->"; each names an owned component (ASCII
// case-insensitive), and "Owner" names the current component itself.
TComponent* FindByPath(TComponent* start, std::string_view path);

// Resolves the reader's pending references in the order they were read; those
// that name another root ("Root.Name") move to the global pending list, the
// others set their property (to no object when the name is not found).
void ApplyPendingRefs(TReader& reader);
// Resolves the global pending references whose root the global component
// lookup now finds (only when the lookup is installed).
void ApplyGlobalRefs();
// Drops the global pending references of the root (all roots when null) whose
// root name is rootName (any when empty).
void DropGlobalRefs(TComponent* root, std::string_view rootName);
// Drops every pending reference that would set a property of the object: the
// global ones and those of the reads running on this thread.
void DropRefsOf(const TPersistent* object);
// The number of global pending references.
size_t PendingGlobalRefCount();

// Makes a reader's pending list known to DropRefsOf while it exists.
class TActiveFixupList {
public:
    explicit TActiveFixupList(TFixupList& list);
    ~TActiveFixupList();
    TActiveFixupList(const TActiveFixupList&) = delete;
    TActiveFixupList& operator=(const TActiveFixupList&) = delete;

private:
    TFixupList& FList;
};
