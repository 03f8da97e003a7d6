// The whole launcher on the host against a baseline program: each iteration
// starts the program as a new process from the medium's directory and waits
// for it; the time is wall-clock time, and the peak resident memory of the
// process (wait4's maximum resident set size) is reported beside it.
//
// The medium: Inst_English\SETUP.INI naming the product and a stand-in setup
// program that ends at once. The machine: no earlier copy and no per-user
// key, so the launcher takes its normal road (look up the configuration,
// check for an earlier copy, delete the per-user key, start the setup
// program, end) without writing the registry.
#include "bench/bench_machine.h"

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& path, const std::string& contents, bool executable = false) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << contents;
    if (executable) fs::permissions(path, fs::perms::owner_all, fs::perm_options::add);
}

// The medium beside the benchmark's machine, made once: copies of both
// programs, so that each finds its (absent) language resource file beside it
// as it would on a real medium.
const fs::path& Medium() {
    static const fs::path medium = [] {
        fs::path made = fs::path(BenchMachinePrefix()) / "launcher-medium";
        fs::remove_all(made);
        fs::create_directories(made);
        fs::copy_file(SETUP_PROGRAM, made / "Setup.exe");
        fs::copy_file(BASELINE_PROGRAM, made / "Baseline.exe");
        WriteFile(made / "Inst_English" / "SETUP.INI", "[Startup]\r\nAppName=SOLVENTRA 2\r\n");
        WriteFile(made / "Inst_English" / "Setup.exe", "#!/bin/sh\nexit 0\n", true);
        return made;
    }();
    return medium;
}

// The environment of each run: the caller's, with the host machine set to
// the benchmark's own, an English locale and the journal discarded.
std::vector<std::string> RunEnvironment() {
    std::vector<std::string> variables;
    for (char** entry = environ; *entry; ++entry)
        if (std::string(*entry).rfind("HOSTWIN_", 0) != 0) variables.emplace_back(*entry);
    variables.push_back("HOSTWIN_PREFIX=" +
                        (fs::path(BenchMachinePrefix()) / "launcher-machine").string());
    variables.push_back("HOSTWIN_LCID=1033");
    variables.push_back("HOSTWIN_JOURNAL=/dev/null");
    return variables;
}

// Starts the program in the medium's directory, waits for it and returns its
// peak resident set size in KiB; the exit status must be 0.
long RunOnce(benchmark::State& state, const std::string& program, const std::vector<char*>& envp) {
    const std::string path = (Medium() / program).string();
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, Medium().c_str());
    pid_t pid = 0;
    int failed = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failed) {
        state.SkipWithError("the program could not be started");
        return 0;
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        state.SkipWithError("the program did not end with status 0");
        return 0;
    }
    return usage.ru_maxrss;
}

void RunProgramBenchmark(benchmark::State& state, const std::string& program) {
    const std::vector<std::string> variables = RunEnvironment();
    std::vector<char*> envp;
    for (const std::string& variable : variables)
        envp.push_back(const_cast<char*>(variable.c_str()));
    envp.push_back(nullptr);
    long peakKiB = 0;
    for (auto _ : state) {
        auto started = std::chrono::steady_clock::now();
        long peak = RunOnce(state, program, envp);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
        if (peak > peakKiB) peakKiB = peak;
    }
    state.counters["peak_KiB"] = static_cast<double>(peakKiB);
}

void LauncherNormalRoad(benchmark::State& state) {
    RunProgramBenchmark(state, "Setup.exe");
}
void BaselineProgram(benchmark::State& state) {
    RunProgramBenchmark(state, "Baseline.exe");
}

} // namespace

BENCHMARK(BaselineProgram)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(LauncherNormalRoad)->UseManualTime()->Unit(benchmark::kMillisecond);
