// The record-structured stores (CISCOMM, NavCIS, OUI) imported end to end:
// the committed samples, and tables written here for the damaged cases.
#include <algorithm>
#include <fstream>

#include "readers/registry.h"
#include "store/charset.h"
#include "store/dates.h"
#include "tests/import/canonical_dump.h"
#include "tests/import/import_fixture.h"
#include "tests/store/engine/dbfread.h"
#include "tools/record_tables.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

const fs::path kSamples = fs::path(QV_SOURCE_DIR) / "samples" / "records";

class RecordsImport : public ImportTest {
 protected:
  RecordsImport() { registerAllReaders(lib); }

  ImportSettings sample(const std::string& format, const std::string& file) {
    ImportSettings s = settings(format, {file});
    s.path = kSamples;
    return s;
  }
  ImportSummary runUnattended(const ImportSettings& s) {
    Context importCtx(lib);
    importCtx.mem.DoTask = 2;
    ImportJob job(importCtx, s);
    runToEnd(job);
    return job.summary();
  }
  // The dump lines that contain `part`.
  std::vector<std::string> linesWith(const std::string& part) {
    const HomeDump d = canonicalDump(home.path());
    EXPECT_TRUE(d.problems.empty()) << d.problems.front();
    std::vector<std::string> out;
    for (const std::string& l : d.lines)
      if (l.find(part) != std::string::npos) out.push_back(l);
    return out;
  }

  // A NavCIS 1.7x- table of `count` forum messages 1..count in forum "TEST".
  void writeNavCis(const fs::path& file, int count) {
    tools::RecordTable<HRE> t(file);
    for (int i = 1; i <= count; ++i) {
      t.record.INTERNAL = 1;
      t.record.FORUM_NAME = "Test";
      t.record.MSG_NUMBER = static_cast<std::uint32_t>(i);
      t.record.SUBJECT = "Message " + std::to_string(i);
      t.record.SEND_ID = "70000,1";
      t.record.SEND_NAME = "Sam";
      t.record.MSG_DATE = "01-Jan-97";
      t.memo = "Text " + std::to_string(i) + "\r\n";
      t.add();
    }
  }
  // Makes the records `bad` (from 1) of a table unreadable: their deleted
  // flag becomes a byte no dBase program writes.
  static void spoil(const fs::path& file, std::initializer_list<int> bad) {
    std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
    unsigned char h[12];
    f.read(reinterpret_cast<char*>(h), sizeof h);
    const std::size_t headerLength = h[8] | h[9] << 8, recordLength = h[10] | h[11] << 8;
    for (int r : bad) {
      f.seekp(static_cast<std::streamoff>(headerLength + (r - 1) * recordLength));
      f.put('X');
    }
  }
};

TEST_F(RecordsImport, CisCommForumSampleGoesToTheImportsForumWithTheOemTableApplied) {
  const std::uint32_t forum = addForum("Printers");
  ImportSettings s = sample("CISCOMM", "CISFORUM.DBF");
  s.forum = true;
  s.forumDatabase = forum;
  const ImportSummary r = run(s);
  EXPECT_TRUE(r.completed) << r.outcome;
  EXPECT_EQ(r.imported, 3u);
  ASSERT_EQ(r.unreadable.size(), 1u);  // the record numbered 0
  EXPECT_EQ(r.unreadable[0].why, "message number 0 is no forum message number");
  const std::vector<std::string> lines = linesWith("Printers message 40");
  ASSERT_EQ(lines.size(), 3u);
  // Code page 850 byte 0x82 is stored as Windows-1252 0xE9, in names and texts.
  EXPECT_NE(lines[0].find("Andr\xE9 Dupont <76543,210> to"), std::string::npos) << lines[0];
  EXPECT_TRUE(lines[0].ends_with("for the LX-80?\r\nMerci, Andr\xE9")) << lines[0];
  EXPECT_NE(lines[1].find("message 402 ref 401 section Printers"), std::string::npos) << lines[1];
  EXPECT_EQ(lines[1].substr(lines[1].find(" text ")), " text Library 3 has it.");  // trailing blank lines go
  EXPECT_NE(lines[2].find("date " + std::to_string(dates::dayNumber(1995, 3, 14))), std::string::npos);
}

