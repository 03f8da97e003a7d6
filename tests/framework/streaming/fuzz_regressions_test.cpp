// Replays the reader's fuzz regressions and seed corpus through the fuzz
// target's own entry, so that every test run checks them.
#include "fuzz/reader_entry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<std::filesystem::path> InputsIn(const std::filesystem::path& directory) {
    std::vector<std::filesystem::path> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        if (entry.is_regular_file()) inputs.push_back(entry.path());
    return inputs;
}

TEST(ReaderFuzzRegressions, EveryRegressionAndSeedReadsWithoutFault) {
    const std::filesystem::path fuzz = std::filesystem::path(SETUP_SOURCE_DIR) / "fuzz";
    std::vector<std::filesystem::path> inputs = InputsIn(fuzz / "regressions" / "reader");
    EXPECT_GE(inputs.size(), 5u);
    for (const auto& seed : InputsIn(fuzz / "corpus" / "reader")) inputs.push_back(seed);
    for (const auto& path : inputs) {
        std::ifstream file(path, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        SCOPED_TRACE(path.filename().string());
        // The entry aborts the process on any broken invariant.
        FuzzReaderInput(bytes.data(), bytes.size());
    }
}

}  // namespace
