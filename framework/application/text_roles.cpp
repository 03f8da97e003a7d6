#include "framework/application/text_roles.h"

#include "platform/win32.h"

namespace {

bool DoubleByteSystem() { return GetSystemMetrics(SM_DBCSENABLED) != 0; }

bool InLeadSet(char byte) { return IsDBCSLeadByte(static_cast<BYTE>(byte)) != FALSE; }

// 0 single, 1 lead, 2 trail. A run of lead-set bytes pairs up from its start.
int RoleAt(const char* text, size_t index) {
    if (!DoubleByteSystem() || !text || !text[index]) return 0;
    size_t run = 0;
    while (run < index && InLeadSet(text[index - run - 1])) ++run;
    if (run % 2 == 1) return 2;
    return InLeadSet(text[index]) ? 1 : 0;
}

}  // namespace

bool IsTrailByteAt(const char* text, size_t index) { return RoleAt(text, index) == 2; }

bool IsLeadByteAt(const char* text, size_t index) { return RoleAt(text, index) == 1; }

std::string LastCharacterOf(const std::string& text) {
    if (text.empty()) return std::string();
    size_t last = text.size() - 1;
    if (last > 0 && IsTrailByteAt(text.c_str(), last)) --last;
    return text.substr(last);
}
