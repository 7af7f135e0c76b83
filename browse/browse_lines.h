#pragma once
// The lines of the message and mail browses as their lists show them: the
// record's own fields, the texts of the thread, section and persons it
// points to, and the line's effective status and colour. A record that
// points at a missing thread, section or person shows blank texts there.

#include <cstdint>
#include <string>
#include <unordered_map>

#include "browse/line_texts.h"
#include "store/context.h"
#include "store/table_use.h"

namespace qv::browse {

struct MessageLine {
  std::uint32_t number = 0;
  std::int32_t date = 0;
  std::string thread, sender, receiver, section;
  Status status = Status::Normal;  // message, thread, section, database
  std::int32_t colour = kDefaultColour;
};

struct MailLine {
  std::uint32_t id = 0;
  std::int32_t date = 0, time = 0;
  std::string subject, from, to;
  std::string receiverType;  // MAI:RECIPTYPE
  bool carbonCopies = false;  // MAI:CCR
  Status status = Status::Normal;  // mail, partner, database
  std::int32_t colour = kDefaultColour;
};

// Composes lines of the active database. Keeps the threads, sections and
// persons tables open for its life and each person's texts once read, so a
// page costs one read per thread and section and one per new person.
class LineComposer {
 public:
  explicit LineComposer(Context& ctx);

  MessageLine message(const MsgNmbr& m);
  MailLine mail(const Mail& m);

 private:
  struct PersonEntry {
    std::string text;
    Status status = Status::Normal;
  };
  const PersonEntry& person(std::uint32_t id);

  Context& ctx_;
  TableUse tables_;
  PersonForm form_;
  std::size_t personWidth_;
  bool newsgroup_;
  std::unordered_map<std::uint32_t, PersonEntry> persons_;
};

}  // namespace qv::browse
