#pragma once
// How the word index is built and searched, one set of choices for the
// whole installation: kept in Control record 21 (the word index's own
// settings record), read when an index run or a search starts.
//
// Record 21 layout (little-endian, 0 means the default):
//   0  byte  the 25 % rule: 0 or 1 on, 2 off
//   1  byte  numbers: 0 indexed, 1 left out
//   2  byte  tag lines of forum and newsgroup messages: 0 indexed, 1 left out
//   4  int32 index rows a search scans before it asks whether to go on
//   8  byte + up to 40 bytes: the delimiter set's name (empty: "DEFAULT")

#include <cstdint>
#include <string>

#include "store/context.h"
#include "wordindex/delimiters.h"
#include "wordindex/word_cutter.h"

namespace qv::wordindex {

inline constexpr int kRecWordIndex = 21;
inline constexpr const char* kDefaultSetName = "DEFAULT";
inline constexpr std::int32_t kDefaultPauseAfterRows = 2'000'000;

struct IndexSettings {
  // A word found in over a quarter of a database's messages becomes a stop word.
  bool stopWordRule = true;
  bool excludeNumbers = false;
  bool excludeTagLines = false;
  std::int32_t pauseAfterRows = kDefaultPauseAfterRows;
  std::string delimiterSet = kDefaultSetName;
};

// The stored settings; the defaults when none are stored or the record
// cannot be read.
IndexSettings loadIndexSettings(Context& ctx);
// False when the record could not be written (nothing is shown).
bool saveIndexSettings(Context& ctx, const IndexSettings& settings);

// How texts are cut into words under these settings: the delimiter set
// they name (stored in the database's WD table; the default set when it
// holds none of that name) and the cutting options. Tag lines are left out
// only where there are any: not in mail databases.
struct CuttingRules {
  DelimiterSet set;
  CutOptions options;
};
CuttingRules loadCuttingRules(Context& ctx, const IndexSettings& settings);

}  // namespace qv::wordindex
