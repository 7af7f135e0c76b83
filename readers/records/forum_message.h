#pragma once
// A forum message of a record-structured store, as the CISCOMM and NavCIS
// readers hand it to the temporary message file. (Their mail goes through
// the Internet readers' sink, which does the own-address check.)

#include <cstdint>
#include <string>

#include "import/reader.h"
#include "readers/machinery/forum_message.h"

namespace qv::records {

using ForumMessage = qv::ForumMessage;

// Appends `m` for forum database `db` (time 0). Counted as skipped, with
// why: no database (null, or one that is not a forum), a message number of
// 0 or from 9,000,000 on, a database that takes no imports, or a message
// the database already had (unless re-import is on). False only when the
// write failed.
bool storeForumMessage(ImportRun& run, TargetDatabase* db, const ForumMessage& m, std::uint64_t offset);

}  // namespace qv::records
