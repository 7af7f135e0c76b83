// Holds, whole-file locks and transactions, between sessions and processes.
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "tests/store/engine/engine_fixture.h"
#include "tests/support/child_process.h"

namespace qv::test {
namespace {

using engine::Err;
using engine::File;

class LocksTest : public EngineTest {
 protected:
  engine::Session other{engine};
  HeaderRec r{}, o{};
  File f{session, headerDecl(), &r};
  File g{other, headerDecl(), &o};
  void SetUp() override {
    f.setName(dir / "IDX003.TPS");
    g.setName(dir / "IDX003.TPS");
    ASSERT_EQ(f.create(), Err::Ok);
    ASSERT_EQ(f.open(), Err::Ok);
    ASSERT_EQ(g.open(), Err::Ok);
    for (std::uint32_t i = 1; i <= 5; ++i) {
      fillHeader(r, i);
      ASSERT_EQ(f.add(), Err::Ok);
    }
  }
  static double secondsOf(const std::function<void()>& work) {
    const auto t0 = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  }
};

TEST_F(LocksTest, AHeldRecordIsRefusedToAnotherSessionAfterTheWait) {
  r.NUMBER = 3;
  f.hold(1);
  ASSERT_EQ(f.get(HeaderKeys::IdKey), Err::Ok);
  o.NUMBER = 3;
  g.hold(1);
  Err e = Err::Ok;
  const double waited = secondsOf([&] { e = g.get(HeaderKeys::IdKey); });
  EXPECT_EQ(e, Err::RecordNotAvailable);
  EXPECT_GE(waited, 0.9);
  // Other records are free, and reading without a hold is never refused.
  o.NUMBER = 2;
  g.hold(1);
  EXPECT_EQ(g.get(HeaderKeys::IdKey), Err::Ok);
  o.NUMBER = 3;
  EXPECT_EQ(g.get(HeaderKeys::IdKey), Err::Ok);
  // A rewrite ends the hold.
  r.DUMMY = 1;
  ASSERT_EQ(f.put(), Err::Ok);
  g.hold(0);
  EXPECT_EQ(g.get(HeaderKeys::IdKey), Err::Ok);
  EXPECT_EQ(o.DUMMY, 1);
}

TEST_F(LocksTest, AHoldOfAnotherProcessIsSeenAndEndsWithIt) {
  r.NUMBER = 4;
  ASSERT_EQ(f.get(HeaderKeys::IdKey), Err::Ok);
  const engine::Position pos = f.position();
  ChildProcess child({QV_ENGINE_CHILD, "hold", dir.path().string(), std::to_string(pos), "30"});
  ASSERT_EQ(child.readLine(), "held");
  f.hold(1);
  EXPECT_EQ(f.getPosition(pos), Err::RecordNotAvailable);
  child.kill();  // a killed process leaves no hold behind
  f.hold(1);
  EXPECT_EQ(f.getPosition(pos), Err::Ok);
}

TEST_F(LocksTest, WholeFileLockExcludesLocksAndHoldsElsewhere) {
  ASSERT_EQ(f.lock(1), Err::Ok);
  EXPECT_EQ(g.lock(0), Err::FileLocked);
  o.NUMBER = 1;
  g.hold(0);
  EXPECT_EQ(g.get(HeaderKeys::IdKey), Err::RecordNotAvailable);
  f.unlock();
  EXPECT_EQ(g.lock(0), Err::Ok);
  g.unlock();
  // A hold keeps others from locking the whole file.
  g.hold(0);
  ASSERT_EQ(g.get(HeaderKeys::IdKey), Err::Ok);
  EXPECT_EQ(f.lock(0), Err::FileLocked);
  g.release();
  EXPECT_EQ(f.lock(0), Err::Ok);
}

class TransactionTest : public EngineTest {
 protected:
  HeaderRec a{}, b{};
  NoteRec c{};
  std::string memo;
  File fa{session, headerDecl(), &a};
  File fb{session, headerDecl(), &b};
  File fc{session, noteDecl(), &c, &memo};
  void SetUp() override {
    fa.setName(dir / "A.TPS");
    fb.setName(dir / "B.TPS");
    fc.setName(dir / "C.TPS");
    for (File* f : {&fa, &fb, &fc}) {
      ASSERT_EQ(f->create(), Err::Ok);
      ASSERT_EQ(f->open(), Err::Ok);
    }
  }
  void addAll(std::uint32_t n) {
    fillHeader(a, n);
    fillHeader(b, n);
    c.ID = n;
    c.TITLE = "note " + std::to_string(n);
    memo = "text " + std::to_string(n);
    ASSERT_EQ(fa.add(), Err::Ok) << fa.errorText();
    ASSERT_EQ(fb.add(), Err::Ok) << fb.errorText();
    ASSERT_EQ(fc.add(), Err::Ok) << fc.errorText();
  }
};

TEST_F(TransactionTest, RollbackOverThreeTablesUndoesAllCommitKeepsAll) {
  ASSERT_EQ(session.logout(5, {&fa, &fb, &fc}), Err::Ok);
  addAll(1);
  addAll(2);
  ASSERT_EQ(session.commit(), Err::Ok);
  ASSERT_EQ(session.logout(5, {&fa, &fb, &fc}), Err::Ok);
  addAll(3);
  a.NUMBER = 1;
  ASSERT_EQ(fa.get(HeaderKeys::IdKey), Err::Ok);
  ASSERT_EQ(fa.erase(), Err::Ok);
  // Inside the transaction its own writes are visible.
  EXPECT_EQ(fa.records(), 2);
  ASSERT_EQ(session.rollback(), Err::Ok);
  EXPECT_EQ(fa.records(), 2);
  EXPECT_EQ(fb.records(), 2);
  EXPECT_EQ(fc.records(), 2);
  a.NUMBER = 1;
  EXPECT_EQ(fa.get(HeaderKeys::IdKey), Err::Ok);
  a.NUMBER = 3;
  EXPECT_EQ(fa.get(HeaderKeys::IdKey), Err::RecordNotFound);
  // A second session sees the committed state.
  engine::Session other(engine);
  NoteRec oc{};
  std::string om;
  File g(other, noteDecl(), &oc, &om);
  g.setName(dir / "C.TPS");
  ASSERT_EQ(g.open(), Err::Ok);
  EXPECT_EQ(g.records(), 2);
}

TEST_F(TransactionTest, OnlyTheNamedTablesTakePart) {
  ASSERT_EQ(session.logout(5, {&fa, &fb}), Err::Ok);
  addAll(1);
  ASSERT_EQ(session.rollback(), Err::Ok);
  EXPECT_EQ(fa.records(), 0);
  EXPECT_EQ(fc.records(), 1);  // written outside the transaction
  // A later transaction over other tables re-arranges itself.
  ASSERT_EQ(session.logout(5, {&fc, &fa}), Err::Ok);
  addAll(2);
  ASSERT_EQ(session.commit(), Err::Ok);
  EXPECT_EQ(fa.records(), 1);
  EXPECT_EQ(fb.records(), 1);
  EXPECT_EQ(fc.records(), 2);
}

TEST_F(TransactionTest, StateErrorsAndTheLockWait) {
  EXPECT_EQ(session.commit(), Err::NoTransaction);
  EXPECT_EQ(session.rollback(), Err::NoTransaction);
  ASSERT_EQ(session.logout(5, {&fa, &fb}), Err::Ok);
  EXPECT_EQ(session.logout(5, {&fc}), Err::TransactionActive);
  EXPECT_TRUE(session.inTransaction());

  engine::Session other(engine);
  HeaderRec oa{};
  File g(other, headerDecl(), &oa);
  g.setName(dir / "A.TPS");
  ASSERT_EQ(g.open(), Err::Ok);
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(other.logout(1, {&g}), Err::UnableToLock);
  EXPECT_GE(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), 0.9);
  EXPECT_EQ(g.records(), 0);  // reading is not blocked
  ASSERT_EQ(session.commit(), Err::Ok);
  EXPECT_EQ(other.logout(1, {&g}), Err::Ok);
  EXPECT_EQ(other.commit(), Err::Ok);

