#include "runtime/modules.h"
#include "runtime/rwlock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

namespace {
std::string trace;
constexpr TModuleStep moduleA{"a", [] { trace += "+A"; }, [] { trace += "-A"; }};
constexpr TModuleStep moduleB{"b", [] { trace += "+B"; }, [] { trace += "-B"; }};
const TModuleStep modules[] = {moduleA, moduleB};

void ReportTrace() {
    std::fprintf(stderr, "order=%s;", trace.c_str());
}
const TModuleStep reporter[] = {{"report", nullptr, ReportTrace}};

// Starts the modules twice (the second start runs nothing), adds two exit
// steps and halts from inside a handler that swallows every exception.
void HaltFromDeepInside() {
    trace.clear();
    StartModules(reporter);
    StartModules(modules);
    StartModules(modules);
    AddExitStep([] { trace += "x1"; });
    AddExitStep([] { trace += "x2"; });
    try {
        Halt(7);
    } catch (...) {
        std::fputs("caught", stderr);
    }
}

void StartRaising() {
    throw 42;
}
int MainRaising() {
    throw 7;
}
int MainReturning() {
    return 0;
}
void ReportCaught() {
    try {
        throw;
    } catch (int value) {
        trace += "report" + std::to_string(value);
    }
}

// A start step that raises (the modules after it never start) and a main
// function that raises.
void RunRaisingStart() {
    trace.clear();
    const TModuleStep raising[] = {
        {"report", nullptr, ReportTrace}, moduleA, {"r", StartRaising, nullptr}, moduleB};
    RunProgram(raising, MainReturning, ReportCaught);
}
void RunRaisingMain() {
    trace.clear();
    RunProgram(reporter, MainRaising, ReportCaught);
}

} // namespace

TEST(Modules, AnExceptionFromAStartStepOrTheMainFunctionIsReportedAndEndsInOrder) {
    EXPECT_EXIT(RunRaisingStart(), ::testing::ExitedWithCode(0), "order=\\+Areport42-A;$");
    EXPECT_EXIT(RunRaisingMain(), ::testing::ExitedWithCode(0), "order=report7;$");
}

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
    EXPECT_FALSE(readerIn); // still held once
    lock.ReleaseWrite();
    reader.join();
    EXPECT_TRUE(readerIn);
    EXPECT_FALSE(lock.HeldForWriting());
}
