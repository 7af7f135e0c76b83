#pragma once
// One open file of a dBase table (the table, its memo file, its index):
// positioned reads and writes that either do all they were asked or say
// why not.

#include <cstdint>
#include <filesystem>
#include <string>

#include "store/engine/errors.h"

namespace qv::engine::dbase {

class DiskFile {
 public:
  DiskFile() = default;
  ~DiskFile() { close(); }
  DiskFile(const DiskFile&) = delete;
  DiskFile& operator=(const DiskFile&) = delete;

  // Opens an existing file; a directory answers AccessDenied.
  Status open(const std::filesystem::path& p, bool writable);
  // Creates the file empty (replacing one of that name) and opens it read-write.
  Status create(const std::filesystem::path& p);
  void close();
  bool isOpen() const { return fd_ >= 0; }
  const std::filesystem::path& name() const { return name_; }

  // Reads up to n bytes at offset; `got` tells how many there were (fewer at
  // the end of the file).
  Status readAt(std::uint64_t offset, void* out, std::size_t n, std::size_t& got) const;
  Status writeAt(std::uint64_t offset, const void* data, std::size_t n);
  Status truncate(std::uint64_t size);
  // The file's size now; 0 when it cannot be told.
  std::uint64_t size() const;

 private:
  int fd_ = -1;
  std::filesystem::path name_;
};

}  // namespace qv::engine::dbase
