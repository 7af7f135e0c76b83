#include "store/private_directories.h"

#include <sys/stat.h>

#include <cerrno>
#include <vector>

namespace qv {

namespace fs = std::filesystem;

bool createPrivateDirectories(const fs::path& path, std::error_code& ec) {
  ec.clear();
  std::vector<fs::path> missing;
  for (fs::path p = path.lexically_normal(); !p.empty(); p = p.parent_path()) {
    if (fs::is_directory(p, ec)) break;
    missing.push_back(p);
    if (p == p.parent_path()) break;
  }
  ec.clear();
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (it->filename().empty()) continue;  // "a/b/" names "a/b"
    if (::mkdir(it->c_str(), 0700) != 0) {
      if (errno == EEXIST && fs::is_directory(*it, ec)) continue;  // made by another process meanwhile
      ec = std::error_code(errno, std::generic_category());
      return false;
    }
    // mkdir takes the umask off 0700; a umask that removes owner bits
    // must not leave a directory the program cannot use.
    fs::permissions(*it, kPrivateDirectoryMode, fs::perm_options::replace, ec);
    if (ec) return false;
  }
  return true;
}

}  // namespace qv
