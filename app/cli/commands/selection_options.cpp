#include "app/cli/commands/selection_options.h"

#include <CLI/CLI.hpp>

#include <map>

#include "app/cli/env.h"
#include "topics/codes.h"
#include "wordindex/index_tables.h"
#include "wordindex/result_set.h"
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
  start.message = a.message;
  switch (selectionCode(a)) {
    case SelectionCode::Word: {
      if (a.word.empty()) return missing("The word selection needs --word.");
      wordindex::IndexTable words(ctx, WordList::FileNo);
      ctx.wor = WordList{};
      ctx.wor.THEWORD = a.word;
      if (words.status() != engine::Err::Ok || words.file().get(WordList::by_theWord) != engine::Err::Ok)
        return missing("The word \"" + a.word + "\" is not in this database's word index.");
      start.wordId = static_cast<std::uint32_t>(ctx.wor.WORDID);
      return true;
    }
    case SelectionCode::Topic: {
      const std::optional<Codes> t = topics::findCodeNamed(ctx, CodeType::Topic, a.inTopic);
      if (!t) return missing("The topic selection needs --in-topic naming a topic of this database.");
      start.topicId = t->ID;
      return true;
    }
    case SelectionCode::ResultSet: {
      const wordindex::StoredResultSet set = wordindex::readResultSet(ctx);
      if (set.state != wordindex::ResultSetState::Read)
        return missing("No search result set is stored for this database; run quorvel search first.");
      start.resultSet = set.ids;
      return true;
    }
    case SelectionCode::All:
      // The whole database needs no message to start from.
      return true;
    default:
      if (a.message == 0) return missing("This selection needs --message, the message it starts from.");
      return true;
  }
}

}  // namespace qv::app::cli
