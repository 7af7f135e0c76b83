#pragma once
// Reading a store file through a window of two 10,000-byte blocks.
//
// The Internet store readers never hold a whole file: the window keeps two
// consecutive blocks in view, and when the position passes into the second
// one (and blocks remain) the window shifts by one block. While the file goes
// on, at least 10,000 bytes past the position are therefore in view, which is
// all any separator or record test needs.
//
// The bytes come from a ByteSource: a file (FileSource) or a buffer
// (MemorySource), so that tests and fuzz targets can drive a reader without
// touching the disk.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

namespace qv::internet {

inline constexpr std::size_t kBlockSize = 10000;

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t size() const = 0;
  // Reads up to `n` bytes at `offset` into `out`. The number read — fewer
  // than `n` only at the end of the data — or nothing on a read error.
  virtual std::optional<std::size_t> read(std::uint64_t offset, char* out, std::size_t n) = 0;
};

// Bytes in memory; they must outlive the source.
class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  std::uint64_t size() const override { return bytes_.size(); }
  std::optional<std::size_t> read(std::uint64_t offset, char* out, std::size_t n) override;

 private:
  std::string_view bytes_;
};

// A file, opened read-only; its size is taken when it is opened.
class FileSource final : public ByteSource {
 public:
  // Null when the file does not exist or cannot be opened.
  static std::unique_ptr<FileSource> open(const std::filesystem::path& name);
  std::uint64_t size() const override { return size_; }
  std::optional<std::size_t> read(std::uint64_t offset, char* out, std::size_t n) override;

 private:
  std::ifstream in_;
  std::uint64_t size_ = 0;
};

// How a reader opens the store and its companion files (Eudora's table of
// contents). The default opens files; tests hand in buffers by name.
using FileOpener = std::function<std::unique_ptr<ByteSource>(const std::filesystem::path&)>;
std::unique_ptr<ByteSource> openFileSource(const std::filesystem::path& name);

class BlockWindow {
 public:
  // Starts at the beginning of `source` (which must outlive the window) and
  // reads its first one or two blocks. False on a read error.
  bool open(ByteSource& source);

  std::uint64_t pos() const { return start_ + at_; }  // 0-based
  std::uint64_t size() const { return size_; }
  bool atEnd() const { return at_ >= len_; }
  // A block could not be read: the data ends at the window's end.
  bool failed() const { return failed_; }

  // The byte `ahead` bytes past the position as 0-255, or -1 past the end of
  // the data or of the window.
  int peek(std::size_t ahead = 0) const {
    const std::size_t i = at_ + ahead;
    return i < len_ ? static_cast<unsigned char>(buf_[i]) : -1;
  }
  // The byte `back` (1 or 2) bytes before the position, -1 when unknown
  // (the start of the data, or right after a seek).
  int prev(std::size_t back = 1) const { return back == 1 ? prev1_ : prev2_; }
  // Up to `n` bytes from the position, as far as the window holds them.
  std::string_view view(std::size_t n) const {
    if (at_ >= len_) return {};
    return {buf_.data() + at_, n < len_ - at_ ? n : len_ - at_};
  }

  void advance(std::size_t n = 1) {
    // Within the first block nothing is read or shifted: the common case
    // of a reader walking a line, done here without a call.
    if (n > 0 && n <= len_ - at_ && at_ + n < kBlockSize) {
      prev2_ = n >= 2 ? static_cast<unsigned char>(buf_[at_ + n - 2]) : prev1_;
      prev1_ = static_cast<unsigned char>(buf_[at_ + n - 1]);
      at_ += n;
      return;
    }
    advanceAcross(n);
  }
  // Moves forward to the absolute position `to` (not before pos()); beyond
  // the window the blocks around it are read afresh. A position past the end
  // of the data leaves the window at its end.
  void seek(std::uint64_t to);

 private:
  bool load(std::uint64_t blockStart);  // the block at blockStart and the one after it
  void shift();                         // keeps the position in the first block
  void advanceAcross(std::size_t n);    // advance() that may pass into the second block

  ByteSource* source_ = nullptr;
  std::array<char, 2 * kBlockSize> buf_{};
  std::uint64_t size_ = 0;
  std::uint64_t start_ = 0;      // file offset of buf_[0]
  std::size_t len_ = 0;          // valid bytes in buf_
  std::size_t at_ = 0;           // the position within buf_
  std::uint64_t nextBlock_ = 0;  // file offset of the next block to read
  int prev1_ = -1;
  int prev2_ = -1;
  bool failed_ = false;
};

}  // namespace qv::internet
