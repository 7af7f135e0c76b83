// The command line end to end: commands, their output, errors and exit
// statuses, as a user or a script sees them.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "tests/app/cli_in_process.h"

namespace qv::test {
namespace {

class CliTest : public CliInProcessTest {
 protected:
  // A "Key: value" line of a record printed as text.
  static bool hasField(const std::string& out, const std::string& key, const std::string& value) {
    return std::regex_search(out, std::regex("(^|\n)" + key + ": +" + value + "\n"));
  }
};

TEST_F(CliTest, AddListActivateAndRemoveDatabases) {
  Run r = run({"db", "add-forum", "Computer Club"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("name:      Computer Club"), std::string::npos) << r.out;
  r = run({"db", "add-mail", "Jane Sm\xC3\xAFth", "jane@example.org", "--alt", "76543,210"});
  ASSERT_EQ(r.status, 0) << r.err;

  r = run({"--json", "db", "list"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"name\": \"Computer Club\", \"type\": \"forum\", \"directory\": \"F1\""), std::string::npos)
      << r.out;
  // Typed UTF-8 is stored as Windows-1252 and comes back as UTF-8.
  EXPECT_NE(r.out.find("\"name\": \"Jane Sm\xC3\xAFth\", \"type\": \"mail\""), std::string::npos) << r.out;
  const std::size_t at = r.out.find("\"id\": ");
  ASSERT_NE(at, std::string::npos);
  const std::string id = r.out.substr(at + 6, 6);

  r = run({"db", "activate", id});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Quorvel - Computer Club\n");
  r = run({"db", "list"});
  EXPECT_NE(r.out.find("Computer Club  forum  F1                0  yes      yes     Normal  yes"), std::string::npos)
      << r.out;

  // Removing asks first; without a terminal the safe answer keeps it.
  r = run({"db", "remove", id});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Database marked for deletion!"), std::string::npos) << r.err;
  EXPECT_TRUE(std::filesystem::exists(home.path() / "F1"));
  r = run({"--yes", "db", "remove", id});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(std::filesystem::exists(home.path() / "F1"));
  r = run({"--json", "db", "list"});
  EXPECT_EQ(r.out.find("Computer Club"), std::string::npos);
}

TEST_F(CliTest, ErrorsUseTheSystemsTextsAndStatuses) {
  ASSERT_EQ(run({"db", "add-forum", "Computer Club"}).status, 0);
  Run r = run({"db", "add-forum", "COMPUTER CLUB"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Record add error!\nA record with identical key already exists!"), std::string::npos) << r.err;
  r = run({"db", "activate", "999"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("There is no database with the identifier 999."), std::string::npos) << r.err;
  // A database whose directory has gone stays inactive.
  std::filesystem::remove_all(home.path() / "F1");
  r = run({"--json", "db", "list"});
  const std::size_t at = r.out.find("\"id\": ");
  r = run({"db", "activate", r.out.substr(at + 6, 6)});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("is missing; it stays inactive."), std::string::npos) << r.err;
  // Usage errors.
  EXPECT_EQ(run({"db", "frobnicate"}).status, 2);
  EXPECT_EQ(run({"db", "add-forum"}).status, 2);
  EXPECT_EQ(run({"--yes", "--no", "db", "list"}).status, 2);
}

TEST_F(CliTest, ConfigurationAndInfo) {
  Run r = run({"--json", "config", "list"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"item\": \"locator-delay\", \"value\": \"15\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Delay after last keypress until locator string is reset"), std::string::npos);
  ASSERT_EQ(run({"config", "set", "locator-delay", "20"}).status, 0);
  r = run({"config", "get", "locator-delay"});
  EXPECT_TRUE(hasField(r.out, "value", "20")) << r.out;
  r = run({"config", "set", "locator-delay", "fast"});
  EXPECT_EQ(r.status, 1);
  r = run({"config", "get", "no-such-item"});
  EXPECT_EQ(r.status, 2);
  r = run({"--json", "config", "paths"});
  EXPECT_NE(r.out.find("\"databases\": \"" + home.path().string() + "\""), std::string::npos) << r.out;
  r = run({"info"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(hasField(r.out, "stored version", "470")) << r.out;
  EXPECT_TRUE(hasField(r.out, "next identifier", "250000")) << r.out;
}

TEST_F(CliTest, BrowseAndTreeShowAForumAndTheTreeRefusesMailDatabases) {
  Run r = run({"--json", "db", "add-forum", "Capture Club"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string club = r.out.substr(r.out.find("\"id\": ") + 6, 6);
  r = run({"import", "--format", "TAPCIS 5.x", "--method", "files", "--path", QV_SOURCE_DIR "/samples/capture",
           "--file", "TAPCIS5-FORUM.MSG", "--forum", "--forum-db", club, "--no-index"});
  ASSERT_EQ(r.status, 0) << r.err;

  // 412350 answers 412345 and is answered by 412360.
  r = run({"tree", "412350", "--db", club});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "  Jane Doe 412345\n>   John Smith 412350\n      Jane Doe 412360\n");
  r = run({"--json", "tree", "412345", "--db", club});
  EXPECT_NE(r.out.find("{\"number\": 412345, \"level\": 0, \"text\": \"Jane Doe 412345\", \"current\": true}"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("{\"number\": 412360, \"level\": 2, \"text\": \"Jane Doe 412360\", \"current\": false}"),
            std::string::npos)
      << r.out;

  // The browse of the same forum: a thread's page starting at a message,
  // each line with its persons, section and status.
  r = run({"browse", "--db", club, "--view", "thread", "--at", "412345", "--count", "2"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("412345  1995-"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("412350  1995-10-12  Laser printer fonts  Smith,John <71234,567>  Doe,Jane <76543,210>"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(r.out.find("412360"), std::string::npos) << r.out;  // the page holds two lines
  // A search lists its results from the headers it read; the stored set,
  // read back message by message, gives the same lines.
  ASSERT_EQ(run({"index", "--db", club, "--full"}).status, 0);
  r = run({"search", "--db", club, "fonts"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("412350  1995-10-12  Laser printer fonts"), std::string::npos) << r.out;
  EXPECT_EQ(run({"search", "--db", club, "--stored"}).out, r.out);
  r = run({"status", "thread", "412350", "keep", "--db", club});
  EXPECT_EQ(r.status, 1);  // a message number is not a thread number
  r = run({"--json", "dedupe", "--db", club});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"Duplicate Forum Members merged\": 0"), std::string::npos) << r.out;

  r = run({"tree", "999", "--db", club});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("There is no message 999 in this database."), std::string::npos) << r.err;
  r = run({"browse", "--db", club, "--view", "word", "--limit", "nosuchword"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("The word \"nosuchword\" is not in this database's word index."), std::string::npos) << r.err;
  r = run({"--json", "db", "add-mail", "Jane Smith", "jane@example.org"});
  const std::string jane = r.out.substr(r.out.find("\"id\": ") + 6, 6);
  r = run({"tree", "412350", "--db", jane});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Mail databases have no threads."), std::string::npos) << r.err;
  r = run({"browse", "--db", jane, "--view", "thread"});
  EXPECT_EQ(r.status, 2);  // a view of the message browse
  r = run({"browse", "--db", jane, "--view", "search"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("run quorvel search"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace qv::test
