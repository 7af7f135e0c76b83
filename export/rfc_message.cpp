#include "export/rfc_message.h"

#include <set>

#include "export/mail_text.h"
#include "store/charset.h"
#include "store/dates.h"

namespace qv::exporting {

using engine::Err;

namespace {

// How far up a reply chain References reaches; a longer chain keeps its
// nearest ancestors (and a damaged store cannot loop).
constexpr std::size_t kChainMax = 30;

std::string two(int v) { return (v < 10 ? "0" : "") + std::to_string(v); }

// "Wed, 01 Mar 1995 10:00:00 -0000"; empty for no date.
std::string rfcDate(std::int32_t day, std::int32_t time) {
  const dates::Ymd d = dates::fromDayNumber(day);
  if (d.year == 0) return {};
  const std::int32_t seconds = dates::secondsOfDay(time);
  return dates::pictureWww(day) + ", " + two(d.day) + " " + dates::pictureMmm(day) + " " +
         std::to_string(d.year) + " " + two(seconds / 3600) + ":" + two(seconds / 60 % 60) + ":" + two(seconds % 60) +
         " -0000";
}

std::string trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return std::string(s);
}

// A header line folded at blanks to keep lines near 78 characters.
void header(std::string& out, std::string_view name, std::string_view value) {
  if (value.empty()) return;
  std::string line = std::string(name) + ": ";
  std::size_t lineStart = out.size();
  out += line;
  std::size_t at = 0;
  bool first = true;
  while (at <= value.size()) {
    std::size_t end = value.find(' ', at);
    if (end == std::string_view::npos) end = value.size();
    const std::string_view word = value.substr(at, end - at);
    if (!first && out.size() - lineStart + 1 + word.size() > 78) {
      out += "\n";
      lineStart = out.size();
    }
    if (!first) out += ' ';
    out += word;
    first = false;
    at = end + 1;
  }
  out += "\n";
}

std::string statusName(Status s) {
  switch (s) {
    case Status::Keep: return "Keep";
    case Status::Delete: return "Delete";
    default: return "Normal";
  }
}

// An address that can stand between angle brackets as it is: no blanks,
// controls or characters that end or split an address ("<>(),;:\"[]\\"), so
// a stored value can never break the header it is written into.
bool cleanAddress(std::string_view a) {
  const std::size_t at = a.find('@');
  if (at == 0 || at == std::string_view::npos || at + 1 == a.size()) return false;
  for (unsigned char c : a)
    if (c <= 0x20 || c == 0x7F ||
        std::string_view("<>(),;:\"[]\\").find(static_cast<char>(c)) != std::string_view::npos)
      return false;
  return true;
}

bool isServiceIdentifier(std::string_view s) {
  const std::size_t comma = s.find(',');
  if (comma == 0 || comma == std::string_view::npos || comma + 1 == s.size()) return false;
  for (std::size_t i = 0; i < s.size(); ++i)
    if (i != comma && (s[i] < '0' || s[i] > '9')) return false;
  return true;
}

}  // namespace

std::string mailAddressOf(std::string_view stored) {
  std::string a = trimmed(stored);
  if (a.size() > 9 && upper1252(a.substr(0, 9)) == "INTERNET:") a = trimmed(a.substr(9));
  if (a.size() >= 2 && a.front() == '<' && a.back() == '>') a = trimmed(a.substr(1, a.size() - 2));
  if (cleanAddress(a)) return utf8From1252(a);
  if (isServiceIdentifier(a)) {
    a[a.find(',')] = '.';
    return a + "@" + lower1252(kServiceMailDomain);
  }
  return {};
}

RfcComposer::RfcComposer(Context& ctx) : ctx_(ctx), type_(databaseType(ctx.mem.ForumType)) {}

std::vector<int> RfcComposer::tables(DatabaseType type) {
  switch (type) {
    case DatabaseType::Mail:
      return {Mail::FileNo, MsgText::FileNo, Person::FileNo, CCR::FileNo, SIndex::FileNo, Codes::FileNo};
    case DatabaseType::Newsgroup:
      return {MsgNmbr::FileNo, MsgText::FileNo,   Person::FileNo, Sections::FileNo,
              Threads::FileNo, MsgString::FileNo, SIndex::FileNo, Codes::FileNo};
    default:
      return {MsgNmbr::FileNo, MsgText::FileNo, Person::FileNo, Sections::FileNo,
              Threads::FileNo, SIndex::FileNo,  Codes::FileNo};
  }
}

bool RfcComposer::loadTopics() {
  topicsLoaded_ = true;
  engine::File& codes = ctx_.fileOf<Codes>();
  if (codes.set() != Err::Ok) return false;
  Err e;
  while ((e = codes.next()) == Err::Ok)
    if (ctx_.cod.TYPE == static_cast<std::uint8_t>(CodeType::Topic))
      topics_[std::uint32_t{ctx_.cod.ID}] = ctx_.cod.INDEX.str();
  return e == Err::RecordNotAvailable;
}

