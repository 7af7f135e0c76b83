#include "text/date_text.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "store/charset.h"
#include "store/dates.h"

namespace qv::internet {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Character `pos` (from 1) of the text; a blank past its end.
char charAt(std::string_view s, std::size_t pos) { return pos - 1 < s.size() ? s[pos - 1] : ' '; }

// The number in the `count` characters at `at` (from 0); leading blanks are
// allowed (" 5"), anything else that is not a digit gives -1.
int numberAt(std::string_view s, std::size_t at, std::size_t count) {
  if (at > s.size() || count > s.size() - at) return -1;
  int value = 0;
  bool any = false;
  for (char c : s.substr(at, count)) {
    if (c == ' ' && !any) continue;
    if (!isDigit(c)) return -1;
    value = value * 10 + (c - '0');
    any = true;
  }
  return any ? value : -1;
}

// The `count` characters at `at` (fewer at the end of the text).
std::string_view part(std::string_view s, std::size_t at, std::size_t count) {
  return at < s.size() ? s.substr(at, count) : std::string_view{};
}

std::string_view skipBlanks(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return s;
}

// "HH:MM:SS" when the character after "HH:MM" continues the time, else
// "HH:MM" with ":00". A one-digit hour is read too.
std::int32_t clockAt(std::string_view s, std::size_t from) {
  if (from >= s.size()) return 0;
  s = skipBlanks(s.substr(from));
  std::size_t i = 0;
  int hours = 0;
  while (i < s.size() && i < 2 && isDigit(s[i])) hours = hours * 10 + (s[i++] - '0');
  if (i == 0 || i >= s.size() || s[i] != ':') return 0;
  const int minutes = numberAt(s, i + 1, 2);
  if (minutes < 0 || !isDigit(s[i + 1])) return 0;
  int seconds = 0;
  if (i + 3 < s.size() && s[i + 3] == ':') {
    seconds = numberAt(s, i + 4, 2);
    if (seconds < 0) return 0;
  }
  return dates::timeOf(hours, minutes, seconds);
}

std::int32_t dayOf(int year, std::size_t yearDigits, int month, int day) {
  if (year < 0 || month == 0 || day <= 0) return 0;
  if (yearDigits <= 2) year = dates::expandTwoDigitYear(year);
  return dates::dayNumber(year, month, day);
}

std::vector<std::string_view> words(std::string_view s) {
  std::vector<std::string_view> out;
  while (true) {
    s = skipBlanks(s);
    if (s.empty()) return out;
    const std::size_t end = s.find(' ');
    out.push_back(s.substr(0, end));
    if (end == std::string_view::npos) return out;
    s.remove_prefix(end);
  }
}

int wordNumber(std::string_view w) { return w.empty() || w.size() > 4 ? -1 : numberAt(w, 0, w.size()); }

// Layouts A and B: day, month and year at fixed places, then the time.
DateTime fixedLayout(std::string_view t, std::size_t dayDigits) {
  const std::size_t monthAt = dayDigits + 1;  // from 0
  const std::size_t yearAt = monthAt + 4;
  const bool longYear = charAt(t, yearAt + 3) != ' ';
  const std::size_t yearDigits = longYear ? 4 : 2;
  DateTime dt;
  dt.date =
      dayOf(numberAt(t, yearAt, yearDigits), yearDigits, monthNumber(part(t, monthAt, 3)), numberAt(t, 0, dayDigits));
  dt.time = clockAt(t, yearAt + yearDigits + 1);
  return dt;
}

DateTime commaLayout(std::string_view t, std::size_t comma) {
  DateTime dt;
  std::vector<std::string_view> w;
  int day = -1;
  int month = 0;
  if (comma == 3) {  // "WED, 1 JAN 1999 12:00:00"
    w = words(t.substr(comma + 1));
    if (w.size() < 3) return dt;
    day = wordNumber(w[0]);
    month = monthNumber(w[1].substr(0, 3));
    w.erase(w.begin(), w.begin() + 2);
  } else {  // "WEDNESDAY, JAN 01, 1999 12:00"
    const std::size_t next = t.find(',', comma + 1);
    if (next == std::string_view::npos || next < 2) return dt;
    month = monthNumber(skipBlanks(t.substr(comma + 1)).substr(0, 3));
    day = numberAt(t, next - 2, 2);
    w = words(t.substr(next + 1));
    if (w.empty()) return dt;
  }
  dt.date = dayOf(wordNumber(w[0]), w[0].size(), month, day);
  if (w.size() > 1) dt.time = clockAt(w[1], 0);
  return dt;
}

}  // namespace

