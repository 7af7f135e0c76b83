#include "store/engine/raw/dos_file.h"

#include <cstring>

namespace qv::engine::raw {

Status DosFile::readBlock(std::int64_t offset) {
  std::size_t got = 0;
  if (offset < 0) return {Err::RecordNotFound, defaultText(Err::RecordNotFound)};
  if (Status s = readAt(offset, b_.record, b_.decl.recordSize, got); !s.ok()) return s;
  if (got == 0) return {Err::RecordNotAvailable, std::string(defaultText(Err::RecordNotAvailable)) + ": end of file"};
  // The unfilled rest of a short last block is blank, like any STRING.
  std::memset(b_.record + got, ' ', b_.decl.recordSize - got);
  current_ = offset;
  bytes_ = got;
  next_ = offset + static_cast<std::int64_t>(got);
  return {};
}

Status DosFile::getPosition(Position pos) { return readBlock(pos); }
Status DosFile::set(const KeyDecl*, bool) {
  next_ = 0;
  return {};
}
Status DosFile::setPosition(const KeyDecl*, Position pos) {
  next_ = pos;
  return {};
}
Status DosFile::next() { return readBlock(next_); }

Status DosFile::add(std::size_t length) {
  if (length > b_.decl.recordSize) length = b_.decl.recordSize;
  return writeAtEnd(b_.record, length);
}

Status DosFile::records(std::int64_t& n) {
  const auto r = static_cast<std::int64_t>(b_.decl.recordSize);
  n = (size() + r - 1) / r;
  return {};
}

}  // namespace qv::engine::raw
