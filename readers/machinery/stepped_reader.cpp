#include "readers/machinery/stepped_reader.h"

#include "readers/machinery/run_sink.h"

namespace qv::internet {

bool SteppedReader::startFile(std::unique_ptr<ByteSource> source, ImportRun& run) {
  RunSink sink(run);
  prepare(run);
  return open(std::move(source), run.file.name, sink);
}

bool SteppedReader::convertSlice(ImportRun& run) {
  RunSink sink(run);
  return step(sink, run.budget);
}

bool SteppedReader::openSource(std::unique_ptr<ByteSource> source, MessageSink& sink) {
  source_ = std::move(source);
  if (!source_) {
    sink.skip(0, "the file cannot be read");
    return false;
  }
  if (!window_.open(*source_)) {
    sink.skip(0, "read error");
    return false;
  }
  return true;
}

void SteppedReader::reportReadError(MessageSink& sink) const {
  if (window_.failed()) sink.skip(window_.pos(), "read error: the rest of the file is not read");
}

}  // namespace qv::internet
