#pragma once
// Tests that drive the real program as separate processes in a fresh data
// home: running a command to its end, adding a mail database, importing a
// mailbox.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace qv::test {

namespace fs = std::filesystem;

class CliProcessTest : public ::testing::Test {
 protected:
  std::vector<std::string> command(const fs::path& h, std::vector<std::string> args) const {
    args.insert(args.begin(), {QV_QUORVEL, "--home", h.string()});
    return args;
  }
  // Runs one command to its end: its standard output and error, and its status.
  std::string run(const fs::path& h, std::vector<std::string> args, int expectedStatus = 0) const {
    ChildProcess p(command(h, std::move(args)), true);
    std::string out;
    for (std::string line = p.readLine(); !line.empty(); line = p.readLine()) out += line + "\n";
    EXPECT_EQ(p.wait(), expectedStatus) << out;
    return out;
  }
  // A mail database in a fresh home: its identifier.
  std::string addMail(const fs::path& h) const {
    const std::string added = run(h, {"--json", "db", "add-mail", "Jane Smith", "jane@example.org"});
    const std::size_t at = added.find("\"id\": ") + 6;
    return added.substr(at, added.find_first_of(",}", at) - at);
  }
  void import(const fs::path& h, const std::string& db, const fs::path& mbox, bool index) const {
    std::vector<std::string> args = {"import", "--format", "Generic Mail Type 2", "--method", "files", "--path",
                                     mbox.parent_path().string(), "--file", mbox.filename().string(), "--mail",
                                     "--mail-db", db};
    if (!index) args.push_back("--no-index");
    run(h, args);
  }

  TempDir parent;
  fs::path home = parent / "home";
};

}  // namespace qv::test
