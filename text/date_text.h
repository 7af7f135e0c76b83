#pragma once
// Dates of Internet mail and news headers, read into the stored day number
// and time. Time zones are not read or applied; a text that cannot be read
// gives date 0 (and time 0 when no clock time is found).

#include <cstdint>
#include <string_view>

namespace qv::internet {

struct DateTime {
  std::int32_t date = 0;  // day number, 0 = none
  std::int32_t time = 0;  // hundredths since midnight plus 1, 0 = none
};

// The value of a Date line. Three layouts are read (on the text with leading
// blanks removed, upper-cased; positions from 1):
//   A "01-JAN-99 12:00", "01 JAN 1999 12:00:00"  (characters 3 and 7 both "-" or blank)
//   B "1-JAN-99 …", "1 JAN 1999 …"              (characters 2 and 6 both "-" or blank)
//   C "WED, 1 JAN 1999 12:00:00 +0100" and "WEDNESDAY, JAN 01, 1999 12:00"
// Two-digit years follow the system's century rule; a month name outside
// JAN … DEC (with MÄR, MAI, OKT, DEZ) gives date 0.
DateTime parseDateText(std::string_view text);

// Pegasus and Eudora: a leading three-letter day name with its comma is
// dropped and a one-digit day gets a leading "0" before the layouts above.
DateTime parseDayNameDateText(std::string_view text);

// The date of an Eudora separator line
// "From ???@??? Www Mmm DD HH:MM:SS YYYY" (month from character 18).
DateTime parseSeparatorDate(std::string_view line);

// How the numbers of a date text like "05/01/2000" are ordered (the
// configured import date order: 2 day-month-year, 3 year-month-day, any
// other value month-day-year).
enum class NumericOrder : std::uint8_t { MonthDayYear, DayMonthYear, YearMonthDay };
NumericOrder numericOrderOf(std::int32_t configured);

// The day of a date "n SEP n SEP n" (separators "/", "-" or "."; numbers of
// 1 to 4 digits) in `order`, a four-digit first number always being the
// year; two-digit years by the century rule. 0 when it is not such a date
// or not a valid day.
std::int32_t parseNumericDate(std::string_view date, NumericOrder order);

// A clock time "H:MM" or "H:MM:SS", with an optional "AM" or "PM" after a
// blank; 0 when it is not one.
std::int32_t parseClockTime(std::string_view text);

// 1-12 for a three-letter month name in any case, 0 otherwise.
int monthNumber(std::string_view name);

}  // namespace qv::internet
