// The texts the application object derives: its title from the program
// file's name, and exception messages as it shows them.
#include "framework/application/application.h"

#include "system/doublebyte.h"
#include "system/pathparts.h"

#include <cstring>

std::string DeriveTitle(const char* buffer, size_t bufferSize) {
    // GetModuleFileNameA fills the whole buffer without a terminating zero
    // when the path is long: never read past the buffer.
    std::string text(buffer, strnlen(buffer, bufferSize));
    OemToCharA(text.c_str(), text.data());

    size_t slash = std::string::npos;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\\' && ClassifyByteZ(text.c_str(), static_cast<int>(i)) != brTrail)
            slash = i;
    if (slash != std::string::npos) text.erase(0, slash + 1);

    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '.' && ClassifyByteZ(text.c_str(), static_cast<int>(i)) != brTrail) {
            text.resize(i);
            break;
        }

    // The first character keeps its case; when it is a double-byte character
    // its trail byte is part of it and is never lower-cased.
    size_t rest = ClassifyByteZ(text.c_str(), 0) == brLead && text.size() > 1 ? 2 : 1;
    if (text.size() > rest) CharLowerA(text.data() + rest);
    return text;
}

std::string WithClosingPeriod(const std::string& text) {
    if (text.empty()) return text;
    // Bytes compare unsigned: a double-byte character is always greater.
    std::string last(FinalCharacter(text), text.data() + text.size());
    if (last.compare(".") > 0) return text + ".";
    return text;
}
