#include "app/cli/commands/selection_options.h"

#include <CLI/CLI.hpp>

#include <map>

#include "app/cli/env.h"
#include "app/windows/selection_start.h"
#include "topics/codes.h"
#include "wordindex/search_query.h"

namespace qv::app::cli {

namespace {

using exporting::SelectionCode;

const std::map<std::string, SelectionCode> kSelections = {
    {"current", SelectionCode::Current}, {"sender", SelectionCode::Sender},   {"receiver", SelectionCode::Receiver},
    {"thread", SelectionCode::Thread},   {"partner", SelectionCode::Thread},  {"section", SelectionCode::Section},
    {"all", SelectionCode::All},         {"word", SelectionCode::Word},       {"topic", SelectionCode::Topic},
    {"search", SelectionCode::ResultSet}};

}  // namespace

void addSelectionOptions(CLI::App* c, SelectionArgs& a) {
  c->add_option("--db", a.db, "The database (default: the active one)");
  c->add_option("--select", a.select, "Which messages: the current one, or all of its sender, receiver, thread "
                                      "(mail: partner), section, database, word, topic or the search result set")
      ->check(CLI::IsMember({"current", "sender", "receiver", "thread", "partner", "section", "all", "word", "topic",
                             "search"}));
  c->add_option("--message", a.message, "The current message (mail) the selection starts from");
  c->add_option("--word", a.word, "The word of the word selection");
  c->add_option("--in-topic", a.inTopic, "The topic of the topic selection (text or identifier)");
  c->add_option("--from", a.from, "Only messages from this date on (YYYY-MM-DD)");
  c->add_option("--to", a.to, "Only messages up to this date (YYYY-MM-DD)");
}

SelectionCode selectionCode(const SelectionArgs& a) { return kSelections.at(a.select); }

std::optional<exporting::DateRange> selectionRange(const SelectionArgs& a) {
  if (a.from.empty() && a.to.empty()) return std::nullopt;
  return exporting::DateRange{wordindex::parseDay(a.from).value_or(0), wordindex::parseDay(a.to).value_or(0)};
}

bool selectionStart(Env& env, const SelectionArgs& a, exporting::SelectionStart& start) {
  Context& ctx = env.app().ctx();
  auto missing = [&](const std::string& text) {
    env.ui().message("Selection error", text, MessageKind::Error);
    return false;
  };
  SelectionNames names;
  names.message = a.message;
  names.word = a.word;
  if (selectionCode(a) == SelectionCode::Topic) {
    const std::optional<Codes> t = topics::findCodeNamed(ctx, CodeType::Topic, a.inTopic);
    if (t) names.topicId = t->ID;
  }
  switch (selectionStartOf(ctx, selectionCode(a), names, start)) {
    case SelectionStartProblem::None: return true;
    case SelectionStartProblem::NoWord: return missing("The word selection needs --word.");
    case SelectionStartProblem::UnknownWord:
      return missing("The word \"" + a.word + "\" is not in this database's word index.");
    case SelectionStartProblem::NoTopic:
      return missing("The topic selection needs --in-topic naming a topic of this database.");
    case SelectionStartProblem::NoResultSet:
      return missing("No search result set is stored for this database; run quorvel search first.");
    case SelectionStartProblem::NoMessage: return missing("This selection needs --message, the message it starts from.");
  }
  return false;
}

}  // namespace qv::app::cli
