// Dates and times: encoding into TDateTime, formatting with the locale's
// date and time pictures, and reading them back.
#include "runtime/textconv.h"

#include "platform/win32.h"
#include "runtime/ascii.h"
#include "runtime/exceptions.h"
#include "runtime/resstrings.h"

#include <cmath>
#include <vector>

namespace {

constexpr int64_t kMillisecondsPerDay = 86400000;

// Days from 1899-12-30 to a date of the proleptic Gregorian calendar.
int64_t DaysFromEpoch(int year, int month, int day) {
    int64_t y = year - (month <= 2 ? 1 : 0);
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    int64_t yearOfEra = y - era * 400;
    int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 693899; // 693899: the same count for 1899-12-30
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Splits a date-time into whole days (signed) and the milliseconds of the
// day; negative values count their time forward from the start of their day.
void Split(TDateTime value, int64_t& days, int64_t& milliseconds) {
    int64_t total = std::llround(std::fabs(value) * kMillisecondsPerDay);
    days = total / kMillisecondsPerDay;
    milliseconds = total % kMillisecondsPerDay;
    if (value < 0) days = -days;
}

std::string_view TrimSpaces(std::string_view text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Counts a run of the same letter at position i of a picture.
size_t RunLength(const std::string& picture, size_t i) {
    size_t n = 1;
    while (i + n < picture.size() && picture[i + n] == picture[i])
        ++n;
    return n;
}

// The value in decimal, zero-padded to at least `width` characters (sign
// included), as printf's "%0*d" writes it.
std::string Padded(int value, size_t width) {
    std::string digits = std::to_string(value < 0 ? -static_cast<long long>(value) : value);
    const size_t sign = value < 0 ? 1 : 0;
    if (digits.size() + sign < width) digits.insert(0, width - digits.size() - sign, '0');
    return value < 0 ? "-" + digits : digits;
}

// Formats with a Windows date or time picture: d dd M MM y yy yyyy h hh H HH
// m mm s ss t tt, '/' and ':' as the locale's separators, quoted literals.
std::string FormatPicture(const std::string& picture, TDateTime value) {
    const TFormatSettings& settings = FormatSettings();
    int year, month, day, hour, minute, second, millisecond;
    DecodeDate(value, year, month, day);
    DecodeTime(value, hour, minute, second, millisecond);
    std::string out;
    for (size_t i = 0; i < picture.size();) {
        char c = picture[i];
        size_t n = RunLength(picture, i);
        switch (c) {
        case 'd':
            out += Padded(day, n >= 2 ? 2 : 1);
            break;
        case 'M':
            out += Padded(month, n >= 2 ? 2 : 1);
            break;
        case 'y':
            out += n <= 2 ? Padded(year % 100, n) : Padded(year, 4);
            break;
        case 'h':
            out += Padded(hour % 12 == 0 ? 12 : hour % 12, std::min<size_t>(n, 2));
            break;
        case 'H':
            out += Padded(hour, std::min<size_t>(n, 2));
            break;
        case 'm':
            out += Padded(minute, std::min<size_t>(n, 2));
            break;
        case 's':
            out += Padded(second, std::min<size_t>(n, 2));
            break;
        case 't': {
            const std::string& marker = hour < 12 ? settings.TimeAMString : settings.TimePMString;
            out += n == 1 ? marker.substr(0, 1) : marker;
            break;
        }
        case '\'': {
            size_t close = picture.find('\'', i + 1);
            if (close == std::string::npos) close = picture.size();
            out += picture.substr(i + 1, close - i - 1);
            n = close - i + 1;
            break;
        }
        case '/':
            out.append(n, settings.DateSeparator);
            break;
        case ':':
            out.append(n, settings.TimeSeparator);
            break;
        default:
            out.append(n, c);
            break;
        }
        i += n;
    }
    return out;
}

// Splits text at the separator into runs of decimal digits (with their digit
// counts, when asked); false when a part is empty, not all digits, or longer
// than four digits.
bool SplitNumbers(std::string_view text, char separator, std::vector<int>& numbers,
                  std::vector<size_t>* widths = nullptr) {
    numbers.clear();
    size_t start = 0;
    while (true) {
        size_t end = text.find(separator, start);
        std::string_view part =
            text.substr(start, end == std::string_view::npos ? end : end - start);
        if (part.empty() || part.size() > 4) return false;
        int number = 0;
        for (char c : part) {
            if (c < '0' || c > '9') return false;
            number = number * 10 + (c - '0');
        }
        numbers.push_back(number);
        if (widths) widths->push_back(part.size());
        if (end == std::string_view::npos) return true;
        start = end + 1;
    }
}

int CurrentYear() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now.wYear;
}

// The order of day, month and year in the short date picture, as the letters d, M, y.
std::string DateOrder(const std::string& picture) {
    std::string order;
    bool quoted = false;
    for (char c : picture) {
        if (c == '\'') quoted = !quoted;
        if (!quoted && (c == 'd' || c == 'M' || c == 'y') && order.find(c) == std::string::npos)
            order += c;
    }
    return order.size() == 3 ? order : "Mdy";
}

// Removes an AM or PM marker (the locale's or the English one) from the
// start or the end of text; -1 none, 0 AM, 1 PM.
int TakeMarker(std::string_view& text) {
    const TFormatSettings& settings = FormatSettings();
    const std::string_view markers[][2] = {{settings.TimeAMString, settings.TimePMString},
                                           {"AM", "PM"}};
    for (const auto& pair : markers) {
        for (int pm = 0; pm < 2; ++pm) {
            std::string_view marker = pair[pm];
            if (marker.empty() || text.size() < marker.size()) continue;
            if (EqualIgnoringAsciiCase(text.substr(text.size() - marker.size()), marker)) {
                text = TrimSpaces(text.substr(0, text.size() - marker.size()));
                return pm;
            }
            if (EqualIgnoringAsciiCase(text.substr(0, marker.size()), marker)) {
                text = TrimSpaces(text.substr(marker.size()));
                return pm;
            }
        }
    }
    return -1;
}

[[noreturn]] void RaiseConvertError(unsigned message, std::string_view text) {
    throw EConvertError(FormatResString(message, {std::string(text)}));
}

} // namespace

bool TryEncodeDate(int year, int month, int day, TDateTime& value) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month))
        return false;
    value = static_cast<TDateTime>(DaysFromEpoch(year, month, day));
    return true;
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& value) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        millisecond < 0 || millisecond > 999)
        return false;
    value = (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) / kMillisecondsPerDay;
    return true;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
    int64_t days, milliseconds;
    Split(value, days, milliseconds);
    int64_t z = days + 693899;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t dayOfEra = z - era * 146097;
    int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    int64_t mp = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond) {
    int64_t days, milliseconds;
    Split(value, days, milliseconds);
    hour = static_cast<int>(milliseconds / 3600000);
    minute = static_cast<int>(milliseconds / 60000 % 60);
    second = static_cast<int>(milliseconds / 1000 % 60);
    millisecond = static_cast<int>(milliseconds % 1000);
}

