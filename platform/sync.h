// The program's thread synchronisation primitives.
//
// On Windows they are the system's slim reader/writer lock and condition
// variable (Vista and later), statically initialised, so the program needs no
// threading library of the C++ runtime (which, in MinGW's POSIX thread model,
// is a 32 KB emulation of POSIX threads). Elsewhere they are the C++
// library's. Both kinds need no set-up and no clean-up, so they can be
// members of objects of any lifetime, globals included.
#pragma once

#include <cstdint>

#ifdef _WIN32
#include "platform/win32.h"
#else
#include <condition_variable>
#include <mutex>
#include <pthread.h>
#endif

// An exclusive, non-recursive lock (BasicLockable: lock, unlock).
class TPlatformMutex {
public:
    constexpr TPlatformMutex() = default;
    TPlatformMutex(const TPlatformMutex&) = delete;
    TPlatformMutex& operator=(const TPlatformMutex&) = delete;
#ifdef _WIN32
    void lock() {
        AcquireSRWLockExclusive(&lock_);
    }
    void unlock() {
        ReleaseSRWLockExclusive(&lock_);
    }

private:
    friend class TPlatformCondition;
    SRWLOCK lock_ = SRWLOCK_INIT;
#else
    void lock() {
        lock_.lock();
    }
    void unlock() {
        lock_.unlock();
    }

private:
    friend class TPlatformCondition;
    std::mutex lock_;
#endif
};

// Waiting for a change made under a TPlatformMutex.
class TPlatformCondition {
public:
    TPlatformCondition() = default;
    TPlatformCondition(const TPlatformCondition&) = delete;
    TPlatformCondition& operator=(const TPlatformCondition&) = delete;
    // Releases the held mutex while it waits and holds it again on return;
    // may return without a wake-up, so callers test their condition again.
    void Wait(TPlatformMutex& mutex) {
#ifdef _WIN32
        SleepConditionVariableSRW(&condition_, &mutex.lock_, INFINITE, 0);
#else
        std::unique_lock<std::mutex> hold(mutex.lock_, std::adopt_lock);
        condition_.wait(hold);
        hold.release();
#endif
    }
    void WakeAll() {
#ifdef _WIN32
        WakeAllConditionVariable(&condition_);
#else
        condition_.notify_all();
#endif
    }

private:
#ifdef _WIN32
    CONDITION_VARIABLE condition_ = CONDITION_VARIABLE_INIT;
#else
    std::condition_variable condition_;
#endif
};

// A number that identifies the calling thread while it runs; never 0.
inline uintptr_t CurrentThreadTag() {
#ifdef _WIN32
    return GetCurrentThreadId();
#else
    return static_cast<uintptr_t>(pthread_self());
#endif
}
