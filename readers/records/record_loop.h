#pragma once
// The import driver's record loop for the record-structured stores
// (CISCOMM, NavCIS, OUI): the store's table is opened through the dBase
// driver by its file number, and each call reads up to the run's budget of
// records, handing each one to the format's record reader.
//
// Reading. A record read that fails before the table's record count is
// reached is a bad record; a failed read at or past the count, or the end of
// the table, finishes the file. CISCOMM counts a bad record as skipped and
// reads on. NavCIS and OUI ask the bad-record check: up to 4 bad records are
// read over; the 5th abandons the file (what was converted stays) with a
// message naming the percentage of the table read, unless the run is
// unattended.
//
// Opening. A file the dBase driver refuses (not a dBase table, a missing or
// unusable memo file) is reported (name + " cannot be opened", the driver's
// text, "This file will be skipped!") and skipped; nothing stops the run.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "import/reader.h"
#include "store/engine/dbase/header.h"
#include "store/engine/file.h"

namespace qv::records {

// The bad-record count of one file: reset when the file is opened, raised by
// each bad record.
class BadRecordCheck {
 public:
  static constexpr int kLimit = 5;

  // `store` names the format in the message ("NavCIS", "OUI").
  explicit BadRecordCheck(std::string store) : store_(std::move(store)) {}

  void reset() { count_ = 0; }
  // Counts one bad record met after `read` of `total` records. True: read
  // on. False at the 5th: the file is to be abandoned; the message is shown
  // (titled with the driver's error text) unless the run is unattended.
  bool count(Context& ctx, std::int64_t read, std::int64_t total, std::string_view driverText);
  int bad() const { return count_; }

  // The message of an abandoned file that had read `percent` % of its table.
  std::string message(std::int64_t percent) const;

 private:
  std::string store_;
  int count_ = 0;
};

// What became of one record.
enum class Outcome { Done, Bad, WriteFailed };

// One record store, read record by record. A format's reader supplies the
// table and what to do with each record read into the context's buffers.
class RecordReader : public Reader {
 public:
  ~RecordReader() override { close(); }
  bool call(ReaderPhase phase, ImportRun& run) override;

 protected:
  // `badStore` empty: bad records are counted as skipped (CISCOMM);
  // otherwise the bad-record check names that store.
  explicit RecordReader(std::string badStore) : checked_(!badStore.empty()), check_(std::move(badStore)) {}

  // The file number of the table to open for this file (decided at open;
  // `run.file` is the file, `header` its table header when it can be read).
  virtual int tableFor(ImportRun& run, const engine::dbase::Header* header) = 0;
  // Converts the record just read (the context's buffer of the table); may
  // read further memos through `table`. Bad: a memo could not be read (the
  // driver's text is in table.errorText()). WriteFailed ends the run.
  virtual Outcome convert(ImportRun& run, engine::File& table, std::uint64_t offset) = 0;

 private:
  bool open(ImportRun& run);
  bool convertSlice(ImportRun& run);
  // A bad record: true to read on.
  bool badRecord(ImportRun& run, std::string driverText);
  void close();
  // Where record `record` (from 1) starts in the file; 0 when unknown.
  std::uint64_t offsetOf(std::int64_t record) const;

  bool checked_;
  BadRecordCheck check_;
  engine::File* table_ = nullptr;
  int fileNo_ = 0;
  std::int64_t records_ = 0;   // as the table's header counts them
  std::int64_t reached_ = 0;   // the record the last read came to
  std::int64_t reads_ = 0;     // reads made, a guard against a walk that does not advance
  std::optional<engine::dbase::Header> header_;
};

// The record readers by format name: "CISCOMM", "NavCIS 1.6x",
// "NavCIS 1.7x-", "OUI".
std::unique_ptr<Reader> makeCisCommReader();
std::unique_ptr<Reader> makeNavCisReader(int variant);
std::unique_ptr<Reader> makeOuiReader();

void registerRecordReaders(Library& lib);

}  // namespace qv::records
