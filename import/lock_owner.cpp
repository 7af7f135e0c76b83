#include "import/lock_owner.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace qv {

bool setByteLock(int fd, short type, off_t start, off_t length) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = start;
  fl.l_len = length;
  fl.l_pid = 0;
  return fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

std::optional<long> lockOwnerOf(int fd) {
  char buf[32];
  const ssize_t n = ::pread(fd, buf, sizeof buf - 1, 0);
  if (n <= 0) return std::nullopt;
  long pid = 0;
  ssize_t i = 0;
  for (; i < n && buf[i] >= '0' && buf[i] <= '9'; ++i) pid = pid * 10 + (buf[i] - '0');
  if (i == 0 || i >= n || buf[i] != '\n' || pid <= 0) return std::nullopt;
  if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM) return std::nullopt;
  return pid;
}

bool writeLockOwner(int fd, bool own) {
  if (::ftruncate(fd, 0) != 0) return false;
  if (!own) return true;
  const std::string pid = std::to_string(static_cast<long>(::getpid())) + "\n";
  return ::pwrite(fd, pid.data(), pid.size(), 0) == static_cast<ssize_t>(pid.size());
}

}  // namespace qv
