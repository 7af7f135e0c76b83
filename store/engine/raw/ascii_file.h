#pragma once
// The ASCII driver: a text file read or written line by line. A read fills
// the record's one text field with the next line (without its CR LF or LF
// end, blank-padded); a line longer than the field continues in the next
// read. A write stores the field without its trailing blanks and ends it with
// CR LF. The option "QUICKSCAN=ON" (read ahead in large blocks) is accepted;
// this driver always reads ahead. Positions are byte offsets of lines.

#include <string>

#include "store/engine/raw/raw_file.h"

namespace qv::engine::raw {

class AsciiFile final : public RawFile {
 public:
  using RawFile::RawFile;
  Status getPosition(Position pos) override;
  Status set(const KeyDecl* k, bool fromBuffer) override;
  Status setPosition(const KeyDecl* k, Position pos) override;
  Status next() override;
  Status add(std::size_t length) override;
  Status records(std::int64_t& n) override;

 private:
  Status readLine(std::int64_t offset);
  std::int64_t next_ = 0;
  // Read-ahead window: bytes of the file starting at windowStart_.
  std::string window_;
  std::int64_t windowStart_ = -1;
};

}  // namespace qv::engine::raw
