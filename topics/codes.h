#pragma once
// The topics and key words of the active database (Codes): listing them,
// the topic list's count refresh, and the topic form's insert, change and
// delete.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "store/context.h"
#include "store/domain.h"

namespace qv::topics {

// The codes of one type in key order (text, letter case aside).
std::vector<Codes> listCodes(Context& ctx, CodeType type);

// A code named by its text (letter case aside) or, when `name` is all
// digits, by its identifier.
std::optional<Codes> findCodeNamed(Context& ctx, CodeType type, std::string_view name);

// The topic list's count refresh: with Codes locked and written in stream
// mode, each topic's COD:COUNT is set to the number of its links where it
// differs. The number of topics corrected; nothing when Codes could not be
// locked or written (reported).
std::optional<std::size_t> refreshTopicCounts(Context& ctx);

enum class CodeFormResult {
  Done,
  Duplicate,         // another code of the type has that text, letter case aside; nothing written
  ChangedMeanwhile,  // the stored code differs from the one the form opened on; nothing written
  Failed,            // a read or write failed (reported); nothing written
};

struct CodeAdded {
  CodeFormResult result = CodeFormResult::Failed;
  Codes code{};  // as stored
};

// Insert: a new identifier, count 0, created now; the two key-word flags
// for key words (0 for topics).
CodeAdded addCode(Context& ctx, CodeType type, std::string_view text, bool matchCase = false,
                  bool wholeWords = false);

// Change: the code the form opened on (`opened`, byte for byte as stored)
// gets the new text and flags; its identifier and count stay.
CodeFormResult changeCode(Context& ctx, const Codes& opened, std::string_view text, bool matchCase, bool wholeWords);

// Delete: the code and every link of it, in one transaction.
CodeFormResult deleteCode(Context& ctx, const Codes& opened);

}  // namespace qv::topics
