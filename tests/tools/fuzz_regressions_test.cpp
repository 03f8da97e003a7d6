// Replays the fuzz regressions and seeds of formdump --compile through its
// fuzz entry.
#include "fuzz/formdump_entry.h"
#include "tests/support/fuzz_replay.h"

namespace {

TEST(FormdumpFuzzRegressions, EveryRegressionAndSeedCompilesOrIsRefused) {
    fuzz_replay::ReplayFuzzInputs("formdump", FuzzFormdumpInput);
}

} // namespace
