#pragma once
#include <string_view>

namespace qv::app {
// The program's version as shown to the user ("4.70.0").
std::string_view version();
}  // namespace qv::app
