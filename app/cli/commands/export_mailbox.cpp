// quorvel export-mailbox: the messages of a selection as today's mail files
// (mbox, Maildir, or EML for the current message), with a progress bar;
// Ctrl-C stops and keeps the messages written.
#include "app/cli/commands/export_mailbox.h"

#include <CLI/CLI.hpp>
#include <map>

#include "app/cli/commands/db_common.h"
#include "app/cli/env.h"
#include "app/cli/interrupt.h"
#include "export/batch_operation.h"

namespace qv::app::cli {

namespace {

using exporting::MailboxFormat;
using exporting::MailboxResult;

const std::map<std::string, MailboxFormat> kFormats = {
    {"mbox", MailboxFormat::Mbox}, {"maildir", MailboxFormat::Maildir}, {"eml", MailboxFormat::Eml}};

struct MailboxArgs {
  SelectionArgs selection;
  std::string format = "mbox";
  std::string path;
};

}  // namespace

int runMailboxExport(Env& env, const SelectionArgs& a, MailboxFormat format, const std::string& path) {
  if (!useDatabase(env, "Export", a.db)) return kFailure;
  Context& ctx = env.app().ctx();
  exporting::MailboxRequest r;
  r.format = format;
  r.code = selectionCode(a);
  r.range = selectionRange(a);
  r.path = path;
  if (!selectionStart(env, a, r.start)) return kFailure;
  exporting::MailboxExportJob job(ctx, std::move(r));
  runStoppable(job);
  env.ui().endProgressLine();
  const MailboxResult result = job.result();
  if (result == MailboxResult::Refused) return kFailure;
  Record out;
  out.add("result", text(result == MailboxResult::Done        ? "done"
                         : result == MailboxResult::Cancelled ? exporting::kProcessAborted
                                                              : "failed"));
  out.add("path", text(job.path().string()));
  out.add("selected", static_cast<std::int64_t>(job.selected()));
  out.add("written", static_cast<std::int64_t>(job.written()));
  if (job.skipped() != 0) out.add("gone", static_cast<std::int64_t>(job.skipped()));
  print(env.out, out, env.format());
  switch (result) {
    case MailboxResult::Done: return kSuccess;
    case MailboxResult::Cancelled: return kStopped;
    default: return kFailure;
  }
}

void addExportMailboxCommand(CLI::App& app, Env& env) {
  auto a = std::make_shared<MailboxArgs>();
  CLI::App* c = addCommand(app, "export-mailbox", "Export a selection of messages as mbox, Maildir or an EML file",
                           "quorvel export-mailbox --format mbox --select all ~/club.mbox");
  c->add_option("--format", a->format, "mbox (one file), maildir (a directory) or eml (the current message)")
      ->check(CLI::IsMember({"mbox", "maildir", "eml"}));
  addSelectionOptions(c, a->selection);
  c->add_option("path", a->path, "The mbox or EML file, or the Maildir directory")->required();
  c->callback([&env, a] {
    env.action = [a](Env& e) { return runMailboxExport(e, a->selection, kFormats.at(a->format), a->path); };
  });
}

}  // namespace qv::app::cli
