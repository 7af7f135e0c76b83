// Which capture-family reader serves which format name.
#include "readers/capture/capture_reader.h"
#include "readers/capture/separator_reader.h"

namespace qv::capture {

void registerCaptureReaders(Library& lib) {
  for (std::string_view format : captureFormats()) {
    const FormatRules* rules = captureRules(format);
    registerReader(lib, format, [rules]() -> std::unique_ptr<Reader> { return std::make_unique<SliceReader>(*rules); });
  }
  registerReader(lib, navCisRules().name,
                 []() -> std::unique_ptr<Reader> { return std::make_unique<SliceReader>(navCisRules()); });
  registerReader(lib, "VirtualAccess", []() -> std::unique_ptr<Reader> { return std::make_unique<SeparatorReader>(true); });
  for (std::string_view format : {"Agent News", "Unix News"})
    registerReader(lib, format, []() -> std::unique_ptr<Reader> { return std::make_unique<SeparatorReader>(false); });
}

}  // namespace qv::capture
