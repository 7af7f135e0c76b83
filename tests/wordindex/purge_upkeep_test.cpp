// Keeping the word index in step when a purge deletes messages.
#include "wordindex/purge_upkeep.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "store/database_list.h"
#include "store/dispatcher.h"
#include "store/table_use.h"
#include "store/utilities.h"
#include "tests/store/store_fixture.h"
#include "wordindex/index_state.h"
#include "wordindex/index_tables.h"

namespace qv::test {
namespace {

using namespace qv::wordindex;
using engine::Err;

using Occurrence = std::pair<std::uint32_t, std::uint32_t>;  // (message, word)
using Mark = std::pair<std::int32_t, std::int32_t>;          // PUR (SYSID, WORDID)

const std::string kPurging = "Purging orphaned word indexes";
const std::string kUpdating = "Updating index counts per indexed word";
const std::string kFlushing = "Flushing buffers";
const std::string kRebuilding = "Rebuilding word list";

class PurgeUpkeepTest : public StoreTest {
 protected:
  PurgeUpkeepTest() {
    registerLibraryProcedures(lib);
    std::filesystem::remove(home.path() / "F1");  // not a database
    EXPECT_TRUE(AddForumDatabase(*ctx, "Index"));
    database = ctx->for_.ID;
    // The new database is the active one; its count key waits for a rebuild.
    setDatabaseGlobals(ctx->mem, ctx->for_);
  }

  // Indexes messages as indexing leaves them: one occurrence row per
  // (message, word), the word list counting them, and an indexed mark per
  // message (also for a message without words).
  void index(const std::map<std::uint32_t, std::vector<std::uint32_t>>& messages) {
    std::map<std::uint32_t, std::int32_t> counts;
    IndexTable mas(*ctx, MasIdx::FileNo);
    mas.file().stream();  // one write at the end, not one per row
    for (const auto& [message, words] : messages)
      for (std::uint32_t word : words) {
        ctx->mas = MasIdx{message, word};
        ASSERT_EQ(mas.file().add(), Err::Ok);
        ++counts[word];
      }
    ASSERT_EQ(mas.file().flush(), Err::Ok);
    IndexTable wor(*ctx, WordList::FileNo);
    for (const auto& [word, count] : counts) {
      ctx->wor = WordList{};
      ctx->wor.WORDID = static_cast<std::int32_t>(word);
      ctx->wor.THEWORD = "WORD" + std::to_string(word);
      ctx->wor.WORDCOUNT = count;
      ASSERT_EQ(wor.file().add(), Err::Ok);
    }
    for (const auto& entry : messages) addMark({static_cast<std::int32_t>(entry.first), kIndexedMark});
  }
  void addMark(Mark mark) {
    TableUse use(*ctx, {PUR::FileNo});
    ctx->pur = PUR{mark.first, mark.second};
    ASSERT_EQ(ctx->fileOf<PUR>().add(), Err::Ok);
  }

  struct Outcome {
    UpkeepResult result;
    UpkeepCounts counts;
  };
  Outcome purge(const std::vector<std::uint32_t>& ids, std::int32_t batch) {
    IndexUpkeepJob job(*ctx, batch);
    for (std::uint32_t id : ids) job.add(id);
    runToEnd(job);
    return {job.result(), job.counts()};
  }

