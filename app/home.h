#pragma once
// Where an installation keeps its data: the data home, which plays the part
// of the program directory (configuration, databases). Chosen by --home, else $QUORVEL_HOME, else
// $XDG_DATA_HOME/quorvel, else ~/.local/share/quorvel.

#include <filesystem>
#include <optional>

namespace qv::app {

// The data home as a canonical absolute path (created when missing).
// Throws std::runtime_error when none can be found or made.
std::filesystem::path resolveHome(const std::optional<std::filesystem::path>& flag);

}  // namespace qv::app
