// The recursive lock: its holder may take it again; others wait until it has
// been released as often as it was taken.
#include "runtime/locks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

TEST(RecursiveLock, HolderReentersOthersWaitForTheLastRelease) {
    TRecursiveLock lock;
    lock.lock();
    lock.lock();
    std::atomic<bool> otherIn{false};
    std::thread other([&] {
        std::lock_guard<TRecursiveLock> hold(lock);
        otherIn = true;
    });
    lock.unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(otherIn); // still held once
    lock.unlock();
    other.join();
    EXPECT_TRUE(otherIn);
    // Free again: this thread takes it anew.
    std::lock_guard<TRecursiveLock> hold(lock);
}

TEST(RecursiveLock, CountsStayExactUnderContention) {
    TRecursiveLock lock;
    long counter = 0;
    auto work = [&] {
        for (int i = 0; i < 2000; ++i) {
            std::lock_guard<TRecursiveLock> outer(lock);
            std::lock_guard<TRecursiveLock> inner(lock);
            ++counter;
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 4000);
}
