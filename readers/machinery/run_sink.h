#pragma once
// The sink of an import: converted messages become records of the
// temporary message file (with message identifiers for news), through the
// run's target lookup.

#include <string>

#include "import/reader.h"
#include "text/message.h"

namespace qv::internet {

class RunSink final : public MessageSink {
 public:
  explicit RunSink(ImportRun& run) : run_(run) {}

  // Mail goes to the mail database the import names, when mail is imported
  // and that database takes imports, as one record made by the mail-record
  // builder (mail_record.h); its own side is filled from the
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
