// quorvel db update-mail / activate / allow-import / disallow-import / remove
#include <CLI/CLI.hpp>

#include "app/cli/commands/db_common.h"
#include "app/cli/env.h"
#include "text/text_encoding.h"
#include "store/config.h"
#include "store/database_list.h"
#include "store/report.h"

namespace qv::app::cli {

namespace {

struct Target {
  std::uint32_t id = 0;
  std::optional<std::string> name;
  std::vector<std::string> alternatives;
};

int notFound(Env& env, std::uint32_t id) {
  env.ui().message("Database", "There is no database with the identifier " + std::to_string(id) + ".",
                   MessageKind::Error);
  return kFailure;
}

int updateMail(Env& env, const Target& t) {
  Context& ctx = env.app().ctx();
  const std::optional<Forums> db = findDatabase(ctx, t.id);
  if (!db) return notFound(env, t.id);
  if (db->TYPE != 2) {
    env.ui().message("Update alternative addresses", "Database " + std::to_string(t.id) + " is not a mail database.",
                     MessageKind::Error);
    return kFailure;
  }
  if (t.alternatives.size() > 10) {
    env.ui().message("Update alternative addresses", "At most ten alternative mail addresses can be given.",
                     MessageKind::Error);
    return kUsage;
  }
  MailDatabaseForm form;
  form.name = t.name ? cp1252FromUtf8(*t.name) : db->DESCRIPTION.str();
  form.address = db->MAILADDRESS.str();
  for (std::size_t i = 0; i < t.alternatives.size(); ++i) form.alternatives[i] = cp1252FromUtf8(t.alternatives[i]);
  return UpdateMailDatabase(ctx, t.id, form) ? kSuccess : kFailure;
}

int activate(Env& env, const Target& t) {
  Application& app = env.app();
  const std::optional<Forums> db = findDatabase(app.ctx(), t.id);
  if (!db) return notFound(env, t.id);
  if (!app.activate(t.id)) {
    env.ui().message("Database", "The directory of database \"" + db->DESCRIPTION.str() + "\" (F" +
                                     std::to_string(db->DIRNUMBER) + ") is missing; it stays inactive.",
                     MessageKind::Error);
    return kFailure;
  }
  // Later runs start with it, as the program does with its start-up database.
  setStartDatabase(app.ctx(), t.id);
  env.out << displayText(app.frameTitle(), LineBreaks::AsSpace) << "\n";
  return kSuccess;
}

int permit(Env& env, const Target& t, bool allowed) {
  Context& ctx = env.app().ctx();
  if (!findDatabase(ctx, t.id)) return notFound(env, t.id);
  return SetImportAllowed(ctx, t.id, allowed) ? kSuccess : kFailure;
}

int remove(Env& env, const Target& t) {
  Context& ctx = env.app().ctx();
  const std::optional<Forums> db = findDatabase(ctx, t.id);
  if (!db) return notFound(env, t.id);
  return app::removeDatabaseConfirmed(ctx, *db) ? kSuccess : kFailure;
}

CLI::App* withId(CLI::App* c, const std::shared_ptr<Target>& t) {
  c->add_option("ID", t->id, "The database's identifier (see db list)")->required();
  return c;
}

}  // namespace

void addDbChange(CLI::App& db, Env& env) {
  auto t = std::make_shared<Target>();
  CLI::App* u = withId(addCommand(db, "update-mail", "Change a mail database's name and alternative addresses",
                                  "quorvel db update-mail 250001 --alt jane@work.example --alt 76543,210"),
                       t);
  u->add_option("--name", t->name, "A new name");
  u->add_option("--alt", t->alternatives, "An alternative address (replaces the list; up to ten)");
  u->callback([&env, t] { env.action = [t](Env& e) { return updateMail(e, *t); }; });

  CLI::App* a = withId(addCommand(db, "activate", "Make a database the active one", "quorvel db activate 250001"), t);
  a->callback([&env, t] { env.action = [t](Env& e) { return activate(e, *t); }; });

  CLI::App* al = withId(addCommand(db, "allow-import", "Let imports reach a database", "quorvel db allow-import 250001"), t);
  al->callback([&env, t] { env.action = [t](Env& e) { return permit(e, *t, true); }; });
  CLI::App* dis = withId(
      addCommand(db, "disallow-import", "Keep imports away from a database", "quorvel db disallow-import 250001"), t);
  dis->callback([&env, t] { env.action = [t](Env& e) { return permit(e, *t, false); }; });

  CLI::App* r = withId(addCommand(db, "remove", "Remove a database with all its messages (asks first)",
                                  "quorvel --yes db remove 250001"),
                       t);
  r->callback([&env, t] { env.action = [t](Env& e) { return remove(e, *t); }; });
}

void addDbList(CLI::App& db, Env& env);
void addDbAdd(CLI::App& db, Env& env);

void addDbCommands(CLI::App& app, Env& env) {
  CLI::App* db = addCommand(app, "db", "Message databases: list, add, change, activate, remove", "quorvel db list");
  db->require_subcommand(1);
  addDbList(*db, env);
  addDbAdd(*db, env);
  addDbChange(*db, env);
}

}  // namespace qv::app::cli
