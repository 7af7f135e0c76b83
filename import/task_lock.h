#pragma once
// What the processes of one data home tell each other about scheduled
// tasks, through lock files in the configuration directory (CFG):
//
// - TASK.LCK: held by the process that runs a task, for the whole run.
//   One task runs at a time per data home, whichever process (the desktop
//   program, `quorvel scheduler run-due`, the daemon) found it due.
// - WORK.LCK: one byte per database (the byte at the database's
//   identifier), held by whoever works on that database's messages outside
//   an import: a task's housekeeping, and the purge, count, dedupe and
//   index commands. Such work open anywhere counts as an open work window:
//   a due task waits for the next poll, and a task's housekeeping waits for
//   the command to end instead of working beside it.
//
// Both are open-file-description locks, as the import lock is
// (import/import_lock.h): a killed process loses them with its
// descriptors, so nothing stale is left behind, and two holders in one
// process exclude each other as two processes do. The files are never
// deleted. TASK.LCK holds the runner's process id, for messages.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace qv {

inline constexpr const char* kTaskLockFileName = "TASK.LCK";
inline constexpr const char* kWorkLockFileName = "WORK.LCK";

enum class LockState {
  Held,         // this object holds it
  Busy,         // another holder has it
  Unavailable,  // the file cannot be opened or locked
};

// One byte of a lock file, taken without waiting.
class ByteLock {
 public:
  ByteLock() = default;
  ~ByteLock() { release(); }
  ByteLock(const ByteLock&) = delete;
  ByteLock& operator=(const ByteLock&) = delete;

  // Tries once; `writePid`: the file's text becomes this process's id.
  LockState acquire(const std::filesystem::path& file, std::uint32_t byte, bool writePid = false);
  void release();
  bool held() const { return fd_ >= 0; }
  std::uint32_t byte() const { return byte_; }

 private:
  int fd_ = -1;
  std::uint32_t byte_ = 0;
  bool pid_ = false;
};

// Whether anybody holds any byte of `file` (without taking it). False when
// the file does not exist.
bool anyByteHeld(const std::filesystem::path& file);
// Whether anybody holds byte `byte` of `file`.
bool byteHeld(const std::filesystem::path& file, std::uint32_t byte);
// The process id written in a lock file, when it names a live process.
std::optional<long> lockOwner(const std::filesystem::path& file);

std::filesystem::path taskLockFile(const std::filesystem::path& home);
std::filesystem::path workLockFile(const std::filesystem::path& home);

// A command's hold on a database's work byte for as long as it works on it.
// Refused (with the text to show) while a task's housekeeping, or another
// command, works on the same database.
class DatabaseWork {
 public:
  DatabaseWork(const std::filesystem::path& home, std::uint32_t database);
  bool held() const { return lock_.held(); }
  // Why it is not held ("" when it is).
  const std::string& refusal() const { return refusal_; }

 private:
  ByteLock lock_;
  std::string refusal_;
};

inline constexpr const char* kDatabaseBusyTitle = " Database Busy ";
std::string databaseBusyText(std::uint32_t database);

}  // namespace qv
