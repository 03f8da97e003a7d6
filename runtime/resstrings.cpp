#include "runtime/resstrings.h"

#include "platform/win32.h"
#include "runtime/module_registry.h"

namespace {

std::string LoadStringOf(HINSTANCE module, unsigned id) {
    // A string-table entry holds at most 65535 characters; 4096 bytes are
    // ample for the framework's messages.
    char buffer[4096];
    int length = LoadStringA(module, id, buffer, sizeof(buffer));
    return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

} // namespace

std::string LoadResString(unsigned id) {
    HINSTANCE program = GetModuleHandleA(nullptr);
    HINSTANCE module = ResourceModuleOf(program);
    std::string text = LoadStringOf(module, id);
    // A language resource module that lacks the entry (or has no string table
    // at all) must not leave the message empty: the program's own text serves.
    if (text.empty() && module != program) text = LoadStringOf(program, id);
    return text;
}

std::string FormatResString(unsigned id, std::initializer_list<FormatArg> args) {
    return Format(LoadResString(id), args);
}
