// Replays the launcher form's fuzz regressions and seed corpus through the
// fuzz target's own entry, so that every test run checks them.
#include "fuzz/form_entry.h"
#include "tests/support/fuzz_replay.h"

namespace {

TEST(FormFuzzRegressions, EveryRegressionAndSeedLoadsShowsAndEndsWithoutFault) {
    fuzz_replay::ReplayFuzzInputs("form", FuzzFormInput);
}

} // namespace
