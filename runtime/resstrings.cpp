#include "runtime/resstrings.h"

#include "platform/win32.h"

#include <atomic>

namespace {
std::atomic<HMODULE> stringModule{nullptr};
}

void SetResourceStringModule(void* module) { stringModule = static_cast<HMODULE>(module); }

std::string LoadResString(unsigned id) {
    HMODULE module = stringModule.load();
    if (!module) module = GetModuleHandleA(nullptr);
    // A string-table entry holds at most 65535 characters; 4096 bytes are
    // ample for the framework's messages.
    char buffer[4096];
    int length = LoadStringA(module, id, buffer, sizeof(buffer));
    return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

std::string FormatResString(unsigned id, std::initializer_list<FormatArg> args) {
    return Format(LoadResString(id), args);
}
