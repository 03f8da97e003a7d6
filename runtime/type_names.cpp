#include "runtime/type_names.h"

namespace {

// The fundamental types by their one-letter codes.
const char* BuiltinType(char code) {
    switch (code) {
    case 'v':
        return "void";
    case 'b':
        return "bool";
    case 'c':
        return "char";
    case 'a':
        return "signed char";
    case 'h':
        return "unsigned char";
    case 's':
        return "short";
    case 't':
        return "unsigned short";
    case 'i':
        return "int";
    case 'j':
        return "unsigned int";
    case 'l':
        return "long";
    case 'm':
        return "unsigned long";
    case 'x':
        return "long long";
    case 'y':
        return "unsigned long long";
    case 'f':
        return "float";
    case 'd':
        return "double";
    case 'e':
        return "long double";
    case 'w':
        return "wchar_t";
    default:
        return nullptr;
    }
}

// Reads one <source-name> (decimal length, then that many bytes) at `at` and
// appends it; false when there is none.
bool SourceName(std::string_view mangled, size_t& at, std::string& out) {
    size_t length = 0;
    size_t start = at;
    while (at < mangled.size() && mangled[at] >= '0' && mangled[at] <= '9' && at - start < 6)
        length = length * 10 + static_cast<size_t>(mangled[at++] - '0');
    if (at == start || length == 0 || length > mangled.size() - at) return false;
    std::string_view name = mangled.substr(at, length);
    at += length;
    out += name.substr(0, 11) == "_GLOBAL__N_" ? std::string_view("(anonymous namespace)") : name;
    return true;
}

// A class name: St<source-name>, <source-name>, or N[St]<source-name>...E.
bool ClassName(std::string_view mangled, size_t& at, std::string& out) {
    bool nested = at < mangled.size() && mangled[at] == 'N';
    if (nested) ++at;
    if (mangled.substr(at, 2) == "St") {
        out += "std::";
        at += 2;
    }
    if (!SourceName(mangled, at, out)) return false;
    if (!nested) return true;
    while (at < mangled.size() && mangled[at] != 'E') {
        out += "::";
        if (!SourceName(mangled, at, out)) return false;
    }
    if (at == mangled.size()) return false;
    ++at; // the closing E
    return true;
}

} // namespace

std::string ReadableTypeName(std::string_view mangled) {
    size_t at = 0;
    std::string qualifiers;
    // Pointers and const, outermost first: PKc is a pointer to const char.
    while (at < mangled.size() && (mangled[at] == 'P' || mangled[at] == 'K'))
        qualifiers.insert(0, mangled[at++] == 'P' ? "*" : " const");
    std::string name;
    if (at + 1 == mangled.size() && BuiltinType(mangled[at])) {
        name = BuiltinType(mangled[at]);
    } else if (!ClassName(mangled, at, name) || at != mangled.size()) {
        return std::string(mangled);
    }
    return name + qualifiers;
}
