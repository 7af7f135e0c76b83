// Stepping from thread to thread in the thread and section views.
#include "browse/thread_steps.h"

#include "store/table_use.h"
#include "tests/wordindex/index_fixture.h"

namespace qv::test {
namespace {

using namespace qv::browse;
using ThreadStepTest = IndexTest;

TEST_F(ThreadStepTest, NeighboursByPrefixAndWithinTheSectionBeepAtTheEnds) {
  // Section 1 holds the threads Apples and Cherries, section 2 Bananas.
  importForum(forumLine(100, "Apples", "a") + forumLine(101, "Cherries", "c") +
              "F|Club|2|Games|102|0|Bananas|Ann Lee|70001,1|All||1995-03-01|10:00|b\n");
  std::map<std::string, std::uint32_t> number;
  {
    TableUse use(*ctx, {Threads::FileNo});
    engine::File& t = ctx->fileOf<Threads>();
    t.set();
    while (t.next() == engine::Err::Ok) number[ctx->thr.ALPHA.str()] = ctx->thr.THREADNUMBER;
  }
  ASSERT_EQ(number.size(), 3u);
  auto name = [](const std::optional<Threads>& t) { return t ? std::string(t->ALPHA.str()) : std::string("-"); };

  EXPECT_EQ(name(neighbourThread(*ctx, number["Apples"], StepDirection::Next, false)), "Bananas");
  EXPECT_EQ(name(neighbourThread(*ctx, number["Bananas"], StepDirection::Next, false)), "Cherries");
  EXPECT_EQ(name(neighbourThread(*ctx, number["Bananas"], StepDirection::Previous, false)), "Apples");
  EXPECT_EQ(ui.beeps, 0);
  EXPECT_EQ(name(neighbourThread(*ctx, number["Cherries"], StepDirection::Next, false)), "-");
  EXPECT_EQ(ui.beeps, 1);

  // Within the section Bananas (another section) is passed over...
  EXPECT_EQ(name(neighbourThread(*ctx, number["Apples"], StepDirection::Next, true)), "Cherries");
  // ...and the section's last thread goes no further.
  EXPECT_EQ(name(neighbourThread(*ctx, number["Cherries"], StepDirection::Next, true)), "-");
  EXPECT_EQ(name(neighbourThread(*ctx, number["Apples"], StepDirection::Previous, true)), "-");
  EXPECT_EQ(name(neighbourThread(*ctx, number["Bananas"], StepDirection::Next, true)), "-");
  EXPECT_EQ(ui.beeps, 4);
}

}  // namespace
}  // namespace qv::test
