// Replays the fuzz regressions and seeds of the path and double-byte
// functions through their fuzz entry, which compares them with the model.
#include "fuzz/paths_entry.h"
#include "tests/support/fuzz_replay.h"

namespace {

TEST(PathsFuzzRegressions, EveryRegressionAndSeedAgreesWithTheModel) {
    fuzz_replay::ReplayFuzzInputs("paths", FuzzPathsInput);
}

} // namespace
