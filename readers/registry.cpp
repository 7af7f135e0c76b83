#include "readers/registry.h"

#include "readers/aol/aol_reader.h"
#include "readers/capture/capture_reader.h"
#include "readers/cim/cim_readers.h"
#include "readers/machinery/store_reader.h"
#include "readers/oe5/oe5_reader.h"
#include "readers/outlook/outlook_folders.h"
#include "readers/records/record_loop.h"

namespace qv {

void registerAllReaders(Library& lib) {
  // Each reader family adds its formats here.
  internet::registerInternetReaders(lib);
  records::registerRecordReaders(lib);
  cim::registerCimReaders(lib);
  oe5::registerOe5Readers(lib);
  aol::registerAolReaders(lib);
  capture::registerCaptureReaders(lib);
  outlook::registerOutlookFolders(lib);
}

}  // namespace qv
