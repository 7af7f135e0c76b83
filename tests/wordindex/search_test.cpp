// Word search: results against a brute-force scan of the same texts, field
// terms, stop words, and the hit ranges of a shown message.
#include <algorithm>
#include <map>
#include <random>

#include "store/charset.h"

#include "tests/wordindex/index_fixture.h"
#include "wordindex/search.h"
#include "wordindex/stop_words.h"

namespace qv::test {
namespace {

using namespace qv::wordindex;
using Ids = std::vector<std::uint32_t>;

struct Sample {
  std::uint32_t id;
  int day;
  std::vector<std::string> words;  // upper case, in text order
};

class SearchTest : public IndexTest {
 protected:
  void SetUp() override {
    const std::vector<std::string> vocabulary = {"apple", "apricot", "banana", "cherry", "date", "elder", "fig"};
    std::mt19937 random(7);
    std::string lines;
    for (int i = 0; i < 80; ++i) {
      Sample s{static_cast<std::uint32_t>(300 + i), 1 + static_cast<int>(random() % 28), {}};
      std::string text;
      for (int w = 0; w < 5; ++w) {
        const std::string& word = vocabulary[random() % vocabulary.size()];
        text += (w > 0 ? " " : "") + word;
        s.words.push_back(upper1252(word));
      }
      const char* sender = i % 3 == 0 ? "Bob Ray|70002,2" : "Ann Lee|70001,1";
      lines += "F|Club|1|General|" + std::to_string(s.id) + "|0|Fruit " + std::to_string(i) + "|" + sender +
               "|All||1995-03-" + (s.day < 10 ? "0" : "") + std::to_string(s.day) + "|10:00|" + text + "\n";
      samples.push_back(s);
    }
    importForum(lines);
    ASSERT_EQ(index(IndexMode::Full).result, IndexResult::Done);
  }

  // The same search done by reading every sample.
  Ids bruteForce(const SearchQuery& q, const std::function<bool(const Sample&)>& extra = {}) {
    std::vector<const Sample*> hits;
    for (const Sample& s : samples) {
      auto has = [&](const std::string& qw) {
        return std::any_of(s.words.begin(), s.words.end(), [&](const std::string& w) { return matches(qw, w); });
      };
      bool ok = std::all_of(q.andWords.begin(), q.andWords.end(), has) &&
                (q.orWords.empty() || std::any_of(q.orWords.begin(), q.orWords.end(), has));
      if (ok && q.phrase) {
        ok = false;
        for (std::size_t i = 0; !ok && i + q.andWords.size() <= s.words.size(); ++i) {
          std::size_t k = 0;
          while (k < q.andWords.size() && matches(q.andWords[k], s.words[i + k])) ++k;
          ok = k == q.andWords.size();
        }
      }
      if (ok && extra && !extra(s)) ok = false;
      if (ok) hits.push_back(&s);
    }
    std::sort(hits.begin(), hits.end(), [](const Sample* a, const Sample* b) {
      return a->day != b->day ? a->day > b->day : a->id < b->id;
    });
    Ids ids;
    for (const Sample* s : hits) ids.push_back(s->id);
    return ids;
  }

  SearchQuery query(const std::vector<std::string>& terms, bool phrase = false) {
    SearchQuery q;
    EXPECT_EQ(parseQuery(terms, phrase, q), "");
    return q;
  }

