#include "wordindex/index_state.h"

#include "store/report.h"

namespace qv::wordindex {

using engine::Err;

std::uint32_t fingerprint(const DelimiterSet& set, const CutOptions& options) {
  // FNV-1a over everything that decides which words a text gives.
  std::uint32_t h = 2166136261u;
  auto mix = [&h](std::uint8_t b) {
    h ^= b;
    h *= 16777619u;
  };
  for (const auto* column : {&set.startWord, &set.inWord, &set.endWord, &set.isJunk})
    for (std::uint8_t b : *column) mix(b != 0);
  mix(options.excludeNumbers);
  mix(options.excludeTagLines);
  mix(static_cast<std::uint8_t>(options.minLength));
  // 0 and the marks' own values never serve as a fingerprint: keep it positive.
  return (h & 0x7FFFFFFFu) | 1u;
}

bool readMarks(Context& ctx, IndexMarks& out) {
  out = IndexMarks{};
  engine::File& pur = ctx.fileOf<PUR>();
  Err e = pur.set();
  while (e == Err::Ok && (e = pur.next()) == Err::Ok) {
    switch (ctx.pur.WORDID) {
      case kIndexedMark: out.indexed.insert(static_cast<std::uint32_t>(ctx.pur.SYSID)); break;
      case kFullIndexRunning: out.fullRunning = true; break;
      case kBuiltWith: out.builtWith = static_cast<std::uint32_t>(ctx.pur.SYSID); break;
      default: break;
    }
  }
  if (e == Err::RecordNotAvailable) return true;
  inform(ctx, "Word Index Error", pur.errorText(), MessageKind::Error);
  return false;
}

Err addMark(Context& ctx, std::uint32_t value, std::int32_t mark) {
  ctx.pur.SYSID = static_cast<std::int32_t>(value);
  ctx.pur.WORDID = mark;
  return ctx.fileOf<PUR>().add();
}

Err eraseMarks(Context& ctx, std::int32_t mark) {
  engine::File& pur = ctx.fileOf<PUR>();
  Err e = pur.set();
  while (e == Err::Ok && (e = pur.next()) == Err::Ok)
    if (ctx.pur.WORDID == mark) e = pur.erase();
  return e == Err::RecordNotAvailable ? Err::Ok : e;
}

}  // namespace qv::wordindex
