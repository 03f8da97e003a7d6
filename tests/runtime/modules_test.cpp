#include "runtime/modules.h"
#include "runtime/rwlock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

namespace {
std::string trace;
void StartA() { trace += "+A"; }
void StopA() { trace += "-A"; }
void StartB() { trace += "+B"; }
void StopB() { trace += "-B"; }
void Exit1() { trace += "x1"; }
void Exit2() { trace += "x2"; }
const TModuleStep modules[] = {{"a", StartA, StopA}, {"b", StartB, StopB}};

void ReportTrace() { std::fprintf(stderr, "order=%s;", trace.c_str()); }
const TModuleStep reporter[] = {{"report", nullptr, ReportTrace}};

// Starts the modules twice (the second start runs nothing), adds two exit
// steps and halts from inside a handler that swallows every exception.
void HaltFromDeepInside() {
    trace.clear();
    StartModules(reporter);
    StartModules(modules);
    StartModules(modules);
    AddExitStep(Exit1);
    AddExitStep(Exit2);
    try {
        Halt(7);
    } catch (...) {
        std::fputs("caught", stderr);
    }
}

}  // namespace

TEST(Modules, HaltRunsTheExitChainThenStopsModulesInReverse) {
    EXPECT_EXIT(HaltFromDeepInside(), ::testing::ExitedWithCode(7), "order=\\+A\\+Bx2x1-B-A;$");
}

TEST(RwLock, WriterMayReenterAndExcludesReaders) {
    TMultiReadExclusiveWriteSynchronizer lock;
    lock.AcquireWrite();
    lock.AcquireWrite();
    lock.AcquireRead();
    EXPECT_TRUE(lock.HeldForWriting());
    std::atomic<bool> readerIn{false};
    std::thread reader([&] {
        lock.AcquireRead();
        readerIn = true;
        lock.ReleaseRead();
    });
    lock.ReleaseRead();
    lock.ReleaseWrite();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(readerIn);  // still held once
    lock.ReleaseWrite();
    reader.join();
    EXPECT_TRUE(readerIn);
    EXPECT_FALSE(lock.HeldForWriting());
}
