// Readable names of C++ types from their mangled names (the Itanium C++ ABI
// encoding GCC uses on every target), for the reports of exceptions that are
// not the framework's. Only the names such reports meet are decoded: classes
// in namespaces (std:: included), the anonymous namespace, fundamental types
// and pointers to them; anything else is returned as it is mangled. A small
// decoder of our own keeps the C++ runtime's general demangler out of the
// program.
#pragma once

#include <string>
#include <string_view>

// "St13runtime_error" gives "std::runtime_error", "N2ns5ThingE" "ns::Thing",
// "PKc" "char const*"; a name it cannot decode comes back unchanged.
std::string ReadableTypeName(std::string_view mangled);
