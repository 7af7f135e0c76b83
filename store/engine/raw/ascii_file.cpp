#include "store/engine/raw/ascii_file.h"

#include <algorithm>
#include <cstring>

namespace qv::engine::raw {

namespace {
constexpr std::size_t kWindow = 1 << 16;
}

Status AsciiFile::readLine(std::int64_t offset) {
  const std::size_t cap = b_.decl.recordSize;
  // Collect the line up to its LF, but never more than the field can take
  // plus a CR LF, so a huge line costs no more than one field.
  std::string line;
  std::int64_t at = offset;
  bool ended = false;
  while (line.size() < cap + 2) {
    if (windowStart_ < 0 || at < windowStart_ || at >= windowStart_ + static_cast<std::int64_t>(window_.size())) {
      window_.resize(kWindow);
      std::size_t got = 0;
      if (Status s = readAt(at, reinterpret_cast<unsigned char*>(window_.data()), kWindow, got); !s.ok()) return s;
      window_.resize(got);
      windowStart_ = at;
      if (got == 0) break;
    }
    const std::size_t from = static_cast<std::size_t>(at - windowStart_);
    const std::size_t lf = window_.find('\n', from);
    const std::size_t stop = lf == std::string::npos ? window_.size() : lf;
    const std::size_t take = std::min(stop - from, cap + 2 - line.size());
    line.append(window_, from, take);
    at += static_cast<std::int64_t>(take);
    if (lf != std::string::npos && from + take == lf) {
      ended = true;
      break;
    }
  }
  if (line.empty() && !ended)
    return {Err::RecordNotAvailable, std::string(defaultText(Err::RecordNotAvailable)) + ": end of file"};
  std::size_t used = line.size();  // bytes of the file this read consumes
  if (ended && !line.empty() && line.back() == '\r') line.pop_back();
  if (ended) ++used;  // the LF
  if (line.size() > cap) {
    // The rest of an over-long line comes with the next read.
    line.resize(cap);
    used = cap;
  }
  std::memcpy(b_.record, line.data(), line.size());
  std::memset(b_.record + line.size(), ' ', cap - line.size());
  current_ = offset;
  bytes_ = line.size();
  next_ = offset + static_cast<std::int64_t>(used);
  return {};
}

Status AsciiFile::getPosition(Position pos) { return readLine(pos); }
Status AsciiFile::set(const KeyDecl*, bool) {
  next_ = 0;
  return {};
}
Status AsciiFile::setPosition(const KeyDecl*, Position pos) {
  next_ = pos;
  return {};
}
Status AsciiFile::next() { return readLine(next_); }

Status AsciiFile::add(std::size_t length) {
  std::size_t n = std::min(length, b_.decl.recordSize);
  while (n > 0 && b_.record[n - 1] == ' ') --n;
  std::string out(reinterpret_cast<const char*>(b_.record), n);
  out += "\r\n";
  windowStart_ = -1;
  return writeAtEnd(reinterpret_cast<const unsigned char*>(out.data()), out.size());
}

Status AsciiFile::records(std::int64_t& n) {
  n = 0;
  std::int64_t off = 0;
  const std::int64_t total = size();
  std::string buf(kWindow, '\0');
  bool partial = false;
  while (off < total) {
    std::size_t got = 0;
    if (Status s = readAt(off, reinterpret_cast<unsigned char*>(buf.data()), kWindow, got); !s.ok()) return s;
    if (got == 0) break;
    n += std::count(buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(got), '\n');
    partial = buf[got - 1] != '\n';
    off += static_cast<std::int64_t>(got);
  }
  if (partial) ++n;
  return {};
}

}  // namespace qv::engine::raw
