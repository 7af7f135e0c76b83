#include "readers/records/forum_message.h"

namespace qv::records {

bool storeForumMessage(ImportRun& run, TargetDatabase* db, const ForumMessage& m, std::uint64_t offset) {
  if (db == nullptr || db->type != 1) {
    run.skip(offset, "no forum database to import into");
    return true;
  }
  if (m.number == 0 || m.number >= kForumNumberLimit) {
    run.skip(offset, "message number " + std::to_string(m.number) + " is no forum message number");
    return true;
  }
  if (!run.wanted(*db, m.number)) {
    run.skip(offset, "message " + std::to_string(m.number) + " is not imported into " + db->name);
    return true;
  }
  NewHR& n = run.ctx.nhr;
  n = NewHR{};
  n.FOR_DESCRIPTION = db->name;
  n.MSGNUMBER = m.number;
  n.REFNUMBER = m.parent;
  n.SECTIONNUMBER = m.section;
  n.SEC_DESCRIPTION = m.sectionName;
  n.HEADING = m.subject;
  n.S_CISADRESS = m.senderAddress;
  n.S_NAME = m.senderName;
  n.R_CISADRESS = m.recipientAddress;
  n.R_NAME = m.recipientName;
  n.DUMMY = m.status;
  n.DATE = m.date;
  n.TIME = 0;
  run.ctx.nhrMemo = m.text;
  return run.appendMessage(*db);
}

}  // namespace qv::records
