#pragma once
// One stored message (forum, newsgroup) or mail as an RFC 5322 message in
// UTF-8, for today's mail programs: From, To and Cc from the persons and
// carbon copies, Subject, a Date with the stored date and time (forum and
// newsgroup messages have no time: 00:00:00; the zone is unknown, "-0000"),
// Message-ID, and In-Reply-To and References along the stored reply chain.
// Newsgroup messages keep the identifiers their articles had; forum
// messages and mails get identifiers made from the database and message
// number ("<412350.250001@quorvel.invalid>"), the same at every export, so a
// forum thread reads as a reply chain. "X-Quorvel-" headers carry the
// database, the section (newsgroup), the message's status and its topics.
//
// The body is the stored text converted from Windows-1252, as 8-bit text,
// or quoted-printable when a line is longer than a mail line may be.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "store/context.h"

namespace qv::exporting {

struct RfcMessage {
  std::string envelopeSender;  // an address for an mbox "From " line; "MAILER-DAEMON" when there is none
  std::int32_t date = 0;       // day number; 0 none
  std::int32_t time = 0;       // time number; 0 none
  std::string text;            // header, empty line, body; every line ends with "\n"
};

enum class ComposeResult {
  Ok,
  Gone,    // the message (mail) does not exist (any more)
  Failed,  // a table could not be read
};

// The address a person's stored address stands for in a mail header: an
// Internet address as it is (a leading "INTERNET:" and angle brackets
// dropped), a service identifier "70001,1" as "70001.1@compuserve.com";
// empty when there is none.
std::string mailAddressOf(std::string_view stored);

// Composes the messages of the active database. The tables of tables() must
// be open (and stay open) while it is used.
class RfcComposer {
 public:
  explicit RfcComposer(Context& ctx);

  static std::vector<int> tables(DatabaseType type);
  ComposeResult compose(std::uint32_t id, RfcMessage& out);

 private:
  struct Party {
    std::string name;     // Windows-1252; empty for none
    std::string address;  // empty for none
  };
  bool loadTopics();
  std::optional<Party> person(std::uint32_t id);
  std::string messageId(std::uint32_t number);
  std::string topicsOf(std::uint32_t id);
  ComposeResult composeMessage(std::uint32_t id, RfcMessage& out);
  ComposeResult composeMail(std::uint32_t id, RfcMessage& out);
  // The stored text of message `id` as UTF-8 with LF line ends (empty when
  // it has none); nothing when it cannot be read.
  std::optional<std::string> body(std::uint32_t id);

  Context& ctx_;
  DatabaseType type_;
  std::map<std::uint32_t, std::string> topics_;
  std::map<std::uint32_t, std::string> sections_;
  bool topicsLoaded_ = false;
};

}  // namespace qv::exporting
