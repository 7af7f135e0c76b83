#include "readers/cim/field_cursor.h"

#include <algorithm>
#include <cstring>

namespace qv::cim {

bool FieldCursor::take(char* out, std::size_t n) {
  if (n > remaining()) {
    ok_ = false;
    return false;
  }
  while (n > 0) {
    const std::string_view v = window_.view(n);
    if (v.empty()) {  // the data ended early (a read error)
      ok_ = false;
      return false;
    }
    std::memcpy(out, v.data(), v.size());
    out += v.size();
    n -= v.size();
    window_.advance(v.size());
  }
  return true;
}

std::uint8_t FieldCursor::byte() {
  char c = 0;
  return take(&c, 1) ? static_cast<std::uint8_t>(c) : 0;
}

std::uint16_t FieldCursor::word() {
  unsigned char b[2] = {};
  if (!take(reinterpret_cast<char*>(b), 2)) return 0;
  return static_cast<std::uint16_t>(b[0] | b[1] << 8);
}

std::uint32_t FieldCursor::dword() {
  unsigned char b[4] = {};
  if (!take(reinterpret_cast<char*>(b), 4)) return 0;
  return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
         static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

void FieldCursor::skip(std::uint64_t n) {
  if (n > remaining()) {
    ok_ = false;
    return;
  }
  const std::uint64_t to = pos() + n;
  window_.seek(to);
  if (pos() != to) ok_ = false;
}

void FieldCursor::skipTo(std::uint64_t at) {
  if (at < pos()) {
    ok_ = false;
    return;
  }
  skip(at - pos());
}

std::string FieldCursor::string(std::size_t keep) { return bytes(byte(), keep); }

std::string FieldCursor::bytes(std::uint64_t n, std::size_t keep) {
  if (n > remaining()) {
    ok_ = false;
    return {};
  }
  std::string out(static_cast<std::size_t>(std::min<std::uint64_t>(n, keep)), '\0');
  if (!take(out.data(), out.size())) return {};
  skip(n - out.size());
  return out;
}

FieldCursor FieldCursor::part(std::uint64_t n) {
  FieldCursor p(window_, pos() + n);
  if (n > remaining()) p.ok_ = ok_ = false;
  return p;
}

}  // namespace qv::cim
