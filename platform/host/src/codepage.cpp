#include "codepage.h"

#include "machine.h"

#include <algorithm>
#include <array>
#include <iconv.h>
#include <memory>
#include <mutex>

namespace hostwin {
namespace {

constexpr char32_t kBrokenDoubleByte = 0x30FB; // KATAKANA MIDDLE DOT, as Windows gives

// Converts one short byte sequence with iconv; 0 when it has no mapping.
char32_t IconvDecodeOne(iconv_t cd, const char* bytes, size_t count) {
    char32_t out[4] = {};
    char* in = const_cast<char*>(bytes);
    size_t inLeft = count;
    char* outPtr = reinterpret_cast<char*>(out);
    size_t outLeft = sizeof(out);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    if (result == static_cast<size_t>(-1) || inLeft != 0 || outLeft != sizeof(out) - 4) return 0;
    return out[0];
}

// A decoding table for one code page, filled from iconv once.
struct CodePageTable {
    std::array<char32_t, 256> single{};                 // single bytes
    std::array<bool, 256> lead{};                       // lead bytes (932 only)
    std::array<std::array<char32_t, 256>, 256> pairs{}; // lead, trail -> code point (0 = none)
    const char* iconvName = nullptr;
};

const char* IconvName(UINT codePage) {
    switch (codePage) {
    case 932:
        return "CP932";
    case 1252:
        return "CP1252";
    case 437:
        return "CP437";
    default:
        return nullptr;
    }
}

std::unique_ptr<CodePageTable> BuildTable(UINT codePage) {
    auto table = std::make_unique<CodePageTable>();
    table->iconvName = IconvName(codePage);
    iconv_t cd = iconv_open("UTF-32LE", table->iconvName);
    for (int b = 0; b < 256; ++b) {
        char byte = static_cast<char>(b);
        char32_t c = b < 0x80 ? static_cast<char32_t>(b) : IconvDecodeOne(cd, &byte, 1);
        if (codePage == 932 && ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC))) {
            table->lead[b] = true;
            continue;
        }
        if (c == 0 && b != 0) {
            // Windows maps the holes of 1252 to the C1 controls, and the
            // stray bytes of 932 to private-use code points.
            if (codePage == 932)
                c = b == 0x80   ? 0x80
                    : b == 0xA0 ? 0xF8F0
                                : static_cast<char32_t>(0xF8F1 + (b - 0xFD));
            else
                c = static_cast<char32_t>(b);
        }
        table->single[b] = c;
    }
    if (codePage == 932) {
        for (int l = 0; l < 256; ++l) {
            if (!table->lead[l]) continue;
            for (int t = 0x40; t <= 0xFC; ++t) {
                char pair[2] = {static_cast<char>(l), static_cast<char>(t)};
                table->pairs[l][t] = IconvDecodeOne(cd, pair, 2);
            }
        }
    }
    iconv_close(cd);
    return table;
}

const CodePageTable& TableFor(UINT codePage) {
    static std::mutex mutex;
    static std::unique_ptr<CodePageTable> tables[3];
    int index = codePage == 932 ? 0 : codePage == 1252 ? 1 : 2;
    std::lock_guard<std::mutex> lock(mutex);
    if (!tables[index]) tables[index] = BuildTable(codePage);
    return *tables[index];
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

UINT ResolveCodePage(UINT codePage) {
    switch (codePage) {
    case CP_ACP:
    case CP_THREAD_ACP:
        return TheMachine().ansiCodePage;
    case CP_OEMCP:
        return TheMachine().oemCodePage;
    default:
        return codePage;
    }
}

bool IsSupportedCodePage(UINT codePage) {
    codePage = ResolveCodePage(codePage);
    return codePage == 932 || codePage == 1252 || codePage == 437 || codePage == CP_UTF8;
}

bool IsLeadByte(UINT codePage, BYTE byte) {
    codePage = ResolveCodePage(codePage);
    return codePage == 932 && ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC));
}

std::u32string DecodeCodePage(UINT codePage, std::string_view bytes) {
    codePage = ResolveCodePage(codePage);
    if (codePage == CP_UTF8) return Utf8ToUtf32(bytes);
    const CodePageTable& table = TableFor(codePage);
    std::u32string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        BYTE b = static_cast<BYTE>(bytes[i]);
        if (table.lead[b]) {
            if (i + 1 < bytes.size() && bytes[i + 1] != 0) {
                char32_t c = table.pairs[b][static_cast<BYTE>(bytes[i + 1])];
                out += c ? c : kBrokenDoubleByte;
                ++i;
            } else {
                out += kBrokenDoubleByte;
            }
            continue;
        }
        out += table.single[b];
    }
    return out;
}

