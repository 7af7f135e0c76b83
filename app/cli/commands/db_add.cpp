// quorvel db add-forum NAME / db add-mail NAME ADDRESS [--alt ADDRESS]...
#include <CLI/CLI.hpp>

#include "app/cli/commands/db_common.h"
#include "app/cli/env.h"
#include "text/text_encoding.h"
#include "store/config.h"
#include "store/database_list.h"

namespace qv::app::cli {

namespace {

struct AddArgs {
  std::string name;
  std::string address;
  std::vector<std::string> alternatives;
};

void printDatabase(Env& env, const Forums& f) {
  Record r;
  r.add("id", static_cast<std::int64_t>(f.ID));
  r.add("name", text(f.DESCRIPTION.view()));
  r.add("type", text(typeName(databaseType(f.TYPE))));
  r.add("directory", text("F" + std::to_string(f.DIRNUMBER)));
  if (databaseType(f.TYPE) == DatabaseType::Mail) r.add("address", text(f.MAILADDRESS.view()));
  print(env.out, r, env.format());
}

int addForum(Env& env, const AddArgs& a) {
  Context& ctx = env.app().ctx();
  if (!AddForumDatabase(ctx, cp1252FromUtf8(a.name))) return kFailure;
  printDatabase(env, ctx.for_);
  return kSuccess;
}

int addMail(Env& env, const AddArgs& a) {
  Context& ctx = env.app().ctx();
  if (a.alternatives.size() > 10) {
    env.ui().message("Add New Mail Database", "At most ten alternative mail addresses can be given.",
                     MessageKind::Error);
    return kUsage;
  }
  MailDatabaseForm form;
  form.name = cp1252FromUtf8(a.name);
  form.address = cp1252FromUtf8(a.address);
  for (std::size_t i = 0; i < a.alternatives.size(); ++i) form.alternatives[i] = cp1252FromUtf8(a.alternatives[i]);
  const std::optional<Forums> added = app::addMailDatabase(ctx, form);
  if (!added) return kFailure;
  printDatabase(env, *added);
  return kSuccess;
}

}  // namespace

void addDbAdd(CLI::App& db, Env& env) {
  auto forum = std::make_shared<AddArgs>();
  CLI::App* f = addCommand(db, "add-forum", "Add a forum database", "quorvel db add-forum \"Computer Club\"");
  f->add_option("NAME", forum->name, "The forum's name")->required();
  f->callback([&env, forum] { env.action = [forum](Env& e) { return addForum(e, *forum); }; });

  auto mail = std::make_shared<AddArgs>();
  CLI::App* m = addCommand(db, "add-mail", "Add a mail database for one mailbox owner",
                           "quorvel db add-mail \"Jane Smith\" jane@example.org --alt 76543,210");
  m->add_option("NAME", mail->name, "The owner's first and last name")->required();
  m->add_option("ADDRESS", mail->address, "The owner's default mail address")->required();
  m->add_option("--alt", mail->alternatives, "A further own address (up to ten)");
  m->callback([&env, mail] { env.action = [mail](Env& e) { return addMail(e, *mail); }; });
}

}  // namespace qv::app::cli
