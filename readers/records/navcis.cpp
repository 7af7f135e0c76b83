// NavCIS 1.6x and 1.7x-: one message table (HRE) with the text as memo;
// forum messages and mail side by side, told apart by HRE:INTERNAL.
#include "readers/machinery/run_sink.h"
#include "readers/records/forum_message.h"
#include "readers/records/record_loop.h"
#include "readers/records/record_text.h"
#include "store/charset.h"
#include "store/domain.h"
#include "store/names.h"

namespace qv::records {

namespace {

std::string field(std::string_view value) { return std::string(withoutTrailingCrLf(clip(value))); }

class NavCisReader final : public RecordReader {
 public:
  explicit NavCisReader(int variant) : RecordReader("NavCIS"), variant_(variant) {}

 private:
  int tableFor(ImportRun&, const engine::dbase::Header*) override { return HRE::FileNo; }

  Outcome convert(ImportRun& run, engine::File&, std::uint64_t offset) override {
    const HRE& h = run.ctx.hre;
    const bool mail = h.INTERNAL == 0;
    const int kind = mail ? kStripMail : kStripForum;
    std::string text = StripChar(repairNavcisLineEnds(run.ctx.hreMemo, variant_, mail), kind);
    Status status = Status::Normal;
    if (h.KEEP == "T") status = Status::Keep;
    if (h.IS_DELETE == "T") status = Status::Delete;

    if (mail) {
      internet::Message m;
      m.subject = field(h.SUBJECT.view());
      m.senderAddress = cleanAddress(field(h.SEND_ID.view()));
      m.senderName = field(h.SEND_NAME.view());
      m.recipientAddress = cleanAddress(field(h.RECV_ID.view()));
      m.recipientName = field(h.RECV_NAME.view());
      m.date = navcisDate(h.MSG_DATE.view());
      m.time = navcisTime(h.MSG_TIME.view());
      m.status = stored(status);
      m.text = std::move(text);
      internet::RunSink sink(run);
      return sink.take(m, offset) ? Outcome::Done : Outcome::WriteFailed;
    }

    if (!run.settings.forum) {
      run.skip(offset, "forum messages are not imported this time");
      return Outcome::Done;
    }
    const std::string forum = upper1252(field(h.FORUM_NAME.view()));
    if (forum.empty()) {
      run.skip(offset, "a forum message without forum name");
      return Outcome::Done;
    }
    ForumMessage m;
    m.number = h.MSG_NUMBER;
    m.parent = h.MSG_PARENT;
    m.sectionNumber = h.SEC_NUMBER;
    m.sectionName = field(h.SEC_NAME.view());
    m.subject = field(h.SUBJECT.view());
    m.senderAddress = cleanAddress(field(h.SEND_ID.view()));
    m.senderName = field(h.SEND_NAME.view());
    m.recipientAddress = cleanAddress(field(h.RECV_ID.view()));
    m.recipientName = field(h.RECV_NAME.view());
    m.date = navcisDate(h.MSG_DATE.view());
    m.status = stored(status);
    m.text = std::move(text);
    return storeForumMessage(run, run.target(forum, stored(DatabaseType::Forum)), m, offset) ? Outcome::Done
                                                                                             : Outcome::WriteFailed;
  }

  int variant_;
};

}  // namespace

std::unique_ptr<Reader> makeNavCisReader(int variant) { return std::make_unique<NavCisReader>(variant); }

}  // namespace qv::records
