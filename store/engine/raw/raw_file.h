#pragma once
// What the DOS (raw blocks) and ASCII (text lines) drivers share: a plain
// file opened read-only or read-write, with the open checks of the engine.

#include <cstdint>
#include <filesystem>

#include "store/engine/driver.h"

namespace qv::engine::raw {

class RawFile : public DriverFile {
 public:
  explicit RawFile(FileBinding& b) : DriverFile(b) {}
  ~RawFile() override { RawFile::close(); }

  Status open(OpenMode mode) override;
  void close() override;
  bool isOpen() const override { return fd_ >= 0; }
  Status create() override;
  Status remove() override;
  Status empty() override;
  Position position() const override { return current_; }
  std::size_t bytes() const override { return bytes_; }

 protected:
  // Reads up to n bytes at offset; returns the count (0 at the end).
  Status readAt(std::int64_t offset, unsigned char* out, std::size_t n, std::size_t& got);
  Status writeAtEnd(const unsigned char* data, std::size_t n);
  std::int64_t size() const;

  int fd_ = -1;
  bool writable_ = false;
  Position current_ = 0;
  std::size_t bytes_ = 0;
};

}  // namespace qv::engine::raw
