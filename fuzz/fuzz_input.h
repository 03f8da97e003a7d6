// Helpers shared by the fuzz entries: splitting the fuzzer's bytes into the
// arguments of a call, and the machine a host-level entry runs on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

// Takes the arguments of one run from the front of the input; what is left
// at the end is the run's main input (file bytes, a string). Reading past the
// end gives zeros and empty texts, so every input is a valid run.
class TFuzzInput {
public:
    TFuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint8_t TakeByte() { return at_ < size_ ? data_[at_++] : 0; }
    bool TakeFlag() { return (TakeByte() & 1) != 0; }
    // A text of up to maxLength bytes: a length byte, then that many bytes.
    std::string TakeText(size_t maxLength);
    // Everything not taken yet.
    std::string_view Rest() const;

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// Stops the process with the invariant that an entry found broken; libFuzzer
// keeps the input and the regression tests name it.
[[noreturn]] void FuzzFailure(const char* target, const std::string& what);

// Gives a host-level entry a machine of its own: when HOSTWIN_PREFIX is not
// set (a fuzz target started by hand), a new directory under /tmp, so that a
// fuzz run never touches the user's own machine. Call before the first
// platform call.
void EnsureFuzzMachine(const char* target);

// Sends standard error to /dev/null while it lives (the host reports every
// refused store there), and restores it.
class TQuietStderr {
public:
    TQuietStderr();
    ~TQuietStderr();
    TQuietStderr(const TQuietStderr&) = delete;
    TQuietStderr& operator=(const TQuietStderr&) = delete;

private:
    int saved_;
};
