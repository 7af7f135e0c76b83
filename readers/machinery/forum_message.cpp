#include "readers/machinery/forum_message.h"

namespace qv {

bool appendForumMessage(ImportRun& run, TargetDatabase& db, const ForumMessage& m, std::uint64_t offset) {
  if (!run.wanted(db, m.number)) {
    run.skip(offset, "message " + std::to_string(m.number) + " is not imported into " + db.name);
    return true;
  }
  NewHR& n = run.ctx.nhr;
  n = NewHR{};
  n.FOR_DESCRIPTION = db.name;
  n.MSGNUMBER = m.number;
  n.REFNUMBER = m.parent;
  n.SECTIONNUMBER = m.sectionNumber;
  n.SEC_DESCRIPTION = m.sectionName;
  n.HEADING = m.subject;
  n.S_CISADRESS = m.senderAddress;
  n.S_NAME = m.senderName;
  n.R_CISADRESS = m.recipientAddress;
  n.R_NAME = m.recipientName;
  n.DUMMY = m.status;
  n.DATE = m.date;
  n.TIME = m.time;
  run.ctx.nhrMemo = m.text;
  return run.appendMessage(db);
}

}  // namespace qv
