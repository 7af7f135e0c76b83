#pragma once
// dBase-family files built byte by byte from the published layouts, so the
// driver is checked against the formats rather than against its own writer.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "store/engine/declaration.h"
#include "store/fixed_string.h"

namespace qv::test::dbf {

struct Col {
  std::string name;
  char type;
  int width;
  int decimals = 0;
};

inline std::string le(std::uint32_t v, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}
inline std::string be(std::uint32_t v, int n) {
  std::string s;
  for (int i = n - 1; i >= 0; --i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}

// A record: the deleted flag, then each value blank-padded to its column.
inline std::string row(const std::vector<Col>& cols, const std::vector<std::string>& values, char flag = ' ') {
  std::string r(1, flag);
  for (std::size_t i = 0; i < cols.size(); ++i) {
    std::string v = i < values.size() ? values[i] : "";
    v.resize(static_cast<std::size_t>(cols[i].width), ' ');
    r += v;
  }
  return r;
}

// A table: 32-byte header, 32-byte column descriptors, 0x0D, `backlink`
// zero bytes (263 in Visual FoxPro files), the records and 0x1A. `count`
// is what the header claims (default: the records given).
inline std::string table(std::uint8_t version, const std::vector<Col>& cols, const std::vector<std::string>& rows,
                         long count = -1, std::size_t backlink = 0) {
  std::size_t recordLength = 1;
  for (const Col& c : cols) recordLength += static_cast<std::size_t>(c.width);
  const std::size_t headerLength = 32 + 32 * cols.size() + 1 + backlink;
  std::string h(1, static_cast<char>(version));
  h += "\x5F\x07\x1A";  // 1995-07-26
  h += le(count < 0 ? static_cast<std::uint32_t>(rows.size()) : static_cast<std::uint32_t>(count), 4);
  h += le(static_cast<std::uint32_t>(headerLength), 2) + le(static_cast<std::uint32_t>(recordLength), 2);
  h += std::string(20, '\0');
  for (const Col& c : cols) {
    std::string d = c.name;
    d.resize(11, '\0');
    d += c.type;
    d += std::string(4, '\0');
    d += static_cast<char>(c.width);
    d += static_cast<char>(c.decimals);
    d += std::string(14, '\0');
    h += d;
  }
  h += '\x0D';
  h += std::string(backlink, '\0');
  for (const std::string& r : rows) h += r;
  return h + '\x1A';
}

// dBase III memo file: 512-byte blocks, memos from block 1, each ended by
// 0x1A 0x1A. The blocks the memos start at are appended to `blocks`.
inline std::string dbt3(const std::vector<std::string>& memos, std::vector<std::uint32_t>* blocks = nullptr) {
  std::string body;
  std::uint32_t next = 1;
  for (const std::string& m : memos) {
    if (blocks != nullptr) blocks->push_back(next);
    std::string b = m + "\x1A\x1A";
    b.resize((b.size() + 511) / 512 * 512, '\0');
    next += static_cast<std::uint32_t>(b.size() / 512);
    body += b;
  }
  std::string head = le(next, 4);
  head.resize(512, '\0');
  return head + body;
}

// FoxPro memo file: header with the next free block and the block size
// (big-endian), memos as type 1 + length + text, each in whole blocks.
inline std::string fpt(std::uint32_t blockSize, const std::vector<std::string>& memos,
                       std::vector<std::uint32_t>* blocks = nullptr) {
  std::string body;
  std::uint32_t next = (512 + blockSize - 1) / blockSize;
  for (const std::string& m : memos) {
    if (blocks != nullptr) blocks->push_back(next);
    std::string b = be(1, 4) + be(static_cast<std::uint32_t>(m.size()), 4) + m;
    b.resize((b.size() + blockSize - 1) / blockSize * blockSize, '\0');
    next += static_cast<std::uint32_t>(b.size() / blockSize);
    body += b;
  }
  std::string head = be(next, 4) + std::string(2, '\0') + be(blockSize, 2);
  head.resize((512 + blockSize - 1) / blockSize * blockSize, '\0');
  return head + body;
}

// dBase IV memo file: block size at byte 20, memos as FF FF 08 00 + length
// (counting those 8 bytes) + text.
inline std::string dbt4(std::uint32_t blockSize, const std::vector<std::string>& memos,
                        std::vector<std::uint32_t>* blocks = nullptr) {
  std::string body;
  std::uint32_t next = 1;
  for (const std::string& m : memos) {
    if (blocks != nullptr) blocks->push_back(next);
    std::string b = std::string("\xFF\xFF\x08\x00", 4) + le(static_cast<std::uint32_t>(m.size() + 8), 4) + m;
    b.resize((b.size() + blockSize - 1) / blockSize * blockSize, '\0');
    next += static_cast<std::uint32_t>(b.size() / blockSize);
    body += b;
  }
  std::string head = le(next, 4) + std::string(16, '\0') + le(blockSize, 2);
  head.resize(blockSize, '\0');
  return head + body;
}

inline std::string pointer10(std::uint32_t block) {
  std::string s = std::to_string(block);
  return std::string(10 - s.size(), ' ') + s;
}

inline void save(const std::filesystem::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string load(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A record shaped like a message table read by name.
#pragma pack(push, 1)
struct MsgRec {
  std::uint32_t NUMBER;
  FixedString<12> SUBJECT;
  std::int32_t WHEN;     // a D column
  FixedString<1> KEEP;   // an L column
  double PRICE;
  std::int16_t SMALL;
  FixedString<6> ABSENT;  // no such column in the files
};
#pragma pack(pop)

inline const engine::TableDecl& msgDecl(engine::Driver driver = engine::Driver::FoxPro) {
  static const engine::TableDecl fox = [] {
    engine::TableDecl t;
    t.label = "MSG";
    t.prefix = "MSG";
    t.fileNo = 120;
    t.recordSize = sizeof(MsgRec);
    t.fields = {QV_FIELD(MsgRec, NUMBER), QV_FIELD(MsgRec, SUBJECT), engine::withColumn(QV_FIELD(MsgRec, WHEN), 'D'),
                engine::withColumn(QV_FIELD(MsgRec, KEEP), 'L'), QV_FIELD(MsgRec, PRICE), QV_FIELD(MsgRec, SMALL),
                QV_FIELD(MsgRec, ABSENT)};
    t.driver = engine::Driver::FoxPro;
    t.memoName = "TEXT";
    t.memoMax = 100;
    t.extraMemos = {"HEADERS"};
    return t;
  }();
  static const engine::TableDecl db3 = [] {
    engine::TableDecl t = fox;
    t.driver = engine::Driver::DBase3;
    return t;
  }();
  return driver == engine::Driver::FoxPro ? fox : db3;
}

// The columns of the test tables: number, subject, date, flag, price,
// small, the text memo and a second memo.
inline std::vector<Col> msgColumns(int memoWidth = 10) {
  return {{"number", 'N', 10},  {"SUBJECT", 'C', 15}, {"WHEN", 'D', 8},        {"KEEP", 'L', 1},
          {"PRICE", 'N', 9, 2}, {"SMALL", 'N', 7},    {"TEXT", 'M', memoWidth}, {"HEADERS", 'M', memoWidth}};
}

}  // namespace qv::test::dbf
