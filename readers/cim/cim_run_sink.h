#pragma once
// The sink of an import for the filing cabinet and the message files:
// messages become records of the temporary message file, mail with its
// carbon copies.

#include "import/reader.h"
#include "readers/cim/cim_message.h"

namespace qv::cim {

class CimRunSink final : public CimSink {
 public:
  explicit CimRunSink(ImportRun& run) : run_(run) {}

  // Forum message (when forum messages are imported): the forum name loses
  // a leading "CIS:" and names the target forum database (found, or made
  // when new); a forum that does not take imports, a name that belongs to a
  // mail or newsgroup database, and (unless re-import is on) a message
  // number already imported into that forum make the message skipped.
  //
  // Mail (when mail is imported, into the mail database the import names):
  // a subject beginning "Copy of:" loses that and the blank after it; the
  // sender address loses its Internet tag, the sender name its surrounding
  // double quotes, and a name equal to its address (letter case ignored) is
  // cleared. A mail without sender address was sent by the owner; any other
  // is sent when its sender is one of the owner's addresses, else received.
  // The owner's side carries the own name and default address. Recipients
  // are cleaned the same way, and then:
  // - received: one record addressed to the owner ("TO"); when the file
  //   lists two or more recipients, each becomes a carbon copy of it ("CC",
  //   or its list's type for the message files);
  // - sent: one record per recipient, each with a running number of its
  //   own, in the order listed; a sent mail without recipient is skipped.
  bool take(const Message& message, std::uint64_t offset) override;
  void skip(std::uint64_t offset, std::string why) override { run_.skip(offset, std::move(why)); }

 private:
  bool takeForum(const Message& m, std::uint64_t offset);
  bool takeMail(const Message& m, std::uint64_t offset);

  ImportRun& run_;
};

}  // namespace qv::cim
