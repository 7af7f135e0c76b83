#include "browse/person_copies.h"

#include <limits>

#include "store/charset.h"
#include "store/dispatcher.h"

namespace qv::browse {

namespace {

// Name copies compare as the keys compare them.
template <std::size_t N>
bool sameCopy(const FixedString<N>& copy, const FixedString<N>& alpha) {
  return compareKeyText(copy.view(), alpha.view()) == 0;
}

constexpr std::uint32_t kHighestId = std::numeric_limits<std::uint32_t>::max();
constexpr std::int32_t kHighestDate = std::numeric_limits<std::int32_t>::max();

}  // namespace

std::vector<engine::Position> messagesNaming(Context& ctx, NameRole role, std::string_view lastName,
                                            std::uint32_t personId, std::size_t limit) {
  std::vector<engine::Position> found;
  if (role == NameRole::Partner) return found;
  const bool sender = role == NameRole::Sender;
  const FixedString<10> alpha(lastName);
  engine::File& f = ctx.fileOf<MsgNmbr>();
  ctx.msg = MsgNmbr{};
  (sender ? ctx.msg.FROMALPHA : ctx.msg.TOALPHA) = alpha;
  (sender ? ctx.msg.FROMID : ctx.msg.TOID) = personId;
  ctx.msg.MSGNUMBER = kHighestId;  // numbers sort highest first after the person
  f.setFrom(sender ? MsgNmbr::FromKey : MsgNmbr::ToKey);
  while (found.size() < limit && f.next() == engine::Err::Ok) {
    const bool same = sender ? ctx.msg.FROMID == personId && sameCopy(ctx.msg.FROMALPHA, alpha)
                             : ctx.msg.TOID == personId && sameCopy(ctx.msg.TOALPHA, alpha);
    if (!same) break;
    found.push_back(f.position());
  }
  return found;
}

std::vector<engine::Position> mailsNaming(Context& ctx, NameRole role, std::string_view lastName,
                                         std::uint32_t personId, std::size_t limit) {
  std::vector<engine::Position> found;
  const FixedString<10> alpha(lastName);
  const FixedString<25> pairAlpha(lastName);
  engine::File& f = ctx.fileOf<Mail>();
  ctx.mai = Mail{};
  // Date, time and identifier sort newest first after the person.
  ctx.mai.DATE = kHighestDate;
  ctx.mai.TIME = kHighestDate;
  ctx.mai.MAILID = kHighestId;
  auto matches = [&](const Mail& m) {
    switch (role) {
      case NameRole::Sender: return m.FROMID == personId && sameCopy(m.FROMALPHA, alpha);
      case NameRole::Receiver: return m.TOID == personId && sameCopy(m.TOALPHA, alpha);
      case NameRole::Partner: return m.PAIRID == personId && sameCopy(m.PAIRALPHA, pairAlpha);
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
  while (found.size() < limit && f.next() == engine::Err::Ok && matches(ctx.mai)) found.push_back(f.position());
  return found;
}

bool rewriteNameCopies(Context& ctx, std::string_view oldLast, std::string_view newLast, std::uint32_t id) {
  if (databaseType(ctx.mem.ForumType) == DatabaseType::Mail) {
    engine::File& f = ctx.fileOf<Mail>();
    const auto from = mailsNaming(ctx, NameRole::Sender, oldLast, id);
    const auto to = mailsNaming(ctx, NameRole::Receiver, oldLast, id);
    return rewriteAt(ctx, f, from,
                     [&] {
                       ctx.mai.FROMALPHA = newLast;
                       if (ctx.mai.PAIRID == id) ctx.mai.PAIRALPHA = newLast;
                     }) &&
           rewriteAt(ctx, f, to, [&] {
             ctx.mai.TOALPHA = newLast;
             if (ctx.mai.PAIRID == id) ctx.mai.PAIRALPHA = newLast;
           });
  }
  engine::File& f = ctx.fileOf<MsgNmbr>();
  const auto from = messagesNaming(ctx, NameRole::Sender, oldLast, id);
  const auto to = messagesNaming(ctx, NameRole::Receiver, oldLast, id);
  return rewriteAt(ctx, f, from, [&] { ctx.msg.FROMALPHA = newLast; }) &&
         rewriteAt(ctx, f, to, [&] { ctx.msg.TOALPHA = newLast; });
}

}  // namespace qv::browse
