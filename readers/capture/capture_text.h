#pragma once
// Small text helpers of the capture-family readers.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "text/line_queue.h"
#include "store/charset.h"

namespace qv::capture {

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The text from index `at` on; empty past its end.
inline std::string_view from(std::string_view s, std::size_t at) { return at < s.size() ? s.substr(at) : std::string_view{}; }

inline std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Without a trailing "@b" (the TAPCIS 5.x and GoldenCompass soft marker).
inline std::string_view withoutSoftEnd(std::string_view s) {
  if (s.ends_with("@b")) s.remove_suffix(2);
  return trimmed(s);
}

// The number written in `s` (leading blanks allowed), -1 when `s` holds
// anything else or nothing; at most 9 digits are read.
inline int numberIn(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  if (s.empty() || s.size() > 9) return -1;
  int v = 0;
  for (char c : s) {
    if (!isDigit(c)) return -1;
    v = v * 10 + (c - '0');
  }
  return v;
}

// The unsigned number `s` is made of (digits only, at most 18), 0 otherwise.
inline std::uint64_t unsignedIn(std::string_view s) {
  if (s.empty() || s.size() > 18) return 0;
  std::uint64_t v = 0;
  for (char c : s) {
    if (!isDigit(c)) return 0;
    v = v * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return v;
}

// One physical line as queue entries of at most 400 characters, all but
// the last marked split.
inline void appendPieces(LineQueue& q, std::string_view t) {
  while (t.size() > kQueueLineMax) {
    q.push_back({std::string(t.substr(0, kQueueLineMax)), true});
    t.remove_prefix(kQueueLineMax);
  }
  q.push_back({std::string(t), false});
}

inline std::string upperView(std::string_view s) { return upper1252(s); }

}  // namespace qv::capture
