// quorvel export: the mail of a database written as Eudora mailboxes with
// their companions, each file named by its full path; refused names and
// formats end with a message and a failure status.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/app/cli_process_fixture.h"

namespace qv::test {
namespace {

class CliExportFormatsTest : public CliProcessTest {};

TEST_F(CliExportFormatsTest, WritesEudoraMailboxesAndNamesEachFile) {
  const std::string db = addMail(home);
  const fs::path box = parent / "box";
  {
    std::ofstream out(box, std::ios::binary);
    out << "From ann@example.org Mon Jan  1 10:00:00 2001\n"
        << "From: Ann Lee <ann@example.org>\nTo: Jane Smith <jane@example.org>\nSubject: Hello\n"
        << "Date: Mon, 1 Jan 2001 09:05:00 +0000\n\nHi Jane\n\n"
        << "From jane@example.org Tue Jan  2 10:00:00 2001\n"
        << "From: Jane Smith <jane@example.org>\nTo: Ann Lee <ann@example.org>\nSubject: Answer\n"
        << "Date: Tue, 2 Jan 2001 10:00:00 +0000\n\nHi Ann\n\n";
  }
  import(home, db, box, false);

  const std::string out = run(home, {"--json", "export", "--format", "eudora", "--select", "all", "--db", db});
  const fs::path temp = fs::canonical(home) / "TEMP";
  for (const char* name : {"InBox.Mbx", "InBox.TOC", "OutBox.Mbx", "OutBox.TOC", "DESCMAP.PCE"}) {
    EXPECT_NE(out.find((temp / name).string()), std::string::npos) << name << "\n" << out;
    EXPECT_TRUE(fs::exists(temp / name)) << name;
  }
  EXPECT_NE(out.find("\"exported\": 2"), std::string::npos) << out;
  std::ifstream in(temp / "OutBox.Mbx", std::ios::binary);
  const std::string sent((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(sent.find("Subject: Answer\r\n"), std::string::npos) << sent;

  const std::string path = run(
      home, {"export", "--format", "eudora", "--select", "all", "--db", db, "--in", "../x.mbx", "--out", "y.mbx"}, 1);
  EXPECT_NE(path.find("Do not include the path, just the filename!"), std::string::npos) << path;
  // Today's formats are offered by the same command, written where --in says.
  const std::string mbox =
      run(home, {"export", "--format", "mbox", "--select", "all", "--db", db, "--in", (parent / "all.mbox").string()});
  EXPECT_NE(mbox.find((parent / "all.mbox").string()), std::string::npos) << mbox;
  EXPECT_TRUE(fs::exists(parent / "all.mbox"));
  const std::string news = run(home, {"export", "--format", "unixnews", "--select", "all", "--db", db}, 1);
  EXPECT_NE(news.find("Unix News is not offered for this database"), std::string::npos) << news;
}

}  // namespace
}  // namespace qv::test
