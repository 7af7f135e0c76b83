#include "store/engine/dbase/values.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "store/dates.h"

namespace qv::engine::dbase {

namespace {

enum class Kind { Text, Number, Day, Logical, Block };

struct Value {
  Kind kind = Kind::Text;
  std::string text;
  double number = 0;
};

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\0')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
  return s;
}

std::uint64_t bytesLE(std::string_view b, std::size_t n) {
  std::uint64_t v = 0;
  for (std::size_t i = n; i-- > 0;) v = v << 8 | static_cast<unsigned char>(b[i]);
  return v;
}

std::uint64_t bytesBE(std::string_view b, std::size_t n) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < n; ++i) v = v << 8 | static_cast<unsigned char>(b[i]);
  return v;
}

double doubleFromBits(std::uint64_t bits) {
  double d = 0;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

// A number with the given decimals; the value is bounded by the caller's
// column (64-bit binary values at most), so 64 characters hold it.
std::string fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}
std::string general(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  return buf;
}

// Day number of "YYYYMMDD"; 0 for anything else.
std::int32_t dayOfText(std::string_view s) {
  if (s.size() < 8) return 0;
  int parts[3] = {0, 0, 0};
  const std::size_t widths[3] = {4, 2, 2};
  std::size_t at = 0;
  for (int i = 0; i < 3; ++i) {
    for (std::size_t k = 0; k < widths[i]; ++k, ++at) {
      if (s[at] < '0' || s[at] > '9') return 0;
      parts[i] = parts[i] * 10 + (s[at] - '0');
    }
  }
  return dates::dayNumber(parts[0], parts[1], parts[2]);
}

std::string textOfDay(std::int32_t day) {
  const dates::Ymd d = dates::fromDayNumber(day);
  if (d.year == 0) return "";
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d", d.year, d.month, d.day);
  return buf;
}

// Visual FoxPro's T columns count days as Julian day numbers.
std::int32_t dayOfJulian(std::int64_t julian) {
  constexpr std::int64_t kJulian2000 = 2451545;  // 1 January 2000
  const std::int64_t day = julian - kJulian2000 + dates::dayNumber(2000, 1, 1);
  if (day < 1 || day > std::numeric_limits<std::int32_t>::max()) return 0;
  const auto d = static_cast<std::int32_t>(day);
  return dates::fromDayNumber(d).year == 0 ? 0 : d;
}

Value valueOf(const Header& h, const Column& c, std::string_view b) {
  Value v;
  const char t = c.type;
  if (c.isMemo) {
    std::uint32_t block = 0;
    v.kind = Kind::Block;
    if (memoBlock(c, b, block) && block != 0) {
      v.number = block;
      v.text = std::to_string(block);
    }
  } else if (t == 'N' || t == 'F') {
    v.kind = Kind::Number;
    v.text = std::string(trim(b));
    v.number = numberOf(v.text);
  } else if (t == 'D') {
    v.kind = Kind::Day;
    v.text = std::string(b);
    v.number = dayOfText(b);
  } else if (t == 'L') {
    v.kind = Kind::Logical;
    const char l = b.empty() ? ' ' : b[0];
    if (l == 'T' || l == 't' || l == 'Y' || l == 'y') {
      v.text = "T";
      v.number = 1;
    } else if (l == 'F' || l == 'f' || l == 'N' || l == 'n') {
      v.text = "F";
    }
  } else if (h.visualFoxPro && t == 'I' && b.size() == 4) {
    v.kind = Kind::Number;
    v.number = static_cast<std::int32_t>(static_cast<std::uint32_t>(bytesLE(b, 4)));
    v.text = fixed(v.number, 0);
  } else if (h.visualFoxPro && t == 'B' && b.size() == 8) {
    v.kind = Kind::Number;
    v.number = doubleFromBits(bytesLE(b, 8));
    v.text = general(v.number);
  } else if (h.visualFoxPro && t == 'Y' && b.size() == 8) {
    v.kind = Kind::Number;
    v.number = static_cast<double>(static_cast<std::int64_t>(bytesLE(b, 8))) / 10000.0;
    v.text = fixed(v.number, 4);
  } else if (h.visualFoxPro && t == 'T' && b.size() == 8) {
    v.kind = Kind::Day;
    v.number = dayOfJulian(static_cast<std::int32_t>(static_cast<std::uint32_t>(bytesLE(b, 4))));
    v.text = textOfDay(static_cast<std::int32_t>(v.number));
  } else if (h.dbase7 && (t == 'I' || t == '+') && b.size() == 4) {
    v.kind = Kind::Number;
    v.number = static_cast<std::int32_t>(static_cast<std::uint32_t>(bytesBE(b, 4)) ^ 0x80000000u);
    v.text = fixed(v.number, 0);
  } else if (h.dbase7 && t == 'O' && b.size() == 8) {
    std::uint64_t bits = bytesBE(b, 8);
    bits = (bits >> 63) != 0 ? bits & ~(std::uint64_t{1} << 63) : ~bits;
    v.kind = Kind::Number;
    v.number = doubleFromBits(bits);
    v.text = general(v.number);
  } else {
    v.text = std::string(b);
    v.number = numberOf(b);
  }
  return v;
}

