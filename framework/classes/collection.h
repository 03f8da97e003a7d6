// TCollection: an owned, ordered list of items of one item class, filled from
// a description's tgItems value.
#pragma once

#include "framework/classes/persistent.h"

#include <vector>

class TCollection;

class TCollectionItem : public TPersistent {
public:
    DECLARE_CLASS_INFO()

    TCollection* Collection() const { return FCollection; }
    // Leaves the collection, then the base.
    void Destroy() override;

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
};

class TCollection : public TPersistent {
public:
    DECLARE_CLASS_INFO()

    TCollection() = default;
    explicit TCollection(const TClass* itemClass) : FItemClass(itemClass) {}

    const TClass* ItemClass() const { return FItemClass; }
    void SetItemClass(const TClass* itemClass) { FItemClass = itemClass; }

    // Appends a new item of the item class; EInvalidOperation when the item
    // class cannot be created.
    TCollectionItem* Add();
    // Destroys every item.
    void Clear();
    int Count() const { return static_cast<int>(FItems.size()); }
    TCollectionItem* Item(int index) const { return FItems.at(static_cast<size_t>(index)); }

    // Update bracket: Changed runs when the outermost bracket closes.
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }
    // Called when the items changed outside an update bracket.
    virtual void Changed() {}

    // Holds an update bracket for a scope.
    class TUpdateBracket {
    public:
        explicit TUpdateBracket(TCollection& collection) : FCollection(collection) {
            FCollection.BeginUpdate();
        }
        ~TUpdateBracket() { FCollection.EndUpdate(); }
        TUpdateBracket(const TUpdateBracket&) = delete;
        TUpdateBracket& operator=(const TUpdateBracket&) = delete;

    private:
        TCollection& FCollection;
    };

    // Destroys the items, then the base.
    void Destroy() override;

private:
    friend class TCollectionItem;
    void Forget(TCollectionItem* item);

    const TClass* FItemClass = &TCollectionItem::ClassInfo;
    std::vector<TCollectionItem*> FItems;
    int FUpdateCount = 0;
};