  std::map<std::int32_t, std::int32_t> wordCounts() {
    std::map<std::int32_t, std::int32_t> out;
    IndexTable wor(*ctx, WordList::FileNo);
    wor.file().set();
    while (wor.file().next() == Err::Ok) out[+ctx->wor.WORDID] = ctx->wor.WORDCOUNT;
    return out;
  }
  std::set<Occurrence> occurrences() {
    std::set<Occurrence> out;
    IndexTable mas(*ctx, MasIdx::FileNo);
    mas.file().set();
    while (mas.file().next() == Err::Ok) out.emplace(ctx->mas.SYSID, ctx->mas.WORDID);
    return out;
  }
  std::set<Mark> marks() {
    std::set<Mark> out;
    TableUse use(*ctx, {PUR::FileNo});
    ctx->fileOf<PUR>().set();
    while (ctx->fileOf<PUR>().next() == Err::Ok) out.emplace(ctx->pur.SYSID, ctx->pur.WORDID);
    return out;
  }
  std::int32_t storedNeedsUpdate() {
    TableUse use(*ctx, {Forums::FileNo});
    ctx->for_ = Forums{};
    ctx->for_.ID = database;
    EXPECT_EQ(ctx->fileOf<Forums>().get(Forums::ForumKey), Err::Ok);
    return ctx->for_.WORDLISTINDEXNEEDSUPDATE;
  }
  // The step texts the user saw, in order, each once.
  std::vector<std::string> stepTexts() const {
    std::vector<std::string> texts;
    for (const ProgressReport& r : ui.reports)
      if (texts.empty() || texts.back() != r.text) texts.push_back(r.text);
    return texts;
  }
  std::string wordListBytes() {
    std::ifstream in(BuildFileName(*ctx, WordList::FileNo), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  std::uint32_t database = 0;
};

TEST_F(PurgeUpkeepTest, PurgedMessagesTakeTheirRowsMarksAndWordCountsWithThem) {
  index({{10, {1, 2, 5}}, {11, {1, 5}}, {12, {2, 5, 6}}, {20, {2, 5}}, {21, {6}}});
  addMark({10, kFullIndexRunning});  // the index's own pair, whatever its SYSID

  // Two deletes per step: the eight rows take four steps of the walk.
  const Outcome out = purge({12, 10, 11, 10}, 2);

  EXPECT_EQ(out.result, UpkeepResult::Done);
  // Word 1 was only in purged messages; word 5 was in three of them (4 -> 1),
  // word 2 in two (3 -> 1), word 6 in one (2 -> 1).
  EXPECT_EQ(wordCounts(), (std::map<std::int32_t, std::int32_t>{{2, 1}, {5, 1}, {6, 1}}));
  EXPECT_EQ(occurrences(), (std::set<Occurrence>{{20, 2}, {20, 5}, {21, 6}}));
  EXPECT_EQ(marks(), (std::set<Mark>{{20, kIndexedMark}, {21, kIndexedMark}, {10, kFullIndexRunning}}));
  EXPECT_EQ(out.counts.occurrencesRemoved, 8u);
  EXPECT_EQ(out.counts.marksRemoved, 3u);
  EXPECT_EQ(out.counts.wordsDropped, 1u);
  EXPECT_EQ(out.counts.wordsReduced, 3u);
  EXPECT_TRUE(ui.shown.empty());
}

TEST_F(PurgeUpkeepTest, TheWalkOfALargeIndexGoesOnAcrossStepsAndFindsEveryRowOfTheDeletedMessages) {
  // 26,000 rows: more than one step reads. The deleted messages' rows lie
  // all over the word order, before and after the first step's end.
  std::map<std::uint32_t, std::vector<std::uint32_t>> messages;
  for (std::uint32_t m = 1; m <= 260; ++m)
    for (std::uint32_t w = 1; w <= 100; ++w) messages[m].push_back((m * 7 + w * 13) % 400 + 1);
  for (auto& [m, words] : messages) {
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
  }
  index(messages);
  const std::set<std::uint32_t> purged{3, 130, 259};
  std::set<Occurrence> expected;
  std::map<std::int32_t, std::int32_t> counts;
  for (const auto& [m, words] : messages)
    for (std::uint32_t w : words)
      if (!purged.contains(m)) {
        expected.emplace(m, w);
        ++counts[static_cast<std::int32_t>(w)];
      }

  const Outcome out = purge(std::vector<std::uint32_t>(purged.begin(), purged.end()), 1000);

  EXPECT_EQ(out.result, UpkeepResult::Done);
  EXPECT_EQ(occurrences(), expected);
  EXPECT_EQ(wordCounts(), counts);
  EXPECT_EQ(out.counts.marksRemoved, 3u);
}

TEST_F(PurgeUpkeepTest, RebuildingTheCountKeyClearsTheNeedsUpdateFlags) {
  index({{10, {1}}, {20, {1, 2}}});
  ASSERT_EQ(ctx->mem.WordListIndexNeedsUpdate, 1);
  ASSERT_EQ(storedNeedsUpdate(), 1);

  const Outcome out = purge({10}, 100);

  EXPECT_EQ(out.result, UpkeepResult::Done);
  EXPECT_TRUE(out.counts.countKeyRebuilt);
  EXPECT_EQ(ctx->mem.WordListIndexNeedsUpdate, 0);
  EXPECT_EQ(storedNeedsUpdate(), 0);
  EXPECT_EQ(stepTexts(), (std::vector<std::string>{kPurging, kUpdating, kFlushing, kRebuilding}));
}

TEST_F(PurgeUpkeepTest, MessagesWithoutIndexRowsLeaveTheWordListAndItsCountKeyAlone) {
  index({{20, {1, 2}}, {30, {}}});  // 30 was indexed and gave no word
  const std::string before = wordListBytes();
  ASSERT_FALSE(before.empty());

  const Outcome out = purge({30, 31}, 100);

  EXPECT_EQ(out.result, UpkeepResult::NothingToDo);
  EXPECT_EQ(wordListBytes(), before);
  EXPECT_FALSE(out.counts.countKeyRebuilt);
  EXPECT_EQ(ctx->mem.WordListIndexNeedsUpdate, 1);
  EXPECT_EQ(storedNeedsUpdate(), 1);
  EXPECT_EQ(stepTexts(), std::vector<std::string>{kPurging});
  EXPECT_EQ(marks(), (std::set<Mark>{{20, kIndexedMark}}));
}

}  // namespace
}  // namespace qv::test
