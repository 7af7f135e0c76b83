#include "app/cli/commands/import_options.h"

#include <CLI/CLI.hpp>

#include "text/text_encoding.h"
#include "import/driver.h"
#include "import/formats.h"
#include "wordindex/index_after_import.h"

namespace qv::app::cli {

void addImportOptions(CLI::App& c, ImportArgs& a) {
  c.add_option("--format", a.format, "The source format's name (see quorvel formats)")->required();
  c.add_option("--method", a.method, "How files are chosen: tree, dir or files")
      ->check(CLI::IsMember({"tree", "dir", "files"}));
  c.add_option("--path", a.path, "The directory (tree, dir) or the files' directory (files)")->required();
  c.add_option("--mask", a.masks, "A file mask such as *.MBX (tree, dir; default: the format's masks)");
  c.add_option("--file", a.files, "A file to import (files)");
  c.add_flag("--mail", a.mail, "Import mail messages");
  c.add_flag("--forum", a.forum, "Import forum messages");
  c.add_flag("--news", a.news, "Import newsgroup messages");
  c.add_option("--forum-db", a.forumDb, "The forum database for formats whose files name none");
  c.add_option("--mail-db", a.mailDb, "The mail database that receives mail");
  c.add_flag("--reimport", a.reimport, "Import messages again that were imported before");
  c.add_flag("--create-only", a.createOnly, "Import nothing; only create the databases the files name");
  c.add_option("--topic", a.topic, "A topic attached to every imported mail");
}

bool toSettings(Env& env, const ImportArgs& a, ImportSettings& s) {
  s = ImportSettings{};
  s.formatNumber = formatNumber(cp1252FromUtf8(a.format));
  if (s.formatNumber == 0) {
    env.ui().message("Import", "There is no import format \"" + cp1252FromUtf8(a.format) + "\" (see quorvel formats).",
                     MessageKind::Error);
    return false;
  }
  s.format = formatName(s.formatNumber);
  s.method = a.method == "tree" ? kSelectTree : a.method == "dir" ? kSelectDirectory : kSelectFiles;
  s.path = std::filesystem::absolute(a.path).lexically_normal();
  for (const std::string& m : a.masks) s.masks.push_back(cp1252FromUtf8(m));
  if (s.masks.empty() && s.method != kSelectFiles) {
    if (const auto masks = defaultMaskString(s.formatNumber)) s.masks = splitMasks(*masks);
  }
  s.files = a.files;
  s.mail = a.mail;
  s.forum = a.forum;
  s.news = a.news;
  s.forumDatabase = a.forumDb;
  s.mailDatabase = a.mailDb;
  s.mailTopic = a.topic;
  s.reimport = a.reimport;
  s.filter = a.createOnly ? kFilterCreateOnly : kFilterNone;
  s.variant = navcisVariant(s.formatNumber);
  return true;
}

int runImportJob(Env& env, const ImportSettings& s, bool index) {
  Application& app = env.app();
  Context ctx(app.lib());
  ImportJob job(ctx, s);
  job.onFinished = [&app] { app.importFinished(); };
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
  out.add("milliseconds", static_cast<std::int64_t>(r.seconds * 1000));
  out.add("conversion milliseconds", static_cast<std::int64_t>(r.conversionSeconds * 1000));
  const bool indexed = index && r.imported > 0 && !r.databaseIds.empty();
  wordindex::AfterImportSummary ix;
  if (indexed) {
    Context indexCtx(app.lib());
    wordindex::IndexAfterImportJob indexing(indexCtx, r.databaseIds);
    runToEnd(indexing);
    env.ui().endProgressLine();
    ix = indexing.summary();
    out.add("messages indexed", ix.messages);
    out.add("index milliseconds", static_cast<std::int64_t>(ix.seconds * 1000));
  }
  print(env.out, out, env.format());
  for (const std::string& note : ix.notes) env.ui().message("Word Index", note, MessageKind::Information);
  for (const SkippedMessage& m : r.unreadable)
    env.ui().message("Skipped", m.file.string() + " at byte " + std::to_string(m.offset) + ": " + m.why,
                     MessageKind::Warning);
  return r.completed && !ix.failed ? kSuccess : kFailure;
}

}  // namespace qv::app::cli
