#pragma once
// The seam between a table handle (File) and the driver that keeps its file.
//
// Each driver implements DriverFile; an operation the driver does not offer
// answers NotSupported. Drivers for the dBase family are registered with the
// Engine by the code that provides them.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "store/engine/declaration.h"
#include "store/engine/errors.h"

namespace qv::engine {

class Engine;
class Session;

enum class OpenMode {
  ReadOnlyShared,   // others may read and write
  ReadWriteShared,  // others may read and write
  Exclusive,        // read-write, all others denied
};

using Position = std::int64_t;

// What a driver works on: the declaration and the buffers of its table
// handle, the file name, and the engine and session it belongs to.
struct FileBinding {
  const TableDecl& decl;
  unsigned char* record;  // decl.recordSize bytes
  std::string* memo;      // null when the table has no memo
  std::filesystem::path name;
  std::string options;    // driver options, for example "QUICKSCAN=ON"
  Engine& engine;
  Session& session;
};

class DriverFile {
 public:
  explicit DriverFile(FileBinding& b) : b_(b) {}
  virtual ~DriverFile() = default;
  DriverFile(const DriverFile&) = delete;
  DriverFile& operator=(const DriverFile&) = delete;

  virtual Status open(OpenMode mode) = 0;
  virtual void close() = 0;
  virtual bool isOpen() const = 0;

  virtual Status create() { return unsupported(); }
  virtual Status get(const KeyDecl&) { return unsupported(); }
  virtual Status getPosition(Position) { return unsupported(); }
  // Starts a walk in key order (key null: file order). With fromBuffer the
  // walk starts at the key value in the record buffer: next() then returns
  // the first record at or after it, previous() the first at or before it.
  virtual Status set(const KeyDecl*, bool /*fromBuffer*/) { return unsupported(); }
  // Starts a walk at a record position: the next next() or previous()
  // returns that record.
  virtual Status setPosition(const KeyDecl*, Position) { return unsupported(); }
  virtual Status next() { return unsupported(); }
  virtual Status previous() { return unsupported(); }
  virtual Status add(std::size_t /*length*/) { return unsupported(); }
  virtual Status append(std::size_t length) { return add(length); }
  virtual Status put() { return unsupported(); }
  virtual Status erase() { return unsupported(); }
  virtual void hold(int /*seconds*/) {}
  virtual void release() {}
  virtual Status lock(int) { return unsupported(); }
  virtual void unlock() {}
  virtual Status stream() { return {}; }
  virtual Status flush() { return {}; }
  virtual Status beginReading() { return {}; }
  virtual void endReading() {}
  virtual Status records(std::int64_t&) { return unsupported(); }
  virtual Status empty() { return unsupported(); }
  virtual Status build() { return unsupported(); }
  virtual Status buildKey(const KeyDecl&) { return unsupported(); }
  virtual Status pack() { return unsupported(); }
  // A memo column of the record last read, by the file's column name (see
  // File::memo).
  virtual Status memo(std::string_view /*column*/, std::string& /*text*/) { return unsupported(); }
  // The text the next add() writes into a further memo column (see
  // File::setMemo).
  virtual Status setMemo(std::string_view /*column*/, std::string /*text*/) { return unsupported(); }
  // Deletes the file and whatever the driver keeps beside it; the file is closed.
  virtual Status remove() = 0;
  virtual Position position() const { return 0; }
  // Whether the file takes part in its session's running transaction.
  virtual bool inTransaction() const { return false; }
  // Whether this handle holds the whole-file lock.
  virtual bool isLocked() const { return false; }
  // Bytes read or written by the last operation (raw and text drivers).
  virtual std::size_t bytes() const { return b_.decl.recordSize; }
  // Record bytes the file holds as the stored layout counts them
  // (records × stored record size); 0 when unknown.
  virtual std::uint64_t storedDataBytes() { return 0; }

 protected:
  static Status unsupported() { return {Err::NotSupported, defaultText(Err::NotSupported)}; }
  FileBinding& b_;
};

}  // namespace qv::engine
