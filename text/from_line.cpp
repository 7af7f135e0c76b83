#include "text/from_line.h"

#include <algorithm>
#include <array>

#include "store/charset.h"

namespace qv::internet {
namespace {

constexpr std::string_view kBlanks = " \t";
// The most words the date needs: day, month, day of month, time, zone, year, zone.
constexpr std::size_t kDateWordsMax = 7;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isCapital(char c) { return c >= 'A' && c <= 'Z'; }

bool allDigits(std::string_view w, std::size_t n) { return w.size() == n && std::all_of(w.begin(), w.end(), isDigit); }

constexpr std::array<std::string_view, 12> kMonths = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                      "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
constexpr std::array<std::string_view, 7> kDays = {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"};

// A three-letter English name of the list, in any letter case.
template <std::size_t N>
bool nameIn(std::string_view w, const std::array<std::string_view, N>& names) {
  if (w.size() != 3) return false;
  const std::string upper = upper1252(w);
  return std::find(names.begin(), names.end(), upper) != names.end();
}

// "EST", "MET", "-0700", "+0000".
bool isZone(std::string_view w) {
  if (w.size() == 5 && (w[0] == '+' || w[0] == '-')) return allDigits(w.substr(1), 4);
  return !w.empty() && w.size() <= 5 && std::all_of(w.begin(), w.end(), isCapital);
}

// "10:11" or "10:11:12".
bool isTime(std::string_view w) {
  if (w.size() != 5 && w.size() != 8) return false;
  for (std::size_t i = 0; i < w.size(); ++i)
    if (i % 3 == 2 ? w[i] != ':' : !isDigit(w[i])) return false;
  return true;
}

}  // namespace

bool endsInMailboxDate(std::string_view text) {
  // The last words, the last one first.
  std::array<std::string_view, kDateWordsMax> words{};
  std::size_t n = 0;
  std::size_t end = text.find_last_not_of(" \t\r");
  while (end != std::string_view::npos && n < words.size()) {
    const std::size_t blank = text.find_last_of(kBlanks, end);
    const std::size_t begin = blank == std::string_view::npos ? 0 : blank + 1;
    words[n++] = text.substr(begin, end + 1 - begin);
    end = blank == std::string_view::npos ? blank : text.find_last_not_of(kBlanks, blank);
  }
  std::size_t i = 0;
  const auto word = [&](std::size_t k) { return k < n ? words[k] : std::string_view{}; };
  bool zone = false;
  if (isZone(word(i)) && allDigits(word(i + 1), 4)) {
    zone = true;
    ++i;
  }
  if (!allDigits(word(i++), 4)) return false;
  if (!zone && isZone(word(i))) ++i;
  if (!isTime(word(i++))) return false;
  const std::string_view day = word(i++);
  if (day.empty() || day.size() > 2 || !std::all_of(day.begin(), day.end(), isDigit)) return false;
  return nameIn(word(i), kMonths) && nameIn(word(i + 1), kDays);
}

bool fromSeparatorLine(std::string_view line) {
  if (!line.starts_with("From ")) return false;
  if (line.substr(0, 100).find('@') != std::string_view::npos) return true;
  return line.size() <= kFromLineDateMax && endsInMailboxDate(line.substr(5));
}

}  // namespace qv::internet
