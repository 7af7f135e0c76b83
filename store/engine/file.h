#pragma once
// A table handle: one declared table as one session of work sees it, with its
// current-record buffer (and memo) and its file name.
//
// Every operation leaves an error code and text, readable from the handle and
// from its session (the last operation of the session). Operations return the
// code: Err::Ok on success.

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/engine/declaration.h"
#include "store/engine/driver.h"
#include "store/engine/errors.h"

namespace qv::engine {

class Session;

class File {
 public:
  // `record` must be decl.recordSize bytes (the packed record struct) and
  // outlive the handle; `memo` is required exactly when the table has one.
  File(Session& session, const TableDecl& decl, void* record, std::string* memo = nullptr);
  ~File();
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  const TableDecl& decl() const { return binding_.decl; }
  Session& session() { return binding_.session; }
  void setName(std::filesystem::path name) { binding_.name = std::move(name); }
  const std::filesystem::path& name() const { return binding_.name; }
  void setOptions(std::string options) { binding_.options = std::move(options); }

  // Opening an open handle answers FileAlreadyOpen and leaves it open.
  // BadKeys leaves the file open so that build() can repair it.
  Err open(OpenMode mode = OpenMode::ReadWriteShared);
  // Creates the file empty with all its keys. A TOPSPEED or DAT table that
  // exists already is left as it is and Ok is answered: another session or
  // process made it first, and open() then opens that one. Raw and dBase
  // files (what export writes) replace a file of that name.
  Err create();
  // Opens read-write; a table not there yet is created first (by whichever
  // process gets there first) and then opened.
  Err openOrCreate();
  void close();
  bool isOpen() const;

  Err get(KeyRef key);           // the first record whose key equals the buffer's; RecordNotFound otherwise
  Err getPosition(Position pos);  // RecordNotFound when no record is there
  Err set();                      // walk in file order from the start
  Err set(KeyRef key);            // walk in key order from the start
  Err setFrom(KeyRef key);        // walk in key order from the key value in the buffer
  Err setPosition(Position pos);  // walk in file order from that record
  Err setPosition(KeyRef key, Position pos);  // walk in key order from that record
  // The next or previous record of the walk; RecordNotAvailable at the end.
  // Records added, changed or deleted between calls are seen correctly.
  Err next();
  Err previous();

  Err add();                    // stores the buffer, keeping every key
  Err add(std::size_t length);  // raw drivers: writes `length` bytes of the buffer
  Err append();                 // stores without key upkeep; build() restores the keys
  Err append(std::size_t length);
  Err put();    // rewrites the record last read
  Err erase();  // deletes the record last read

  // Arms a hold: the next read also holds the record it reads, waiting up to
  // `seconds` while another session or process holds it (then
  // RecordNotAvailable). put, erase, release, commit and rollback end a hold.
  void hold(int seconds);
  void release();
  Err lock(int seconds);  // locks the whole file against other locks and holds
  void unlock();

  Err stream();  // groups the following writes for speed until flush()
  Err flush();
  // A burst of reads in one read transaction: one lock and one check for a
  // journal to play back instead of one per read (see ReadBurst).
  Err beginReading();
  void endReading();

  std::int64_t records();  // -1 on error
  Err empty();
  Err build();
  Err build(KeyRef key);
  Err pack();
  Err remove();

  // dBase-family files: the text of a memo column of the record last read,
  // named as the declaration names it (memoName or one of extraMemos; any
  // other name is a programming error and throws std::logic_error). The
  // declared memo slot is filled by every read anyway; this reaches the
  // others. A column the file does not have gives an empty text. No record
  // read yet: RecordNotAvailable. A damaged memo (pointer past the end of
  // the memo file, no end mark, longer than its file): FileSystemError with
  // a text that says which. Other drivers: NotSupported.
  Err memo(std::string_view column, std::string& text);
  // dBase III writing: the text the next add() stores in the further memo
  // column `column` (one of extraMemos; any other name throws
  // std::logic_error). The memo slot is written from the memo buffer as
  // always. The texts are kept until that add, whether it succeeds or not;
  // a column without a text gets a blank pointer. Other drivers: NotSupported.
  Err setMemo(std::string_view column, std::string text);

  Position position() const;   // of the record last read or written
  bool inTransaction() const { return driver_->inTransaction(); }
  bool isLocked() const { return driver_->isLocked(); }
  std::size_t bytes() const;   // bytes read or written by the last operation
  std::uint64_t storedDataBytes();

  Err error() const { return status_.err; }
  const std::string& errorText() const { return status_.text; }

  DriverFile& driver() { return *driver_; }

 private:
  Err note(Status s);
  const KeyDecl* keyOf(KeyRef k);

  FileBinding binding_;
  std::unique_ptr<DriverFile> driver_;
  Status status_;
};

// Reads of a few tables in one read transaction each, for the life of the
// object: a search reading the headers of its results, an index run
// reading a slice of texts. Only reads belong inside (no writes, streams or
// transactions on these tables), and only short ones: other sessions'
// writes to the tables wait until it ends, and it sees none of them.
class ReadBurst {
 public:
  ReadBurst(std::initializer_list<File*> files) : files_(files) {
    for (File* f : files_)
      if (f->isOpen()) f->beginReading();
  }
  ~ReadBurst() {
    for (File* f : files_) f->endReading();
  }
  ReadBurst(const ReadBurst&) = delete;
  ReadBurst& operator=(const ReadBurst&) = delete;

 private:
  std::vector<File*> files_;
};

}  // namespace qv::engine
