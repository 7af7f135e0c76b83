// A purge killed at any moment leaves the database consistent, and running
// it again finishes the work: the result equals an uninterrupted run's.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iterator>
#include <random>
#include <thread>

#include "store/config.h"
#include "tests/maintenance/purge_fixture.h"
#include "tests/support/child_process.h"

namespace qv::test {
namespace {

using browse::StatusTarget;

struct State {
  std::vector<std::string> lines;     // what the database holds, counts included when asked
  std::vector<std::string> problems;  // inconsistencies
};

// The database `db` of data home `h`, read by a process-local library of
// its own. `final`: counts are compared and links to missing messages are
// problems (an interrupted run may leave both behind for the rerun).
State readState(const std::filesystem::path& h, std::uint32_t db, bool final) {
  RecordingUi quiet;
  Library lib(quiet);
  MemGroup mem;
  mem.Net = h;
  mem.FileDir = h;
  mem.TempDir = h / "TEMP";
  lib.publish(mem, h);
  Context c(lib);
  State s;
  {
    TableUse list(c, {Forums::FileNo});
    c.for_.ID = db;
    if (c.fileOf<Forums>().get(Forums::ForumKey) != engine::Err::Ok) return {{}, {"database missing"}};
    setDatabaseGlobals(c.mem, c.for_);
  }
  TableUse use(c, {MsgNmbr::FileNo, MsgText::FileNo, Threads::FileNo, Person::FileNo, SIndex::FileNo});
  std::set<std::uint32_t> messages, texts;
  auto walk = [&](engine::File& f, const std::function<void()>& each) {
    f.set();
    while (f.next() == engine::Err::Ok) each();
  };
  walk(c.fileOf<MsgNmbr>(), [&] {
    messages.insert(+c.msg.MSGNUMBER);
    s.lines.push_back("message " + std::to_string(c.msg.MSGNUMBER) + " status " + std::to_string(c.msg.DUMMY));
  });
  walk(c.fileOf<MsgText>(), [&] { texts.insert(+c.txt.MSGNUMBER); });
  for (std::uint32_t m : messages)
    if (!texts.contains(m)) s.problems.push_back("message " + std::to_string(m) + " has no text");
  for (std::uint32_t t : texts)
    if (!messages.contains(t)) s.problems.push_back("text " + std::to_string(t) + " has no message");
  walk(c.fileOf<Threads>(), [&] {
    s.lines.push_back("thread " + c.thr.HEADING() + " status " + std::to_string(c.thr.DUMMY) +
                      (final ? " count " + std::to_string(c.thr.MSGCOUNT) : ""));
  });
  walk(c.fileOf<Person>(), [&] {
    if (final)
      s.lines.push_back("person " + c.per.PERSONSTRING.str() + " " + std::to_string(c.per.FROMCOUNT) + "/" +
                        std::to_string(c.per.TOCOUNT));
  });
  walk(c.fileOf<SIndex>(), [&] {
    if (final && !messages.contains(+c.sin.MSGNUMBER))
      s.problems.push_back("topic link to missing message " + std::to_string(c.sin.MSGNUMBER));
    if (final) s.lines.push_back("link " + std::to_string(c.sin.ID) + " " + std::to_string(c.sin.MSGNUMBER));
  });
  if (final) {
    // The index: which messages hold each word, and the words' counts.
    std::map<std::uint32_t, std::string> words;
    wordindex::IndexTable list(c, WordList::FileNo);
    wordindex::IndexTable rows(c, MasIdx::FileNo);
    walk(list.file(), [&] {
      words[static_cast<std::uint32_t>(c.wor.WORDID)] = c.wor.THEWORD.str();
      if (c.wor.WORDCOUNT > 0) s.lines.push_back("count " + c.wor.THEWORD.str() + " " + std::to_string(c.wor.WORDCOUNT));
    });
    walk(rows.file(), [&] {
      if (!messages.contains(+c.mas.SYSID)) s.problems.push_back("index row of missing " + std::to_string(c.mas.SYSID));
      s.lines.push_back("word " + words[+c.mas.WORDID] + " in " + std::to_string(c.mas.SYSID));
    });
  }
  std::sort(s.lines.begin(), s.lines.end());
  return s;
}

class PurgeKillTest : public PurgeTest {
 protected:
  int runPurge(const std::filesystem::path& h, std::uint32_t db, int killAfterMs) {
    ChildProcess child({QV_QUORVEL, "--home", h.string(), "--no", "purge", "--db", std::to_string(db)});
    if (killAfterMs > 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(killAfterMs));
      child.kill();
      return -1;
    }
    child.readAll();
    return child.wait();
  }
};

TEST_F(PurgeKillTest, KilledPurgesLeaveTheDatabaseConsistentAndARerunFinishesIt) {
  std::string lines;
  for (int n = 1; n <= 900; ++n)
    lines += forumLine(n, "Subject " + std::to_string(n % 30), "text of message " + std::to_string(n) + " word" +
                                                                   std::to_string(n % 17));
  importForum(lines);
  const std::uint32_t db = ctx->mem.ForumNumber;
  index(wordindex::IndexMode::Full);
  std::map<std::uint32_t, std::uint32_t> threadOf;
  for (const auto& [n, m] : messages()) threadOf[n] = m.THREADNUMBER;
  for (int n = 1; n <= 900; ++n) {
    if (n % 30 < 8 && n <= 30) mark(StatusTarget::Thread, threadOf[static_cast<std::uint32_t>(n)], Status::Delete);
    if (n % 7 == 0) mark(StatusTarget::Message, static_cast<std::uint32_t>(n), Status::Delete);
    if (n % 11 == 0) mark(StatusTarget::Message, static_cast<std::uint32_t>(n), Status::Keep);
    if (n % 3 == 0) add(&Context::sin, SIndex{900001, static_cast<std::uint32_t>(n)});
  }
  Codes topic{};
  topic.TYPE = static_cast<std::uint8_t>(CodeType::Topic);
  topic.INDEX = "Topic";
  topic.ID = 900001;
  add(&Context::cod, topic);
  // The smallest purge batch, so that a run takes many steps.
  std::int32_t speed = 1;
  std::string unused;
  Konfig(*ctx, kKonfigSetDisplay, kItemSpeedPurge, speed, 0, unused);
  Konfig(*ctx, kKonfigSaveDisplay, 0, speed, 0, unused);
  ctx.reset();

  TempDir homes;
  const std::filesystem::path reference = homes / "reference";
  const std::filesystem::path crashed = homes / "crashed";
  std::filesystem::copy(home.path(), reference, std::filesystem::copy_options::recursive);
  std::filesystem::copy(home.path(), crashed, std::filesystem::copy_options::recursive);

  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(runPurge(reference, db, 0), 0);
  // Kills land anywhere within the time a whole run takes on this machine.
  const auto runMs = std::max<long>(
      50, static_cast<long>(
              std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count()));
  const State expected = readState(reference, db, true);
  ASSERT_TRUE(expected.problems.empty()) << expected.problems.front();

  const char* rounds = std::getenv("QV_PURGE_KILL_ROUNDS");
  const int total = rounds != nullptr ? std::atoi(rounds) : 6;
  std::mt19937 rng(11);
  for (int round = 0; round < total; ++round) {
    runPurge(crashed, db, 10 + static_cast<int>(rng() % static_cast<unsigned long>(runMs)));
    const State now = readState(crashed, db, false);
    ASSERT_TRUE(now.problems.empty()) << "round " << round << ": " << now.problems.front();
  }
  ASSERT_EQ(runPurge(crashed, db, 0), 0);
  const State final = readState(crashed, db, true);
  ASSERT_TRUE(final.problems.empty()) << final.problems.front();
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
