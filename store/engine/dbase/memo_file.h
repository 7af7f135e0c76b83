#pragma once
// The memo file beside a dBase-family table: .DBT (dBase III, dBase IV and 7)
// or .FPT (FoxPro). Texts are found by block number; each read is bounded
// by the file's size and by the caller's cap, so a damaged memo file costs
// no more than one cap of reading and never reads outside its buffer.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "store/engine/dbase/disk_file.h"
#include "store/engine/dbase/header.h"

namespace qv::engine::dbase {

class MemoFile {
 public:
  // Opens an existing memo file of the given kind. An FPT shorter than its
  // 8-byte header or with block size 0 is refused (FileSystemError); a DBT
  // shorter than its header opens, and every memo it should hold is damaged.
  Status open(const std::filesystem::path& p, MemoKind kind, bool writable);
  // Makes an empty dBase III memo file (512-byte header, next block 1).
  Status create(const std::filesystem::path& p);
  void close() { file_.close(); }
  bool isOpen() const { return file_.isOpen(); }
  MemoKind kind() const { return kind_; }
  const std::filesystem::path& name() const { return file_.name(); }

  // The text at `block` (0: no memo, empty text), cut to `cap` bytes. A
  // pointer past the end, a memo longer than the file, or (dBase III) one
  // that reaches the end of the file before its 0x1A end mark: FileSystemError
  // whose text says which, in words that fit after "the memo ".
  Status read(std::uint32_t block, std::size_t cap, std::string& text) const;

  // dBase III files only: stores a text in new blocks at the end, ended by
  // 0x1A 0x1A (a 0x1A inside the text becomes a blank, since it would end
  // the text early), and records the next free block in the header. `text`
  // must not be empty: an empty memo is a blank pointer, not a block.
  Status append(std::string_view text, std::uint32_t& block);

 private:
  Status scanToEndMark(std::uint64_t offset, std::size_t cap, std::string& text) const;

  DiskFile file_;
  MemoKind kind_ = MemoKind::Dbt3;
  std::uint32_t blockSize_ = 512;
};

}  // namespace qv::engine::dbase
