// quorvel import: one import run from the command line, with a progress bar
// on a terminal and a summary at the end.
#include <CLI/CLI.hpp>

#include "app/cli/env.h"
#include "app/text_encoding.h"
#include "import/driver.h"
#include "import/formats.h"
#include "import/wizard.h"

namespace qv::app::cli {

namespace {

struct ImportArgs {
  std::string format;
  std::string method = "files";
  std::string path;
  std::vector<std::string> masks;
  std::vector<std::string> files;
  bool mail = false, forum = false, news = false;
  std::uint32_t forumDb = 0, mailDb = 0, topic = 0;
  bool reimport = false, createOnly = false;
};

int runImport(Env& env, const ImportArgs& a) {
  Application& app = env.app();
  ImportSettings s;
  s.format = cp1252FromUtf8(a.format);
  s.formatNumber = formatNumber(s.format);
  if (s.formatNumber == 0) {
    env.ui().message("Import", "There is no import format \"" + s.format + "\" (see quorvel formats).",
                     MessageKind::Error);
    return kUsage;
  }
  s.format = formatName(s.formatNumber);
  s.method = a.method == "tree" ? kSelectTree : a.method == "dir" ? kSelectDirectory : kSelectFiles;
  s.path = a.path;
  for (const std::string& m : a.masks) s.masks.push_back(cp1252FromUtf8(m));
  if (s.masks.empty() && s.method != kSelectFiles) {
    if (const auto masks = defaultMaskString(s.formatNumber)) s.masks = splitMasks(*masks);
  }
  for (const std::string& f : a.files) s.files.push_back(f);
  s.mail = a.mail;
  s.forum = a.forum;
  s.news = a.news;
  s.forumDatabase = a.forumDb;
  s.mailDatabase = a.mailDb;
  s.mailTopic = a.topic;
  s.reimport = a.reimport;
  s.filter = a.createOnly ? 2 : 0;
  s.variant = navcisVariant(s.formatNumber);
  if (!validateForStart(app.ctx(), s, StartFrom::Wizard)) return kFailure;

  // The import works in a thread of work of its own, as in the program.
  Context ctx(app.lib());
  ImportJob job(ctx, s);
  runToEnd(job);
  env.ui().endProgressLine();
  const ImportSummary& r = job.summary();
  Record out;
  out.add("outcome", text(r.outcome));
  out.add("files", static_cast<std::int64_t>(r.files));
  out.add("converted", static_cast<std::int64_t>(r.converted));
  out.add("imported", static_cast<std::int64_t>(r.imported));
  out.add("skipped", static_cast<std::int64_t>(r.skipped));
  std::string names;
  for (const std::string& n : r.databases) names += (names.empty() ? "" : ", ") + n;
  out.add("databases", text(names));
  out.add("seconds", static_cast<std::int64_t>(r.seconds + 0.5));
  print(env.out, out, env.format());
  for (const SkippedMessage& m : r.unreadable)
    env.ui().message("Skipped", m.file.string() + " at byte " + std::to_string(m.offset) + ": " + m.why,
                     MessageKind::Warning);
  return r.completed ? kSuccess : kFailure;
}

}  // namespace

void addImportCommand(CLI::App& app, Env& env) {
  auto a = std::make_shared<ImportArgs>();
  CLI::App* c = addCommand(app, "import", "Import messages from source files",
                           "quorvel import --format Eudora --method dir --path ~/old/eudora --mail --mail-db 250003");
  c->add_option("--format", a->format, "The source format's name (see quorvel formats)")->required();
  c->add_option("--method", a->method, "How files are chosen: tree, dir or files")
      ->check(CLI::IsMember({"tree", "dir", "files"}));
  c->add_option("--path", a->path, "The directory (tree, dir) or the files' directory (files)")->required();
  c->add_option("--mask", a->masks, "A file mask such as *.MBX (tree, dir; default: the format's masks)");
  c->add_option("--file", a->files, "A file to import (files)");
  c->add_flag("--mail", a->mail, "Import mail messages");
  c->add_flag("--forum", a->forum, "Import forum messages");
  c->add_flag("--news", a->news, "Import newsgroup messages");
  c->add_option("--forum-db", a->forumDb, "The forum database for formats whose files name none");
  c->add_option("--mail-db", a->mailDb, "The mail database that receives mail");
  c->add_flag("--reimport", a->reimport, "Import messages again that were imported before");
  c->add_flag("--create-only", a->createOnly, "Import nothing; only create the databases the files name");
  c->add_option("--topic", a->topic, "A topic attached to every imported mail");
  c->callback([&env, a] { env.action = [a](Env& e) { return runImport(e, *a); }; });
}

}  // namespace qv::app::cli
