#pragma once
// Where a selection of the export, classify and status operations starts:
// the current message, the word's identifier in the word index, the topic,
// or the stored search result — looked up the same way whichever front end
// names them. A front end words the problem for its own way of naming them.

#include <cstdint>
#include <string_view>

#include "export/selection.h"
#include "store/context.h"

namespace qv::app {

enum class SelectionStartProblem {
  None,
  NoMessage,    // codes 1-5 without a current message
  NoWord,       // the word selection without a word
  UnknownWord,  // a word the database's word index does not hold
  NoTopic,      // the topic selection without a topic
  NoResultSet,  // no search result set stored for the database
};

struct SelectionNames {
  std::uint32_t message = 0;   // the current message (mail); 0: none
  std::string_view word;       // stored form (Windows-1252)
  std::uint32_t topicId = 0;   // 0: none
};

// Fills `start` for selection `code` from `names`; the problem when one is missing.
SelectionStartProblem selectionStartOf(Context& ctx, exporting::SelectionCode code, const SelectionNames& names,
                                       exporting::SelectionStart& start);

}  // namespace qv::app
