#include "text/body/html_output.h"

#include <algorithm>

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

// Whether `c` is written as it is by a run: no entity, pair, blank or line end.
bool copiedAsIs(char c, bool preformatted) {
  if (c == '&' || c == '=') return false;
  return preformatted || (c != ' ' && c != '\r' && c != '\n' && c != '\t');
}

}  // namespace

void HtmlOutput::run(std::string_view s, bool preformatted) {
  auto emit = [&](char c) {
    if (!preformatted && c == ' ')
      blank();
    else
      put(c);
  };
  for (std::size_t i = 0; i < s.size() && text_.size() < kTextMax;) {
    // Characters copied as they are go in as one piece, up to the limit.
    std::size_t plain = i;
    while (plain < s.size() && copiedAsIs(s[plain], preformatted)) ++plain;
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
