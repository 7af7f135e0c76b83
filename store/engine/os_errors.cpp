#include "store/engine/os_errors.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

namespace qv::engine {

Status statusOfErrno(int e, const std::filesystem::path& p) {
  Err code = Err::FileSystemError;
  switch (e) {
    case ENOENT: {
      const std::filesystem::path dir = p.has_parent_path() ? p.parent_path() : std::filesystem::path(".");
      std::error_code ec;
      code = std::filesystem::is_directory(dir, ec) ? Err::FileNotFound : Err::PathNotFound;
      break;
    }
    case ENOTDIR: code = Err::PathNotFound; break;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: code = Err::AccessDenied; break;
    case ENAMETOOLONG:
    case EINVAL: code = Err::InvalidFileName; break;
    default: break;
  }
  return {code, std::string(defaultText(code)) + ": " + p.string() + " (" + std::strerror(e) + ")"};
}

}  // namespace qv::engine
