#include "text/block_window.h"

#include <algorithm>
#include <cstring>
#include <system_error>

namespace qv::internet {

std::optional<std::size_t> MemorySource::read(std::uint64_t offset, char* out, std::size_t n) {
  if (offset >= bytes_.size()) return std::size_t{0};
  const std::size_t got = std::min<std::uint64_t>(n, bytes_.size() - offset);
  std::memcpy(out, bytes_.data() + offset, got);
  return got;
}

std::unique_ptr<FileSource> FileSource::open(const std::filesystem::path& name) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(name, ec)) return nullptr;
  const std::uintmax_t size = std::filesystem::file_size(name, ec);
  if (ec) return nullptr;
  auto f = std::make_unique<FileSource>();
  f->in_.open(name, std::ios::binary);
  if (!f->in_) return nullptr;
  f->size_ = size;
  return f;
}

std::optional<std::size_t> FileSource::read(std::uint64_t offset, char* out, std::size_t n) {
  if (offset >= size_) return std::size_t{0};
  in_.clear();
  in_.seekg(static_cast<std::streamoff>(offset));
  if (!in_) return std::nullopt;
  in_.read(out, static_cast<std::streamsize>(n));
  const auto got = static_cast<std::size_t>(in_.gcount());
  // A short read before the end the file had when it was opened is a read error.
  if (got < n && offset + got < size_) return std::nullopt;
  return got;
}

std::unique_ptr<ByteSource> openFileSource(const std::filesystem::path& name) { return FileSource::open(name); }

bool BlockWindow::open(ByteSource& source) {
  source_ = &source;
  size_ = source.size();
  failed_ = false;
  prev1_ = prev2_ = -1;
  return load(0);
}

bool BlockWindow::load(std::uint64_t blockStart) {
  start_ = blockStart;
  len_ = 0;
  at_ = 0;
  nextBlock_ = blockStart;
  for (int half = 0; half < 2 && nextBlock_ < size_; ++half) {
    const std::optional<std::size_t> got = source_->read(nextBlock_, buf_.data() + len_, kBlockSize);
    if (!got) {
      failed_ = true;
      nextBlock_ = size_;  // nothing more is read
      return false;
    }
    len_ += *got;
    nextBlock_ += kBlockSize;
    if (*got < kBlockSize) nextBlock_ = size_;  // the data ended early
  }
  return true;
}

void BlockWindow::shift() {
  while (at_ >= kBlockSize && nextBlock_ < size_ && !failed_) {
    std::memmove(buf_.data(), buf_.data() + kBlockSize, len_ - kBlockSize);
    len_ -= kBlockSize;
    at_ -= kBlockSize;
    start_ += kBlockSize;
    const std::optional<std::size_t> got = source_->read(nextBlock_, buf_.data() + len_, kBlockSize);
    if (!got) {
      failed_ = true;
      nextBlock_ = size_;
      return;
    }
    len_ += *got;
    nextBlock_ = *got < kBlockSize ? size_ : nextBlock_ + kBlockSize;
  }
}

void BlockWindow::advanceAcross(std::size_t n) {
  while (n > 0 && at_ < len_) {
    const std::size_t step = std::min(n, len_ - at_);
    if (step >= 2) {
      prev2_ = static_cast<unsigned char>(buf_[at_ + step - 2]);
    } else {
      prev2_ = prev1_;
    }
    prev1_ = static_cast<unsigned char>(buf_[at_ + step - 1]);
    at_ += step;
    n -= step;
    shift();
  }
}

void BlockWindow::seek(std::uint64_t to) {
  if (to <= pos()) return;
  if (to < start_ + len_ || nextBlock_ >= size_) {
    advance(static_cast<std::size_t>(std::min<std::uint64_t>(to - pos(), len_ - at_)));
    return;
  }
  if (to >= size_) {  // past the end: nothing more to read
    advance(len_ - at_);
    return;
  }
  const std::uint64_t block = to / kBlockSize * kBlockSize;
  if (!load(block)) return;
  at_ = std::min<std::size_t>(static_cast<std::size_t>(to - block), len_);
  prev1_ = prev2_ = -1;
}

}  // namespace qv::internet
