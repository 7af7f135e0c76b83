#pragma once
// One import at a time per temporary directory.
//
// Every import run works in the same temporary tables (NewHR, CCT and
// TempID in Mem:TempDir) and begins by removing and re-creating them; a
// second run started beside a first would pull those tables out from under
// it. So a run takes this lock before it touches anything and keeps it until
// it has ended (conversion and merge, whatever the outcome).
//
// The lock is an open-file-description lock (F_OFD_SETLK) on the file
// IMPORT.LCK in the temporary directory, as the engine keeps its table locks
// (store/engine/lock_file.h): each ImportLock opens the file itself, so two
// jobs of one process exclude each other just as two processes do, and a
// process that is killed loses the lock with its descriptors — nothing stale
// is left to clean up. The holder writes its process id into the file so a
// refused run can say who holds it.
//
// The file is never deleted: a run that opened it just before it was
// unlinked would lock a file nobody else sees, and two runs could then hold
// "the" lock at once.

#include <filesystem>
#include <optional>
#include <string>

namespace qv {

inline constexpr const char* kImportLockFileName = "IMPORT.LCK";

enum class ImportLockState {
  Held,         // this object holds the lock
  Busy,         // another import (another process, or another job of this one) holds it
  Unavailable,  // the lock file cannot be opened or locked (directory missing or not writable)
};

struct ImportLockAttempt {
  ImportLockState state = ImportLockState::Unavailable;
  std::optional<long> ownerPid;  // Busy: the holder's process, when it could be read and is alive
  std::string error;             // Unavailable: the system's reason
};

class ImportLock {
 public:
  ImportLock() = default;
  ~ImportLock() { release(); }
  ImportLock(const ImportLock&) = delete;
  ImportLock& operator=(const ImportLock&) = delete;

  // Tries once to take the lock of `tempDir`, never waiting. Held: this
  // process's id is in the file until release(). Busy and Unavailable leave
  // nothing held and change nothing another holder relies on. Taking it
  // again while held answers Held.
  ImportLockAttempt acquire(const std::filesystem::path& tempDir);
  // Lets go (the process id is cleared first); nothing when not held.
  void release();
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// The refusal of a run that found the lock busy, as the import shows it:
// its first line names the reason (and the other run's process when known).
inline constexpr const char* kImportBusyTitle = "Warning!";
std::string importBusyText(const std::optional<long>& ownerPid);
// The refusal of a run that could not take the lock at all.
inline constexpr const char* kImportLockErrorTitle = " Import Error ";
std::string importLockErrorText(const std::filesystem::path& tempDir, const std::string& error);

}  // namespace qv
