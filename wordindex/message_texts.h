#pragma once
// The texts the word index reads: a message's subject (its thread's in
// forum and newsgroup databases) and its stored text, and the text a browse
// shows for it — "Subject: " and the subject, two line ends, then the
// stored text — in which hit ranges are counted.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "store/context.h"
#include "store/table_use.h"
#include "wordindex/word_cutter.h"

namespace qv::wordindex {

struct MessageText {
  std::uint32_t id = 0;  // MSG:MSGNUMBER, or MAI:MAILID in a mail database
  std::string subject;
  std::string text;
};

inline constexpr std::string_view kSubjectLabel = "Subject: ";

// The text the browse shows, and where the stored text begins in it.
std::string shownText(const MessageText& m);
std::size_t textStart(const MessageText& m);

// Calls `f` for each word of the subject and the text, with its place in the
// shown text, in text order. The same word may come more than once.
void forEachWord(const MessageText& m, const DelimiterSet& set, const CutOptions& options,
                 const std::function<void(const WordHit&)>& f);

enum class TextRead { Found, End, Failed };

// The messages of the active database, read through its own Context's
// tables (opened for the object's life).
class MessageTexts {
 public:
  explicit MessageTexts(Context& ctx);
  MessageTexts(const MessageTexts&) = delete;
  MessageTexts& operator=(const MessageTexts&) = delete;

  bool isMail() const { return mail_; }
  // Walks the messages' identifiers, highest first: the next one, End after
  // the last, Failed on a read error (reported).
  TextRead nextId(std::uint32_t& id);
  // One message by identifier: Found (a message without a stored text has
  // an empty one), End when there is no such message, Failed.
  TextRead read(std::uint32_t id, MessageText& out);
  // The number of messages of the database; -1 when it cannot be read.
  std::int64_t count();
  // Keeps the tables' reads in one read transaction while it lives (for a
  // slice of messages read at once).
  engine::ReadBurst burst();

 private:
  engine::File& headers();
  TextRead failed(engine::File& f);
  void threadSubject(std::uint32_t thread, std::string& subject);

  Context& ctx_;
  bool mail_;
  TableUse tables_;
  bool walking_ = false;
  std::uint32_t cachedThread_ = 0;
  std::string cachedSubject_;
};

}  // namespace qv::wordindex
