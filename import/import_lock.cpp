#include "import/import_lock.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "import/lock_owner.h"

namespace qv {

namespace {

std::string systemText(int error) { return std::generic_category().message(error); }

}  // namespace

ImportLockAttempt ImportLock::acquire(const std::filesystem::path& tempDir) {
  if (held()) return {ImportLockState::Held, std::nullopt, {}};
  const std::filesystem::path file = tempDir / kImportLockFileName;
  const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return {ImportLockState::Unavailable, std::nullopt, systemText(errno)};
  if (!setByteLock(fd, F_WRLCK, 0)) {
    const int e = errno;
    const ImportLockAttempt refused = e == EAGAIN || e == EACCES
                                          ? ImportLockAttempt{ImportLockState::Busy, lockOwnerOf(fd), {}}
                                          : ImportLockAttempt{ImportLockState::Unavailable, std::nullopt, systemText(e)};
    ::close(fd);
    return refused;
  }
  // Cleared before it is written, so a reader never takes a part of a
  // previous holder's id for ours.
  writeLockOwner(fd, true);
  fd_ = fd;
  return {ImportLockState::Held, std::nullopt, {}};
}

void ImportLock::release() {
  if (fd_ < 0) return;
  // An id that cannot be cleared names a process that no longer holds the
  // lock; a refused run checks that the process lives, and the next holder
  // overwrites it.
  writeLockOwner(fd_, false);
  // Unlocked explicitly: a child forked meanwhile may share the descriptor.
  setByteLock(fd_, F_UNLCK, 0);
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
