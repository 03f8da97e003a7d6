// The terminate handler of the statically linked Windows programs.
//
// The C++ runtime's default handler is its "verbose" one, which names the
// exception's type with the runtime's general demangler: some 46 KB of code
// that a program showing no C++ names does not otherwise need. Defining the
// verbose handler here, with the same behaviour (the exception's type and
// text on standard error, then abort) but the program's own small decoder of
// type names, keeps the runtime's handler and its demangler out of the
// program. It must be linked into the program itself, ahead of the C++
// runtime's archive, which is why it is not part of the runtime library.
#include "runtime/type_names.h"

#include <cstdio>
#include <cstdlib>
#include <cxxabi.h>
#include <exception>
#include <typeinfo>

namespace {

// Standard error through fputs only: the formatting printf family would link
// the MinGW runtime's own printf implementation.
void Say(const char* text) {
    std::fputs(text, stderr);
}

} // namespace

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    static bool terminating = false;
    if (!terminating) {
        terminating = true;
        if (const std::type_info* type = abi::__cxa_current_exception_type()) {
            Say("terminate called after throwing an instance of '");
            Say(ReadableTypeName(type->name()).c_str());
            Say("'\n");
            try {
                throw;
            } catch (const std::exception& exception) {
                Say("  what():  ");
                Say(exception.what());
                Say("\n");
            } catch (...) {
            }
        } else {
            Say("terminate called without an active exception\n");
        }
    }
    std::abort();
}

} // namespace __gnu_cxx
