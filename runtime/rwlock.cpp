#include "runtime/rwlock.h"

#include <mutex>

void TMultiReadExclusiveWriteSynchronizer::AcquireRead() {
    std::lock_guard<TLock> lock(mutex_);
    if (writeDepth_ > 0 && writer_ == CurrentThreadTag()) {
        ++writeDepth_; // the writer reads under its own hold
        return;
    }
    while (writeDepth_ != 0)
        changed_.Wait(mutex_);
    ++readers_;
}

void TMultiReadExclusiveWriteSynchronizer::ReleaseRead() {
    std::lock_guard<TLock> lock(mutex_);
    if (writeDepth_ > 0 && writer_ == CurrentThreadTag()) {
        if (--writeDepth_ == 0) writer_ = 0;
    } else if (readers_ > 0) {
        --readers_;
    }
    changed_.WakeAll();
}

void TMultiReadExclusiveWriteSynchronizer::AcquireWrite() {
    std::lock_guard<TLock> lock(mutex_);
    if (writeDepth_ > 0 && writer_ == CurrentThreadTag()) {
        ++writeDepth_;
        return;
    }
    while (writeDepth_ != 0 || readers_ != 0)
        changed_.Wait(mutex_);
    writer_ = CurrentThreadTag();
    writeDepth_ = 1;
}

void TMultiReadExclusiveWriteSynchronizer::ReleaseWrite() {
    std::lock_guard<TLock> lock(mutex_);
    if (writeDepth_ == 0 || writer_ != CurrentThreadTag()) return;
    if (--writeDepth_ == 0) writer_ = 0;
    changed_.WakeAll();
}

bool TMultiReadExclusiveWriteSynchronizer::HeldForWriting() const {
    std::lock_guard<TLock> lock(mutex_);
    return writeDepth_ > 0 && writer_ == CurrentThreadTag();
}
