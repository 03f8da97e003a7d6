// Arithmetic on positions and sizes. A form description can give a control
// any 32-bit position and size, so sums and differences of them are worked
// out in 64 bits and saturated to the range of int: they never overflow.
#pragma once

#include <cstdint>

// The value clamped to the range of int. Out of line: on the 32-bit build
// each 64-bit comparison written in place costs more than the call.
int SaturatedInt(int64_t value);
