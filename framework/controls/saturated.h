// Arithmetic on positions and sizes. A form description can give a control
// any 32-bit position and size, so sums and differences of them are worked
// out in 64 bits and saturated to the range of int: they never overflow.
#pragma once

#include <cstdint>
#include <limits>

// The value clamped to the range of int.
constexpr int SaturatedInt(int64_t value) {
    if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}
