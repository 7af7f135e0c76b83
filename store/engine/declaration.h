#pragma once
// How a table is declared to the engine: its record layout (fields with type,
// size and offset inside the packed record struct), its keys, its driver and
// its owner password. A table is declared once; every open checks the stored
// file against the declaration.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "store/fixed_string.h"

namespace qv::engine {

enum class Driver {
  TopSpeed,  // indexed tables, files IDXnnn.TPS
  Dat,       // fixed-record tables, files IDXnnn.DAT, with or without keys
  Dos,       // a file read or written as consecutive raw blocks
  Ascii,     // a text file read or written line by line
  DBase3,    // dBase III files with .DBT memos (driver registered separately)
  FoxPro,    // FoxPro files with .FPT memos (driver registered separately)
};

enum class FieldType : std::uint8_t {
  Byte,    // 1 byte unsigned
  Short,   // 2 bytes signed
  UShort,  // 2 bytes unsigned
  Long,    // 4 bytes signed
  ULong,   // 4 bytes unsigned
  Real,    // 8-byte floating value
  String,  // STRING(n): blank-padded text
  Raw,     // DIM arrays and byte groups: kept as bytes
};

// How a field is kept as a column of a dBase-family file (DBASE3 and FOXPRO
// drivers; the other drivers ignore it).
struct ColumnFormat {
  // The file's column name when it is not the field's own: a memo's block
  // pointer field MSG_TEXT_PTR is the column MSG_TEXT. Names longer than the
  // file allows (10 characters) are cut, as dBase itself cuts them.
  std::string name;
  // 'C', 'N', 'F', 'D', 'L' or 'M'; 0 derives it from the field when a file
  // is created (STRING(n) C(n), integers N, REAL N(20,6)). 'D' also makes an
  // integer field a date: a day number read from and written as "YYYYMMDD".
  char type = 0;
  std::uint8_t width = 0;     // 0: derived
  std::uint8_t decimals = 0;
};

struct FieldDecl {
  std::string name;  // the field name without its table prefix: "FROMALPHA"
  std::size_t offset = 0;
  std::size_t size = 0;
  FieldType type = FieldType::Byte;
  ColumnFormat column{};
  bool isInteger() const { return type != FieldType::String && type != FieldType::Raw && type != FieldType::Real; }
};

struct KeyComponent {
  std::size_t field = 0;  // index into TableDecl::fields
  bool descending = false;
};

enum KeyFlags : unsigned {
  kDuplicates = 0,
  kUnique = 1u << 0,
  kExcludeEmpty = 1u << 1,  // records whose key fields are all blank or zero are left out
  kOnDemand = 1u << 2,      // "index": built only when asked for
};

struct KeyDecl {
  std::string name;  // "FromKey"
  std::vector<KeyComponent> components;
  unsigned flags = kDuplicates;
  bool unique() const { return (flags & kUnique) != 0; }
  bool excludeEmpty() const { return (flags & kExcludeEmpty) != 0; }
  bool onDemand() const { return (flags & kOnDemand) != 0; }
};

// A key of a table as code names it: MsgNmbr::FromKey. The file number lets
// the engine refuse a key of another table.
struct KeyRef {
  int fileNo = 0;
  int index = 0;
};

// The largest page SQLite (and SQLCipher) keep.
inline constexpr int kLargestPageSize = 65536;

struct TableDecl {
  std::string label;   // "MsgNmbr"
  std::string prefix;  // "MSG"
  int fileNo = 0;
  Driver driver = Driver::TopSpeed;
  std::size_t recordSize = 0;
  std::vector<FieldDecl> fields;
  std::vector<KeyDecl> keys;
  std::string memoName;        // empty: no memo
  std::size_t memoMax = 0;     // bytes
  // Further memo columns of a dBase-family file, read by name through
  // File::memo (the record buffer has one memo slot, memoName).
  std::vector<std::string> extraMemos;
  std::string ownerPassword;   // empty: stored unencrypted
  // Scratch tables (the import's temporary files) are rebuilt by every run
  // that uses them, so their writes are not synced to disk: a crash of the
  // process still leaves them consistent, a power failure may lose them.
  bool scratch = false;
  // The records are kept in the order of the first key, which must be
  // unique and made of two ULONG fields that identify a record: no record
  // position is stored beside them (TOPSPEED and DAT drivers). The position
  // is first × 2^32 + second, so positions follow the first key's order; a
  // record keeps its position until those two fields change. For tables of
  // millions of small rows (word occurrences), where a stored position would
  // be a third of each row and of each key entry.
  bool keyedPositions = false;
  // Bytes per page of a table kept in SQLite; 0: the engine's. A table of
  // large texts written once and read back in order (the import's
  // temporary messages) is written and, when encrypted, enciphered per page:
  // larger pages cost fewer calls per byte. Fixed when the file is made.
  int pageSize = 0;

  bool hasMemo() const { return !memoName.empty(); }
  // Index of a field by name; throws std::logic_error when there is none.
  std::size_t fieldIndex(std::string_view name) const;
  // Adds a key from component names; a leading '-' marks a descending one.
  TableDecl& key(std::string name, unsigned flags, std::initializer_list<std::string_view> components);
  // A canonical text of fields and keys; equal texts mean equal layouts.
  std::string layoutSignature() const;
};

template <class T>
struct FieldTypeOf;
template <> struct FieldTypeOf<std::uint8_t> { static constexpr FieldType value = FieldType::Byte; };
template <> struct FieldTypeOf<std::int16_t> { static constexpr FieldType value = FieldType::Short; };
template <> struct FieldTypeOf<std::uint16_t> { static constexpr FieldType value = FieldType::UShort; };
template <> struct FieldTypeOf<std::int32_t> { static constexpr FieldType value = FieldType::Long; };
template <> struct FieldTypeOf<std::uint32_t> { static constexpr FieldType value = FieldType::ULong; };
template <> struct FieldTypeOf<double> { static constexpr FieldType value = FieldType::Real; };
template <std::size_t N> struct FieldTypeOf<FixedString<N>> { static constexpr FieldType value = FieldType::String; };

template <class T>
FieldDecl makeField(std::string name, std::size_t offset) {
  if constexpr (std::is_array_v<T>) {
    return FieldDecl{std::move(name), offset, sizeof(T), FieldType::Raw};
  } else {
    return FieldDecl{std::move(name), offset, sizeof(T), FieldTypeOf<T>::value};
  }
}

// The same field with its dBase column format.
inline FieldDecl withColumn(FieldDecl f, char type, std::uint8_t width = 0, std::uint8_t decimals = 0,
                            std::string columnName = {}) {
  f.column = ColumnFormat{std::move(columnName), type, width, decimals};
  return f;
}

}  // namespace qv::engine

// A field of a packed record struct: QV_FIELD(MsgNmbrRecord, FROMALPHA).
#define QV_FIELD(Rec, member) \
  ::qv::engine::makeField<decltype(Rec::member)>(#member, offsetof(Rec, member))