TEST_F(RecordsImport, CisCommMailSampleIsReadFromItsAddressMemosWithDirections) {
  const std::uint32_t mail = addMail("Andre Dupont", "76543,210");
  ImportSettings s = sample("CISCOMM", "CISMAIL.DBF");
  s.mail = true;
  s.mailDatabase = mail;
  const ImportSummary r = run(s);
  EXPECT_TRUE(r.completed) << r.outcome;
  EXPECT_EQ(r.imported, 2u);
  const std::vector<std::string> lines = linesWith(" mail ");
  ASSERT_EQ(lines.size(), 2u);
  const std::string received = std::to_string(dates::dayNumber(1995, 7, 26)) + " " +
                               std::to_string(dates::timeOf(14, 5, 0)) + " Meeting on Friday from Ann Lee " +
                               "<ann@example.org> to Andre Dupont <76543,210>";
  EXPECT_NE(lines[0].find(received), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("from Andre Dupont <76543,210> to Bob Ray <71234,567>"), std::string::npos) << lines[1];
}

TEST_F(RecordsImport, NavCis16SampleHasNulSeparatedTextsAndMixesForumAndMail) {
  const std::uint32_t mail = addMail("Andre Dupont", "76543,210");
  ImportSettings s = sample("NavCIS 1.6x", "RECV.DBF");
  s.forum = s.mail = true;
  s.mailDatabase = mail;
  const ImportSummary r = run(s);
  EXPECT_TRUE(r.completed) << r.outcome;
  EXPECT_EQ(r.imported, 3u);
  std::vector<std::string> databases = r.databases;
  std::sort(databases.begin(), databases.end());
  EXPECT_EQ(databases, (std::vector<std::string>{"Andre Dupont", "IBMHW"}));
  const std::vector<std::string> forum = linesWith("IBMHW message");
  ASSERT_EQ(forum.size(), 2u);
  EXPECT_NE(forum[0].find("text My disk makes noises.\r\nAny idea?"), std::string::npos) << forum[0];
  // "INTERNET:" is removed from the sender's address.
  EXPECT_NE(forum[1].find("Dee Park <dee@example.net>"), std::string::npos) << forum[1];
  const std::vector<std::string> mails = linesWith(" mail ");
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_NE(mails[0].find(std::to_string(dates::timeOf(9, 5, 0)) + " Your order"), std::string::npos) << mails[0];
}

TEST_F(RecordsImport, NavCis17SampleRepairsMailLineEndsAndDropsTheInternetPrefixInAnyCase) {
  const std::uint32_t mail = addMail("Andre Dupont", "76543,210");
  ImportSettings s = sample("NavCIS 1.7x-", "HRECV.DBF");
  s.forum = s.mail = true;
  s.mailDatabase = mail;
  const ImportSummary r = run(s);
  EXPECT_TRUE(r.completed) << r.outcome;
  EXPECT_EQ(r.imported, 3u);
  const std::vector<std::string> mails = linesWith(" mail ");
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_NE(mails[0].find("from Eve Stone <eve@example.com>"), std::string::npos) << mails[0];
  EXPECT_NE(mails[0].find("text Lunch at one?\r\nEve"), std::string::npos) << mails[0];
  // "12:30:15": the mail database keeps whole minutes.
  EXPECT_NE(mails[0].find(" " + std::to_string(dates::timeOf(12, 30, 0)) + " Lunch"), std::string::npos) << mails[0];
  const std::vector<std::string> forum = linesWith("MACINTOSH message 88001");
  ASSERT_EQ(forum.size(), 1u);
  EXPECT_NE(forum[0].find("Eve Stone <eve@example.com>"), std::string::npos) << forum[0];
}

