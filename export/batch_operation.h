#pragma once
// The batch operations that write no file, over a selection: attach a topic
// to every selected message, remove it, or recode their status. A job: the
// selection is collected a page per step, then worked off one transaction
// per step of at most kCommitAfterWrites messages, so a stop (or a kill)
// leaves whole writes only and the topic's count equal to its links.
//
// Recoding without a date range a selection of a whole thread, section or
// database (codes 4, 5, 6) recodes the container instead of its messages —
// the thread, the section, the database (which asks before Delete), or in a
// mail database the partner (code 4).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "export/selection.h"
#include "store/context.h"
#include "store/domain.h"
#include "store/job.h"

namespace qv::exporting {

enum class BatchKind { AttachTopic, RemoveTopic, Recode };

// The running and finished texts.
std::string_view runningText(BatchKind kind);
std::string_view finishedText(BatchKind kind);
inline constexpr std::string_view kSelectionErrorTitle = "Selection error";
inline constexpr std::string_view kNoTopicSelected = "No topic selected!";
inline constexpr std::string_view kProcessAborted = "Process aborted!";

enum class BatchResult {
  Running,
  Done,
  Refused,    // no topic, a date range in error, a selection not offered or without its message (reported)
  Cancelled,  // "Process aborted!"; what was written stays
  Failed,     // a write failed (reported); the open slice was rolled back
};

struct BatchRequest {
  BatchKind kind = BatchKind::Recode;
  SelectionCode code = SelectionCode::Current;
  SelectionStart start{};
  std::optional<DateRange> range{};
  std::uint32_t topicId = 0;     // the topic operations
  Status status = Status::Normal;  // recode
};

class BatchJob final : public Job {
 public:
  BatchJob(Context& ctx, BatchRequest request);
  ~BatchJob() override;

  bool step() override;
  BatchResult result() const { return result_; }
  std::uint64_t selected() const;      // messages in the selection
  std::uint64_t changed() const { return changed_; }  // links made or removed, statuses rewritten
  bool recodedContainer() const { return container_; }

 private:
  void refuse(std::string_view title, std::string_view text);
  void workSlice();
  void recodeContainer();
  void end(BatchResult r);

  Context& ctx_;
  BatchRequest request_;
  BatchResult result_ = BatchResult::Running;
  std::unique_ptr<SelectionCollector> selection_;
  std::optional<Codes> topic_;
  std::size_t at_ = 0;
  std::uint64_t changed_ = 0;
  bool container_ = false;
  bool collected_ = false;
};

}  // namespace qv::exporting
