// Adding, reading, rewriting and deleting records; keys; maintenance.
#include "tests/store/engine/engine_fixture.h"

namespace qv::test {
namespace {

using engine::Err;
using engine::File;

class RecordsTest : public EngineTest {
 protected:
  HeaderRec r{};
  File f{session, headerDecl(), &r};
  void SetUp() override {
    f.setName(dir / "IDX003.TPS");
    ASSERT_EQ(f.create(), Err::Ok);
    ASSERT_EQ(f.open(), Err::Ok);
  }
  void addHeaders(std::uint32_t from, std::uint32_t to) {
    for (std::uint32_t i = from; i <= to; ++i) {
      fillHeader(r, i);
      ASSERT_EQ(f.add(), Err::Ok) << f.errorText();
    }
  }
};

TEST_F(RecordsTest, AddGetPutEraseByKeyAndPosition) {
  addHeaders(1, 20);
  EXPECT_EQ(f.records(), 20);
  r = HeaderRec{};
  r.NUMBER = 7;
  ASSERT_EQ(f.get(HeaderKeys::IdKey), Err::Ok);
  EXPECT_EQ(r.FROMALPHA, "Smith");
  EXPECT_EQ(r.THREAD, 102u);
  const engine::Position pos = f.position();

  r.TOALPHA = "Brown";
  ASSERT_EQ(f.put(), Err::Ok);
  r = HeaderRec{};
  ASSERT_EQ(f.getPosition(pos), Err::Ok);
  EXPECT_EQ(r.NUMBER, 7u);
  EXPECT_EQ(r.TOALPHA, "Brown");

  ASSERT_EQ(f.erase(), Err::Ok);
  EXPECT_EQ(f.records(), 19);
  r.NUMBER = 7;
  EXPECT_EQ(f.get(HeaderKeys::IdKey), Err::RecordNotFound);
  EXPECT_EQ(f.getPosition(pos), Err::RecordNotFound);
  // Nothing read since the delete: there is no record to rewrite.
  EXPECT_EQ(f.put(), Err::RecordNotAvailable);
}

TEST_F(RecordsTest, SecondRecordWithSameUniqueKeyIsRefused) {
  addHeaders(1, 3);
  fillHeader(r, 2);
  EXPECT_EQ(f.add(), Err::DuplicateKey);
  EXPECT_EQ(f.records(), 3);
  // A rewrite onto another record's unique key is refused too.
  r.NUMBER = 3;
  ASSERT_EQ(f.get(HeaderKeys::IdKey), Err::Ok);
  r.NUMBER = 1;
  EXPECT_EQ(f.put(), Err::DuplicateKey);
}

TEST_F(RecordsTest, KeysIgnoreCaseAccentsAndTrailingBlanks) {
  fillHeader(r, 1, "M\xFCller");
  ASSERT_EQ(f.add(), Err::Ok);
  r = HeaderRec{};
  r.FROMALPHA = "M\xDCLLER   ";
  r.FROMID = 7;
  r.NUMBER = 0xFFFFFFFF;  // descending component: the walk starts at the group's top
  ASSERT_EQ(f.setFrom(HeaderKeys::FromKey), Err::Ok);
  ASSERT_EQ(f.next(), Err::Ok);
  EXPECT_EQ(r.NUMBER, 1u);
  EXPECT_EQ(r.FROMALPHA, "M\xFCller");  // stored as written
}

TEST_F(RecordsTest, AppendDefersKeysUntilBuild) {
  addHeaders(1, 5);
  for (std::uint32_t i = 6; i <= 10; ++i) {
    fillHeader(r, i);
    ASSERT_EQ(f.append(), Err::Ok);
  }
  // A file closed before its keys were rebuilt reports damaged keys and
  // stays open so that they can be built.
  f.close();
  EXPECT_EQ(f.open(), Err::BadKeys);
  EXPECT_TRUE(f.isOpen());
  ASSERT_EQ(f.build(), Err::Ok);
  f.close();
  ASSERT_EQ(f.open(), Err::Ok);
  EXPECT_EQ(f.records(), 10);
  r.NUMBER = 9;
  EXPECT_EQ(f.get(HeaderKeys::IdKey), Err::Ok);

  // Appended duplicates are caught when the keys are built.
  fillHeader(r, 4);
  ASSERT_EQ(f.append(), Err::Ok);
  EXPECT_EQ(f.build(), Err::DuplicateKey);
  r.NUMBER = 4;
  ASSERT_EQ(f.get(HeaderKeys::IdKey), Err::Ok);
  ASSERT_EQ(f.erase(), Err::Ok);
  ASSERT_EQ(f.get(HeaderKeys::IdKey), Err::Ok);  // the other one
  EXPECT_EQ(f.build(), Err::Ok);
  f.close();
  EXPECT_EQ(f.open(), Err::Ok);
}

TEST_F(RecordsTest, EmptyPackAndRemove) {
  addHeaders(1, 50);
  r.NUMBER = 40;
  ASSERT_EQ(f.get(HeaderKeys::IdKey), Err::Ok);
  const engine::Position pos = f.position();
  r.NUMBER = 10;
  ASSERT_EQ(f.get(HeaderKeys::IdKey), Err::Ok);
  ASSERT_EQ(f.erase(), Err::Ok);
  ASSERT_EQ(f.pack(), Err::Ok);
  // Positions survive packing.
  ASSERT_EQ(f.getPosition(pos), Err::Ok);
  EXPECT_EQ(r.NUMBER, 40u);
  ASSERT_EQ(f.empty(), Err::Ok);
  EXPECT_EQ(f.records(), 0);
  ASSERT_EQ(f.remove(), Err::Ok);
  EXPECT_FALSE(f.isOpen());
  EXPECT_FALSE(std::filesystem::exists(dir / "IDX003.TPS"));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  EXPECT_EQ(f.open(), Err::FileNotFound);
}

TEST_F(EngineTest, MemoTextsRoundTripAndAreCutToTheirSize) {
  NoteRec n{};
  std::string memo;
  File notes(session, noteDecl(), &n, &memo);
  notes.setName(dir / "IDX004.TPS");
  ASSERT_EQ(notes.create(), Err::Ok);
  ASSERT_EQ(notes.open(), Err::Ok);
  n.ID = 1;
  n.TITLE = "long";
  memo.assign(70000, 'x');
  memo[5] = '\0';  // texts are bytes, NULs included
  memo[6] = '\x9A';
  ASSERT_EQ(notes.add(), Err::Ok);
  n.ID = 2;
  n.TITLE = "short";
  memo = "hello\r\n";
  ASSERT_EQ(notes.add(), Err::Ok);
  memo.clear();
  n.ID = 1;
  ASSERT_EQ(notes.get(NoteKeys::IdKey), Err::Ok);
  ASSERT_EQ(memo.size(), 64000u);
  EXPECT_EQ(memo[5], '\0');
  EXPECT_EQ(memo[6], '\x9A');
  n.TITLE = "SHORT";
  ASSERT_EQ(notes.get(NoteKeys::TitleKey), Err::Ok);
  EXPECT_EQ(memo, "hello\r\n");
  EXPECT_EQ(n.ID, 2u);
}

TEST_F(EngineTest, ExcludeEmptyAndOnDemandKeys) {
  WordRec w{};
  File words(session, wordDecl(), &w);
  words.setName(dir / "IDX028.DAT");
  ASSERT_EQ(words.create(), Err::Ok);
  ASSERT_EQ(words.open(), Err::Ok);
  // Records with an empty key are left out of that key, so several may exist.
  for (int i = 0; i < 3; ++i) {
    w = WordRec{};
    w.WORDCOUNT = 5;
    ASSERT_EQ(words.add(), Err::Ok) << words.errorText();
  }
  const char* list[] = {"zebra", "apple", "mango"};
  for (int i = 0; i < 3; ++i) {
    w.WORDID = i + 1;
    w.THEWORD = list[i];
    w.WORDCOUNT = 10 - i;
    ASSERT_EQ(words.add(), Err::Ok);
  }
  w.WORDID = 2;
  w.THEWORD = "APPLE";
  EXPECT_EQ(words.add(), Err::DuplicateKey);
  std::vector<std::string> seen;
  ASSERT_EQ(words.set(WordKeys::ByWord), Err::Ok);
  while (words.next() == Err::Ok) seen.push_back(w.THEWORD.str());
  EXPECT_EQ(seen, (std::vector<std::string>{"apple", "mango", "zebra"}));
  EXPECT_EQ(words.error(), Err::RecordNotAvailable);
  // The on-demand key walks correctly before and after it is built.
  for (int pass = 0; pass < 2; ++pass) {
    std::vector<int> counts;
    ASSERT_EQ(words.set(WordKeys::ByCount), Err::Ok);
    while (words.next() == Err::Ok) counts.push_back(w.WORDCOUNT);
    EXPECT_EQ(counts, (std::vector<int>{5, 5, 5, 8, 9, 10})) << "pass " << pass;
    ASSERT_EQ(words.build(WordKeys::ByCount), Err::Ok);
  }
}

}  // namespace
}  // namespace qv::test
