// One import at a time in a data home: a second run started while a first
// is converting or merging is refused at its start and changes nothing,
// whether it is another process or another job of this one; the first run
// completes untouched; a killed run lets go of the lock.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "store/engine/integrity.h"
#include "tests/import/import_fixture.h"
#include "tests/support/child_process.h"

namespace qv::test {
namespace {

class ImportLockTest : public ImportTest {
 protected:
  ImportLockTest() {
    mailDb = addMail("Jane Smith", "jane@example.org");
    writeSource("a.txt", mails(1, 150));
    writeSource("b.txt", mails(151, 300));
  }
  static std::string mails(int from, int to) {
    std::string s;
    for (int i = from; i <= to; ++i)
      s += "M|Mail " + std::to_string(i) + "|Bob Ray|bob@example.org|Jane Smith|jane@example.org|1999-05-01|12:00|Text " +
           std::to_string(i) + "\n";
    return s;
  }
  ImportSettings both() {
    ImportSettings s = settings("Generic Mail Type 2", {"a.txt", "b.txt"});
    s.mail = true;
    s.mailDatabase = mailDb;
    return s;
  }
  // Steps `job` until its first source file is converted, and stops there.
  static void holdAfterFirstFile(ImportJob& job) {
    bool converted = false;
    job.onFileConverted = [&converted](const SourceFile&) { converted = true; };
    while (!converted) ASSERT_FALSE(job.step());
    job.onFileConverted = nullptr;
  }
  static std::string busy(long pid) {
    return "Another import is running in this data home (process " + std::to_string(pid) + ").";
  }

  // `quorvel --home HOME ARGS...`: its exit status and all it wrote.
  std::pair<int, std::string> quorvel(std::vector<std::string> args) {
    args.insert(args.begin(), {QV_QUORVEL, "--home", home.path().string()});
    ChildProcess child(std::move(args), true);
    std::string out = child.readAll();
    return {child.wait(), std::move(out)};
  }
  // The value of the summary's "outcome:" line, as text output prints it.
  static std::string outcomeLine(const std::string& out) {
    std::smatch m;
    return std::regex_search(out, m, std::regex("(^|\n)outcome: +([^\n]*)")) ? m[2].str() : std::string();
  }
  std::vector<std::string> secondImport(bool json) {
    std::vector<std::string> a = {"import", "--format", "Eudora", "--method", "files", "--path", sources.string(),
                                  "--file", "a.txt", "--mail", "--mail-db", std::to_string(mailDb)};
    if (json) a.insert(a.begin(), "--json");
    return a;
  }

  // What a refused run must leave as it was: the identifier counter, the
  // name of every file in the data home (no new database, no new table),
  // and each temporary table's inode, size and time.
  std::pair<std::uint32_t, std::vector<std::string>> state() {
    OP_CLOSE(*ctx, kOpOpen, {Control::FileNo});
    ctx->ctl.ID = 1;
    EXPECT_EQ(ctx->fileOf<Control>().get(Control::IdKey), engine::Err::Ok);
    const std::uint32_t counter = ctx->ctl.NEXTNUMBER;
    OP_CLOSE(*ctx, kOpRelease, {Control::FileNo});
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(home.path())) {
      struct stat st {};
      files.push_back(e.path().string());
      if (e.path().parent_path() == home.path() / "TEMP" && ::stat(e.path().c_str(), &st) == 0)
        files.back() += " " + std::to_string(st.st_ino) + " " + std::to_string(st.st_size) + " " +
                        std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
    }
    std::sort(files.begin(), files.end());
    return {counter, files};
  }
  // Every table of the data home passes the integrity check.
  void expectIntactTables() {
    for (const auto& e : std::filesystem::recursive_directory_iterator(home.path())) {
      const std::string name = e.path().filename().string();
      if (name.size() != 10 || name.rfind("IDX", 0) != 0 || name.substr(6) != ".TPS") continue;
      const TableInfo* info = tableInfo(std::stoi(name.substr(3, 3)));
      ASSERT_NE(info, nullptr) << e.path();
      const engine::Status s = engine::checkIntegrity(e.path(), info->decl());
      EXPECT_TRUE(s.ok()) << e.path() << ": " << s.text;
    }
  }

