// The search result set: re-sorting, storing in Search and reading it back.
#include "wordindex/result_set.h"

#include <atomic>
#include <chrono>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "tests/import/import_fixture.h"

namespace qv::test {
namespace {

using namespace qv::wordindex;
using Ids = std::vector<std::uint32_t>;

class ResultSetTest : public ImportTest {
 protected:
  // Makes database `id` the active one, its tables open in ctx.
  void activate(std::uint32_t id) { setDatabaseGlobals(ctx->mem, openDatabase(id)); }

  void addMessage(std::uint32_t number, const char* from, std::uint32_t fromId, std::int32_t date) {
    ctx->msg = MsgNmbr{};
    ctx->msg.MSGNUMBER = number;
    ctx->msg.FROMALPHA = from;
    ctx->msg.FROMID = fromId;
    ctx->msg.DATE = date;
    ASSERT_EQ(ctx->fileOf<MsgNmbr>().add(), engine::Err::Ok);
  }
  void addMailRecord(std::uint32_t id, const char* subject, std::int32_t date, std::int32_t time) {
    ctx->mai = Mail{};
    ctx->mai.MAILID = id;
    ctx->mai.SUBJECT = subject;
    ctx->mai.DATE = date;
    ctx->mai.TIME = time;
    ASSERT_EQ(ctx->fileOf<Mail>().add(), engine::Err::Ok);
  }
  Ids stored(Context& c) {
    const StoredResultSet set = readResultSet(c);
    EXPECT_EQ(set.state, ResultSetState::Read);
    return set.ids;
  }

