// Building the list of source files: the directory tree walk, one
// directory, chosen files, and the size total.
#include "import/source_selection.h"

#include <gtest/gtest.h>

#include <fstream>
#include <limits>

#include "tests/support/temp_dir.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

class SourceSelectionTest : public ::testing::Test {
 protected:
  void file(const std::string& rel, std::size_t bytes) {
    const fs::path p = dir.path() / rel;
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << std::string(bytes, 'x');
  }
  // The listed names relative to the temporary directory.
  std::vector<std::string> names(const std::vector<SourceFile>& files) const {
    std::vector<std::string> out;
    for (const SourceFile& f : files) out.push_back(f.name.lexically_relative(dir.path()).string());
    return out;
  }
  std::vector<std::string> names(const std::vector<fs::path>& dirs) const {
    std::vector<std::string> out;
    for (const fs::path& d : dirs) out.push_back(d.lexically_relative(dir.path()).string());
    return out;
  }
  TempDir dir;
};

TEST_F(SourceSelectionTest, TreeIsWalkedTopFirstThenBreadthFirstWithCaseBlindMasks) {
  file("top/x.msg", 10);
  file("top/notes.txt", 1);
  file("top/b/w.txt", 1);
  file("top/A/y.MSG", 20);
  file("top/A/deep/z.old", 30);
  file("top/c/v.Msg", 40);
  fs::create_directories(dir.path() / "top/A/deep/deeper");

  EXPECT_EQ(names(directoryTree(dir.path() / "top")),
            (std::vector<std::string>{"top", "top/A", "top/b", "top/c", "top/A/deep", "top/A/deep/deeper"}));

  ImportSettings s;
  s.method = kSelectTree;
  s.path = dir.path() / "top";
  s.masks = {"*.MSG", "*.OLD"};
  const SourceList list = buildSourceList(s);
  EXPECT_EQ(list.status, SourceStatus::Ok);
  EXPECT_EQ(names(list.files), (std::vector<std::string>{"top/x.msg", "top/A/y.MSG", "top/c/v.Msg", "top/A/deep/z.old"}));
  EXPECT_EQ(list.totalBytes, 100u);
  EXPECT_FALSE(list.capped);

  // A top directory written with trailing separators lists the same paths.
  s.path = dir.path().string() + "/top//";
  EXPECT_EQ(names(buildSourceList(s).files), names(list.files));
  for (const SourceFile& f : buildSourceList(s).files) EXPECT_EQ(f.name.string().find("//"), std::string::npos);
}

TEST_F(SourceSelectionTest, FileMatchingTwoMasksIsTakenOnceAtItsFirstMask) {
  file("d/a.msg", 1);
  file("d/x.msg", 2);
  file("d/xa.txt", 4);
  const std::vector<SourceFile> files = matchingFiles(dir.path() / "d", {"X*.*", "*.MSG"});
  EXPECT_EQ(names(files), (std::vector<std::string>{"d/x.msg", "d/xa.txt", "d/a.msg"}));

  ImportSettings s;
  s.method = kSelectDirectory;
  s.path = dir.path() / "d";
  s.masks = {"*.MSG", "*.*"};
  EXPECT_EQ(buildSourceList(s).totalBytes, 7u);
}

TEST_F(SourceSelectionTest, LinkLoopInTheTreeIsWalkedOnce) {
  file("top/sub/m.msg", 1);
  fs::create_directory_symlink(dir.path() / "top", dir.path() / "top/sub/back");
  EXPECT_EQ(names(directoryTree(dir.path() / "top")), (std::vector<std::string>{"top", "top/sub"}));
}

TEST_F(SourceSelectionTest, DirectoryMethodNeedsAnExistingDirectoryAndStaysOnTop) {
  file("d/one.mbx", 5);
  file("d/inner/two.mbx", 5);
  ImportSettings s;
  s.method = kSelectDirectory;
  s.masks = {"*.MBX"};
  s.path = dir.path() / "missing";
  SourceList list = buildSourceList(s);
  EXPECT_EQ(list.status, SourceStatus::MissingDirectory);
  EXPECT_TRUE(list.files.empty());

  s.path = dir.path() / "d/one.mbx";  // a file is no directory
  EXPECT_EQ(buildSourceList(s).status, SourceStatus::MissingDirectory);

  s.path = dir.path() / "d";
  list = buildSourceList(s);
  EXPECT_EQ(list.status, SourceStatus::Ok);
  EXPECT_EQ(names(list.files), (std::vector<std::string>{"d/one.mbx"}));

  s.method = 7;
  EXPECT_EQ(buildSourceList(s).status, SourceStatus::UnknownMethod);
}

TEST_F(SourceSelectionTest, ChosenFilesKeepTheirOrderAndMissingOnesAreStillListed) {
  file("f/b.pmm", 3);
  file("f/a.pmm", 4);
  ImportSettings s;
  s.method = kSelectFiles;
  s.path = dir.path() / "f";
  s.files = {"b.pmm", "gone.pmm", "a.pmm"};
  const SourceList list = buildSourceList(s);
  EXPECT_EQ(list.status, SourceStatus::Ok);
  EXPECT_EQ(names(list.files), (std::vector<std::string>{"f/b.pmm", "f/gone.pmm", "f/a.pmm"}));
  EXPECT_EQ(list.files[1].size, 0u);
  EXPECT_EQ(list.totalBytes, 7u);

  // Mail client folders are names, not files of the import path.
  s.formatNumber = 33;
  s.files = {"Inbox", "Sent Items"};
  const SourceList folders = buildSourceList(s);
  ASSERT_EQ(folders.files.size(), 2u);
  EXPECT_EQ(folders.files[1].name, fs::path("Sent Items"));
}

TEST_F(SourceSelectionTest, TotalStopsAtTheLargest32BitValueInsteadOfWrapping) {
  // Sparse files: large sizes without the disk space.
  fs::create_directories(dir.path() / "big");
  const std::uint64_t threeGiB = 3ull << 30;
  for (const char* name : {"one.dbx", "two.dbx"}) {
    std::ofstream(dir.path() / "big" / name).close();
    fs::resize_file(dir.path() / "big" / name, threeGiB);
  }
  ImportSettings s;
  s.method = kSelectDirectory;
  s.path = dir.path() / "big";
  s.masks = {"*.DBX"};
  const SourceList list = buildSourceList(s);
  ASSERT_EQ(list.files.size(), 2u);
  EXPECT_EQ(list.files[0].size, static_cast<std::uint32_t>(threeGiB));
  EXPECT_EQ(list.totalBytes, std::numeric_limits<std::uint32_t>::max());
  EXPECT_TRUE(list.capped);

  std::uint32_t total = 10;
  EXPECT_FALSE(addSize(total, 5));
  EXPECT_EQ(total, 15u);
}

TEST(FileListText, JoinsAndSplitsWithEitherSeparator) {
  const std::vector<std::string> files{"a b.msg", "c;d.msg", "e.msg"};
  EXPECT_EQ(joinFileList(files), "a b.msg##c;d.msg##e.msg");
  EXPECT_EQ(splitFileList(joinFileList(files)), files);
  EXPECT_EQ(splitFileList("a.msg;b.msg", ";"), (std::vector<std::string>{"a.msg", "b.msg"}));
  EXPECT_EQ(splitFileList("##a.msg####b.msg##"), (std::vector<std::string>{"a.msg", "b.msg"}));
}

}  // namespace
}  // namespace qv::test
