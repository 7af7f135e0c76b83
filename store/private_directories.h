#pragma once
// Directories of the archive are the owner's alone: on a shared machine no
// other user may read the mail kept in them.

#include <filesystem>
#include <system_error>

namespace qv {

// Mode of every directory the program creates, whatever the umask.
inline constexpr std::filesystem::perms kPrivateDirectoryMode = std::filesystem::perms::owner_all;

// Creates `path` and every missing directory above it with the private
// mode. Directories that already exist keep their modes: the user chose
// them. False with `ec` set when a directory cannot be made.
bool createPrivateDirectories(const std::filesystem::path& path, std::error_code& ec);

}  // namespace qv
