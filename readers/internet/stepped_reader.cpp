#include "readers/internet/stepped_reader.h"

#include "readers/internet/run_sink.h"

namespace qv::internet {

bool SteppedReader::call(int phase, ImportRun& run) {
  RunSink sink(run);
  if (phase == kPhaseOpen) {
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

}  // namespace qv::internet
