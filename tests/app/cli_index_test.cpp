// The word index from the command line: indexing after an import, search
// and its stored result set, a damaged index, and index runs killed at
// random moments.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tests/app/cli_process_fixture.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

class CliIndexTest : public CliProcessTest {
 protected:
  // A "From " mailbox of `count` mails made of words from a small vocabulary.
  fs::path writeMailbox(const std::string& name, int count, unsigned seed) const {
    static const char* const kWords[] = {"archive", "modem", "printer", "python", "kernel", "driver", "forum",
                                         "thread", "index", "search", "window", "cable", "serial", "parallel",
                                         "network", "protocol", "message", "reply", "subject", "budget"};
    std::mt19937 random(seed);
    auto word = [&] { return std::string(kWords[random() % std::size(kWords)]) + std::to_string(random() % 40); };
    const fs::path path = parent / name;
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < count; ++i) {
      out << "From sender@example.org Mon Jan  1 10:00:00 2001\n"
          << "From: Sender " << i % 7 << " <s" << i % 7 << "@example.org>\n"
          << "To: Jane Smith <jane@example.org>\n"
          << "Subject: " << word() << " " << word() << "\n"
          << "Date: Mon, " << 1 + i % 28 << " Jan 2001 10:" << (10 + i % 50) << ":00 +0000\n"
          << "Message-ID: <" << seed << "." << i << "@example.org>\n\n";
      for (int w = 0; w < 60; ++w) out << word() << (w % 12 == 11 ? "\n" : " ");
      out << "\n\n";
    }
    return path;
  }
};

TEST_F(CliIndexTest, ImportIndexesAndSearchStoresItsSetForOneDatabase) {
  const std::string db = addMail(home);
  import(home, db, writeMailbox("box", 40, 1), true);
  const std::string words = run(home, {"--json", "words", "--db", db, "--top", "1"});
  const std::size_t at = words.find("\"word\": \"") + 9;
  const std::string top = words.substr(at, words.find('"', at) - at);
  ASSERT_FALSE(top.empty()) << words;

  const std::string found = run(home, {"--json", "search", "--db", db, top});
  EXPECT_NE(found.find("\"sender\""), std::string::npos) << found;
  EXPECT_EQ(run(home, {"--json", "search", "--db", db, "--stored"}), found);
  EXPECT_NE(run(home, {"--json", "index", "--db", db, "--recount"}).find("\"needed\": \"nothing\""), std::string::npos);

  // The stored set belongs to the mail database; another one says so.
  const std::string forum = run(home, {"--json", "db", "add-forum", "Printers"});
  const std::size_t f = forum.find("\"id\": ") + 6;
  const std::string other = run(home, {"search", "--db", forum.substr(f, forum.find_first_of(",}", f) - f), "--stored"}, 1);
  EXPECT_NE(other.find("belongs to database " + db), std::string::npos) << other;

  // A damaged index is reported with the command that rebuilds it.
  const fs::path occurrences = home / "F1" / "IDX029.TPS";
  ASSERT_TRUE(fs::exists(occurrences));
  { std::ofstream(occurrences, std::ios::binary | std::ios::trunc) << "scribbled over"; }
  EXPECT_NE(run(home, {"search", "--db", db, top}, 1).find("quorvel index --full"), std::string::npos);
  run(home, {"index", "--db", db, "--full"});
  EXPECT_EQ(run(home, {"--json", "search", "--db", db, top}), found);
  EXPECT_NE(run(home, {"search", "--db", db, "--phrase"}, 2).find("Give the words"), std::string::npos);
}

// Killed anywhere, a rerun gives the index an uninterrupted run gives.
TEST_F(CliIndexTest, IndexRunsKilledAtRandomMomentsEndAsAnUninterruptedRun) {
  const fs::path first = writeMailbox("first", 1500, 2);
  const fs::path second = writeMailbox("second", 400, 3);
  const fs::path reference = parent / "reference";
  const std::string refDb = addMail(reference);
  import(reference, refDb, first, true);
  import(reference, refDb, second, true);

  const std::string db = addMail(home);
  ASSERT_EQ(db, refDb);
  std::mt19937 random(std::random_device{}());
  auto killedRun = [&](std::vector<std::string> args) {
    ChildProcess p(command(home, std::move(args)));
    std::this_thread::sleep_for(std::chrono::milliseconds(20 + random() % 600));
    p.kill();
  };
  import(home, db, first, false);
  killedRun({"index", "--db", db, "--full"});
  killedRun({"index", "--db", db});
  run(home, {"index", "--db", db});
  import(home, db, second, false);
  killedRun({"index", "--db", db});
  run(home, {"index", "--db", db});

  EXPECT_EQ(run(home, {"--json", "words", "--db", db, "--top", "0"}),
            run(reference, {"--json", "words", "--db", refDb, "--top", "0"}));
  for (const char* q : {"modem1", "python2*", "cable3", "budget*"})
    EXPECT_EQ(run(home, {"--json", "search", "--db", db, q}), run(reference, {"--json", "search", "--db", refDb, q})) << q;
  EXPECT_NE(run(home, {"--json", "index", "--db", db, "--recount"}).find("\"needed\": \"nothing\""), std::string::npos);
}

}  // namespace
}  // namespace qv::test
