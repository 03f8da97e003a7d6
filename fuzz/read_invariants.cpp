#include "fuzz/read_invariants.h"

#include "framework/streaming/loading.h"
#include "framework/streaming/references.h"
#include "framework/streaming/stream.h"
#include "fuzz/fuzz_input.h"

#include <cstdint>

void CheckStreamWithin(const char* target, TMemoryStream& stream, size_t inputSize) {
    if (stream.Position() > static_cast<int64_t>(inputSize))
        FuzzFailure(target, "stream moved past its end");
}

void CheckNothingPending(const char* target) {
    if (PendingGlobalRefCount() != 0)
        FuzzFailure(target, "pending references outlived their objects");
    if (CurrentLoadBatch()) FuzzFailure(target, "a load batch stayed open");
}
