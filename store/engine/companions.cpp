#include "store/engine/companions.h"

#include <string>

namespace qv::engine {

bool isCompanionOf(std::string_view table, std::string_view name) {
  if (name.size() <= table.size() || name.substr(0, table.size()) != table) return false;
  const std::string_view rest = name.substr(table.size());
  if (rest == "-journal" || rest == ".lck" || rest.starts_with("-mj")) return true;
  return rest.starts_with(".") && (rest.ends_with(".new") || rest.ends_with(".new-journal"));
}

}  // namespace qv::engine
