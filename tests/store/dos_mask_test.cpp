#include "store/dos_mask.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/temp_dir.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

void writeFile(const fs::path& p, std::size_t bytes) {
  std::ofstream out(p, std::ios::binary);
  out << std::string(bytes, 'x');
}

TEST(DosMask, StarDotRules) {
  for (const char* name : {"README", "IDX003.TPS", "a.b.c", ".profile"}) EXPECT_TRUE(matchesMask("*.*", name)) << name;
  EXPECT_TRUE(matchesMask("*.", "NOTES"));
  EXPECT_FALSE(matchesMask("*.", "NOTES.TXT"));
  EXPECT_TRUE(matchesMask("README.*", "README"));
  EXPECT_TRUE(matchesMask("README.*", "readme.txt"));
  EXPECT_FALSE(matchesMask("README.*", "READMEX"));
  EXPECT_TRUE(matchesMask("*.K*", "IDX003.K01"));
  EXPECT_TRUE(matchesMask("*.K*", "IDX003.K"));
  EXPECT_FALSE(matchesMask("*.K*", "IDX003.TPS"));
  EXPECT_TRUE(matchesMask("*.TPS", "old.idx.tps"));
  EXPECT_FALSE(matchesMask("*.TPS", "IDX003.TPS.bak"));
  EXPECT_FALSE(matchesMask("", "a"));
  EXPECT_FALSE(matchesMask("*", ""));
}

TEST(DosMask, QuestionMarkCaseAndBacktracking) {
  EXPECT_TRUE(matchesMask("IDX00?.TPS", "idx003.tps"));
  EXPECT_FALSE(matchesMask("IDX00?.TPS", "IDX00.TPS"));
  EXPECT_FALSE(matchesMask("IDX00?.TPS", "IDX0003.TPS"));
  EXPECT_TRUE(matchesMask("\xE9t\xE9*", "\xC9T\xC9.txt"));  // é / É
  EXPECT_FALSE(matchesMask("a", "b"));
  EXPECT_TRUE(matchesMask("a*b*c", "aXbYbZc"));
  EXPECT_FALSE(matchesMask("a*b*c", "aXbYbZ"));
  EXPECT_TRUE(matchesMask("IDX003.TPS", "idx003.TPS"));
}

TEST(DosMask, ListingAndSizes) {
  test::TempDir dir;
  writeFile(dir / "B.TPS", 10);
  writeFile(dir / "a.tps", 5);
  writeFile(dir / "c.dat", 7);
  writeFile(dir / "NOEXT", 3);
  fs::create_directory(dir / "SUB.TPS");
  writeFile(dir / "SUB.TPS" / "inner.tps", 100);
  fs::create_symlink(dir / "missing", dir / "broken.tps");

  const auto names = [](const std::vector<fs::path>& ps) {
    std::vector<std::string> out;
    for (const fs::path& p : ps) out.push_back(p.filename().string());
    return out;
  };
  using V = std::vector<std::string>;
  EXPECT_EQ(names(listMatching(dir.path(), "*.tps")), (V{"a.tps", "B.TPS"}));
  EXPECT_EQ(names(listMatching(dir.path(), "*.*")), (V{"a.tps", "B.TPS", "c.dat", "NOEXT"}));
  EXPECT_EQ(names(listMatching(dir.path(), "*.")), (V{"NOEXT"}));
  EXPECT_EQ(listMatching(dir.path(), "*.TPS").front(), dir / "a.tps");

  std::error_code ec = std::make_error_code(std::errc::io_error);
  EXPECT_TRUE(listMatching(dir / "nothere", "*.*", &ec).empty());
  EXPECT_FALSE(ec);

  EXPECT_EQ(totalSize(dir.path(), "*.TPS"), 15u);
  EXPECT_EQ(totalSize(dir.path(), "*.*"), 25u);
  EXPECT_EQ(totalSize(dir.path(), "*.xyz"), 0u);
  EXPECT_EQ(totalSize(dir / "c.dat", ""), 7u);
  EXPECT_EQ(totalSize(dir / "c.dat", "*.DAT"), 7u);
  EXPECT_EQ(totalSize(dir / "c.dat", "*.TPS"), 0u);
  EXPECT_EQ(totalSize(dir / "nothere", "*.*"), 0u);
}

}  // namespace
}  // namespace qv
