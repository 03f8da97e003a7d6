#include "runtime/hex.h"

std::string UpperHex(uint64_t value, int minimumDigits) {
    std::string digits;
    do {
        digits.insert(digits.begin(), "0123456789ABCDEF"[value & 15]);
        value >>= 4;
    } while (value);
    if (minimumDigits > 0 && digits.size() < static_cast<size_t>(minimumDigits))
        digits.insert(0, static_cast<size_t>(minimumDigits) - digits.size(), '0');
    return digits;
}
