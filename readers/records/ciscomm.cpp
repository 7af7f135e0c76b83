// CISCOMM: a forum message table (CCO) and a mail table (CMA) with memos.
// Names and texts are code page 850 and pass through the OEM table.
#include "text/cserve_text.h"
#include "readers/machinery/run_sink.h"
#include "readers/records/forum_message.h"
#include "readers/records/record_loop.h"
#include "readers/records/record_text.h"
#include "store/names.h"

namespace qv::records {

namespace {

std::string oem(std::string_view text) { return cserve::oem850To1252(text); }

bool hasColumn(const engine::dbase::Header& h, std::string_view name, bool memo) {
  for (const engine::dbase::Column& c : h.columns)
    if (engine::dbase::upperAscii(c.name) == name && (!memo || c.isMemo)) return true;
  return false;
}

class CisCommReader final : public RecordReader {
 public:
  CisCommReader() : RecordReader("") {}

 private:
  // The import's target decides between the two tables: the mail table when
  // mail and no forum messages are imported. A file whose columns say which
  // table it is (the forum table's section number, the mail table's sender
  // memo) is read as what it is, so that a table chosen for the other kind
  // of import is not read as empty.
  int tableFor(ImportRun& run, const engine::dbase::Header* header) override {
    mail_ = run.settings.mail && !run.settings.forum;
    if (header != nullptr) {
      if (hasColumn(*header, "MSG_SECTNO", false)) {
        mail_ = false;
      } else if (hasColumn(*header, "MSG_SENDID", true)) {
        mail_ = true;
      }
    }
    return mail_ ? CMA::FileNo : CCO::FileNo;
  }

  Outcome convert(ImportRun& run, engine::File& table, std::uint64_t offset) override {
    return mail_ ? convertMail(run, table, offset) : convertForum(run, offset);
  }

  Outcome convertForum(ImportRun& run, std::uint64_t offset) {
    if (!run.settings.forum) {
      run.skip(offset, "forum messages are not imported this time");
      return Outcome::Done;
    }
    const CCO& c = run.ctx.cco;
    ForumMessage m;
    m.number = c.MSG_NUMBER;
    m.parent = c.MSG_PARENT;
    m.sectionNumber = c.MSG_SECTNO;
    m.sectionName = c.MSG_SECT.str();
    m.subject = c.MSG_SUBJEC.str();
    m.senderAddress = cleanAddress(c.MSG_SENDID.view());
    m.senderName = oem(c.MSG_SENDER.view());
    m.recipientAddress = cleanAddress(c.MSG_RECVID.view());
    m.recipientName = oem(c.MSG_RECVR.view());
    m.date = c.MSG_DATE;
    m.text = StripChar(oem(run.ctx.ccoMemo), kStripForum);
    TargetDatabase* db = run.targets.findById(run.settings.forumDatabase);
    return storeForumMessage(run, db, m, offset) ? Outcome::Done : Outcome::WriteFailed;
  }

  Outcome convertMail(ImportRun& run, engine::File& table, std::uint64_t offset) {
    if (!run.settings.mail) {
      run.skip(offset, "mail is not imported this time");
      return Outcome::Done;
    }
    std::string sender, recipient;
    if (table.memo("MSG_SENDID", sender) != engine::Err::Ok || table.memo("MSG_RECVID", recipient) != engine::Err::Ok)
      return Outcome::Bad;
    const CMA& c = run.ctx.cma;
    internet::Message m;
    m.subject = c.MSG_SUBJEC.str();
    m.senderAddress = cleanAddress(clip(sender));
    m.senderName = oem(c.MSG_SENDER.view());
    m.recipientAddress = cleanAddress(clip(recipient));
    m.recipientName = oem(c.MSG_RECVR.view());
    m.date = c.MSG_DATE;
    m.time = hhmmTime(c.MSG_TIME.view());
    m.text = StripChar(oem(run.ctx.cmaMemo), kStripMail);
    internet::RunSink sink(run);
    return sink.take(m, offset) ? Outcome::Done : Outcome::WriteFailed;
  }

  bool mail_ = false;
};

}  // namespace

std::unique_ptr<Reader> makeCisCommReader() { return std::make_unique<CisCommReader>(); }

}  // namespace qv::records
