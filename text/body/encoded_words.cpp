// Encoded words ("=?charset?Q?text?=" and "=?charset?B?text?=") in subjects
// and names. Only the first encoded word of a field is decoded; the text of
// ISO-8859-1, Windows-1252 and US-ASCII words is stored as it is, that of
// ISO-8859-2 words through the Latin-2 table.
#include <algorithm>

#include "text/body/body.h"
#include "text/body/text_util.h"
#include "store/charset.h"
#include "store/fixed_string.h"

namespace qv::body {
namespace {

// A decoded Base64 text is at most this long.
constexpr std::size_t kBase64Max = 100;

enum class Charset : std::uint8_t { Unknown, Latin1, Latin2 };

Charset charsetOf(std::string_view name) {
  const std::string upper = upper1252(name);
  if (upper == "ISO-8859-1" || upper == "US-ASCII" || upper == "WINDOWS-1252") return Charset::Latin1;
  if (upper == "ISO-8859-2") return Charset::Latin2;
  return Charset::Unknown;
}

int base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return 0;  // "=" and characters outside the alphabet
}

// In a Q word every "=XX" stands for a byte: besides the accepted pairs,
// the printable ASCII characters that encoders write as pairs ("=5F" for
// "_", "=28" for "(") are decoded. Control codes stay as written.
std::optional<char> decodeQPair(char first, char second) {
  if (auto c = decodePair(first, second)) return c;
  const int high = detail::upperHexDigit(first);
  const int low = detail::upperHexDigit(second);
  if (high < 0 || low < 0) return std::nullopt;
  const int code = high * 16 + low;
  if (code < 0x20 || code > 0x7E) return std::nullopt;
  return static_cast<char>(code);
}

std::string decodeQ(std::string_view encoded, bool latin2) {
  std::string out;
  out.reserve(encoded.size());
  for (std::size_t i = 0; i < encoded.size(); ++i) {
    char c = encoded[i];
    if (c == '_') {
      c = ' ';
    } else if (c == '=' && i + 2 < encoded.size()) {
      if (auto decoded = decodeQPair(encoded[i + 1], encoded[i + 2])) {
        c = *decoded;
        i += 2;
      }
    }
    // Bytes the mail store had already decoded are Latin-2 as well.
    out.push_back(latin2 ? fromLatin2(static_cast<unsigned char>(c)) : c);
  }
  return out;
}

}  // namespace

std::string decodeBase64(std::string_view encoded, bool latin2) {
  std::string out;
  // Groups of four characters; a short last group counts as padded with "=".
  for (std::size_t group = 0; group < encoded.size() && out.size() < kBase64Max; group += 4) {
    std::uint32_t bits = 0;
    std::size_t data = 0;  // characters before the first "=" of the group
    bool padded = false;
    for (std::size_t k = 0; k < 4; ++k) {
      const std::size_t at = group + k;
      const char c = at < encoded.size() ? encoded[at] : '=';
      if (c == '=') padded = true;
      if (!padded) ++data;
      bits = (bits << 6) | static_cast<std::uint32_t>(padded ? 0 : base64Value(c));
    }
    // Padding stands for no byte: "QQ==" is "A", not "A" and two NULs.
    const std::size_t bytes = data >= 2 ? data - 1 : 0;
    for (std::size_t b = 0; b < bytes && out.size() < kBase64Max; ++b) {
      const auto byte = static_cast<unsigned char>((bits >> (16 - 8 * b)) & 0xFF);
      out.push_back(latin2 ? fromLatin2(byte) : static_cast<char>(byte));
    }
  }
  return out;
}

std::string decodeEncodedWord(std::string_view field) {
  const std::string unchanged(field);
  const std::size_t open = field.find("=?");
  if (open == std::string_view::npos) return unchanged;
  const std::size_t setStart = open + 2;
  const std::size_t setEnd = field.find('?', setStart);
  if (setEnd == std::string_view::npos || setEnd + 2 >= field.size() || field[setEnd + 2] != '?') return unchanged;
  const Charset charset = charsetOf(field.substr(setStart, setEnd - setStart));
  if (charset == Charset::Unknown) return unchanged;
  const char encoding = upper1252(field[setEnd + 1]);
  if (encoding != 'B' && encoding != 'Q') return unchanged;
  const std::size_t textStart = setEnd + 3;
  const std::size_t close = field.find("?=", textStart);
  if (close == std::string_view::npos) return unchanged;

  const std::string_view encoded = field.substr(textStart, close - textStart);
  const bool latin2 = charset == Charset::Latin2;
  const std::string decoded = encoding == 'B' ? decodeBase64(encoded, latin2) : decodeQ(encoded, latin2);
  std::string result(field.substr(0, open));
  result.append(clip(decoded));
  result.append(field.substr(close + 2));
  return result;
}

}  // namespace qv::body
