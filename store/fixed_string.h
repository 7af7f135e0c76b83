#pragma once
// Fixed-width text fields of the record layouts (STRING(n)).
//
// A FixedString<N> is exactly N bytes with no terminator, blank-padded on the
// right, so it can sit inside a packed record at its declared offset.
// Assigning a longer text cuts it to N bytes; comparisons ignore trailing
// blanks. Contents are Windows-1252 bytes as stored; conversion to UTF-8
// happens only at a front end.

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace qv {

template <std::size_t N>
struct FixedString {
  static_assert(N > 0);
  static constexpr std::size_t capacity = N;

  char data[N];

  FixedString() { std::memset(data, ' ', N); }
  FixedString(std::string_view s) { assign(s); }  // NOLINT: implicit on purpose, like a field assignment
  FixedString(const char* s) : FixedString(std::string_view(s)) {}  // NOLINT

  FixedString& operator=(std::string_view s) {
    assign(s);
    return *this;
  }
  FixedString& operator=(const char* s) { return *this = std::string_view(s); }

  // Copies s, cut to N bytes, and blank-pads the rest.
  void assign(std::string_view s) {
    const std::size_t n = std::min(s.size(), N);
    if (n > 0) std::memmove(data, s.data(), n);
    std::memset(data + n, ' ', N - n);
  }
  void clear() { std::memset(data, ' ', N); }

  // All N bytes, padding included.
  std::string_view raw() const { return {data, N}; }
  // The text without its trailing blanks.
  std::string_view view() const {
    std::size_t n = N;
    while (n > 0 && data[n - 1] == ' ') --n;
    return {data, n};
  }
  std::string str() const { return std::string(view()); }
  bool blank() const { return view().empty(); }

  char& operator[](std::size_t i) { return data[i]; }
  char operator[](std::size_t i) const { return data[i]; }

  friend bool operator==(const FixedString& a, const FixedString& b) { return a.view() == b.view(); }
  friend bool operator==(const FixedString& a, std::string_view b) {
    while (!b.empty() && b.back() == ' ') b.remove_suffix(1);
    return a.view() == b;
  }
  friend bool operator==(const FixedString& a, const char* b) { return a == std::string_view(b); }
};

// Text without trailing blanks (what "CLIP" gives).
inline std::string_view clip(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

}  // namespace qv
