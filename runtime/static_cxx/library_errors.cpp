// How the C++ library's own error reports are raised in the statically
// linked Windows programs.
//
// The library raises its programming-error exceptions (a string or vector
// grown past its largest size, a position past the end given to substr or
// at) and the failures of its locks through the functions below. Its own versions construct
// std::length_error, std::out_of_range and std::system_error, whose message member is the
// library's older reference-counted string: linking them brings that whole
// second string implementation and its exception classes, some 50 KB, into
// a program that never uses them otherwise. Defined here, the program links
// none of it. Memory exhaustion still raises std::bad_alloc (and the other
// exceptions without a text their own classes); the errors with a text
// raise the runtime's ERangeError with the library's text, which the
// framework reports like its own errors. This file must be linked into the program itself, ahead of
// the C++ runtime's archive, so it is not part of the runtime library.
#include "runtime/exceptions.h"

#include <cstdarg>
#include <cstddef>
#include <exception>
#include <new>
#include <string>
#include <typeinfo>

namespace {

// The library's messages use only %s, %zu and %lu (see its snprintf_lite).
std::string FormatLibraryText(const char* format, va_list args) {
    std::string text;
    for (const char* at = format; *at; ++at) {
        if (*at != '%') {
            text += *at;
            continue;
        }
        ++at;
        if (*at == 's') {
            text += va_arg(args, const char*);
        } else if (*at == 'z' && at[1] == 'u') {
            ++at;
            text += std::to_string(va_arg(args, size_t));
        } else if (*at == 'l' && at[1] == 'u') {
            ++at;
            text += std::to_string(va_arg(args, unsigned long));
        } else if (*at == '%') {
            text += '%';
        } else {
            text += '%';
            if (!*at) break;
            text += *at;
        }
    }
    return text;
}

[[noreturn]] __attribute__((noinline)) void RaiseRangeError(const char* text) {
    throw ERangeError(text);
}

} // namespace

namespace std {

// Every function of the library's set is defined, so that none of its own
// versions is linked (they come as one object).
void __throw_bad_alloc() {
    throw std::bad_alloc();
}
void __throw_bad_array_new_length() {
    throw std::bad_array_new_length();
}
void __throw_bad_cast() {
    throw std::bad_cast();
}
void __throw_bad_typeid() {
    throw std::bad_typeid();
}
void __throw_bad_exception() {
    throw std::bad_exception();
}
void __throw_logic_error(const char* text) {
    RaiseRangeError(text);
}
void __throw_domain_error(const char* text) {
    RaiseRangeError(text);
}
void __throw_invalid_argument(const char* text) {
    RaiseRangeError(text);
}
void __throw_length_error(const char* text) {
    RaiseRangeError(text);
}
void __throw_out_of_range(const char* text) {
    RaiseRangeError(text);
}
void __throw_runtime_error(const char* text) {
    RaiseRangeError(text);
}
void __throw_range_error(const char* text) {
    RaiseRangeError(text);
}
void __throw_overflow_error(const char* text) {
    RaiseRangeError(text);
}
void __throw_underflow_error(const char* text) {
    RaiseRangeError(text);
}

// A lock or thread call of the library failed (an errno value).
void __throw_system_error(int code) {
    throw EInvalidOperation("system error " + std::to_string(code));
}

void __throw_out_of_range_fmt(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatLibraryText(format, args);
    va_end(args);
    RaiseRangeError(text.c_str());
}

} // namespace std
