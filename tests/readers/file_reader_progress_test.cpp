// The progress the file readers report to the import: whatever a reader's
// slices are (lines, messages, bytes of a first pass), the run's progress
// only grows, never passes the file's size and comes to exactly that size
// when the file is finished.
#include <cctype>
#include <filesystem>
#include <ostream>
#include <string>

#include "readers/registry.h"
#include "tests/import/import_fixture.h"

namespace qv::test {
namespace {

struct FileCase {
  const char* format;
  const char* sample;  // below samples/
  bool firstPass;
};
void PrintTo(const FileCase& c, std::ostream* os) { *os << c.format; }

class FileReaderProgress : public ImportTest, public ::testing::WithParamInterface<FileCase> {
 protected:
  FileReaderProgress() { registerAllReaders(lib); }
};

TEST_P(FileReaderProgress, ComesToTheFileSizeOnce) {
  const FileCase& c = GetParam();
  const std::filesystem::path file = std::filesystem::path(QV_SOURCE_DIR) / "samples" / c.sample;
  const std::uint64_t size = std::filesystem::file_size(file);
  ImportSettings s = settings(c.format, {file.filename().string()});  // nothing is imported: no writes
  TargetList targets;
  ImportRun run(*ctx, s, targets);
  run.file.name = file;
  run.file.size = static_cast<std::uint32_t>(size);
  run.budget = 1;
  std::unique_ptr<Reader> reader = makeReader(lib, c.format);
  ASSERT_NE(reader, nullptr);
  ASSERT_FALSE(reader->call(ReaderPhase::Open, run));
  EXPECT_EQ(run.progress, 0u);

  const auto drive = [&](ReaderPhase phase) {
    std::uint64_t before = run.progress;
    for (int calls = 0; calls < 1000; ++calls) {
      const bool finished = reader->call(phase, run);
      EXPECT_GE(run.progress, before);
      EXPECT_LE(run.progress, size);
      before = run.progress;
      if (finished) return;
    }
    ADD_FAILURE() << "the phase does not finish";
  };
  if (c.firstPass) {
    drive(ReaderPhase::FirstPass);
    EXPECT_EQ(run.progress, size);  // the pass has passed every byte: the conversion adds none
  }
  drive(ReaderPhase::Convert);
  EXPECT_EQ(run.progress, size);
  EXPECT_FALSE(run.skipped.empty());  // every message was read and passed over
}

INSTANTIATE_TEST_SUITE_P(Readers, FileReaderProgress,
                         ::testing::Values(FileCase{"TAPCIS 6.x", "capture/TAPCIS6-FORUM.MSG", false},
                                           FileCase{"VirtualAccess", "capture/VIRTUALACCESS.TXT", false},
                                           FileCase{"Eudora", "internet/eudora/In.mbx", false},
                                           FileCase{"CompuServe 3 and 4", "cim/FCABINET.DAT", true}),
                         [](const ::testing::TestParamInfo<FileCase>& param) {
                           std::string name = param.param.format;
                           std::erase_if(name, [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); });
                           return name;
                         });

}  // namespace
}  // namespace qv::test
