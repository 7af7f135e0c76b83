#include "text/body/html_output.h"

#include <algorithm>
#include <array>

#include "text/body/body.h"
#include "text/body/text_util.h"

namespace qv::body::detail {

void HtmlOutput::put(char c) {
  if (text_.size() < kTextMax) text_.push_back(c);
}

bool HtmlOutput::endsInBlankOrLineEnd() const {
  if (text_.empty()) return false;
  const char last = text_.back();
  return last == ' ' || last == '\n' || last == '\r';
}

void HtmlOutput::blank() {
  if (!text_.empty() && !endsInBlankOrLineEnd()) put(' ');
}

void HtmlOutput::cutTrailingBlanks() {
  while (!text_.empty() && text_.back() == ' ') text_.pop_back();
}

void HtmlOutput::lineBreak() {
  cutTrailingBlanks();
  raw("\r\n");
}

void HtmlOutput::paragraphBreak() {
  cutTrailingBlanks();
  const std::string_view t = text_;
  if (t.ends_with("\r\n\r\n")) return;
  raw(t.ends_with("\r\n") ? "\r\n" : "\r\n\r\n");
}

void HtmlOutput::separator() { blank(); }

void HtmlOutput::raw(std::string_view s) {
  for (char c : s) put(c);
}

namespace {

// The characters a run writes as they are: no entity, pair, blank, tab or
// line end (in preformatted text only entities and pairs are decoded).
struct CopiedAsIs {
  std::array<bool, 256> text{};
  std::array<bool, 256> preformatted{};
  constexpr CopiedAsIs() {
    for (std::size_t c = 0; c < 256; ++c) {
      preformatted[c] = c != '&' && c != '=';
      text[c] = preformatted[c] && c != ' ' && c != '\r' && c != '\n' && c != '\t';
    }
  }
};
constexpr CopiedAsIs kCopiedAsIs;

}  // namespace

void HtmlOutput::run(std::string_view s, bool preformatted) {
  auto emit = [&](char c) {
    if (!preformatted && c == ' ')
      blank();
    else
      put(c);
  };
  for (std::size_t i = 0; i < s.size() && text_.size() < kTextMax;) {
    // Characters copied as they are go in as one piece, up to the limit;
    // so does a single blank after such a character, which blank() would
    // write as it is.
    const std::array<bool, 256>& copied = preformatted ? kCopiedAsIs.preformatted : kCopiedAsIs.text;
    std::size_t plain = i;
    while (plain < s.size()) {
      const auto c = static_cast<unsigned char>(s[plain]);
      if (!copied[c] && (c != ' ' || preformatted || plain == i || s[plain - 1] == ' ')) break;
      ++plain;
    }
    if (plain > i) {
      text_.append(s.data() + i, std::min(plain - i, kTextMax - text_.size()));
      i = plain;
      continue;
    }
    const char c = s[i];
    if (c == '&') {
      if (auto entity = matchEntity(s.substr(i + 1))) {
        emit(entity->c);
        i += 1 + entity->length;
        continue;
      }
    } else if (c == '=' && i + 2 < s.size()) {
      if (auto decoded = decodePair(s[i + 1], s[i + 2])) {
        emit(*decoded);
        i += 3;
        continue;
      }
    } else if (!preformatted) {
      if (c == '\r' || c == '\n') {
        blank();
        ++i;
        continue;
      }
      if (c == '\t') {
        ++i;
        continue;
      }
    }
    emit(c);
    ++i;
  }
}

}  // namespace qv::body::detail
