#pragma once
// A message as the filing cabinet and message file readers hand it on: the
// fields as the file holds them (text already converted), not yet cleaned
// or given a target. A CimSink takes it — the import's temporary message
// file (CimRunSink), or a recording sink in tests and fuzz targets.

#include <cstdint>
#include <string>
#include <vector>

#include "readers/machinery/forum_message.h"

namespace qv::cim {

enum class Kind : std::uint8_t { Forum, Mail };

struct Recipient {
  std::string name;     // 40
  std::string address;  // 60
  std::string type;     // "TO", "CC" or "BC"
};

// Forum fields (number, parent, section, recipient) are filled for forum
// messages only; the status mark is not used.
struct Message : ForumMessage {
  Kind kind = Kind::Forum;
  std::string forum;  // as written, perhaps with "CIS:" before it
  // Mail: every recipient the file lists, in order.
  std::vector<Recipient> recipients;
  // The message files give each carbon copy of a received mail its own
  // list's type; the filing cabinet makes them all "CC".
  bool copiesKeepListType = false;
};

class CimSink {
 public:
  virtual ~CimSink() = default;
  // Takes a message found at `offset`: writes it, or counts it as skipped
  // when it is not wanted. False when a write failed: the reader then stops
  // (the failure was reported).
  virtual bool take(const Message& message, std::uint64_t offset) = 0;
  // A message or object that could not be read, with where and why.
  virtual void skip(std::uint64_t offset, std::string why) = 0;
};

}  // namespace qv::cim
