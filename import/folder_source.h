#pragma once
// Formats whose sources are the folders of a mail client, reached through
// the client's automation interface ("Outlook Mail"), rather than files.
// The driver treats such a format like any other: the folder source stands
// where the file list stands, and each chosen folder is read by a reader of
// its own through the reader contract (import/reader.h).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "import/reader.h"

namespace qv {

class FolderSource {
 public:
  virtual ~FolderSource() = default;
  // Whether the client is installed; the wizard refuses the format when not.
  virtual bool clientInstalled() = 0;
  // Starts the client and marks the folders the import chose (a folder's
  // name, or its parent's name, "\" and its name). Empty when the run can go
  // on; otherwise the text the run ends with (client not installed, cannot
  // be run, a chosen folder no longer exists).
  virtual std::string start(const std::vector<std::string>& chosen) = 0;
  // The chosen folders as the run's sources, in order: name and item count.
  virtual std::vector<SourceFile> sources() const = 0;
  // The items of all chosen folders together: the run's progress range.
  virtual std::uint64_t items() const = 0;
  // A reader for source `index` of sources(); valid while this lives.
  virtual std::unique_ptr<Reader> reader(std::size_t index) = 0;
};

// Registers the folder source of one format (by its catalogue name); a
// second registration under the same name replaces the first (tests give a
// client of their own this way).
void registerFolderSource(Library& lib, std::string_view format, FolderSourceFactory factory);
// A new folder source for the format; null when none is registered.
std::unique_ptr<FolderSource> makeFolderSource(Library& lib, std::string_view format);

}  // namespace qv
