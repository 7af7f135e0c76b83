// quorvel persons: the correspondents of a database, page by page; and
// quorvel person show / rename / swap-alias / merge / messages.
#include <CLI/CLI.hpp>

#include <memory>
#include <string>
#include <vector>

#include "app/cli/commands/db_common.h"
#include "app/cli/env.h"
#include "text/text_encoding.h"
#include "browse/person_aliases.h"
#include "browse/person_merge.h"
#include "browse/person_rename.h"
#include "browse/persons_list.h"

namespace qv::app::cli {

namespace {

struct PersonArgs {
  std::uint32_t db = 0;
  std::string order = "name";
  std::size_t count = 50;
  std::uint32_t after = 0;
  std::uint32_t id = 0;
  std::string last;
  std::optional<std::string> first;
  std::string alias;
  std::vector<std::uint32_t> ids;
};

constexpr const char* kTitle = "Persons";

std::string fullName(const Person& p) {
  std::string name = p.FIRSTNAME.str();
  if (!name.empty()) name += ' ';
  return name + p.LASTNAME.str();
}

int list(Env& env, const PersonArgs& a) {
  if (!useDatabase(env, kTitle, a.db)) return kFailure;
  const auto order = a.order == "address" ? browse::PersonOrder::Address : browse::PersonOrder::Name;
  Listing out({"id", "name", "address", "sent", "received"});
  for (const Person& p : browse::personPage(env.app().ctx(), order, a.count, a.after))
    out.addRow({static_cast<std::int64_t>(p.PERSONID), text(fullName(p)), text(p.ADDRESS.view()),
                static_cast<std::int64_t>(p.FROMCOUNT), static_cast<std::int64_t>(p.TOCOUNT)});
  print(env.out, out, env.format());
  return kSuccess;
}

// The person, or nothing after a message.
std::optional<Person> person(Env& env, const PersonArgs& a) {
  if (!useDatabase(env, kTitle, a.db)) return std::nullopt;
  std::optional<Person> p = browse::findPerson(env.app().ctx(), a.id);
  if (!p) env.ui().message(kTitle, "There is no person " + std::to_string(a.id) + ".", MessageKind::Error);
  return p;
}

int show(Env& env, const PersonArgs& a) {
  const std::optional<Person> p = person(env, a);
  if (!p) return kFailure;
  Record out;
  out.add("id", static_cast<std::int64_t>(p->PERSONID));
  out.add("identifying string", text(p->PERSONSTRING.view()));
  out.add("last name", text(p->LASTNAME.view()));
  out.add("first name", text(p->FIRSTNAME.view()));
  out.add("address", text(p->ADDRESS.view()));
  out.add("sent", static_cast<std::int64_t>(p->FROMCOUNT));
  out.add("received", static_cast<std::int64_t>(p->TOCOUNT));
  std::string aliases;
  for (const PLINK& l : browse::aliasesOf(env.app().ctx(), p->PERSONID)) {
    if (!aliases.empty()) aliases += "\r\n";
    aliases += l.PERSONSTRING.str();
  }
  out.add("aliases", text(aliases));
  print(env.out, out, env.format());
  return kSuccess;
}

int rename(Env& env, const PersonArgs& a) {
  const std::optional<Person> p = person(env, a);
  if (!p) return kFailure;
  const std::string first = a.first ? cp1252FromUtf8(*a.first) : p->FIRSTNAME.str();
  const auto r = browse::renamePerson(env.app().ctx(), *p, cp1252FromUtf8(a.last), first);
  return r.outcome == browse::RenameOutcome::Renamed ? kSuccess : kFailure;
}

int swapAlias(Env& env, const PersonArgs& a) {
  if (!person(env, a)) return kFailure;
  const auto r = browse::swapAlias(env.app().ctx(), a.id, cp1252FromUtf8(a.alias));
  if (r == browse::SwapOutcome::Unchanged)
    env.ui().message(kTitle, "The address is already the current one; nothing changed.", MessageKind::Information);
  return r == browse::SwapOutcome::Swapped || r == browse::SwapOutcome::Unchanged ? kSuccess : kFailure;
}

int merge(Env& env, const PersonArgs& a) {
  if (!person(env, a)) return kFailure;
  const browse::MergeSummary s = browse::mergePersons(env.app().ctx(), a.id, a.ids);
  Listing out({"id", "outcome"});
  for (std::uint32_t id : s.merged) out.addRow({static_cast<std::int64_t>(id), text("merged")});
  for (std::uint32_t id : s.refused) out.addRow({static_cast<std::int64_t>(id), text("refused")});
  print(env.out, out, env.format());
  return s.failed || !s.refused.empty() ? kFailure : kSuccess;
}

int messages(Env& env, const PersonArgs& a) {
  if (!useDatabase(env, kTitle, a.db)) return kFailure;
  const auto m = browse::firstMessageFrom(env.app().ctx(), a.id);
  if (!m) return kFailure;
  Record out;
  out.add("number", static_cast<std::int64_t>(m->number));
  out.add("thread", static_cast<std::int64_t>(m->threadNumber));
  out.add("section", static_cast<std::int64_t>(m->section));
  out.add("sender", static_cast<std::int64_t>(m->fromId));
  out.add("receiver", static_cast<std::int64_t>(m->toId));
  print(env.out, out, env.format());
  return kSuccess;
}

CLI::App* personCommand(CLI::App& group, Env& env, const std::shared_ptr<PersonArgs>& a, const char* name,
                        const char* description, const char* example, int (*run)(Env&, const PersonArgs&)) {
  CLI::App* c = addCommand(group, name, description, example);
  c->add_option("ID", a->id, "The person")->required();
  c->add_option("--db", a->db, "The database (default: the active one)");
  c->callback([&env, a, run] { env.action = [a, run](Env& e) { return run(e, *a); }; });
  return c;
}

}  // namespace

void addPersonsCommands(CLI::App& app, Env& env) {
  auto a = std::make_shared<PersonArgs>();
  CLI::App* persons = addCommand(app, "persons", "The correspondents of a database, a page at a time",
                                 "quorvel persons --order address --count 20 --after 250014");
  persons->add_option("--db", a->db, "The database (default: the active one)");
  persons->add_option("--order", a->order, "name (last name) or address")
      ->check(CLI::IsMember({"name", "address"}));
  persons->add_option("--count", a->count, "How many persons (default 50)");
  persons->add_option("--after", a->after, "Start after this person");
  persons->callback([&env, a] { env.action = [a](Env& e) { return list(e, *a); }; });

  CLI::App* group = addCommand(app, "person", "One person: show, rename, swap-alias, merge, messages",
                               "quorvel person show 250014");
  group->require_subcommand(1);
  personCommand(*group, env, a, "show", "A person with its alias addresses", "quorvel person show 250014", show);
  CLI::App* r = personCommand(*group, env, a, "rename", "Change a person's last and first name",
                              "quorvel person rename 250014 --last Miller --first Ann", rename);
  r->add_option("--last", a->last, "The new last name")->required();
  r->add_option("--first", a->first, "The new first name (default: unchanged)");
  CLI::App* s = personCommand(*group, env, a, "swap-alias", "Make an alias the current address",
                              "quorvel person swap-alias 250014 \"ANN LEE 70001,2\"", swapAlias);
  s->add_option("ALIAS", a->alias, "The alias's identifying string")->required();
  CLI::App* m = personCommand(*group, env, a, "merge", "Merge persons into the first one",
                              "quorvel person merge 250014 250020 250031", merge);
  m->add_option("IDS", a->ids, "The persons merged away")->required();
  personCommand(*group, env, a, "messages", "The first message from a sender", "quorvel person messages 250014",
                messages);
}

}  // namespace qv::app::cli
