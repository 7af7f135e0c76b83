#include "readers/machinery/run_sink.h"

#include "readers/machinery/mail_record.h"

namespace qv::internet {
namespace {

MailParts partsOf(const Message& m) {
  MailParts p;
  p.subject = m.subject;
  p.senderName = m.senderName;
  p.senderAddress = m.senderAddress;
  p.recipientName = m.recipientName;
  p.recipientAddress = m.recipientAddress;
  p.senderIsOwner = m.senderIsOwner;
  p.recipientIsOwner = m.recipientIsOwner;
  p.direction = m.direction;
  p.date = m.date;
  p.time = m.time;
  p.status = m.status;
  p.text = m.text;
  return p;
}

}  // namespace

bool RunSink::take(const Message& message, std::uint64_t offset) {
  return message.kind == MessageKind::News ? takeNews(message, offset) : takeMail(message, offset);
}

bool RunSink::takeMail(const Message& m, std::uint64_t offset) {
  const std::optional<MailTarget> target = mailTarget(run_, offset);
  if (!target) return true;
  buildMailRecord(run_, *target, partsOf(m));
  return appendMailRecord(run_, *target->db);
}

bool RunSink::takeNews(const Message& m, std::uint64_t offset) {
  if (!run_.settings.news) {
    skip(offset, "newsgroup messages are not imported this time");
    return true;
  }
  // Without its own identifier an article cannot be stored (nor answered).
  if (m.messageId.empty()) {
    skip(offset, "a news article without Message-ID");
    return true;
  }
  TargetDatabase* group = nullptr;
  TargetDatabase* db = nullptr;
  for (const std::string& name : m.newsgroups) {
    TargetDatabase* candidate = run_.target(name, stored(DatabaseType::Newsgroup));
    if (candidate == nullptr || databaseType(candidate->type) != DatabaseType::Newsgroup)
      continue;  // a forum or mail database of that name
    TargetDatabase* receiver = candidate->redirectId != 0 ? run_.targets.findById(candidate->redirectId) : candidate;
    if (receiver == nullptr) receiver = candidate;
    if (!run_.wanted(*receiver)) continue;
    group = candidate;
    db = receiver;
    break;
  }
  if (db == nullptr) {
    skip(offset, "no newsgroup database takes the article");
    return true;
  }
  NewHR& n = run_.ctx.nhr;
  n = NewHR{};
  n.MSGNUMBER = run_.nextRunNumber();
  if (!run_.appendMessageId(m.messageId, n.MSGNUMBER)) return false;
  if (!m.parentId.empty()) {
    n.REFNUMBER = run_.nextRunNumber();
    if (!run_.appendMessageId(m.parentId, n.REFNUMBER)) return false;
  }
  n.FOR_DESCRIPTION = db->name;
  n.SECTIONNUMBER = group->id;
  n.SEC_DESCRIPTION = group->name;
  n.HEADING = m.subject;
  n.S_CISADRESS = m.senderAddress;
  n.S_NAME = m.senderName;
  n.R_CISADRESS = m.recipientAddress;
  n.R_NAME = m.recipientName;
  n.DATE = m.date;
  n.TIME = m.time;
  run_.ctx.nhrMemo = m.text;
  return run_.appendMessage(*db);
}

}  // namespace qv::internet
