// One converted mail into a mail database.
#include <cstring>
#include <limits>
#include <vector>

#include "import/merge_work.h"
#include "store/charset.h"
#include "store/persons.h"
#include "store/topic_links.h"

namespace qv {

using engine::Err;

namespace {

constexpr std::int32_t kMinute = 6000;  // hundredths of a second

// The time cut to its whole minute. Times count hundredths from 1 (0 is "no
// time" and stays so), so 12:00:59.99 belongs to 12:00 like 12:00:00.00.
std::int32_t wholeMinute(std::int32_t time) { return time > 0 ? time - (time - 1) % kMinute : time; }

}  // namespace

MergeResult DatabaseMerge::Impl::mergeMail() {
  NewHR& n = ctx.nhr;
  const bool outBox = mailDirectionOf(n) == MailDirection::OutBox;
  const bool inBox = mailDirectionOf(n) == MailDirection::InBox;

  // The owner's side of the mail is the owner whatever name the mail gives.
  PersonRef to, from;
  if (n.R_NAME.blank()) n.R_NAME = kNameUnknown;
  if (!(inBox ? ownerParty(n.R_CISADRESS.view(), n.R_NAME.view(), to)
              : person(n.R_CISADRESS.view(), n.R_NAME.view(), to)))
    return MergeResult::Failed;
  if (n.S_NAME.blank()) n.S_NAME = kNameUnknown;
  if (!(outBox ? ownerParty(n.S_CISADRESS.view(), n.S_NAME.view(), from)
               : person(n.S_CISADRESS.view(), n.S_NAME.view(), from)))
    return MergeResult::Failed;
  const PersonRef& pair = outBox ? to : from;  // the owner's correspondent

  n.TIME = wholeMinute(n.TIME);
  switch (duplicateMail(from.id, to.id)) {
    case Lookup::Failed: return MergeResult::Failed;
    case Lookup::Found: return MergeResult::Skipped;
    case Lookup::Missing: break;
  }

  // The mail's identifier is its run number (NHR:REFNUMBER, equal to
  // NHR:MSGNUMBER for mail).
  const std::uint32_t mailId = n.REFNUMBER != 0 ? std::uint32_t{n.REFNUMBER} : std::uint32_t{n.MSGNUMBER};
  std::vector<CCR> copies;
  if (carbonCopies(n.MSGNUMBER, copies) == Lookup::Failed) return MergeResult::Failed;
  ctx.mai = Mail{};
  ctx.mai.DATE = n.DATE;
  ctx.mai.TIME = n.TIME;
  ctx.mai.SUBJECT = n.HEADING.view();
  ctx.mai.MAILID = mailId;
  ctx.mai.FROMID = from.id;
  ctx.mai.FROMALPHA = from.last.view();
  ctx.mai.TOID = to.id;
  ctx.mai.TOALPHA = to.last.view();
  ctx.mai.PAIRID = pair.id;
  ctx.mai.PAIRALPHA = pair.last;
  ctx.mai.RECIPTYPE = n.RECIPTYPE;
  ctx.mai.CCR = copies.empty() ? 0 : 1;
  if (!write(ctx.fileOf<Mail>(), kUppAdd)) return MergeResult::Failed;
  if (mailBeganEmpty)
    storedMails[mailKey(n.DATE, n.TIME, ctx.mai.SUBJECT.view())].push_back({from.id, to.id, mailId});
  for (CCR& r : copies) {
    r.MAILID = mailId;
    ctx.ccr = r;
    if (!write(ctx.fileOf<CCR>(), kUppAdd)) return MergeResult::Failed;
  }

  ctx.txt = MsgText{mailId, runDate, runTime};
  ctx.txtMemo = ctx.nhrMemo;
  if (!write(ctx.fileOf<MsgText>(), kUppAdd)) return MergeResult::Failed;

  if (mailTopic) {
    const LinkChange linked = changeTopicLink(ctx, *mailTopic, mailId, true);
    if (linked == LinkChange::Failed) return MergeResult::Failed;
    if (linked == LinkChange::Done) self.writes += 2;
  }

  countPerson(from.id, true);
  countPerson(to.id, false);
  return MergeResult::Imported;
}

// A mail is a duplicate of a stored one with the same date and minute, the
// same sender and receiver, the same subject (its first 50 characters,
// letter case ignored) and the same text by the text rule (DupString: a
// stored mail without a text is nobody's duplicate). Found: a duplicate.
//
// The candidates are read through MAI:SubjectKey (subject, then date, time
// and identifier from high to low): its subject compares with the same
// letter-case rule as the test, so the mails of one subject, date and
// minute stand together, in the order MAI:DateKey gives them. Walking
// MAI:DateKey instead reads every mail of the minute, and mails without a
// date all share one: a mailbox of thousands of them made each lookup read
// all those before it.
Lookup DatabaseMerge::Impl::duplicateMail(std::uint32_t fromId, std::uint32_t toId) {
  engine::File& mails = ctx.fileOf<Mail>();
  const std::int32_t date = ctx.nhr.DATE;
  const std::int32_t time = ctx.nhr.TIME;
  const FixedString<50> subject(ctx.nhr.HEADING.view());
  if (mailBeganEmpty) {
    const auto candidates = storedMails.find(mailKey(date, time, subject.view()));
    if (candidates == storedMails.end()) return Lookup::Missing;
    // Latest first, as the walk by subject (identifiers from high to low) meets them.
    for (auto c = candidates->second.rbegin(); c != candidates->second.rend(); ++c)
      if (c->fromId == fromId && c->toId == toId && DupString(ctx, kDupImported, c->mailId, 0, ctx.nhrMemo) == kTextsSame)
        return Lookup::Found;
    return Lookup::Missing;
  }
  ctx.mai = Mail{};
  ctx.mai.SUBJECT = subject;
  ctx.mai.DATE = date;
  ctx.mai.TIME = time;
  ctx.mai.MAILID = std::numeric_limits<std::uint32_t>::max();
  Err e = mails.setFrom(Mail::SubjectKey);
  while (e == Err::Ok && (e = mails.next()) == Err::Ok && ctx.mai.DATE == date && ctx.mai.TIME == time &&
         compareKeyText(ctx.mai.SUBJECT.view(), subject.view()) == 0) {
    if (ctx.mai.FROMID != fromId || ctx.mai.TOID != toId) continue;
    if (DupString(ctx, kDupImported, ctx.mai.MAILID, 0, ctx.nhrMemo) == kTextsSame) return Lookup::Found;
  }
  if (e != Err::Ok && e != Err::RecordNotAvailable) {
    readFailed(mails);
    return Lookup::Failed;
  }
  return Lookup::Missing;
}

std::string DatabaseMerge::Impl::mailKey(std::int32_t date, std::int32_t time, std::string_view subject) {
  while (!subject.empty() && subject.back() == ' ') subject.remove_suffix(1);
  std::string key(sizeof date + sizeof time, '\0');
  std::memcpy(key.data(), &date, sizeof date);
  std::memcpy(key.data() + sizeof date, &time, sizeof time);
  key += upper1252(subject);
  return key;
}

}  // namespace qv
