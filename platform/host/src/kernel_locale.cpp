// kernel32: locales, code pages, text conversion and string comparison.
#include "hostwin/windows.h"

#include "codepage.h"
#include "locale_table.h"
#include "machine.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace hostwin;

namespace {

struct LocaleData {
    LCID lcid;
    const char* abbreviation; // LOCALE_SABBREVLANGNAME
    const char* country;      // LOCALE_SABBREVCTRYNAME
    const char* englishName;  // LOCALE_SENGLANGUAGE
    const char* ansiCodePage; // LOCALE_IDEFAULTANSICODEPAGE
    const char* oemCodePage;  // LOCALE_IDEFAULTCODEPAGE
    const char* shortDate;
    const char* longDate;
    const char* timeFormat;
    const char* am;
    const char* pm;
    const char* currency;
};

const LocaleData locales[] = {
    {1033, "ENU", "USA", "English", "1252", "437", "M/d/yyyy", "dddd, MMMM d, yyyy", "h:mm:ss tt",
     "AM", "PM", "$"},
    {2057, "ENG", "GBR", "English", "1252", "850", "dd/MM/yyyy", "dd MMMM yyyy", "HH:mm:ss", "AM",
     "PM", "\xA3"},
    {1041, "JPN", "JPN", "Japanese", "932", "932", "yyyy/MM/dd",
     "yyyy'\x94N'M'\x8C\x8E'd'\x93\xFA'", "H:mm:ss", "\x8C\xDF\x91\x4F", "\x8C\xDF\x8C\xE3",
     "\x5C"},
    {1031, "DEU", "DEU", "German", "1252", "850", "dd.MM.yyyy", "dddd, d. MMMM yyyy", "HH:mm:ss",
     "", "", "\x80"},
    {1036, "FRA", "FRA", "French", "1252", "850", "dd/MM/yyyy", "dddd d MMMM yyyy", "HH:mm:ss", "",
     "", "\x80"},
};

const LocaleData* FindLocale(LCID lcid) {
    if (lcid == LOCALE_USER_DEFAULT || lcid == LOCALE_SYSTEM_DEFAULT || lcid == 0)
        lcid = TheMachine().userLcid;
    lcid &= 0xFFFF;
    for (const LocaleData& locale : locales)
        if (locale.lcid == lcid) return &locale;
    return nullptr;
}

thread_local LCID threadLocale = 0;

std::string LocaleValue(const LocaleData& locale, LCTYPE type) {
    switch (type & ~LOCALE_NOUSEROVERRIDE) {
    case LOCALE_ILANGUAGE: {
        char text[8];
        std::snprintf(text, sizeof(text), "%04x", static_cast<unsigned>(locale.lcid));
        return text;
    }
    case LOCALE_SABBREVLANGNAME:
        return locale.abbreviation;
    case LOCALE_SABBREVCTRYNAME:
        return locale.country;
    case LOCALE_SENGLANGUAGE:
    case LOCALE_SLANGUAGE:
        return locale.englishName;
    case LOCALE_IDEFAULTANSICODEPAGE:
        return locale.ansiCodePage;
    case LOCALE_IDEFAULTCODEPAGE:
        return locale.oemCodePage;
    case LOCALE_SDECIMAL:
        return locale.lcid == 1031 || locale.lcid == 1036 ? "," : ".";
    case LOCALE_STHOUSAND:
        return locale.lcid == 1031 ? "." : locale.lcid == 1036 ? " " : ",";
    case LOCALE_SDATE:
        return locale.lcid == 1031 ? "." : "/";
    case LOCALE_STIME:
        return ":";
    case LOCALE_SSHORTDATE:
        return locale.shortDate;
    case LOCALE_SLONGDATE:
        return locale.longDate;
    case LOCALE_STIMEFORMAT:
        return locale.timeFormat;
    case LOCALE_S1159:
        return locale.am;
    case LOCALE_S2359:
        return locale.pm;
    case LOCALE_SCURRENCY:
        return locale.currency;
    case LOCALE_ICURRDIGITS:
        return locale.lcid == 1041 ? "0" : "2";
    case LOCALE_ICURRENCY:
        return locale.lcid == 1031 || locale.lcid == 1036 ? "3" : "0";
    case LOCALE_INEGCURR:
        return locale.lcid == 1033 ? "0" : "1";
    default:
        return std::string(1, '\xFF'); // marks an unknown type
    }
}

std::u32string TextOf(UINT codePage, LPCSTR text, int length) {
    size_t count = length < 0 ? std::strlen(text) + 1 : static_cast<size_t>(length);
    return DecodeCodePage(codePage, std::string_view(text, count));
}

} // namespace

