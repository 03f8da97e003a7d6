// Replays the fuzz regressions and seeds of the host profile functions and
// of the host registry store through their fuzz entries.
#include "fuzz/profile_entry.h"
#include "fuzz/regstore_entry.h"
#include "tests/support/fuzz_replay.h"

namespace {

TEST(ProfileFuzzRegressions, EveryRegressionAndSeedHoldsTheInvariants) {
    fuzz_replay::ReplayFuzzInputs("profile", FuzzProfileInput);
}

TEST(RegistryStoreFuzzRegressions, EveryRegressionAndSeedHoldsTheInvariants) {
    fuzz_replay::ReplayFuzzInputs("regstore", FuzzRegstoreInput);
}

} // namespace
