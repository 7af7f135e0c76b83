#include "readers/cim/cim_run_sink.h"

#include "readers/machinery/mail_record.h"
#include "store/charset.h"
#include "store/domain.h"
#include "text/cserve_text.h"

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
  const std::optional<MailTarget> target = mailTarget(run_, offset);
  if (!target) return true;
  TargetDatabase& db = *target->db;
  const Party sender = cleaned(m.senderName, m.senderAddress);
  std::vector<Party> recipients;
  for (const Recipient& r : m.recipients) recipients.push_back(cleaned(r.name, r.address));

  // A mail without sender address was sent by the owner; the recipients
  // are filled in per record below.
  MailParts mail;
  mail.subject = withoutCopyOf(m.subject);
  mail.senderName = sender.name;
  mail.senderAddress = sender.address;
  mail.senderIsOwner = sender.address.empty();
  mail.direction = sender.address.empty() ? internet::Direction::Sent : internet::Direction::ByOwnAddress;
  mail.date = m.date;
  mail.time = m.time;
  mail.text = m.text;
  NewHR& n = run_.ctx.nhr;
  if (buildMailRecord(run_, *target, mail) == internet::Direction::Received) {
    if (!appendMailRecord(run_, db)) return false;
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
  for (std::size_t i = 0; i < recipients.size(); ++i) {
    n.R_CISADRESS = lower1252(recipients[i].address);
    n.R_NAME = recipients[i].name;
    n.RECIPTYPE = m.copiesKeepListType ? m.recipients[i].type : std::string(kRecipientTo);
    if (!appendMailRecord(run_, db)) return false;
  }
  return true;
}

}  // namespace qv::cim
