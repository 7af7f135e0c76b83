#pragma once
// Record holds, whole-file locks and open modes between sessions and
// processes.
//
// They live in a companion file beside the table ("<name>.lck") as
// open-file-description locks (F_OFD_SETLK): each table handle opens the
// companion itself, so two sessions of one process exclude each other just
// as two processes do, and a killed process loses its locks with its file
// descriptors. The table file itself is never locked this way, since SQLite
// keeps its own locks on it.
//
// Byte 0: shared by every open, exclusive for an exclusive open.
// Byte 1: exclusive for a whole-file lock, shared while records are held.
// Byte 2 + position: exclusive while that record is held.
// The last byte a lock can name: exclusive while the table file is being
// created, so that two creators never both make it.

#include <filesystem>
#include <limits>

namespace qv::engine {

class LockFile {
 public:
  static constexpr long long kOpenByte = 0;
  static constexpr long long kFileLockByte = 1;
  static constexpr long long kFirstRecordByte = 2;
  static constexpr long long kCreateByte = std::numeric_limits<long long>::max() - 1;

  LockFile() = default;
  ~LockFile() { close(); }
  LockFile(const LockFile&) = delete;
  LockFile& operator=(const LockFile&) = delete;

  static std::filesystem::path pathFor(const std::filesystem::path& table);

  // Opens (creating when allowed) the companion of `table`. False when it
  // cannot be opened, for example in a read-only directory: the caller then
  // works without holds and locks.
  bool open(const std::filesystem::path& table, bool mayCreate);
  void close();
  bool isOpen() const { return fd_ >= 0; }

  // Takes a lock on one byte, retrying for up to `seconds` (0: one try).
  bool lock(long long byte, bool exclusive, double seconds);
  void unlock(long long byte);

 private:
  int fd_ = -1;
};

}  // namespace qv::engine
