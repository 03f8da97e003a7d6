// Replays the reader's fuzz regressions and seed corpus through the fuzz
// target's own entry, so that every test run checks them.
#include "fuzz/reader_entry.h"
#include "tests/support/fuzz_replay.h"

namespace {

TEST(ReaderFuzzRegressions, EveryRegressionAndSeedReadsWithoutFault) {
    ASSERT_GE(
        fuzz_replay::InputsIn(std::filesystem::path(SETUP_SOURCE_DIR) / "fuzz/regressions/reader")
            .size(),
        5u);
    fuzz_replay::ReplayFuzzInputs("reader", FuzzReaderInput);
}

} // namespace
