#include "readers/machinery/run_sink.h"

#include "import/merge.h"
#include "store/charset.h"
#include "store/domain.h"

namespace qv::internet {

std::optional<MailTarget> mailTarget(ImportRun& run, std::uint64_t offset) {
  if (!run.settings.mail) {
    run.skip(offset, "mail is not imported this time");
    return std::nullopt;
  }
  MailTarget t;
  t.db = run.targets.findById(run.settings.mailDatabase);
  t.owner = run.mailDatabase();
  if (t.db == nullptr || t.owner == nullptr) {
    run.skip(offset, "no mail database to import into");
    return std::nullopt;
  }
  if (!run.wanted(*t.db)) {
    run.skip(offset, "the mail database takes no imports");
    return std::nullopt;
  }
  t.ownName = std::string(t.owner->DESCRIPTION.view().substr(0, 40));
  t.ownAddress = lower1252(t.owner->MAILADDRESS.view());
  return t;
}

bool RunSink::take(const Message& message, std::uint64_t offset) {
  return message.kind == MessageKind::News ? takeNews(message, offset) : takeMail(message, offset);
}

bool RunSink::takeMail(const Message& m, std::uint64_t offset) {
  const std::optional<MailTarget> target = mailTarget(run_, offset);
  if (!target) return true;
  const Forums* owner = target->owner;
  const std::string& ownName = target->ownName;
  const std::string& ownAddress = target->ownAddress;

  NewHR& n = run_.ctx.nhr;
  n = NewHR{};
  n.FOR_DESCRIPTION = ownName;
  n.MSGNUMBER = n.REFNUMBER = run_.nextRunNumber();
  n.RECIPTYPE = kRecipientTo;
  n.HEADING = m.subject;
  n.S_CISADRESS = m.senderIsOwner ? ownAddress : m.senderAddress;
  n.S_NAME = m.senderIsOwner ? ownName : m.senderName;
  n.R_CISADRESS = m.recipientIsOwner ? ownAddress : m.recipientAddress;
  n.R_NAME = m.recipientIsOwner ? ownName : m.recipientName;
  n.DATE = m.date;
  n.TIME = m.time;
  n.DUMMY = m.status;
  switch (m.direction) {
    case Direction::ByOwnAddress: ownAddressCheck(run_.ctx, *owner); break;
    case Direction::Received: setMailDirection(n, MailDirection::InBox); break;
    case Direction::Sent: setMailDirection(n, MailDirection::OutBox); break;
  }
  // The owner's side carries the owner's name.
  if (mailDirectionOf(n) == MailDirection::InBox) {
    n.R_NAME = ownName;
  } else {
    n.S_NAME = ownName;
  }
  run_.ctx.nhrMemo = m.text;
  return run_.appendMessage(*target->db);
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
