// quorvel classify and quorvel recode: a topic attached to (or removed from)
// every message of a selection, or their status recoded. A command has no
// open browse, so the selection's starting point is named: --message for
// the current message, --word and --in-topic for the word and topic
// selections; the result-set selection takes the database's stored set.
#include <CLI/CLI.hpp>

#include <map>

#include "app/cli/commands/db_common.h"
#include "app/cli/commands/selection_options.h"
#include "app/cli/env.h"
#include "export/batch_operation.h"
#include "topics/codes.h"

namespace qv::app::cli {

namespace {

using exporting::BatchKind;
using exporting::BatchResult;
using exporting::SelectionCode;

const std::map<std::string, Status> kStatuses = {
    {"normal", Status::Normal}, {"keep", Status::Keep}, {"delete", Status::Delete}};

struct BatchArgs {
  SelectionArgs selection;
  std::string topic, status;
  bool remove = false;
};

int runBatch(Env& env, const BatchArgs& a, BatchKind kind) {
  if (!useDatabase(env, "Batch", a.selection.db)) return kFailure;
  Context& ctx = env.app().ctx();
  exporting::BatchRequest r;
  r.kind = kind;
  r.code = selectionCode(a.selection);
  if (kind == BatchKind::Recode) r.status = kStatuses.at(a.status);
  r.range = selectionRange(a.selection);
  if (kind != BatchKind::Recode && !a.topic.empty()) {
    const std::optional<Codes> t = topics::findCodeNamed(ctx, CodeType::Topic, a.topic);
    if (t) r.topicId = t->ID;
  }
  if (!selectionStart(env, a.selection, r.start)) return kFailure;
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

}  // namespace

void addBatchCommands(CLI::App& app, Env& env) {
  auto a = std::make_shared<BatchArgs>();
  CLI::App* classify = addCommand(app, "classify", "Attach a topic to (or remove it from) a selection of messages",
                                  "quorvel classify --topic Printers --select thread --message 412350");
  classify->add_option("--topic", a->topic, "The topic to attach or remove (text or identifier)");
  classify->add_flag("--remove", a->remove, "Remove the topic instead of attaching it");
  addSelectionOptions(classify, a->selection);
  classify->callback([&env, a] {
    env.action = [a](Env& e) { return runBatch(e, *a, a->remove ? BatchKind::RemoveTopic : BatchKind::AttachTopic); };
  });

  auto b = std::make_shared<BatchArgs>();
  CLI::App* recode = addCommand(app, "recode", "Recode the status of a selection of messages",
                                "quorvel recode --status keep --select sender --message 412350");
  recode->add_option("--status", b->status, "normal, keep or delete")
      ->required()
      ->check(CLI::IsMember({"normal", "keep", "delete"}));
  addSelectionOptions(recode, b->selection);
  recode->callback([&env, b] { env.action = [b](Env& e) { return runBatch(e, *b, BatchKind::Recode); }; });
}

}  // namespace qv::app::cli