template <class T>
void storeInteger(double v, unsigned char* at) {
  T out = 0;
  if (!std::isnan(v)) {
    v = std::trunc(v);
    if (v <= static_cast<double>(std::numeric_limits<T>::min()))
      out = std::numeric_limits<T>::min();
    else if (v >= static_cast<double>(std::numeric_limits<T>::max()))
      out = std::numeric_limits<T>::max();
    else
      out = static_cast<T>(v);
  }
  std::memcpy(at, &out, sizeof out);
}

void storeNumber(const FieldDecl& f, double v, unsigned char* at) {
  switch (f.type) {
    case FieldType::Byte: storeInteger<std::uint8_t>(v, at); break;
    case FieldType::Short: storeInteger<std::int16_t>(v, at); break;
    case FieldType::UShort: storeInteger<std::uint16_t>(v, at); break;
    case FieldType::Long: storeInteger<std::int32_t>(v, at); break;
    case FieldType::ULong: storeInteger<std::uint32_t>(v, at); break;
    case FieldType::Real: std::memcpy(at, &v, sizeof v); break;
    case FieldType::String:
    case FieldType::Raw: break;
  }
}

template <class T>
double loadAs(const unsigned char* at) {
  T v{};
  std::memcpy(&v, at, sizeof v);
  return static_cast<double>(v);
}

// The field's value as a number (integers, REAL) or as text (STRING, raw).
double numberOfField(const FieldDecl& f, const unsigned char* at) {
  switch (f.type) {
    case FieldType::Byte: return loadAs<std::uint8_t>(at);
    case FieldType::Short: return loadAs<std::int16_t>(at);
    case FieldType::UShort: return loadAs<std::uint16_t>(at);
    case FieldType::Long: return loadAs<std::int32_t>(at);
    case FieldType::ULong: return loadAs<std::uint32_t>(at);
    case FieldType::Real: return loadAs<double>(at);
    case FieldType::String:
    case FieldType::Raw: break;
  }
  return numberOf(std::string_view(reinterpret_cast<const char*>(at), f.size));
}

bool isText(const FieldDecl& f) { return f.type == FieldType::String || f.type == FieldType::Raw; }

std::string textOfField(const FieldDecl& f, const unsigned char* at) {
  std::string_view s(reinterpret_cast<const char*>(at), f.size);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return std::string(s);
}

std::string describe(const Column& c) {
  std::string s = c.name + " " + c.type + "(" + std::to_string(c.width);
  if (c.decimals > 0) s += "," + std::to_string(c.decimals);
  return s + ")";
}

}  // namespace

double numberOf(std::string_view text) {
  std::string_view s = trim(text);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  double v = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec != std::errc() || s.empty()) return 0;
  return v;
}

