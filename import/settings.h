#pragma once
// The working values of one import: what the Import Wizard or an import
// definition chose, read by the import driver and the readers.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qv {

// How the source files are chosen.
enum SelectionMethod : int { kSelectTree = 0, kSelectDirectory = 1, kSelectFiles = 2 };

// The message filter of an import (BAT:MSGFILTER).
inline constexpr int kFilterNone = 0;
inline constexpr int kFilterCreateOnly = 2;

struct ImportSettings {
  std::string format;       // the format's name as the catalogue gives it ("Eudora")
  int formatNumber = 17;
  std::filesystem::path path;          // the directory (tree, directory) or the files' directory
  std::vector<std::string> masks;      // DOS masks (tree, directory)
  std::vector<std::string> files;      // chosen file names (file selection); folder names for "Outlook Mail"
  int method = kSelectFiles;
  bool mail = false;   // import mail messages
  bool forum = false;  // import forum messages
  bool news = false;   // import newsgroup messages
  int filter = kFilterNone;  // kFilterCreateOnly: import no messages, only create the databases the files name
  bool reimport = false;        // messages already imported are imported again
  std::uint32_t mailTopic = 0;  // topic attached to every imported mail; 0 none
  std::uint32_t forumDatabase = 0;  // target forum database for formats whose files name none
  std::uint32_t mailDatabase = 0;   // target mail database for mail messages
  int variant = 0;  // the record reader's variant for "NavCIS 1.6x" (62) and "NavCIS 1.7x-" (76)
};

}  // namespace qv
