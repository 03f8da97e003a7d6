#include "framework/streaming/loading.h"

#include "framework/classes/component.h"

#include <algorithm>
#include <memory>

namespace {

struct TLoadBatch {
    std::unique_ptr<TLoadedList> current;
    std::vector<std::unique_ptr<TLoadedList>> suspended;
};

thread_local TLoadBatch loadBatch;
// The own lists of the reads running on this thread without a batch.
thread_local std::vector<TLoadedList*> readerLists;

bool OwnedBy(const TComponent* component, const TComponent* owner) {
    for (const TComponent* c = component; c; c = c->Owner())
        if (c == owner) return true;
    return false;
}

} // namespace

TMultiReadExclusiveWriteSynchronizer& NameSpaceLock() {
    static TMultiReadExclusiveWriteSynchronizer lock;
    return lock;
}

void OpenLoadBatch() {
    loadBatch.suspended.push_back(std::move(loadBatch.current));
    loadBatch.current = std::make_unique<TLoadedList>();
}

void FinishLoadBatch() {
    TLoadedList* list = loadBatch.current.get();
    if (!list) return;
    size_t count = list->size();
    for (size_t i = 0; i < count && i < list->size(); ++i)
        (*list)[i]->DescriptionLoaded();
}

void CloseLoadBatch() {
    if (loadBatch.suspended.empty()) {
        loadBatch.current.reset();
        return;
    }
    loadBatch.current = std::move(loadBatch.suspended.back());
    loadBatch.suspended.pop_back();
}

TLoadedList* CurrentLoadBatch() {
    return loadBatch.current.get();
}

void ForgetLoadedComponent(TComponent* component) {
    auto forget = [&](TLoadedList* list) {
        if (list) std::erase_if(*list, [&](TComponent* c) { return OwnedBy(c, component); });
    };
    forget(loadBatch.current.get());
    for (auto& list : loadBatch.suspended)
        forget(list.get());
    for (TLoadedList* list : readerLists)
        forget(list);
}

TActiveLoadedList::TActiveLoadedList(TLoadedList& list) : FList(list) {
    readerLists.push_back(&FList);
}

TActiveLoadedList::~TActiveLoadedList() {
    std::erase(readerLists, &FList);
}
