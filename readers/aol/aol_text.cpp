// The texts of an AOL message: the date line, inflating, plain text as markup.
#include <zlib.h>

#include <array>
#include <cstdio>
#include <vector>

#include "readers/aol/aol_reader.h"
#include "text/date_text.h"
#include "store/dates.h"

namespace qv::aol {
namespace {

// Send times between these (1 January 1995 and 1 January 2009, in seconds
// since 1 January 1980) are taken; others are not trusted.
constexpr std::uint32_t kSentAfter = 473'385'600;
constexpr std::uint32_t kSentBefore = 915'235'200;
constexpr std::uint32_t kSecondsPerDay = 86'400;

constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

std::string dateLine(std::optional<std::uint32_t> sentSeconds, std::string_view dateText, DateOrder order,
                     std::int32_t today) {
  const std::size_t lead = dateText.find_first_not_of(' ');
  dateText = lead == std::string_view::npos ? std::string_view() : dateText.substr(lead);
  const std::size_t blank = dateText.find(' ');
  const std::string_view datePart = dateText.substr(0, blank);
  const std::string_view timePart = blank == std::string_view::npos ? "00:00:00" : dateText.substr(blank + 1);

  std::int32_t day = 0;
  if (sentSeconds && *sentSeconds > kSentAfter && *sentSeconds < kSentBefore) {
    day = static_cast<std::int32_t>(*sentSeconds / kSecondsPerDay) + dates::dayNumber(1980, 1, 1);
    if (day > today) day = 0;
  }
  if (day == 0) day = internet::parseNumericDate(datePart, order);
  if (day == 0) return std::string(dateText);
  const dates::Ymd ymd = dates::fromDayNumber(day);
  char buf[24];
  std::snprintf(buf, sizeof buf, "%02d %s %04d ", ymd.day, kMonths[static_cast<std::size_t>(ymd.month - 1)], ymd.year);
  return buf + std::string(timePart);
}

std::string inflateText(std::string_view compressed) {
  if (compressed.size() > kTextMax) return std::string(kTooLargeText);
  std::vector<Bytef> out(kTextMax);
  uLongf length = static_cast<uLongf>(out.size());
  const int rc = uncompress(out.data(), &length, reinterpret_cast<const Bytef*>(compressed.data()),
                            static_cast<uLong>(compressed.size()));
  switch (rc) {
    case Z_OK: return std::string(reinterpret_cast<const char*>(out.data()), length);
    case Z_DATA_ERROR: return std::string(kCorruptedText);
    case Z_MEM_ERROR: return std::string(kNoMemoryText);
    case Z_BUF_ERROR: return std::string(kTooLargeText);
    default: return std::string(kUnexpectedText);
  }
}

std::string plainToMarkup(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "<BR>";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace qv::aol
