// libFuzzer's entry of every fuzz target: hands each input to the target's
// own entry function (FUZZ_ENTRY, declared in FUZZ_ENTRY_HEADER), which the
// regression tests call as well.
#include FUZZ_ENTRY_HEADER

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FUZZ_ENTRY(data, size);
    return 0;
}
