#include "readers/aol/aol_items.h"

#include <algorithm>

namespace qv::aol::detail {

bool Cursor::ahead(std::string_view mark) {
  if (left() < mark.size()) return false;
  std::string got(mark.size(), '\0');
  const std::optional<std::size_t> n = source_.read(pos_, got.data(), got.size());
  return n && *n == mark.size() && got == mark;
}

bool Cursor::skip(std::uint64_t n) {
  if (n > left()) return false;
  pos_ += n;
  return true;
}

std::optional<std::uint32_t> Cursor::number(std::size_t width) {
  const std::optional<std::string> b = bytes(width);
  if (!b) return std::nullopt;
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < width; ++i) v |= static_cast<std::uint32_t>(static_cast<unsigned char>((*b)[i])) << (8 * i);
  return v;
}

std::optional<std::string> Cursor::bytes(std::uint64_t n) {
  if (n > left()) return std::nullopt;
  std::string out(static_cast<std::size_t>(n), '\0');
  const std::optional<std::size_t> got = source_.read(pos_, out.data(), out.size());
  if (!got || *got != out.size()) return std::nullopt;
  pos_ += n;
  return out;
}

std::optional<Item> readItem(Cursor& c) {
  const std::optional<std::uint32_t> tag = c.number(2);
  const std::optional<std::uint32_t> type = tag ? c.number(1) : std::nullopt;
  if (!type) return std::nullopt;
  const std::size_t width = *type == 1 ? 1 : (*type == 2 || *type == 3) ? 2 : 4;
  const std::optional<std::uint32_t> value = c.number(width);
  if (!value) return std::nullopt;
  return Item{static_cast<std::uint16_t>(*tag), static_cast<std::uint8_t>(*type), *value};
}

namespace {

// A text item: `length` characters, of which the field keeps `keep`.
ItemResult readText(Cursor& c, std::uint32_t length, std::size_t keep, std::string* field) {
  const std::optional<std::string> text = c.bytes(length);
  if (!text) return ItemResult::Damaged;
  if (field != nullptr && field->empty()) *field = text->substr(0, keep);
  return ItemResult::Read;
}

}  // namespace

ItemResult readHeaderItem(Cursor& c, const Item& item, HeaderFields& h) {
  switch (item.tag) {
    case 2: h.partCount = item.value; return ItemResult::Read;
    case 5: return readText(c, item.value, 50, &h.date);
    case 6: return readText(c, item.value, 100, &h.sender);
    case 7: return readText(c, item.value, 100, &h.recipient);
    case 10: return readText(c, item.value, 100, &h.subject);
    case 11:
    case 17: return readText(c, item.value, 100, &h.otherRecipient);
    case 15: return ItemResult::Read;  // held with the header, of no use to the message
    case 16: return readText(c, item.value, 0, nullptr);
    case 24: h.sentSeconds = item.value; return ItemResult::Read;
    case 1: case 3: case 4: case 8: case 9: case 12: case 13: case 14:
    case 18: case 19: case 20: case 21: case 22: case 23: return ItemResult::Read;
    default: return ItemResult::UnknownTag;
  }
}

}  // namespace qv::aol::detail
