// quorvel status: a message, thread, section, partner or database marked
// Normal, Keep or Delete, as the browse's pop-up menu does.
#include <CLI/CLI.hpp>

#include <map>

#include "app/cli/commands/db_common.h"
#include "app/cli/env.h"
#include "browse/status_change.h"

namespace qv::app::cli {

namespace {

using browse::StatusTarget;

const std::map<std::string, StatusTarget> kTargets = {
    {"message", StatusTarget::Message}, {"thread", StatusTarget::Thread},     {"section", StatusTarget::Section},
    {"partner", StatusTarget::Partner}, {"database", StatusTarget::Database}, {"mailbox", StatusTarget::Database}};
const std::map<std::string, Status> kStatuses = {
    {"normal", Status::Normal}, {"keep", Status::Keep}, {"delete", Status::Delete}};

struct StatusArgs {
  std::string target;
  std::uint32_t id = 0;
  std::string status;
  std::uint32_t db = 0;
};

int runStatus(Env& env, const StatusArgs& a) {
  const StatusTarget target = kTargets.at(a.target);
  // The database and the mailbox are named by their own identifier.
  const std::uint32_t db = target == StatusTarget::Database ? a.id : a.db;
  if (!useDatabase(env, "Status", db)) return kFailure;
  switch (browse::changeStatus(env.app().ctx(), target, a.id, kStatuses.at(a.status))) {
    case browse::StatusChangeResult::Changed: return kSuccess;
    case browse::StatusChangeResult::Cancelled: return kStopped;
    case browse::StatusChangeResult::NotOffered:
      env.ui().message("Status", "This database has no " + a.target + "s to mark.", MessageKind::Error);
      return kUsage;
    case browse::StatusChangeResult::Failed: return kFailure;
  }
  return kFailure;
}

}  // namespace

void addStatusCommand(CLI::App& app, Env& env) {
  auto a = std::make_shared<StatusArgs>();
  CLI::App* c = addCommand(app, "status", "Mark a message, thread, section, partner or database Normal, Keep or Delete",
                           "quorvel status thread 250123 keep --db 250001");
  c->add_option("WHAT", a->target, "message, thread, section, partner, database or mailbox")
      ->required()
      ->check(CLI::IsMember({"message", "thread", "section", "partner", "database", "mailbox"}));
  c->add_option("ID", a->id, "The record's identifier (the database's own for database and mailbox)")->required();
  c->add_option("STATUS", a->status, "normal, keep or delete")->required()->check(CLI::IsMember({"normal", "keep", "delete"}));
  c->add_option("--db", a->db, "The database (default: the active one)");
  c->callback([&env, a] { env.action = [a](Env& e) { return runStatus(e, *a); }; });
}

}  // namespace qv::app::cli
