#include "store/engine/dbase/disk_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "store/engine/os_errors.h"

namespace qv::engine::dbase {

Status DiskFile::open(const std::filesystem::path& p, bool writable) {
  close();
  fd_ = ::open(p.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
  if (fd_ < 0) return statusOfErrno(errno, p);
  name_ = p;
  struct stat st {};
  if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
    close();
    return statusOfErrno(EISDIR, p);
  }
  return {};
}

Status DiskFile::create(const std::filesystem::path& p) {
  close();
  fd_ = ::open(p.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd_ < 0) return statusOfErrno(errno, p);
  name_ = p;
  return {};
}

void DiskFile::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

Status DiskFile::readAt(std::uint64_t offset, void* out, std::size_t n, std::size_t& got) const {
  got = 0;
  auto* bytes = static_cast<unsigned char*>(out);
  while (got < n) {
    const ssize_t r = ::pread(fd_, bytes + got, n - got, static_cast<off_t>(offset + got));
    if (r < 0) {
      if (errno == EINTR) continue;
      return statusOfErrno(errno, name_);
    }
    if (r == 0) break;
    got += static_cast<std::size_t>(r);
  }
  return {};
}

Status DiskFile::writeAt(std::uint64_t offset, const void* data, std::size_t n) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::size_t done = 0;
  while (done < n) {
    const ssize_t w = ::pwrite(fd_, bytes + done, n - done, static_cast<off_t>(offset + done));
    if (w < 0) {
      if (errno == EINTR) continue;
      return statusOfErrno(errno, name_);
    }
    done += static_cast<std::size_t>(w);
  }
  return {};
}

Status DiskFile::truncate(std::uint64_t size) {
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) return statusOfErrno(errno, name_);
  return {};
}

std::uint64_t DiskFile::size() const {
  struct stat st {};
  return ::fstat(fd_, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

}  // namespace qv::engine::dbase
