// TCollection: an owned, ordered list of items of one item class, filled from
// a description's tgItems value.
#pragma once

#include "framework/classes/persistent.h"

#include <vector>

class TCollection;

class TCollectionItem : public TPersistent {
public:
    DECLARE_CLASS_INFO()

    TCollection* Collection() const { return collection_; }
    // Leaves the collection, then the base.
    void Destroy() override;

private:
    friend class TCollection;
    TCollection* collection_ = nullptr;
};

class TCollection : public TPersistent {
public:
    DECLARE_CLASS_INFO()

    TCollection() = default;
    explicit TCollection(const TClass* itemClass) : itemClass_(itemClass) {}

    const TClass* ItemClass() const { return itemClass_; }
    void SetItemClass(const TClass* itemClass) { itemClass_ = itemClass; }

    // Appends a new item of the item class; EInvalidOperation when the item
    // class cannot be created.
    TCollectionItem* Add();
    // Destroys every item.
    void Clear();
    int Count() const { return static_cast<int>(items_.size()); }
    TCollectionItem* Item(int index) const { return items_.at(static_cast<size_t>(index)); }

    // Update bracket: Changed runs when the outermost bracket closes.
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }
    // Called when the items changed outside an update bracket.
    virtual void Changed() {}

    // Holds an update bracket for a scope.
    class TUpdateBracket {
    public:
        explicit TUpdateBracket(TCollection& collection) : collection_(collection) {
            collection_.BeginUpdate();
        }
        ~TUpdateBracket() { collection_.EndUpdate(); }
        TUpdateBracket(const TUpdateBracket&) = delete;
        TUpdateBracket& operator=(const TUpdateBracket&) = delete;

    private:
        TCollection& collection_;
    };

    // Destroys the items, then the base.
    void Destroy() override;

private:
    friend class TCollectionItem;
    void Forget(TCollectionItem* item);

    const TClass* itemClass_ = &TCollectionItem::ClassInfo;
    std::vector<TCollectionItem*> items_;
    int updateCount_ = 0;
};
