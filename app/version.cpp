#include "app/version.h"

namespace qv::app {
std::string_view version() { return QV_VERSION; }
}  // namespace qv::app