bool memoBlock(const Column& c, std::string_view bytes, std::uint32_t& block) {
  block = 0;
  if (c.width == 4 && bytes.size() == 4) {
    block = static_cast<std::uint32_t>(bytesLE(bytes, 4));
    return true;
  }
  const std::string_view s = trim(bytes);
  std::uint64_t v = 0;
  for (char ch : s) {
    if (ch < '0' || ch > '9') return false;
    v = v * 10 + static_cast<std::uint64_t>(ch - '0');
    if (v > std::numeric_limits<std::uint32_t>::max()) return false;
  }
  block = static_cast<std::uint32_t>(v);
  return true;
}

void clearField(const FieldDecl& f, unsigned char* record) {
  std::memset(record + f.offset, f.type == FieldType::String ? ' ' : 0, f.size);
}

void decodeField(const Header& h, const Column& c, std::string_view bytes, const FieldDecl& f,
                 unsigned char* record) {
  unsigned char* at = record + f.offset;
  if (f.type == FieldType::Raw) {
    const std::size_t n = std::min(bytes.size(), f.size);
    std::memcpy(at, bytes.data(), n);
    std::memset(at + n, 0, f.size - n);
    return;
  }
  const Value v = valueOf(h, c, bytes);
  if (f.type == FieldType::String) {
    const std::size_t n = std::min(v.text.size(), f.size);
    std::memcpy(at, v.text.data(), n);
    std::memset(at + n, ' ', f.size - n);
    return;
  }
  double n = v.number;
  if (v.kind == Kind::Text && f.column.type == 'D') n = dayOfText(trim(v.text));
  storeNumber(f, n, at);
}

std::string encodeField(const Column& c, const FieldDecl& f, const unsigned char* record, std::string& out) {
  const unsigned char* at = record + f.offset;
  out.assign(c.width, ' ');
  auto put = [&out](std::string_view s) { out.replace(0, std::min(s.size(), out.size()), s.substr(0, out.size())); };
  switch (c.type) {
    case 'N':
    case 'F': {
      const double v = numberOfField(f, at);
      if (!std::isfinite(v)) return "The value for " + describe(c) + " is not a number";
      const int w = static_cast<int>(c.width);
      const int d = static_cast<int>(c.decimals);
      const int len = std::snprintf(nullptr, 0, "%*.*f", w, d, v);
      if (len <= 0) return "The value " + general(v) + " cannot be written to the column " + describe(c);
      std::string s(static_cast<std::size_t>(len) + 1, '\0');
      std::snprintf(s.data(), s.size(), "%*.*f", w, d, v);
      s.resize(static_cast<std::size_t>(len));
      if (s.size() > c.width) return "The value " + general(v) + " does not fit the column " + describe(c);
      put(s);
      break;
    }
    case 'D':
      put(isText(f) ? textOfField(f, at) : textOfDay(static_cast<std::int32_t>(numberOfField(f, at))));
      break;
    case 'L': {
      char l = ' ';
      if (isText(f)) {
        const std::string s = textOfField(f, at);
        const char ch = s.empty() ? ' ' : s[0];
        if (ch == 'T' || ch == 't' || ch == 'Y' || ch == 'y') l = 'T';
        if (ch == 'F' || ch == 'f' || ch == 'N' || ch == 'n') l = 'F';
      } else {
        l = numberOfField(f, at) != 0 ? 'T' : 'F';
      }
      out[0] = l;
      break;
    }
    case 'M': break;  // the memo writer fills in the block number
    default:
      if (isText(f)) {
        const std::string_view raw(reinterpret_cast<const char*>(at), f.size);
        put(raw);
      } else if (f.column.type == 'D') {
        put(textOfDay(static_cast<std::int32_t>(numberOfField(f, at))));
      } else {
        put(f.type == FieldType::Real ? general(numberOfField(f, at)) : fixed(numberOfField(f, at), 0));
      }
      break;
  }
  return {};
}

}  // namespace qv::engine::dbase
