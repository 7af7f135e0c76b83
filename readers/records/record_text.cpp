#include "readers/records/record_text.h"

#include "import/formats.h"
#include "text/cserve_text.h"
#include "text/date_text.h"
#include "store/dates.h"

namespace qv::records {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Two digits at `at`, or -1.
int twoDigits(std::string_view s, std::size_t at) {
  if (at + 2 > s.size() || !isDigit(s[at]) || !isDigit(s[at + 1])) return -1;
  return (s[at] - '0') * 10 + (s[at + 1] - '0');
}

std::string_view clipped(std::string_view s) {
  const std::size_t start = s.find_first_not_of(' ');
  if (start == std::string_view::npos) return {};
  return s.substr(start, s.find_last_not_of(' ') - start + 1);
}

}  // namespace

std::string cleanAddress(std::string_view address) {
  const std::size_t comma = address.find(',');
  if (comma != std::string_view::npos && comma < address.find('@')) return std::string(address);
  const std::string_view rest = cserve::withoutInternetPrefix(address);
  if (rest.size() == address.size()) return std::string(address);
  return std::string(rest.substr(0, kInternetAddressMax));
}

std::string_view withoutTrailingCrLf(std::string_view text) {
  return text.ends_with("\r\n") ? text.substr(0, text.size() - 2) : text;
}

std::string repairNavcisLineEnds(std::string_view text, int variant, bool mail) {
  if (text.size() <= 2) return std::string(text);
  std::string out;
  if (variant == kNavCis16Variant) {
    if (text.front() == '\0') text.remove_prefix(1);
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
      if (c == '\0') {
        out += "\r\n";
      } else {
        out += c;
      }
    }
    return out;
  }
  if (variant != kNavCis17Variant || !mail || text.find("\r\n") != std::string_view::npos) return std::string(text);
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::int32_t navcisDate(std::string_view text) {
  text = clipped(text);
  if (text.size() < 9) return 0;
  const int day = twoDigits(text, 0);
  const int month = internet::monthNumber(text.substr(3, 3));
  const int year = twoDigits(text, 7);
  if (day < 0 || month == 0 || year < 0) return 0;
  return dates::dayNumber(dates::expandTwoDigitYear(year), month, day);
}

std::int32_t navcisTime(std::string_view text) {
  std::string t(clipped(text));
  if (t.size() > 1 && t[1] == ':') t.insert(0, "0");
  if (t.size() == 5) t += ":00";
  if (t.size() != 8 || t[2] != ':' || t[5] != ':') return 0;
  const int h = twoDigits(t, 0), m = twoDigits(t, 3), s = twoDigits(t, 6);
  if (h < 0 || m < 0 || s < 0) return 0;
  return dates::timeOf(h, m, s);
}

std::int32_t hhmmTime(std::string_view text) {
  text = clipped(text);
  if (text.size() != 5 || text[2] != ':') return 0;
  const int h = twoDigits(text, 0), m = twoDigits(text, 3);
  if (h < 0 || m < 0) return 0;
  return dates::timeOf(h, m, 0);
}

LineQueue memoLines(std::string_view text) {
  LineQueue lines;
  bool crSeen = false;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.size(), next = text.size();
    for (std::size_t i = pos; i < text.size(); ++i) {
      if (text[i] == '\r') {
        crSeen = true;
        if (i + 1 < text.size() && text[i + 1] == '\n') {
          end = i;
          next = i + 2;
          break;
        }
      } else if (text[i] == '\n' && !crSeen) {
        end = i;
        next = i + 1;
        break;
      }
    }
    std::string_view line = text.substr(pos, end - pos);
    pos = next;
    if (line.empty()) {
      if (!lines.empty()) lines.push_back({});
      continue;
    }
    while (!line.empty()) {
      const std::string_view piece = line.substr(0, kQueueLineMax);
      line.remove_prefix(piece.size());
      lines.push_back({std::string(piece), !line.empty()});
    }
  }
  return lines;
}

LineQueue ouiMessageLines(std::string_view extra, std::string_view body) {
  LineQueue lines = memoLines(extra);
  if (lines.empty()) return lines;
  // The header ends where the body begins.
  while (lines.back().text.empty()) lines.pop_back();
  lines.push_back({});
  for (QueueLine& l : memoLines(body)) lines.push_back(std::move(l));
  return lines;
}

}  // namespace qv::records
