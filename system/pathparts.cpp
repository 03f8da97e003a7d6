#include "system/pathparts.h"

#include "system/charscan.h"
#include "system/doublebyte.h"

namespace {

const std::string kPathDelimiters = "\\:";

} // namespace

int RightmostDelimiter(const std::string& delimiters, const std::string& s) {
    int i = static_cast<int>(s.size());
    while (i > 0) {
        char b = s[static_cast<size_t>(i - 1)];
        if (b != 0 && ZStrScan(delimiters.c_str(), b)) {
            if (ClassifyByte(s, i) != brTrail) return i;
            --i; // the second byte of a double-byte character: step past its lead byte
        }
        --i;
    }
    return 0;
}

std::string DirectoryPart(const std::string& path) {
    return path.substr(0, static_cast<size_t>(RightmostDelimiter(kPathDelimiters, path)));
}

std::string NamePart(const std::string& path) {
    return path.substr(static_cast<size_t>(RightmostDelimiter(kPathDelimiters, path)));
}

const char* FinalCharacter(const std::string& s) {
    if (s.empty()) return nullptr;
    int length = static_cast<int>(s.size());
    const char* p = s.c_str() + length - 1;
    return ClassifyByte(s, length) == brTrail ? p - 1 : p;
}
