#include "topics/codes.h"

#include <cstring>

#include "store/dates.h"
#include "store/fixed_string.h"
#include "store/records.h"
#include "store/report.h"
#include "store/table_use.h"
#include "store/topic_links.h"
#include "topics/topic_texts.h"

namespace qv::topics {

using engine::Err;

namespace {

std::uint8_t typeByte(CodeType type) { return static_cast<std::uint8_t>(type); }

bool allDigits(std::string_view s) {
  return !s.empty() && s.size() <= 9 && s.find_first_not_of("0123456789") == std::string_view::npos;
}

// The code of `type` with text `text`, letter case aside (Codes open).
std::optional<Codes> byText(Context& ctx, std::uint8_t type, std::string_view text) {
  ctx.cod = Codes{};
  ctx.cod.TYPE = type;
  ctx.cod.INDEX = text;
  if (ctx.fileOf<Codes>().get(Codes::ClassKey) != Err::Ok) return std::nullopt;
  return ctx.cod;
}

// The positions of the links of topic `id` (SIndex open).
std::vector<engine::Position> linksOf(Context& ctx, std::uint32_t id, std::size_t& count) {
  std::vector<engine::Position> out;
  engine::File& links = ctx.fileOf<SIndex>();
  ctx.sin = SIndex{};
  ctx.sin.ID = id;
  ctx.sin.MSGNUMBER = UINT32_MAX;  // message numbers stand highest first
  Err e = links.setFrom(SIndex::IdKey);
  while (e == Err::Ok && (e = links.next()) == Err::Ok && ctx.sin.ID == id) out.push_back(links.position());
  count = out.size();
  return out;
}

}  // namespace

std::vector<Codes> listCodes(Context& ctx, CodeType type) {
  std::vector<Codes> out;
  TableUse use(ctx, {Codes::FileNo});
  engine::File& codes = ctx.fileOf<Codes>();
  ctx.cod = Codes{};
  ctx.cod.TYPE = typeByte(type);
  Err e = codes.setFrom(Codes::ClassKey);
  while (e == Err::Ok && (e = codes.next()) == Err::Ok && ctx.cod.TYPE == typeByte(type)) out.push_back(ctx.cod);
  return out;
}

std::optional<Codes> findCodeNamed(Context& ctx, CodeType type, std::string_view name) {
  TableUse use(ctx, {Codes::FileNo});
  if (std::optional<Codes> c = byText(ctx, typeByte(type), name)) return c;
  if (!allDigits(name)) return std::nullopt;
  const std::optional<Codes> c = findCode(ctx, static_cast<std::uint32_t>(std::stoul(std::string(name))));
  if (!c || c->TYPE != typeByte(type)) return std::nullopt;
  return c;
}

std::optional<std::size_t> refreshTopicCounts(Context& ctx) {
  TableUse use(ctx, {Codes::FileNo, SIndex::FileNo});
  engine::File& codes = ctx.fileOf<Codes>();
  if (codes.lock(5) != Err::Ok) {
    inform(ctx, texts::kWarning, codes.errorText(), MessageKind::Warning);
    return std::nullopt;
  }
  codes.stream();
  std::size_t corrected = 0;
  bool ok = true;
  for (const Codes& topic : listCodes(ctx, CodeType::Topic)) {
    std::size_t links = 0;
    linksOf(ctx, topic.ID, links);
    if (links == topic.COUNT) continue;
    ctx.cod = topic;
    if (codes.get(Codes::ClassKey) != Err::Ok) continue;  // renamed or deleted meanwhile
    ctx.cod.COUNT = static_cast<std::uint32_t>(links);
    if (UppDat(ctx, codes, kUppPut, kReport) != kUppDatDone) {
      ok = false;
      break;
    }
    ++corrected;
  }
  codes.flush();
  codes.unlock();
  if (!ok) return std::nullopt;
  return corrected;
}

CodeAdded addCode(Context& ctx, CodeType type, std::string_view text, bool matchCase, bool wholeWords) {
  CodeAdded out;
  TableUse use(ctx, {Codes::FileNo});
  if (byText(ctx, typeByte(type), text)) {
    out.result = CodeFormResult::Duplicate;
    return out;
  }
  const std::uint32_t id = NextNr(ctx);
  if (id == kNoIdentifier) return out;
  ctx.cod = Codes{};
  ctx.cod.TYPE = typeByte(type);
  ctx.cod.INDEX = text;
  ctx.cod.ID = id;
  ctx.cod.COUNT = 0;
  ctx.cod.DATE = dates::today();
  ctx.cod.TIME = dates::clockNow();
  const bool keyWord = type == CodeType::KeyWord;
  ctx.cod.CHARCASE = keyWord && matchCase ? 1 : 0;
  ctx.cod.WORDONLY = keyWord && wholeWords ? 1 : 0;
  out.code = ctx.cod;
  if (UppDat(ctx, ctx.fileOf<Codes>(), kUppAdd, kReport) != kUppDatDone) return out;
  out.result = CodeFormResult::Done;
  return out;
}

CodeFormResult changeCode(Context& ctx, const Codes& opened, std::string_view text, bool matchCase, bool wholeWords) {
  TableUse use(ctx, {Codes::FileNo});
  engine::File& codes = ctx.fileOf<Codes>();
  const std::optional<Codes> other = byText(ctx, opened.TYPE, text);
  if (other && other->ID != opened.ID) return CodeFormResult::Duplicate;
  ctx.cod = opened;
  if (HoldRec(ctx, codes, Codes::ClassKey, true, 0) != kHoldRecHeld) return CodeFormResult::Failed;
  if (std::memcmp(&ctx.cod, &opened, sizeof(Codes)) != 0) {
    codes.release();
    inform(ctx, texts::kWarning, texts::kChangedMeanwhile, MessageKind::Warning);
    return CodeFormResult::ChangedMeanwhile;
  }
  ctx.cod.INDEX = text;
  const bool keyWord = opened.TYPE == static_cast<std::uint8_t>(CodeType::KeyWord);
  ctx.cod.CHARCASE = keyWord && matchCase ? 1 : 0;
  ctx.cod.WORDONLY = keyWord && wholeWords ? 1 : 0;
  return UppDat(ctx, codes, kUppPut, kReport) == kUppDatDone ? CodeFormResult::Done : CodeFormResult::Failed;
}

CodeFormResult deleteCode(Context& ctx, const Codes& opened) {
  TableUse use(ctx, {Codes::FileNo, SIndex::FileNo});
  engine::File& codes = ctx.fileOf<Codes>();
  engine::File& links = ctx.fileOf<SIndex>();
  Transaction t(ctx, {&links, &codes});
  if (!t.started()) return CodeFormResult::Failed;
  // Links added or removed meanwhile change only the count: still the same code.
  ctx.cod = opened;
  if (codes.get(Codes::ClassKey) != Err::Ok || ctx.cod.ID != opened.ID) {
    inform(ctx, texts::kWarning, texts::kChangedMeanwhile, MessageKind::Warning);
    return CodeFormResult::ChangedMeanwhile;
  }
  std::size_t count = 0;
  for (const engine::Position pos : linksOf(ctx, opened.ID, count)) {
    if (links.getPosition(pos) != Err::Ok) return CodeFormResult::Failed;
    if (UppDat(ctx, links, kUppDelete, kRollback) != kUppDatDone) return CodeFormResult::Failed;
  }
  ctx.cod = opened;
  if (HoldRec(ctx, codes, Codes::ClassKey, true, 0) != kHoldRecHeld) return CodeFormResult::Failed;
  if (UppDat(ctx, codes, kUppDelete, kRollback) != kUppDatDone) return CodeFormResult::Failed;
  return t.commit() ? CodeFormResult::Done : CodeFormResult::Failed;
}

}  // namespace qv::topics
