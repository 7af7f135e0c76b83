#pragma once
// A browse's current line as the context record its companion windows read,
// and the bookmark of a browse.

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

#include "browse/mail_views.h"
#include "browse/message_views.h"
#include "store/context_records.h"

namespace qv::browse {

// The record of message `m` shown in `view`; the word and topic views also
// name their word or topic.
MessageContext messageContext(const MsgNmbr& m, MessageView view, std::uint32_t wordId = 0,
                              std::uint32_t topicId = 0);
MailContext mailContext(const Mail& m, MailView view, std::uint32_t wordId = 0, std::uint32_t topicId = 0);

// "Set BookMark" remembers the current message of the view; the button then
// reads "Reset to BookMark" and shows the alert icon, and pressing it again
// gives the remembered message back (the list returns to it) and clears
// the mark.
class Bookmark {
 public:
  std::string_view caption() const { return marked_ ? "Reset to BookMark" : "Set BookMark"; }
  bool alert() const { return marked_.has_value(); }
  // With no mark, marks `current` and answers nothing; with one, answers it.
  std::optional<std::uint32_t> press(std::uint32_t current) {
    if (!marked_) {
      marked_ = current;
      return std::nullopt;
    }
    return std::exchange(marked_, std::nullopt);
  }

 private:
  std::optional<std::uint32_t> marked_;
};

}  // namespace qv::browse
