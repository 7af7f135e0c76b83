#include "browse/browse_lines.h"

#include "store/config.h"

namespace qv::browse {

using engine::Err;

namespace {

std::string clippedCut(std::string s, std::size_t width) {
  if (s.size() > width) s.resize(width);
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

bool isMail(const Context& ctx) { return databaseType(ctx.mem.ForumType) == DatabaseType::Mail; }

}  // namespace

LineComposer::LineComposer(Context& ctx)
    : ctx_(ctx),
      tables_(ctx, {Threads::FileNo, Sections::FileNo, Person::FileNo}),
      form_(displaySetting(ctx, isMail(ctx) ? kItemMailPersons : kItemMessagePersons) == kPersonsNameAndAddress
                ? PersonForm::NameAndAddress
                : PersonForm::Name),
      personWidth_(isMail(ctx) ? kMailPersonChars : kMessagePersonChars),
      newsgroup_(databaseType(ctx.mem.ForumType) == DatabaseType::Newsgroup) {}

const LineComposer::PersonEntry& LineComposer::person(std::uint32_t id) {
  const auto known = persons_.find(id);
  if (known != persons_.end()) return known->second;
  PersonEntry e;
  ctx_.per = Person{};
  ctx_.per.PERSONID = id;
  if (id != kNoIdentifier && ctx_.fileOf<Person>().get(Person::PersonKey) == Err::Ok) {
    e.text = personText(ctx_.per.LASTNAME.view(), ctx_.per.FIRSTNAME.view(), ctx_.per.ADDRESS.view(), form_,
                        personWidth_);
    e.status = statusOf(ctx_.per);
  }
  return persons_.emplace(id, std::move(e)).first->second;
}

MessageLine LineComposer::message(const MsgNmbr& m) {
  MessageLine line;
  line.number = m.MSGNUMBER;
  line.date = m.DATE;
  ctx_.thr = Threads{};
  ctx_.thr.THREADNUMBER = m.THREADNUMBER;
  Status thread = Status::Normal;
  if (ctx_.fileOf<Threads>().get(Threads::ThreadKey) == Err::Ok) {
    line.thread = clippedCut(ctx_.thr.HEADING(), kThreadTextChars);
    thread = statusOf(ctx_.thr);
  }
  ctx_.sec = Sections{};
  ctx_.sec.SECSYSID = m.SECSYSID;
  Status section = Status::Normal;
  if (ctx_.fileOf<Sections>().get(Sections::SysIdKey) == Err::Ok) {
    line.section = sectionText(newsgroup_, ctx_.sec.SECTIONNUMBER, ctx_.sec.DESCRIPTION.view());
    section = statusOf(ctx_.sec);
  }
  line.sender = person(m.FROMID).text;
  line.receiver = person(m.TOID).text;
  line.status = effectiveStatus({statusOf(m), thread, section, status(ctx_.mem.ForumCheck)});
  line.colour = statusColour(ctx_, line.status);
  return line;
}

MailLine LineComposer::mail(const Mail& m) {
  MailLine line;
  line.id = m.MAILID;
  line.date = m.DATE;
  line.time = m.TIME;
  line.subject = m.SUBJECT.str();
  line.from = person(m.FROMID).text;
  line.to = person(m.TOID).text;
  line.receiverType = m.RECIPTYPE.str();
  line.carbonCopies = m.CCR != 0;
  line.status = effectiveStatus({statusOf(m), person(m.PAIRID).status, status(ctx_.mem.ForumCheck)});
  line.colour = statusColour(ctx_, line.status);
  return line;
}

}  // namespace qv::browse
