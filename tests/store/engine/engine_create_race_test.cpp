// Tables found missing by several creators at once: every creator ends up
// using the one file that was made, and no record written to it is lost.
#include <thread>

#include "store/engine/integrity.h"
#include "tests/store/engine/create_race.h"
#include "tests/store/engine/engine_fixture.h"
#include "tests/support/child_process.h"

namespace qv::test {
namespace {

constexpr int kRounds = 40;

class CreateRaceTest : public EngineTest {
 protected:
  // Each table must hold exactly one record of each creator.
  void expectEveryRecordKept(int creators) {
    for (int round = 0; round < kRounds; ++round)
      for (int k = 0; k < kRaceTables; ++k) {
        const std::string name = raceTableName(dir.path().string(), round, k);
        HeaderRec r{};
        engine::File f(session, headerDecl(), &r);
        f.setName(name);
        ASSERT_EQ(f.open(), engine::Err::Ok) << name;
        EXPECT_EQ(f.records(), creators) << name;
        f.close();
        EXPECT_TRUE(engine::checkIntegrity(name, "").ok()) << name;
      }
    // No file under construction is left behind.
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
      EXPECT_NE(entry.path().extension(), ".new") << entry.path();
  }
};

TEST_F(CreateRaceTest, ThreeProcessesCreatingTheSameTablesShareThem) {
  ChildProcess a({QV_ENGINE_CHILD, "create", dir.path().string(), std::to_string(kRounds), "1"});
  ChildProcess b({QV_ENGINE_CHILD, "create", dir.path().string(), std::to_string(kRounds), "2"});
  EXPECT_EQ(createAndUseTables(engine, dir.path().string(), kRounds, 3), "");
  EXPECT_EQ(a.wait(), 0);
  EXPECT_EQ(b.wait(), 0);
  expectEveryRecordKept(3);
}

TEST_F(CreateRaceTest, TwoSessionsOfOneProcessCreatingTheSameTablesShareThem) {
  std::string fromThread;
  std::thread other([&] { fromThread = createAndUseTables(engine, dir.path().string(), kRounds, 1); });
  const std::string fromHere = createAndUseTables(engine, dir.path().string(), kRounds, 2);
  other.join();
  EXPECT_EQ(fromHere, "");
  EXPECT_EQ(fromThread, "");
  expectEveryRecordKept(2);
}

TEST_F(CreateRaceTest, CreatingAnExistingTableKeepsItsRecords) {
  HeaderRec r{};
  engine::File f(session, headerDecl(), &r);
  f.setName(dir / "KEPT.TPS");
  ASSERT_EQ(f.create(), engine::Err::Ok);
  ASSERT_EQ(f.open(), engine::Err::Ok);
  fillHeader(r, 1);
  ASSERT_EQ(f.add(), engine::Err::Ok);
  f.close();
  ASSERT_EQ(f.create(), engine::Err::Ok);
  ASSERT_EQ(f.open(), engine::Err::Ok);
  EXPECT_EQ(f.records(), 1);
}

}  // namespace
}  // namespace qv::test