  File closed(session, headerDecl(), &oa);
  EXPECT_EQ(session.logout(5, {&closed}), Err::FileNotOpen);
}

TEST_F(TransactionTest, ClosingAMemberRollsTheTransactionBack) {
  ASSERT_EQ(session.logout(5, {&fa, &fb}), Err::Ok);
  addAll(1);
  fb.close();
  EXPECT_FALSE(session.inTransaction());
  EXPECT_EQ(fa.records(), 0);
  ASSERT_EQ(fb.open(), Err::Ok);
  EXPECT_EQ(fb.records(), 0);
}

// A burst of reads shares one read transaction; when it ends, another
// session writes at once and the burst's handle sees the write. Inside a
// transaction a burst changes nothing.
TEST_F(TransactionTest, AReadBurstReadsAndLetsWritersGoWhenItEnds) {
  for (std::uint32_t n = 1; n <= 3; ++n) addAll(n);
  engine::Session otherSession{engine};
  HeaderRec otherRec{};
  File other{otherSession, headerDecl(), &otherRec};
  other.setName(dir / "A.TPS");
  ASSERT_EQ(other.open(), Err::Ok);
  {
    const engine::ReadBurst burst{&fa, &fb};
    for (std::uint32_t n = 1; n <= 3; ++n) {
      a.NUMBER = n;
      EXPECT_EQ(fa.get(HeaderKeys::IdKey), Err::Ok);
    }
    EXPECT_EQ(fa.records(), 3);
  }
  fillHeader(otherRec, 4);
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(other.add(), Err::Ok) << other.errorText();
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
  a.NUMBER = 4;
  EXPECT_EQ(fa.get(HeaderKeys::IdKey), Err::Ok);

  ASSERT_EQ(session.logout(5, {&fa, &fb}), Err::Ok);
  {
    const engine::ReadBurst burst{&fa};
    fillHeader(a, 5);
    ASSERT_EQ(fa.add(), Err::Ok);
  }
  ASSERT_EQ(session.commit(), Err::Ok);
  EXPECT_EQ(other.records(), 5);
}

TEST_F(TransactionTest, StreamingGroupsWritesUntilFlush) {
  ASSERT_EQ(fa.stream(), Err::Ok);
  for (std::uint32_t i = 1; i <= 100; ++i) {
    fillHeader(a, i);
    ASSERT_EQ(fa.append(), Err::Ok);
  }
  ASSERT_EQ(fa.flush(), Err::Ok);
  ASSERT_EQ(fa.build(), Err::Ok);
  EXPECT_EQ(fa.records(), 100);
  a.NUMBER = 50;
  EXPECT_EQ(fa.get(HeaderKeys::IdKey), Err::Ok);
}

}  // namespace
}  // namespace qv::test

