// libFuzzer target of the form description reader.
#include "fuzz/reader_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzReaderInput(data, size);
    return 0;
}
