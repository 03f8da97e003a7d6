// Conversions between doubles and text by the C runtime the program runs on.
//
// On Windows these are the system C runtime's own strtod and _snprintf
// (msvcrt.dll, which the program imports anyway). MinGW's headers otherwise
// route both to the MinGW runtime's portable replacements, which a static
// link copies into the program (some 35 KB: a printf engine and a second
// float parser). Elsewhere they are the C library's strtod and snprintf.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
// Declared under names of our own and bound to msvcrt's exports (C symbols
// carry a leading underscore on 32-bit Windows only).
#ifdef _WIN64
#define SETUP_CRT_SYMBOL(name) #name
#else
#define SETUP_CRT_SYMBOL(name) "_" #name
#endif
extern "C" double __cdecl SystemStrtod(const char* text,
                                       char** end) __asm__(SETUP_CRT_SYMBOL(strtod));
extern "C" int __cdecl SystemSnprintf(char* buffer, size_t size, const char* format,
                                      ...) __asm__(SETUP_CRT_SYMBOL(_snprintf));
#undef SETUP_CRT_SYMBOL
#endif

// strtod: the text in the C locale's syntax to a double; errno ERANGE on
// overflow and underflow.
inline double CrtTextToDouble(const char* text, char** end) {
#ifdef _WIN32
    return SystemStrtod(text, end);
#else
    return std::strtod(text, end);
#endif
}

// The double with `digits` significant digits as printf's "%.*G" writes it
// (the exponent has at least two digits, three on Windows). Always ends the
// text in a zero; the buffer must hold 32 bytes.
inline void CrtDoubleToText(char* buffer, size_t size, int digits, double value) {
#ifdef _WIN32
    SystemSnprintf(buffer, size - 1, "%.*G", digits, value);
    buffer[size - 1] = 0;
#else
    std::snprintf(buffer, size, "%.*G", digits, value);
#endif
}
