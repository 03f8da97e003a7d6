#include "framework/classes/collection.h"

#include "runtime/exceptions.h"
#include "runtime/new_instance.h"

#include <algorithm>

constinit const TClass TCollectionItem::ClassInfo =
    MakeClass<TCollectionItem>("TCollectionItem", &TPersistent::ClassInfo);
constinit const TClass TCollection::ClassInfo =
    MakeClass<TCollection>("TCollection", &TPersistent::ClassInfo);

void TCollectionItem::Destroy() {
    if (collection_) collection_->Forget(this);
    TPersistent::Destroy();
}

TCollectionItem* TCollection::Add() {
    auto* item = NewInstanceAs<TCollectionItem, EInvalidOperation>(itemClass_);
    item->collection_ = this;
    items_.push_back(item);
    if (updateCount_ == 0) Changed();
    return item;
}

void TCollection::Clear() {
    if (items_.empty()) return;
    BeginUpdate();
    while (!items_.empty())
        FreeObject(items_.back());
    EndUpdate();
}

void TCollection::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0) Changed();
}

void TCollection::Forget(TCollectionItem* item) {
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it != items_.end()) items_.erase(it);
    item->collection_ = nullptr;
}

void TCollection::Destroy() {
    updateCount_ = 1; // no change notifications while dying
    while (!items_.empty())
        FreeObject(items_.back());
    TPersistent::Destroy();
}
