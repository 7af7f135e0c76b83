// quorvel print: the messages of a selection laid out on pages and written
// as a PDF file (by default "Messages.pdf" in the temporary directory);
// --print then hands the file to the print queue through CUPS's lp.
// Ctrl-C stops and keeps the pages of the messages laid out so far.
#include <CLI/CLI.hpp>

#include <filesystem>

#include "app/cli/commands/db_common.h"
#include "app/cli/commands/selection_options.h"
#include "app/cli/env.h"
#include "app/cli/interrupt.h"
#include "app/print/pdf_pages.h"
#include "app/print/print_queue.h"
#include "export/batch_operation.h"

namespace qv::app::cli {

namespace {

namespace fs = std::filesystem;
using exporting::PrintResult;

struct PrintArgs {
  SelectionArgs selection;
  std::string pdf;
  bool queue = false;
};

int run(Env& env, const PrintArgs& a) {
  if (!useDatabase(env, "Print", a.selection.db)) return kFailure;
  Context& ctx = env.app().ctx();
  const fs::path pdf = a.pdf.empty() ? ctx.mem.TempDir / kDefaultPrintFile : fs::absolute(a.pdf);
  exporting::PrintRequest r;
  r.code = selectionCode(a.selection);
  r.range = selectionRange(a.selection);
  r.layout = PdfPages::layout();
  if (!selectionStart(env, a.selection, r.start)) return kFailure;
  PdfPages pages(pdf, env.ui());
  if (!pages.ok()) return kFailure;
  exporting::PrintJob job(ctx, std::move(r), pages);
  runStoppable(job);
  env.ui().endProgressLine();
  const PrintResult result = job.result();
  const bool written = pages.finish();
  if (result == PrintResult::Refused) return kFailure;
  Record out;
  out.add("result", text(result == PrintResult::Done      ? "done"
                         : result == PrintResult::Stopped ? exporting::kProcessAborted
                                                          : "failed"));
  out.add("messages", static_cast<std::int64_t>(job.printed()));
  out.add("pages", static_cast<std::int64_t>(job.pages()));
  if (written) out.add("path", text(pdf.string()));
  bool queued = false;
  if (a.queue && written) {
    const QueueResult sent = sendToPrintQueue(pdf);
    if (sent == QueueResult::NoQueue) env.ui().message("Print", kNoPrintQueueText, MessageKind::Warning);
    queued = sent == QueueResult::Sent;
    out.add("sent to the print queue", text(queued ? "yes" : "no"));
  }
  print(env.out, out, env.format());
  if (result == PrintResult::Stopped) return kStopped;
  return result == PrintResult::Done && (written || job.pages() == 0) && (!a.queue || queued) ? kSuccess : kFailure;
}

}  // namespace

void addPrintCommand(CLI::App& app, Env& env) {
  auto a = std::make_shared<PrintArgs>();
  CLI::App* c = addCommand(app, "print", "Print a selection of messages to a PDF file (and the print queue)",
                           "quorvel print --select thread --message 412350 --pdf thread.pdf");
  addSelectionOptions(c, a->selection);
  c->add_option("--pdf", a->pdf, "The PDF file to write (default: Messages.pdf in the temporary directory)");
  c->add_flag("--print", a->queue, "Also send the PDF file to the print queue (CUPS's lp)");
  c->callback([&env, a] { env.action = [a](Env& e) { return run(e, *a); }; });
}

}  // namespace qv::app::cli
