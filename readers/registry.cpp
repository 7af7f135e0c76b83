#include "readers/registry.h"

#include "readers/cim/cim_readers.h"
#include "readers/internet/store_reader.h"
#include "readers/records/record_loop.h"

namespace qv {

void registerAllReaders(Library& lib) {
  // Each reader family adds its formats here.
  internet::registerInternetReaders(lib);
  records::registerRecordReaders(lib);
  cim::registerCimReaders(lib);
}

}  // namespace qv