TEST_F(RecordsImport, OuiSampleGivesMailAndNewsThroughTheInternetMachinery) {
  const std::uint32_t mail = addMail("Andre Dupont", "andre@example.com");
  ImportSettings s = sample("OUI", "MESSAGE.DBF");
  s.mail = s.news = true;
  s.mailDatabase = mail;
  const ImportSummary r = run(s);
  EXPECT_TRUE(r.completed) << r.outcome;
  EXPECT_EQ(r.imported, 3u);
  const std::vector<std::string> mails = linesWith(" mail ");
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_NE(mails[0].find("Photos from Fay Green <fay@example.org>"), std::string::npos) << mails[0];
  const std::vector<std::string> news = linesWith("comp.sys.printers message");
  ASSERT_EQ(news.size(), 2u);
  const auto reply = std::find_if(news.begin(), news.end(), [](const std::string& l) {
    return l.find("message <t2@example.org> ref <t1@example.net>") != std::string::npos;
  });
  ASSERT_NE(reply, news.end());
  // The HTML body is stored as text.
  EXPECT_NE(reply->find("The original one."), std::string::npos) << *reply;
  EXPECT_EQ(reply->find("<b>"), std::string::npos) << *reply;
}

// The further memos the writer stores (CISCOMM addresses, the OUI header)
// are where an independent dBase reader finds them.
TEST_F(RecordsImport, DebianDbfreadReadsTheSamplesMemosFieldForField) {
  const std::string mail = dbfreadDump(kSamples / "CISMAIL.DBF", home.path());
  if (mail.empty()) GTEST_SKIP() << "python3 cannot import dbfread: install the Debian package python3-dbfread";
  EXPECT_NE(mail.find("MSG_SENDER=" + hex("Ann Lee") + " MSG_SENDID=" + hex("INTERNET:ann@example.org") +
                      " MSG_RECVR=" + hex("Andr\x82 Dupont") + " MSG_RECVID=" + hex("76543,210")),
            std::string::npos)
      << mail;
  EXPECT_NE(mail.find("MSG_TEXT=" + hex("Ten is fine.\r\n")), std::string::npos) << mail;
  const std::string oui = dbfreadDump(kSamples / "MESSAGE.DBF", home.path());
  EXPECT_NE(oui.find("MSG_BODY=" + hex("Which toner lasts longest?\r\n") + " MSG_EXTRA=" +
                     hex("From: Gus Hill <gus@example.net>\r\nNewsgroups: comp.sys.printers\r\n")),
            std::string::npos)
      << oui;
}

TEST_F(RecordsImport, NavCisTableWithFourBadRecordsIsReadToTheEnd) {
  writeNavCis(sources / "HRECV.DBF", 10);
  spoil(sources / "HRECV.DBF", {2, 4, 6, 8});
  ImportSettings s = settings("NavCIS 1.7x-", {"HRECV.DBF"});
  s.forum = true;
  const ImportSummary r = run(s);
  EXPECT_TRUE(r.completed) << r.outcome;
  EXPECT_EQ(r.imported, 6u);
  EXPECT_EQ(r.unreadable.size(), 4u);
  EXPECT_TRUE(ui.shown.empty()) << ui.last().text;
  EXPECT_EQ(linesWith("TEST message 10 ").size(), 1u);
}

TEST_F(RecordsImport, NavCisTableIsAbandonedAtTheFifthBadRecordWithThePercentageReached) {
  writeNavCis(sources / "HRECV.DBF", 10);
  spoil(sources / "HRECV.DBF", {2, 3, 4, 5, 6});
  ImportSettings s = settings("NavCIS 1.7x-", {"HRECV.DBF"});
  s.forum = true;
  const ImportSummary r = run(s);
  EXPECT_TRUE(r.completed) << r.outcome;
  EXPECT_EQ(r.imported, 1u);  // what was converted before stays
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].text,
            "Quorvel has processed 60 % of this NavCIS file and have encountered 5 bad records! They are probably "
            "deleted records that are still retained in the file. To ensure data integrity this file will be "
            "skipped! \r\n\r\nTo physically remove deleted records from your NavCIS file, always use the EXIT and "
            "PACK option when closing your NavCIS session after records have been purged!");
  EXPECT_NE(ui.shown[0].title.find("Record 6"), std::string::npos) << ui.shown[0].title;  // the driver's text

  ui.clear();
  writeNavCis(sources / "HRECV.DBF", 10);
  spoil(sources / "HRECV.DBF", {2, 3, 4, 5, 6});
  const ImportSummary quiet = runUnattended(s);
  EXPECT_EQ(std::count_if(quiet.unreadable.begin(), quiet.unreadable.end(),
                          [](const SkippedMessage& m) { return m.why.starts_with("Record "); }),
            5);
  EXPECT_TRUE(ui.shown.empty()) << ui.last().text;
}

