#include "fuzz/fuzz_input.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

std::string TFuzzInput::TakeText(size_t maxLength) {
    size_t length = std::min<size_t>(TakeByte(), maxLength);
    length = std::min(length, size_ - at_);
    std::string text(reinterpret_cast<const char*>(data_ + at_), length);
    at_ += length;
    return text;
}

std::string_view TFuzzInput::Rest() const {
    return std::string_view(reinterpret_cast<const char*>(data_ + at_), size_ - at_);
}

void FuzzFailure(const char* target, const std::string& what) {
    std::fprintf(stderr, "%s fuzz invariant broken: %s\n", target, what.c_str());
    std::abort();
}

void EnsureFuzzMachine(const char* target) {
    static bool done = [target] {
        const char* prefix = std::getenv("HOSTWIN_PREFIX");
        if (prefix && *prefix) return true;
        std::string pattern = std::string("/tmp/hostwin-fuzz-") + target + "-XXXXXX";
        if (!mkdtemp(pattern.data()))
            FuzzFailure(target, "cannot make a machine directory under /tmp");
        setenv("HOSTWIN_PREFIX", pattern.c_str(), 1);
        return true;
    }();
    (void)done;
}

TQuietStderr::TQuietStderr() : saved_(dup(STDERR_FILENO)) {
    std::fflush(stderr);
    int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
        dup2(null, STDERR_FILENO);
        close(null);
    }
}

TQuietStderr::~TQuietStderr() {
    std::fflush(stderr);
    if (saved_ >= 0) {
        dup2(saved_, STDERR_FILENO);
        close(saved_);
    }
}
