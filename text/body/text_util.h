#pragma once
// Small helpers shared by the body decoders (not part of the readers'
// interface).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qv::body::detail {

// Value of an upper-case hexadecimal digit; -1 for anything else, lower-case
// letters included (the pair decoder accepts upper case only).
inline int upperHexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

inline bool startsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

// `s` from `pos` for at most `count` characters; empty when `pos` lies
// beyond the end (std::string_view::substr would throw).
inline std::string_view safeSub(std::string_view s, std::size_t pos, std::size_t count = std::string_view::npos) {
  if (pos >= s.size()) return {};
  return s.substr(pos, count);
}

// An HTML entity after its "&": the character it stands for and how many
// characters after the "&" it covers. Nothing when the text is not a known
// entity (the "&" then stays as text).
struct Entity {
  char c;
  std::size_t length;
};
std::optional<Entity> matchEntity(std::string_view afterAmpersand);

}  // namespace qv::body::detail
