#include "system/charscan.h"

#include "system/doublebyte.h"

#include <cstring>

int ZStrLength(const char* p) {
    return p ? static_cast<int>(std::strlen(p)) : 0;
}

const char* ZStrScan(const char* p, char b) {
    if (!p) return nullptr;
    return static_cast<const char*>(std::memchr(p, b, std::strlen(p) + 1));
}

const char* FirstCharScan(const char* p, char b) {
    const char* q = ZStrScan(p, b);
    while (q) {
        switch (ClassifyByteZ(p, static_cast<int>(q - p))) {
        case brSingle:
            return q;
        // A lead byte with this value: go on after its character.
        case brLead:
            q = q[1] ? ZStrScan(q + 2, b) : nullptr;
            break;
        case brTrail:
            q = ZStrScan(q + 1, b);
            break;
        }
    }
    return nullptr;
}

const char* LastCharScan(const char* p, char b) {
    const char* q = FirstCharScan(p, b);
    if (b == 0 || !q) return q;
    // Each further search starts on a character boundary, just after a hit.
    while (const char* next = FirstCharScan(q + 1, b))
        q = next;
    return q;
}

const char* SubTextScan(const char* p, const char* text) {
    if (!p || !text || !*p || !*text) return nullptr;
    size_t m = std::strlen(text);
    size_t n = std::strlen(p);
    const char* q = std::strstr(p, text);
    while (q && m <= n - static_cast<size_t>(q - p)) {
        TByteRole role = ClassifyByteZ(p, static_cast<int>(q - p));
        if (role != brTrail && CompareStringA(LOCALE_USER_DEFAULT, 0, q, static_cast<int>(m), text,
                                              static_cast<int>(m)) == CSTR_EQUAL)
            return q;
        q += role == brLead && q[1] ? 2 : 1;
        q = std::strstr(q, text);
    }
    return nullptr;
}

int SubTextPosition(const std::string& text, const std::string& s) {
    const char* found = SubTextScan(s.c_str(), text.c_str());
    return found ? static_cast<int>(found - s.c_str()) + 1 : 0;
}
