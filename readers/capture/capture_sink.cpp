#include "readers/capture/capture_sink.h"

#include "store/domain.h"

namespace qv::capture {

bool RunCaptureSink::takeForum(const ForumMessage& m, std::uint64_t offset) {
  if (!run_.settings.forum) {
    skip(offset, "forum messages are not imported this time");
    return true;
  }
  TargetDatabase* db = m.forum.empty() ? run_.targets.findById(run_.settings.forumDatabase)
                                       : run_.target(m.forum, stored(DatabaseType::Forum));
  if (db == nullptr || databaseType(db->type) != DatabaseType::Forum) {
    skip(offset, m.forum.empty() ? "no forum database to import into" : "no forum database " + m.forum);
    return true;
  }
  return appendForumMessage(run_, *db, m, offset);
}

}  // namespace qv::capture
