#pragma once
// What the databases of a data home hold, as sorted lines of text that do
// not depend on the identifiers a run happened to hand out, so that two
// homes filled by different runs can be compared. Message counts are left
// out (an interrupted run may leave them behind until counting is run).
// Inconsistencies — a message without its text, a text without its message,
// a table that does not pass the integrity check — are listed as problems.

#include <filesystem>
#include <string>
#include <vector>

namespace qv::test {

struct HomeDump {
  std::vector<std::string> lines;
  std::vector<std::string> problems;
};

HomeDump canonicalDump(const std::filesystem::path& home);

}  // namespace qv::test
