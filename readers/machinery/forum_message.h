#pragma once
// A forum message as the CompuServe-side readers (capture files, the client
// stores, the record-structured stores) hand it to the temporary message
// file, and the one place that writes it there.

#include <cstdint>
#include <string>

#include "import/reader.h"

namespace qv {

struct ForumMessage {
  std::uint32_t number = 0;
  std::uint32_t parent = 0;  // the message replied to, 0 none
  std::uint32_t sectionNumber = 0;
  std::string sectionName;
  std::string subject;
  std::string senderName, senderAddress;
  std::string recipientName, recipientAddress;
  std::int32_t date = 0;
  std::int32_t time = 0;
  std::uint8_t status = 0;  // a store's own keep/delete mark (a Status), kept in NHR:DUMMY
  std::string text;         // as stored
};

// Appends `m` for forum database `db`, or counts it as skipped when the run
// does not want it there (the database takes no imports, or already has the
// message and re-import is off). False only when the write failed.
bool appendForumMessage(ImportRun& run, TargetDatabase& db, const ForumMessage& m, std::uint64_t offset);

}  // namespace qv
