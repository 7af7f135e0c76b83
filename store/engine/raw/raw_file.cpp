#include "store/engine/raw/raw_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "store/engine/os_errors.h"

namespace qv::engine::raw {

namespace {
Status checkName(const std::filesystem::path& p) {
  const std::string s = p.string();
  if (s.empty() || s.find('\0') != std::string::npos || s.back() == '/')
    return {Err::InvalidFileName, std::string(defaultText(Err::InvalidFileName)) + ": " + s};
  return {};
}
}  // namespace

Status RawFile::open(OpenMode mode) {
  if (Status s = checkName(b_.name); !s.ok()) return s;
  writable_ = mode != OpenMode::ReadOnlyShared;
  fd_ = ::open(b_.name.c_str(), (writable_ ? O_RDWR : O_RDONLY) | O_CLOEXEC);
  if (fd_ < 0) return statusOfErrno(errno, b_.name);
  struct stat st {};
  if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
    close();
    return statusOfErrno(EISDIR, b_.name);
  }
  current_ = 0;
  bytes_ = 0;
  return {};
}

void RawFile::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

Status RawFile::create() {
  if (Status s = checkName(b_.name); !s.ok()) return s;
  const int fd = ::open(b_.name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return statusOfErrno(errno, b_.name);
  ::close(fd);
  return {};
}

Status RawFile::remove() {
  close();
  if (::unlink(b_.name.c_str()) != 0 && errno != ENOENT) return statusOfErrno(errno, b_.name);
  return {};
}

Status RawFile::empty() {
  if (!writable_) return {Err::AccessDenied, "The file is open read-only"};
  if (::ftruncate(fd_, 0) != 0) return statusOfErrno(errno, b_.name);
  current_ = 0;
  return {};
}

Status RawFile::readAt(std::int64_t offset, unsigned char* out, std::size_t n, std::size_t& got) {
  got = 0;
  while (got < n) {
    const ssize_t r = ::pread(fd_, out + got, n - got, static_cast<off_t>(offset) + static_cast<off_t>(got));
    if (r < 0) {
      if (errno == EINTR) continue;
      return statusOfErrno(errno, b_.name);
    }
    if (r == 0) break;
    got += static_cast<std::size_t>(r);
  }
  return {};
}

Status RawFile::writeAtEnd(const unsigned char* data, std::size_t n) {
  if (!writable_) return {Err::AccessDenied, "The file is open read-only"};
  const off_t end = ::lseek(fd_, 0, SEEK_END);
  if (end < 0) return statusOfErrno(errno, b_.name);
  std::size_t done = 0;
  while (done < n) {
    const ssize_t w = ::pwrite(fd_, data + done, n - done, end + static_cast<off_t>(done));
    if (w < 0) {
      if (errno == EINTR) continue;
      return statusOfErrno(errno, b_.name);
    }
    done += static_cast<std::size_t>(w);
  }
  current_ = end;
  bytes_ = n;
  return {};
}

std::int64_t RawFile::size() const {
  struct stat st {};
  return ::fstat(fd_, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : 0;
}

}  // namespace qv::engine::raw
