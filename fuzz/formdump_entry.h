// formdump --compile's fuzz entry: arbitrary bytes as the JSON of a
// description. Shared by the libFuzzer target and the regression test that
// replays fuzz/regressions/formdump/.
#pragma once

#include <cstddef>
#include <cstdint>

// Parses the bytes as JSON and compiles the document. A malformed document
// or one of the wrong shape must be refused with formdump's own errors; a
// document that compiles must give a description that dumps and compiles
// back to the same bytes. Aborts when either does not hold.
void FuzzFormdumpInput(const uint8_t* data, size_t size);
