// Replays a fuzz target's inputs through its entry function in the ordinary
// test suite: every file of fuzz/regressions/<target>/ (inputs that once
// broke something) and of its seed corpus fuzz/corpus/<target>/. The entry
// aborts the process on a broken invariant.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fuzz_replay {

// The regular files of a directory, in name order; none when it is missing.
inline std::vector<std::filesystem::path> InputsIn(const std::filesystem::path& directory) {
    std::vector<std::filesystem::path> inputs;
    if (!std::filesystem::is_directory(directory)) return inputs;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        if (entry.is_regular_file()) inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

// Runs every regression and seed of the target through the entry.
inline void ReplayFuzzInputs(const std::string& target, void (*entry)(const uint8_t*, size_t)) {
    const std::filesystem::path fuzz = std::filesystem::path(SETUP_SOURCE_DIR) / "fuzz";
    std::vector<std::filesystem::path> seeds = InputsIn(fuzz / "corpus" / target);
    // Every target keeps seeds: none found means the folder is not where it should be.
    ASSERT_FALSE(seeds.empty()) << "no seed corpus for " << target;
    std::vector<std::filesystem::path> inputs = InputsIn(fuzz / "regressions" / target);
    inputs.insert(inputs.end(), seeds.begin(), seeds.end());
    for (const auto& path : inputs) {
        std::ifstream file(path, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                   std::istreambuf_iterator<char>());
        SCOPED_TRACE(path.string());
        entry(bytes.data(), bytes.size());
    }
}

} // namespace fuzz_replay
