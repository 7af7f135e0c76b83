// The real `quorvel` program run as separate processes: several at once on
// one data home, and what a fresh data home lets other users see.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

class CliProcessTest : public ::testing::Test {
 protected:
  std::vector<std::string> command(std::vector<std::string> args) const {
    args.insert(args.begin(), {QV_QUORVEL, "--home", home.string()});
    return args;
  }
  // Runs one command to its end; its standard output.
  std::string run(std::vector<std::string> args, int expectedStatus = 0) const {
    ChildProcess p(command(std::move(args)));
    std::string out;
    for (std::string line = p.readLine(); !line.empty(); line = p.readLine()) out += line + "\n";
    EXPECT_EQ(p.wait(), expectedStatus) << out;
    return out;
  }
  TempDir parent;
  fs::path home = parent / "home";
};

TEST_F(CliProcessTest, SixForumsAddedAtOnceInAFreshHomeAllArrive) {
  constexpr int kForums = 6;
  std::vector<std::unique_ptr<ChildProcess>> adds;
  for (int i = 0; i < kForums; ++i)
    adds.push_back(std::make_unique<ChildProcess>(command({"db", "add-forum", "Forum " + std::to_string(i)})));
  for (auto& p : adds) EXPECT_EQ(p->wait(), 0);

  const std::string list = run({"--json", "db", "list"});
  std::set<std::string> directories;
  for (std::size_t at = list.find("\"directory\""); at != std::string::npos; at = list.find("\"directory\"", at + 1))
    directories.insert(list.substr(at, list.find(',', at) - at));
  EXPECT_EQ(directories.size(), static_cast<std::size_t>(kForums)) << list;
  for (int i = 0; i < kForums; ++i) EXPECT_NE(list.find("Forum " + std::to_string(i)), std::string::npos) << list;
}

TEST_F(CliProcessTest, AFreshDataHomeIsReadableByItsOwnerOnly) {
  const mode_t before = ::umask(022);
  const std::string added = run({"--json", "db", "add-mail", "Jane Smith", "jane@example.org"});
  const std::size_t at = added.find("\"id\": ") + 6;
  const std::string mailDb = added.substr(at, added.find_first_of(",}", at) - at);
  run({"db", "add-forum", "Printers"});
  const std::string samples = std::string(QV_SOURCE_DIR) + "/samples/internet/eudora";
  run({"import", "--format", "Eudora", "--method", "files", "--path", samples, "--file", "In.mbx", "--mail",
       "--mail-db", mailDb});
  ::umask(before);

  const fs::perms others = fs::perms::group_all | fs::perms::others_all;
  EXPECT_EQ(fs::status(home).permissions() & others, fs::perms::none);
  int seen = 0;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(home)) {
    ++seen;
    EXPECT_EQ(e.symlink_status().permissions() & others, fs::perms::none) << e.path();
  }
  EXPECT_GT(seen, 10);  // the home really holds the tables
}

}  // namespace
}  // namespace qv::test
