#include "app/windows/selection_start.h"

#include <string>

#include "wordindex/index_tables.h"
#include "wordindex/result_set.h"

namespace qv::app {

using exporting::SelectionCode;

SelectionStartProblem selectionStartOf(Context& ctx, SelectionCode code, const SelectionNames& names,
                                       exporting::SelectionStart& start) {
  start.message = names.message;
  switch (code) {
    case SelectionCode::Word: {
      if (names.word.empty()) return SelectionStartProblem::NoWord;
      wordindex::IndexTable words(ctx, WordList::FileNo);
      ctx.wor = WordList{};
      ctx.wor.THEWORD = std::string(names.word);
      if (words.status() != engine::Err::Ok || words.file().get(WordList::by_theWord) != engine::Err::Ok)
        return SelectionStartProblem::UnknownWord;
      start.wordId = static_cast<std::uint32_t>(ctx.wor.WORDID);
      return SelectionStartProblem::None;
    }
    case SelectionCode::Topic:
      if (names.topicId == 0) return SelectionStartProblem::NoTopic;
      start.topicId = names.topicId;
      return SelectionStartProblem::None;
    case SelectionCode::ResultSet: {
      const wordindex::StoredResultSet set = wordindex::readResultSet(ctx);
      if (set.state != wordindex::ResultSetState::Read) return SelectionStartProblem::NoResultSet;
      start.resultSet = set.ids;
      return SelectionStartProblem::None;
    }
    case SelectionCode::All:
      // The whole database needs no message to start from.
      return SelectionStartProblem::None;
    default: return names.message == 0 ? SelectionStartProblem::NoMessage : SelectionStartProblem::None;
  }
}

}  // namespace qv::app
