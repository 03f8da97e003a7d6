// The host profile functions' fuzz entry: arbitrary bytes as an INI file.
// Shared by the libFuzzer target and the regression test that replays
// fuzz/regressions/profile/.
#pragma once

#include <cstddef>
#include <cstdint>

// Input: a flag byte, a buffer size, a section, a key and a value, then the
// file's bytes. Reads and lists through buffers with sentinels after them,
// then writes (sets a value, removes a key or a section) and checks that the
// written value reads back and every other entry still reads as before.
// Aborts when something does not hold.
void FuzzProfileInput(const uint8_t* data, size_t size);
