#include "framework/classes/collection.h"

#include "runtime/exceptions.h"
#include "runtime/new_instance.h"

#include <algorithm>

constinit const TClass TCollectionItem::ClassInfo =
    MakeClass<TCollectionItem>("TCollectionItem", &TPersistent::ClassInfo);
constinit const TClass TCollection::ClassInfo =
    MakeClass<TCollection>("TCollection", &TPersistent::ClassInfo);

void TCollectionItem::Destroy() {
    if (FCollection) FCollection->Forget(this);
    TPersistent::Destroy();
}

TCollectionItem* TCollection::Add() {
    auto* item = NewInstanceAs<TCollectionItem, EInvalidOperation>(FItemClass);
    item->FCollection = this;
    FItems.push_back(item);
    if (FUpdateCount == 0) Changed();
    return item;
}

void TCollection::Clear() {
    if (FItems.empty()) return;
    BeginUpdate();
    while (!FItems.empty())
        FreeObject(FItems.back());
    EndUpdate();
}

void TCollection::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0) Changed();
}

void TCollection::Forget(TCollectionItem* item) {
    auto it = std::find(FItems.begin(), FItems.end(), item);
    if (it != FItems.end()) FItems.erase(it);
    item->FCollection = nullptr;
}

void TCollection::Destroy() {
    FUpdateCount = 1; // no change notifications while dying
    while (!FItems.empty())
        FreeObject(FItems.back());
    TPersistent::Destroy();
}
