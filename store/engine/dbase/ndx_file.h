#pragma once
// The dBase III index (.NDX) of a table's first column: a B-tree of 512-byte
// pages, kept up to date as records are added. Page layout: README.md beside
// this file.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "store/engine/dbase/disk_file.h"

namespace qv::engine::dbase {

struct NdxKey {
  std::string expression;  // the column name, as dBase keeps the key expression
  bool numeric = false;    // N and F columns: keys are 8-byte doubles
  std::size_t length = 0;  // character keys: the column width (at most 100)
};

class NdxFile {
 public:
  static constexpr std::size_t kPage = 512;
  static constexpr std::size_t kMaxCharKey = 100;

  // Creates an empty index (a header page and one empty leaf).
  Status create(const std::filesystem::path& p, const NdxKey& key);
  // Opens an existing index to add to it. A header that does not describe
  // `key`, or a root or page count outside the file: FileSystemError (the
  // caller builds a new index then).
  Status open(const std::filesystem::path& p, const NdxKey& key);
  void close() { file_.close(); }
  bool isOpen() const { return file_.isOpen(); }

  // Adds record `recno` under `key` (the column's bytes for character keys,
  // the 8 bytes of a little-endian double for numeric ones). Equal keys keep
  // the order of their record numbers as long as records are added in
  // order. A page that makes no sense (count too large, pointer outside the
  // file, a tree deeper than 32): FileSystemError, nothing written.
  Status insert(std::string_view key, std::uint32_t recno);

 private:
  struct Entry {
    std::uint32_t page = 0;   // child page (interior pages)
    std::uint32_t recno = 0;  // record number (leaves)
    std::string key;
  };
  struct Node {
    bool leaf = true;
    std::vector<Entry> entries;
    std::uint32_t last = 0;  // interior pages: the child after the last key
  };

  void setKey(const NdxKey& key);
  Status readNode(std::uint32_t page, Node& node) const;
  Status writeNode(std::uint32_t page, const Node& node);
  Status writeHeader();
  int compare(std::string_view a, std::string_view b) const;
  std::size_t keyBytes() const { return key_.numeric ? 8 : key_.length; }

  DiskFile file_;
  NdxKey key_;
  std::size_t entrySize_ = 0;
  std::size_t maxLeaf_ = 0;
  std::size_t maxInterior_ = 0;
  std::uint32_t root_ = 1;
  std::uint32_t pages_ = 2;  // pages in the file, header included
};

}  // namespace qv::engine::dbase
