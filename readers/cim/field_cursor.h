#pragma once
// Reading the fields of a binary record through the block window, never
// past a given end.
//
// The filing cabinet's objects and the message files are read field by
// field: bytes, little-endian numbers, strings (one length byte, then that
// many characters). A cursor reads from the window's position up to `end`
// (an object's end, or the file's). A field that would run past the end, or
// past what the window can still read, fails the cursor: it then reads
// nothing more, every later field comes back as 0 or empty, and ok() says
// false, so a reader can read a whole layout and check once where it matters.

#include <cstdint>
#include <string>

#include "text/block_window.h"

namespace qv::cim {

class FieldCursor {
 public:
  // The window must be at or before `end`, and outlive the cursor.
  FieldCursor(internet::BlockWindow& window, std::uint64_t end) : window_(window), end_(end) {}

  bool ok() const { return ok_; }
  std::uint64_t pos() const { return window_.pos(); }
  std::uint64_t end() const { return end_; }
  // Bytes left before the end (0 once the cursor has failed).
  std::uint64_t remaining() const { return ok_ && end_ > pos() ? end_ - pos() : 0; }
  // The next byte as 0-255 without taking it; -1 at the end.
  int peek() const { return remaining() > 0 ? window_.peek() : -1; }

  std::uint8_t byte();
  std::uint16_t word();   // 16-bit little-endian
  std::uint32_t dword();  // 32-bit little-endian
  void skip(std::uint64_t n);
  // Forward to `at`; a position behind the cursor or past the end fails it.
  void skipTo(std::uint64_t at);
  // A string: its length byte and that many characters, of which the first
  // `keep` are returned.
  std::string string(std::size_t keep);
  // `n` bytes, of which the first `keep` are returned.
  std::string bytes(std::uint64_t n, std::size_t keep);
  // A cursor over the next `n` bytes, for a block whose length the data
  // gives. A block that would run past this cursor's end fails both.
  FieldCursor part(std::uint64_t n);
  // Marks the data as damaged: nothing more is read.
  void fail() { ok_ = false; }

 private:
  bool take(char* out, std::size_t n);

  internet::BlockWindow& window_;
  std::uint64_t end_;
  bool ok_ = true;
};

}  // namespace qv::cim
