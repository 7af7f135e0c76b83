#pragma once
// The files the record-file engine keeps beside a table file "<name>": the
// lock companion "<name>.lck", SQLite's rollback journal "<name>-journal" and
// super-journals "<name>-mj…", and what an interrupted create left
// ("<name>.<pid>-<serial>.new" with its journal). Removing a table removes
// them too: a journal left beside a removed table would otherwise be played
// back into a new table created under the same name.

#include <string_view>

namespace qv::engine {

bool isCompanionOf(std::string_view tableFileName, std::string_view name);

}  // namespace qv::engine
