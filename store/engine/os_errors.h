#pragma once
// A failed system call on a file as an engine error: ENOENT becomes 2 (file
// not found) when the directory exists and 3 (path not found) when it does
// not, permission errors 5, bad names 36, anything else 90; the text names
// the file and the system's reason.

#include <filesystem>

#include "store/engine/errors.h"

namespace qv::engine {

Status statusOfErrno(int error, const std::filesystem::path& file);

}  // namespace qv::engine
