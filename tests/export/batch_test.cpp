// The selection walk and the batch operations over it: each selection's
// limit, the date range and its refusals, the container rule, and a stop
// halfway.
#include "export/batch_operation.h"

#include <algorithm>
#include <map>

#include "store/dates.h"
#include "store/table_use.h"
#include "tests/wordindex/index_fixture.h"
#include "topics/codes.h"

namespace qv::test {
namespace {

using namespace qv::exporting;
using Ids = std::vector<std::uint32_t>;

class BatchTest : public IndexTest {
 protected:
  void SetUp() override {
    // Two threads in section 1 (100 ← 101 ← 103; 102), one in section 2 (104).
    importForum("F|Club|1|S1|100|0|Modems|Ann Lee|70001,1|Bob Ray|70001,2|1995-03-01|10:00|a\n"
                "F|Club|1|S1|101|100|Re: Modems|Bob Ray|70001,2|Ann Lee|70001,1|1995-03-02|10:00|b\n"
                "F|Club|1|S1|102|0|Doom|Ann Lee|70001,1|All||1995-03-03|10:00|c\n"
                "F|Club|1|S1|103|101|Re: Modems|Ann Lee|70001,1|Bob Ray|70001,2|1995-03-04|10:00|d\n"
                "F|Club|2|S2|104|0|Fax|Bob Ray|70001,2|Ann Lee|70001,1|1995-03-05|10:00|e\n");
  }
  Ids selection(SelectionCode code, SelectionStart start, std::optional<DateRange> range = std::nullopt) {
    SelectionCollector c(*ctx, code, std::move(start), range, 2);  // pages of two
    while (!c.step()) {
    }
    EXPECT_EQ(c.result(), SelectionResult::Ok);
    Ids ids = c.ids();
    std::sort(ids.begin(), ids.end());
    return ids;
  }
  Status statusOfMessage(std::uint32_t n) {
    TableUse use(*ctx, {MsgNmbr::FileNo});
    ctx->msg = MsgNmbr{};
    ctx->msg.MSGNUMBER = n;
    EXPECT_EQ(ctx->fileOf<MsgNmbr>().get(MsgNmbr::IdKey), engine::Err::Ok);
    return statusOf(ctx->msg);
  }
  BatchResult runBatch(BatchRequest r, std::uint64_t* changed = nullptr) {
    BatchJob job(*ctx, std::move(r));
    runToEnd(job);
    if (changed) *changed = job.changed();
    return job.result();
  }
};

TEST_F(BatchTest, EachSelectionKeepsToItsLimit) {
  EXPECT_EQ(selection(SelectionCode::Current, {.message = 101}), (Ids{101}));
  EXPECT_EQ(selection(SelectionCode::Sender, {.message = 100}), (Ids{100, 102, 103}));
  EXPECT_EQ(selection(SelectionCode::Receiver, {.message = 100}), (Ids{100, 103}));
  EXPECT_EQ(selection(SelectionCode::Thread, {.message = 101}), (Ids{100, 101, 103}));
  EXPECT_EQ(selection(SelectionCode::Section, {.message = 102}), (Ids{100, 101, 102, 103}));
  EXPECT_EQ(selection(SelectionCode::All, {.message = 102}), (Ids{100, 101, 102, 103, 104}));
  EXPECT_EQ(selection(SelectionCode::ResultSet, {.resultSet = {104, 100}}), (Ids{100, 104}));
  const DateRange march2to4{dates::dayNumber(1995, 3, 2), dates::dayNumber(1995, 3, 4)};
  EXPECT_EQ(selection(SelectionCode::All, {.message = 100}, march2to4), (Ids{101, 102, 103}));
  index(wordindex::IndexMode::Full);
  for (const auto& [word, ids] : std::map<std::string, Ids>{{"FAX", {104}}, {"DOOM", {102}}}) {
    wordindex::IndexTable words(*ctx, WordList::FileNo);
    ctx->wor = WordList{};
    ctx->wor.THEWORD = word;
    ASSERT_EQ(words.file().get(WordList::by_theWord), engine::Err::Ok) << word;
    EXPECT_EQ(selection(SelectionCode::Word, {.wordId = static_cast<std::uint32_t>(ctx->wor.WORDID)}), ids) << word;
  }

  // A topic's rows whose message is gone are passed over.
  const Codes topic = topics::addCode(*ctx, CodeType::Topic, "Modems").code;
  BatchRequest attach{.kind = BatchKind::AttachTopic, .code = SelectionCode::Thread, .start = {.message = 100},
                      .topicId = topic.ID};
  ASSERT_EQ(runBatch(attach), BatchResult::Done);
  {
    TableUse use(*ctx, {MsgNmbr::FileNo});
    ctx->msg.MSGNUMBER = 101;
    ASSERT_EQ(ctx->fileOf<MsgNmbr>().get(MsgNmbr::IdKey), engine::Err::Ok);
    ASSERT_EQ(ctx->fileOf<MsgNmbr>().erase(), engine::Err::Ok);
  }
  EXPECT_EQ(selection(SelectionCode::Topic, {.topicId = topic.ID}), (Ids{100, 103}));
}

TEST_F(BatchTest, TopicsKeepTheirCountAndRefusalsSayWhy) {
  EXPECT_EQ(runBatch({.kind = BatchKind::AttachTopic, .code = SelectionCode::All, .start = {.message = 100}}),
            BatchResult::Refused);
  EXPECT_EQ(ui.last().text, kNoTopicSelected);
  const Codes topic = topics::addCode(*ctx, CodeType::Topic, "Modems").code;
  BatchRequest r{.kind = BatchKind::AttachTopic, .code = SelectionCode::All, .start = {.message = 100},
                 .topicId = topic.ID};
  for (const auto& [range, text] : std::vector<std::pair<DateRange, std::string_view>>{
           {{dates::dayNumber(1960, 1, 1), dates::dayNumber(1995, 1, 1)}, dateRangeText(DateRangeError::From)},
           {{dates::dayNumber(1995, 1, 1), dates::dayNumber(2100, 1, 1)}, dateRangeText(DateRangeError::To)},
           {{dates::dayNumber(1995, 3, 2), dates::dayNumber(1995, 3, 1)}, dateRangeText(DateRangeError::Negative)}}) {
    r.range = range;
    EXPECT_EQ(runBatch(r), BatchResult::Refused);
    EXPECT_EQ(ui.last().title, kDateRangeTitle);
    EXPECT_EQ(ui.last().text, text);
  }
  r.range.reset();
  std::uint64_t changed = 0;
  ASSERT_EQ(runBatch(r, &changed), BatchResult::Done);
  EXPECT_EQ(changed, 5u);
  ASSERT_EQ(runBatch(r, &changed), BatchResult::Done);  // linked already: nothing written
  EXPECT_EQ(changed, 0u);
  r.kind = BatchKind::RemoveTopic;
  r.code = SelectionCode::Topic;  // the topic's own rows, removed while walked
  r.start.topicId = topic.ID;
  ASSERT_EQ(runBatch(r, &changed), BatchResult::Done);
  EXPECT_EQ(changed, 5u);
  EXPECT_EQ(+topics::listCodes(*ctx, CodeType::Topic)[0].COUNT, 0u);
}

TEST_F(BatchTest, ARecodeOfAWholeThreadRecodesTheThreadUnlessADateRangeIsGiven) {
  BatchRequest r{.kind = BatchKind::Recode, .code = SelectionCode::Thread, .start = {.message = 101},
                 .status = Status::Delete};
  ASSERT_EQ(runBatch(r), BatchResult::Done);
  for (std::uint32_t n : {100u, 101u, 103u}) EXPECT_EQ(statusOfMessage(n), Status::Normal);  // the thread itself
  {
    TableUse use(*ctx, {MsgNmbr::FileNo, Threads::FileNo});
    ctx->msg.MSGNUMBER = 101;
    ASSERT_EQ(ctx->fileOf<MsgNmbr>().get(MsgNmbr::IdKey), engine::Err::Ok);
    ctx->thr.THREADNUMBER = ctx->msg.THREADNUMBER;
    ASSERT_EQ(ctx->fileOf<Threads>().get(Threads::ThreadKey), engine::Err::Ok);
    EXPECT_EQ(statusOf(ctx->thr), Status::Delete);
  }
  r.range = DateRange{dates::dayNumber(1995, 3, 2), dates::dayNumber(1995, 3, 31)};
  r.status = Status::Keep;
  ASSERT_EQ(runBatch(r), BatchResult::Done);
  EXPECT_EQ(statusOfMessage(100), Status::Normal);  // before the range
  EXPECT_EQ(statusOfMessage(101), Status::Keep);
  EXPECT_EQ(statusOfMessage(103), Status::Keep);
}

TEST_F(BatchTest, AStopHalfwayKeepsWholeSlicesOnly) {
  // More messages than one slice holds.
  std::string lines;
  for (int n = 200; n < 200 + static_cast<int>(kCommitAfterWrites) + 50; ++n)
    lines += forumLine(n, "Bulk", "x", "1996-01-01");
  importForum(lines);
  BatchJob job(*ctx, {.kind = BatchKind::Recode, .code = SelectionCode::All, .start = {.message = 200},
                      .range = DateRange{dates::dayNumber(1996, 1, 1), dates::dayNumber(1996, 1, 1)},
                      .status = Status::Keep});
  while (job.changed() == 0 && !job.step()) {
  }
  job.requestCancel();
  runToEnd(job);
  EXPECT_EQ(job.result(), BatchResult::Cancelled);
  EXPECT_EQ(job.changed(), kCommitAfterWrites);
  std::uint32_t kept = 0;
  TableUse use(*ctx, {MsgNmbr::FileNo});
  engine::File& f = ctx->fileOf<MsgNmbr>();
  f.set();
  while (f.next() == engine::Err::Ok) kept += statusOf(ctx->msg) == Status::Keep ? 1 : 0;
  EXPECT_EQ(kept, kCommitAfterWrites);
}

}  // namespace
}  // namespace qv::test
