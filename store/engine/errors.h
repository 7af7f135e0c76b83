#pragma once
// Error codes of the record-file engine.
//
// The numbers are the ones the rest of the system tests for (2 file not
// found, 33 record not available, 40 duplicate key, 47 layout differs …);
// every engine operation leaves one of them, 0 meaning success, together with
// a text that says what happened in this engine's own words.

#include <string>

namespace qv::engine {

enum class Err : int {
  Ok = 0,
  FileNotFound = 2,
  PathNotFound = 3,
  AccessDenied = 5,
  NoMemory = 8,
  EntryNotFound = 30,
  FileLocked = 32,
  RecordNotAvailable = 33,  // end of file on a walk, a record held elsewhere, no current record
  RecordNotFound = 35,
  InvalidFileName = 36,
  FileNotOpen = 37,
  DuplicateKey = 40,
  BadKeys = 46,         // the file's keys must be rebuilt
  LayoutDiffers = 47,   // the stored record layout is not the declared one
  UnableToLock = 48,    // a transaction could not lock its files in time
  FileAlreadyOpen = 52,
  TransactionActive = 56,
  NotSupported = 80,
  FileSystemError = 90,  // not a table of ours, damaged, or a system call failed
  NoTransaction = 91,
};

inline int code(Err e) { return static_cast<int>(e); }

// The engine's standard text for an error code.
const char* defaultText(Err e);

// An error with the text that describes this occurrence.
struct Status {
  Err err = Err::Ok;
  std::string text;
  bool ok() const { return err == Err::Ok; }
};

}  // namespace qv::engine