namespace qv::test {
namespace {

// Sessions on several threads, each with its own handles, write the same
// table in transactions at the same time; every record arrives.
TEST_F(EngineTest, SessionsOnSeveralThreadsShareATable) {
  {
    HeaderRec r{};
    File f(session, headerDecl(), &r);
    f.setName(dir / "IDX003.TPS");
    ASSERT_EQ(f.create(), Err::Ok);
  }
  constexpr int kThreads = 4, kEach = 150;
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      engine::Session s(engine);
      HeaderRec r{};
      File f(s, headerDecl(), &r);
      f.setName(dir / "IDX003.TPS");
      if (f.open() != Err::Ok) {
        ++failures;
        return;
      }
      for (int i = 0; i < kEach; i += 10) {
        if (s.logout(30, {&f}) != Err::Ok) {
          ++failures;
          return;
        }
        for (int j = i; j < i + 10; ++j) {
          fillHeader(r, static_cast<std::uint32_t>(t * 1000 + j + 1));
          if (f.add() != Err::Ok) ++failures;
        }
        if (s.commit() != Err::Ok) ++failures;
        // Read back through a walk while the others write.
        f.set(HeaderKeys::IdKey);
        while (f.next() == Err::Ok) {
        }
      }
    });
  }
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(failures.load(), 0);
  HeaderRec r{};
  File f(session, headerDecl(), &r);
  f.setName(dir / "IDX003.TPS");
  ASSERT_EQ(f.open(), Err::Ok);
  EXPECT_EQ(f.records(), kThreads * kEach);
}

}  // namespace
}  // namespace qv::test
