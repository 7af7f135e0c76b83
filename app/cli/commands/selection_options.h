#pragma once
// The options that name a selection of messages, shared by every command
// that works on one (classify, recode, export, print). A command has no open
// browse, so the selection's starting point is named: --message for the
// current message, --word and --in-topic for the word and topic selections;
// the result-set selection takes the database's stored set.

#include <cstdint>
#include <optional>
#include <string>

#include "export/selection.h"

namespace CLI {
class App;
}

namespace qv::app::cli {

class Env;

struct SelectionArgs {
  std::uint32_t db = 0;
  std::string select = "current", from, to, word, inTopic;
  std::uint32_t message = 0;
};

// Adds --db, --select, --message, --word, --in-topic, --from and --to.
void addSelectionOptions(CLI::App* command, SelectionArgs& args);

// The selection code --select names.
exporting::SelectionCode selectionCode(const SelectionArgs& args);

// The date range of --from and --to; none when both are empty. A date the
// parser does not take counts as no date, so the range check names the field.
std::optional<exporting::DateRange> selectionRange(const SelectionArgs& args);

// The selection's starting point in `start`; false after saying through the
// UI port what is missing.
bool selectionStart(Env& env, const SelectionArgs& args, exporting::SelectionStart& start);

}  // namespace qv::app::cli
