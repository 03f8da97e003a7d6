// The benchmark programs' main: a host machine of their own, then Google
// Benchmark with its usual command line.
#include "bench/bench_machine.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

std::string BenchMachinePrefix() {
    static const std::string prefix = [] {
        const char* set = std::getenv("HOSTWIN_PREFIX");
        if (set && *set) return std::string(set);
        std::string made = "/tmp/hostwin-bench-XXXXXX";
        if (!mkdtemp(made.data())) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        setenv("HOSTWIN_PREFIX", made.c_str(), 1);
        return made;
    }();
    return prefix;
}

int main(int argc, char** argv) {
    BenchMachinePrefix();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