std::vector<LCID> hostwin::KnownLocales() {
    std::vector<LCID> known;
    for (const LocaleData& locale : locales)
        known.push_back(locale.lcid);
    return known;
}

extern "C" {

LCID WINAPI GetUserDefaultLCID() {
    return TheMachine().userLcid;
}

LCID WINAPI GetThreadLocale() {
    return threadLocale ? threadLocale : TheMachine().userLcid;
}

BOOL WINAPI SetThreadLocale(LCID locale) {
    if (locale == LOCALE_USER_DEFAULT || locale == LOCALE_SYSTEM_DEFAULT)
        locale = TheMachine().userLcid;
    if (!FindLocale(locale)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    threadLocale = locale;
    return TRUE;
}

int WINAPI GetLocaleInfoA(LCID lcid, LCTYPE type, LPSTR data, int size) {
    const LocaleData* locale = FindLocale(lcid);
    if (!locale || size < 0 || (size > 0 && !data)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string value = LocaleValue(*locale, type);
    if (value == "\xFF") {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    int needed = static_cast<int>(value.size()) + 1;
    if (size == 0) return needed;
    if (size < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(data, value.c_str(), static_cast<size_t>(needed));
    return needed;
}

UINT WINAPI GetACP() {
    return TheMachine().ansiCodePage;
}

BOOL WINAPI GetCPInfo(UINT codePage, LPCPINFO info) {
    if (!info || !IsSupportedCodePage(codePage)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    codePage = ResolveCodePage(codePage);
    std::memset(info, 0, sizeof(*info));
    info->DefaultChar[0] = '?';
    info->MaxCharSize = codePage == CP_UTF8 ? 4 : codePage == 932 ? 2 : 1;
    if (codePage == 932) {
        info->LeadByte[0] = 0x81;
        info->LeadByte[1] = 0x9F;
        info->LeadByte[2] = 0xE0;
        info->LeadByte[3] = 0xFC;
    }
    return TRUE;
}

int WINAPI MultiByteToWideChar(UINT codePage, DWORD, LPCSTR text, int length, LPWSTR wide,
                               int wideLength) {
    if (!text || length == 0 || wideLength < 0 || !IsSupportedCodePage(codePage)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u16string converted = Utf32ToUtf16(TextOf(codePage, text, length));
    int needed = static_cast<int>(converted.size());
    if (wideLength == 0) return needed;
    if (wideLength < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(wide, converted.data(), converted.size() * sizeof(WCHAR));
    return needed;
}

int WINAPI WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR wide, int wideLength, LPSTR text,
                               int length, LPCSTR, LPBOOL usedDefault) {
    if (!wide || wideLength == 0 || length < 0 || !IsSupportedCodePage(codePage)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t count = 0;
    if (wideLength < 0) {
        while (wide[count])
            ++count;
        ++count;
    } else {
        count = static_cast<size_t>(wideLength);
    }
    bool defaulted = false;
    std::string converted =
        EncodeCodePage(codePage, Utf16ToUtf32(std::u16string_view(wide, count)), &defaulted);
    if (usedDefault) *usedDefault = defaulted;
    int needed = static_cast<int>(converted.size());
    if (length == 0) return needed;
    if (length < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(text, converted.data(), converted.size());
    return needed;
}

int WINAPI CompareStringA(LCID, DWORD flags, LPCSTR first, int firstLength, LPCSTR second,
                          int secondLength) {
    if (!first || !second) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // A length of -1 means "up to the terminating zero", which is not compared.
    std::u32string a =
        DecodeCodePage(CP_ACP, std::string_view(first, firstLength < 0 ? std::strlen(first)
                                                                       : size_t(firstLength)));
    std::u32string b =
        DecodeCodePage(CP_ACP, std::string_view(second, secondLength < 0 ? std::strlen(second)
                                                                         : size_t(secondLength)));
    if (flags & NORM_IGNORECASE) {
        for (char32_t& c : a)
            c = UnicodeToLower(c);
        for (char32_t& c : b)
            c = UnicodeToLower(c);
    }
    int order = a.compare(b);
    return order < 0 ? CSTR_LESS_THAN : order > 0 ? CSTR_GREATER_THAN : CSTR_EQUAL;
}

} // extern "C"
