#include "readers/registry.h"

namespace qv {

void registerAllReaders(Library& /*lib*/) {
  // Each reader family adds its formats here.
}

}  // namespace qv
