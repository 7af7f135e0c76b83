#include "readers/records/forum_message.h"

#include "store/domain.h"

namespace qv::records {

bool storeForumMessage(ImportRun& run, TargetDatabase* db, const ForumMessage& m, std::uint64_t offset) {
  if (db == nullptr || databaseType(db->type) != DatabaseType::Forum) {
    run.skip(offset, "no forum database to import into");
    return true;
  }
  if (m.number == 0 || m.number >= kForumNumberLimit) {
    run.skip(offset, "message number " + std::to_string(m.number) + " is no forum message number");
    return true;
  }
  return appendForumMessage(run, *db, m, offset);
}

}  // namespace qv::records
