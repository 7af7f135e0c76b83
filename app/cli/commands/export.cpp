// quorvel export: a selection of messages written to files in the
// temporary directory in another program's format; the full path of each
// file written is printed. A command has no open browse, so the selection's
// starting point is named as for classify and recode. Ctrl-C stops the run
// as the window's stop button does: the files keep what was written.
#include <CLI/CLI.hpp>
#include <array>

#include "app/cli/commands/db_common.h"
#include "app/cli/commands/export_mailbox.h"
#include "app/cli/commands/selection_options.h"
#include "app/cli/env.h"
#include "app/cli/interrupt.h"
#include "export/batch_operation.h"
#include "export/copy_msg.h"

namespace qv::app::cli {

namespace {

using exporting::CopyResult;

// Which writer serves a format of the command line.
enum class Writer {
  Legacy,   // the message writer CopyMsg
  Mailbox,  // today's mail files (export-mailbox), written to --in
};

// The formats of --format, one line each: the name, the writer, and for the
// message writer its format and the label that format has in the database
// types it serves (number 5 is "Generic Mail Type 2" for mail and "Unix
// News" for newsgroups); for the mailbox writer its format.
struct FormatChoice {
  std::string_view name;
  Writer writer;
  ExportFormat format;
  std::string_view label;
  exporting::MailboxFormat mailbox = exporting::MailboxFormat::Mbox;
};

constexpr std::array<FormatChoice, 10> kFormats = {{
    {"tapcis", Writer::Legacy, ExportFormat::Tapcis, "TAPCIS"},
    {"ozwin2", Writer::Legacy, ExportFormat::OzWin, "OzWin II"},
    {"eudora", Writer::Legacy, ExportFormat::Eudora, "Eudora"},
    {"generic1", Writer::Legacy, ExportFormat::GenericMail1, "Generic Mail Type 1"},
    {"generic2", Writer::Legacy, ExportFormat::GenericMail2, "Generic Mail Type 2"},
    {"unixnews", Writer::Legacy, ExportFormat::UnixNews, "Unix News"},
    {"dbase3", Writer::Legacy, ExportFormat::DBase3, "dBase III"},
    {"mbox", Writer::Mailbox, {}, "mbox", exporting::MailboxFormat::Mbox},
    {"maildir", Writer::Mailbox, {}, "Maildir", exporting::MailboxFormat::Maildir},
    {"eml", Writer::Mailbox, {}, "EML", exporting::MailboxFormat::Eml},
}};

std::vector<std::string> formatNames() {
  std::vector<std::string> names;
  for (const FormatChoice& f : kFormats) names.emplace_back(f.name);
  return names;
}

const FormatChoice* choiceNamed(std::string_view name) {
  for (const FormatChoice& f : kFormats)
    if (f.name == name) return &f;
  return nullptr;
}

struct ExportArgs {
  SelectionArgs selection;
  std::string format, in, out;
  bool plain = false, noWrap = false, noConvert = false;
  std::size_t width = 0;
};

const char* resultName(CopyResult r) {
  switch (r) {
    case CopyResult::Done: return "done";
    case CopyResult::Cancelled: return "stopped";
    case CopyResult::Refused: return "refused";
    case CopyResult::Failed: return "failed";
    case CopyResult::Running: break;
  }
  return "running";
}

int runLegacy(Env& env, const ExportArgs& a, const FormatChoice* choice) {
  Context& ctx = env.app().ctx();
  const DatabaseType type = databaseType(ctx.mem.ForumType);
  exporting::CopyRequest r;
  if (choice) {
    if (exporting::formatLabel(choice->format, type) != choice->label || !exporting::isOffered(choice->format, type)) {
      env.ui().message(std::string(exporting::kExportTitle),
                       std::string(choice->label) + " is not offered for this database; it offers " +
                           exporting::offeredList(type) + ".",
                       MessageKind::Error);
      return kFailure;
    }
    r.format = choice->format;
  }
  r.code = a.plain ? exporting::SelectionCode::Plain : selectionCode(a.selection);
  r.range = selectionRange(a.selection);
  r.files = {a.in, a.out};
  if (a.noWrap || a.width > 0) {
    exporting::LineSettings lines = exporting::configuredLines(ctx);
    if (a.noWrap) lines.wrap = false;
    if (a.width > 0) lines.width = a.width;
    r.lines = lines;
  }
  r.convert = !a.noConvert;
  if (!selectionStart(env, a.selection, r.start)) return kFailure;
  exporting::CopyMsg job(ctx, std::move(r));
  runStoppable(job);
  env.ui().endProgressLine();
  if (job.result() == CopyResult::Refused) return kFailure;
  if (job.result() == CopyResult::Done && !a.plain) exporting::rememberFormat(ctx, type, job.format());

  Record out;
  out.add("result", text(resultName(job.result())));
  out.add("format", text(exporting::formatLabel(job.format(), type)));
  out.add("selected", static_cast<std::int64_t>(job.selected()));
  out.add("exported", static_cast<std::int64_t>(job.exported()));
  std::string files;
  for (const std::filesystem::path& p : job.written()) {
    if (!files.empty()) files += "\r\n";
    files += p.string();
  }
  out.add("files", text(files));
  print(env.out, out, env.format());
  switch (job.result()) {
    case CopyResult::Done: return kSuccess;
    case CopyResult::Cancelled: return kStopped;
    default: return kFailure;
  }
}

int runExport(Env& env, const ExportArgs& a) {
  const FormatChoice* choice = a.format.empty() ? nullptr : choiceNamed(a.format);
  if ((!choice || choice->writer == Writer::Legacy) && !useDatabase(env, "Export", a.selection.db)) return kFailure;
  switch (choice ? choice->writer : Writer::Legacy) {
    case Writer::Legacy: return runLegacy(env, a, choice);
    case Writer::Mailbox:
      if (a.in.empty()) {
        env.ui().message(std::string(exporting::kExportTitle),
                         "The " + std::string(choice->label) + " export needs --in naming its file or directory.",
                         MessageKind::Error);
        return kFailure;
      }
      return runMailboxExport(env, a.selection, choice->mailbox, a.in);
  }
  return kFailure;
}

}  // namespace

void addExportCommand(CLI::App& app, Env& env) {
  auto a = std::make_shared<ExportArgs>();
  CLI::App* c = addCommand(
      app, "export", "Write a selection of messages to files in the temporary directory in another program's format",
      "quorvel export --format tapcis --select thread --message 412350");
  c->add_option("--format", a->format, "The format (default: the one last used for this kind of database)")
      ->check(CLI::IsMember(formatNames()));
  c->add_option("--in", a->in,
                "The file (mail in two-file formats: the file of incoming mail), a name without path; for mbox, "
                "maildir and eml the file or directory, with its path");
  c->add_option("--out", a->out, "The file of the owner's outgoing mail in two-file mail formats");
  c->add_flag("--plain", a->plain, "The current message alone in the plain layout");
  c->add_flag("--no-wrap", a->noWrap, "Write each text line as it is, however long");
  c->add_option("--width", a->width, "Wrap lines longer than this (default: the configured width, 78)")
      ->check(CLI::Range(exporting::kMinWidth, kMessageTextMax));
  c->add_flag("--no-convert", a->noConvert, "Keep Windows-1252 in TAPCIS files instead of code page 850");
  addSelectionOptions(c, a->selection);
  c->callback([&env, a] { env.action = [a](Env& e) { return runExport(e, *a); }; });
}

}  // namespace qv::app::cli