std::string DateToStr(TDateTime value) {
    return FormatPicture(FormatSettings().ShortDateFormat, value);
}

std::string TimeToStr(TDateTime value) {
    return FormatPicture(FormatSettings().LongTimeFormat, value);
}

std::string DateTimeToStr(TDateTime value) {
    int64_t days, milliseconds;
    Split(value, days, milliseconds);
    return milliseconds == 0 ? DateToStr(value) : DateToStr(value) + " " + TimeToStr(value);
}

bool TryStrToDate(std::string_view text, TDateTime& value) {
    const TFormatSettings& settings = FormatSettings();
    std::vector<int> numbers;
    std::vector<size_t> widths;
    if (!SplitNumbers(TrimSpaces(text), settings.DateSeparator, numbers, &widths)) return false;
    std::string order = DateOrder(settings.ShortDateFormat);
    int year = CurrentYear(), month = 0, day = 0;
    bool twoDigitYear = false;
    if (numbers.size() == 3) {
        for (size_t i = 0; i < 3; ++i) {
            if (order[i] == 'y') {
                year = numbers[i];
                twoDigitYear = widths[i] <= 2;
            } else if (order[i] == 'M') {
                month = numbers[i];
            } else {
                day = numbers[i];
            }
        }
    } else if (numbers.size() == 2) {
        std::string withoutYear = order;
        withoutYear.erase(withoutYear.find('y'), 1);
        month = withoutYear[0] == 'M' ? numbers[0] : numbers[1];
        day = withoutYear[0] == 'M' ? numbers[1] : numbers[0];
    } else {
        return false;
    }
    if (twoDigitYear) {
        int now = CurrentYear();
        year += now / 100 * 100;
        if (year > now + 50) year -= 100;
    }
    return TryEncodeDate(year, month, day, value);
}

bool TryStrToTime(std::string_view text, TDateTime& value) {
    const TFormatSettings& settings = FormatSettings();
    std::string_view rest = TrimSpaces(text);
    int marker = TakeMarker(rest);
    int millisecond = 0;
    size_t fraction = rest.find(settings.DecimalSeparator);
    if (fraction != std::string_view::npos) {
        std::string_view digits = rest.substr(fraction + 1);
        if (digits.empty() || digits.size() > 3) return false;
        for (char c : digits) {
            if (c < '0' || c > '9') return false;
            millisecond = millisecond * 10 + (c - '0');
        }
        for (size_t n = digits.size(); n < 3; ++n)
            millisecond *= 10;
        rest = rest.substr(0, fraction);
    }
    std::vector<int> numbers;
    if (!SplitNumbers(rest, settings.TimeSeparator, numbers) || numbers.size() > 3) return false;
    if (fraction != std::string_view::npos && numbers.size() != 3) return false;
    numbers.resize(3, 0);
    int hour = numbers[0];
    if (marker >= 0) {
        if (hour < 1 || hour > 12) return false;
        hour = hour % 12 + (marker == 1 ? 12 : 0);
    }
    return TryEncodeTime(hour, numbers[1], numbers[2], millisecond, value);
}

bool TryStrToDateTime(std::string_view text, TDateTime& value) {
    std::string_view trimmed = TrimSpaces(text);
    size_t space = trimmed.find(' ');
    TDateTime date = 0, time = 0;
    if (space == std::string_view::npos) {
        if (TryStrToDate(trimmed, value)) return true;
        return TryStrToTime(trimmed, value);
    }
    if (!TryStrToDate(trimmed.substr(0, space), date) ||
        !TryStrToTime(trimmed.substr(space + 1), time))
        return false;
    value = date < 0 ? date - time : date + time;
    return true;
}

TDateTime StrToDate(std::string_view text) {
    TDateTime value = 0;
    if (!TryStrToDate(text, value)) RaiseConvertError(SInvalidDate, text);
    return value;
}

TDateTime StrToTime(std::string_view text) {
    TDateTime value = 0;
    if (!TryStrToTime(text, value)) RaiseConvertError(SInvalidTime, text);
    return value;
}

TDateTime StrToDateTime(std::string_view text) {
    TDateTime value = 0;
    if (!TryStrToDateTime(text, value)) RaiseConvertError(SInvalidDateTime, text);
    return value;
}
