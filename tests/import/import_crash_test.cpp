// An import killed at any moment leaves every database consistent, and
// running it again completes it: the result equals an uninterrupted run's.
#include <algorithm>
#include <chrono>
#include <iterator>
#include <cstdlib>
#include <random>
#include <thread>

#include "tests/import/canonical_dump.h"
#include "tests/import/import_fixture.h"
#include "tests/support/child_process.h"

namespace qv::test {
namespace {

class ImportCrashTest : public ImportTest {
 protected:
  // A source with forum messages in two forums, mail with carbon copies, and
  // newsgroup messages whose replies come before their parents.
  static std::string source(int count) {
    std::string s;
    for (int i = 1; i <= count; ++i) {
      const std::string n = std::to_string(i);
      const std::string forum = i % 3 == 0 ? "Gardening" : "Computer Club";
      s += "F|" + forum + "|" + std::to_string(i % 4) + "|Section " + std::to_string(i % 4) + "|" + n + "|" +
           std::to_string(i > 5 ? i - 5 : 0) + "|Subject " + std::to_string(i % 11) + "|Writer " +
           std::to_string(i % 13) + "|7000" + std::to_string(i % 13) + ",1|All||1995-03-01|10:00|Forum text " + n +
           std::string(static_cast<std::size_t>(i % 7) * 40, 'x') + "\n";
      s += "M|Mail " + n + "|Sender " + std::to_string(i % 9) + "|s" + std::to_string(i % 9) +
           "@example.org|Jane Smith|jane@example.org|1999-05-0" + std::to_string(1 + i % 9) + "|1" +
           std::to_string(i % 10) + ":0" + std::to_string(i % 6) + "|Mail text " + n + "\n";
      if (i % 4 == 0) s += "C|Carl " + n + "|carl" + n + "@example.org|CC\n";
      s += "N|comp.misc|<m" + n + "@x>|" + (i % 2 == 0 ? "<m" + std::to_string(i + 1) + "@x>" : "") + "|Topic " +
           std::to_string(i % 5) + "|Poster " + std::to_string(i % 7) + "|p" + std::to_string(i % 7) +
           "@example.org|1996-01-01|09:00|News text " + n + "\n";
    }
    return s;
  }

  // A data home of its own with the mail database, as both runs start.
  std::uint32_t prepareHome(const std::filesystem::path& h) {
    std::filesystem::create_directories(h / "CFG");
    std::filesystem::create_directories(h / "TEMP");
    MemGroup mem;
    mem.Net = h;
    mem.FileDir = h;
    mem.TempDir = h / "TEMP";
    Library other(ui);
    registerLibraryProcedures(other);
    registerPersonProcedures(other);
    other.publish(mem, h);
    Context c(other);
    EXPECT_EQ(loadSettings(c), 1);
    MailDatabaseForm form;
    form.name = "Jane Smith";
    form.address = "jane@example.org";
    std::uint32_t dir = NextDirNumber(c);
    EXPECT_TRUE(AddMailDatabase(c, form, dir));
    return c.for_.ID;
  }

  int runChild(const std::filesystem::path& h, std::uint32_t mailDb, int killAfterMs) {
    ChildProcess child({QV_IMPORT_CHILD, h.string(), sources.string(), std::to_string(mailDb), "all.txt"});
    if (killAfterMs > 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(killAfterMs));
      child.kill();
      return -1;
    }
    const std::string line = child.readLine();
    const int status = child.wait();
    EXPECT_EQ(line.rfind("done", 0), 0u) << line;
    return status;
  }
};

TEST_F(ImportCrashTest, KilledRunsLeaveConsistentDatabasesAndARerunCompletesThem) {
  writeSource("all.txt", source(150));
  const std::filesystem::path reference = home.path() / "reference";
  const std::filesystem::path crashed = home.path() / "crashed";
  const std::uint32_t refMail = prepareHome(reference);
  const std::uint32_t crashMail = prepareHome(crashed);
  ASSERT_EQ(runChild(reference, refMail, 0), 0);
  const HomeDump expected = canonicalDump(reference);
  ASSERT_TRUE(expected.problems.empty()) << expected.problems.front();
  ASSERT_GT(expected.lines.size(), 400u);

  const char* rounds = std::getenv("QV_IMPORT_CRASH_ROUNDS");
  const int total = rounds != nullptr ? std::atoi(rounds) : 5;
  std::mt19937 rng(7);
  for (int round = 0; round < total; ++round) {
    runChild(crashed, crashMail, 100 + static_cast<int>(rng() % 1500));
    const HomeDump now = canonicalDump(crashed);
    ASSERT_TRUE(now.problems.empty()) << "round " << round << ": " << now.problems.front();
  }
  // Running the import again completes it.
  runChild(crashed, crashMail, 0);
  const HomeDump final = canonicalDump(crashed);
  ASSERT_TRUE(final.problems.empty()) << final.problems.front();
  // Name what differs, not the whole of both.
  std::vector<std::string> missing, extra;
  std::set_difference(expected.lines.begin(), expected.lines.end(), final.lines.begin(), final.lines.end(),
                      std::back_inserter(missing));
  std::set_difference(final.lines.begin(), final.lines.end(), expected.lines.begin(), expected.lines.end(),
                      std::back_inserter(extra));
  EXPECT_TRUE(missing.empty()) << missing.size() << " missing, the first: " << missing.front();
  EXPECT_TRUE(extra.empty()) << extra.size() << " extra, the first: " << extra.front();
}

}  // namespace
}  // namespace qv::test
