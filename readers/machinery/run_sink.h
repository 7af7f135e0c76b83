#pragma once
// The sink of an import: converted messages become records of the
// temporary message file (with message identifiers for news), through the
// run's target lookup.

#include <optional>
#include <string>

#include "import/reader.h"
#include "text/message.h"

namespace qv::internet {

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

class RunSink final : public MessageSink {
 public:
  explicit RunSink(ImportRun& run) : run_(run) {}

  // Mail goes to the mail database the import names, when mail is imported
  // and that database takes imports; its own side is filled from the
  // database's list record (own name = the first 40 characters of its
  // description, own address = its mail address): Eudora by the reader's
  // direction, every other reader by the own-address check. News goes to the
  // first of its newsgroups that the target lookup gives as a newsgroup
  // database taking imports (a redirected newsgroup's article goes to the
  // database it names, as a section), with a message-identifier record for
  // the article and one for its parent. A message nobody takes is counted as
  // skipped. False when a write failed.
  bool take(const Message& message, std::uint64_t offset) override;
  void skip(std::uint64_t offset, std::string why) override { run_.skip(offset, std::move(why)); }

 private:
  bool takeMail(const Message& m, std::uint64_t offset);
  bool takeNews(const Message& m, std::uint64_t offset);

  ImportRun& run_;
};

}  // namespace qv::internet
