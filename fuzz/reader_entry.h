// The reader's fuzz entry: reads arbitrary bytes as a form description in
// every way the reader can be used. Shared by the libFuzzer target and the
// regression test that replays fuzz/regressions/reader/ on every test run.
#pragma once

#include <cstddef>
#include <cstdint>

// Reads the bytes into a form-like root, into a root with a property of every
// kind, into a root created from the class registry, and once more with an
// error handler that accepts every error. Exceptions of the framework's tree
// are expected outcomes; anything else (a crash, a sanitizer report, a
// pending reference or load list left behind) aborts.
void FuzzReaderInput(const uint8_t* data, size_t size);
