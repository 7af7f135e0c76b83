#include "export/mail_text.h"

#include <array>
#include <cstdint>

namespace qv::exporting {

namespace {

bool plainAscii(std::string_view s) {
  for (unsigned char c : s)
    if (c < 0x20 || c >= 0x7F) return false;
  return true;
}

std::string base64(std::string_view in) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  std::size_t i = 0;
  for (; i + 2 < in.size(); i += 3) {
    const std::uint32_t v = (static_cast<unsigned char>(in[i]) << 16) | (static_cast<unsigned char>(in[i + 1]) << 8) |
                            static_cast<unsigned char>(in[i + 2]);
    for (int shift : {18, 12, 6, 0}) out.push_back(kAlphabet[(v >> shift) & 0x3F]);
  }
  if (i < in.size()) {
    std::uint32_t v = static_cast<std::uint32_t>(static_cast<unsigned char>(in[i])) << 16;
    if (i + 1 < in.size()) v |= static_cast<std::uint32_t>(static_cast<unsigned char>(in[i + 1])) << 8;
    out.push_back(kAlphabet[(v >> 18) & 0x3F]);
    out.push_back(kAlphabet[(v >> 12) & 0x3F]);
    out.push_back(i + 1 < in.size() ? kAlphabet[(v >> 6) & 0x3F] : '=');
    out.push_back('=');
  }
  return out;
}

// Length of the UTF-8 character starting with byte `lead` (1 for a stray byte).
std::size_t charLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

}  // namespace

std::string encodeHeaderText(std::string_view utf8) {
  if (plainAscii(utf8)) return std::string(utf8);
  // "=?UTF-8?B?" + text + "?=" stays within 75 characters with at most 45
  // bytes of text (60 base64 characters).
  constexpr std::size_t kChunk = 45;
  std::string out;
  std::size_t at = 0;
  while (at < utf8.size()) {
    std::size_t end = at;
    while (end < utf8.size()) {
      const std::size_t n = charLength(static_cast<unsigned char>(utf8[end]));
      if (end + n - at > kChunk) break;
      end += n;
    }
    if (end == at) end = std::min(utf8.size(), at + 1);
    if (!out.empty()) out += ' ';
    out += "=?UTF-8?B?" + base64(utf8.substr(at, end - at)) + "?=";
    at = end;
  }
  return out;
}

std::string encodeDisplayName(std::string_view utf8) {
  if (!plainAscii(utf8)) return encodeHeaderText(utf8);
  bool special = false;
  for (char c : utf8)
    if (std::string_view("()<>[]:;@\\,.\"").find(c) != std::string_view::npos) special = true;
  if (!special) return std::string(utf8);
  std::string out = "\"";
  for (char c : utf8) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string uniformLines(std::string_view text, std::string_view eol) {
  std::string out;
  out.reserve(text.size() + 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += eol;
    } else if (c == '\n') {
      out += eol;
    } else {
      out += c;
    }
  }
  if (!out.empty() && !std::string_view(out).ends_with(eol)) out += eol;
  return out;
}

// The longest line a mail may carry (RFC 5322), without its line end.
constexpr std::size_t kMailLineMax = 998;

bool hasOverlongLine(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    if (end - start > kMailLineMax) return true;
    start = end + 1;
  }
  return false;
}

std::string quotedPrintable(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  std::size_t column = 0;
  auto put = [&](std::string_view piece) {
    if (column + piece.size() > 75) {  // room for the soft break's "="
      out += "=\n";
      column = 0;
    }
    out += piece;
    column += piece.size();
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\n') {
      out += '\n';
      column = 0;
      continue;
    }
    const bool lineEnd = i + 1 == text.size() || text[i + 1] == '\n';
    // A blank or tab before a line end, "=", controls and 8-bit bytes are
    // encoded; a "." or "F" at a line's start too, so no line of the body
    // reads as a lone dot or a "From " separator.
    const bool encode = c == '=' || c >= 0x7F || (c < 0x20 && c != '\t') || ((c == ' ' || c == '\t') && lineEnd) ||
                        (column == 0 && (c == '.' || c == 'F'));
    if (encode) {
      const char piece[3] = {'=', kHex[c >> 4], kHex[c & 0x0F]};
      put(std::string_view(piece, 3));
    } else {
      const char piece = static_cast<char>(c);
      put(std::string_view(&piece, 1));
    }
  }
  return out;
}

}  // namespace qv::exporting
