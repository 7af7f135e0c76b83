#include "readers/machinery/mail_record.h"

#include "import/merge.h"
#include "store/charset.h"
#include "store/domain.h"

namespace qv {

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

internet::Direction buildMailRecord(ImportRun& run, const MailTarget& target, const MailParts& mail) {
  NewHR& n = run.ctx.nhr;
  n = NewHR{};
  n.FOR_DESCRIPTION = target.ownName;
  n.RECIPTYPE = kRecipientTo;
  n.HEADING = mail.subject;
  n.S_CISADRESS = mail.senderIsOwner ? std::string_view(target.ownAddress) : mail.senderAddress;
  n.S_NAME = mail.senderIsOwner ? std::string_view(target.ownName) : mail.senderName;
  n.R_CISADRESS = mail.recipientIsOwner ? std::string_view(target.ownAddress) : mail.recipientAddress;
  n.R_NAME = mail.recipientIsOwner ? std::string_view(target.ownName) : mail.recipientName;
  n.DATE = mail.date;
  n.TIME = mail.time;
  n.DUMMY = mail.status;
  switch (mail.direction) {
    case internet::Direction::ByOwnAddress: ownAddressCheck(run.ctx, *target.owner); break;
    case internet::Direction::Received: setMailDirection(n, MailDirection::InBox); break;
    case internet::Direction::Sent: setMailDirection(n, MailDirection::OutBox); break;
  }
  run.ctx.nhrMemo = mail.text;
  // The owner's side carries the owner's name.
  if (mailDirectionOf(n) == MailDirection::InBox) {
    n.R_NAME = target.ownName;
    return internet::Direction::Received;
  }
  n.S_NAME = target.ownName;
  return internet::Direction::Sent;
}

bool appendMailRecord(ImportRun& run, TargetDatabase& db) {
  run.ctx.nhr.MSGNUMBER = run.ctx.nhr.REFNUMBER = run.nextRunNumber();
  return run.appendMessage(db);
}

}  // namespace qv