  std::vector<Sample> samples;
};

TEST_F(SearchTest, WordsOrWordsPrefixesAndPhrasesFindWhatAScanFinds) {
  Searcher searcher(*ctx);
  const std::vector<std::pair<std::vector<std::string>, bool>> cases = {
      {{"apple"}, false},
      {{"apple", "banana"}, false},
      {{"apple", "banana", "cherry"}, false},
      {{"apple", "OR", "cherry"}, false},
      {{"fig", "apple", "OR", "cherry"}, false},
      {{"ap*"}, false},
      {{"ap*", "date"}, false},
      {{"kiwi"}, false},
      {{"apple", "banana"}, true},
      {{"ap*", "fig"}, true},
      {{"date", "elder", "fig"}, true},
  };
  for (const auto& [terms, phrase] : cases) {
    const SearchQuery q = query(terms, phrase);
    const SearchOutcome out = searcher.run(q);
    ASSERT_EQ(out.result, SearchResult::Found) << terms[0];
    EXPECT_EQ(out.ids, bruteForce(q)) << terms[0] << " " << terms.size() << (phrase ? " phrase" : "");
  }
  // At least one case finds something and one finds nothing, or the comparison proves little.
  EXPECT_FALSE(bruteForce(query({"apple", "banana"}, true)).empty());
}

TEST_F(SearchTest, FieldTermsNarrowTheWordsOrSearchAlone) {
  Searcher searcher(*ctx);
  auto bob = [](const Sample& s) { return (s.id - 300) % 3 == 0; };
  auto early = [](const Sample& s) { return s.day >= 5 && s.day <= 10; };
  EXPECT_EQ(searcher.run(query({"apple", "from:bob"})).ids, bruteForce(query({"apple"}), bob));
  EXPECT_EQ(searcher.run(query({"from:70002"})).ids, bruteForce(SearchQuery{}, bob));
  EXPECT_EQ(searcher.run(query({"cherry", "date:1995-03-05..1995-03-10"})).ids, bruteForce(query({"cherry"}), early));
  EXPECT_EQ(searcher.run(query({"subject:fruit", "date:..1995-03-04"})).ids,
            bruteForce(SearchQuery{}, [](const Sample& s) { return s.day <= 4; }));
  EXPECT_TRUE(searcher.run(query({"subject:vegetable"})).ids.empty());

  SearchQuery bad;
  EXPECT_NE(parseQuery({"date:1995-02-30"}, false, bad), "");
  EXPECT_NE(parseQuery({"date:1995-03-10..1995-03-01"}, false, bad), "");
  EXPECT_NE(parseQuery({"OR", "apple"}, false, bad), "");
  EXPECT_NE(parseQuery({}, false, bad), "");
}

// Words that must all be there are taken rarest first; a word held by far
// more messages than are left is looked up in those messages' own rows. The
// results are those of reading every row, in whatever order the words come.
TEST_F(IndexTest, ACommonWordBesideARareOneIsLookedUpInTheFewMessagesLeft) {
  IndexSettings settings = loadIndexSettings(*ctx);
  settings.stopWordRule = false;  // "common" stands in nearly every message
  ASSERT_TRUE(saveIndexSettings(*ctx, settings));
  std::map<std::uint32_t, std::vector<std::string>> texts;
  std::string lines;
  for (std::uint32_t i = 0; i < 60; ++i) {
    std::vector<std::string> words;
    if (i != 17) words.push_back("common");
    if (i == 3 || i == 17 || i == 42) words.push_back("rare");
    if (i % 3 == 0 && i != 42) words.push_back("middle");
    words.push_back("filler");
    std::string text;
    for (const std::string& w : words) text += (text.empty() ? "" : " ") + w;
    const std::uint32_t id = 500 + i;
    const int day = 1 + static_cast<int>(i % 28);
    lines += "F|Club|1|General|" + std::to_string(id) + "|0|Note|Ann Lee|70001,1|All||1995-03-" +
             (day < 10 ? "0" : "") + std::to_string(day) + "|10:00|" + text + "\n";
    texts[id] = words;
  }
  importForum(lines);
  ASSERT_EQ(index(IndexMode::Full).result, IndexResult::Done);

  // Newest first, equal dates by ascending number.
  auto holding = [&](const std::vector<std::string>& all) {
    std::vector<std::uint32_t> ids;
    for (const auto& [id, words] : texts)
      if (std::all_of(all.begin(), all.end(), [&](const std::string& w) {
            return std::find(words.begin(), words.end(), w) != words.end();
          }))
        ids.push_back(id);
    std::stable_sort(ids.begin(), ids.end(), [](std::uint32_t a, std::uint32_t b) {
      const int da = 1 + static_cast<int>((a - 500) % 28), db = 1 + static_cast<int>((b - 500) % 28);
      return da > db;
    });
    return ids;
  };
  Searcher searcher(*ctx);
  auto search = [&](const std::vector<std::string>& terms) {
    SearchQuery q;
    EXPECT_EQ(parseQuery(terms, false, q), "");
    return searcher.run(q);
  };
  const SearchOutcome rareFirst = search({"rare", "common"});
  EXPECT_EQ(rareFirst.ids, holding({"rare", "common"}));
  EXPECT_EQ(rareFirst.ids, (std::vector<std::uint32_t>{542, 503}));
  // The common word's 59 rows were not all read.
  EXPECT_LT(rareFirst.rowsRead, 59);
  EXPECT_EQ(search({"common", "rare"}).ids, rareFirst.ids);
  EXPECT_EQ(search({"common", "middle", "rare"}).ids, holding({"common", "middle", "rare"}));
  EXPECT_EQ(search({"middle", "common"}).ids, holding({"middle", "common"}));
  EXPECT_EQ(search({"rare", "com*"}).ids, rareFirst.ids);
  EXPECT_TRUE(search({"rare", "absent"}).ids.empty());
}

TEST_F(SearchTest, StopWordsAreLeftOutAndAQueryOfThemAloneSaysSo) {
  ASSERT_EQ(addStopWord(*ctx, "banana"), StopWordChange::Done);
  Searcher searcher(*ctx);
  const SearchOutcome only = searcher.run(query({"banana"}));
  EXPECT_EQ(only.result, SearchResult::OnlyStopWords);
  const SearchOutcome mixed = searcher.run(query({"banana", "apple"}));
  EXPECT_EQ(mixed.stopWords, std::vector<std::string>{"BANANA"});
  EXPECT_EQ(mixed.ids, bruteForce(query({"apple"})));
}

TEST_F(SearchTest, HitsAreRangesOfTheShownTextInAscendingOrder) {
  Searcher searcher(*ctx);
  MessageText m{1, "Apple news", "An apple a day\r\nkeeps apple pie away"};
  const std::string shown = shownText(m);
  auto at = [&](const std::string& word, std::size_t from = 0) {
    const auto start = static_cast<std::int64_t>(shown.find(word, from));
    return HitRange{start, start + static_cast<std::int64_t>(word.size())};
  };
  EXPECT_EQ(searcher.hits(query({"apple"}), m),
            (std::vector<HitRange>{at("Apple"), at("apple"), at("apple", shown.find("keeps"))}));
  // A phrase is one range; a prefix marks every word it begins.
  EXPECT_EQ(searcher.hits(query({"apple", "pie"}, true), m), (std::vector<HitRange>{{at("apple pie")}}));
  EXPECT_EQ(searcher.hits(query({"a*"}), m).size(), 5u);  // Apple An apple apple away; "a" alone is no word
  EXPECT_EQ(shown.substr(0, 20), "Subject: Apple news\r");
}

}  // namespace
}  // namespace qv::test
