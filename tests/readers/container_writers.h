#pragma once
// Writers of Outlook Express 5 and AOL stores, for the tests and for the
// committed samples (samples/containers/, made by qv_container_samples).
// They write only what the readers look at; the rest of a real store (its
// index, folder information) is left as zero bytes.

#include <zlib.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qv::test {

inline void putLe(std::string& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline void putLeAt(std::string& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// An Outlook Express 5 store: a header, then blocks of 16 + 512 bytes.
class Oe5Writer {
 public:
  static constexpr std::uint32_t kSpan = 528;

  explicit Oe5Writer(std::size_t header = 0x400) : bytes(header, '\0') {
    // The store's signature, as the client writes it; the reader does not ask for it.
    const unsigned char magic[] = {0xCF, 0xAD, 0x12, 0xFE, 0xC5, 0xFD, 0x74, 0x6F};
    for (std::size_t i = 0; i < sizeof magic && i < bytes.size(); ++i) bytes[i] = static_cast<char>(magic[i]);
  }

  // The offset the next appended block gets.
  std::uint32_t end() const { return static_cast<std::uint32_t>(bytes.size()); }

  // Writes a block at `at` (growing the store as needed): its own offset,
  // `size`, the text length, `next`, and the text padded to 512 bytes.
  void block(std::uint32_t at, std::string_view text, std::uint32_t next, std::uint32_t size = 512,
             std::uint32_t own = UINT32_MAX) {
    if (bytes.size() < at + kSpan) bytes.resize(at + kSpan, '\0');
    putLeAt(bytes, at, own == UINT32_MAX ? at : own);
    putLeAt(bytes, at + 4, size);
    putLeAt(bytes, at + 8, static_cast<std::uint32_t>(text.size()));
    putLeAt(bytes, at + 12, next);
    bytes.replace(at + 16, text.size(), text);
  }

  // Appends a message as a chain of consecutive blocks; its first offset.
  std::uint32_t message(std::string_view text) {
    const std::uint32_t first = end();
    std::size_t done = 0;
    do {
      const std::string_view piece = text.substr(done, 512);
      done += piece.size();
      const std::uint32_t at = end();
      block(at, piece, done < text.size() ? at + kSpan : 0);
    } while (done < text.size());
    return first;
  }

  std::string bytes;
};

inline std::string zlibCompress(std::string_view text) {
  uLongf length = compressBound(static_cast<uLong>(text.size()));
  std::string out(length, '\0');
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &length, reinterpret_cast<const Bytef*>(text.data()),
                static_cast<uLong>(text.size()), Z_DEFAULT_COMPRESSION) != Z_OK)
    throw std::runtime_error("compress2 failed");
  out.resize(length);
  return out;
}

// An AOL or CompuServe 2000 store.
class AolWriter {
 public:
  AolWriter() : bytes("AOLVM100") { bytes.append(24, '\0'); }

  void item(std::uint16_t tag, std::uint8_t type, std::uint32_t value) {
    putLe(bytes, tag, 2);
    putLe(bytes, type, 1);
    putLe(bytes, value, type == 1 ? 1 : (type == 2 || type == 3) ? 2 : 4);
  }
  // A text item: its length as the value, then the characters.
  void text(std::uint16_t tag, std::string_view s) {
    item(tag, 4, static_cast<std::uint32_t>(s.size()));
    bytes += s;
  }
  // A record's marks; the header items follow.
  void record() {
    bytes.append("RS\0\0", 4);
    putLe(bytes, 0x1234, 4);
    bytes += "AOLH";
  }
  // The usual header: part count, date text, sender, recipient, subject, send time.
  void header(std::uint32_t parts, std::string_view date, std::string_view from, std::string_view to,
              std::string_view subject, std::uint32_t sentSeconds = 0) {
    item(2, 2, parts);
    text(5, date);
    text(6, from);
    text(7, to);
    text(10, subject);
    if (sentSeconds != 0) item(24, 4, sentSeconds);
  }
  // A text part of `kind`.
  void part(std::uint32_t kind, std::string_view data) {
    bytes += "AOLFAOLH";
    putLe(bytes, 0, 4);
    item(12, 2, kind);
    item(13, 7, static_cast<std::uint32_t>(data.size()));
    bytes += data;
  }
  // The end of a header with no parts.
  void noParts() { bytes += "AOLF"; }
  // Items of a forwarded message's header, as the data of a part of kind 258.
  static std::string forwarded(std::string_view date, std::string_view from, std::string_view to,
                               std::string_view subject) {
    AolWriter w;
    w.bytes.clear();
    w.text(5, date);
    w.text(6, from);
    w.text(7, to);
    w.text(10, subject);
    return w.bytes;
  }

  std::string bytes;
};

// Seconds since 1 January 1980 of a day (days since then) at noon.
inline std::uint32_t aolSeconds(std::uint32_t daysSince1980) { return daysSince1980 * 86400u + 43200u; }

}  // namespace qv::test
