#include "readers/registry.h"

#include <gtest/gtest.h>

#include "import/reader.h"
#include "tests/support/recording_ui.h"

namespace qv::test {
namespace {

TEST(ReaderRegistry, RegisteringTwiceReplacesAndUnknownFormatsHaveNoReader) {
  RecordingUi ui;
  Library lib(ui);
  registerAllReaders(lib);
  registerAllReaders(lib);
  EXPECT_EQ(makeReader(lib, "No such format"), nullptr);
}

}  // namespace
}  // namespace qv::test
