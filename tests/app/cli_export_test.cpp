// quorvel export-mailbox, print and export-addresses end to end: the full
// path printed, the JSON record, and the refusals with their texts and statuses.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/app/cli_in_process.h"

namespace qv::test {
namespace {

using CliExportTest = CliInProcessTest;

TEST_F(CliExportTest, ExportsPrintWhereTheyWroteAndRefusalsSayWhy) {
  Run r = run({"--json", "db", "add-forum", "Capture Club"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string club = r.out.substr(r.out.find("\"id\": ") + 6, 6);
  r = run({"import", "--format", "TAPCIS 5.x", "--method", "files", "--path", QV_SOURCE_DIR "/samples/capture",
           "--file", "TAPCIS5-FORUM.MSG", "--forum", "--forum-db", club, "--no-index"});
  ASSERT_EQ(r.status, 0) << r.err;

  const std::string mbox = (home.path() / "club.mbox").string();
  r = run({"--json", "export-mailbox", "--db", club, "--select", "all", mbox});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"result\": \"done\",\n  \"path\": \"" + mbox + "\""), std::string::npos) << r.out;
  std::ifstream in(mbox);
  std::ostringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("\nMessage-ID: <412350."), std::string::npos);
  EXPECT_NE(text.str().find("\nSubject: Laser printer fonts\n"), std::string::npos) << text.str();

  r = run({"export-mailbox", "--db", club, "--select", "thread", mbox});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("This selection needs --message"), std::string::npos) << r.err;
  r = run({"export-mailbox", "--db", club, "--format", "eml", "--select", "all", mbox + ".eml"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("An EML file holds the current message alone."), std::string::npos) << r.err;

  r = run({"--json", "print", "--db", club, "--select", "all"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string pdf = (home.path() / "TEMP" / "Messages.pdf").string();
  EXPECT_NE(r.out.find("\"path\": \"" + pdf + "\""), std::string::npos) << r.out;
  std::ifstream printed(pdf, std::ios::binary);
  std::string magic(5, ' ');
  printed.read(magic.data(), 5);
  EXPECT_EQ(magic, "%PDF-");
  r = run({"print", "--db", club, "--select", "all", "--pdf", (home.path() / "no" / "such" / "x.pdf").string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot be created"), std::string::npos) << r.err;

  r = run({"export-addresses", "--db", club, "--format", "tapcis"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find(" addresses written to file.\npath:    " + (home.path() / "TEMP" / "Address.Txt").string()),
            std::string::npos)
      << r.out;
  r = run({"export-addresses", "--db", club, "--format", "generic", "../Address.Txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Filename error: Do not include the path, just the filename!"), std::string::npos) << r.err;
  r = run({"export-addresses", "--db", club, "--topic", "Nothing"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("No topic selected!"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace qv::test
