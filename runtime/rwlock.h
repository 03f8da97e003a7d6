// TMultiReadExclusiveWriteSynchronizer: many readers or one writer; the
// writing thread may take the lock again (write or read) while it holds it,
// and releases it as often as it took it.
#pragma once

#include "runtime/locks.h"

#include <cstdint>

class TMultiReadExclusiveWriteSynchronizer {
public:
    void AcquireRead();
    void ReleaseRead();
    void AcquireWrite();
    void ReleaseWrite();
    // True when the calling thread holds the writing side.
    bool HeldForWriting() const;

private:
    mutable TLock mutex_;
    TPlatformCondition changed_;
    uintptr_t writer_ = 0; // the writing thread's tag
    int writeDepth_ = 0;   // nested holds of the writer (reads taken by it included)
    int readers_ = 0;      // holds of other threads' readers
};

// Holds the writing side for a scope.
class TWriteGuard {
public:
    explicit TWriteGuard(TMultiReadExclusiveWriteSynchronizer& lock) : lock_(lock) {
        lock_.AcquireWrite();
    }
    ~TWriteGuard() { lock_.ReleaseWrite(); }
    TWriteGuard(const TWriteGuard&) = delete;
    TWriteGuard& operator=(const TWriteGuard&) = delete;

private:
    TMultiReadExclusiveWriteSynchronizer& lock_;
};
