#include "browse/person_copies.h"

#include "store/dispatcher.h"

namespace qv::browse {

std::vector<engine::Position> messagesNaming(Context& ctx, NameRole role, std::string_view lastName,
                                            std::uint32_t personId) {
  std::vector<engine::Position> found;
  if (role == NameRole::Partner) return found;
  const bool sender = role == NameRole::Sender;
  const FixedString<10> alpha(lastName);
  engine::File& f = ctx.fileOf<MsgNmbr>();
  ctx.msg = MsgNmbr{};
  (sender ? ctx.msg.FROMALPHA : ctx.msg.TOALPHA) = alpha;
  (sender ? ctx.msg.FROMID : ctx.msg.TOID) = personId;
  f.setFrom(sender ? MsgNmbr::FromKey : MsgNmbr::ToKey);
  while (f.next() == engine::Err::Ok) {
    const bool same = sender ? ctx.msg.FROMALPHA == alpha && ctx.msg.FROMID == personId
                             : ctx.msg.TOALPHA == alpha && ctx.msg.TOID == personId;
    if (!same) break;
    found.push_back(f.position());
  }
  return found;
}

std::vector<engine::Position> mailsNaming(Context& ctx, NameRole role, std::string_view lastName,
                                         std::uint32_t personId) {
  std::vector<engine::Position> found;
  const FixedString<10> alpha(lastName);
  const FixedString<25> pairAlpha(lastName);
  engine::File& f = ctx.fileOf<Mail>();
  ctx.mai = Mail{};
  auto matches = [&](const Mail& m) {
    switch (role) {
      case NameRole::Sender: return m.FROMALPHA == alpha && m.FROMID == personId;
      case NameRole::Receiver: return m.TOALPHA == alpha && m.TOID == personId;
      case NameRole::Partner: return m.PAIRALPHA == pairAlpha && m.PAIRID == personId;
    }
    return false;
  };
  engine::KeyRef key = Mail::FromKey;
  switch (role) {
    case NameRole::Sender:
      ctx.mai.FROMALPHA = alpha;
      ctx.mai.FROMID = personId;
      break;
    case NameRole::Receiver:
      ctx.mai.TOALPHA = alpha;
      ctx.mai.TOID = personId;
      key = Mail::ToKey;
      break;
    case NameRole::Partner:
      ctx.mai.PAIRALPHA = pairAlpha;
      ctx.mai.PAIRID = personId;
      key = Mail::PairKey;
      break;
  }
  f.setFrom(key);
  while (f.next() == engine::Err::Ok && matches(ctx.mai)) found.push_back(f.position());
  return found;
}

}  // namespace qv::browse
