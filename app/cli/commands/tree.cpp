// quorvel tree: the reply tree of the thread that holds a message, as the
// thread tree window shows it, with the given message marked.
#include <CLI/CLI.hpp>

#include <algorithm>

#include "app/cli/commands/db_common.h"
#include "app/cli/env.h"
#include "text/text_encoding.h"
#include "browse/thread_tree.h"

namespace qv::app::cli {

namespace {

constexpr const char* kTitle = "Thread Tree";

struct TreeArgs {
  std::uint32_t message = 0;
  std::uint32_t db = 0;
};

// A tree line for the terminal: two blanks per level behind the marker
// column; control bytes of stored names become blanks.
std::string drawnLine(const browse::TreeLine& line, bool current) {
  std::string text = line.text;
  std::replace_if(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
  return std::string(current ? "> " : "  ") + std::string(2 * static_cast<std::size_t>(line.level), ' ') +
         utf8From1252(text) + "\n";
}

int showTree(Env& env, const TreeArgs& a) {
  if (!useDatabase(env, kTitle, a.db)) return kFailure;
  Context& ctx = env.app().ctx();
  if (databaseType(ctx.mem.ForumType) == DatabaseType::Mail) {
    env.ui().message(kTitle, "Mail databases have no threads.", MessageKind::Error);
    return kFailure;
  }
  browse::ThreadTree tree(ctx);
  switch (tree.showThreadOf(a.message)) {
    case browse::TreeUpdate::NoSuchMessage:
      env.ui().message(kTitle, "There is no message " + std::to_string(a.message) + " in this database.",
                       MessageKind::Error);
      return kFailure;
    case browse::TreeUpdate::ReadFailed: return kFailure;
    case browse::TreeUpdate::Rebuilt:
    case browse::TreeUpdate::SameThread: break;
  }
  // The blank first line is the window's; neither form shows it.
  if (env.format() == OutputFormat::Json) {
    Listing out({"number", "level", "text", "current"});
    for (const browse::TreeLine& line : tree.lines())
      if (line.message != 0)
        out.addRow({static_cast<std::int64_t>(line.message), static_cast<std::int64_t>(line.level), text(line.text),
                    line.message == a.message});
    print(env.out, out, env.format());
  } else {
    for (const browse::TreeLine& line : tree.lines())
      if (line.message != 0) env.out << drawnLine(line, line.message == a.message);
  }
  return kSuccess;
}

}  // namespace

void addTreeCommand(CLI::App& app, Env& env) {
  auto a = std::make_shared<TreeArgs>();
  CLI::App* c = addCommand(app, "tree", "Show the reply tree of the thread that holds a message",
                           "quorvel tree 1042 --db 250001");
  c->add_option("ID", a->message, "The message number")->required();
  c->add_option("--db", a->db, "The database (default: the active one)");
  c->callback([&env, a] { env.action = [a](Env& e) { return showTree(e, *a); }; });
}

}  // namespace qv::app::cli
