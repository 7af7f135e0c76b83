// Purging and counting forum and newsgroup databases.
#include <filesystem>

#include "maintenance/purge_texts.h"
#include "store/dates.h"
#include "tests/maintenance/purge_fixture.h"

namespace qv::test {
namespace {

using browse::StatusTarget;
using maintenance::PurgeResult;

std::string dateText(std::int32_t day) {
  const dates::Ymd d = dates::fromDayNumber(day);
  char s[11];
  std::snprintf(s, sizeof s, "%04d-%02d-%02d", d.year, d.month, d.day);
  return s;
}

TEST_F(PurgeTest, DeleteThreadLosesAllButItsKeptMessageAndTopicLinksAndIndexFollow) {
  std::string lines = forumLine(1, "Laser fonts", "kept words laser");
  for (int n = 2; n <= 6; ++n) lines += forumLine(n, "Laser fonts", "dropped words number" + std::to_string(n));
  lines += forumLine(7, "Modems", "modem words stay");
  importForum(lines);
  index(wordindex::IndexMode::Full);
  const std::uint32_t fonts = messages().at(1).THREADNUMBER;
  mark(StatusTarget::Thread, fonts, Status::Delete);
  mark(StatusTarget::Message, 1, Status::Keep);
  // Topic 900001 links messages 1, 2 and 7; topic 900002 has no Codes row.
  Codes topic{};
  topic.TYPE = static_cast<std::uint8_t>(CodeType::Topic);
  topic.INDEX = "Printers";
  topic.ID = 900001;
  topic.COUNT = 3;
  add(&Context::cod, topic);
  for (auto [id, msg] : {std::pair{900001u, 1u}, {900001u, 2u}, {900001u, 7u}, {900002u, 7u}})
    add(&Context::sin, SIndex{id, msg});

  const Run run = purge();
  ASSERT_EQ(run.result, PurgeResult::Done);
  EXPECT_EQ(run.statistics.before, 7);
  EXPECT_EQ(run.statistics.deleted, 5);
  EXPECT_EQ(run.statistics.after(), 2);

  const auto left = messages();
  EXPECT_EQ(left.size(), 2u);
  EXPECT_TRUE(left.contains(1) && left.contains(7));
  EXPECT_EQ(texts(), (std::set<std::uint32_t>{1, 7}));
  const Threads kept = threads().at(fonts);
  EXPECT_EQ(+kept.MSGCOUNT, 1u);

  std::set<std::pair<std::uint32_t, std::uint32_t>> links;
  for (const SIndex& s : all(&Context::sin)) links.insert({s.ID, s.MSGNUMBER});
  EXPECT_EQ(links, (std::set<std::pair<std::uint32_t, std::uint32_t>>{{900001, 1}, {900001, 7}}));
  EXPECT_EQ(+all(&Context::cod).at(0).COUNT, 2u);

  // The index holds only the messages left, each word counting them.
  const Contents c = contents();
  EXPECT_TRUE(c.messages.contains("LASER"));
  for (const auto& [word, ids] : c.messages) {
    EXPECT_EQ(c.counts.at(word), static_cast<std::int32_t>(ids.size())) << word;
    for (std::uint32_t id : ids) EXPECT_TRUE(id == 1 || id == 7) << word << " in " << id;
  }
  for (const auto& [word, count] : c.counts) EXPECT_TRUE(c.messages.contains(word)) << word;
}

TEST_F(PurgeTest, StoppingKeepsWhatWasDeletedAndTheNextPurgeFinishes) {
  std::string lines;
  for (int n = 1; n <= 12; ++n) lines += forumLine(n, "Fonts", "text " + std::to_string(n));
  importForum(lines);
  mark(StatusTarget::Thread, messages().at(1).THREADNUMBER, Status::Delete);
  {
    maintenance::PurgeMess job(*ctx, {maintenance::PurgeMode::Purge, 0, 1, {}});
    while (job.progress().text != maintenance::kDeletingThreadsText || job.progress().position < 1)
      ASSERT_FALSE(job.step());
    for (int i = 0; i < 5; ++i) ASSERT_FALSE(job.step());
    job.requestCancel();
    EXPECT_TRUE(job.step());
    EXPECT_EQ(job.result(), PurgeResult::Stopped);
    const auto left = messages();
    EXPECT_GT(left.size(), 0u);
    EXPECT_LT(left.size(), 12u);
    EXPECT_EQ(job.statistics().deleted, static_cast<std::int64_t>(12 - left.size()));
    EXPECT_EQ(texts().size(), left.size());
  }
  EXPECT_EQ(purge().result, PurgeResult::Done);
  EXPECT_TRUE(messages().empty());
  EXPECT_TRUE(threads().empty());
}

TEST_F(PurgeTest, BulkDeletesGoOnAfterTheTablesAreReopenedForLackOfSpace) {
  std::string lines;
  for (int n = 1; n <= 700; ++n) lines += forumLine(n, "Thread " + std::to_string(n % 10), "text");
  importForum(lines);
  // Threads 1 to 4 marked Delete, every fourth message Delete, every ninth Keep.
  const auto before = messages();
  for (std::uint32_t k = 1; k <= 4; ++k) mark(StatusTarget::Thread, before.at(k).THREADNUMBER, Status::Delete);
  std::set<std::uint32_t> expected;
  for (std::uint32_t n = 1; n <= 700; ++n) {
    if (n % 4 == 0) mark(StatusTarget::Message, n, Status::Delete);
    if (n % 9 == 0) mark(StatusTarget::Message, n, Status::Keep);
    const bool inDeletedThread = n % 10 >= 1 && n % 10 <= 4;
    if (n % 9 == 0 || (!inDeletedThread && n % 4 != 0)) expected.insert(n);
  }
  // Between the two limits: each commit of a bulk step asks, and Cancel
  // (the safe answer) closes and reopens the tables.
  maintenance::PurgeOptions options{maintenance::PurgeMode::Purge, 0, 20, [](const std::filesystem::path& p) {
                                      return std::optional<FreeSpace>(FreeSpace{7000000, p});
                                    }};
  ui.clear();
  ASSERT_EQ(runJob(options).result, PurgeResult::Done);
  int asked = 0;
  for (const auto& shown : ui.shown) asked += shown.question && shown.text.starts_with("You have only") ? 1 : 0;
  EXPECT_GE(asked, 1);
  std::set<std::uint32_t> left;
  for (const auto& entry : messages()) left.insert(entry.first);
  EXPECT_EQ(left, expected);
  EXPECT_EQ(texts(), expected);
}

TEST_F(PurgeTest, AgedThreadIsJudgedByItsNewestNumberedMessage) {
  EXPECT_EQ(maintenance::agedWeeks(true, 0), 999);
  EXPECT_EQ(maintenance::agedWeeks(true, 10), 10);
  EXPECT_EQ(maintenance::agedWeeks(false, 10), 0);
  EXPECT_EQ(maintenance::agedCutoff(20000, maintenance::agedWeeks(true, 0)), 20000 - 6993);

  const std::string recent = dateText(dates::today() - 3);
  importForum(forumLine(1, "Old thread", "a", "1995-01-01") + forumLine(2, "Old thread", "b", "1995-02-01") +
              forumLine(3, "Mixed thread", "c", "1995-01-01") + forumLine(4, "Mixed thread", "d", "1995-01-02") +
              forumLine(5, "Mixed thread", "e", recent));
  const Run run = purge(52);
  ASSERT_EQ(run.result, PurgeResult::Done);
  const auto left = messages();
  EXPECT_EQ(left.size(), 3u);
  EXPECT_TRUE(left.contains(3) && left.contains(4) && left.contains(5));
  EXPECT_EQ(statusOf(threads().at(+left.at(3).THREADNUMBER)), Status::Normal);
}

TEST_F(PurgeTest, DatabaseMarkedDeleteIsRemovedOnlyWhenConfirmed) {
  importForum(forumLine(1, "Fonts", "a") + forumLine(2, "Fonts", "b"));
  const std::uint32_t id = ctx->mem.ForumNumber;
  const std::filesystem::path dir = ctx->mem.FileDir / ctx->mem.Dirnamn;
  ui.answers = {kYes};
  mark(StatusTarget::Database, id, Status::Delete);

  ui.clear();
  ui.answers = {kCancel};
  EXPECT_EQ(purge().result, PurgeResult::Cancelled);
  ASSERT_FALSE(ui.shown.empty());
  EXPECT_EQ(ui.shown.front().title, maintenance::kDeleteDatabaseTitle);
  EXPECT_EQ(ui.shown.front().text, maintenance::kDeleteDatabaseText);
  EXPECT_EQ(messages().size(), 2u);
  EXPECT_EQ(texts().size(), 2u);
  EXPECT_EQ(databaseOfType(DatabaseType::Forum), id);

  ui.answers = {kOk};
  EXPECT_EQ(purge().result, PurgeResult::DatabaseRemoved);
  EXPECT_FALSE(std::filesystem::exists(dir));
  EXPECT_EQ(databaseOfType(DatabaseType::Forum), 0u);
}

TEST_F(PurgeTest, CountRemovesPersonsWithoutMessagesFixesCountsAndASecondCountChangesNothing) {
  importForum(forumLine(1, "Fonts", "a") + forumLine(2, "Fonts", "b") + forumLine(3, "Modems", "c"));
  Person idle{};
  idle.PERSONID = 900100;
  idle.PERSONSTRING = "IDLE PERSON";
  idle.LASTNAME = "Idle";
  idle.FROMCOUNT = 4;
  add(&Context::per, idle);
  const std::uint32_t fonts = messages().at(1).THREADNUMBER;
  rewrite<Threads>(&Context::thr, Threads::ThreadKey, [&](Threads& t) { t.THREADNUMBER = fonts; },
                   [](Threads& t) { t.MSGCOUNT = 9; });

  // With the completion time asked for, the run ends by showing it.
  std::int32_t on = 1;
  std::string unused;
  Konfig(*ctx, kKonfigSetDisplay, kItemImportTiming, on, 0, unused);
  ui.clear();
  ASSERT_EQ(count().result, PurgeResult::Done);
  ASSERT_FALSE(ui.shown.empty());
  EXPECT_EQ(ui.last().title, maintenance::kCountCompletionTitle);
  EXPECT_EQ(ui.last().text.rfind(maintenance::kCompletionText, 0), 0u);
  EXPECT_EQ(ui.beeps, 1);
  for (const Person& p : all(&Context::per)) EXPECT_NE(+p.PERSONID, 900100u);
  EXPECT_EQ(+threads().at(fonts).MSGCOUNT, 2u);
  std::uint32_t sectionTotal = 0;
  for (const Sections& s : all(&Context::sec)) sectionTotal += s.MSGCOUNT;
  EXPECT_EQ(sectionTotal, 3u);
  TableUse list(*ctx, {Forums::FileNo});
  ctx->for_.ID = ctx->mem.ForumNumber;
  ASSERT_EQ(ctx->fileOf<Forums>().get(Forums::ForumKey), engine::Err::Ok);
  EXPECT_EQ(+ctx->for_.MSGCOUNT, 3u);
  EXPECT_EQ(ctx->for_.COUNTFLAG, 0);

  const auto persons = all(&Context::per);
  const auto threadsBefore = all(&Context::thr);
  const auto sections = all(&Context::sec);
  const Run again = count();
  ASSERT_EQ(again.result, PurgeResult::Done);
  EXPECT_EQ(again.statistics.messages, 3);
  EXPECT_EQ(again.statistics.threads, 2);
  auto bytes = [](const auto& v) {
    return std::string(reinterpret_cast<const char*>(v.data()), v.size() * sizeof v[0]);
  };
  EXPECT_EQ(bytes(all(&Context::per)), bytes(persons));
  EXPECT_EQ(bytes(all(&Context::thr)), bytes(threadsBefore));
  EXPECT_EQ(bytes(all(&Context::sec)), bytes(sections));
}

TEST_F(PurgeTest, NewsgroupRepliesAreAddressedToTheSenderOfWhatTheyAnswer) {
  writeSource("news.txt",
              "N|comp.misc|<a@x>||Topic|Poster A|a@example.org|1996-01-01|09:00|first\n"
              "N|comp.misc|<b@x>|<a@x>|Re: Topic|Poster B|b@example.org|1996-01-02|09:00|reply\n");
  ImportSettings s = settings("Unix News", {"news.txt"});
  s.news = true;
  ASSERT_TRUE(run(s).completed);
  activateId(databaseOfType(DatabaseType::Newsgroup));
  std::uint32_t reply = 0, parent = 0;
  for (const auto& [n, m] : messages()) (m.REFNUMBER != 0 ? reply : parent) = n;
  ASSERT_NE(reply, 0u);
  rewrite<MsgNmbr>(&Context::msg, MsgNmbr::IdKey, [&](MsgNmbr& m) { m.MSGNUMBER = reply; }, [](MsgNmbr& m) {
    m.TOID = 0;
    m.TOALPHA = "";
  });

  ASSERT_EQ(count().result, PurgeResult::Done);
  const auto m = messages();
  EXPECT_EQ(+m.at(reply).TOID, +m.at(parent).FROMID);
  EXPECT_EQ(m.at(reply).TOALPHA, m.at(parent).FROMALPHA);
}

}  // namespace
}  // namespace qv::test
