#include "browse/persons_list.h"

#include "browse/browse_context.h"
#include "browse/person_copies.h"
#include "browse/person_texts.h"
#include "store/dispatcher.h"
#include "store/domain.h"
#include "store/report.h"
#include "store/table_use.h"

namespace qv::browse {

std::string personsTitle(const MemGroup& mem) {
  std::string_view head = texts::kForumMembers;
  if (databaseType(mem.ForumType) == DatabaseType::Mail) head = texts::kMailPartners;
  if (databaseType(mem.ForumType) == DatabaseType::Newsgroup) head = texts::kNewsgroupParticipants;
  return std::string(head) + mem.Description.str() + "]";
}

std::vector<Person> personPage(Context& ctx, PersonOrder order, std::size_t count, std::uint32_t after) {
  std::vector<Person> page;
  TableUse use(ctx, {Person::FileNo});
  engine::File& f = ctx.fileOf<Person>();
  const engine::KeyRef key = order == PersonOrder::Name ? Person::NameKey : Person::AddressKey;
  if (after == 0) {
    f.set(key);
  } else {
    ctx.per = Person{};
    ctx.per.PERSONID = after;
    if (f.get(Person::PersonKey) != engine::Err::Ok) return page;
    f.setPosition(key, f.position());
    // The walk starts at that person itself.
    if (f.next() != engine::Err::Ok) return page;
  }
  while (page.size() < count && f.next() == engine::Err::Ok) page.push_back(ctx.per);
  return page;
}

std::optional<Person> findPerson(Context& ctx, std::uint32_t id) {
  TableUse use(ctx, {Person::FileNo});
  ctx.per = Person{};
  ctx.per.PERSONID = id;
  if (ctx.fileOf<Person>().get(Person::PersonKey) != engine::Err::Ok) return std::nullopt;
  return ctx.per;
}

namespace {

// The sender and receiver of a message or a mail.
template <class Record>
SenderMessage partiesOf(const Record& m) {
  SenderMessage s;
  s.fromId = m.FROMID;
  s.fromAlpha = m.FROMALPHA;
  s.toId = m.TOID;
  s.toAlpha = m.TOALPHA;
  return s;
}

std::optional<SenderMessage> firstMail(Context& ctx, const Person& p) {
  TableUse use(ctx, {Mail::FileNo});
  const auto found = mailsNaming(ctx, NameRole::Sender, p.LASTNAME.view(), p.PERSONID, 1);
  if (found.empty() || ctx.fileOf<Mail>().getPosition(found.front()) != engine::Err::Ok) return std::nullopt;
  SenderMessage s = partiesOf(ctx.mai);
  s.number = ctx.mai.MAILID;
  MailContext shown = mailContext(ctx.mai, MailView::Sender);
  ctx.lib.contexts.exchange(ContextMode::Store, shown);
  return s;
}

std::optional<SenderMessage> firstMessage(Context& ctx, const Person& p) {
  TableUse use(ctx, {MsgNmbr::FileNo});
  const auto found = messagesNaming(ctx, NameRole::Sender, p.LASTNAME.view(), p.PERSONID, 1);
  if (found.empty() || ctx.fileOf<MsgNmbr>().getPosition(found.front()) != engine::Err::Ok) return std::nullopt;
  const MsgNmbr& m = ctx.msg;
  SenderMessage s = partiesOf(m);
  s.number = m.MSGNUMBER;
  s.threadNumber = m.THREADNUMBER;
  s.threadAlpha = m.THREADALPHA;
  s.section = m.SECSYSID;
  MessageContext shown = messageContext(m, MessageView::Sender);
  ctx.lib.contexts.exchange(ContextMode::Store, shown);
  return s;
}

}  // namespace

std::optional<SenderMessage> firstMessageFrom(Context& ctx, std::uint32_t personId) {
  const std::optional<Person> p = findPerson(ctx, personId);
  std::optional<SenderMessage> found;
  if (p) found = databaseType(ctx.mem.ForumType) == DatabaseType::Mail ? firstMail(ctx, *p) : firstMessage(ctx, *p);
  if (!found) {
    const std::string address = p ? p->ADDRESS.str() : std::string();
    inform(ctx, texts::kWarning, std::string(texts::kNoMessagesFrom) + address, MessageKind::Warning);
  }
  return found;
}

}  // namespace qv::browse
