// A table with keyed positions: kept in the order of its first key, with
// the record position made of the two identifying fields.
#include <algorithm>
#include <utility>
#include <vector>

#include "tests/store/engine/engine_fixture.h"

namespace qv::test {
namespace {

using engine::Err;
using engine::File;
using Pair = std::pair<std::uint32_t, std::uint32_t>;

#pragma pack(push, 1)
struct PairRec {
  std::uint32_t MSG;
  std::uint32_t WORD;
};
#pragma pack(pop)

constexpr int kPairFileNo = 129;
constexpr engine::KeyRef ByMsg{kPairFileNo, 0}, ByWord{kPairFileNo, 1};

engine::TableDecl pairDecl(bool keyed) {
  engine::TableDecl t;
  t.label = "Pairs";
  t.prefix = "PAI";
  t.fileNo = kPairFileNo;
  t.recordSize = sizeof(PairRec);
  t.fields = {QV_FIELD(PairRec, MSG), QV_FIELD(PairRec, WORD)};
  t.key("by_Msg", engine::kUnique | engine::kExcludeEmpty, {"MSG", "WORD"});
  t.key("by_Word", engine::kDuplicates | engine::kExcludeEmpty, {"WORD", "MSG"});
  t.keyedPositions = keyed;
  return t;
}

const engine::TableDecl& keyedDecl() {
  static const engine::TableDecl d = pairDecl(true);
  return d;
}

class KeyedTest : public EngineTest {
 protected:
  PairRec r{};
  File f{session, keyedDecl(), &r};
  void SetUp() override {
    f.setName(dir / "IDX029.TPS");
    ASSERT_EQ(f.create(), Err::Ok);
    ASSERT_EQ(f.open(), Err::Ok);
  }
  Err put(std::uint32_t msg, std::uint32_t word, bool append = false) {
    r.MSG = msg;
    r.WORD = word;
    return append ? f.append() : f.add();
  }
  std::vector<Pair> walk(const engine::KeyRef* key, bool forward = true) {
    std::vector<Pair> out;
    EXPECT_EQ(key != nullptr ? f.set(*key) : f.set(), Err::Ok);
    while ((forward ? f.next() : f.previous()) == Err::Ok) out.emplace_back(+r.MSG, +r.WORD);
    EXPECT_EQ(f.error(), Err::RecordNotAvailable);
    return out;
  }
  static std::int64_t position(std::uint32_t msg, std::uint32_t word) {
    return static_cast<std::int64_t>((std::uint64_t{msg} << 32) | word);
  }
};

TEST_F(KeyedTest, RecordsComeInKeyOrderAndArePlacedByTheirIdentifyingFields) {
  const std::vector<Pair> rows = {{7, 3}, {2, 9}, {7, 1}, {4000000000u, 2}, {2, 3}, {5, 9}, {5, 3}};
  for (const auto& [m, w] : rows) ASSERT_EQ(put(m, w), Err::Ok) << f.errorText();
  EXPECT_EQ(f.position(), position(5, 3));
  EXPECT_EQ(put(7, 3), Err::DuplicateKey);
  EXPECT_EQ(f.records(), 7);

  std::vector<Pair> byMsg = rows;
  std::sort(byMsg.begin(), byMsg.end());
  EXPECT_EQ(walk(nullptr), byMsg);
  EXPECT_EQ(walk(&ByMsg), byMsg);
  std::vector<Pair> byWord = rows;
  std::sort(byWord.begin(), byWord.end(), [](const Pair& a, const Pair& b) {
    return std::pair(a.second, a.first) < std::pair(b.second, b.first);
  });
  EXPECT_EQ(walk(&ByWord), byWord);
  std::vector<Pair> backwards(byWord.rbegin(), byWord.rend());
  EXPECT_EQ(walk(&ByWord, false), backwards);

  // A get by key, by position, and a walk from a key value or a record.
  r = PairRec{4000000000u, 2};
  ASSERT_EQ(f.get(ByMsg), Err::Ok);
  EXPECT_EQ(f.position(), position(4000000000u, 2));
  r = PairRec{};
  ASSERT_EQ(f.getPosition(position(2, 9)), Err::Ok);
  EXPECT_EQ(std::uint32_t{r.MSG}, 2u);
  EXPECT_EQ(std::uint32_t{r.WORD}, 9u);
  EXPECT_EQ(f.getPosition(position(2, 8)), Err::RecordNotFound);
  r = PairRec{0, 3};
  ASSERT_EQ(f.setFrom(ByWord), Err::Ok);
  std::vector<Pair> fromThree;
  while (f.next() == Err::Ok && r.WORD == 3) fromThree.emplace_back(+r.MSG, +r.WORD);
  EXPECT_EQ(fromThree, (std::vector<Pair>{{2, 3}, {5, 3}, {7, 3}}));
  ASSERT_EQ(f.setPosition(ByWord, position(5, 3)), Err::Ok);
  ASSERT_EQ(f.next(), Err::Ok);
  EXPECT_EQ(Pair(+r.MSG, +r.WORD), Pair(5, 3));
  ASSERT_EQ(f.previous(), Err::Ok);
  EXPECT_EQ(Pair(+r.MSG, +r.WORD), Pair(2, 3));

  // Erasing along a walk, and a changed record moving to its new place.
  ASSERT_EQ(f.set(ByWord), Err::Ok);
  while (f.next() == Err::Ok) {
    if (r.WORD == 9) {
      ASSERT_EQ(f.erase(), Err::Ok);
    }
  }
  r = PairRec{7, 1};
  ASSERT_EQ(f.get(ByMsg), Err::Ok);
  r.MSG = 1;
  ASSERT_EQ(f.put(), Err::Ok);
  EXPECT_EQ(f.position(), position(1, 1));
  EXPECT_EQ(walk(nullptr), (std::vector<Pair>{{1, 1}, {2, 3}, {5, 3}, {7, 3}, {4000000000u, 2}}));
}

TEST_F(KeyedTest, AppendedRowsGetTheirKeysBackFromBuildAndTheLayoutIsItsOwn) {
  for (std::uint32_t m = 1; m <= 300; ++m)
    for (std::uint32_t w = 1; w <= 3; ++w) ASSERT_EQ(put(m, (m * 7 + w) % 50 + 1, true), Err::Ok) << f.errorText();
  f.close();
  EXPECT_EQ(f.open(), Err::BadKeys);  // the word key was left for the build
  ASSERT_EQ(f.build(), Err::Ok);
  EXPECT_EQ(f.records(), 900);
  std::vector<Pair> byWord = walk(&ByWord);
  ASSERT_EQ(byWord.size(), 900u);
  EXPECT_TRUE(std::is_sorted(byWord.begin(), byWord.end(), [](const Pair& a, const Pair& b) {
    return std::pair(a.second, a.first) < std::pair(b.second, b.first);
  }));
  f.close();
  EXPECT_EQ(f.open(), Err::Ok);
  f.close();

  // The same fields and keys with stored positions are another layout.
  static const engine::TableDecl plain = pairDecl(false);
  PairRec other{};
  File g{session, plain, &other};
  g.setName(dir / "IDX029.TPS");
  EXPECT_EQ(g.open(), Err::LayoutDiffers);
}

}  // namespace
}  // namespace qv::test
