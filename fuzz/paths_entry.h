// The path and double-byte functions' fuzz entry: runs every function on a
// string under a lead-byte set taken from the input and compares each result
// with the slow reference model (paths_model.h). Shared by the libFuzzer
// target and the regression test that replays fuzz/regressions/paths/.
#pragma once

#include <cstddef>
#include <cstdint>

// Input: a flag byte (bit 0: double-byte locale), twelve bytes of lead-byte
// ranges as GetCPInfo reports them, a delimiter set, a text to search for, a
// byte to search for, then the string itself. Aborts on any difference.
void FuzzPathsInput(const uint8_t* data, size_t size);