std::optional<RfcComposer::Party> RfcComposer::person(std::uint32_t id) {
  if (id == kNoIdentifier) return std::nullopt;
  ctx_.per = Person{};
  ctx_.per.PERSONID = id;
  if (ctx_.fileOf<Person>().get(Person::PersonKey) != Err::Ok) return std::nullopt;
  std::string name = trimmed(ctx_.per.FIRSTNAME.str() + " " + ctx_.per.LASTNAME.str());
  if (compareKeyText(name, kNameUnknown) == 0) name.clear();
  return Party{name, mailAddressOf(ctx_.per.ADDRESS.view())};
}

namespace {

// One mailbox: "Name <address>", the address alone, or without an address
// the name as an empty group ("All: ;").
std::string mailbox(std::string_view name1252, std::string_view address) {
  const std::string name = encodeDisplayName(utf8From1252(name1252));
  if (address.empty()) return name.empty() ? std::string() : name + ": ;";
  if (name.empty()) return std::string(address);
  return name + " <" + std::string(address) + ">";
}

}  // namespace

std::string RfcComposer::messageId(std::uint32_t number) {
  if (type_ == DatabaseType::Newsgroup) {
    ctx_.mst = MsgString{};
    ctx_.mst.MSGNUMBER = number;
    if (ctx_.fileOf<MsgString>().get(MsgString::IDKey) == Err::Ok) {
      std::string id = trimmed(ctx_.mst.IDSTRING.view());
      if (id.size() >= 2 && id.front() == '<' && id.back() == '>') id = id.substr(1, id.size() - 2);
      if (cleanAddress(id)) return "<" + id + ">";
    }
  }
  return "<" + std::to_string(number) + "." + std::to_string(ctx_.mem.ForumNumber) + "@quorvel.invalid>";
}

std::string RfcComposer::topicsOf(std::uint32_t id) {
  if (!topicsLoaded_) loadTopics();
  std::string out;
  engine::File& links = ctx_.fileOf<SIndex>();
  ctx_.sin = SIndex{};
  ctx_.sin.MSGNUMBER = id;
  if (links.setFrom(SIndex::MsgKey) != Err::Ok) return out;
  while (links.next() == Err::Ok && ctx_.sin.MSGNUMBER == id) {
    const auto t = topics_.find(std::uint32_t{ctx_.sin.ID});
    if (t == topics_.end()) continue;
    if (!out.empty()) out += ", ";
    out += t->second;
  }
  return out;
}

std::optional<std::string> RfcComposer::body(std::uint32_t id) {
  ctx_.txt = MsgText{};
  ctx_.txt.MSGNUMBER = id;
  const Err e = ctx_.fileOf<MsgText>().get(MsgText::IdKey);
  if (e == Err::RecordNotFound) return std::string();
  if (e != Err::Ok) return std::nullopt;
  return uniformLines(utf8From1252(ctx_.txtMemo), "\n");
}

ComposeResult RfcComposer::compose(std::uint32_t id, RfcMessage& out) {
  out = RfcMessage{};
  return type_ == DatabaseType::Mail ? composeMail(id, out) : composeMessage(id, out);
}

namespace {

void finish(std::string& out, std::string_view database, Status status, const std::string& topics,
            const std::string& bodyText) {
  header(out, "X-Quorvel-Database", encodeHeaderText(utf8From1252(database)));
  header(out, "X-Quorvel-Status", statusName(status));
  header(out, "X-Quorvel-Topics", encodeHeaderText(utf8From1252(topics)));
  header(out, "MIME-Version", "1.0");
  header(out, "Content-Type", "text/plain; charset=UTF-8");
  const bool quoted = hasOverlongLine(bodyText);
  header(out, "Content-Transfer-Encoding", quoted ? "quoted-printable" : "8bit");
  out += "\n";
  out += quoted ? quotedPrintable(bodyText) : bodyText;
}

}  // namespace

