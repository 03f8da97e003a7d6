// kernel32: file times, system times, DOS date and time stamps, and the
// conversions between UTC and the host's local time.
#include "hostwin/windows.h"

#include "files.h"

#include <ctime>

using namespace hostwin;

namespace {

constexpr ULONGLONG kTicksPerMillisecond = 10000;
constexpr ULONGLONG kTicksPerDay = 864000000000ULL;
constexpr ULONGLONG kLargestFileTime = 0x7FFFFFFFFFFFFFFFULL; // larger values are invalid

// Days from 1601-01-01 to a date of the proleptic Gregorian calendar.
LONGLONG DaysFrom1601(int year, int month, int day) {
    // Counts from 0000-03-01 so that the leap day ends the year.
    int y = year - (month <= 2 ? 1 : 0);
    LONGLONG era = y / 400;
    int yearOfEra = static_cast<int>(y - era * 400);
    int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    LONGLONG fromEpoch0 = era * 146097 + dayOfEra;
    const LONGLONG daysTo1601 = 584694; // the same count for 1601-01-01
    return fromEpoch0 - daysTo1601;
}

void DateOfDays(LONGLONG days, int& year, int& month, int& day) {
    LONGLONG z = days + 584694;
    LONGLONG era = z / 146097;
    int dayOfEra = static_cast<int>(z - era * 146097);
    int yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    int mp = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

ULONGLONG NowTicks() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return FileTimeToTicks(TimespecToFileTime(now));
}

// Shifts a file time by the current local offset, failing outside the valid range.
BOOL Shift(const FILETIME* from, LPFILETIME to, LONGLONG offset) {
    if (!from || !to) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    LONGLONG ticks = static_cast<LONGLONG>(FileTimeToTicks(*from)) + offset;
    if (ticks < 0) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    *to = TicksToFileTime(static_cast<ULONGLONG>(ticks));
    return TRUE;
}

} // namespace

extern "C" {

BOOL WINAPI FileTimeToSystemTime(const FILETIME* time, LPSYSTEMTIME system) {
    if (!time || !system) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    ULONGLONG ticks = FileTimeToTicks(*time);
    if (ticks > kLargestFileTime) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    LONGLONG days = static_cast<LONGLONG>(ticks / kTicksPerDay);
    ULONGLONG milliseconds = (ticks % kTicksPerDay) / kTicksPerMillisecond;
    int year, month, day;
    DateOfDays(days, year, month, day);
    system->wYear = static_cast<WORD>(year);
    system->wMonth = static_cast<WORD>(month);
    system->wDay = static_cast<WORD>(day);
    system->wDayOfWeek = static_cast<WORD>((days + 1) % 7); // 1601-01-01 was a Monday
    system->wHour = static_cast<WORD>(milliseconds / 3600000);
    system->wMinute = static_cast<WORD>(milliseconds / 60000 % 60);
    system->wSecond = static_cast<WORD>(milliseconds / 1000 % 60);
    system->wMilliseconds = static_cast<WORD>(milliseconds % 1000);
    return TRUE;
}

BOOL WINAPI SystemTimeToFileTime(const SYSTEMTIME* system, LPFILETIME time) {
    if (!system || !time) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    const SYSTEMTIME& s = *system;
    // The day of the week is ignored, as on Windows.
    if (s.wYear < 1601 || s.wYear > 30827 || s.wMonth < 1 || s.wMonth > 12 || s.wDay < 1 ||
        s.wDay > DaysInMonth(s.wYear, s.wMonth) || s.wHour > 23 || s.wMinute > 59 ||
        s.wSecond > 59 || s.wMilliseconds > 999)
        return Fail(ERROR_INVALID_PARAMETER, FALSE);
    ULONGLONG days = static_cast<ULONGLONG>(DaysFrom1601(s.wYear, s.wMonth, s.wDay));
    ULONGLONG milliseconds =
        ((s.wHour * 60ULL + s.wMinute) * 60ULL + s.wSecond) * 1000ULL + s.wMilliseconds;
    *time = TicksToFileTime(days * kTicksPerDay + milliseconds * kTicksPerMillisecond);
    return TRUE;
}

BOOL WINAPI FileTimeToLocalFileTime(const FILETIME* utc, LPFILETIME local) {
    return Shift(utc, local, CurrentLocalOffsetTicks());
}

BOOL WINAPI LocalFileTimeToFileTime(const FILETIME* local, LPFILETIME utc) {
    return Shift(local, utc, -CurrentLocalOffsetTicks());
}

BOOL WINAPI FileTimeToDosDateTime(const FILETIME* time, LPWORD dosDate, LPWORD dosTime) {
    SYSTEMTIME s;
    if (!dosDate || !dosTime || !FileTimeToSystemTime(time, &s))
        return Fail(ERROR_INVALID_PARAMETER, FALSE);
    // A DOS date has seven bits of years from 1980.
    if (s.wYear < 1980 || s.wYear > 2107) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    *dosDate = static_cast<WORD>(((s.wYear - 1980) << 9) | (s.wMonth << 5) | s.wDay);
    *dosTime = static_cast<WORD>((s.wHour << 11) | (s.wMinute << 5) | (s.wSecond / 2));
    return TRUE;
}

BOOL WINAPI DosDateTimeToFileTime(WORD dosDate, WORD dosTime, LPFILETIME time) {
    SYSTEMTIME s{};
    s.wYear = static_cast<WORD>(1980 + (dosDate >> 9));
    s.wMonth = static_cast<WORD>((dosDate >> 5) & 15);
    s.wDay = static_cast<WORD>(dosDate & 31);
    s.wHour = static_cast<WORD>(dosTime >> 11);
    s.wMinute = static_cast<WORD>((dosTime >> 5) & 63);
    s.wSecond = static_cast<WORD>((dosTime & 31) * 2);
    return SystemTimeToFileTime(&s, time);
}

void WINAPI GetLocalTime(LPSYSTEMTIME time) {
    FILETIME local = TicksToFileTime(
        static_cast<ULONGLONG>(static_cast<LONGLONG>(NowTicks()) + CurrentLocalOffsetTicks()));
    if (time) FileTimeToSystemTime(&local, time);
}

} // extern "C"
