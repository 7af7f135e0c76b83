#include "readers/capture/text_lines.h"

#include <string_view>

namespace qv::capture {
namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A soft line break: the line ends in "=" that does not close an encoded
// word ("?=").
bool softBreak(std::string_view raw) {
  return !raw.empty() && raw.back() == '=' && (raw.size() < 2 || raw[raw.size() - 2] != '?');
}

}  // namespace

bool TextLines::open(internet::ByteSource& source, Options options) {
  options_ = options;
  peeked_.reset();
  return window_.open(source);
}

bool TextLines::readRaw(std::string& out, std::uint64_t& offset) {
  out.clear();
  offset = window_.pos();
  if (window_.atEnd()) return false;
  // The kept part may hold one joined line more than `keep` before decoding.
  const std::size_t limit = options_.quotedPrintable ? 3 * options_.keep : options_.keep;
  while (!window_.atEnd()) {
    const std::string_view v = window_.view(internet::kBlockSize);
    const std::size_t lf = v.find('\n');
    const std::string_view piece = v.substr(0, lf);
    if (out.size() < limit) out.append(piece.substr(0, limit - out.size()));
    if (lf != std::string_view::npos) {
      window_.advance(lf + 1);
      break;
    }
    window_.advance(v.size());
  }
  if (!out.empty() && out.back() == '\r') out.pop_back();
  return true;
}

void TextLines::decode(std::string& line) const {
  std::string out;
  out.reserve(line.size());
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '=' && i + 2 < line.size() && hexValue(line[i + 1]) >= 0 && hexValue(line[i + 2]) >= 0) {
      out += static_cast<char>(hexValue(line[i + 1]) * 16 + hexValue(line[i + 2]));
      i += 2;
    } else {
      out += line[i];
    }
  }
  line = std::move(out);
}

std::optional<TextLine> TextLines::next() {
  if (peeked_) {
    std::optional<TextLine> out = std::move(peeked_);
    peeked_.reset();
    return out;
  }
  TextLine line;
  if (!readRaw(line.text, line.offset)) return std::nullopt;
  if (options_.quotedPrintable && !(options_.literal && options_.literal(line.text))) {
    // Joined lines are decoded as one, so a pair cut by a soft break is
    // still decoded.
    std::string more;
    std::uint64_t ignored = 0;
    while (softBreak(line.text) && line.text.size() <= 3 * options_.keep && !window_.atEnd()) {
      // A separator line is never joined to the line before it.
      std::string_view ahead = window_.view(internet::kBlockSize);
      ahead = ahead.substr(0, ahead.find('\n'));
      if (ahead.ends_with('\r')) ahead.remove_suffix(1);
      if (options_.literal && options_.literal(ahead)) break;
      line.text.pop_back();
      if (!readRaw(more, ignored)) break;
      line.text += more;
    }
    decode(line.text);
  }
  if (line.text.size() > options_.keep) line.text.resize(options_.keep);
  if (options_.clipBlanks)
    while (!line.text.empty() && line.text.back() == ' ') line.text.pop_back();
  return line;
}

const TextLine* TextLines::peek() {
  if (!peeked_) peeked_ = next();
  return peeked_ ? &*peeked_ : nullptr;
}

}  // namespace qv::capture
