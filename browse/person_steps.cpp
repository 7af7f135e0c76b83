#include "browse/person_steps.h"

#include <limits>

#include "store/table_use.h"

namespace qv::browse {

using engine::Err;

namespace {

// The keys end in the message number or date, time and mail identifier,
// highest first: the lowest values stand after all messages of a person,
// the highest before them.
template <class T>
constexpr T past(StepDirection d) {
  return d == StepDirection::Next ? std::numeric_limits<T>::min() : std::numeric_limits<T>::max();
}

std::optional<PersonLimit> forumStep(Context& ctx, const PersonLimit& current, PersonRole role, StepDirection d) {
  TableUse use(ctx, {MsgNmbr::FileNo});
  engine::File& messages = ctx.fileOf<MsgNmbr>();
  const bool sender = role == PersonRole::Sender;
  ctx.msg = MsgNmbr{};
  // Packed fields: set and read one by one, never through a reference.
  if (sender) {
    ctx.msg.FROMALPHA = current.copy;
    ctx.msg.FROMID = current.id;
  } else {
    ctx.msg.TOALPHA = current.copy;
    ctx.msg.TOID = current.id;
  }
  ctx.msg.MSGNUMBER = past<std::uint32_t>(d);
  if (messages.setFrom(sender ? MsgNmbr::FromKey : MsgNmbr::ToKey) != Err::Ok) return std::nullopt;
  if ((d == StepDirection::Next ? messages.next() : messages.previous()) != Err::Ok) return std::nullopt;
  const PersonLimit found = sender ? PersonLimit{ctx.msg.FROMID, ctx.msg.FROMALPHA.str()}
                                   : PersonLimit{ctx.msg.TOID, ctx.msg.TOALPHA.str()};
  if (found.id == current.id) return std::nullopt;  // the person's own message: no other is there
  return found;
}

std::optional<PersonLimit> mailStep(Context& ctx, const PersonLimit& current, PersonRole role, StepDirection d) {
  TableUse use(ctx, {Mail::FileNo});
  engine::File& mails = ctx.fileOf<Mail>();
  ctx.mai = Mail{};
  engine::KeyRef key = Mail::FromKey;
  switch (role) {
    case PersonRole::Sender:
      ctx.mai.FROMALPHA = current.copy;
      ctx.mai.FROMID = current.id;
      break;
    case PersonRole::Receiver:
      ctx.mai.TOALPHA = current.copy;
      ctx.mai.TOID = current.id;
      key = Mail::ToKey;
      break;
    case PersonRole::Partner:
      ctx.mai.PAIRALPHA = current.copy;
      ctx.mai.PAIRID = current.id;
      key = Mail::PairKey;
      break;
  }
  ctx.mai.DATE = past<std::int32_t>(d);
  ctx.mai.TIME = past<std::int32_t>(d);
  ctx.mai.MAILID = past<std::uint32_t>(d);
  if (mails.setFrom(key) != Err::Ok) return std::nullopt;
  if ((d == StepDirection::Next ? mails.next() : mails.previous()) != Err::Ok) return std::nullopt;
  PersonLimit found;
  switch (role) {
    case PersonRole::Sender: found = {ctx.mai.FROMID, ctx.mai.FROMALPHA.str()}; break;
    case PersonRole::Receiver: found = {ctx.mai.TOID, ctx.mai.TOALPHA.str()}; break;
    case PersonRole::Partner: found = {ctx.mai.PAIRID, ctx.mai.PAIRALPHA.str()}; break;
  }
  if (found.id == current.id) return std::nullopt;
  return found;
}

}  // namespace

std::optional<PersonLimit> neighbourPerson(Context& ctx, const PersonLimit& current, PersonRole role,
                                           StepDirection direction) {
  const bool mail = databaseType(ctx.mem.ForumType) == DatabaseType::Mail;
  std::optional<PersonLimit> found;
  if (mail)
    found = mailStep(ctx, current, role, direction);
  else if (role != PersonRole::Partner)
    found = forumStep(ctx, current, role, direction);
  if (!found) ctx.lib.ui.beep();
  return found;
}

}  // namespace qv::browse
