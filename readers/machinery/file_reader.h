#pragma once
// What the readers of one source file share with the import driver. The
// driver's Open phase opens run.file and hands it to the reader; every later
// call reads one bounded slice of the FirstPass or Convert phase and adds
// the bytes the reader has passed since the last call to the run's
// progress, so that a run's progress comes to the sum of its files' sizes.
// The capture and separator readers, the store readers (SteppedReader) and
// the filing cabinet reader are such readers: each says only how it starts
// on the file, how it reads a slice, and how far it has come.

#include <cstdint>
#include <memory>

#include "import/reader.h"
#include "text/block_window.h"

namespace qv {

class FileReader : public Reader {
 public:
  // Open: opens run.file (null when it cannot be opened) and starts on it;
  // true when the reader is finished already (startFile said why).
  // FirstPass, Convert: the next slice of the phase; then the bytes reached
  // are added to run.progress — all of the file once the phase is finished.
  // True when the phase is finished; for Convert also when a write failed
  // (run.failed), which ends the file.
  bool call(ReaderPhase phase, ImportRun& run) final;

  // How far into the file the reader has come, and the bytes the file holds.
  virtual std::uint64_t position() const = 0;
  virtual std::uint64_t fileSize() const = 0;

 protected:
  // Starts on `source`, run.file opened (null: it cannot be read). False
  // when there is nothing to read: the file cannot be read or is not of this
  // format (counted as skipped, or left to the driver to say).
  virtual bool startFile(std::unique_ptr<internet::ByteSource> source, ImportRun& run) = 0;
  // One slice of the first pass; true when the pass is finished. A reader
  // without a first pass has none to do.
  virtual bool firstPassSlice(ImportRun&) { return true; }
  // Converts the next slice into the run; true when the file is finished.
  virtual bool convertSlice(ImportRun& run) = 0;

 private:
  // Adds the bytes reached since the last report to run.progress.
  void reportProgress(ImportRun& run, bool finished);

  std::uint64_t reported_ = 0;  // bytes of this file already in run.progress
};

}  // namespace qv
