#pragma once
// Which files one import reads: the concrete list built from the selection
// method, the import path and the masks or chosen files of the working
// values.
//
// - Directory tree (method 0): the import path and every directory below
//   it, the top first and then breadth first (each directory's
//   subdirectories appended in name order as it is expanded); in each
//   directory the files matching the masks, mask by mask.
// - Directory (method 1): the files of the import path matching the masks;
//   the path must be an existing directory.
// - File selection (method 2): the chosen names in the import path, in the
//   order chosen. A file that is missing is listed all the same (size 0):
//   the driver tells the user and skips it when it comes to it.
//
// Masks follow the DOS rules of store/dos_mask.h (letter case ignored). A
// file that two masks of one directory match is taken once, at the place of
// the first mask that matched it.
//
// Sizes are summed into the 32-bit total the progress bar runs against; a
// total that would pass 4294967295 stays at 4294967295 (and `capped` says
// so), because a wrapped total would make the bar run past its end.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "import/reader.h"
#include "import/settings.h"

namespace qv {

enum class SourceStatus {
  Ok,
  MissingDirectory,  // method 1: the import path is not an existing directory
  UnknownMethod,     // a selection method other than 0, 1 and 2
};

struct SourceList {
  SourceStatus status = SourceStatus::Ok;
  std::vector<SourceFile> files;
  std::uint32_t totalBytes = 0;
  bool capped = false;  // the sizes added up to more than the 32-bit total holds
  // Directories that exist but could not be read (the walk went on without
  // them), so that the caller can say which ones were left out.
  std::vector<std::filesystem::path> unreadable;
};

// The directories of a tree in walking order: `top` first, then breadth
// first. A directory reached twice (through a symbolic link, or a link loop)
// is walked once, so a loop cannot make the walk endless. `top` is taken as
// given apart from doubled or trailing separators ("/" stays "/"). A top
// that is no directory gives an empty list. Directories that cannot be read
// are listed (their files are looked for later) but not expanded, and are
// added to `unreadable` when given.
std::vector<std::filesystem::path> directoryTree(const std::filesystem::path& top,
                                                 std::vector<std::filesystem::path>* unreadable = nullptr);

// The regular files of one directory matching any of the masks: mask by
// mask, within a mask in name order (letter case ignored), each file once.
// With sizes (each capped at 4294967295). A directory that cannot be read
// gives what could be read and is added to `unreadable` when given.
std::vector<SourceFile> matchingFiles(const std::filesystem::path& dir, const std::vector<std::string>& masks,
                                      std::vector<std::filesystem::path>* unreadable = nullptr);

// The whole list for a run. For method 0 the tree is walked here at once;
// a driver that works one directory at a time uses directoryTree and
// matchingFiles instead. For "Outlook Mail" (method 2) the chosen names are
// mail folders, listed as they are with size 0.
SourceList buildSourceList(const ImportSettings& settings);

// Adds `bytes` to a 32-bit total without passing its maximum; true when the
// total had to be held at the maximum.
bool addSize(std::uint32_t& total, std::uint64_t bytes);

// The chosen file names as one text, joined by "##" (the wizard's file list)
// or by ";" when asked for, and back. Splitting drops empty names.
std::string joinFileList(const std::vector<std::string>& files, std::string_view separator = "##");
std::vector<std::string> splitFileList(std::string_view text, std::string_view separator = "##");

}  // namespace qv
