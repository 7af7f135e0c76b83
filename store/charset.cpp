#include "store/charset.h"

#include <array>

namespace qv {
namespace {

struct CaseTables {
  std::array<unsigned char, 256> upper{};
  std::array<unsigned char, 256> lower{};
  CaseTables() {
    for (unsigned i = 0; i < 256; ++i) {
      upper[i] = static_cast<unsigned char>(i);
      lower[i] = static_cast<unsigned char>(i);
    }
    auto pair = [this](unsigned lo, unsigned up) {
      upper[lo] = static_cast<unsigned char>(up);
      lower[up] = static_cast<unsigned char>(lo);
    };
    for (unsigned c = 'a'; c <= 'z'; ++c) pair(c, c - 32);
    // Latin-1 letters: 0xE0..0xFE map to 0xC0..0xDE, except the division sign.
    for (unsigned c = 0xE0; c <= 0xFE; ++c)
      if (c != 0xF7) pair(c, c - 32);
    pair(0x9A, 0x8A);  // š Š
    pair(0x9C, 0x8C);  // œ Œ
    pair(0x9E, 0x8E);  // ž Ž
    pair(0xFF, 0x9F);  // ÿ Ÿ
  }
};

const CaseTables& tables() {
  static const CaseTables t;
  return t;
}

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

}  // namespace

char upper1252(char c) { return static_cast<char>(tables().upper[static_cast<unsigned char>(c)]); }
char lower1252(char c) { return static_cast<char>(tables().lower[static_cast<unsigned char>(c)]); }

std::string upper1252(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = upper1252(c);
  return out;
}

std::string lower1252(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = lower1252(c);
  return out;
}

int compareKeyText(std::string_view a, std::string_view b) {
  a = trimBlanks(a);
  b = trimBlanks(b);
  const auto& up = tables().upper;
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const int x = up[static_cast<unsigned char>(a[i])];
    const int y = up[static_cast<unsigned char>(b[i])];
    if (x != y) return x - y;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace qv
