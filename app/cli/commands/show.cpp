// quorvel show: the text pane of one message, page by page as a browse
// shows it.
#include <CLI/CLI.hpp>

#include "app/cli/commands/db_common.h"
#include "app/cli/env.h"
#include "browse/text_pages.h"
#include "wordindex/message_texts.h"

namespace qv::app::cli {

namespace {

constexpr const char* kTitle = "Message";

struct ShowArgs {
  std::uint32_t db = 0;
  std::uint32_t id = 0;
  std::size_t page = 1;
};

int runShow(Env& env, const ShowArgs& a) {
  if (!useDatabase(env, kTitle, a.db)) return kFailure;
  wordindex::MessageTexts texts(env.app().ctx());
  wordindex::MessageText m;
  switch (texts.read(a.id, m)) {
    case wordindex::TextRead::Found: break;
    case wordindex::TextRead::End:
      env.ui().message(kTitle, "There is no message " + std::to_string(a.id) + " in this database.",
                       MessageKind::Error);
      return kFailure;
    case wordindex::TextRead::Failed: return kFailure;
  }
  const std::vector<browse::TextPage> pages = browse::cutIntoPages(wordindex::shownText(m));
  if (a.page < 1 || a.page > pages.size()) {
    env.ui().message(kTitle, "The message has " + std::to_string(pages.size()) + " page(s).", MessageKind::Error);
    return kUsage;
  }
  Record out;
  out.add("id", static_cast<std::int64_t>(a.id));
  out.add("page", static_cast<std::int64_t>(a.page));
  out.add("pages", static_cast<std::int64_t>(pages.size()));
  out.add("text", text(pages[a.page - 1].text));
  print(env.out, out, env.format());
  return kSuccess;
}

}  // namespace

void addShowCommand(CLI::App& app, Env& env) {
  auto a = std::make_shared<ShowArgs>();
  CLI::App* c = addCommand(app, "show", "Show a message's text as the browse's text pane does, page by page",
                           "quorvel show 251394 --db 250001 --page 2");
  c->add_option("ID", a->id, "The message number (mail identifier in a mail database)")->required();
  c->add_option("--db", a->db, "The database (default: the active one)");
  c->add_option("--page", a->page, "The page (texts over 24,000 characters have two or three)")
      ->check(CLI::PositiveNumber);
  c->callback([&env, a] { env.action = [a](Env& e) { return runShow(e, *a); }; });
}

}  // namespace qv::app::cli
