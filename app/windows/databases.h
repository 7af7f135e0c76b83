#pragma once
// The database list as the front ends show and change it: the list in name
// order, one database, the names of types and statuses, adding a mail
// database (the first one becomes the default target of mail imports), and
// the database later runs start with.

#include <cstdint>
#include <optional>
#include <vector>

#include "store/context.h"
#include "store/database_list.h"
#include "store/domain.h"

namespace qv::app {

// Every record of the database list, in name order.
std::vector<Forums> readDatabaseList(Context& ctx);
// One database by identifier.
std::optional<Forums> findDatabase(Context& ctx, std::uint32_t id);

const char* typeName(DatabaseType type);
const char* statusName(Status status);

// Adds a mail database for the form's owner; the new record, or nothing
// after the failing step's message.
std::optional<Forums> addMailDatabase(Context& ctx, const MailDatabaseForm& form);

// Removes database `id` — its directory with every file, and its record in
// the list — once the user has confirmed " Database marked for deletion!";
// later runs no longer start with it. False when not confirmed or when it
// could not be removed (said). The caller closes the windows that show it.
bool removeDatabaseConfirmed(Context& ctx, const Forums& database);

// Makes database `id` the one later runs start with (0: none).
void setStartDatabase(Context& ctx, std::uint32_t id);

}  // namespace qv::app
