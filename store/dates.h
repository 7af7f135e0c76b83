#pragma once
// Dates and times as the records store them, and their display pictures.
//
// A date is a day number: day 1 is 28 December 1800, so 1 January 1801 is
// day 5; 0 means "no date". A time is hundredths of a second since midnight
// plus 1, so midnight is 1 and 23:59:59.99 is 8640000; 0 means "no time".
// The calendar is the Gregorian one throughout (1900 is not a leap year,
// 2000 is). Every conversion between these numbers and calendar values goes
// through this module.

#include <cstdint>
#include <string>
#include <string_view>

namespace qv::dates {

// The last time of a day: 23:59:59.99.
inline constexpr std::int32_t kLastTime = 8640000;

struct Ymd {
  int year = 0;
  int month = 0;
  int day = 0;
  friend bool operator==(const Ymd&, const Ymd&) = default;
};

// Day number of a calendar date. Dates from 28 December 1800 (day 1) to
// 31 December 9999 are accepted; a month outside 1-12, a day outside the
// month (30 February, 29 February 1900) or a date outside that range gives 0.
std::int32_t dayNumber(int year, int month, int day);

// Calendar date of a day number; {0, 0, 0} for a day number that dayNumber
// cannot give (0, negative, or after 31 December 9999).
Ymd fromDayNumber(std::int32_t day);

// Day of the week, 0 = Sunday ... 6 = Saturday (day 1 was a Sunday). Defined
// for every value, counting on backwards for day numbers below 1.
int weekday(std::int32_t day);

// Today's date and the current time of day in the machine's local time zone.
// Read separately, so a caller that needs both exactly at midnight must
// accept that they may straddle it.
std::int32_t today();
std::int32_t clockNow();

// The whole seconds since midnight of a time; 0 for no time (0, or a value
// outside 1..kLastTime).
std::int32_t secondsOfDay(std::int32_t time);

// Time number of a clock time. Returns 0 ("no time") when any part is out of
// range: hours 0-23, minutes and seconds 0-59, hundredths 0-99.
std::int32_t timeOf(int hours, int minutes, int seconds, int hundredths = 0);

// The system's one century rule for two-digit years, used by every reader:
// 00-49 are 2000-2049 and 50-99 are 1950-1999. A value outside 0-99 is taken
// to be a full year already and comes back unchanged.
int expandTwoDigitYear(int yy);

// Date display formats (the configured "date display format").
inline constexpr int kDateMmDdYyyy = 2;   // "mm-dd-yyyy"
inline constexpr int kDateDdMmYyyy = 6;   // "dd-mm-yyyy"
inline constexpr int kDateYyyyMmDd = 10;  // "yyyy-mm-dd"
inline constexpr int kDateSystem = 17;    // "Windows setting"

// A date in a display format: formats 2, 6 and 10 write two-digit month and
// day and a four-digit year joined by "-" ("03-09-2024", "09-03-2024",
// "2024-03-09"). Format 17, and any other value, writes the short date of the
// current C locale (its LC_TIME category, strftime "%x"; "03/09/24" in the
// "C" locale). Day 0, or a day number fromDayNumber rejects, gives "".
std::string formatDate(std::int32_t day, int format);

// Time display formats (the configured "time display format").
inline constexpr int kTimeHhMm = 1;     // "hh:mm"
inline constexpr int kTimeHhMmXm = 3;   // "hh:mmXM"
inline constexpr int kTimeSystem = 7;   // "Windows setting"

// A time in a display format, always without seconds: format 1 is 24-hour
// "hh:mm" ("07:05", "19:30"); format 3 is 12-hour "hh:mmXM" with two-digit
// hours 01-12 ("12:00AM" is midnight, "12:00PM" noon, "07:30PM"); format 7, and
// any other value, uses the time format of the current C locale (LC_TIME,
// nl_langinfo(T_FMT)) with its seconds field and the separator before it
// left out, falling back to "%H:%M" when that yields nothing. Time 0, or a
// value above kLastTime or below 0, gives "".
std::string formatTime(std::int32_t time, int format);

// The fixed English pictures of the export headers, independent of the
// locale and of the display settings:
//   D7  "05-Mar-95"   (day and year with two digits; the year modulo 100)
//   D8  "05-Mar-1995"
//   Www "Sun"         (English weekday)
//   Mmm "Mar"         (English month)
// A day number fromDayNumber rejects (0 included) gives "" for each.
std::string pictureD7(std::int32_t day);
std::string pictureD8(std::int32_t day);
std::string pictureWww(std::int32_t day);
std::string pictureMmm(std::int32_t day);
// English month name of month 1-12; "" for another value.
std::string_view monthAbbreviation(int month);
//   T04 "09:05:00"    (hours, minutes and seconds, two digits each)
//   T4  "9:05:00"     (the same without a forced leading zero of the hour)
// Time 0 ("no time") gives midnight, "00:00:00" and "0:00:00"; a value
// above kLastTime or below 0 also counts as no time.
std::string pictureT04(std::int32_t time);
std::string pictureT4(std::int32_t time);

}  // namespace qv::dates
