#pragma once
// What every reader of a store file shares: the driver's calls come through
// FileReader (open the file, convert a slice, report the bytes passed), and
// the messages go to the run's temporary message file through RunSink. A
// reader that derives from this class is also drivable without a run —
// from a buffer, into any sink — which is how tests and fuzz targets use it.

#include <cstdint>
#include <filesystem>
#include <memory>

#include "readers/machinery/file_reader.h"
#include "text/block_window.h"
#include "text/message.h"

namespace qv::internet {

class SteppedReader : public FileReader {
 public:
  // Takes what the reader needs of the import's settings before it starts
  // on the file (the Open phase).
  virtual void prepare(ImportRun&) {}
  // Starts on `source` (the store; `name` is its file name, for companion
  // files opened through `opener`). False when the reader is finished
  // already: the file cannot be read or is not of this format (said to the
  // sink).
  virtual bool open(std::unique_ptr<ByteSource> source, const std::filesystem::path& name, MessageSink& sink,
                    const FileOpener& opener = openFileSource) = 0;
  // Converts up to `budget` messages into `sink`; true when the store is finished.
  virtual bool step(MessageSink& sink, int budget) = 0;
  // How far into the store the reader has come, and the store's size.
  std::uint64_t position() const final { return window_.pos(); }
  std::uint64_t fileSize() const final { return window_.size(); }

 protected:
  // Open: an unreadable or foreign file is counted as skipped and finishes
  // at once. Convert: up to run.budget messages.
  bool startFile(std::unique_ptr<ByteSource> source, ImportRun& run) final;
  bool convertSlice(ImportRun& run) final;

  // Takes `source` and reads its first blocks into the window. False, said
  // to the sink, when there is no source or it cannot be read.
  bool openSource(std::unique_ptr<ByteSource> source, MessageSink& sink);
  // The end of the store is reached: a read error that cut it short is
  // said to the sink.
  void reportReadError(MessageSink& sink) const;

  std::unique_ptr<ByteSource> source_;
  BlockWindow window_;
};

}  // namespace qv::internet
