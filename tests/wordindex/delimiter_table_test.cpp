// Delimiter sets kept in a database's WD table.
#include "wordindex/delimiter_table.h"

#include <string>
#include <vector>

#include "tests/store/store_fixture.h"
#include "wordindex/word_cutter.h"

namespace qv::test {
namespace {

using namespace qv::wordindex;

std::vector<std::string> cut(std::string_view text, const DelimiterSet& set) {
  std::vector<std::string> out;
  WordCutter cutter(text, set);
  for (WordHit hit; cutter.next(hit);) out.push_back(hit.word);
  return out;
}

using DelimiterTableTest = StoreTest;

TEST_F(DelimiterTableTest, SetsAreStoredByNameAndReadBackAsTheyCut) {
  EXPECT_FALSE(loadDelimiters(*ctx, "DEFAULT").has_value());

  DelimiterSet dotted = defaultDelimiters();
  dotted.startWord['.'] = 1;
  dotted.isJunk['D'] = 1;
  ASSERT_TRUE(storeDelimiters(*ctx, "DOTTED", dotted));
  ASSERT_TRUE(storeDelimiters(*ctx, "DEFAULT", defaultDelimiters()));
  EXPECT_TRUE(ui.shown.empty());

  const std::optional<DelimiterSet> loaded = loadDelimiters(*ctx, "dotted");  // names compare as keys do
  ASSERT_TRUE(loaded.has_value());
  const std::string text = "the .INI of WINDOWS";
  EXPECT_EQ(cut(text, *loaded), cut(text, dotted));
  EXPECT_EQ(cut(text, *loaded), (std::vector<std::string>{"THE", ".INI", "OF", "WIN", "OWS"}));

  // Storing a set again rewrites its rows; the other set is untouched.
  ASSERT_TRUE(storeDelimiters(*ctx, "DOTTED", defaultDelimiters()));
  EXPECT_EQ(cut(text, *loadDelimiters(*ctx, "DOTTED")), (std::vector<std::string>{"THE", "INI", "OF", "WINDOWS"}));
  EXPECT_EQ(cut("WIN.INI.", *loadDelimiters(*ctx, "DEFAULT")), (std::vector<std::string>{"WIN.INI"}));
}

}  // namespace
}  // namespace qv::test
