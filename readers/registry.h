#pragma once
// Registers every format reader of the library with the import driver.

#include "store/context.h"

namespace qv {

void registerAllReaders(Library& lib);

}  // namespace qv
