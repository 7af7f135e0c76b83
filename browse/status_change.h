#pragma once
// Status changes from a browse's pop-up menu: a message (mail), its
// thread, its section, its partner, or the whole database marked Normal,
// Keep or Delete. Each holds the record, writes the new status into it and
// rewrites it; marking the database Delete asks first, since purging then
// removes the database with its directory.

#include <cstdint>
#include <string_view>

#include "store/context.h"
#include "store/domain.h"

namespace qv::browse {

enum class StatusTarget { Message, Thread, Section, Partner, Database };

inline constexpr std::string_view kDeleteDatabaseTitle = " Database marked for deletion!";
inline constexpr std::string_view kDeleteDatabaseText =
    "Do you really want to delete all messages in this database? If you do, the entire database directory will "
    "be removed.";

enum class StatusChangeResult {
  Changed,
  NotOffered,  // threads and sections in a mail database, partners in the others
  Cancelled,   // the user did not confirm marking the database Delete
  Failed,      // the record is missing, held elsewhere, or could not be written (reported)
};

// Changes the status of record `id` of the active database (the message or
// mail number, thread number, section's SECSYSID, person identifier; the
// database itself for Database, whatever `id`). The database's status is
// also kept in Mem:ForumCheck.
StatusChangeResult changeStatus(Context& ctx, StatusTarget target, std::uint32_t id, Status status);

}  // namespace qv::browse
