// Locks of the runtime and the framework, over the platform's primitives.
// Both work with std::lock_guard (lock, unlock).
#pragma once

#include "platform/sync.h"

#include <atomic>
#include <cstdint>

// An exclusive lock.
using TLock = TPlatformMutex;

// An exclusive lock that the holding thread may take again; it is released
// when it has been released as often as it was taken.
class TRecursiveLock {
public:
    void lock() {
        uintptr_t self = CurrentThreadTag();
        if (owner_.load(std::memory_order_relaxed) == self) {
            ++depth_;
            return;
        }
        mutex_.lock();
        owner_.store(self, std::memory_order_relaxed);
        depth_ = 1;
    }
    void unlock() {
        if (--depth_ > 0) return;
        owner_.store(0, std::memory_order_relaxed);
        mutex_.unlock();
    }

private:
    TPlatformMutex mutex_;
    std::atomic<uintptr_t> owner_{0}; // the holding thread's tag, 0 when free
    int depth_ = 0;
};
