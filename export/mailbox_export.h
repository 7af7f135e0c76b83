#pragma once
// Export of a selection to today's mail files, one RFC 5322 message
// (rfc_message.h) per stored message:
//
// - mbox: one file, mboxrd style: each message starts with a "From " line,
//   a body line that reads ">…>From " gets one more ">", and an empty line
//   ends each message. An existing file is appended to, as mail delivery
//   does, never overwritten. Every message is written whole: a write that
//   fails cuts the file back to where that message began.
// - Maildir: a directory with tmp, new and cur (made when missing); each
//   message is written under a unique name in tmp and then renamed into new,
//   so a reader never sees half a message.
// - EML: the current message alone, one file with CR LF line ends, written
//   under a temporary name and renamed when complete.
//
// A job: the selection is collected a page per step, then written
// kMessagesPerStep messages per step. A stop keeps what was written (whole
// messages only). An output that cannot be made ends the job Failed, with
// the path and the reason shown through the UI port; nothing is reported
// as exported that was not.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "export/selection.h"
#include "store/context.h"
#include "store/job.h"

namespace qv::exporting {

enum class MailboxFormat { Mbox, Maildir, Eml };

inline constexpr std::string_view kExportRunning = "Exporting messages ... please wait!";
inline constexpr std::string_view kExportFinished = "Messages exported to ";  // + where
inline constexpr std::string_view kExportErrorTitle = "Export error";

enum class MailboxResult {
  Running,
  Done,
  Refused,    // a date range in error, a selection not offered or without its message, EML of more than one message
              // (reported)
  Cancelled,  // "Process aborted!"; the messages written stay
  Failed,     // the output could not be made or written (reported); whole messages written before stay
};

struct MailboxRequest {
  MailboxFormat format = MailboxFormat::Mbox;
  SelectionCode code = SelectionCode::Current;
  SelectionStart start{};
  std::optional<DateRange> range{};
  std::filesystem::path path;  // the mbox or EML file, or the Maildir directory
};

class MailboxExportJob final : public Job {
 public:
  static constexpr std::size_t kMessagesPerStep = 200;

  MailboxExportJob(Context& ctx, MailboxRequest request);
  ~MailboxExportJob() override;

  bool step() override;
  MailboxResult result() const { return result_; }
  std::uint64_t selected() const;
  std::uint64_t written() const { return written_; }
  std::uint64_t skipped() const { return skipped_; }  // selected, but gone meanwhile
  // The full path written to (absolute).
  const std::filesystem::path& path() const { return request_.path; }

  class Sink;

 private:
  void refuse(std::string_view title, std::string_view text);
  void fail(const std::string& text);
  void end(MailboxResult r);
  void writeSlice();

  Context& ctx_;
  MailboxRequest request_;
  MailboxResult result_ = MailboxResult::Running;
  std::unique_ptr<SelectionCollector> selection_;
  std::unique_ptr<Sink> sink_;
  bool collected_ = false;
  std::size_t at_ = 0;
  std::uint64_t written_ = 0;
  std::uint64_t skipped_ = 0;
};

// The mboxrd quoting of one message text (lines ending "\n"): a line that
// reads "From " after any number of ">" gets one ">" more.
std::string mboxrdQuoted(std::string_view text);

}  // namespace qv::exporting
