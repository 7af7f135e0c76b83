#pragma once
// A full consistency check of a SQLite-kept table file (SQLite's integrity
// check with this engine's collation), for tests and repair tools.

#include <filesystem>
#include <string>

#include "store/engine/declaration.h"
#include "store/engine/errors.h"

namespace qv::engine {

// Ok when the file passes; otherwise FileSystemError with SQLite's findings.
Status checkIntegrity(const std::filesystem::path& path, const std::string& ownerPassword);
// The same for a file of the table `decl`, with its password and page size.
Status checkIntegrity(const std::filesystem::path& path, const TableDecl& decl);

}  // namespace qv::engine
