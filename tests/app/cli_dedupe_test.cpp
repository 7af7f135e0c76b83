// Duplicate elimination from the command line, killed at random moments:
// a rerun ends with what an uninterrupted run gives.
#include <chrono>
#include <fstream>
#include <random>
#include <thread>

#include "tests/app/cli_process_fixture.h"

namespace qv::test {
namespace {

class CliDedupeTest : public CliProcessTest {
 protected:
  // `addresses` senders, each writing under `names` spellings of its name,
  // so that every address has `names` persons.
  fs::path writeMailbox(int addresses, int names) const {
    const fs::path path = parent / "box";
    std::ofstream out(path, std::ios::binary);
    int n = 0;
    for (int a = 0; a < addresses; ++a)
      for (int v = 0; v < names; ++v, ++n)
        out << "From s" << a << "@example.org Mon Jan  1 10:00:00 2001\n"
            << "From: " << std::string(1, static_cast<char>('A' + v)) << ". Sender" << a << " <s" << a
            << "@example.org>\n"
            << "To: Jane Smith <jane@example.org>\n"
            << "Subject: note " << n << "\n"
            << "Date: Mon, " << 1 + n % 28 << " Jan 2001 10:" << (10 + n % 50) << ":00 +0000\n"
            << "Message-ID: <" << n << "@example.org>\n\n"
            << "text " << n << "\n\n";
    return path;
  }
};

TEST_F(CliDedupeTest, RunsKilledAtRandomMomentsEndAsAnUninterruptedRun) {
  const fs::path box = writeMailbox(150, 4);
  const fs::path reference = parent / "reference";
  const std::string refDb = addMail(reference);
  import(reference, refDb, box, false);
  const std::string before = run(reference, {"--json", "persons", "--db", refDb});
  const std::string done = run(reference, {"--json", "dedupe", "--db", refDb});
  ASSERT_NE(done.find("\"Duplicate Mail Partners merged\": 450"), std::string::npos) << done;
  const std::string persons = run(reference, {"--json", "persons", "--db", refDb});
  ASSERT_NE(persons, before);

  const std::string db = addMail(home);
  ASSERT_EQ(db, refDb);
  import(home, db, box, false);
  std::mt19937 random(std::random_device{}());
  for (int round = 0; round < 3; ++round) {
    ChildProcess p(command(home, {"dedupe", "--db", db}));
    std::this_thread::sleep_for(std::chrono::milliseconds(20 + random() % 400));
    p.kill();
  }
  run(home, {"dedupe", "--db", db});
  EXPECT_EQ(run(home, {"--json", "persons", "--db", db}), persons);
  EXPECT_EQ(run(home, {"--json", "browse", "--db", db, "--view", "sender", "--count", "1000"}),
            run(reference, {"--json", "browse", "--db", refDb, "--view", "sender", "--count", "1000"}));
}

}  // namespace
}  // namespace qv::test
