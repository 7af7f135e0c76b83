#include "readers/registry.h"

#include "readers/capture/capture_reader.h"
#include "readers/internet/store_reader.h"

namespace qv {

void registerAllReaders(Library& lib) {
  // Each reader family adds its formats here.
  internet::registerInternetReaders(lib);
  capture::registerCaptureReaders(lib);
}

}  // namespace qv
