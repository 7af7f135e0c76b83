#pragma once
// The installation's settings as loaded into memory (see config.h for the
// operations that load, read, change and save them). One instance per
// process, shared by every thread of work.

#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace qv {

struct Settings {
  mutable std::mutex mutex;
  bool loaded = false;
  // General settings (Control record 1) and display settings (record 9) by
  // item number; texts (font typefaces) beside them.
  std::map<int, std::int32_t> general;
  std::map<int, std::int32_t> display;
  std::map<int, std::string> displayText;
  // Directory settings (record 4): item 17 temporary files, 18 database
  // directory, 19 word-index files.
  std::map<int, std::string> paths;
  // The default path of import files (record 20).
  std::string importPath;
  // Batch sizes of long work by kind 26 to 31, computed from the speed choices.
  std::array<std::int32_t, 6> speed{500, 275, 10, 10, 50, 25};
};

}  // namespace qv