int monthNumber(std::string_view name) {
  static constexpr std::array<std::string_view, 16> kNames = {"JAN", "FEB", "MAR", "M\xC4R", "APR", "MAY",
                                                              "MAI", "JUN", "JUL", "AUG",    "SEP", "OCT",
                                                              "OKT", "NOV", "DEC", "DEZ"};
  static constexpr std::array<int, 16> kMonths = {1, 2, 3, 3, 4, 5, 5, 6, 7, 8, 9, 10, 10, 11, 12, 12};
  if (name.size() != 3) return 0;
  const std::string u = upper1252(name);
  for (std::size_t i = 0; i < kNames.size(); ++i)
    if (u == kNames[i]) return kMonths[i];
  return 0;
}

DateTime parseDateText(std::string_view text) {
  const std::string u = upper1252(skipBlanks(text));
  const std::string_view t(u);
  const auto pair = [&](std::size_t a, std::size_t b) {
    return (charAt(t, a) == '-' && charAt(t, b) == '-') || (charAt(t, a) == ' ' && charAt(t, b) == ' ');
  };
  if (t.empty()) return {};
  if (pair(3, 7)) return fixedLayout(t, 2);
  if (pair(2, 6)) return fixedLayout(t, 1);
  const std::size_t comma = t.find(',');
  if (comma == std::string_view::npos) return {};
  return commaLayout(t, comma);
}

DateTime parseDayNameDateText(std::string_view text) {
  std::string t = upper1252(skipBlanks(text));
  if (t.size() >= 4 && t[3] == ',') t = std::string(skipBlanks(std::string_view(t).substr(4)));
  if (t.size() >= 2 && isDigit(t[0]) && !isDigit(t[1])) t.insert(0, 1, '0');
  return parseDateText(t);
}

DateTime parseSeparatorDate(std::string_view line) {
  // "From ???@??? Www Mmm DD HH:MM:SS YYYY": month, day, time and year from character 18.
  DateTime dt;
  if (line.size() < 17) return dt;
  dt.date = dayOf(numberAt(line, 33, 4), 4, monthNumber(part(line, 17, 3)), numberAt(line, 21, 2));
  dt.time = clockAt(line, 24);
  return dt;
}

namespace {

bool isSeparator(char c) { return c == '/' || c == '-' || c == '.'; }

}  // namespace

NumericOrder numericOrderOf(std::int32_t configured) {
  if (configured == 2) return NumericOrder::DayMonthYear;
  if (configured == 3) return NumericOrder::YearMonthDay;
  return NumericOrder::MonthDayYear;
}

std::int32_t parseNumericDate(std::string_view date, NumericOrder order) {
  std::vector<std::string_view> numbers;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= date.size(); ++i) {
    if (i < date.size() && !isSeparator(date[i])) {
      if (date[i] < '0' || date[i] > '9') return 0;
      continue;
    }
    numbers.push_back(date.substr(start, i - start));
    start = i + 1;
  }
  if (numbers.size() != 3) return 0;
  int value[3] = {};
  for (int i = 0; i < 3; ++i) {
    if (numbers[i].empty() || numbers[i].size() > 4) return 0;
    for (char c : numbers[i]) value[i] = value[i] * 10 + (c - '0');
  }
  int y = 0, m = 0, d = 0;
  const bool yearFirst = numbers[0].size() == 4 || order == NumericOrder::YearMonthDay;
  if (yearFirst) {
    y = value[0], m = value[1], d = value[2];
  } else if (order == NumericOrder::DayMonthYear) {
    d = value[0], m = value[1], y = value[2];
  } else {
    m = value[0], d = value[1], y = value[2];
  }
  const std::size_t yearDigits = yearFirst ? numbers[0].size() : numbers[2].size();
  if (yearDigits <= 2) y = dates::expandTwoDigitYear(y);
  return dates::dayNumber(y, m, d);
}

std::int32_t parseClockTime(std::string_view text) {
  int part[3] = {0, 0, 0};
  int n = 0;
  std::size_t i = 0;
  while (n < 3) {
    const std::size_t start = i;
    while (i < text.size() && i - start < 2 && isDigit(text[i])) part[n] = part[n] * 10 + (text[i++] - '0');
    if (i == start) return 0;
    ++n;
    if (n == 3 || i >= text.size() || text[i] != ':') break;
    ++i;
  }
  if (n < 2) return 0;
  std::string_view rest = text.substr(i);
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  const std::string marker = upper1252(rest.substr(0, 2));
  if (marker == "PM" && part[0] < 12) part[0] += 12;
  if (marker == "AM" && part[0] == 12) part[0] = 0;
  return dates::timeOf(part[0], part[1], part[2]);
}

}  // namespace qv::internet
