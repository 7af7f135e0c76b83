#pragma once
// The DOS driver: a file read or written as consecutive raw blocks of the
// declared record size (10,000 or 64,000 bytes); the last block of a file is
// usually short, and bytes() tells how much of the buffer a read filled.
// Positions are byte offsets.

#include "store/engine/raw/raw_file.h"

namespace qv::engine::raw {

class DosFile final : public RawFile {
 public:
  using RawFile::RawFile;
  Status getPosition(Position pos) override;
  Status set(const KeyDecl* k, bool fromBuffer) override;
  Status setPosition(const KeyDecl* k, Position pos) override;
  Status next() override;
  Status add(std::size_t length) override;
  Status records(std::int64_t& n) override;

 private:
  Status readBlock(std::int64_t offset);
  std::int64_t next_ = 0;
};

}  // namespace qv::engine::raw
