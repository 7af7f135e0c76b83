#pragma once
// The record-file engine of one process: which driver keeps which kind of
// file, the storage settings of the SQLite-based drivers, and what the
// sessions of the process share about each open file.

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "store/engine/declaration.h"
#include "store/engine/driver.h"

namespace qv::engine {

// Storage settings of the TOPSPEED and DAT drivers (both kept in SQLite).
struct Tuning {
  int pageSize = 4096;       // bytes per page, unless the table declares its own
  // A table's own page size (TableDecl::pageSize) when it has one, else 0.
  // An encrypted table of its own page size cannot join a transaction: the
  // files attached to one are keyed with the engine's.
  int ownPageSize = 0;
  int cacheKiB = 8192;       // page cache per connection
  int synchronous = 1;       // 0 off, 1 normal, 2 full
  std::string journalMode = "DELETE";  // SQLite rollback-journal mode: DELETE, TRUNCATE or PERSIST
  int busyMs = 10000;        // how long an ordinary operation waits for a lock held elsewhere
  int walkBatch = 256;       // records a walk reads ahead at most (memo tables: walkBatch / 16)
};

// What all sessions of the process share about one file on disk.
struct SharedFileState {
  // Raised by every write, commit and rollback of any session of this
  // process; a walk's read-ahead is dropped when it has moved.
  std::atomic<std::uint64_t> changes{0};
};

class Engine {
 public:
  using Factory = std::function<std::unique_ptr<DriverFile>(FileBinding&)>;

  Engine();
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // Registers (or replaces) the driver that keeps files of one kind.
  void registerDriver(Driver kind, Factory factory);
  // A driver for the binding's table; a kind without a driver gets one that
  // answers NotSupported to every operation.
  std::unique_ptr<DriverFile> makeDriver(FileBinding& binding) const;

  Tuning& tuning() { return tuning_; }
  const Tuning& tuning() const { return tuning_; }

  // Shared state of the file with this device and inode number.
  std::shared_ptr<SharedFileState> shared(std::uint64_t device, std::uint64_t inode);

 private:
  std::map<Driver, Factory> factories_;
  Tuning tuning_;
  std::mutex mutex_;
  std::map<std::pair<std::uint64_t, std::uint64_t>, std::weak_ptr<SharedFileState>> files_;
};

}  // namespace qv::engine
