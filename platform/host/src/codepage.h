// Text conversion between the Windows code pages the host supports (932,
// 1252, 437 and UTF-8) and Unicode, with Windows' rules for bytes that have no
// mapping, and the Unicode case mapping that the A functions apply when they
// convert through Unicode.
#pragma once

#include "ascii.h"
#include "hostwin/windows.h"

#include <string>
#include <string_view>

namespace hostwin {

// Resolves CP_ACP, CP_OEMCP and CP_THREAD_ACP to the machine's code pages.
UINT ResolveCodePage(UINT codePage);

// True when the code page is one the host converts.
bool IsSupportedCodePage(UINT codePage);

// True when the byte starts a double-byte character in the code page.
bool IsLeadByte(UINT codePage, BYTE byte);

// Decodes bytes of the code page to UTF-32. A byte without a mapping becomes
// the code point Windows gives it; a broken double-byte pair becomes U+30FB.
std::u32string DecodeCodePage(UINT codePage, std::string_view bytes);

// Encodes UTF-32 into the code page; code points without a mapping become
// '?'. usedDefault, when given, tells whether that happened.
std::string EncodeCodePage(UINT codePage, std::u32string_view text, bool* usedDefault = nullptr);

std::u16string Utf32ToUtf16(std::u32string_view text);
std::u32string Utf16ToUtf32(std::u16string_view text);
std::string Utf32ToUtf8(std::u32string_view text);
std::u32string Utf8ToUtf32(std::string_view text);

// Convenience conversions with the machine's ANSI code page.
std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view utf8);
std::u16string AnsiToUtf16(std::string_view ansi);
std::string Utf16ToAnsi(std::u16string_view wide);

// Simple Unicode lower-case mapping (ASCII, Latin-1, Latin Extended-A, Greek,
// Cyrillic and the fullwidth forms).
char32_t UnicodeToLower(char32_t c);

// True when every byte is below 0x80: the same text in every ANSI code page.
bool IsAscii(std::string_view text);

// Case-insensitive equality of two UTF-8 texts, as Windows compares names.
bool EqualIgnoringCaseUtf8(std::string_view a, std::string_view b);

} // namespace hostwin
