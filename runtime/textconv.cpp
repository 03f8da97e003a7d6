// Integer and floating-point text, and the locale settings.
#include "runtime/textconv.h"

#include "platform/crt_numbers.h"
#include "platform/win32.h"
#include "runtime/exceptions.h"
#include "runtime/hex.h"
#include "runtime/locks.h"
#include "runtime/resstrings.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

std::string_view TrimSpaces(std::string_view text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool ReadHex(std::string_view digits, int32_t& value) {
    if (digits.empty()) return false;
    uint32_t number = 0;
    int significant = 0;
    for (char c : digits) {
        int digit = HexDigitValue(c);
        if (digit < 0) return false;
        if (significant > 0 || digit != 0) ++significant;
        if (significant > 8) return false;
        number = (number << 4) | static_cast<uint32_t>(digit);
    }
    value = static_cast<int32_t>(number);
    return true;
}

bool ReadDecimal(std::string_view text, int32_t& value) {
    bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
    if (text.empty()) return false;
    int64_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + (c - '0');
        if (number > 2147483648LL) return false;
    }
    if (negative) number = -number;
    if (number > 2147483647LL) return false;
    value = static_cast<int32_t>(number);
    return true;
}

std::string LocaleText(LCTYPE type, const char* fallback) {
    char buffer[80];
    int length = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof(buffer));
    return length > 1 ? std::string(buffer, static_cast<size_t>(length - 1)) : fallback;
}

TFormatSettings ReadLocaleSettings() {
    TFormatSettings settings;
    settings.DecimalSeparator = LocaleText(LOCALE_SDECIMAL, ".")[0];
    settings.DateSeparator = LocaleText(LOCALE_SDATE, "/")[0];
    settings.TimeSeparator = LocaleText(LOCALE_STIME, ":")[0];
    settings.ShortDateFormat = LocaleText(LOCALE_SSHORTDATE, "M/d/yyyy");
    settings.LongTimeFormat = LocaleText(LOCALE_STIMEFORMAT, "h:mm:ss tt");
    settings.TimeAMString = LocaleText(LOCALE_S1159, "AM");
    settings.TimePMString = LocaleText(LOCALE_S2359, "PM");
    return settings;
}

struct SettingsStore {
    TLock mutex;
    bool loaded = false;
    TFormatSettings settings;
};

SettingsStore& Store() {
    static SettingsStore store;
    return store;
}

} // namespace

std::string IntToStr(int64_t value) {
    return std::to_string(value);
}

bool TryStrToInt(std::string_view text, int32_t& value) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    if (text.starts_with("0x") || text.starts_with("0X")) return ReadHex(text.substr(2), value);
    if (!text.empty() && (text.front() == '$' || text.front() == 'x' || text.front() == 'X'))
        return ReadHex(text.substr(1), value);
    return ReadDecimal(text, value);
}

bool TryDecimalToInt(std::string_view text, int32_t& value) {
    if (!text.empty() && text.front() == '+') return false;
    return ReadDecimal(text, value);
}

int32_t StrToInt(std::string_view text) {
    int32_t value = 0;
    if (!TryStrToInt(text, value))
        throw EConvertError(FormatResString(SInvalidInteger, {std::string(text)}));
    return value;
}

int32_t StrToIntDef(std::string_view text, int32_t defaultValue) {
    int32_t value = 0;
    return TryStrToInt(text, value) ? value : defaultValue;
}

const TFormatSettings& FormatSettings() {
    SettingsStore& store = Store();
    std::lock_guard<TLock> lock(store.mutex);
    if (!store.loaded) {
        store.settings = ReadLocaleSettings();
        store.loaded = true;
    }
    return store.settings;
}

void LoadFormatSettings() {
    SetFormatSettings(ReadLocaleSettings());
}

void SetFormatSettings(const TFormatSettings& settings) {
    SettingsStore& store = Store();
    std::lock_guard<TLock> lock(store.mutex);
    store.settings = settings;
    store.loaded = true;
}

std::string FloatToStr(double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    char buffer[64];
    CrtDoubleToText(buffer, sizeof(buffer), 15, value);
    std::string text = buffer;
    // "1.5E+20" is written "1.5E20", "1E-07" is written "1E-7".
    size_t exponent = text.find('E');
    if (exponent != std::string::npos) {
        std::string mantissa = text.substr(0, exponent);
        bool negative = text[exponent + 1] == '-';
        std::string digits = text.substr(exponent + 2);
        digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
        text = mantissa + "E" + (negative ? "-" : "") + digits;
    }
    size_t point = text.find('.');
    if (point != std::string::npos) text[point] = FormatSettings().DecimalSeparator;
    return text;
}

bool TryStrToFloat(std::string_view text, double& value) {
    text = TrimSpaces(text);
    char decimal = FormatSettings().DecimalSeparator;
    std::string normal;
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        normal += text[i++] == '-' ? "-" : "";
    size_t digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits)
        normal += text[i];
    if (i < text.size() && text[i] == decimal) {
        normal += '.';
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits)
            normal += text[i];
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        normal += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) normal += text[i++];
        size_t exponentDigits = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++exponentDigits)
            normal += text[i];
        if (exponentDigits == 0) return false;
    }
    if (i != text.size()) return false;
    // The text is now in the C library's own syntax ("." as the separator;
    // the program never changes the C locale). The C runtime's strtod rather
    // than std::from_chars: the system's runtime already carries it, where
    // from_chars would link a second float parser into the Windows programs.
    errno = 0;
    char* end = nullptr;
    const double result = CrtTextToDouble(normal.c_str(), &end);
    if (end != normal.c_str() + normal.size() || !std::isfinite(result) ||
        (errno == ERANGE && result == 0))
        return false;
    value = result;
    return true;
}

double StrToFloat(std::string_view text) {
    double value = 0;
    if (!TryStrToFloat(text, value))
        throw EConvertError(FormatResString(SInvalidFloat, {std::string(text)}));
    return value;
}
