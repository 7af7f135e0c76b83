// Walks along keys and in file order, with writes between the steps.
#include <algorithm>
#include <vector>

#include "tests/store/engine/engine_fixture.h"

namespace qv::test {
namespace {

using engine::Err;
using engine::File;

class WalkTest : public EngineTest {
 protected:
  HeaderRec r{};
  File f{session, headerDecl(), &r};
  void SetUp() override {
    f.setName(dir / "IDX003.TPS");
    ASSERT_EQ(f.create(), Err::Ok);
    ASSERT_EQ(f.open(), Err::Ok);
  }
  void add(std::uint32_t n, const std::string& from, std::uint32_t fromId) {
    fillHeader(r, n, from, fromId);
    ASSERT_EQ(f.add(), Err::Ok) << f.errorText();
  }
  std::vector<std::uint32_t> walk(engine::KeyRef key, bool forward = true) {
    std::vector<std::uint32_t> out;
    EXPECT_EQ(f.set(key), Err::Ok);
    while ((forward ? f.next() : f.previous()) == Err::Ok) out.push_back(r.NUMBER);
    EXPECT_EQ(f.error(), Err::RecordNotAvailable);
    return out;
  }
};

TEST_F(WalkTest, KeysOrderAscendingDescendingAndTies) {
  add(5, "Smith", 7);
  add(3, "Adams", 9);
  add(9, "Smith", 7);
  add(1, "smith", 2);
  add(7, "Adams", 9);
  EXPECT_EQ(walk(HeaderKeys::IdKey), (std::vector<std::uint32_t>{9, 7, 5, 3, 1}));
  // Name, then person, then newest message first.
  EXPECT_EQ(walk(HeaderKeys::FromKey), (std::vector<std::uint32_t>{7, 3, 1, 9, 5}));
  EXPECT_EQ(walk(HeaderKeys::FromKey, false), (std::vector<std::uint32_t>{5, 9, 1, 3, 7}));
  // Equal keys come in the order they were stored.
  std::vector<std::uint32_t> status = walk(HeaderKeys::StatusKey);
  EXPECT_EQ(status, (std::vector<std::uint32_t>{3, 9, 1, 7, 5}));
}

TEST_F(WalkTest, StartsFromAKeyValueInEitherDirection) {
  for (std::uint32_t i = 1; i <= 30; ++i) add(i, i % 2 ? "Odd" : "Even", i % 2);
  r = HeaderRec{};
  r.FROMALPHA = "odd";
  r.FROMID = 1;
  r.NUMBER = 20;  // descending: from 20 downwards, so 19 first
  ASSERT_EQ(f.setFrom(HeaderKeys::FromKey), Err::Ok);
  ASSERT_EQ(f.next(), Err::Ok);
  EXPECT_EQ(r.NUMBER, 19u);
  ASSERT_EQ(f.next(), Err::Ok);
  EXPECT_EQ(r.NUMBER, 17u);
  // Turning round returns the record before the current one.
  ASSERT_EQ(f.previous(), Err::Ok);
  EXPECT_EQ(r.NUMBER, 19u);
  ASSERT_EQ(f.previous(), Err::Ok);
  EXPECT_EQ(r.NUMBER, 21u);

  r = HeaderRec{};
  r.NUMBER = 10;
  ASSERT_EQ(f.setFrom(HeaderKeys::IdKey), Err::Ok);
  ASSERT_EQ(f.previous(), Err::Ok);  // at or before 10 in descending order
  EXPECT_EQ(r.NUMBER, 10u);
  ASSERT_EQ(f.previous(), Err::Ok);
  EXPECT_EQ(r.NUMBER, 11u);

  // From a record's position.
  r.NUMBER = 25;
  ASSERT_EQ(f.get(HeaderKeys::IdKey), Err::Ok);
  ASSERT_EQ(f.setPosition(HeaderKeys::IdKey, f.position()), Err::Ok);
  ASSERT_EQ(f.next(), Err::Ok);
  EXPECT_EQ(r.NUMBER, 25u);
  ASSERT_EQ(f.next(), Err::Ok);
  EXPECT_EQ(r.NUMBER, 24u);
}

TEST_F(WalkTest, SeesAddsChangesAndDeletesBetweenSteps) {
  for (std::uint32_t i = 1; i <= 200; ++i) add(i * 10, "Smith", 7);
  std::vector<std::uint32_t> seen;
  ASSERT_EQ(f.set(HeaderKeys::IdKey), Err::Ok);
  HeaderRec keep{};
  while (f.next() == Err::Ok) {
    seen.push_back(r.NUMBER);
    keep = r;
    if (r.NUMBER == 1500) {
      // Ahead of the walk: deleted, changed, added; behind it: added.
      fillHeader(r, 1490);
      ASSERT_EQ(f.get(HeaderKeys::IdKey), Err::Ok);
      ASSERT_EQ(f.erase(), Err::Ok);
      r.NUMBER = 1480;
      ASSERT_EQ(f.get(HeaderKeys::IdKey), Err::Ok);
      r.NUMBER = 1475;  // moves it backwards along the key, still ahead
      ASSERT_EQ(f.put(), Err::Ok);
      add(1455, "Smith", 7);
      add(1605, "Smith", 7);
      r = keep;
    }
  }
  EXPECT_EQ(std::count(seen.begin(), seen.end(), 1490u), 0);
  EXPECT_EQ(std::count(seen.begin(), seen.end(), 1480u), 0);
  EXPECT_EQ(std::count(seen.begin(), seen.end(), 1475u), 1);
  EXPECT_EQ(std::count(seen.begin(), seen.end(), 1455u), 1);
  EXPECT_EQ(std::count(seen.begin(), seen.end(), 1605u), 0);
  EXPECT_TRUE(std::is_sorted(seen.rbegin(), seen.rend()));
  EXPECT_EQ(seen.size(), 200u);  // 200 - 1490 - 1480 + 1475 + 1455
}

TEST_F(WalkTest, SeesWritesOfAnotherSessionOfTheProcess) {
  for (std::uint32_t i = 1; i <= 100; ++i) add(i, "Smith", 7);
  engine::Session other(engine);
  HeaderRec o{};
  File g(other, headerDecl(), &o);
  g.setName(dir / "IDX003.TPS");
  ASSERT_EQ(g.open(), Err::Ok);
  ASSERT_EQ(f.set(HeaderKeys::IdKey), Err::Ok);
  for (int i = 0; i < 10; ++i) ASSERT_EQ(f.next(), Err::Ok);  // read-ahead is under way
  EXPECT_EQ(r.NUMBER, 91u);
  o.NUMBER = 85;
  ASSERT_EQ(g.get(HeaderKeys::IdKey), Err::Ok);
  ASSERT_EQ(g.erase(), Err::Ok);
  ASSERT_EQ(f.next(), Err::Ok);
  EXPECT_EQ(r.NUMBER, 90u);
  for (int i = 0; i < 4; ++i) ASSERT_EQ(f.next(), Err::Ok);
  EXPECT_EQ(r.NUMBER, 86u);
  ASSERT_EQ(f.next(), Err::Ok);
  EXPECT_EQ(r.NUMBER, 84u);
}

TEST_F(WalkTest, FileOrderAndGetDoNotDisturbTheWalk) {
  for (std::uint32_t i = 1; i <= 10; ++i) add(i * 3, "Smith", 7);
  ASSERT_EQ(f.set(), Err::Ok);
  std::vector<std::uint32_t> seen;
  while (f.next() == Err::Ok) {
    seen.push_back(r.NUMBER);
    const std::uint32_t now = r.NUMBER;
    r.NUMBER = 30;
    ASSERT_EQ(f.get(HeaderKeys::IdKey), Err::Ok);  // the walk goes on from `now`
    r.NUMBER = now;
  }
  EXPECT_EQ(seen, (std::vector<std::uint32_t>{3, 6, 9, 12, 15, 18, 21, 24, 27, 30}));
  EXPECT_EQ(f.next(), Err::RecordNotAvailable);
  ASSERT_EQ(f.previous(), Err::Ok);
  EXPECT_EQ(r.NUMBER, 27u);
}

}  // namespace
}  // namespace qv::test
