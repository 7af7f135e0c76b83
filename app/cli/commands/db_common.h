#pragma once
// What the database commands share: reading the database list.

#include <cstdint>
#include <optional>
#include <vector>

#include "store/context.h"
#include "store/domain.h"

namespace qv::app::cli {

// Every record of the database list, in name order.
std::vector<Forums> readDatabaseList(Context& ctx);
// One database by identifier.
std::optional<Forums> findDatabase(Context& ctx, std::uint32_t id);

const char* typeName(DatabaseType type);
const char* statusName(Status status);

}  // namespace qv::app::cli
