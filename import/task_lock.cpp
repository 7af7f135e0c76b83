#include "import/task_lock.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "import/lock_owner.h"

namespace qv {

namespace {

bool otherHolds(const std::filesystem::path& file, std::uint32_t byte, off_t length) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(byte);
  fl.l_len = length;
  fl.l_pid = 0;
  const bool held = fcntl(fd, F_OFD_GETLK, &fl) == 0 && fl.l_type != F_UNLCK;
  ::close(fd);
  return held;
}

}  // namespace

LockState ByteLock::acquire(const std::filesystem::path& file, std::uint32_t byte, bool writePid) {
  if (held()) return LockState::Held;
  const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return LockState::Unavailable;
  if (!setByteLock(fd, F_WRLCK, static_cast<off_t>(byte))) {
    const int e = errno;
    ::close(fd);
    return e == EAGAIN || e == EACCES ? LockState::Busy : LockState::Unavailable;
  }
  fd_ = fd;
  byte_ = byte;
  pid_ = writePid;
  if (writePid) writeLockOwner(fd, true);
  return LockState::Held;
}

void ByteLock::release() {
  if (fd_ < 0) return;
  if (pid_) writeLockOwner(fd_, false);
  setByteLock(fd_, F_UNLCK, static_cast<off_t>(byte_));
  ::close(fd_);
  fd_ = -1;
}

bool anyByteHeld(const std::filesystem::path& file) { return otherHolds(file, 0, 0); }

bool byteHeld(const std::filesystem::path& file, std::uint32_t byte) { return otherHolds(file, byte, 1); }

std::optional<long> lockOwner(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  const std::optional<long> pid = lockOwnerOf(fd);
  ::close(fd);
  return pid;
}

std::filesystem::path taskLockFile(const std::filesystem::path& home) { return home / "CFG" / kTaskLockFileName; }
std::filesystem::path workLockFile(const std::filesystem::path& home) { return home / "CFG" / kWorkLockFileName; }

DatabaseWork::DatabaseWork(const std::filesystem::path& home, std::uint32_t database) {
  const LockState s = lock_.acquire(workLockFile(home), database);
  if (s == LockState::Busy) refusal_ = databaseBusyText(database);
  // A lock file that cannot be made (a read-only data home) does not stop
  // the work: the tables' own locks still keep writers apart.
}

std::string databaseBusyText(std::uint32_t database) {
  return "Database " + std::to_string(database) +
         " is being worked on by a scheduled task or another command.\r\nTry again when it has finished.";
}

}  // namespace qv
