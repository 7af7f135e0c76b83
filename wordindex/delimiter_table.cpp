#include "wordindex/delimiter_table.h"

#include <string>

#include "store/charset.h"
#include "store/table_use.h"

namespace qv::wordindex {

namespace {

constexpr int kCharacters = 256;

bool sameSet(const WD& row, std::string_view setName) { return compareKeyText(row.SETNAME.view(), setName) == 0; }

}  // namespace

std::optional<DelimiterSet> loadDelimiters(Context& ctx, std::string_view setName) {
  TableUse use(ctx, {WD::FileNo});
  engine::File& table = ctx.fileOf<WD>();
  ctx.wd = WD{};
  ctx.wd.SETNAME = setName;
  DelimiterSet set;
  bool found = false;
  engine::Err e = table.setFrom(WD::BY_SETNAME);
  while (e == engine::Err::Ok && (e = table.next()) == engine::Err::Ok && sameSet(ctx.wd, setName)) {
    const unsigned char c = ctx.wd.ID;
    set.startWord[c] = ctx.wd.STARTWORD != 0;
    set.inWord[c] = ctx.wd.INWORD != 0;
    set.endWord[c] = ctx.wd.ENDWORD != 0;
    set.isJunk[c] = set.startWord[c] == 0 && set.inWord[c] == 0 && set.endWord[c] == 0;
    found = true;
  }
  if (!found) return std::nullopt;
  return set;
}

bool storeDelimiters(Context& ctx, std::string_view setName, const DelimiterSet& set) {
  TableUse use(ctx, {WD::FileNo});
  engine::File& table = ctx.fileOf<WD>();
  Transaction transaction(ctx, {&table});
  if (!transaction.started()) return false;
  for (int i = 0; i < kCharacters; ++i) {
    const auto c = static_cast<unsigned char>(i);
    ctx.wd = WD{};
    ctx.wd.SETNAME = setName;
    ctx.wd.ID = c;
    const engine::Err found = table.get(WD::BY_SETNAME);
    if (found != engine::Err::Ok && found != engine::Err::RecordNotFound) {
      inform(ctx, "Word Delimiter Error", table.errorText(), MessageKind::Error);
      return false;
    }
    ctx.wd.SETNAME = setName;  // a read that found nothing may leave the buffer changed
    ctx.wd.ID = c;
    const bool junk = set.isJunk[c] != 0;
    ctx.wd.STARTWORD = !junk && set.startWord[c] != 0;
    ctx.wd.INWORD = !junk && set.inWord[c] != 0;
    ctx.wd.ENDWORD = !junk && set.endWord[c] != 0;
    if ((found == engine::Err::Ok ? table.put() : table.add()) != engine::Err::Ok) {
      inform(ctx, "Word Delimiter Error", table.errorText(), MessageKind::Error);
      return false;
    }
  }
  return transaction.commit();
}

}  // namespace qv::wordindex
