#pragma once
// The current-message context records: what a browse hands its companion
// windows (thread tree, topic tree, search, export) — the view it shows and
// its current message with the values that limit the view. One record for
// the message browses, one for the mail browses, shared by every thread of
// the program; both start cleared. A store (mode 2) replaces the record, a
// fetch (mode 3) copies it out; each store counts as a change, so a
// companion can tell cheaply whether it must reload.

#include <cstdint>
#include <mutex>

#include "store/fixed_string.h"

namespace qv {

enum class ContextMode : std::uint8_t { Store = 2, Fetch = 3 };

struct MessageContext {
  std::uint8_t view = 0;  // the browse's view mode, 0 none
  std::uint32_t MSGNUMBER = 0;
  FixedString<10> THREADALPHA;
  std::uint32_t THREADNUMBER = 0;
  std::uint32_t SECSYSID = 0;
  std::uint32_t FROMID = 0;
  FixedString<10> FROMALPHA;
  std::uint32_t TOID = 0;
  FixedString<10> TOALPHA;
  std::uint32_t wordId = 0;   // the word view's word
  std::uint32_t topicId = 0;  // the topic view's topic
  friend bool operator==(const MessageContext&, const MessageContext&) = default;
};

struct MailContext {
  std::uint8_t view = 0;
  std::uint32_t MAILID = 0;
  std::uint32_t PAIRID = 0;
  FixedString<25> PAIRALPHA;
  std::uint32_t FROMID = 0;
  FixedString<10> FROMALPHA;
  std::uint32_t TOID = 0;
  FixedString<10> TOALPHA;
  std::uint32_t wordId = 0;
  std::uint32_t topicId = 0;
  friend bool operator==(const MailContext&, const MailContext&) = default;
};

class ContextRecords {
 public:
  // Stores or fetches the record; answers the number of stores so far.
  std::uint64_t exchange(ContextMode mode, MessageContext& record);
  std::uint64_t exchange(ContextMode mode, MailContext& record);
  // The number of stores of each record so far, without copying it.
  std::uint64_t messageChanges() const;
  std::uint64_t mailChanges() const;

 private:
  mutable std::mutex mutex_;
  MessageContext message_;
  MailContext mail_;
  std::uint64_t messageChanges_ = 0;
  std::uint64_t mailChanges_ = 0;
};

}  // namespace qv
