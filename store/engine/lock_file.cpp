#include "store/engine/lock_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace qv::engine {

std::filesystem::path LockFile::pathFor(const std::filesystem::path& table) {
  std::filesystem::path p = table;
  p += ".lck";
  return p;
}

bool LockFile::open(const std::filesystem::path& table, bool mayCreate) {
  close();
  const std::filesystem::path p = pathFor(table);
  fd_ = ::open(p.c_str(), O_RDWR | O_CLOEXEC | (mayCreate ? O_CREAT : 0), 0600);
  return fd_ >= 0;
}

void LockFile::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

namespace {
bool setLock(int fd, long long byte, short type) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(byte);
  fl.l_len = 1;
  fl.l_pid = 0;
  return fcntl(fd, F_OFD_SETLK, &fl) == 0;
}
}  // namespace

bool LockFile::lock(long long byte, bool exclusive, double seconds) {
  if (fd_ < 0) return true;  // no companion: nothing to exclude against
  using Clock = std::chrono::steady_clock;
  const auto until = Clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    if (setLock(fd_, byte, exclusive ? F_WRLCK : F_RDLCK)) return true;
    if (Clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void LockFile::unlock(long long byte) {
  if (fd_ >= 0) setLock(fd_, byte, F_UNLCK);
}

}  // namespace qv::engine
