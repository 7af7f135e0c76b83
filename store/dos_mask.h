#pragma once
// File masks with DOS rules, for removing, finding and sizing files by mask
// ("*.TPS", "IDX0??.DAT", "*.K*", or a plain file name).
//
// Names and masks are compared byte by byte as Windows-1252 text without
// regard to letter case, so "idx003.tps" matches "*.TPS". A file name on disk
// that is UTF-8 is compared by its bytes like any other name; its ASCII
// letters fold as usual.

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

namespace qv {

// Whether a file name (the last path component only) matches a mask.
// - "?" matches exactly one character, "*" any run of characters (none
//   included, dots included); every other character matches itself in either
//   case.
// - A mask ending in ".*" also matches a name without a dot that matches the
//   part before it: "*.*" matches every name, "README.*" matches "README".
// - A mask ending in "." (but not ".*") matches only names without a dot,
//   against the part before it: "*." matches "NOTES" but not "NOTES.TXT".
// - An empty mask matches nothing; an empty name matches nothing.
bool matchesMask(std::string_view mask, std::string_view name);

// The regular files of a directory whose names match the mask, sorted by name
// without regard to case (names equal but for case in byte order). A symbolic
// link counts as the file it points to; directories, broken links and other
// kinds of entries are left out, and so is an entry that disappears while
// the directory is read. The directory itself is not searched below its top
// level. A directory that does not exist (or a path that is not a directory)
// gives an empty list and leaves error clear; when the directory exists but
// cannot be read, the list is empty or partial and error (when given) says why.
std::vector<std::filesystem::path> listMatching(const std::filesystem::path& dir, std::string_view mask,
                                                std::error_code* error = nullptr);

// Total size in bytes of the regular files that match. When dirOrFile is a
// directory: the files listMatching(dirOrFile, mask) finds. When it is a
// regular file: its size when mask is empty or its file name matches mask,
// else 0. Anything else, or nothing matching: 0. The sum is 64-bit; a caller
// that keeps it in a ULONG field must cap it at 4294967295.
std::uint64_t totalSize(const std::filesystem::path& dirOrFile, std::string_view mask);

}  // namespace qv
