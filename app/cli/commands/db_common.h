#pragma once
// What the database commands share: reading the database list.

#include <cstdint>
#include <optional>
#include <vector>

#include "store/context.h"

namespace qv::app::cli {

// Every record of the database list, in name order.
std::vector<Forums> readDatabaseList(Context& ctx);
// One database by identifier.
std::optional<Forums> findDatabase(Context& ctx, std::uint32_t id);

const char* typeName(std::uint8_t type);
const char* statusName(std::uint8_t status);

}  // namespace qv::app::cli
