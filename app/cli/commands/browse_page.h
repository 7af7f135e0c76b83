#pragma once
// One page of the active database's browse, for the commands that show a
// view's messages (browse, topics show).

#include <cstddef>
#include <cstdint>
#include <string>

namespace qv::app::cli {

class Env;

struct BrowseArgs {
  std::uint32_t db = 0;
  std::string view = "date";
  std::string limit;
  std::string at;
  std::size_t count = 20;
};

int runBrowse(Env& env, const BrowseArgs& a);

}  // namespace qv::app::cli
