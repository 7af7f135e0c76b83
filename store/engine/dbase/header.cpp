#include "store/engine/dbase/header.h"

#include <cstdio>

namespace qv::engine::dbase {

namespace {

std::uint32_t le32(std::string_view b, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

struct Version {
  std::uint8_t byte;
  MemoKind memo;
  bool dbase7;
  bool visualFoxPro;
};

// The version bytes that are read. dBase IV's SQL variants count as dBase IV;
// FoxPro 2 writes 0x03 or 0xF5, Visual FoxPro 0x30 to 0x32.
constexpr Version kVersions[] = {
    {0x03, MemoKind::None, false, false}, {0x83, MemoKind::Dbt3, false, false},
    {0x43, MemoKind::None, false, false}, {0x63, MemoKind::None, false, false},
    {0x7B, MemoKind::Dbt4, false, false}, {0x8B, MemoKind::Dbt4, false, false},
    {0xCB, MemoKind::Dbt4, false, false}, {0x04, MemoKind::None, true, false},
    {0x8C, MemoKind::Dbt4, true, false},  {0xF5, MemoKind::Fpt, false, false},
    {0xFB, MemoKind::Fpt, false, false},  {0x30, MemoKind::Fpt, false, true},
    {0x31, MemoKind::Fpt, false, true},   {0x32, MemoKind::Fpt, false, true},
};

std::string hexByte(unsigned v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%02X", v & 0xFFu);
  return buf;
}

}  // namespace

bool Header::hasMemoColumns() const {
  for (const Column& c : columns)
    if (c.isMemo) return true;
  return false;
}

std::string upperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

std::size_t storedHeaderLength(std::string_view first32) {
  if (first32.size() < 10) return 0;
  return static_cast<std::size_t>(static_cast<unsigned char>(first32[8])) |
         static_cast<std::size_t>(static_cast<unsigned char>(first32[9])) << 8;
}

std::string parseHeader(std::string_view bytes, std::uint64_t fileSize, Header& out) {
  out = Header{};
  if (bytes.size() < 32) return "The file is too short to be a dBase table";
  out.version = static_cast<std::uint8_t>(bytes[0]);
  const Version* v = nullptr;
  for (const Version& k : kVersions)
    if (k.byte == out.version) v = &k;
  if (out.version == 0x02) return "The file is a dBase II table, which is not read";
  if (v == nullptr) return "The file is not a dBase or FoxPro table (first byte " + hexByte(out.version) + ")";
  out.memo = v->memo;
  out.dbase7 = v->dbase7;
  out.visualFoxPro = v->visualFoxPro;
  out.records = le32(bytes, 4);
  out.headerLength = storedHeaderLength(bytes);
  out.recordLength = static_cast<std::size_t>(static_cast<unsigned char>(bytes[10])) |
                     static_cast<std::size_t>(static_cast<unsigned char>(bytes[11])) << 8;

  const std::size_t start = out.dbase7 ? 68 : 32;
  const std::size_t step = out.dbase7 ? 48 : 32;
  if (out.headerLength < start + 1) return "The table header is too short (" + std::to_string(out.headerLength) + " bytes)";
  if (out.headerLength > fileSize || out.headerLength > bytes.size())
    return "The table header (" + std::to_string(out.headerLength) + " bytes) is longer than the file";
  if (out.recordLength == 0) return "The table header gives a record length of 0";

  // Column descriptors run to the 0x0D terminator. Some writers leave the
  // terminator out or write 0x00 instead; then they run to the end of the
  // header, and the record length below decides whether that made sense.
  std::size_t used = 1;  // the deleted flag
  std::size_t at = start;
  for (; at + step <= out.headerLength && bytes[at] != '\x0D'; at += step) {
    Column c;
    const std::size_t nameMax = out.dbase7 ? 32 : 11;
    std::string_view name = bytes.substr(at, nameMax);
    name = name.substr(0, name.find('\0'));
    c.name = std::string(name);
    const std::size_t typeAt = out.dbase7 ? 32 : 11;
    c.type = bytes[at + typeAt];
    c.width = static_cast<unsigned char>(bytes[at + typeAt + (out.dbase7 ? 1 : 5)]);
    c.decimals = static_cast<std::uint8_t>(bytes[at + typeAt + (out.dbase7 ? 2 : 6)]);
    c.offset = used;
    const char t = c.type;
    c.isMemo = t == 'M' || t == 'G' || t == 'P' || (t == 'B' && !out.visualFoxPro) || (t == 'W' && out.visualFoxPro);
    used += c.width;
    out.columns.push_back(std::move(c));
  }
  // What is left of the header is the terminator (some writers put another
  // byte there, or leave it out); more than that is a descriptor the header
  // length cuts through.
  if (at + 1 < out.headerLength && bytes[at] != '\x0D') return "The table's column descriptors run past its header";
  if (used != out.recordLength)
    return "The table's columns take " + std::to_string(used) + " bytes per record, but its header gives " +
           std::to_string(out.recordLength);
  return {};
}

std::string makeHeader(const std::vector<Column>& columns, int year, int month, int day) {
  bool memo = false;
  std::size_t recordLength = 1;
  for (const Column& c : columns) {
    memo = memo || c.isMemo;
    recordLength += c.width;
  }
  const std::size_t headerLength = 32 + 32 * columns.size() + 1;
  std::string h(headerLength, '\0');
  h[0] = static_cast<char>(memo ? 0x83 : 0x03);
  h[1] = static_cast<char>(year - 1900);
  h[2] = static_cast<char>(month);
  h[3] = static_cast<char>(day);
  h[8] = static_cast<char>(headerLength & 0xFF);
  h[9] = static_cast<char>(headerLength >> 8);
  h[10] = static_cast<char>(recordLength & 0xFF);
  h[11] = static_cast<char>(recordLength >> 8);
  std::size_t at = 32;
  for (const Column& c : columns) {
    h.replace(at, c.name.size(), c.name);
    h[at + 11] = c.type;
    h[at + 16] = static_cast<char>(c.width);
    h[at + 17] = static_cast<char>(c.decimals);
    at += 32;
  }
  h[at] = '\x0D';
  return h;
}

}  // namespace qv::engine::dbase
