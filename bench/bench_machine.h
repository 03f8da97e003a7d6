// The host machine the benchmarks run on, and a stream over bytes the
// benchmark keeps (so that no iteration copies a large description).
#pragma once

#include "framework/streaming/stream.h"

#include <cstdint>
#include <string>
#include <vector>

// $HOSTWIN_PREFIX, made a new directory under /tmp when it is not set, so a
// benchmark never works on the user's own machine.
std::string BenchMachinePrefix();

// A read-only stream over bytes owned by the caller, as a resource stream is.
class TBytesStream : public TCustomMemoryStream {
public:
    explicit TBytesStream(const std::vector<uint8_t>& bytes) {
        SetPointer(bytes.data(), static_cast<int64_t>(bytes.size()));
    }
};
