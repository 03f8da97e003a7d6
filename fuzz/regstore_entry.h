// The host registry store's fuzz entry: arbitrary bytes as the store file.
// Shared by the libFuzzer target and the regression test that replays
// fuzz/regressions/regstore/.
#pragma once

#include <cstddef>
#include <cstdint>

// Parses the bytes as a registry file and, through the registry functions,
// as the machine's store. A file that is accepted must be written back in a
// form that reads back to the same tree, and a change must keep everything
// else in it; a file that is refused must stay as it was while every call
// fails with ERROR_BADDB. Aborts when either does not hold.
void FuzzRegstoreInput(const uint8_t* data, size_t size);
