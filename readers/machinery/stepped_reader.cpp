#include "readers/machinery/stepped_reader.h"

#include "readers/machinery/run_sink.h"

namespace qv::internet {

bool SteppedReader::call(ReaderPhase phase, ImportRun& run) {
  RunSink sink(run);
  if (phase == ReaderPhase::Open) {
    reported_ = 0;
    prepare(run);
    return !open(openFileSource(run.file.name), run.file.name, sink);
  }
  const bool finished = step(sink, run.budget);
  const std::uint64_t reached = finished ? storeSize() : position();
  if (reached > reported_) {
    run.progress += reached - reported_;
    reported_ = reached;
  }
  return finished || run.failed;
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
