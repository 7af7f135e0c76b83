#include "wordindex/word_cutter.h"

#include <algorithm>
#include <array>

#include "store/charset.h"

namespace qv::wordindex {

namespace {

// Digits a number without letters may have before it reads as header data
// (message numbers, sizes, serials) rather than a year or a quantity.
constexpr std::size_t kPlainNumberMax = 5;

constexpr std::array<std::string_view, 24> kHeaderNames = {
    "RECEIVED",     "MESSAGE-ID",        "REFERENCES",       "IN-REPLY-TO", "RETURN-PATH", "MIME-VERSION",
    "DELIVERED-TO", "DKIM-SIGNATURE",    "AUTHENTICATION-RESULTS", "ARC-SEAL", "ARC-MESSAGE-SIGNATURE",
    "ARC-AUTHENTICATION-RESULTS", "RECEIVED-SPF", "PATH", "NNTP-POSTING-HOST", "NNTP-POSTING-DATE",
    "XREF",         "LINES",             "ENVELOPE-TO",      "ERRORS-TO",   "SENDER",      "PRECEDENCE",
    "THREAD-INDEX", "THREAD-TOPIC"};

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexLetter(char c) { return (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
bool isNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || isDigit(c) || c == '-';
}

bool hasLetter(std::string_view w) {
  return std::any_of(w.begin(), w.end(), [](char c) { return upper1252(c) != lower1252(c); });
}

bool looksLikeNumber(std::string_view w) {
  if (w.empty()) return false;
  if (isDigit(w.front())) return true;
  const bool allHex = std::all_of(w.begin(), w.end(), [](char c) { return isDigit(c) || isHexLetter(c); });
  return allHex && std::any_of(w.begin(), w.end(), isDigit);
}

}  // namespace

bool looksLikeHeaderLine(std::string_view line) {
  std::size_t n = 0;
  while (n < line.size() && isNameChar(line[n])) ++n;
  if (n == 0 || n >= line.size() || line[n] != ':') return false;
  const std::string name = upper1252(line.substr(0, n));
  if (name.rfind("X-", 0) == 0 || name.rfind("CONTENT-", 0) == 0 || name.rfind("LIST-", 0) == 0) return true;
  return std::find(kHeaderNames.begin(), kHeaderNames.end(), name) != kHeaderNames.end();
}

bool looksLikeTagLine(std::string_view line) {
  if (!line.empty() && line.front() == ' ') line.remove_prefix(1);
  static constexpr std::array<std::string_view, 5> kMarks = {"...", "---", "___", "* Origin:", "\xFE "};
  return std::any_of(kMarks.begin(), kMarks.end(), [&](std::string_view m) { return line.starts_with(m); });
}

WordCutter::WordCutter(std::string_view text, const DelimiterSet& set, CutOptions options)
    : text_(text), set_(set), options_(options) {}

bool WordCutter::atLineStart() const { return at_ == 0 || text_[at_ - 1] == '\n'; }

void WordCutter::skipLine() {
  const std::size_t end = text_.find('\n', at_);
  at_ = end == std::string_view::npos ? text_.size() : end + 1;
}

bool WordCutter::kept(std::string_view word) const {
  if (word.size() < options_.minLength || word.size() > kWordMax) return false;
  if (options_.excludeNumbers && looksLikeNumber(word)) return false;
  if (!hasLetter(word)) {
    const bool digitsOnly = std::all_of(word.begin(), word.end(), isDigit);
    if (!digitsOnly || word.size() > kPlainNumberMax) return false;
  }
  return true;
}

bool WordCutter::next(WordHit& hit) {
  while (at_ < text_.size()) {
    if (atLineStart()) {
      const std::string_view line = text_.substr(at_);
      const bool continuation = !line.empty() && (line.front() == ' ' || line.front() == '\t');
      if ((inHeader_ && continuation) || looksLikeHeaderLine(line)) {
        inHeader_ = true;
        skipLine();
        continue;
      }
      inHeader_ = false;
      if (options_.excludeTagLines && looksLikeTagLine(line)) {
        skipLine();
        continue;
      }
    }
    const auto c = static_cast<unsigned char>(text_[at_]);
    if (!set_.starts(c)) {
      ++at_;
      continue;
    }
    const std::size_t start = at_;
    std::size_t end = start + 1;
    while (end < text_.size() && text_[end] != '\n' && set_.inside(static_cast<unsigned char>(text_[end]))) ++end;
    at_ = end;
    while (end > start + 1 && !set_.ends(static_cast<unsigned char>(text_[end - 1]))) --end;
    const std::string_view word = text_.substr(start, end - start);
    if (!kept(word)) continue;
    hit.word = upper1252(word);
    hit.start = start;
    hit.length = word.size();
    return true;
  }
  return false;
}

}  // namespace qv::wordindex
