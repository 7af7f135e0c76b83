#include "readers/capture/capture_sink.h"

namespace qv::capture {

bool RunCaptureSink::takeForum(const ForumMessage& m, std::uint64_t offset) {
  if (!run_.settings.forum) {
    skip(offset, "forum messages are not imported this time");
    return true;
  }
  TargetDatabase* db = m.forum.empty() ? run_.targets.findById(run_.settings.forumDatabase) : run_.target(m.forum, 1);
  if (db == nullptr || db->type != 1) {
    skip(offset, m.forum.empty() ? "no forum database to import into" : "no forum database " + m.forum);
    return true;
  }
  if (!run_.wanted(*db, m.number)) {
    skip(offset, "message " + std::to_string(m.number) + " is not imported into " + db->name);
    return true;
  }
  NewHR& n = run_.ctx.nhr;
  n = NewHR{};
  n.MSGNUMBER = m.number;
  n.REFNUMBER = m.reference;
  n.FOR_DESCRIPTION = db->name;
  n.SECTIONNUMBER = m.sectionNumber;
  n.SEC_DESCRIPTION = m.sectionName;
  n.HEADING = m.subject;
  n.S_NAME = m.senderName;
  n.S_CISADRESS = m.senderAddress;
  n.R_NAME = m.recipientName;
  n.R_CISADRESS = m.recipientAddress;
  n.DATE = m.date;
  n.TIME = m.time;
  run_.ctx.nhrMemo = m.text;
  return run_.appendMessage(*db);
}

}  // namespace qv::capture
