// Process-wide and per-thread state of loading: the name-space lock held while
// components are created, read or destroyed, and the per-thread load batch
// that collects the components of one or more reads until their after-loading
// calls.
#pragma once

#include "runtime/rwlock.h"

#include <vector>

class TComponent;

// The process-wide lock, taken for writing for a whole root read, for global
// reference resolution and by the forms layer while a form is constructed or
// destroyed. Its writing side is re-entrant for the thread that holds it.
TMultiReadExclusiveWriteSynchronizer& NameSpaceLock();

using TLoadedList = std::vector<TComponent*>;

// Suspends the thread's current load list (if any) and makes a new empty one current.
void OpenLoadBatch();
// Calls DescriptionLoaded on each component of the current list, in recording
// order; the count is taken once at the start.
void FinishLoadBatch();
// Frees the current list and makes the last suspended one current again.
void CloseLoadBatch();
// The thread's current load list, or null when no batch is open.
TLoadedList* CurrentLoadBatch();

// Removes the component and every component it owns, directly or not, from
// the load lists of the thread (the batches and the lists of the reads that
// run without one), so that none of them is called after it is destroyed.
// Every component calls it when it is destroyed.
void ForgetLoadedComponent(TComponent* component);

// Makes a reader's own load list (a read without an open batch) known to
// ForgetLoadedComponent while it exists.
class TActiveLoadedList {
public:
    explicit TActiveLoadedList(TLoadedList& list);
    ~TActiveLoadedList();
    TActiveLoadedList(const TActiveLoadedList&) = delete;
    TActiveLoadedList& operator=(const TActiveLoadedList&) = delete;

private:
    TLoadedList& FList;
};
