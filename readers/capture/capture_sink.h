#pragma once
// Where the capture-family readers hand their messages: forum messages as a
// ForumMessage, mail and newsgroup messages as the Internet readers'
// Message (so that mail takes the same owner rules, numbering and checks as
// every other mail reader). The import's sink writes NewHR records; tests
// and fuzz targets keep what they get.

#include <cstdint>
#include <string>

#include "import/reader.h"
#include "readers/machinery/forum_message.h"
#include "text/message.h"
#include "readers/machinery/run_sink.h"

namespace qv::capture {

// A forum message with the forum its file names.
struct ForumMessage : qv::ForumMessage {
  std::string forum;  // the target database's name; empty: the import's forum database
};

class CaptureSink : public internet::MessageSink {
 public:
  // Takes a forum message found at `offset`: writes it, or counts it as
  // skipped when no target takes it. False when a write failed.
  virtual bool takeForum(const ForumMessage& message, std::uint64_t offset) = 0;
};

class RunCaptureSink final : public CaptureSink {
 public:
  explicit RunCaptureSink(ImportRun& run) : run_(run), internet_(run) {}

  // A forum message goes to the forum database it names (found or created
  // as a forum database), or to the import's forum database when it names
  // none; it is skipped when forum messages are not imported, that database
  // is not a forum database or takes no imports, the filter creates
  // databases only, or (re-import off) the message is in SaveFile.
  bool takeForum(const ForumMessage& message, std::uint64_t offset) override;
  // Mail and news as the Internet readers' sink takes them.
  bool take(const internet::Message& message, std::uint64_t offset) override {
    return internet_.take(message, offset);
  }
  void skip(std::uint64_t offset, std::string why) override { run_.skip(offset, std::move(why)); }

 private:
  ImportRun& run_;
  internet::RunSink internet_;
};

}  // namespace qv::capture
