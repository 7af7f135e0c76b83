#include "app/home.h"

#include <cstdlib>
#include <stdexcept>
#include <system_error>

#include "store/private_directories.h"

namespace qv::app {

std::filesystem::path resolveHome(const std::optional<std::filesystem::path>& flag) {
  namespace fs = std::filesystem;
  fs::path home;
  auto env = [](const char* name) -> fs::path {
    const char* v = std::getenv(name);
    return v != nullptr && *v != '\0' ? fs::path(v) : fs::path();
  };
  if (flag && !flag->empty())
    home = *flag;
  else if (!(home = env("QUORVEL_HOME")).empty()) {
  } else if (fs::path xdg = env("XDG_DATA_HOME"); !xdg.empty())
    home = xdg / "quorvel";
  else if (fs::path user = env("HOME"); !user.empty())
    home = user / ".local" / "share" / "quorvel";
  else
    throw std::runtime_error("No data home: give --home DIR or set QUORVEL_HOME");
  std::error_code ec;
  createPrivateDirectories(home, ec);
  fs::path canonical = fs::canonical(home, ec);
  if (ec) throw std::runtime_error("The data home " + home.string() + " cannot be used: " + ec.message());
  return canonical;
}

}  // namespace qv::app
