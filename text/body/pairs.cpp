// The quoted-printable pair decoder. Old stores mix encoded and unencoded
// text freely, so only the pairs that are unlikely to occur in plain text are
// decoded: a few punctuation characters, blank and tab, and the bytes 0x80 to
// 0xFF, all in upper-case hexadecimal. "=41" or "=e9" stay as written.
#include "text/body/body.h"
#include "text/body/text_util.h"

namespace qv::body {

std::optional<char> decodePair(char first, char second) {
  switch (first) {
    case '0':
      if (second == '9') return ' ';  // a tab is stored as a blank
      return std::nullopt;
    case '2':
      switch (second) {
        case '0': return ' ';
        case 'C': return ',';
        case 'E': return '.';
        default: return std::nullopt;
      }
    case '3':
      switch (second) {
        case 'A': return ':';
        case 'D': return '=';
        case 'F': return '?';
        default: return std::nullopt;
      }
    default: break;
  }
  const int high = detail::upperHexDigit(first);
  const int low = detail::upperHexDigit(second);
  if (high < 8 || low < 0) return std::nullopt;
  return static_cast<char>(static_cast<unsigned char>(high * 16 + low));
}

}  // namespace qv::body
