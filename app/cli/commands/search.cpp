// quorvel search: the messages of a database that hold some words, as
// browse lines, newest first (or in another order of the result view).
#include <CLI/CLI.hpp>

#include <map>
#include <optional>
#include <unordered_map>

#include "app/cli/commands/db_common.h"
#include "app/cli/env.h"
#include "text/text_encoding.h"
#include "store/dates.h"
#include "store/table_use.h"
#include "wordindex/result_set.h"
#include "wordindex/search.h"

namespace qv::app::cli {

namespace {

constexpr const char* kTitle = "Word Search";

struct SearchArgs {
  std::uint32_t db = 0;
  bool phrase = false;
  bool stored = false;
  std::string sort;
  std::vector<std::string> terms;
};

using wordindex::ResultOrder;

const std::map<std::string, ResultOrder> kOrders = {
    {"date", ResultOrder::Date},         {"thread", ResultOrder::Thread},     {"section", ResultOrder::Section},
    {"sender", ResultOrder::Sender},     {"receiver", ResultOrder::Receiver}, {"partner", ResultOrder::Partner},
    {"subject", ResultOrder::Subject}};

// One result as the browse shows it: date, subject, sender, receiver.
// Persons repeat from line to line: each is read once.
using PersonTexts = std::unordered_map<std::uint32_t, std::string>;

const std::string& person(Context& ctx, PersonTexts& known, std::uint32_t id) {
  auto [it, added] = known.try_emplace(id);
  if (added) it->second = personText(ctx, id);
  return it->second;
}

// A thread's heading is the subject of each of its messages.
const std::string& threadHeading(Context& ctx, std::unordered_map<std::uint32_t, std::string>& known,
                                 std::uint32_t thread) {
  auto [it, added] = known.try_emplace(thread);
  if (added) {
    ctx.thr = Threads{};
    ctx.thr.THREADNUMBER = thread;
    if (ctx.fileOf<Threads>().get(Threads::ThreadKey) == engine::Err::Ok) {
      it->second = ctx.thr.HEADING();
      while (!it->second.empty() && it->second.back() == ' ') it->second.pop_back();
    }
  }
  return it->second;
}

// Lists the results as browse lines. The headers the search read already
// (`known`, any order) are not read again; a stored set's are.
void printLines(Env& env, Context& ctx, const std::vector<std::uint32_t>& ids,
                const std::vector<wordindex::FoundHeader>& known = {}) {
  const bool mail = databaseType(ctx.mem.ForumType) == DatabaseType::Mail;
  // A mail carries its subject; a forum message's is its thread's.
  TableUse tables(ctx, mail ? std::initializer_list<int>{Mail::FileNo, Person::FileNo}
                            : std::initializer_list<int>{MsgNmbr::FileNo, Threads::FileNo, Person::FileNo});
  Listing out({"id", "date", mail ? "subject" : "thread", "sender", "receiver"});
  const engine::ReadBurst reading{&ctx.fileOf<Mail>(), &ctx.fileOf<MsgNmbr>(), &ctx.fileOf<Threads>(),
                                  &ctx.fileOf<Person>()};
  std::unordered_map<std::uint32_t, const wordindex::FoundHeader*> byId;
  for (const wordindex::FoundHeader& h : known) byId.emplace(h.id, &h);
  PersonTexts persons;
  std::unordered_map<std::uint32_t, std::string> headings;
  for (std::uint32_t id : ids) {
    std::optional<wordindex::FoundHeader> read;
    const wordindex::FoundHeader* h = nullptr;
    if (const auto it = byId.find(id); it != byId.end()) {
      h = it->second;
    } else if ((read = wordindex::readFoundHeader(ctx, id, mail))) {
      h = &*read;
    }
    if (h == nullptr) {  // gone since it was found: an empty line keeps the numbering
      out.addRow({static_cast<std::int64_t>(id), text(""), text(""), text(person(ctx, persons, 0)),
                  text(person(ctx, persons, 0))});
      continue;
    }
    const std::string& subject = mail ? h->subject : threadHeading(ctx, headings, h->thread);
    out.addRow({static_cast<std::int64_t>(id), text(h->date != 0 ? dates::formatDate(h->date, dates::kDateYyyyMmDd) : ""),
                text(subject), text(person(ctx, persons, h->fromId)), text(person(ctx, persons, h->toId))});
  }
  print(env.out, out, env.format());
}

// The result set stored by the last search.
int showStored(Env& env, Context& ctx) {
  const wordindex::StoredResultSet set = wordindex::readResultSet(ctx);
  switch (set.state) {
    case wordindex::ResultSetState::Read: printLines(env, ctx, set.ids); return kSuccess;
    case wordindex::ResultSetState::NoSet:
      env.ui().message(kTitle, "No search result set is stored.", MessageKind::Information);
      printLines(env, ctx, {});
      return kSuccess;
    case wordindex::ResultSetState::OtherDatabase:
      env.ui().message(kTitle,
                       "The stored search result set belongs to database " + std::to_string(set.database) +
                           ", not to this one.",
                       MessageKind::Error);
      return kFailure;
    case wordindex::ResultSetState::Failed: return kFailure;
  }
  return kFailure;
}

int runSearch(Env& env, const SearchArgs& a) {
  if (!useDatabase(env, kTitle, a.db)) return kFailure;
  Context& ctx = env.app().ctx();
  if (a.stored) return showStored(env, ctx);
  const DatabaseType type = databaseType(ctx.mem.ForumType);
  if (!a.sort.empty() && !wordindex::offers(type, kOrders.at(a.sort))) {
    env.ui().message(kTitle, "The results of this database cannot be sorted by " + a.sort + ".", MessageKind::Error);
    return kUsage;
  }
  std::vector<std::string> terms;
  for (const std::string& t : a.terms) terms.push_back(cp1252FromUtf8(t));
  if (terms.empty()) {
    env.ui().message(kTitle, "Give the words to search for (or --stored).", MessageKind::Error);
    return kUsage;
  }
  wordindex::SearchQuery query;
  if (const std::string why = wordindex::parseQuery(terms, a.phrase, query); !why.empty()) {
    env.ui().message(kTitle, why, MessageKind::Error);
    return kUsage;
  }
  // The search reads the results' headers and the listing reads them again:
  // kept open in between, the second reading finds them in the table's cache.
  const bool mail = type == DatabaseType::Mail;
  TableUse headers(ctx, mail ? std::initializer_list<int>{Mail::FileNo, Person::FileNo}
                             : std::initializer_list<int>{MsgNmbr::FileNo, Threads::FileNo, Person::FileNo});
  wordindex::Searcher searcher(ctx);
  const wordindex::SearchOutcome found = searcher.run(query);
  switch (found.result) {
    case wordindex::SearchResult::Found: break;
    case wordindex::SearchResult::OnlyStopWords:
      env.ui().message(kTitle, "Every word of the search is a stop word: there is nothing to search for.",
                       MessageKind::Error);
      return kFailure;
    case wordindex::SearchResult::IndexNotReady:
      env.ui().message(kTitle, found.note + "\r\nRun: quorvel index --full", MessageKind::Error);
      return kFailure;
    case wordindex::SearchResult::Stopped: return kStopped;
    case wordindex::SearchResult::Failed: return kFailure;
  }
  if (!found.stopWords.empty()) {
    std::string words;
    for (const std::string& w : found.stopWords) words += (words.empty() ? "" : " ") + w;
    env.ui().message(kTitle, "Left out as stop words: " + words + ".", MessageKind::Information);
  }
  // The set is stored for the browses' result view, in the order asked for.
  wordindex::ResultSet set{found.ids, ResultOrder::Result};
  if (!a.sort.empty()) {
    if (wordindex::resort(ctx, set, kOrders.at(a.sort), std::nullopt).result != wordindex::ResortResult::Sorted)
      return kFailure;
  } else if (wordindex::storeResultSet(ctx, set.ids) != wordindex::StoreResult::Stored) {
    return kFailure;
  }
  printLines(env, ctx, set.ids, found.headers);
  return kSuccess;
}

}  // namespace

void addSearchCommand(CLI::App& app, Env& env) {
  auto a = std::make_shared<SearchArgs>();
  CLI::App* c = addCommand(app, "search", "Find the messages that hold some words",
                           "quorvel search --db 250001 modem OR printer from:ann date:1995-01-01..1995-12-31");
  c->add_option("--db", a->db, "The database (default: the active one)");
  c->add_flag("--phrase", a->phrase, "The words must stand next to each other, in this order");
  c->add_option("--sort", a->sort, "The order of the results (default: newest first)")
      ->check(CLI::IsMember({"date", "thread", "section", "sender", "receiver", "partner", "subject"}));
  auto* words = c->add_option("WORD", a->terms,
                              "Words (all must be there; OR between two words: one of them), a word ending in * for "
                              "every word it begins, from:NAME, to:NAME, subject:WORD, date:YYYY-MM-DD..YYYY-MM-DD");
  c->add_flag("--stored", a->stored, "Show the result set the last search stored")->excludes(words);
  c->callback([&env, a] { env.action = [a](Env& e) { return runSearch(e, *a); }; });
}

}  // namespace qv::app::cli
