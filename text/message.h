#pragma once
// A message as the Internet store readers hand it on: converted from its
// lines, not yet given a target database. A MessageSink takes it — the
// import's temporary message file (RunSink), or a recording sink in tests
// and fuzz targets.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qv::internet {

enum class MessageKind : std::uint8_t { Mail, News };

// Who sent a mail, as far as the reader knows.
enum class Direction : std::uint8_t {
  ByOwnAddress,  // the own-address check decides (all mail readers but Eudora)
  Received,      // Eudora: the message has a Date line
  Sent,          // Eudora: it has none
};

struct Message {
  MessageKind kind = MessageKind::Mail;
  Direction direction = Direction::ByOwnAddress;
  bool senderIsOwner = false;     // news-reader mail whose sender reads "You …"
  bool recipientIsOwner = false;  // news-reader mail without a To line
  std::string subject;
  std::string senderAddress, senderName;
  std::string recipientAddress, recipientName;
  std::int32_t date = 0;
  std::int32_t time = 0;
  std::uint8_t status = 0;              // NHR:DUMMY, a Status: kept or marked deleted in the source store
  std::string text;                     // the stored text (at most 64,000 characters)
  std::vector<std::string> newsgroups;  // news: the Newsgroups line's groups, in order
  std::string messageId;                // news: its own identifier (60 characters)
  std::string parentId;                 // news: the message it answers, empty when none
};

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // Takes a message found at `offset` in the store: writes it, or counts it
  // as skipped when no target takes it. False when a write failed: the
  // reader then stops (the failure was reported).
  virtual bool take(const Message& message, std::uint64_t offset) = 0;
  // A message that could not be read or was rejected, with where and why.
  virtual void skip(std::uint64_t offset, std::string why) = 0;
};

// What the record reader of IE News and Outlook Express 4 News found before
// the article's lines; it fills what the lines do not give.
struct Prefill {
  std::string messageId;   // 60
  std::string subject;     // 100
  std::string from;        // 100
  std::string references;  // 400
  std::string newsgroups;  // 100
};

}  // namespace qv::internet
