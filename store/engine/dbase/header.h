#pragma once
// The header of a dBase-family table file (.DBF): what kind of file it is,
// how many records it says it has, where they start and how long they are,
// and its columns. Layout and tolerances: README.md beside this file.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv::engine::dbase {

// How the memo texts of a file are kept.
enum class MemoKind {
  None,
  Dbt3,  // .DBT of 512-byte blocks, a text ends with 0x1A (dBase III)
  Dbt4,  // .DBT of the block size in its header, blocks FF FF 08 00 + length (dBase IV, 7)
  Fpt,   // .FPT: block size in its header, blocks of type + length, big-endian (FoxPro)
};

struct Column {
  std::string name;           // as the file has it, without its NUL padding
  char type = 'C';
  std::size_t offset = 0;     // within the record; offset 0 is the deleted flag
  std::size_t width = 0;
  std::uint8_t decimals = 0;
  bool isMemo = false;        // holds a memo block pointer
};

struct Header {
  std::uint8_t version = 0;   // the first byte
  bool dbase7 = false;        // 68-byte header, 48-byte column descriptors, 31-character names
  bool visualFoxPro = false;  // binary column types I, B, Y, T
  std::uint32_t records = 0;  // as the header says; the file may hold fewer
  std::size_t headerLength = 0;
  std::size_t recordLength = 0;
  std::vector<Column> columns;
  MemoKind memo = MemoKind::None;  // the memo format the version byte names
  bool hasMemoColumns() const;
  // The longest column name the format allows.
  std::size_t nameLimit() const { return dbase7 ? 31 : 10; }
};

// The header length stored in the first 32 bytes of a file (bytes 8-9).
std::size_t storedHeaderLength(std::string_view first32);

// Reads a header from the file's first bytes (the whole header when the file
// has it). `fileSize` is the size of the whole file. Returns "" when the
// header is usable, else what is wrong with it, in words for the user: not a
// dBase file at all, a version that is not read (dBase II), a header longer
// than the file, columns that do not fit the record length.
std::string parseHeader(std::string_view bytes, std::uint64_t fileSize, Header& out);

// Writes the header of a new dBase III file (version 0x03, or 0x83 with a
// memo column) for the given columns, dated y-m-d, with no records.
std::string makeHeader(const std::vector<Column>& columns, int year, int month, int day);

// Upper-case ASCII copy, for comparing column names.
std::string upperAscii(std::string_view s);

}  // namespace qv::engine::dbase
