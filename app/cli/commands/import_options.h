#pragma once
// What `import` and `definitions add` share: the options that describe an
// import, and running one with its summary.

#include <cstdint>
#include <string>
#include <vector>

#include "app/cli/env.h"
#include "import/settings.h"

namespace qv::app::cli {

struct ImportArgs {
  std::string format;
  std::string method = "files";
  std::string path;
  std::vector<std::string> masks;
  std::vector<std::string> files;
  bool mail = false, forum = false, news = false;
  std::uint32_t forumDb = 0, mailDb = 0, topic = 0;
  bool reimport = false, createOnly = false;
  bool noIndex = false;
};

// Adds --format, --method, --path, --mask, --file, --mail, --forum, --news,
// --forum-db, --mail-db, --reimport, --create-only and --topic.
void addImportOptions(CLI::App& command, ImportArgs& args);
// The working values the options describe; false (after a message) when the
// format is unknown.
bool toSettings(Env& env, const ImportArgs& args, ImportSettings& settings);
// Runs an import in a thread of work of its own and prints its summary;
// then, unless `index` is false, indexes the new messages of the databases
// that received some and keep a word index.
int runImportJob(Env& env, const ImportSettings& settings, bool index = true);

}  // namespace qv::app::cli
