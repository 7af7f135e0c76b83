#pragma once
// The reader of "Outlook Mail": the items of one selected folder of the
// client, read through its automation interface (the import's Session),
// at most 10 items a call so that the progress display stays live.
//
// Per item: subject, body and creation time; the sender from a reply made
// to the item (its first recipient; the reply is deleted again); one
// temporary record per To recipient (other recipients write nothing). A
// sender from the client's directory (an address beginning with "/") is
// the mailbox owner. A property that cannot be read is taken as empty.

#include <cstdint>

#include "import/reader.h"
#include "text/date_text.h"
#include "readers/outlook/session.h"

namespace qv::outlook {

inline constexpr int kItemsPerCall = 10;

class OutlookReader final : public Reader {
 public:
  // `folder` is one of the session's selected folders; both outlive the reader.
  OutlookReader(Session& session, const Folder& folder) : session_(session), folder_(folder) {}
  ~OutlookReader() override;

  // 199 gets the folder's items (finished at once when there are none); 99
  // converts the next 10 items at most, adding one to run.progress per item.
  bool call(ReaderPhase phase, ImportRun& run) override;

 private:
  void convertItem(Handle item, std::uint64_t number, ImportRun& run);

  Session& session_;
  const Folder& folder_;
  Handle items_ = 0;
  std::int64_t count_ = 0;
  std::int64_t next_ = 1;
  internet::NumericOrder order_ = internet::NumericOrder::MonthDayYear;
};

}  // namespace qv::outlook
