// Text conversion of numbers, dates and times: the runtime's formatting and
// the matching conversions back, with the user's locale separators and date
// order. Conversions of unreadable text raise EConvertError with the string
// table's message; the Try forms report the failure in their result instead.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Days since 1899-12-30; the fraction is the time of day.
using TDateTime = double;

// --- Integers ---------------------------------------------------------------

// Decimal text, with a leading "-" when negative and no leading zeros.
std::string IntToStr(int64_t value);

// Reads a signed 32-bit integer: leading spaces (0x20 only), then either an
// optional sign and decimal digits in range, or a hexadecimal prefix ("$",
// "x", "X", "0x", "0X"), no sign and at most eight significant hexadecimal
// digits taken as two's complement ($FFFFFFFF is -1). The whole text must be
// consumed. False for anything else, the empty text included.
bool TryStrToInt(std::string_view text, int32_t& value);
int32_t StrToInt(std::string_view text); // raises EConvertError
// Reads exactly a decimal integer: an optional "-", then one or more digits,
// in the signed 32-bit range; nothing before or after (no spaces, no "+").
bool TryDecimalToInt(std::string_view text, int32_t& value);
int32_t StrToIntDef(std::string_view text, int32_t defaultValue);

// --- Locale settings ----------------------------------------------------------

struct TFormatSettings {
    char DecimalSeparator = '.';
    char DateSeparator = '/';
    char TimeSeparator = ':';
    std::string ShortDateFormat = "M/d/yyyy";  // a Windows date picture
    std::string LongTimeFormat = "h:mm:ss tt"; // a Windows time picture
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";
};

// The settings in force: read from the user's locale on first use.
const TFormatSettings& FormatSettings();
// Reads the user's locale settings again (after a settings change).
void LoadFormatSettings();
// Replaces the settings in force.
void SetFormatSettings(const TFormatSettings& settings);

// --- Floating point -----------------------------------------------------------

// Up to 15 significant digits with the locale's decimal separator; exponent
// form ("1.5E20", "1E-7") for very large or small values.
std::string FloatToStr(double value);
// Optional sign, digits with an optional decimal separator, optional
// exponent; surrounding spaces allowed. Finite results only.
bool TryStrToFloat(std::string_view text, double& value);
double StrToFloat(std::string_view text); // raises EConvertError

// --- Dates and times ------------------------------------------------------------

bool TryEncodeDate(int year, int month, int day, TDateTime& value);
bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& value);
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond);

// The date in the short date format, the time in the long time format, and
// both (the time left out at midnight).
std::string DateToStr(TDateTime value);
std::string TimeToStr(TDateTime value);
std::string DateTimeToStr(TDateTime value);

// Reads a date in the short date format's order of day, month and year,
// separated by the date separator; the year may be left out (this year) or
// have two digits (the century within fifty years of this year).
bool TryStrToDate(std::string_view text, TDateTime& value);
// Reads hours[:minutes[:seconds[.milliseconds]]] with an optional AM or PM marker.
bool TryStrToTime(std::string_view text, TDateTime& value);
// Reads a date, a time, or a date and a time separated by a space.
bool TryStrToDateTime(std::string_view text, TDateTime& value);
TDateTime StrToDate(std::string_view text); // raise EConvertError
TDateTime StrToTime(std::string_view text);
TDateTime StrToDateTime(std::string_view text);
