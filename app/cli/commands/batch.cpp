// quorvel classify and quorvel recode: a topic attached to (or removed from)
// every message of a selection, or their status recoded. A command has no
// open browse, so the selection's starting point is named: --message for
// the current message, --word and --in-topic for the word and topic
// selections; the result-set selection takes the database's stored set.
#include <CLI/CLI.hpp>

#include <map>

#include "app/cli/commands/db_common.h"
#include "app/cli/env.h"
#include "export/batch_operation.h"
#include "topics/codes.h"
#include "wordindex/index_tables.h"
#include "wordindex/result_set.h"
#include "wordindex/search_query.h"

namespace qv::app::cli {

namespace {

using exporting::BatchKind;
using exporting::BatchResult;
using exporting::SelectionCode;

const std::map<std::string, SelectionCode> kSelections = {
    {"current", SelectionCode::Current}, {"sender", SelectionCode::Sender},   {"receiver", SelectionCode::Receiver},
    {"thread", SelectionCode::Thread},   {"partner", SelectionCode::Thread},  {"section", SelectionCode::Section},
    {"all", SelectionCode::All},         {"word", SelectionCode::Word},       {"topic", SelectionCode::Topic},
    {"search", SelectionCode::ResultSet}};

const std::map<std::string, Status> kStatuses = {
    {"normal", Status::Normal}, {"keep", Status::Keep}, {"delete", Status::Delete}};

struct BatchArgs {
  std::uint32_t db = 0;
  std::string topic, select = "current", from, to, word, inTopic, status;
  std::uint32_t message = 0;
  bool remove = false;
};

// The selection's starting point; false after saying what is missing.
bool startOf(Env& env, const BatchArgs& a, SelectionCode code, exporting::SelectionStart& start) {
  Context& ctx = env.app().ctx();
  auto missing = [&](const std::string& text) {
    env.ui().message("Selection error", text, MessageKind::Error);
    return false;
  };
  start.message = a.message;
  switch (code) {
    case SelectionCode::Word: {
      if (a.word.empty()) return missing("The word selection needs --word.");
      wordindex::IndexTable words(ctx, WordList::FileNo);
      ctx.wor = WordList{};
      ctx.wor.THEWORD = a.word;
      if (words.status() != engine::Err::Ok || words.file().get(WordList::by_theWord) != engine::Err::Ok)
        return missing("The word \"" + a.word + "\" is not in this database's word index.");
      start.wordId = static_cast<std::uint32_t>(ctx.wor.WORDID);
      return true;
    }
    case SelectionCode::Topic: {
      const std::optional<Codes> t = topics::findCodeNamed(ctx, CodeType::Topic, a.inTopic);
      if (!t) return missing("The topic selection needs --in-topic naming a topic of this database.");
      start.topicId = t->ID;
      return true;
    }
    case SelectionCode::ResultSet: {
      const wordindex::StoredResultSet set = wordindex::readResultSet(ctx);
      if (set.state != wordindex::ResultSetState::Read)
        return missing("No search result set is stored for this database; run quorvel search first.");
      start.resultSet = set.ids;
      return true;
    }
    default:
      if (a.message == 0) return missing("This selection needs --message, the message it starts from.");
      return true;
  }
}

int runBatch(Env& env, const BatchArgs& a, BatchKind kind) {
  if (!useDatabase(env, "Batch", a.db)) return kFailure;
  Context& ctx = env.app().ctx();
  exporting::BatchRequest r;
  r.kind = kind;
  r.code = kSelections.at(a.select);
  if (kind == BatchKind::Recode) r.status = kStatuses.at(a.status);
  if (!a.from.empty() || !a.to.empty()) {
    // A date the parser does not take counts as no date: the range check names the field.
    r.range = exporting::DateRange{wordindex::parseDay(a.from).value_or(0), wordindex::parseDay(a.to).value_or(0)};
  }
  if (kind != BatchKind::Recode && !a.topic.empty()) {
    const std::optional<Codes> t = topics::findCodeNamed(ctx, CodeType::Topic, a.topic);
    if (t) r.topicId = t->ID;
  }
  if (!startOf(env, a, r.code, r.start)) return kFailure;
  exporting::BatchJob job(ctx, std::move(r));
  runToEnd(job);
  env.ui().endProgressLine();
  if (job.result() == BatchResult::Refused) return kFailure;
  Record out;
  out.add("result", text(job.result() == BatchResult::Done        ? exporting::finishedText(kind)
                         : job.result() == BatchResult::Cancelled ? exporting::kProcessAborted
                                                                  : "failed"));
  out.add("selected", static_cast<std::int64_t>(job.selected()));
  out.add(job.recodedContainer() ? "containers recoded" : "messages changed", static_cast<std::int64_t>(job.changed()));
  print(env.out, out, env.format());
  return job.result() == BatchResult::Done ? kSuccess : job.result() == BatchResult::Cancelled ? kStopped : kFailure;
}

void addSelectionOptions(CLI::App* c, BatchArgs& a) {
  c->add_option("--db", a.db, "The database (default: the active one)");
  c->add_option("--select", a.select, "Which messages: the current one, or all of its sender, receiver, thread "
                                      "(mail: partner), section, database, word, topic or the search result set")
      ->check(CLI::IsMember({"current", "sender", "receiver", "thread", "partner", "section", "all", "word", "topic",
                             "search"}));
  c->add_option("--message", a.message, "The current message (mail) the selection starts from");
  c->add_option("--word", a.word, "The word of the word selection");
  c->add_option("--in-topic", a.inTopic, "The topic of the topic selection (text or identifier)");
  c->add_option("--from", a.from, "Only messages from this date on (YYYY-MM-DD)");
  c->add_option("--to", a.to, "Only messages up to this date (YYYY-MM-DD)");
}

}  // namespace

void addBatchCommands(CLI::App& app, Env& env) {
  auto a = std::make_shared<BatchArgs>();
  CLI::App* classify = addCommand(app, "classify", "Attach a topic to (or remove it from) a selection of messages",
                                  "quorvel classify --topic Printers --select thread --message 412350");
  classify->add_option("--topic", a->topic, "The topic to attach or remove (text or identifier)");
  classify->add_flag("--remove", a->remove, "Remove the topic instead of attaching it");
  addSelectionOptions(classify, *a);
  classify->callback([&env, a] {
    env.action = [a](Env& e) { return runBatch(e, *a, a->remove ? BatchKind::RemoveTopic : BatchKind::AttachTopic); };
  });

  auto b = std::make_shared<BatchArgs>();
  CLI::App* recode = addCommand(app, "recode", "Recode the status of a selection of messages",
                                "quorvel recode --status keep --select sender --message 412350");
  recode->add_option("--status", b->status, "normal, keep or delete")
      ->required()
      ->check(CLI::IsMember({"normal", "keep", "delete"}));
  addSelectionOptions(recode, *b);
  recode->callback([&env, b] { env.action = [b](Env& e) { return runBatch(e, *b, BatchKind::Recode); }; });
}

}  // namespace qv::app::cli
