#pragma once
// Reading the tagged items of an AOL record: a cursor over the store that
// never reads past its end, and the message header items.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "text/block_window.h"

namespace qv::aol::detail {

class Cursor {
 public:
  Cursor(internet::ByteSource& source, std::uint64_t at, std::uint64_t end) : source_(source), pos_(at), end_(end) {}

  std::uint64_t pos() const { return pos_; }
  std::uint64_t left() const { return pos_ < end_ ? end_ - pos_ : 0; }
  // Whether the next bytes are `mark` (nothing is consumed).
  bool ahead(std::string_view mark);
  // False, not moving, when fewer than `n` bytes are left.
  bool skip(std::uint64_t n);
  // A little-endian number of 1, 2 or 4 bytes.
  std::optional<std::uint32_t> number(std::size_t width);
  // `n` bytes; nothing when fewer are left or they cannot be read.
  std::optional<std::string> bytes(std::uint64_t n);
  // A cursor over the next `n` bytes (fewer when fewer are left); this one does not move.
  Cursor within(std::uint64_t n) const { return Cursor(source_, pos_, pos_ + std::min(n, left())); }

 private:
  internet::ByteSource& source_;
  std::uint64_t pos_;
  std::uint64_t end_;
};

// One item: a 16-bit tag, an 8-bit type and a value whose width the type
// gives (1: one byte; 2, 3: two bytes; any other: four bytes).
struct Item {
  std::uint16_t tag = 0;
  std::uint8_t type = 0;
  std::uint32_t value = 0;
};
std::optional<Item> readItem(Cursor& c);

// What a message header (or the header of a forwarded message) says.
struct HeaderFields {
  std::string date, sender, recipient, subject;
  std::string otherRecipient;  // tags 11 and 17: the recipient when tag 7 gives none
  std::optional<std::uint32_t> sentSeconds;  // tag 24
  std::optional<std::uint32_t> partCount;    // tag 2

  const std::string& to() const { return recipient.empty() ? otherRecipient : recipient; }
};

enum class ItemResult : std::uint8_t { Read, UnknownTag, Damaged };

// Reads the value of header item `item` into `h`: texts (their value is
// the length, the characters follow) are cut to their field lengths, the
// items of no use here are passed over. UnknownTag for a tag that no
// header has; Damaged when the item's text runs past the end.
ItemResult readHeaderItem(Cursor& c, const Item& item, HeaderFields& h);

}  // namespace qv::aol::detail
