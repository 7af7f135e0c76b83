#include "store/job.h"

namespace qv {

void Job::report(UiPort& ui, std::int64_t position, std::int64_t range, const std::string& text) {
  const bool newText = text != progress_.text;
  const bool newRange = range != progress_.range;
  progress_.position = position;
  progress_.range = range;
  progress_.text = text;
  const std::int64_t hundredth = range > 100 ? range / 100 : 1;
  if (newText || newRange || reportedAt_ < 0 || position - reportedAt_ >= hundredth || position >= range) {
    reportedAt_ = position;
    ui.progress(progress_);
  }
}

void runToEnd(Job& job) {
  while (!job.step()) {
  }
}

}  // namespace qv
