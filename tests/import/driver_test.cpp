// The import driver end to end, with the test line reader.
#include "tests/import/import_fixture.h"

#include <functional>
#include <string>

namespace qv::test {
namespace {

using engine::Err;

// `count` forum records of the test line format, numbered from 1, by Ann Lee
// in section General: record i has the subject subjectOf(i) and the text.
std::string forumRecords(int count, const std::function<std::string(int)>& subjectOf, const std::string& text = "Text") {
  std::string lines;
  for (int i = 1; i <= count; ++i)
    lines += "F||1|General|" + std::to_string(i) + "|0|" + subjectOf(i) + "|Ann Lee|70001,1|All||1995-03-01|10:00|" +
             text + "\n";
  return lines;
}

std::string sameSubject(int) { return "Subject"; }

TEST_F(ImportTest, ForumMessagesLandWithThreadsSectionsPersonsAndCounts) {
  writeSource("club.txt",
              "F|Computer Club|1|General|100|0|Modems|Ann Lee|70001,1|All||1995-03-01|10:00|Which modem?\n"
              "F|Computer Club|1|General|101|100|Re: Modems|Bob Ray|70002,2|Ann Lee|70001,1|1995-03-02|11:00|This one.\n"
              "F|Computer Club|2|Games|102|0|Doom|Ann Lee|70001,1|All||1995-03-03|12:00|Anyone?\n");
  ImportSettings s = settings("TAPCIS 5.x", {"club.txt"});
  s.forum = true;
  const ImportSummary r = run(s);
  EXPECT_TRUE(r.completed) << r.outcome;
  EXPECT_EQ(r.outcome, "The import process has finished!");
  EXPECT_EQ(r.converted, 3u);
  EXPECT_EQ(r.imported, 3u);
  ASSERT_EQ(r.databases.size(), 1u);
  EXPECT_EQ(r.databases[0], "Computer Club");

  // The forum named in the file was created for its messages.
  OP_CLOSE(*ctx, kOpOpen, {Forums::FileNo});
  ctx->for_.DESCRIPTION = "COMPUTER CLUB";
  ASSERT_EQ(ctx->fileOf<Forums>().get(Forums::AlphaKey), Err::Ok);
  const std::uint32_t id = ctx->for_.ID;
  OP_CLOSE(*ctx, kOpRelease, {Forums::FileNo});
  const Forums f = openDatabase(id);
  EXPECT_EQ(+f.MSGCOUNT, 3u);
  EXPECT_EQ(f.COUNTFLAG, 0);
  EXPECT_EQ(ctx->fileOf<MsgNmbr>().records(), 3);
  EXPECT_EQ(ctx->fileOf<MsgText>().records(), 3);
  EXPECT_EQ(ctx->fileOf<Sections>().records(), 2);
  ctx->msg.MSGNUMBER = 101;
  ASSERT_EQ(ctx->fileOf<MsgNmbr>().get(MsgNmbr::IdKey), Err::Ok);
  const std::uint32_t replyThread = ctx->msg.THREADNUMBER;
  ctx->msg.MSGNUMBER = 100;
  ASSERT_EQ(ctx->fileOf<MsgNmbr>().get(MsgNmbr::IdKey), Err::Ok);
  EXPECT_EQ(+ctx->msg.THREADNUMBER, replyThread);  // the reply joined its parent's thread
  ctx->txt.MSGNUMBER = 100;
  ASSERT_EQ(ctx->fileOf<MsgText>().get(MsgText::IdKey), Err::Ok);
  EXPECT_EQ(ctx->txtMemo, "Which modem?");
  // Ann sent two messages.
  ctx->per.PERSONID = ctx->msg.FROMID;
  ASSERT_EQ(ctx->fileOf<Person>().get(Person::PersonKey), Err::Ok);
  EXPECT_EQ(+ctx->per.FROMCOUNT, 2u);
  // The register of imported messages keeps the forum's messages out of the next run.
  ui.clear();
  const ImportSummary again = run(s);
  EXPECT_EQ(again.converted, 0u);
  EXPECT_EQ(again.outcome, "No messages found in selected file(s)!");
  EXPECT_TRUE(shown("No messages found in selected file(s)!\r\nImport unsuccessful!"));
}

TEST_F(ImportTest, MissingFilesAreSkippedAndNothingFoundOpensNoDatabase) {
  writeSource("junk.txt", "this line is no message\nneither is this\n");
  ImportSettings s = settings("TAPCIS 5.x", {"missing.txt", "junk.txt"});
  s.forum = true;
  const ImportSummary r = run(s);
  EXPECT_FALSE(r.completed);
  EXPECT_TRUE(shown("The file " + (sources / "missing.txt").string() + " does not exist and will be skipped!"));
  EXPECT_TRUE(shown("No messages found in selected file(s)!\r\nImport unsuccessful!"));
  EXPECT_EQ(r.unreadable.size(), 2u);
  EXPECT_EQ(r.files, 1u);
  // No database was created or opened, and the temporary files are gone.
  OP_CLOSE(*ctx, kOpOpen, {Forums::FileNo});
  EXPECT_EQ(ctx->fileOf<Forums>().records(), 0);
  OP_CLOSE(*ctx, kOpRelease, {Forums::FileNo});
  EXPECT_FALSE(std::filesystem::exists(home.path() / "F1"));
  EXPECT_FALSE(std::filesystem::exists(home.path() / "TEMP" / "IDX010.TPS"));
}

TEST_F(ImportTest, ADatabaseNamedInAFileIsCreatedOnlyWhenAMessageReachesIt) {
  writeSource("mixed.txt",
              "F|Ghost Forum|1|General|1|0|Hello|Ann Lee|70001,1|All||1995-03-01|10:00|Boo\n"
              "M|Lunch|Bob Ray|bob@example.org|Jane Smith|jane@example.org|1999-05-01|12:00|Noon?\n");
  const std::uint32_t mail = addMail("Jane Smith", "jane@example.org");
  ImportSettings s = settings("Generic Mail Type 2", {"mixed.txt"});
  s.mail = true;  // forum messages are not wanted this time
  s.mailDatabase = mail;
  const ImportSummary r = run(s);
  EXPECT_TRUE(r.completed) << r.outcome;
  EXPECT_EQ(r.imported, 1u);
  OP_CLOSE(*ctx, kOpOpen, {Forums::FileNo});
  EXPECT_EQ(ctx->fileOf<Forums>().records(), 1);
  OP_CLOSE(*ctx, kOpRelease, {Forums::FileNo});
  EXPECT_FALSE(std::filesystem::exists(home.path() / "F2"));
}

TEST_F(ImportTest, MailTwiceIsStoredOnceAndOwnCarbonCopiesAreDropped) {
  const std::uint32_t mail = addMail("Jane Smith", "jane@example.org", "jane@work.example");
  writeSource("in.txt",
              "M|Lunch|Bob Ray|bob@example.org|Jane Smith|jane@example.org|1999-05-01|12:00|Noon?\n"
              "C|Jane at work|JANE@work.example|CC\n"
              "C|Carl Fox|carl@example.org|CC\n"
              "M|Lunch|Bob Ray|bob@example.org|Jane Smith|jane@example.org|1999-05-01|12:00|Noon?\n"
              "M|Re: Lunch|Jane Smith|jane@work.example|Bob Ray|bob@example.org|1999-05-01|12:30|Yes\n");
  ImportSettings s = settings("Generic Mail Type 2", {"in.txt"});
  s.mail = true;
  s.mailDatabase = mail;
  ImportSummary r = run(s);
  EXPECT_TRUE(r.completed) << r.outcome;
  EXPECT_EQ(r.converted, 3u);
  EXPECT_EQ(r.imported, 2u);
  EXPECT_EQ(r.skipped, 1u);
  openDatabase(mail);
  EXPECT_EQ(ctx->fileOf<Mail>().records(), 2);
  EXPECT_EQ(ctx->fileOf<CCR>().records(), 1);  // Carl only
  ctx->fileOf<CCR>().set();
  ASSERT_EQ(ctx->fileOf<CCR>().next(), Err::Ok);
  EXPECT_EQ(ctx->ccr.R_CISADRESS, "carl@example.org");
  // The reply from the work address is the owner's own mail.
  ctx->fileOf<Mail>().set(Mail::DateKey);
  ASSERT_EQ(ctx->fileOf<Mail>().next(), Err::Ok);
  EXPECT_EQ(ctx->mai.SUBJECT, "Re: Lunch");
  ctx->per.PERSONID = ctx->mai.FROMID;
  ASSERT_EQ(ctx->fileOf<Person>().get(Person::PersonKey), Err::Ok);
  EXPECT_EQ(ctx->per.ADDRESS, "jane@example.org");

  // Everything already there: nothing to import.
  ui.clear();
  r = run(s);
  EXPECT_TRUE(r.completed);
  EXPECT_EQ(r.imported, 0u);
  EXPECT_EQ(r.outcome, "No messages to import!");
  openDatabase(mail);
  EXPECT_EQ(ctx->fileOf<Mail>().records(), 2);
}

TEST_F(ImportTest, ANewsReplyBeforeItsParentKeepsTheReservedNumber) {
  writeSource("news.txt",
              "N|comp.misc|<b@x>|<a@x>|Re: Hello|Bob Ray|bob@example.org|1996-01-02|10:00|Hi back\n"
              "N|comp.misc|<a@x>||Hello|Ann Lee|ann@example.org|1996-01-01|09:00|Hi\n");
  ImportSettings s = settings("Unix News", {"news.txt"});
  s.news = true;
  const ImportSummary r = run(s);
  EXPECT_TRUE(r.completed) << r.outcome;
  EXPECT_EQ(r.imported, 2u);
  OP_CLOSE(*ctx, kOpOpen, {Forums::FileNo});
  ctx->for_.DESCRIPTION = "comp.misc";
  ASSERT_EQ(ctx->fileOf<Forums>().get(Forums::AlphaKey), Err::Ok);
  const std::uint32_t id = ctx->for_.ID;
  EXPECT_EQ(ctx->for_.TYPE, 3);
  OP_CLOSE(*ctx, kOpRelease, {Forums::FileNo});
  openDatabase(id);
  ctx->mst.IDSTRING = "<a@x>";
  ASSERT_EQ(ctx->fileOf<MsgString>().get(MsgString::IDStringKey), Err::Ok);
  const std::uint32_t parent = ctx->mst.MSGNUMBER;
  ctx->mst.IDSTRING = "<b@x>";
  ASSERT_EQ(ctx->fileOf<MsgString>().get(MsgString::IDStringKey), Err::Ok);
  ctx->msg.MSGNUMBER = ctx->mst.MSGNUMBER;
  ASSERT_EQ(ctx->fileOf<MsgNmbr>().get(MsgNmbr::IdKey), Err::Ok);
  EXPECT_EQ(+ctx->msg.REFNUMBER, parent);
  ctx->msg.MSGNUMBER = parent;
  EXPECT_EQ(ctx->fileOf<MsgNmbr>().get(MsgNmbr::IdKey), Err::Ok);
}

TEST_F(ImportTest, CancellingBeforeTheMergeChangesNoDatabase) {
  const std::uint32_t forum = addForum("Computer Club");
  writeSource("many.txt", forumRecords(120, [](int i) { return "Subject " + std::to_string(i % 7); }));
  ImportSettings s = settings("TAPCIS 5.x", {"many.txt"});
  s.forum = true;
  s.forumDatabase = forum;
  {
    Context importCtx(lib);
    ImportJob job(importCtx, s);
    job.step();  // start
    job.step();  // the file opens
    job.step();  // a first slice is converted
    job.requestCancel();
    EXPECT_TRUE(job.step());
    EXPECT_FALSE(job.summary().completed);
    EXPECT_EQ(job.summary().outcome, "Import process interrupted");
  }
  openDatabase(forum);
  EXPECT_EQ(ctx->fileOf<MsgNmbr>().records(), 0);
  EXPECT_FALSE(std::filesystem::exists(home.path() / "TEMP" / "IDX010.TPS"));

  // Cancelling while merging asks first; "No" goes on, "Yes" keeps what was merged.
  ui.answers = {kNo, kYes};
  Context importCtx(lib);
  ImportJob job(importCtx, s);
  int merging = 0;
  while (!job.step()) {
    if (job.progress().text == "Importing messages" && job.progress().position > 0 && ++merging <= 2)
      job.requestCancel();
  }
  EXPECT_FALSE(job.summary().completed);
  EXPECT_EQ(job.summary().outcome, "Import process interrupted");
  int asked = 0;
  for (const auto& shownItem : ui.shown)
    if (shownItem.title == "Import process interrupted") ++asked;
  EXPECT_EQ(asked, 2);
  OP_CLOSE(*ctx, kOpForceClose, {MsgNmbr::FileNo});
  openDatabase(forum);
  const std::int64_t kept = ctx->fileOf<MsgNmbr>().records();
  EXPECT_GT(kept, 0);
  EXPECT_LT(kept, 120);
}

// The merge commits as soon as more than 400 records were written since
// the last commit. After the first commit (which also added the section,
// thread and persons) each message adds three records, itself, its text and
// its entry in the register of imported messages, so another session sees
// the messages arrive in steps of 134 (402 records; 133 would be 399).
TEST_F(ImportTest, TheMergeCommitsAsSoonAsMoreThan400RecordsAreWritten) {
  const std::uint32_t forum = addForum("Computer Club");
  constexpr int kMessages = 1000;
  writeSource("many.txt", forumRecords(kMessages, sameSubject));
  ImportSettings s = settings("TAPCIS 5.x", {"many.txt"});
  s.forum = true;
  s.forumDatabase = forum;
  std::vector<std::int64_t> committed;
  {
    Context importCtx(lib);
    ImportJob job(importCtx, s);
    bool merging = false;
    for (bool done = false; !done;) {
      done = job.step();
      if (!merging && job.progress().text != "Importing messages") continue;
      if (!merging) openDatabase(forum);
      merging = true;
      const std::int64_t n = ctx->fileOf<MsgNmbr>().records();
      if (n > 0 && (committed.empty() || n != committed.back())) committed.push_back(n);
    }
    EXPECT_TRUE(job.summary().completed);
  }
  ASSERT_GE(committed.size(), 5u);
  EXPECT_EQ(committed.back(), kMessages);
  EXPECT_LE(committed.front(), 134);
  for (std::size_t i = 1; i + 1 < committed.size(); ++i)
    EXPECT_EQ((committed[i] - committed.front()) % 134, 0) << "commit " << i << " at " << committed[i];
  EXPECT_LE(committed.back() - committed[committed.size() - 2], 134);
}

// The free disk space is looked at after the first slice of the conversion
// and then once per kSpaceCheckBytes converted, not after every slice.
TEST_F(ImportTest, TheConversionLooksAtTheFreeSpaceByWhatItWrote) {
  const std::uint32_t forum = addForum("Computer Club");
  const std::string text(4000, 'w');
  constexpr int kMessages = 600;
  writeSource("long.txt", forumRecords(kMessages, sameSubject, text));
  ImportSettings s = settings("TAPCIS 5.x", {"long.txt"});
  s.forum = true;
  s.forumDatabase = forum;
  Context importCtx(lib);
  ImportJob job(importCtx, s);
  int looks = 0;  // at the disk of the temporary tables
  const std::filesystem::path temp = importCtx.mem.TempDir;
  job.freeSpace = [&looks, &temp](const std::filesystem::path& dir) {
    if (dir == temp) ++looks;
    return std::optional<FreeSpace>(FreeSpace{kLowDiskBytes * 100, "/data"});
  };
  runToEnd(job);
  ASSERT_TRUE(job.summary().completed);
  EXPECT_EQ(job.summary().converted, static_cast<std::uint64_t>(kMessages));
  // About 2.4 MB were written: the first look and one per megabyte, no more.
  const auto written = static_cast<int>(kMessages * text.size() / kSpaceCheckBytes);
  EXPECT_GE(looks, 1 + written - 1);
  EXPECT_LE(looks, 1 + written + 1);
}

// The summary of a run that ended early says what ended it, not where it was.
TEST_F(ImportTest, ARunEndedEarlyNamesWhatEndedIt) {
  const std::uint32_t forum = addForum("Computer Club");
  writeSource("many.txt", forumRecords(120, sameSubject));
  ImportSettings s = settings("TAPCIS 5.x", {"many.txt"});
  s.forum = true;
  s.forumDatabase = forum;
  const std::string lowDisk =
      "You have only 1,000 bytes free on disk /data This may be too little for the temporary importfile.";
  // The disk warning answered Cancel, and the same warning ending a scheduled run unasked.
  for (const int task : {0, 2}) {
    ui.clear();
    ui.answers = {kCancel};
    Context importCtx(lib);
    importCtx.mem.DoTask = static_cast<std::uint8_t>(task);
    ImportJob job(importCtx, s);
    job.freeSpace = [](const std::filesystem::path&) { return std::optional<FreeSpace>(FreeSpace{1000, "/data"}); };
    runToEnd(job);
    EXPECT_FALSE(job.summary().completed);
    EXPECT_EQ(job.summary().outcome, lowDisk) << "scheduled " << task;
    EXPECT_EQ(ui.shown.size(), task == 0 ? 1u : 0u);
  }

  // The temporary file removed under the run (as a second run beside it
  // once did) fails its key build.
  ui.clear();
  Context importCtx(lib);
  ImportJob job(importCtx, s);
  job.onFileConverted = [&](const SourceFile&) { std::filesystem::remove(home.path() / "TEMP" / "IDX010.TPS"); };
  runToEnd(job);
  EXPECT_FALSE(job.summary().completed);
  ASSERT_FALSE(ui.shown.empty());
  EXPECT_EQ(ui.last().title, "NewHR Key Build Error!");
  const std::string firstLine = ui.last().text.substr(0, ui.last().text.find("\r\n"));
  EXPECT_EQ(job.summary().outcome, "NewHR Key Build Error! " + firstLine);
}

TEST_F(ImportTest, AScheduledRunShowsNothing) {
  writeSource("junk.txt", "no message here\n");
  ImportSettings s = settings("TAPCIS 5.x", {"missing.txt", "junk.txt"});
  s.forum = true;
  Context importCtx(lib);
  importCtx.mem.DoTask = 2;
  ImportJob job(importCtx, s);
  runToEnd(job);
  EXPECT_FALSE(job.summary().completed);
  EXPECT_TRUE(ui.shown.empty());
}

}  // namespace
}  // namespace qv::test
