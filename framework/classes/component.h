// TComponent: name, owner, the owned components searchable by name, the
// life-state set, and the operations the form description reader relies on.
#pragma once

#include "framework/classes/name_index.h"
#include "framework/classes/persistent.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TReader;

// Members of the life-state set TLifeState, as bit values.
enum TLifeStateFlag : uint16_t {
    lsLoading = 1u << 0, // being read from a description; cleared by DescriptionLoaded
    lsReading = 1u << 1, // its own body is being applied
    lsWriting = 1u << 2,
    lsDestroying = 1u << 3, // destruction has started
    lsDesignTime = 1u << 4, // never set in this program
    lsEmbedded = 1u << 9,   // an embedded sub-root
};
using TLifeState = uint16_t;

class TComponent : public TPersistent {
public:
    DECLARE_CLASS_INFO()

    TComponent() = default;

    // The owner-taking virtual constructor: runs on the complete object after
    // allocation. Overrides call the base first. The owner, when given, takes
    // the component into its list and destroys it with itself.
    virtual void Create(TComponent* owner);
    // Marks the component destroying, destroys the components it owns and
    // leaves its owner.
    void Destroy() override;
    void DestructionStarting() override;

    TComponent* Owner() const { return FOwner; }
    const std::string& Name() const { return FName; }
    // Renames the component; raises EComponentError for a name that is not an
    // identifier or that another component of the same owner carries.
    virtual void SetName(const std::string& name);

    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Component(int index) const { return FComponents[static_cast<size_t>(index)]; }
    // The first owned component of that name, ASCII case-insensitive; null for
    // an empty name or none.
    TComponent* FindComponent(std::string_view name) const;
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

    TLifeState LifeState() const { return FLifeState; }
    bool HasState(TLifeState flags) const { return (FLifeState & flags) != 0; }
    void IncludeState(TLifeState flags) { FLifeState |= flags; }
    void ExcludeState(TLifeState flags) { FLifeState &= static_cast<TLifeState>(~flags); }

    // Reading from a description.
    // Applies the component's own part of a description; the default reads
    // its body (properties and children) with the reader.
    virtual void ApplyDescription(TReader& reader);
    // After-loading hook; the default clears lsLoading.
    virtual void DescriptionLoaded();
    // Owner of children created while this component's body is read (null: the root).
    virtual TComponent* ChildOwnerFor();
    // Parent of children read in this component's body (default: itself).
    virtual TComponent* ChildParentFor();
    virtual void PlaceChild(TComponent* child, int position);
    virtual void AttachToParent(TComponent* parent);
    virtual TComponent* ParentComponentOf();
    // Declares the custom properties "Left" and "Top" (the design position).
    void DeclareExtraProperties(TFiler& filer) override;

    // Design position of a non-visual component: Left in the low and Top in
    // the high 16 bits.
    int32_t DesignOffset() const { return FDesignOffset; }
    void SetDesignOffset(int32_t offset) { FDesignOffset = offset; }

private:
    // Owners of this many components or more keep an index of their names.
    static constexpr size_t IndexedFrom = 16;
    void IndexNames();

    TComponent* FOwner = nullptr;
    std::string FName;
    std::vector<TComponent*> FComponents;
    TComponentNameIndex FNameIndex; // the named FComponents, once they are many
    TLifeState FLifeState = 0;
    int32_t FDesignOffset = 0;
};

// Creates a component of a class record with an owner: allocation, the
// initial life state, Create, ConstructionFinished. When Create raises, the
// object is destroyed without DestructionStarting and the exception goes on.
TComponent* ConstructComponent(const TClass* cls, TComponent* owner, TLifeState initialState = 0);

template <class T> T* NewComponent(TComponent* owner) {
    return static_cast<T*>(ConstructComponent(&T::ClassInfo, owner));
}

// True when the text is an identifier: a letter or underscore, then letters,
// digits and underscores (ASCII).
bool IsValidIdentifier(std::string_view name);
