// The indexing job: full, partial and recount runs over an imported forum.
#include <gmock/gmock.h>

#include "tests/wordindex/index_fixture.h"
#include "wordindex/delimiter_table.h"
#include "wordindex/index_health.h"
#include "wordindex/index_settings.h"
#include "wordindex/stop_words.h"

namespace qv::test {
namespace {

using namespace qv::wordindex;
using Ids = std::set<std::uint32_t>;
using ::testing::Contains;
using ::testing::Not;

const std::string kClub = forumLine(100, "Modems", "Which modem is best? Set COM1 in WIN.INI. I like python.") +
                          forumLine(101, "Re: Modems",
                                    "The python. modem works\\nMessage-ID: <abc@example.org>\\n"
                                    "Sent 12.03.1998 ref 1234567") +
                          forumLine(102, "Doom", "Anyone for Doom? modem modem");

TEST_F(IndexTest, FullIndexKeepsEachWordOncePerMessageWithItsCount) {
  importForum(kClub);
  IndexJob job(*ctx, IndexMode::Full);
  ASSERT_FALSE(job.step());
  EXPECT_NE(lib.IndexingInProgress.load(), 0);  // the program may not end now
  runToEnd(job);
  const IndexSummary s = job.summary();
  ASSERT_EQ(s.result, IndexResult::Done) << s.note;
  EXPECT_EQ(s.messages, 3);
  const Contents c = contents();
  EXPECT_EQ(c.messages.at("MODEM"), (Ids{100, 101, 102}));  // a word in every message of a small database stays
  EXPECT_EQ(c.messages.at("MODEMS"), (Ids{100, 101}));     // the thread's subject
  EXPECT_EQ(c.messages.at("WIN.INI"), (Ids{100}));
  EXPECT_EQ(c.messages.at("PYTHON"), (Ids{100, 101}));
  EXPECT_EQ(c.messages.at("DOOM"), (Ids{102}));
  for (const char* never : {"ABC", "EXAMPLE.ORG", "12.03.1998", "1234567", "I"})
    EXPECT_EQ(c.messages.count(never), 0u) << never;
  std::int64_t rows = 0;
  for (const auto& [word, ids] : c.messages) {
    EXPECT_EQ(c.counts.at(word), static_cast<std::int32_t>(ids.size())) << word;
    rows += static_cast<std::int64_t>(ids.size());
  }
  EXPECT_EQ(s.rows, rows);
  EXPECT_EQ(s.words, static_cast<std::int64_t>(c.counts.size()));
  EXPECT_EQ(ctx->mem.WordListIndexNeedsUpdate, 0);
  EXPECT_EQ(lib.IndexingInProgress.load(), 0);
  EXPECT_EQ(probeIndex(*ctx), IndexHealth::Ready);
}

TEST_F(IndexTest, PartialIndexTouchesOnlyNewMessagesAndEqualsAFullOne) {
  importForum(kClub);
  EXPECT_EQ(probeIndex(*ctx), IndexHealth::Missing);
  // A partial index of a database never indexed is a full one.
  IndexSummary s = index(IndexMode::Partial);
  EXPECT_EQ(s.mode, IndexMode::Full);
  ASSERT_EQ(s.result, IndexResult::Done);
  const Contents before = contents();

  importForum(forumLine(103, "Printers", "My modem and my printer") + forumLine(104, "Doom", "Doom II is out"));
  s = index(IndexMode::Partial);
  ASSERT_EQ(s.result, IndexResult::Done) << s.note;
  EXPECT_EQ(s.mode, IndexMode::Partial);
  EXPECT_EQ(s.messages, 2);
  const Contents after = contents();
  EXPECT_EQ(after.messages.at("MODEM"), (Ids{100, 101, 102, 103}));
  EXPECT_EQ(after.counts.at("MODEM"), 4);
  EXPECT_EQ(after.messages.at("PRINTER"), (Ids{103}));
  for (const auto& [word, ids] : before.messages)
    for (std::uint32_t id : ids) EXPECT_THAT(after.messages.at(word), Contains(id)) << word;

  // Nothing new: nothing indexed.
  EXPECT_EQ(index(IndexMode::Partial).messages, 0);
  ASSERT_EQ(index(IndexMode::Full).result, IndexResult::Done);
  EXPECT_EQ(contents(), after);
}

TEST_F(IndexTest, ChangedDelimitersRefuseAPartialIndexUntilAFullOne) {
  importForum(kClub);
  ASSERT_EQ(index(IndexMode::Full).result, IndexResult::Done);
  DelimiterSet noInnerPeriod = defaultDelimiters();
  noInnerPeriod.inWord['.'] = 0;
  ASSERT_TRUE(storeDelimiters(*ctx, kDefaultSetName, noInnerPeriod));

  const IndexSummary refused = index(IndexMode::Partial);
  EXPECT_EQ(refused.result, IndexResult::Refused);
  EXPECT_FALSE(refused.note.empty());
  IndexSummary recount = index(IndexMode::Recount);
  ASSERT_TRUE(recount.recommended.has_value());
  EXPECT_EQ(*recount.recommended, IndexMode::Full);

  ASSERT_EQ(index(IndexMode::Full).result, IndexResult::Done);
  const Contents c = contents();
  EXPECT_EQ(c.messages.count("WIN.INI"), 0u);
  EXPECT_EQ(c.messages.at("INI"), (Ids{100}));
  EXPECT_EQ(index(IndexMode::Partial).result, IndexResult::Done);
}

TEST_F(IndexTest, AWordInOverAQuarterOfTheMessagesBecomesAStopWord) {
  std::string lines;
  auto letters = [](int i) { return std::string{char('a' + i / 26), char('a' + i % 26), 'q'}; };
  for (int i = 0; i < 120; ++i) {
    // "shared" in 30 of 120 messages (exactly a quarter), "common" in all.
    const std::string text = "common " + letters(i) + (i % 4 == 0 ? " shared" : "");
    lines += forumLine(200 + i, letters(i) + "z", text);
  }
  importForum(lines);
  const IndexSummary s = index(IndexMode::Full);
  ASSERT_EQ(s.result, IndexResult::Done);
  EXPECT_EQ(s.newStopWords, std::vector<std::string>{"COMMON"});
  const Contents c = contents();
  EXPECT_EQ(c.messages.count("COMMON"), 0u);
  EXPECT_EQ(c.counts.count("COMMON"), 0u);
  EXPECT_EQ(c.counts.at("SHARED"), 30);
  EXPECT_THAT(listStopWords(*ctx), Contains("COMMON"));

  // Turned off, the rule moves nothing.
  ASSERT_TRUE(removeStopWord(*ctx, "common") == StopWordChange::Done);
  IndexSettings settings = loadIndexSettings(*ctx);
  settings.stopWordRule = false;
  ASSERT_TRUE(saveIndexSettings(*ctx, settings));
  EXPECT_TRUE(index(IndexMode::Full).newStopWords.empty());
  EXPECT_EQ(contents().counts.at("COMMON"), 120);
  EXPECT_THAT(listStopWords(*ctx), Not(Contains("COMMON")));
}

TEST_F(IndexTest, RecountCorrectsTheWordListAndSaysWhatToRun) {
  importForum(kClub);
  ASSERT_EQ(index(IndexMode::Full).result, IndexResult::Done);
  {
    IndexTable list(*ctx, WordList::FileNo);
    ctx->wor.THEWORD = "MODEM";
    ASSERT_EQ(list.file().get(WordList::by_theWord), engine::Err::Ok);
    ctx->wor.WORDCOUNT = 7;
    ASSERT_EQ(list.file().put(), engine::Err::Ok);
  }
  IndexSummary s = index(IndexMode::Recount);
  EXPECT_EQ(s.countsCorrected, 1);
  EXPECT_FALSE(s.recommended.has_value());
  EXPECT_EQ(contents().counts.at("MODEM"), 3);

  importForum(forumLine(103, "Printers", "My printer"));
  s = index(IndexMode::Recount);
  EXPECT_EQ(s.notIndexed, 1);
  ASSERT_TRUE(s.recommended.has_value());
  EXPECT_EQ(*s.recommended, IndexMode::Partial);
}

TEST_F(IndexTest, ADamagedOrForeignIndexIsRebuiltAndLetsTheProgramEnd) {
  importForum(kClub);
  ASSERT_EQ(index(IndexMode::Full).result, IndexResult::Done);
  const Contents whole = contents();
  const std::filesystem::path words = BuildFileName(*ctx, WordList::FileNo);

  // A word list of another layout: the probe finds it and leaves nothing raised.
  {
    engine::TableDecl d = makeDecl("WordList", "WOR", WordList::FileNo, engine::Driver::Dat, 12);
    d.fields = {engine::FieldDecl{"OLD", 0, 12, engine::FieldType::Raw}};
    std::vector<unsigned char> rec(12, 0);
    engine::Session session(lib.engine);
    engine::File f(session, d, rec.data());
    f.setName(words);
    ASSERT_EQ(f.remove(), engine::Err::Ok);
    ASSERT_EQ(f.create(), engine::Err::Ok);
  }
  EXPECT_EQ(probeIndex(*ctx), IndexHealth::NeedsRebuild);
  EXPECT_EQ(lib.IndexingInProgress.load(), 0);
  // A partial index cannot use it and runs a full one.
  const IndexSummary s = index(IndexMode::Partial);
  EXPECT_EQ(s.mode, IndexMode::Full);
  ASSERT_EQ(s.result, IndexResult::Done);
  EXPECT_EQ(contents(), whole);

  // Damaged bytes: the same.
  std::filesystem::resize_file(words, 0);
  { std::ofstream(words, std::ios::binary) << "not a table at all"; }
  EXPECT_EQ(probeIndex(*ctx), IndexHealth::NeedsRebuild);
  ASSERT_EQ(index(IndexMode::Full).result, IndexResult::Done);
  EXPECT_EQ(contents(), whole);
  EXPECT_EQ(probeIndex(*ctx), IndexHealth::Ready);
}

}  // namespace
}  // namespace qv::test
