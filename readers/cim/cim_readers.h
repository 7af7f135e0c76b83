#pragma once
// The readers of the CompuServe clients' own stores: the filing cabinet
// ("CompuServe 3 and 4") and the message files ("WinCIM", "DOSCIM",
// "CSNav"). Both read through the block window, field by field with a
// bounded cursor, and hand each message to a CimSink; the import's sink
// applies the shared forum and recipient rules (cim_run_sink.h). The byte
// layouts are described in README.md beside this file.

#include <cstdint>
#include <memory>
#include <vector>

#include "import/reader.h"
#include "readers/cim/cim_message.h"
#include "readers/machinery/file_reader.h"
#include "text/block_window.h"

namespace qv::cim {

// An object of the filing cabinet: from its "~CS~FCR~" marker up to the next
// marker or the end of the file.
struct ObjectSpan {
  std::uint64_t start = 0;
  std::uint64_t end = 0;
};

class CabinetReader final : public FileReader {
 public:
  // Driven by the import: the Open phase checks the file (not a filing
  // cabinet, or unreadable: the driver says so and skips it), FirstPass runs
  // the first pass a slice at a time and counts the bytes it passes as the
  // run's progress, Convert converts up to 10 objects.

  // The same without a run. open: false when the data does not begin with
  // "FCAB" (or cannot be read).
  bool open(std::unique_ptr<internet::ByteSource> source);
  // Looks for object markers over at most a tenth of the file and never
  // more than 50,000 bytes; true when the end of the file is reached. The
  // objects of more than 120 bytes are then listed in objects().
  bool firstPass();
  // Converts the next up to `count` listed objects into `sink`; true when
  // the list is done (or a write failed).
  bool convert(CimSink& sink, int count = 10);

  const std::vector<ObjectSpan>& objects() const { return objects_; }
  std::uint64_t position() const override { return window_.pos(); }
  std::uint64_t fileSize() const override { return window_.size(); }

 private:
  bool startFile(std::unique_ptr<internet::ByteSource> source, ImportRun& run) override;
  bool firstPassSlice(ImportRun& run) override;
  bool convertSlice(ImportRun& run) override;
  void markerAt(std::uint64_t at);
  // Reads the object and hands its message to the sink; false when a write failed.
  bool convertObject(const ObjectSpan& object, CimSink& sink);

  std::unique_ptr<internet::ByteSource> source_;
  internet::BlockWindow window_;
  std::vector<ObjectSpan> objects_;
  std::uint64_t objectStart_ = 0;
  bool inObject_ = false;
  bool passDone_ = false;
  std::size_t next_ = 0;  // the next object to convert
  bool rewound_ = false;  // the window is back at the start for the conversion
};

class MessageFileReader final : public Reader {
 public:
  // Open checks run.file's signature (true: not a message file, counted as
  // skipped); Convert converts its one message. True when finished; the
  // whole file then counts as the run's progress.
  bool call(ReaderPhase phase, ImportRun& run) override;

  // The same without a run. open: false when the data does not begin with
  // "VIS000" and the byte 0x1A (or cannot be read).
  bool open(std::unique_ptr<internet::ByteSource> source);
  // Reads the message and hands it to the sink (or says why it cannot);
  // false when a write failed.
  bool convert(CimSink& sink);

 private:
  std::unique_ptr<internet::ByteSource> source_;
  internet::BlockWindow window_;
};

// Registers the filing cabinet reader for "CompuServe 3 and 4" and the
// message file reader for "WinCIM", "DOSCIM" and "CSNav".
void registerCimReaders(Library& lib);

}  // namespace qv::cim
