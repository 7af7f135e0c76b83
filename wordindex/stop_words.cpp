#include "wordindex/stop_words.h"

#include <algorithm>

#include "store/charset.h"
#include "store/report.h"
#include "wordindex/index_tables.h"
#include "wordindex/word_cutter.h"

namespace qv::wordindex {

namespace {

bool isWord(std::string_view word) {
  return !word.empty() && word.size() <= kWordMax &&
         std::none_of(word.begin(), word.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

// Puts the word into the record buffer and reads it: Ok, RecordNotFound or
// an error.
engine::Err find(Context& ctx, engine::File& table, std::string_view word) {
  ctx.sto = STO{};
  ctx.sto.THEWORD = upper1252(word);
  return table.get(STO::BY_THEWORD);
}

StopWordChange failed(Context& ctx, engine::File& table) {
  inform(ctx, "Stop Word Error", table.errorText(), MessageKind::Error);
  return StopWordChange::Failed;
}

}  // namespace

std::vector<std::string> listStopWords(Context& ctx) {
  std::vector<std::string> words;
  IndexTable table(ctx, STO::FileNo);
  if (table.status() != engine::Err::Ok) return words;
  ctx.sto = STO{};
  engine::Err e = table.file().setFrom(STO::BY_THEWORD);
  while (e == engine::Err::Ok && (e = table.file().next()) == engine::Err::Ok) words.push_back(ctx.sto.THEWORD.str());
  if (e != engine::Err::RecordNotAvailable) {
    inform(ctx, "Stop Word Error", table.file().errorText(), MessageKind::Error);
    words.clear();
  }
  return words;
}

StopWordChange addStopWord(Context& ctx, std::string_view word) {
  if (!isWord(word)) return StopWordChange::NotAWord;
  IndexTable table(ctx, STO::FileNo);
  if (table.status() != engine::Err::Ok) return StopWordChange::Failed;
  const engine::Err found = find(ctx, table.file(), word);
  if (found == engine::Err::Ok) return StopWordChange::Unchanged;
  if (found != engine::Err::RecordNotFound) return failed(ctx, table.file());
  ctx.sto = STO{};
  ctx.sto.THEWORD = upper1252(word);
  return table.file().add() == engine::Err::Ok ? StopWordChange::Done : failed(ctx, table.file());
}

StopWordChange removeStopWord(Context& ctx, std::string_view word) {
  if (!isWord(word)) return StopWordChange::NotAWord;
  IndexTable table(ctx, STO::FileNo);
  if (table.status() != engine::Err::Ok) return StopWordChange::Failed;
  const engine::Err found = find(ctx, table.file(), word);
  if (found == engine::Err::RecordNotFound) return StopWordChange::Unchanged;
  if (found != engine::Err::Ok) return failed(ctx, table.file());
  return table.file().erase() == engine::Err::Ok ? StopWordChange::Done : failed(ctx, table.file());
}

}  // namespace qv::wordindex
