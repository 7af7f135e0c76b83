#include "readers/cim/cim_run_sink.h"

#include "import/merge.h"
#include "text/cserve_text.h"
#include "readers/machinery/run_sink.h"
#include "store/charset.h"
#include "store/domain.h"

namespace qv::cim {
namespace {

std::string_view trimmed(std::string_view s) {
  const std::size_t first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// A name and address as the owner's address book would keep them.
struct Party {
  std::string name;
  std::string address;
};

Party cleaned(std::string_view name, std::string_view address) {
  Party p;
  p.address = std::string(trimmed(cserve::withoutInternetTag(trimmed(address))));
  std::string_view n = trimmed(name);
  if (n.size() >= 2 && n.front() == '"' && n.back() == '"') n = trimmed(n.substr(1, n.size() - 2));
  p.name = std::string(n);
  if (!p.name.empty() && upper1252(p.name) == upper1252(p.address)) p.name.clear();
  return p;
}

std::string_view withoutCopyOf(std::string_view subject) {
  if (!subject.starts_with("Copy of:")) return subject;
  subject.remove_prefix(8);
  if (subject.starts_with(' ')) subject.remove_prefix(1);
  return subject;
}

}  // namespace

bool CimRunSink::take(const Message& message, std::uint64_t offset) {
  return message.kind == Kind::Forum ? takeForum(message, offset) : takeMail(message, offset);
}

bool CimRunSink::takeForum(const Message& m, std::uint64_t offset) {
  if (!run_.settings.forum) {
    skip(offset, "forum messages are not imported this time");
    return true;
  }
  const std::string forum(trimmed(cserve::withoutCisPrefix(m.forum)));
  if (forum.empty()) {
    skip(offset, "a forum message without forum name");
    return true;
  }
  TargetDatabase* db = run_.target(forum, stored(DatabaseType::Forum));
  if (db == nullptr || databaseType(db->type) != DatabaseType::Forum) {
    skip(offset, "no forum database takes " + forum);
    return true;
  }
  return appendForumMessage(run_, *db, m, offset);
}

bool CimRunSink::takeMail(const Message& m, std::uint64_t offset) {
  const std::optional<internet::MailTarget> target = internet::mailTarget(run_, offset);
  if (!target) return true;
  TargetDatabase& db = *target->db;
  const std::string& ownName = target->ownName;
  const Party sender = cleaned(m.senderName, m.senderAddress);
  std::vector<Party> recipients;
  for (const Recipient& r : m.recipients) recipients.push_back(cleaned(r.name, r.address));

  NewHR& n = run_.ctx.nhr;
  n = NewHR{};
  n.FOR_DESCRIPTION = ownName;
  n.HEADING = withoutCopyOf(m.subject);
  n.DATE = m.date;
  n.TIME = m.time;
  n.RECIPTYPE = kRecipientTo;
  if (sender.address.empty()) {
    setMailDirection(n, MailDirection::OutBox);
    n.S_CISADRESS = target->ownAddress;
  } else {
    n.S_CISADRESS = sender.address;
    ownAddressCheck(run_.ctx, *target->owner);
  }
  run_.ctx.nhrMemo = m.text;

  if (mailDirectionOf(n) == MailDirection::InBox) {
    n.S_NAME = sender.name;
    n.R_NAME = ownName;  // the check made the default address the recipient's
    n.MSGNUMBER = n.REFNUMBER = run_.nextRunNumber();
    if (!run_.appendMessage(db)) return false;
    if (m.recipients.size() < 2) return true;
    for (std::size_t i = 0; i < recipients.size(); ++i) {
      const std::string& type = m.copiesKeepListType ? m.recipients[i].type : std::string(kRecipientCc);
      if (!run_.appendCarbonCopy(recipients[i].name, recipients[i].address, type)) return false;
    }
    return true;
  }
  if (recipients.empty()) {
    skip(offset, "a sent mail without recipient");
    return true;
  }
  n.S_NAME = ownName;
  for (std::size_t i = 0; i < recipients.size(); ++i) {
    n.MSGNUMBER = n.REFNUMBER = run_.nextRunNumber();
    n.R_CISADRESS = lower1252(recipients[i].address);
    n.R_NAME = recipients[i].name;
    n.RECIPTYPE = m.copiesKeepListType ? m.recipients[i].type : std::string(kRecipientTo);
    if (!run_.appendMessage(db)) return false;
  }
  return true;
}

}  // namespace qv::cim
