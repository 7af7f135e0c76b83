#pragma once
// Every table of the system, and where each one's file lives.

#include <filesystem>

#include "store/tables/config_tables.h"
#include "store/tables/database_tables.h"
#include "store/tables/work_tables.h"

namespace qv {

// Where a table's file is, by file number.
enum class Place {
  Database,    // Mem:FileDir / Mem:Dirnamn / IDXnnn.TPS
  WordIndex,   // MasIdxPath / Mem:Dirnamn / IDXnnn.TPS
  Config,      // Mem:Net / CFG / IDXnnn.TPS
  Temp,        // Mem:TempDir / IDXnnn.TPS
  CallerName,  // FileTmpName as given
};

struct TableInfo {
  int fileNo;
  Place place;
  const TableDecl& (*decl)();
};

// The table with this file number; null for numbers that name no table
// (0, 14, 15, 16, 36, 37, 38 and anything above 48).
const TableInfo* tableInfo(int fileNo);

// "IDX003.TPS"; ".DAT" for the tables kept by the fixed-record driver.
std::string tableFileName(int fileNo);

inline constexpr int kHighestFileNo = 48;

}  // namespace qv
