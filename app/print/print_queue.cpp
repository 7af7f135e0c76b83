#include "app/print/print_queue.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace qv::app {

namespace fs = std::filesystem;

namespace {

// The directory of PATH that holds `program`, or none.
std::optional<fs::path> onPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "";
  std::size_t at = 0;
  while (at <= dirs.size()) {
    const std::size_t end = std::min(dirs.find(':', at), dirs.size());
    const fs::path candidate = fs::path(dirs.substr(at, end - at)) / program;
    std::error_code ec;
    if (end > at && fs::is_regular_file(candidate, ec)) return candidate;
    at = end + 1;
  }
  return std::nullopt;
}

// Quotes a path for the shell.
std::string quoted(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

}  // namespace

std::optional<fs::path> printQueueProgram() { return onPath("lp"); }

QueueResult sendToPrintQueue(const fs::path& pdf) {
  const std::optional<fs::path> lp = printQueueProgram();
  if (!lp) return QueueResult::NoQueue;
  return std::system((quoted(lp->string()) + " " + quoted(pdf.string()) + " >/dev/null").c_str()) == 0
             ? QueueResult::Sent
             : QueueResult::Failed;
}

}  // namespace qv::app
