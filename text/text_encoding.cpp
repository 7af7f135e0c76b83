#include "text/text_encoding.h"

#include <array>
#include <cstdint>

namespace qv {
namespace {

// Characters of the bytes 0x80..0x9F; the others are their own code points.
// The undefined bytes keep their own value (0x81 -> U+0081, ...).
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98..9F
};

constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t cp) {
  auto byte = [&out](std::uint32_t v) { out.push_back(static_cast<char>(static_cast<unsigned char>(v))); };
  const auto v = static_cast<std::uint32_t>(cp);
  if (v < 0x80) {
    byte(v);
  } else if (v < 0x800) {
    byte(0xC0 | (v >> 6));
    byte(0x80 | (v & 0x3F));
  } else if (v < 0x10000) {
    byte(0xE0 | (v >> 12));
    byte(0x80 | ((v >> 6) & 0x3F));
    byte(0x80 | (v & 0x3F));
  } else {
    byte(0xF0 | (v >> 18));
    byte(0x80 | ((v >> 12) & 0x3F));
    byte(0x80 | ((v >> 6) & 0x3F));
    byte(0x80 | (v & 0x3F));
  }
}

// Decodes the UTF-8 sequence starting at s[i]. Returns its length in bytes and
// sets cp; returns 0 when the bytes there are not a valid, shortest-form
// sequence of a scalar value.
std::size_t decodeUtf8(std::string_view s, std::size_t i, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  std::size_t len = 0;
  std::uint32_t v = 0;
  std::uint32_t min = 0;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2;
    v = b0 & 0x1Fu;
    min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3;
    v = b0 & 0x0Fu;
    min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4;
    v = b0 & 0x07u;
    min = 0x10000;
  } else {
    return 0;  // a continuation byte or 0xF8..0xFF cannot start a sequence
  }
  if (s.size() - i < len) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    v = (v << 6) | (b & 0x3Fu);
  }
  if (v < min || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return 0;
  cp = static_cast<char32_t>(v);
  return len;
}

// The Windows-1252 byte of a character, or -1 when it has none.
int byteOf(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (std::size_t k = 0; k < kHigh.size(); ++k)
    if (kHigh[k] == cp) return static_cast<int>(0x80 + k);
  return -1;
}

bool isControl(char32_t cp) { return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F); }

}  // namespace

char32_t unicodeOf1252(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHigh[static_cast<std::size_t>(byte - 0x80)];
  return byte;
}

std::string utf8From1252(std::string_view stored) {
  std::string out;
  out.reserve(stored.size() + stored.size() / 8);
  for (const char c : stored) appendUtf8(out, unicodeOf1252(static_cast<unsigned char>(c)));
  return out;
}

std::string cp1252FromUtf8(std::string_view typed) {
  std::string out;
  out.reserve(typed.size());
  for (std::size_t i = 0; i < typed.size();) {
    char32_t cp = 0;
    const std::size_t len = decodeUtf8(typed, i, cp);
    if (len == 0) {
      out.push_back(typed[i]);  // not UTF-8: already a Windows-1252 byte
      ++i;
      continue;
    }
    const int b = byteOf(cp);
    out.push_back(b < 0 ? '?' : static_cast<char>(static_cast<unsigned char>(b)));
    i += len;
  }
  return out;
}

std::string displayLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out.push_back(text[i]);
  }
  return out;
}

std::string storedLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out.push_back('\r');
    out.push_back(text[i]);
  }
  return out;
}

std::string displayText(std::string_view stored, LineBreaks breaks) {
  const char lineBreak = breaks == LineBreaks::Keep ? '\n' : ' ';
  std::string out;
  out.reserve(stored.size() + stored.size() / 8);
  for (std::size_t i = 0; i < stored.size(); ++i) {
    const auto b = static_cast<unsigned char>(stored[i]);
    if (b == '\r') {
      if (i + 1 < stored.size() && stored[i + 1] == '\n') ++i;
      out.push_back(lineBreak);
    } else if (b == '\n') {
      out.push_back(lineBreak);
    } else if (b == '\t') {
      out.push_back(breaks == LineBreaks::Keep ? '\t' : ' ');
    } else {
      const char32_t cp = unicodeOf1252(b);
      appendUtf8(out, isControl(cp) ? kReplacement : cp);
    }
  }
  return out;
}

std::size_t displayWidth(std::string_view utf8) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < utf8.size(); ++width) {
    char32_t cp = 0;
    const std::size_t len = decodeUtf8(utf8, i, cp);
    i += len == 0 ? 1 : len;
  }
  return width;
}

}  // namespace qv
