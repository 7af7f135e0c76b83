#include "store/topic_links.h"

#include "store/records.h"
#include "store/report.h"

namespace qv {

using engine::Err;

std::optional<Codes> findCode(Context& ctx, std::uint32_t id) {
  engine::File& codes = ctx.fileOf<Codes>();
  Err e = codes.set();
  while (e == Err::Ok && (e = codes.next()) == Err::Ok)
    if (ctx.cod.ID == id) return ctx.cod;
  return std::nullopt;
}

bool isLinked(Context& ctx, std::uint32_t topicId, std::uint32_t message) {
  ctx.sin = SIndex{};
  ctx.sin.ID = topicId;
  ctx.sin.MSGNUMBER = message;
  return ctx.fileOf<SIndex>().get(SIndex::IdKey) == Err::Ok;
}

LinkChange changeTopicLink(Context& ctx, const Codes& topic, std::uint32_t message, bool link) {
  engine::File& links = ctx.fileOf<SIndex>();
  engine::File& codes = ctx.fileOf<Codes>();
  ctx.sin = SIndex{};
  ctx.sin.ID = topic.ID;
  ctx.sin.MSGNUMBER = message;
  const Err found = links.get(SIndex::IdKey);
  if (found != Err::Ok && found != Err::RecordNotFound) {
    inform(ctx, "Error!", links.errorText(), MessageKind::Error);
    return LinkChange::Failed;
  }
  if ((found == Err::Ok) == link) return LinkChange::Unchanged;
  if (link) {
    ctx.sin = SIndex{};
    ctx.sin.ID = topic.ID;
    ctx.sin.MSGNUMBER = message;
  }
  if (UppDat(ctx, links, link ? kUppAdd : kUppDelete, kRollback) != kUppDatDone) return LinkChange::Failed;

  ctx.cod = Codes{};
  ctx.cod.TYPE = topic.TYPE;
  ctx.cod.INDEX = topic.INDEX;
  if (HoldRec(ctx, codes, Codes::ClassKey, true, 0) != kHoldRecHeld) return LinkChange::Failed;
  if (link)
    ctx.cod.COUNT = ctx.cod.COUNT + 1;
  else if (ctx.cod.COUNT > 0)
    ctx.cod.COUNT = ctx.cod.COUNT - 1;
  if (UppDat(ctx, codes, kUppPut, kRollback) != kUppDatDone) return LinkChange::Failed;
  return LinkChange::Done;
}

}  // namespace qv