std::string EncodeCodePage(UINT codePage, std::u32string_view text, bool* usedDefault) {
    codePage = ResolveCodePage(codePage);
    if (usedDefault) *usedDefault = false;
    if (codePage == CP_UTF8) return Utf32ToUtf8(text);
    static std::mutex mutex;
    std::lock_guard<std::mutex> lock(mutex);
    iconv_t cd = iconv_open(IconvName(codePage), "UTF-32LE");
    std::string out;
    out.reserve(text.size() * 2);
    for (char32_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        char buffer[8];
        char* in = reinterpret_cast<char*>(&c);
        size_t inLeft = sizeof(c);
        char* outPtr = buffer;
        size_t outLeft = sizeof(buffer);
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
            // Code points that only the private or C1 mappings above produce
            // go back to their bytes.
            if (codePage != 932 && c >= 0x80 && c <= 0x9F) {
                out += static_cast<char>(c);
            } else if (codePage == 932 && (c == 0x80 || (c >= 0xF8F0 && c <= 0xF8F3))) {
                out += static_cast<char>(c == 0x80     ? 0x80
                                         : c == 0xF8F0 ? 0xA0
                                                       : 0xFD + (c - 0xF8F1));
            } else {
                out += '?';
                if (usedDefault) *usedDefault = true;
            }
            continue;
        }
        out.append(buffer, outPtr);
    }
    iconv_close(cd);
    return out;
}

std::u16string Utf32ToUtf16(std::u32string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        if (c >= 0x10000 && c <= 0x10FFFF) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c > 0x10FFFF ? 0xFFFD : c);
        }
    }
    return out;
}

std::u32string Utf16ToUtf32(std::u16string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        out += c;
    }
    return out;
}

std::string Utf32ToUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text)
        AppendUtf8(out, c > 0x10FFFF ? 0xFFFD : c);
    return out;
}

std::u32string Utf8ToUtf32(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        BYTE b = static_cast<BYTE>(text[i]);
        int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
        bool ok = extra >= 0 && i + extra < text.size();
        char32_t c = ok ? (extra == 0 ? b : (b & (0x3F >> extra))) : 0;
        for (int k = 1; ok && k <= extra; ++k) {
            BYTE next = static_cast<BYTE>(text[i + k]);
            ok = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        if (!ok) {
            out += 0xFFFD;
            ++i;
            continue;
        }
        out += c;
        i += extra + 1;
    }
    return out;
}

std::string AnsiToUtf8(std::string_view ansi) {
    return Utf32ToUtf8(DecodeCodePage(CP_ACP, ansi));
}
std::string Utf8ToAnsi(std::string_view utf8) {
    return EncodeCodePage(CP_ACP, Utf8ToUtf32(utf8));
}
std::u16string AnsiToUtf16(std::string_view ansi) {
    return Utf32ToUtf16(DecodeCodePage(CP_ACP, ansi));
}
std::string Utf16ToAnsi(std::u16string_view wide) {
    return EncodeCodePage(CP_ACP, Utf16ToUtf32(wide));
}

char32_t UnicodeToLower(char32_t c) {
    if (c < 0x80) return static_cast<char32_t>(AsciiLower(static_cast<char>(c)));
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;
    if (c >= 0x100 && c <= 0x137) return c | 1;
    if (c >= 0x139 && c <= 0x148) return (c & 1) ? c + 1 : c;
    if (c >= 0x14A && c <= 0x177) return c | 1;
    if (c == 0x178) return 0xFF;
    if (c >= 0x179 && c <= 0x17E) return (c & 1) ? c + 1 : c;
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 32;
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    if (c >= 0x410 && c <= 0x42F) return c + 32;
    if (c >= 0xFF21 && c <= 0xFF3A) return c + 32;
    return c;
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool EqualIgnoringCaseUtf8(std::string_view a, std::string_view b) {
    // ASCII names, the usual case, compare without decoding.
    if (IsAscii(a) && IsAscii(b)) return EqualIgnoringAsciiCase(a, b);
    std::u32string ua = Utf8ToUtf32(a), ub = Utf8ToUtf32(b);
    if (ua.size() != ub.size()) return false;
    for (size_t i = 0; i < ua.size(); ++i)
        if (UnicodeToLower(ua[i]) != UnicodeToLower(ub[i])) return false;
    return true;
}

} // namespace hostwin