TEST_F(RecordsImport, HeaderCountingMoreRecordsThanTheFileHoldsGivesOneBadRecord) {
  writeNavCis(sources / "HRECV.DBF", 3);
  {
    std::fstream f(sources / "HRECV.DBF", std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(4);
    f.put(static_cast<char>(40));  // the header claims 40 records
  }
  ImportSettings s = settings("NavCIS 1.7x-", {"HRECV.DBF"});
  s.forum = true;
  const ImportSummary r = run(s);
  EXPECT_EQ(r.imported, 3u);
  ASSERT_EQ(r.unreadable.size(), 1u);
  EXPECT_NE(r.unreadable[0].why.find("ends after record 3"), std::string::npos) << r.unreadable[0].why;
}

TEST_F(RecordsImport, TableThatCannotBeOpenedIsSkippedWithAMessageAndTheRunGoesOn) {
  writeSource("MESSAGE.DBF", "not a dBase table at all, just some text");
  writeNavCis(sources / "HRECV.DBF", 2);
  fs::remove(sources / "HRECV.DBT");  // the memo file is missing
  ImportSettings s = settings("OUI", {"MESSAGE.DBF"});
  s.news = true;
  ImportSummary r = run(s);
  ASSERT_FALSE(ui.shown.empty());
  EXPECT_EQ(ui.shown[0].title, "Warning!");
  EXPECT_NE(ui.shown[0].text.find("MESSAGE.DBF cannot be opened\r\n"), std::string::npos) << ui.shown[0].text;
  EXPECT_TRUE(ui.shown[0].text.ends_with("\r\nThis file will be skipped!")) << ui.shown[0].text;
  ui.clear();
  s = settings("NavCIS 1.7x-", {"HRECV.DBF"});
  s.forum = true;
  r = run(s);
  EXPECT_EQ(r.imported, 0u);
  ASSERT_FALSE(ui.shown.empty());
  EXPECT_NE(ui.shown[0].text.find("HRECV.DBT"), std::string::npos) << ui.shown[0].text;
}

TEST_F(RecordsImport, CisCommForumNumbersFromNineMillionOnAreSkipped) {
  const std::uint32_t forum = addForum("Numbers");
  {
    tools::RecordTable<CCO> t(sources / "NUMBERS.DBF");
    for (std::uint32_t n : {8'999'999u, 9'000'000u, 9'000'001u}) {
      t.record.MSG_NUMBER = n;
      t.record.MSG_SENDER = "Sam";
      t.memo = "x";
      t.add();
    }
  }
  ImportSettings s = settings("CISCOMM", {"NUMBERS.DBF"});
  s.forum = true;
  s.forumDatabase = forum;
  const ImportSummary r = run(s);
  EXPECT_EQ(r.imported, 1u);
  EXPECT_EQ(linesWith("Numbers message 8999999 ").size(), 1u);
  EXPECT_EQ(r.unreadable.size(), 2u);
}

// Real dBase files of other programs are no CompuServe stores: read as
// NavCIS or OUI tables they give skipped records or refused files, never a
// crash or a stopped program.
TEST_F(RecordsImport, CorpusDbaseFilesReadAsRecordStoresEndCleanly) {
  const fs::path corpus = fs::path(QV_SOURCE_DIR) / ".." / "shared" / "corpus" / "dbase";
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  std::size_t tables = 0;
  for (const auto& e : fs::recursive_directory_iterator(corpus))
    if (e.is_regular_file() && upper1252(e.path().extension().string()) == ".DBF") ++tables;
  if (tables == 0) GTEST_SKIP() << "no .dbf files in the corpus";
  for (const char* format : {"NavCIS 1.7x-", "OUI"}) {
    ImportSettings s = settings(format, {});
    s.method = kSelectTree;
    s.path = corpus;
    s.masks = {"*.DBF"};
    s.forum = s.mail = s.news = true;
    ImportSummary r;
    ASSERT_NO_THROW(r = runUnattended(s)) << format;
    EXPECT_EQ(r.files, tables) << format;
  }
}

}  // namespace
}  // namespace qv::test
