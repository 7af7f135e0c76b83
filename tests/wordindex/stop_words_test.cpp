// The shared stop-word list.
#include "wordindex/stop_words.h"

#include <string>
#include <vector>

#include "tests/store/store_fixture.h"

namespace qv::test {
namespace {

using namespace qv::wordindex;
using Words = std::vector<std::string>;

using StopWordsTest = StoreTest;

TEST_F(StopWordsTest, WordsAreAddedOnceInUpperCaseAndRemovedWhateverTheirCase) {
  EXPECT_EQ(listStopWords(*ctx), Words{});
  EXPECT_EQ(addStopWord(*ctx, "the"), StopWordChange::Done);
  EXPECT_EQ(addStopWord(*ctx, "\xE9t\xE9"), StopWordChange::Done);  // été
  EXPECT_EQ(addStopWord(*ctx, "THE"), StopWordChange::Unchanged);
  EXPECT_EQ(addStopWord(*ctx, "and"), StopWordChange::Done);
  EXPECT_EQ(listStopWords(*ctx), (Words{"AND", "THE", "\xC9T\xC9"}));

  EXPECT_EQ(addStopWord(*ctx, ""), StopWordChange::NotAWord);
  EXPECT_EQ(addStopWord(*ctx, "two words"), StopWordChange::NotAWord);
  EXPECT_EQ(addStopWord(*ctx, std::string(41, 'x')), StopWordChange::NotAWord);

  EXPECT_EQ(removeStopWord(*ctx, "The"), StopWordChange::Done);
  EXPECT_EQ(removeStopWord(*ctx, "the"), StopWordChange::Unchanged);
  EXPECT_EQ(removeStopWord(*ctx, "\xC9T\xC9"), StopWordChange::Done);
  // One list for every database: another context on the same home sees it.
  auto other = newContext();
  other->mem.Dirnamn = "F2";
  EXPECT_EQ(listStopWords(*other), (Words{"AND"}));
  EXPECT_TRUE(ui.shown.empty());
}

}  // namespace
}  // namespace qv::test