  // Forum messages of three senders, in no order.
  std::uint32_t forumWithMessages() {
    const std::uint32_t forum = addForum("Pictures");
    activate(forum);
    addMessage(10, "Carol", 3, 100);
    addMessage(11, "alice", 1, 200);
    addMessage(12, "Bob", 2, 150);
    addMessage(13, "ALICE", 1, 300);
    addMessage(14, "Alice", 1, 200);
    addMessage(15, "bob", 2, 100);
    return forum;
  }
};

TEST_F(ResultSetTest, ResortBySenderGroupsEachSenderNewestFirstAndStoresTheNewOrder) {
  const std::uint32_t forum = forumWithMessages();
  ResultSet list{{15, 10, 14, 12, 11, 13}, ResultOrder::Result};

  const ResortOutcome outcome = resort(*ctx, list, ResultOrder::Sender, 12);

  EXPECT_EQ(outcome.result, ResortResult::Sorted);
  // Names compare without case; 11 and 14 share a date and go by number.
  EXPECT_EQ(list.ids, (Ids{13, 11, 14, 12, 15, 10}));
  EXPECT_EQ(list.order, ResultOrder::Sender);
  EXPECT_EQ(outcome.row, 3u);
  const StoredResultSet set = readResultSet(*ctx);
  EXPECT_EQ(set.state, ResultSetState::Read);
  EXPECT_EQ(set.database, forum);
  EXPECT_EQ(set.ids, list.ids);
  EXPECT_TRUE(ui.shown.empty());
}

TEST_F(ResultSetTest, ChoosingTheCurrentOrderNeitherReordersNorStores) {
  forumWithMessages();
  ResultSet list{{15, 10, 14}, ResultOrder::Result};
  ASSERT_EQ(resort(*ctx, list, ResultOrder::Date, std::nullopt).result, ResortResult::Sorted);
  ASSERT_EQ(storeResultSet(*ctx, {12}), StoreResult::Stored);
  list.ids = {10, 15};  // as the list stands, whatever Search holds

  const ResortOutcome outcome = resort(*ctx, list, ResultOrder::Date, 10);

  EXPECT_EQ(outcome.result, ResortResult::Unchanged);
  EXPECT_EQ(outcome.row, std::nullopt);
  EXPECT_EQ(list.ids, (Ids{10, 15}));
  EXPECT_EQ(stored(*ctx), Ids{12});
}

TEST_F(ResultSetTest, VanishedMessagesAreDroppedAndTheRememberedOneFallsBackToTheFirstRow) {
  forumWithMessages();
  ResultSet list{{10, 404, 12, 405, 10}, ResultOrder::Result};

  ResortOutcome outcome = resort(*ctx, list, ResultOrder::Date, 404);

  EXPECT_EQ(list.ids, (Ids{12, 10}));
  EXPECT_EQ(outcome.row, 0u);
  EXPECT_EQ(stored(*ctx), (Ids{12, 10}));

  ResultSet gone{{404, 405}, ResultOrder::Result};
  outcome = resort(*ctx, gone, ResultOrder::Sender, 404);
  EXPECT_EQ(outcome.result, ResortResult::Sorted);
  EXPECT_EQ(outcome.row, std::nullopt);
  EXPECT_TRUE(gone.ids.empty());
  EXPECT_EQ(stored(*ctx), Ids{});
}

TEST_F(ResultSetTest, MailsResortBySubjectWithoutCaseLatestFirstAndOnlyByTheMailBrowsesOrders) {
  const std::uint32_t mail = addMail("Mail", "me@example.org");
  activate(mail);
  addMailRecord(900001, "re: plan", 50, 700);
  addMailRecord(900002, "Agenda", 10, 100);
  addMailRecord(900003, "RE: PLAN", 50, 900);
  addMailRecord(900004, "Re: Plan", 40, 999);
  ResultSet list{{900001, 900002, 900003, 900004}, ResultOrder::Result};

  EXPECT_EQ(resort(*ctx, list, ResultOrder::Thread, std::nullopt).result, ResortResult::NotOffered);
  EXPECT_EQ(resort(*ctx, list, ResultOrder::Subject, std::nullopt).result, ResortResult::Sorted);
  EXPECT_EQ(list.ids, (Ids{900002, 900003, 900001, 900004}));
  EXPECT_EQ(stored(*ctx), list.ids);
}

TEST_F(ResultSetTest, EachBrowsesMenuMarksTheCurrentOrder) {
  auto texts = [](DatabaseType type, ResultOrder current) {
    std::vector<std::string> t;
    for (const ResortMenuEntry& e : resortMenu(type, current)) t.push_back(e.text);
    return t;
  };
  using Texts = std::vector<std::string>;
  EXPECT_EQ(texts(DatabaseType::Forum, ResultOrder::Sender),
            (Texts{"Sort by date", "Sort by thread", "Sort by section", "+Sort by sender", "Sort by receiver"}));
  EXPECT_EQ(texts(DatabaseType::Newsgroup, ResultOrder::Result),
            (Texts{"Sort by date", "Sort by thread", "Sort by section", "Sort by sender", "Sort by receiver"}));
  EXPECT_EQ(texts(DatabaseType::Mail, ResultOrder::Date),
            (Texts{"+Sort by date", "Sort by partner", "Sort by sender", "Sort by receiver", "Sort by subject"}));
}

TEST_F(ResultSetTest, ASetStoredForOneDatabaseIsNotReadAsAnothers) {
  const std::uint32_t first = forumWithMessages();
  const std::uint32_t second = addForum("Music");
  ASSERT_EQ(storeResultSet(*ctx, {12, 10}), StoreResult::Stored);

  activate(second);
  const StoredResultSet elsewhere = readResultSet(*ctx);
  EXPECT_EQ(elsewhere.state, ResultSetState::OtherDatabase);
  EXPECT_EQ(elsewhere.database, first);
  EXPECT_TRUE(elsewhere.ids.empty());

  activate(first);
  EXPECT_EQ(stored(*ctx), (Ids{12, 10}));
}

// Stores from two threads of work, each with a Context (and so a lock file
// descriptor) of its own, exclude each other as two processes do.
TEST_F(ResultSetTest, StoresAtOnceLeaveOneWholeSetAndReadersNeverSeeAMix) {
  constexpr std::uint32_t kSize = 1500;
  constexpr int kRounds = 5;
  Ids first(kSize), second(kSize);
  std::iota(first.begin(), first.end(), 1u);
  std::iota(second.begin(), second.end(), kSize + 1);
  std::atomic<int> storing{2};
  auto storeRounds = [&](const Ids& ids, std::vector<StoreResult>& results) {
    auto own = newContext();
    for (int i = 0; i < kRounds; ++i) results.push_back(storeResultSet(*own, ids));
    --storing;
  };
  std::vector<StoreResult> firstResults, secondResults;
  std::vector<StoredResultSet> seen;
  std::thread a(storeRounds, std::cref(first), std::ref(firstResults));
  std::thread b(storeRounds, std::cref(second), std::ref(secondResults));
  std::thread reader([&] {
    auto own = newContext();
    while (storing > 0) {
      seen.push_back(readResultSet(*own));
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  a.join();
  b.join();
  reader.join();

  EXPECT_EQ(firstResults, std::vector<StoreResult>(kRounds, StoreResult::Stored));
  EXPECT_EQ(secondResults, std::vector<StoreResult>(kRounds, StoreResult::Stored));
  for (const StoredResultSet& set : seen) {
    if (set.state == ResultSetState::NoSet) continue;
    EXPECT_EQ(set.state, ResultSetState::Read);
    EXPECT_TRUE(set.ids == first || set.ids == second) << set.ids.size() << " ids";
  }
  const Ids last = stored(*ctx);
  EXPECT_TRUE(last == first || last == second) << last.size() << " ids";
  EXPECT_TRUE(ui.shown.empty());
}

}  // namespace
}  // namespace qv::test