ComposeResult RfcComposer::composeMessage(std::uint32_t id, RfcMessage& out) {
  engine::File& messages = ctx_.fileOf<MsgNmbr>();
  ctx_.msg = MsgNmbr{};
  ctx_.msg.MSGNUMBER = id;
  const Err e = messages.get(MsgNmbr::IdKey);
  if (e == Err::RecordNotFound) return ComposeResult::Gone;
  if (e != Err::Ok) return ComposeResult::Failed;
  const MsgNmbr m = ctx_.msg;

  const std::optional<std::string> text = body(id);
  if (!text) return ComposeResult::Failed;
  const std::string& bodyText = *text;

  std::string subject;
  ctx_.thr = Threads{};
  ctx_.thr.THREADNUMBER = m.THREADNUMBER;
  if (ctx_.fileOf<Threads>().get(Threads::ThreadKey) == Err::Ok) subject = trimmed(ctx_.thr.HEADING());

  const std::uint32_t section = m.SECSYSID;
  if (!sections_.contains(section)) {
    ctx_.sec = Sections{};
    ctx_.sec.SECSYSID = section;
    std::string name;
    if (ctx_.fileOf<Sections>().get(Sections::SysIdKey) == Err::Ok)
      name = type_ == DatabaseType::Newsgroup
                 ? ctx_.sec.DESCRIPTION.str()
                 : std::to_string(ctx_.sec.SECTIONNUMBER) + " " + ctx_.sec.DESCRIPTION.str();
    sections_[section] = name;
  }

  const std::optional<Party> from = person(m.FROMID);
  const std::optional<Party> to = person(m.TOID);

  // The reply chain, nearest ancestor first while it is walked.
  std::vector<std::string> chain;
  std::set<std::uint32_t> seen{id};
  for (std::uint32_t ref = m.REFNUMBER; ref != 0 && chain.size() < kChainMax && seen.insert(ref).second;) {
    chain.push_back(messageId(ref));
    ctx_.msg = MsgNmbr{};
    ctx_.msg.MSGNUMBER = ref;
    ref = messages.get(MsgNmbr::IdKey) == Err::Ok ? std::uint32_t{ctx_.msg.REFNUMBER} : 0;
  }

  std::string& t = out.text;
  if (from) header(t, "From", mailbox(from->name, from->address));
  if (to) header(t, "To", mailbox(to->name, to->address));
  header(t, "Subject", encodeHeaderText(utf8From1252(subject)));
  header(t, "Date", rfcDate(m.DATE, 0));
  header(t, "Message-ID", messageId(id));
  if (!chain.empty()) {
    header(t, "In-Reply-To", chain.front());
    std::string refs;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) refs += (refs.empty() ? "" : " ") + *it;
    header(t, "References", refs);
  }
  const std::string& sectionName = sections_[section];
  if (type_ == DatabaseType::Newsgroup) header(t, "Newsgroups", encodeHeaderText(utf8From1252(sectionName)));
  header(t, "X-Quorvel-Section", encodeHeaderText(utf8From1252(sectionName)));
  finish(t, ctx_.mem.Description.view(), statusOf(m), topicsOf(id), bodyText);
  out.envelopeSender = from && !from->address.empty() ? from->address : "MAILER-DAEMON";
  out.date = m.DATE;
  return ComposeResult::Ok;
}

ComposeResult RfcComposer::composeMail(std::uint32_t id, RfcMessage& out) {
  ctx_.mai = Mail{};
  ctx_.mai.MAILID = id;
  const Err e = ctx_.fileOf<Mail>().get(Mail::IdKey);
  if (e == Err::RecordNotFound) return ComposeResult::Gone;
  if (e != Err::Ok) return ComposeResult::Failed;
  const Mail m = ctx_.mai;

  const std::optional<std::string> text = body(id);
  if (!text) return ComposeResult::Failed;
  const std::string& bodyText = *text;

  const std::optional<Party> from = person(m.FROMID);
  const std::optional<Party> to = person(m.TOID);

  std::string cc, bcc;
  engine::File& copies = ctx_.fileOf<CCR>();
  ctx_.ccr = CCR{};
  ctx_.ccr.MAILID = id;
  if (copies.setFrom(CCR::IdKey) == Err::Ok) {
    while (copies.next() == Err::Ok && ctx_.ccr.MAILID == id) {
      std::string name = trimmed(ctx_.ccr.R_NAME.view());
      if (compareKeyText(name, kNameUnknown) == 0) name.clear();
      const std::string box = mailbox(name, mailAddressOf(ctx_.ccr.R_CISADRESS.view()));
      if (box.empty()) continue;
      std::string& list = ctx_.ccr.RECIPTYPE == kRecipientBc ? bcc : cc;
      list += (list.empty() ? "" : ", ") + box;
    }
  }

  std::string& t = out.text;
  if (from) header(t, "From", mailbox(from->name, from->address));
  if (to) header(t, "To", mailbox(to->name, to->address));
  header(t, "Cc", cc);
  header(t, "Bcc", bcc);
  header(t, "Subject", encodeHeaderText(utf8From1252(trimmed(m.SUBJECT.view()))));
  header(t, "Date", rfcDate(m.DATE, m.TIME));
  header(t, "Message-ID", messageId(id));
  finish(t, ctx_.mem.Description.view(), statusOf(m), topicsOf(id), bodyText);
  out.envelopeSender = from && !from->address.empty() ? from->address : "MAILER-DAEMON";
  out.date = m.DATE;
  out.time = m.TIME;
  return ComposeResult::Ok;
}

}  // namespace qv::exporting
