#include "import/import_lock.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace qv {

namespace {

// The lock covers byte 0; the process id is the file's text ("1234\n").
bool lockByte0(int fd, short type) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = 0;
  fl.l_len = 1;
  fl.l_pid = 0;
  return fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

// The holder's process id as its file gives it. Nothing while the holder
// has not written it yet (the text has no line end), and nothing when the
// process no longer exists (a text left by a killed holder, read just before
// the new holder cleared it).
std::optional<long> ownerOf(int fd) {
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

// The file's text becomes this process's id, or nothing. False when the file
// cannot be written; the lock is held all the same, since the id only serves
// a refused run's message.
bool writeOwner(int fd, bool own) {
  if (::ftruncate(fd, 0) != 0) return false;
  if (!own) return true;
  const std::string pid = std::to_string(static_cast<long>(::getpid())) + "\n";
  return ::pwrite(fd, pid.data(), pid.size(), 0) == static_cast<ssize_t>(pid.size());
}

std::string systemText(int error) { return std::generic_category().message(error); }

}  // namespace

ImportLockAttempt ImportLock::acquire(const std::filesystem::path& tempDir) {
  if (held()) return {ImportLockState::Held, std::nullopt, {}};
  const std::filesystem::path file = tempDir / kImportLockFileName;
  const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return {ImportLockState::Unavailable, std::nullopt, systemText(errno)};
  if (!lockByte0(fd, F_WRLCK)) {
    const int e = errno;
    const ImportLockAttempt refused = e == EAGAIN || e == EACCES
                                          ? ImportLockAttempt{ImportLockState::Busy, ownerOf(fd), {}}
                                          : ImportLockAttempt{ImportLockState::Unavailable, std::nullopt, systemText(e)};
    ::close(fd);
    return refused;
  }
  // Cleared before it is written, so a reader never takes a part of a
  // previous holder's id for ours.
  writeOwner(fd, true);
  fd_ = fd;
  return {ImportLockState::Held, std::nullopt, {}};
}

void ImportLock::release() {
  if (fd_ < 0) return;
  // An id that cannot be cleared names a process that no longer holds the
  // lock; a refused run checks that the process lives, and the next holder
  // overwrites it.
  writeOwner(fd_, false);
  // Unlocked explicitly: a child forked meanwhile may share the descriptor.
  lockByte0(fd_, F_UNLCK);
  ::close(fd_);
  fd_ = -1;
}

std::string importBusyText(const std::optional<long>& ownerPid) {
  return "Another import is running in this data home" +
         (ownerPid ? " (process " + std::to_string(*ownerPid) + ")" : std::string()) +
         ".\r\nStart this import again when it has finished.";
}

std::string importLockErrorText(const std::filesystem::path& tempDir, const std::string& error) {
  return "The temporary directory " + tempDir.string() + " cannot be locked for the import:\r\n" + error;
}

}  // namespace qv
