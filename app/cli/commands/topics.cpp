// quorvel topics, keywords, tag and untag: a database's topics and key
// words, and the links between topics and messages.
#include <CLI/CLI.hpp>

#include "app/cli/commands/browse_page.h"
#include "app/cli/commands/db_common.h"
#include "app/cli/env.h"
#include "store/dates.h"
#include "store/table_use.h"
#include "topics/codes.h"
#include "topics/topic_tree.h"

namespace qv::app::cli {

namespace {

using topics::CodeFormResult;

constexpr const char* kTopicsTitle = "Topics";

struct CodeArgs {
  std::uint32_t db = 0;
  std::string name, text;
  bool matchCase = false, wholeWords = false;
  std::size_t count = 20;
};

const char* noun(CodeType type) { return type == CodeType::Topic ? "topic" : "key word"; }

int listCodesOf(Env& env, const CodeArgs& a, CodeType type) {
  if (!useDatabase(env, kTopicsTitle, a.db)) return kFailure;
  Context& ctx = env.app().ctx();
  // The list repairs counts that drifted from the links, as its window does.
  if (type == CodeType::Topic && !topics::refreshTopicCounts(ctx)) return kFailure;
  Listing out(type == CodeType::Topic ? std::vector<std::string>{"id", "topic", "messages", "created"}
                                      : std::vector<std::string>{"id", "key word", "match case", "whole words"});
  for (const Codes& c : topics::listCodes(ctx, type)) {
    if (type == CodeType::Topic)
      out.addRow({static_cast<std::int64_t>(c.ID), text(c.INDEX.view()), static_cast<std::int64_t>(c.COUNT),
                  text(dates::formatDate(c.DATE, dates::kDateYyyyMmDd))});
    else
      out.addRow({static_cast<std::int64_t>(c.ID), text(c.INDEX.view()), c.CHARCASE != 0, c.WORDONLY != 0});
  }
  print(env.out, out, env.format());
  return kSuccess;
}

// The outcome of a form operation: the exit status, after a message when it failed.
int formOutcome(Env& env, CodeFormResult r, CodeType type, const std::string& text) {
  switch (r) {
    case CodeFormResult::Done: return kSuccess;
    case CodeFormResult::Duplicate:
      env.ui().message(kTopicsTitle, std::string("There is a ") + noun(type) + " \"" + text + "\" already.",
                       MessageKind::Error);
      return kFailure;
    case CodeFormResult::ChangedMeanwhile:
    case CodeFormResult::Failed: return kFailure;
  }
  return kFailure;
}

std::optional<Codes> named(Env& env, CodeType type, const std::string& name) {
  std::optional<Codes> c = topics::findCodeNamed(env.app().ctx(), type, name);
  if (!c)
    env.ui().message(kTopicsTitle, std::string("There is no ") + noun(type) + " \"" + name + "\" in this database.",
                     MessageKind::Error);
  return c;
}

int addCodeOf(Env& env, const CodeArgs& a, CodeType type) {
  if (!useDatabase(env, kTopicsTitle, a.db)) return kFailure;
  const topics::CodeAdded added = topics::addCode(env.app().ctx(), type, a.name, a.matchCase, a.wholeWords);
  const int status = formOutcome(env, added.result, type, a.name);
  if (status != kSuccess) return status;
  Record out;
  out.add("id", static_cast<std::int64_t>(added.code.ID));
  out.add(noun(type), text(added.code.INDEX.view()));
  print(env.out, out, env.format());
  return kSuccess;
}

int removeCodeOf(Env& env, const CodeArgs& a, CodeType type) {
  if (!useDatabase(env, kTopicsTitle, a.db)) return kFailure;
  const std::optional<Codes> c = named(env, type, a.name);
  if (!c) return kFailure;
  return formOutcome(env, topics::deleteCode(env.app().ctx(), *c), type, a.name);
}

int renameTopic(Env& env, const CodeArgs& a) {
  if (!useDatabase(env, kTopicsTitle, a.db)) return kFailure;
  const std::optional<Codes> c = named(env, CodeType::Topic, a.name);
  if (!c) return kFailure;
  return formOutcome(env, topics::changeCode(env.app().ctx(), *c, a.text, false, false), CodeType::Topic, a.text);
}

int showTopic(Env& env, const CodeArgs& a) {
  BrowseArgs b;
  b.db = a.db;
  b.view = "topic";
  b.limit = a.name;
  b.count = a.count;
  return runBrowse(env, b);
}

// Tags or untags one message through the topic tree, as its window does.
int tagMessage(Env& env, const CodeArgs& a, std::uint32_t message, bool tag) {
  if (!useDatabase(env, kTopicsTitle, a.db)) return kFailure;
  Context& ctx = env.app().ctx();
  const std::optional<Codes> c = named(env, CodeType::Topic, a.name);
  if (!c) return kFailure;
  {
    const bool mail = databaseType(ctx.mem.ForumType) == DatabaseType::Mail;
    TableUse use(ctx, {mail ? Mail::FileNo : MsgNmbr::FileNo});
    engine::Err e;
    if (mail) {
      ctx.mai = Mail{};
      ctx.mai.MAILID = message;
      e = ctx.fileOf<Mail>().get(Mail::IdKey);
    } else {
      ctx.msg = MsgNmbr{};
      ctx.msg.MSGNUMBER = message;
      e = ctx.fileOf<MsgNmbr>().get(MsgNmbr::IdKey);
    }
    if (e != engine::Err::Ok) {
      env.ui().message(kTopicsTitle, "There is no message " + std::to_string(message) + " in this database.",
                       MessageKind::Error);
      return kFailure;
    }
  }
  topics::TopicTree tree(ctx);
  tree.show(message);
  for (std::size_t i = 0; i < tree.lines().size(); ++i) {
    if (tree.lines()[i].topic.ID != c->ID) continue;
    if (tree.lines()[i].tagged != tag && tree.toggle(i) == LinkChange::Failed) return kFailure;
    Record out;
    out.add("message", static_cast<std::int64_t>(message));
    out.add("topic", text(c->INDEX.view()));
    out.add("tagged", tree.lines()[i].tagged);
    out.add("messages", static_cast<std::int64_t>(tree.lines()[i].topic.COUNT));
    print(env.out, out, env.format());
    return kSuccess;
  }
  return kFailure;
}

}  // namespace

void addTopicsCommands(CLI::App& app, Env& env) {
  auto a = std::make_shared<CodeArgs>();
  CLI::App* t = addCommand(app, "topics", "A database's topics", "quorvel topics add \"Printers\" --db 250007");
  t->require_subcommand(1);
  auto sub = [&](CLI::App* parent, const char* name, const char* what, auto action) {
    CLI::App* c = parent->add_subcommand(name, what);
    c->add_option("--db", a->db, "The database (default: the active one)");
    c->callback([&env, a, action] { env.action = [a, action](Env& e) { return action(e, *a); }; });
    return c;
  };
  sub(t, "list", "The topics with their message counts", [](Env& e, const CodeArgs& x) {
    return listCodesOf(e, x, CodeType::Topic);
  });
  sub(t, "add", "Add a topic", [](Env& e, const CodeArgs& x) { return addCodeOf(e, x, CodeType::Topic); })
      ->add_option("TEXT", a->name, "The topic")->required();
  CLI::App* rename = sub(t, "rename", "Give a topic a new text", renameTopic);
  rename->add_option("TOPIC", a->name, "The topic (text or identifier)")->required();
  rename->add_option("TEXT", a->text, "The new text")->required();
  sub(t, "delete", "Delete a topic with all its links",
      [](Env& e, const CodeArgs& x) { return removeCodeOf(e, x, CodeType::Topic); })
      ->add_option("TOPIC", a->name, "The topic (text or identifier)")->required();
  CLI::App* show = sub(t, "show", "The messages linked to a topic", showTopic);
  show->add_option("TOPIC", a->name, "The topic (text or identifier)")->required();
  show->add_option("--count", a->count, "Lines on the page")->check(CLI::PositiveNumber);

  CLI::App* k = addCommand(app, "keywords", "A database's key words", "quorvel keywords add modem --whole-words");
  k->require_subcommand(1);
  sub(k, "list", "The key words", [](Env& e, const CodeArgs& x) { return listCodesOf(e, x, CodeType::KeyWord); });
  CLI::App* add = sub(k, "add", "Add a key word", [](Env& e, const CodeArgs& x) {
    return addCodeOf(e, x, CodeType::KeyWord);
  });
  add->add_option("WORD", a->name, "The key word")->required();
  add->add_flag("--match-case", a->matchCase, "Match letter case");
  add->add_flag("--whole-words", a->wholeWords, "Match whole words only");
  sub(k, "remove", "Remove a key word", [](Env& e, const CodeArgs& x) { return removeCodeOf(e, x, CodeType::KeyWord); })
      ->add_option("WORD", a->name, "The key word (text or identifier)")->required();

  for (const bool tag : {true, false}) {
    auto message = std::make_shared<std::uint32_t>(0);
    CLI::App* c = addCommand(app, tag ? "tag" : "untag", tag ? "Link a message to a topic" : "Unlink a message from a topic",
                             tag ? "quorvel tag 412350 Printers" : "quorvel untag 412350 Printers");
    c->add_option("ID", *message, "The message number or mail identifier")->required();
    c->add_option("TOPIC", a->name, "The topic (text or identifier)")->required();
    c->add_option("--db", a->db, "The database (default: the active one)");
    c->callback([&env, a, message, tag] {
      env.action = [a, message, tag](Env& e) { return tagMessage(e, *a, *message, tag); };
    });
  }
}

}  // namespace qv::app::cli
