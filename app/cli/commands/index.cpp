// quorvel index: build or bring up to date a database's word index;
// quorvel index-settings: how indexes are built; quorvel words: the word
// list by count.
#include <CLI/CLI.hpp>

#include <algorithm>

#include "app/cli/commands/db_common.h"
#include "app/cli/env.h"
#include "import/task_lock.h"
#include "wordindex/index_settings.h"
#include "wordindex/index_tables.h"
#include "wordindex/indexer.h"

namespace qv::app::cli {

namespace {

using wordindex::IndexMode;
using wordindex::IndexResult;

struct IndexArgs {
  std::uint32_t db = 0;
  bool full = false, partial = false, recount = false;
};

const char* resultName(IndexResult r) {
  switch (r) {
    case IndexResult::Done: return "done";
    case IndexResult::Refused: return "refused";
    case IndexResult::Busy: return "busy";
    case IndexResult::Cancelled: return "stopped";
    case IndexResult::Failed: return "failed";
  }
  return "";
}

int runIndex(Env& env, const IndexArgs& a) {
  if (!useDatabase(env, "Word Index", a.db)) return kFailure;
  // Not beside a scheduled task's housekeeping (or another command) on this database.
  DatabaseWork work(env.app().ctx().mem.Net, env.app().ctx().mem.ForumNumber);
  if (!work.refusal().empty()) {
    env.ui().message(kDatabaseBusyTitle, work.refusal(), MessageKind::Error);
    return kFailure;
  }
  const IndexMode mode = a.full ? IndexMode::Full : a.recount ? IndexMode::Recount : IndexMode::Partial;
  wordindex::IndexJob job(env.app().ctx(), mode);
  runToEnd(job);
  env.ui().endProgressLine();
  const wordindex::IndexSummary& s = job.summary();
  Record out;
  out.add("result", text(resultName(s.result)));
  out.add("mode", text(wordindex::modeName(s.mode)));
  out.add("messages indexed", s.messages);
  out.add("occurrences written", s.rows);
  out.add("words", s.words);
  std::string stops;
  for (const std::string& w : s.newStopWords) stops += (stops.empty() ? "" : " ") + w;
  out.add("new stop words", text(stops));
  if (mode == IndexMode::Recount) {
    out.add("counts corrected", s.countsCorrected);
    out.add("messages not indexed", s.notIndexed);
    out.add("needed", text(s.recommended ? std::string(wordindex::modeName(*s.recommended)) + " index" : "nothing"));
  }
  out.add("milliseconds", static_cast<std::int64_t>(s.seconds * 1000));
  if (!s.note.empty()) out.add("note", text(s.note));
  print(env.out, out, env.format());
  if (!stops.empty())
    env.ui().message("Word Index",
                     "Found in over a quarter of the messages and made stop words for every database: " + stops +
                         ".\r\nOther databases keep them until their next full index.",
                     MessageKind::Information);
  if (s.result == IndexResult::Refused)
    env.ui().message("Word Index", s.note + "\r\nRun: quorvel index --full", MessageKind::Error);
  if (s.result == IndexResult::Busy) env.ui().message("Word Index", s.note, MessageKind::Error);
  return s.result == IndexResult::Done ? kSuccess : s.result == IndexResult::Cancelled ? kStopped : kFailure;
}

struct SettingsArgs {
  std::string rule, numbers, tagLines;
  std::int32_t pauseAfter = 0;
  std::string set;
};

int runSettings(Env& env, const SettingsArgs& a) {
  Context& ctx = env.app().ctx();
  wordindex::IndexSettings s = wordindex::loadIndexSettings(ctx);
  const bool change = !a.rule.empty() || !a.numbers.empty() || !a.tagLines.empty() || a.pauseAfter > 0 || !a.set.empty();
  if (!a.rule.empty()) s.stopWordRule = a.rule == "on";
  if (!a.numbers.empty()) s.excludeNumbers = a.numbers == "off";
  if (!a.tagLines.empty()) s.excludeTagLines = a.tagLines == "off";
  if (a.pauseAfter > 0) s.pauseAfterRows = a.pauseAfter;
  if (!a.set.empty()) s.delimiterSet = a.set;
  if (change && !wordindex::saveIndexSettings(ctx, s)) {
    env.ui().message("Word Index", "The index settings could not be saved.", MessageKind::Error);
    return kFailure;
  }
  Record out;
  out.add("stop word rule", s.stopWordRule);
  out.add("numbers indexed", !s.excludeNumbers);
  out.add("tag lines indexed", !s.excludeTagLines);
  out.add("pause after index entries", static_cast<std::int64_t>(s.pauseAfterRows));
  out.add("delimiter set", text(s.delimiterSet));
  print(env.out, out, env.format());
  return kSuccess;
}

struct WordsArgs {
  std::uint32_t db = 0;
  std::int64_t top = 50;
};

int runWords(Env& env, const WordsArgs& a) {
  if (!useDatabase(env, "Word List", a.db)) return kFailure;
  Context& ctx = env.app().ctx();
  wordindex::IndexTable list(ctx, WordList::FileNo);
  if (list.status() != engine::Err::Ok) {
    if (list.needsRebuild())
      env.ui().message("Word List", "The word index of this database must be rebuilt.\r\nRun: quorvel index --full",
                       MessageKind::Error);
    return kFailure;
  }
  std::vector<std::pair<std::int32_t, std::string>> words;
  engine::File& f = list.file();
  engine::Err e = f.set();
  while (e == engine::Err::Ok && (e = f.next()) == engine::Err::Ok) words.emplace_back(+ctx.wor.WORDCOUNT, ctx.wor.THEWORD.str());
  std::sort(words.begin(), words.end(), [](const auto& x, const auto& y) {
    return x.first != y.first ? x.first > y.first : x.second < y.second;
  });
  if (a.top > 0 && static_cast<std::int64_t>(words.size()) > a.top) words.resize(static_cast<std::size_t>(a.top));
  Listing out({"word", "messages"});
  for (const auto& [count, word] : words) out.addRow({text(word), static_cast<std::int64_t>(count)});
  print(env.out, out, env.format());
  return kSuccess;
}

}  // namespace

void addIndexCommands(CLI::App& app, Env& env) {
  auto a = std::make_shared<IndexArgs>();
  CLI::App* c = addCommand(app, "index", "Build or bring up to date a database's word index",
                           "quorvel index --db 250001 --full");
  c->add_option("--db", a->db, "The database (default: the active one)");
  auto* full = c->add_flag("--full", a->full, "Index every message anew");
  auto* partial = c->add_flag("--partial", a->partial, "Index the messages not yet indexed (the default)");
  auto* recount = c->add_flag("--recount", a->recount, "Recount the indexed words and say which index is needed");
  full->excludes(partial)->excludes(recount);
  partial->excludes(recount);
  c->callback([&env, a] { env.action = [a](Env& e) { return runIndex(e, *a); }; });

  auto s = std::make_shared<SettingsArgs>();
  CLI::App* st = addCommand(app, "index-settings", "Show or change how word indexes are built and searched",
                            "quorvel index-settings --numbers off --stop-word-rule on");
  const auto onOff = CLI::IsMember({"on", "off"});
  st->add_option("--stop-word-rule", s->rule, "Make words in over a quarter of the messages stop words")->check(onOff);
  st->add_option("--numbers", s->numbers, "Index numbers and words beginning with a digit")->check(onOff);
  st->add_option("--tag-lines", s->tagLines, "Index the tag lines of forum and newsgroup messages")->check(onOff);
  st->add_option("--pause-after", s->pauseAfter, "Index entries a search reads before asking whether to go on")
      ->check(CLI::PositiveNumber);
  st->add_option("--delimiter-set", s->set, "The delimiter set to index with (a change needs a full index)");
  st->callback([&env, s] { env.action = [s](Env& e) { return runSettings(e, *s); }; });

  auto w = std::make_shared<WordsArgs>();
  CLI::App* wc = addCommand(app, "words", "List the indexed words of a database by the number of messages",
                            "quorvel words --db 250001 --top 20");
  wc->add_option("--db", w->db, "The database (default: the active one)");
  wc->add_option("--top", w->top, "How many words (0: all)")->check(CLI::NonNegativeNumber);
  wc->callback([&env, w] { env.action = [w](Env& e) { return runWords(e, *w); }; });
}

}  // namespace qv::app::cli
