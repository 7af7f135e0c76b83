#pragma once
// What the database commands share: reading the database list.

#include <cstdint>
#include <optional>
#include <vector>

#include "app/windows/databases.h"
#include "store/context.h"
#include "store/domain.h"

namespace qv::app::cli {
class Env;
}

namespace qv::app::cli {

using app::findDatabase;
using app::readDatabaseList;
using app::setStartDatabase;
using app::statusName;
using app::typeName;

// A person as a listing shows one: "First Last <address>", "#id" when the
// person is missing, empty for none. The Person table must be open.
std::string personText(Context& ctx, std::uint32_t id);

// Makes database `id` the active one (when not 0) and checks that one is
// active; false after a message naming `title` otherwise.
bool useDatabase(Env& env, const char* title, std::uint32_t id);

}  // namespace qv::app::cli