  std::uint32_t mailDb = 0;
};

TEST_F(ImportLockTest, ASecondProcessIsRefusedWhileAnImportRunsAndChangesNothing) {
  const std::uint32_t forumDb = addForum("Computer Club");
  std::string forum;
  for (int i = 1; i <= 150; ++i)
    forum += "F||1|General|" + std::to_string(i) + "|0|Subject " + std::to_string(i % 9) +
             "|Ann Lee|70001,1|All||1995-03-01|10:00|Text " + std::to_string(i) + "\n";
  writeSource("forum.txt", forum);
  ImportSettings s = settings("Generic Mail Type 2", {"a.txt", "forum.txt"});
  s.mail = s.forum = true;
  s.mailDatabase = mailDb;
  s.forumDatabase = forumDb;
  Context firstCtx(lib);
  ImportJob first(firstCtx, s);
  holdAfterFirstFile(first);

  // Reading commands answer during the import.
  auto [status, out] = quorvel({"db", "list"});
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("Computer Club"), std::string::npos) << out;

  // The second import says why it does not start, in its message and its
  // summary, and changes nothing: while the first converts (text output)…
  const std::string reason = busy(::getpid());
  auto before = state();
  std::tie(status, out) = quorvel(secondImport(false));
  EXPECT_EQ(status, 1) << out;
  EXPECT_NE(out.find("Warning!: " + reason + "\nStart this import again when it has finished.\n"), std::string::npos)
      << out;
  EXPECT_EQ(outcomeLine(out), reason) << out;
  EXPECT_EQ(state(), before);

  // … and between the databases it merges into (JSON output).
  while (first.summary().databases.empty()) ASSERT_FALSE(first.step());
  before = state();
  std::tie(status, out) = quorvel(secondImport(true));
  EXPECT_EQ(status, 1) << out;
  EXPECT_NE(out.find("\"outcome\": \"" + reason + "\""), std::string::npos) << out;
  EXPECT_EQ(state(), before);
  std::tie(status, out) = quorvel({"dump", "--db", std::to_string(forumDb)});
  EXPECT_EQ(status, 0) << out;

  // The first run completes untouched.
  runToEnd(first);
  EXPECT_TRUE(first.summary().completed) << first.summary().outcome;
  EXPECT_EQ(first.summary().imported, 300u);
  openDatabase(mailDb);
  EXPECT_EQ(ctx->fileOf<Mail>().records(), 150);
  openDatabase(forumDb);
  EXPECT_EQ(ctx->fileOf<MsgNmbr>().records(), 150);
  expectIntactTables();
}

TEST_F(ImportLockTest, TwoJobsOfOneProcessExcludeEachOtherUntilTheFirstEnds) {
  const std::string reason = busy(::getpid());
  Context firstCtx(lib);
  ImportJob first(firstCtx, both());
  holdAfterFirstFile(first);
  ImportSummary second = run(both());
  EXPECT_FALSE(second.completed);
  EXPECT_EQ(second.outcome, reason);
  EXPECT_TRUE(shown(reason + "\r\nStart this import again when it has finished."));
  runToEnd(first);
  EXPECT_EQ(first.summary().imported, 300u);

  // Ended — here by a cancel — the lock is free for the next run.
  {
    Context c(lib);
    ImportJob cancelled(c, both());
    holdAfterFirstFile(cancelled);
    cancelled.requestCancel();
    EXPECT_TRUE(cancelled.step());
    EXPECT_EQ(cancelled.summary().outcome, "Import process interrupted");
  }
  second = run(both());
  EXPECT_TRUE(second.completed) << second.outcome;
  EXPECT_EQ(second.outcome, "No messages to import!");
}

TEST_F(ImportLockTest, AKilledImportLetsGoOfTheLock) {
  ChildProcess child({QV_IMPORT_CHILD, "--hold", home.path().string(), sources.string(), std::to_string(mailDb),
                      "a.txt", "b.txt"});
  ASSERT_EQ(child.readLine(), "held");
  EXPECT_EQ(run(both()).outcome, busy(child.pid()));
  child.kill();
  const ImportSummary r = run(both());
  EXPECT_TRUE(r.completed) << r.outcome;
  EXPECT_EQ(r.imported, 300u);
}

}  // namespace
}  // namespace qv::test
