#include "store/dates.h"

#include <langinfo.h>

#include <cstdio>
#include <ctime>
#include <string_view>

namespace qv::dates {
namespace {

// Days from 1 March of year 0 to the given date (proleptic Gregorian). Counting
// from March puts the leap day at the end of the counted year. Only called
// with years 1800-9999, so everything stays positive.
constexpr std::int32_t civilDays(int year, int month, int day) {
  const int y = month <= 2 ? year - 1 : year;
  const int era = y / 400;
  const int yearOfEra = y - era * 400;
  const int marchMonth = (month + 9) % 12;  // March = 0 ... February = 11
  const int dayOfYear = (153 * marchMonth + 2) / 5 + day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra;
}

constexpr std::int32_t kBefore1 = civilDays(1800, 12, 28) - 1;
constexpr std::int32_t kMaxDay = civilDays(9999, 12, 31) - kBefore1;

constexpr bool isLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

constexpr int daysInMonth(int year, int month) {
  constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeap(year) ? 29 : kDays[month - 1];
}

std::string twoDigits(int n) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

std::tm localNow(long* nanoseconds) {
  std::timespec ts{};
  std::timespec_get(&ts, TIME_UTC);
  std::tm tm{};
  localtime_r(&ts.tv_sec, &tm);
  if (nanoseconds != nullptr) *nanoseconds = ts.tv_nsec;
  return tm;
}

// Appends the conversions of a locale time picture to out, expanding the
// composite %T and %r so that the seconds inside them can be found, and
// leaving out %S (with %ES/%OS) together with a punctuation or blank separator
// written just before it.
void appendWithoutSeconds(std::string_view picture, std::string& out, bool expand) {
  bool lastWasSeparator = false;
  for (std::size_t i = 0; i < picture.size(); ++i) {
    const char c = picture[i];
    if (c != '%' || i + 1 >= picture.size()) {
      out += c;
      const auto u = static_cast<unsigned char>(c);
      lastWasSeparator = u >= 0x20 && u < 0x7F && !(u >= '0' && u <= '9') && !((u | 0x20) >= 'a' && (u | 0x20) <= 'z');
      continue;
    }
    std::string conversion = "%";
    char kind = picture[++i];
    if ((kind == 'E' || kind == 'O') && i + 1 < picture.size()) {
      conversion += kind;
      kind = picture[++i];
    }
    conversion += kind;
    if (kind == 'S') {
      if (lastWasSeparator) out.pop_back();
    } else if (expand && kind == 'T') {
      appendWithoutSeconds("%H:%M:%S", out, false);
    } else if (expand && kind == 'r') {
      const std::string_view ampm = nl_langinfo(T_FMT_AMPM);
      appendWithoutSeconds(ampm.empty() ? "%I:%M:%S %p" : ampm, out, false);
    } else {
      out += conversion;
    }
    lastWasSeparator = false;
  }
}

// strftime into a std::string; "" when the picture produces nothing.
std::string formatTm(const char* picture, const std::tm& tm) {
  char buf[128];
  // The picture is either a literal here or built from the C library's own
  // locale data, never from stored or typed text.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  const std::size_t n = std::strftime(buf, sizeof buf, picture, &tm);
#pragma GCC diagnostic pop
  return std::string(buf, n);
}

}  // namespace

std::int32_t dayNumber(int year, int month, int day) {
  if (year < 1800 || year > 9999 || month < 1 || month > 12 || day < 1) return 0;
  if (day > daysInMonth(year, month)) return 0;
  const std::int32_t n = civilDays(year, month, day) - kBefore1;
  return n >= 1 ? n : 0;
}

Ymd fromDayNumber(std::int32_t day) {
  if (day < 1 || day > kMaxDay) return {};
  const std::int32_t z = day + kBefore1;
  const int era = z / 146097;
  const int dayOfEra = z - era * 146097;
  const int yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int marchMonth = (5 * dayOfYear + 2) / 153;
  Ymd out;
  out.day = dayOfYear - (153 * marchMonth + 2) / 5 + 1;
  out.month = marchMonth < 10 ? marchMonth + 3 : marchMonth - 9;
  out.year = yearOfEra + era * 400 + (out.month <= 2 ? 1 : 0);
  return out;
}

int weekday(std::int32_t day) {
  const std::int64_t r = (static_cast<std::int64_t>(day) - 1) % 7;
  return static_cast<int>(r < 0 ? r + 7 : r);
}

std::int32_t today() {
  const std::tm tm = localNow(nullptr);
  return dayNumber(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

std::int32_t clockNow() {
  long ns = 0;
  const std::tm tm = localNow(&ns);
  // A leap second (tm_sec 60) is held at the last hundredth of the day's second 59.
  const int seconds = tm.tm_sec > 59 ? 59 : tm.tm_sec;
  const int hundredths = tm.tm_sec > 59 ? 99 : static_cast<int>(ns / 10000000);
  return timeOf(tm.tm_hour, tm.tm_min, seconds, hundredths);
}

std::int32_t timeOf(int hours, int minutes, int seconds, int hundredths) {
  if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59 || hundredths < 0 ||
      hundredths > 99)
    return 0;
  return hours * 360000 + minutes * 6000 + seconds * 100 + hundredths + 1;
}

int expandTwoDigitYear(int yy) {
  if (yy < 0 || yy > 99) return yy;
  return yy < 50 ? 2000 + yy : 1900 + yy;
}

std::string formatDate(std::int32_t day, int format) {
  const Ymd d = fromDayNumber(day);
  if (d.year == 0) return {};
  const std::string mm = twoDigits(d.month);
  const std::string dd = twoDigits(d.day);
  const std::string yyyy = std::to_string(d.year);
  switch (format) {
    case kDateMmDdYyyy: return mm + "-" + dd + "-" + yyyy;
    case kDateDdMmYyyy: return dd + "-" + mm + "-" + yyyy;
    case kDateYyyyMmDd: return yyyy + "-" + mm + "-" + dd;
    default: break;
  }
  std::tm tm{};
  tm.tm_year = d.year - 1900;
  tm.tm_mon = d.month - 1;
  tm.tm_mday = d.day;
  tm.tm_wday = weekday(day);
  tm.tm_yday = civilDays(d.year, d.month, d.day) - civilDays(d.year, 1, 1);
  tm.tm_isdst = -1;
  return formatTm("%x", tm);
}

std::string formatTime(std::int32_t time, int format) {
  if (time <= 0 || time > kLastTime) return {};
  const int t = time - 1;
  const int hours = t / 360000;
  const int minutes = t / 6000 % 60;
  switch (format) {
    case kTimeHhMm: return twoDigits(hours) + ":" + twoDigits(minutes);
    case kTimeHhMmXm: {
      const int h12 = hours % 12 == 0 ? 12 : hours % 12;
      return twoDigits(h12) + ":" + twoDigits(minutes) + (hours < 12 ? "AM" : "PM");
    }
    default: break;
  }
  std::tm tm{};
  tm.tm_hour = hours;
  tm.tm_min = minutes;
  tm.tm_sec = t / 100 % 60;
  tm.tm_mday = 1;
  tm.tm_isdst = -1;
  std::string picture;
  appendWithoutSeconds(nl_langinfo(T_FMT), picture, true);
  std::string text = formatTm(picture.c_str(), tm);
  if (text.empty()) text = formatTm("%H:%M", tm);
  return text;
}

namespace {

constexpr std::string_view kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::string_view kWeekdays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

std::string dayMonthYear(std::int32_t day, bool fourDigitYear) {
  const Ymd d = fromDayNumber(day);
  if (d.year == 0) return {};
  char buf[24];
  if (fourDigitYear)
    std::snprintf(buf, sizeof buf, "%02d-%s-%04d", d.day, kMonths[d.month - 1].data(), d.year);
  else
    std::snprintf(buf, sizeof buf, "%02d-%s-%02d", d.day, kMonths[d.month - 1].data(), d.year % 100);
  return buf;
}

std::string clock(std::int32_t time, bool leadingZero) {
  const std::int32_t t = secondsOfDay(time);
  char buf[16];
  std::snprintf(buf, sizeof buf, leadingZero ? "%02d:%02d:%02d" : "%d:%02d:%02d", t / 3600, t / 60 % 60, t % 60);
  return buf;
}

}  // namespace

std::string_view monthAbbreviation(int month) { return month >= 1 && month <= 12 ? kMonths[month - 1] : ""; }
std::string pictureD7(std::int32_t day) { return dayMonthYear(day, false); }
std::string pictureD8(std::int32_t day) { return dayMonthYear(day, true); }
std::string pictureWww(std::int32_t day) {
  return fromDayNumber(day).year == 0 ? std::string() : std::string(kWeekdays[weekday(day)]);
}
std::string pictureMmm(std::int32_t day) { return std::string(monthAbbreviation(fromDayNumber(day).month)); }
std::string pictureT04(std::int32_t time) { return clock(time, true); }
std::string pictureT4(std::int32_t time) { return clock(time, false); }

std::int32_t secondsOfDay(std::int32_t time) { return time > 0 && time <= kLastTime ? (time - 1) / 100 : 0; }

}  // namespace qv::dates
