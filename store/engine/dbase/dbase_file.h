#pragma once
// The DBASE3 and FOXPRO drivers: one driver reads both (and dBase IV and 7
// files) and writes dBase III files with .DBT memos and an .NDX index.
//
// Reading. Records are numbered from 1; the position of a record is its
// number. next() and previous() pass over deleted records ('*'),
// getPosition() reads them too. A read fills the declared record by column
// name (values.h says how each column type becomes each field type), and
// the declared memo slot (TableDecl::memoName) with its memo, cut to
// memoMax; File::memo reads the other memo columns of the same record.
//
// Damage. Opening refuses (FileSystemError, with a text that says why) a
// file that is not a dBase or FoxPro table, a header longer than the file,
// columns that do not fit the record length, and a table with memo columns
// whose memo file is missing or unusable. Everything else is a bad record:
// the read answers FileSystemError with a text naming the record and what is
// wrong, the walk moves past it, and the next read goes on after it. A
// header that counts more records than the file holds (or a cut-off last
// record) is one bad record at the point where the data ends; the walk ends
// there. records() always gives the header's count.
//
// Writing. create() makes a dBase III file from the declaration (columns in
// declared order, formats from FieldDecl::column), its .DBT when it has a
// memo column and its .NDX when it has a key (one key on one C, N or F
// column). add() appends a record and its memos (the memo slot, and the
// further memo columns given through setMemo), then brings the header's
// record count and date and the index up to date, so the files are complete
// after every add. Only dBase III files (0x03, 0x83) are written; others
// answer NotSupported. put, erase, pack, keys and holds are not offered.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "store/engine/dbase/disk_file.h"
#include "store/engine/dbase/header.h"
#include "store/engine/dbase/memo_file.h"
#include "store/engine/dbase/ndx_file.h"
#include "store/engine/driver.h"

namespace qv::engine::dbase {

// The columns a declaration makes in a new file, each with the index of the
// field it comes from (npos for the memo slot's own column). A declaration
// that cannot be a dBase III file (a name that is empty or repeats, a width
// outside 1-254, an unknown type) throws std::logic_error.
struct NewColumn {
  Column column;
  std::size_t field = static_cast<std::size_t>(-1);
};
std::vector<NewColumn> columnsFor(const TableDecl& decl);

// The file beside `table` with the given extension ("DBT", "FPT", "NDX"),
// found without regard to letter case; empty when there is none.
std::filesystem::path findCompanion(const std::filesystem::path& table, const std::string& extension);

class DbaseFile final : public DriverFile {
 public:
  explicit DbaseFile(FileBinding& b) : DriverFile(b) {}
  ~DbaseFile() override { DbaseFile::close(); }

  Status open(OpenMode mode) override;
  void close() override;
  bool isOpen() const override { return table_.isOpen(); }
  Status create() override;
  Status getPosition(Position pos) override;
  Status set(const KeyDecl* key, bool fromBuffer) override;
  Status setPosition(const KeyDecl* key, Position pos) override;
  Status next() override;
  Status previous() override;
  Status add(std::size_t length) override;
  Status records(std::int64_t& n) override;
  Status empty() override;
  Status build() override;
  Status remove() override;
  Status memo(std::string_view column, std::string& text) override;
  Status setMemo(std::string_view column, std::string text) override;
  Position position() const override { return current_; }

 private:
  enum class Read { Live, Deleted };
  Status openMemo();
  Status openIndex();
  Status rebuildIndex();
  void mapColumns();
  Status readRecord(std::uint32_t pos, Read& state);
  Status fill(std::uint32_t pos);
  Status readMemoColumn(std::size_t column, std::uint32_t pos, std::string& text);
  Status shortfall();
  Status badRecord(std::uint32_t pos, const std::string& what) const;
  std::string indexKey(const std::vector<unsigned char>& record) const;
  Status writeHeaderCount();
  std::size_t memoCap() const;

  DiskFile table_;
  MemoFile memo_;
  NdxFile index_;
  Header header_;
  bool writable_ = false;
  std::uint32_t available_ = 0;  // whole records the file holds, at most the header's count
  std::vector<std::size_t> fieldColumn_;  // per declared field: its column, or npos
  std::vector<std::size_t> columnField_;  // per column: the declared field, or npos
  std::size_t slotColumn_ = static_cast<std::size_t>(-1);
  std::size_t keyColumn_ = static_cast<std::size_t>(-1);
  std::vector<unsigned char> record_;
  std::vector<std::pair<std::size_t, std::string>> pendingMemos_;  // column, text: for the next add
  std::int64_t nextPos_ = 1;
  std::int64_t prevPos_ = 0;
  std::uint32_t current_ = 0;  // the record last read; 0 none
};

}  // namespace qv::engine::dbase
