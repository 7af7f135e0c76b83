#pragma once
// The one place where a mail becomes a record of the temporary message
// file, for both mail sinks: the Internet readers' RunSink (which the
// capture, record-structured and Outlook readers use too) and the
// CompuServe client stores' CimRunSink. What differs between them comes in
// as MailParts: who the owner is on each side and how the direction is
// decided. Cleaning the parties, numbering and appending stay with each
// sink, since one mail may become a record per recipient.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "import/reader.h"
#include "text/message.h"

namespace qv {

// The mail database an import's mail goes to, with the owner's identity:
// own name = the first 40 characters of its description, own address = its
// mail address, lower-cased.
struct MailTarget {
  TargetDatabase* db = nullptr;
  const Forums* owner = nullptr;
  std::string ownName;
  std::string ownAddress;
};

// The mail target of the run; nothing when mail is not imported, the import
// names no mail database (or one that does not exist), or that database
// takes no imports; the mail is then counted as skipped at `offset`, with
// the reason.
std::optional<MailTarget> mailTarget(ImportRun& run, std::uint64_t offset);

// One mail as a sink hands it to the builder; the views must outlive the call.
struct MailParts {
  std::string_view subject;
  std::string_view senderName, senderAddress;
  std::string_view recipientName, recipientAddress;
  // The owner stands on that side: the own name and own address are stored
  // instead of the parts given for it.
  bool senderIsOwner = false;
  bool recipientIsOwner = false;
  // Received or Sent as the reader knows it, or ByOwnAddress: the
  // own-address check decides.
  internet::Direction direction = internet::Direction::ByOwnAddress;
  std::int32_t date = 0;
  std::int32_t time = 0;
  std::uint8_t status = 0;  // NHR:DUMMY
  std::string_view text;
};

// Makes ctx.nhr a new record of `mail` for `target` — description the own
// name, recipient type "TO" — and ctx.nhrMemo its text. The mail type is
// the one the reader knows, or that of the own-address check, which also
// stores the owner's side under the default address and lower-cases the
// other (ownAddressCheck). Then the owner's side (the recipient of received
// mail, the sender of sent mail) carries the own name. The record's numbers
// are left to the caller. Answers whether the mail came out received or sent.
internet::Direction buildMailRecord(ImportRun& run, const MailTarget& target, const MailParts& mail);

// Gives ctx.nhr the run's next number, as its own and its reference number,
// and appends it for `db`. False on a write error (the run then ends).
bool appendMailRecord(ImportRun& run, TargetDatabase& db);

}  // namespace qv
