#include "reg_tool.h"

#include "ascii.h"
#include "codepage.h"
#include "json_object.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace hostwin_reg {
namespace {

struct TypeEntry {
    DWORD type;
    const char* name;
};

const TypeEntry kTypes[] = {
    {REG_NONE, "REG_NONE"},
    {REG_SZ, "REG_SZ"},
    {REG_EXPAND_SZ, "REG_EXPAND_SZ"},
    {REG_BINARY, "REG_BINARY"},
    {REG_DWORD, "REG_DWORD"},
    {REG_DWORD_BIG_ENDIAN, "REG_DWORD_BIG_ENDIAN"},
    {REG_LINK, "REG_LINK"},
    {REG_MULTI_SZ, "REG_MULTI_SZ"},
    {REG_RESOURCE_LIST, "REG_RESOURCE_LIST"},
    {REG_QWORD, "REG_QWORD"},
};

// The types reg add accepts.
bool Writable(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_DWORD || type == REG_BINARY ||
           type == REG_MULTI_SZ || type == REG_NONE || type == REG_QWORD;
}

void AppendUtf16(std::string& stored, const std::string& utf8) {
    for (char16_t unit : hostwin::Utf32ToUtf16(hostwin::Utf8ToUtf32(utf8))) {
        stored += static_cast<char>(unit & 0xFF);
        stored += static_cast<char>(unit >> 8);
    }
    stored.append(2, '\0');
}

std::string Utf8OfUtf16(std::string_view bytes) {
    std::u16string wide;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        wide += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                      static_cast<unsigned char>(bytes[i + 1]) << 8);
    return hostwin::Utf32ToUtf8(hostwin::Utf16ToUtf32(wide));
}

uint64_t LittleEndian(const std::string& stored) {
    uint64_t number = 0;
    for (size_t i = stored.size(); i-- > 0;)
        number = number << 8 | static_cast<unsigned char>(stored[i]);
    return number;
}

// A number as reg takes it: decimal, or hexadecimal after 0x.
bool ParseNumber(const std::string& text, uint64_t limit, uint64_t& number) {
    if (text.empty() || text[0] == '-' || text[0] == '+' ||
        text.find_first_of(" \t") != std::string::npos)
        return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long parsed = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || !end || *end || parsed > limit) return false;
    number = parsed;
    return true;
}

} // namespace

std::optional<DWORD> TypeFromName(const std::string& name) {
    for (const TypeEntry& entry : kTypes) {
        if (hostwin::AsciiUppered(name) == entry.name) return entry.type;
    }
    return std::nullopt;
}

std::string TypeName(DWORD type) {
    for (const TypeEntry& entry : kTypes)
        if (entry.type == type) return entry.name;
    char buffer[16];
    std::snprintf(buffer, sizeof(buffer), "0x%x", static_cast<unsigned>(type));
    return buffer;
}

bool EncodeData(DWORD type, const std::string& text, const std::string& separator,
                std::string& stored, std::string& error) {
    stored.clear();
    if (!Writable(type)) {
        error = "values of type " + TypeName(type) + " cannot be added";
        return false;
    }
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        AppendUtf16(stored, text);
        return true;
    }
    if (type == REG_MULTI_SZ) {
        // Items separated by the separator (by default the two characters \0).
        size_t start = 0;
        while (!text.empty()) {
            size_t end = text.find(separator, start);
            AppendUtf16(stored, text.substr(start, end == std::string::npos ? end : end - start));
            if (end == std::string::npos) break;
            start = end + separator.size();
        }
        stored.append(2, '\0');
        return true;
    }
    if (type == REG_DWORD || type == REG_QWORD) {
        uint64_t number = 0;
        bool wide = type == REG_QWORD;
        if (!text.empty() && !ParseNumber(text, wide ? UINT64_MAX : 0xFFFFFFFFull, number)) {
            error = "\"" + text + "\" is not a valid " + TypeName(type) + " number";
            return false;
        }
        for (int i = 0; i < (wide ? 8 : 4); ++i)
            stored += static_cast<char>(number >> (8 * i));
        return true;
    }
    // REG_BINARY and REG_NONE: hexadecimal digits, two a byte.
    if (text.size() % 2 != 0 ||
        text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        error = "\"" + text + "\" is not hexadecimal data";
        return false;
    }
    for (size_t i = 0; i < text.size(); i += 2)
        stored += static_cast<char>(std::strtoul(text.substr(i, 2).c_str(), nullptr, 16));
    return true;
}

std::string DisplayData(DWORD type, const std::string& stored) {
    char buffer[32];
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::string text = Utf8OfUtf16(stored);
        return text.substr(0, text.find('\0'));
    }
    if (type == REG_MULTI_SZ) {
        std::string text = Utf8OfUtf16(stored);
        while (!text.empty() && text.back() == '\0')
            text.pop_back();
        std::string shown;
        for (char c : text)
            shown += c ? std::string(1, c) : std::string("\\0");
        return shown;
    }
    if ((type == REG_DWORD && stored.size() == 4) || (type == REG_QWORD && stored.size() == 8)) {
        std::snprintf(buffer, sizeof(buffer), "0x%llx",
                      static_cast<unsigned long long>(LittleEndian(stored)));
        return buffer;
    }
    std::string hex;
    for (char c : stored) {
        std::snprintf(buffer, sizeof(buffer), "%02X", static_cast<unsigned char>(c));
        hex += buffer;
    }
    return hex;
}

std::string JsonData(DWORD type, const std::string& stored) {
    std::string json;
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::string text = Utf8OfUtf16(stored);
        hostwin::AppendJsonString(json, text.substr(0, text.find('\0')));
        return json;
    }
    if (type == REG_MULTI_SZ) {
        std::string text = Utf8OfUtf16(stored);
        json = "[";
        for (size_t start = 0; start < text.size() && text[start] != '\0';) {
            size_t end = std::min(text.find('\0', start), text.size());
            if (json.size() > 1) json += ", ";
            hostwin::AppendJsonString(json, text.substr(start, end - start));
            start = end + 1;
        }
        return json + "]";
    }
    if ((type == REG_DWORD && stored.size() == 4) || (type == REG_QWORD && stored.size() == 8))
        return std::to_string(LittleEndian(stored));
    hostwin::AppendJsonString(json, DisplayData(REG_BINARY, stored));
    return json;
}

std::string ErrorText(LSTATUS status) {
    switch (status) {
    case ERROR_FILE_NOT_FOUND:
        return "The system was unable to find the specified registry key or value.";
    case ERROR_ACCESS_DENIED:
        return "Access is denied.";
    case ERROR_BADDB:
        return "The registry store is malformed (see the message above).";
    case ERROR_CANTWRITE:
        return "The registry store could not be written.";
    case ERROR_CANTREAD:
        return "The registry store could not be read.";
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_PARAMETER:
        return "Invalid key name.";
    default:
        return "Registry error " + std::to_string(status) + ".";
    }
}

} // namespace hostwin_reg
