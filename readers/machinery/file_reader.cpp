#include "readers/machinery/file_reader.h"

namespace qv {

bool FileReader::call(ReaderPhase phase, ImportRun& run) {
  if (phase == ReaderPhase::Open) {
    reported_ = 0;
    return !startFile(internet::openFileSource(run.file.name), run);
  }
  const bool firstPass = phase == ReaderPhase::FirstPass;
  const bool finished = firstPass ? firstPassSlice(run) : convertSlice(run);
  reportProgress(run, finished);
  // A failed write ends the file; the first pass writes nothing.
  return finished || (!firstPass && run.failed);
}

void FileReader::reportProgress(ImportRun& run, bool finished) {
  const std::uint64_t reached = finished ? fileSize() : position();
  if (reached > reported_) {
    run.progress += reached - reported_;
    reported_ = reached;
  }
}

}  // namespace qv
