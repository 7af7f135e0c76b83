// The record utilities beside the writes: form save, queue errors, the
// procedures by code, stopwatch, file helpers, progress scaling and the
// free-space check.
#include "store/utilities.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <fstream>
#include <string>

#include "store/config.h"
#include "store/dates.h"
#include "store/dispatcher.h"
#include "store/records.h"
#include "tests/store/store_fixture.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;
using engine::Err;

// A browse list of topics that logs what it was told.
struct RecordingQueue : ListQueue {
  void insertLine(std::span<const unsigned char> r, engine::Position p) override {
    log += "insert " + topic(r) + "@" + std::to_string(p) + ";";
  }
  void updateLine(std::span<const unsigned char> r) override { log += "update " + topic(r) + ";"; }
  void removeLine() override { log += "remove;"; }
  void redraw() override { log += "redraw;"; }
  static std::string topic(std::span<const unsigned char> r) {
    Codes c{};
    std::memcpy(&c, r.data(), std::min(r.size(), sizeof c));
    return c.INDEX.str();
  }
  std::string log;
};

class UtilitiesTest : public StoreTest {
 protected:
  // A topic stored in Codes; its position is returned.
  engine::Position addTopic(Context& c, const char* text, std::uint32_t id) {
    OP_CLOSE(c, kOpOpen, {Codes::FileNo});
    c.cod = Codes{};
    c.cod.TYPE = 2;
    c.cod.INDEX = text;
    c.cod.ID = id;
    EXPECT_EQ(c.fileOf<Codes>().add(), Err::Ok);
    return c.fileOf<Codes>().position();
  }
  std::string storedText(engine::Position pos) {
    Codes keep = ctx->cod;
    std::string t = ctx->fileOf<Codes>().getPosition(pos) == Err::Ok ? ctx->cod.INDEX.str() : "<gone>";
    ctx->cod = keep;
    return t;
  }
  SaveResult save(Codes& form, Codes& saved, int request, engine::Position pos) {
    return SaveRec(*ctx, ctx->fileOf<Codes>(), ctx->cod, form, saved, queue, request, pos);
  }
  RecordingQueue queue;
};

TEST_F(UtilitiesTest, SaveRecInsertsChangesAndDeletesWhenNobodyElseDid) {
  // Insert: the form stored the record; its line comes with its position.
  const engine::Position pos = addTopic(*ctx, "Gardening", 251000);
  Codes form = ctx->cod;
  Codes saved{};
  const SaveResult r = save(form, saved, kInsertRecord, 0);
  EXPECT_EQ(r.outcome, SaveOutcome::Blank);
  EXPECT_EQ(r.position, pos);

  // Two changes of the same form: the second is no conflict with the first.
  form.INDEX = "Roses";
  EXPECT_EQ(save(form, saved, kChangeRecord, pos).outcome, SaveOutcome::Ok);
  EXPECT_EQ(storedText(pos), "Roses");
  form.INDEX = "Tulips";
  EXPECT_EQ(save(form, saved, kChangeRecord, pos).outcome, SaveOutcome::Ok);
  EXPECT_EQ(storedText(pos), "Tulips");
  EXPECT_EQ(save(form, saved, 9, pos).outcome, SaveOutcome::Failed);
  EXPECT_EQ(save(form, saved, kDeleteRecord, pos).outcome, SaveOutcome::Ok);
  EXPECT_EQ(storedText(pos), "<gone>");
  EXPECT_EQ(queue.log, "insert Gardening@" + std::to_string(pos) +
                           ";redraw;update Roses;redraw;update Tulips;redraw;remove;redraw;");
  EXPECT_TRUE(ui.shown.empty());
}

TEST_F(UtilitiesTest, SaveRecRefusesAChangeMadeMeanwhileAndTheRetryWorks) {
  const engine::Position pos = addTopic(*ctx, "Gardening", 251000);
  Codes saved = ctx->cod;
  Codes form = saved;
  form.INDEX = "Mine";

  auto other = newContext();
  OP_CLOSE(*other, kOpOpen, {Codes::FileNo});
  ASSERT_EQ(other->fileOf<Codes>().getPosition(pos), Err::Ok);
  other->cod.INDEX = "Theirs";
  ASSERT_EQ(other->fileOf<Codes>().put(), Err::Ok);

  EXPECT_EQ(save(form, saved, kChangeRecord, pos).outcome, SaveOutcome::Blank);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.last().title, "Warning!");
  EXPECT_EQ(ui.last().text, "The record has just been changed by another user!\r\nTry again!");
  EXPECT_EQ(storedText(pos), "Theirs");
  EXPECT_EQ(form.INDEX.str(), "Theirs");
  EXPECT_EQ(queue.log, "update Theirs;redraw;");

  // The hold was released: the other user can hold it, and after it lets
  // go, the user's second attempt is stored.
  other->fileOf<Codes>().hold(0);
  ASSERT_EQ(other->fileOf<Codes>().getPosition(pos), Err::Ok);
  other->fileOf<Codes>().release();
  form.INDEX = "Mine again";
  EXPECT_EQ(save(form, saved, kChangeRecord, pos).outcome, SaveOutcome::Ok);
  EXPECT_EQ(storedText(pos), "Mine again");
}

TEST_F(UtilitiesTest, SaveRecFailuresWriteNothingAndKeepTheQueueTruthful) {
  const engine::Position pos = addTopic(*ctx, "Gardening", 251000);
  Codes saved = ctx->cod;
  addTopic(*ctx, "Cooking", 251001);

  // A change to a key another record has: UppDat reports, nothing changes.
  Codes form = saved;
  form.INDEX = "COOKING";
  EXPECT_EQ(save(form, saved, kChangeRecord, pos).outcome, SaveOutcome::Failed);
  EXPECT_EQ(ui.last().text, "Record update error!\r\nA record with identical key already exists!");
  EXPECT_EQ(storedText(pos), "Gardening");
  EXPECT_EQ(queue.log, "");
  EXPECT_EQ(form.INDEX.str(), "COOKING");  // the user's edit stays for another try

  // Held by another user: HoldRec says so, nothing is written.
  auto other = newContext();
  OP_CLOSE(*other, kOpOpen, {Codes::FileNo});
  other->fileOf<Codes>().hold(0);
  ASSERT_EQ(other->fileOf<Codes>().getPosition(pos), Err::Ok);
  form.INDEX = "Baking";
  EXPECT_EQ(save(form, saved, kDeleteRecord, pos).outcome, SaveOutcome::Failed);
  EXPECT_EQ(ui.last().text, "The record is locked by another user!\r\nUpdate is cancelled, try again later!");
  EXPECT_EQ(storedText(pos), "Gardening");
  EXPECT_EQ(queue.log, "");
}

TEST_F(UtilitiesTest, QErrorReportsBySeverityAndMode) {
  EXPECT_EQ(QError(*ctx, kReport, 0, ""), 0);
  EXPECT_EQ(QError(*ctx, kReport, 30, "Entry not found"), 0);
  EXPECT_TRUE(ui.shown.empty());

  struct Case {
    int code;
    const char* text;
    const char* title;
    const char* shown;
  };
  for (const Case& c : {Case{8, "", "Fatal error!", "Queue access error\r\nInsufficient memory!"},
                        Case{75, "", "Fatal error!", "Queue access error\r\nInvalid field type descriptor!"},
                        Case{33, "Record not available", "Warning!", "Queue access error\r\nRecord not available"}}) {
    EXPECT_EQ(QError(*ctx, kReport, c.code, c.text), 1) << c.code;
    EXPECT_EQ(ui.last().title, c.title) << c.code;
    EXPECT_EQ(ui.last().text, c.shown) << c.code;
  }

  // Mode 8 rolls back the running transaction.
  OP_CLOSE(*ctx, kOpOpen, {Codes::FileNo});
  ASSERT_EQ(ctx->session.logout(5, {&ctx->fileOf<Codes>()}), Err::Ok);
  EXPECT_EQ(QError(*ctx, kRollback, 8, ""), 1);
  EXPECT_FALSE(ctx->session.inTransaction());
  EXPECT_EQ(ui.last().title, "Fatal error");
  EXPECT_EQ(ui.last().text, "Queue access error\r\nInsufficient memory!\r\nThe last transaction is rolled back.");

  // Unattended: rolled back all the same, nothing shown; other modes: 1, silent.
  ui.clear();
  ctx->mem.DoTask = 6;
  ASSERT_EQ(ctx->session.logout(5, {&ctx->fileOf<Codes>()}), Err::Ok);
  EXPECT_EQ(QError(*ctx, kRollback, 40, "duplicate"), 1);
  EXPECT_FALSE(ctx->session.inTransaction());
  ctx->mem.DoTask = 0;
  EXPECT_EQ(QError(*ctx, 1, 8, ""), 1);
  EXPECT_TRUE(ui.shown.empty());
}

TEST_F(UtilitiesTest, SemaForeRunsRegisteredCodesOnly) {
  registerLibraryProcedures(lib);
  EXPECT_EQ(SemaFore(*ctx, 999), 0);
  lib.registerProcedure(900, [](Context& c) -> std::uint8_t { return static_cast<std::uint8_t>(c.mem.DoTask + 1); });
  ctx->mem.DoTask = 2;
  EXPECT_EQ(SemaFore(*ctx, 900), 3);
  ctx->mem.DoTask = 0;

  // 212 after a transaction start: fine, then one that could not start.
  OP_CLOSE(*ctx, kOpOpen, {Codes::FileNo});
  ASSERT_EQ(ctx->session.logout(5, {&ctx->fileOf<Codes>()}), Err::Ok);
  EXPECT_EQ(SemaFore(*ctx, kSemaTransactionCheck), 0);
  ASSERT_NE(ctx->session.logout(5, {&ctx->fileOf<Codes>()}), Err::Ok);  // one is running already
  const std::string why = ctx->session.errorText();
  EXPECT_EQ(SemaFore(*ctx, kSemaTransactionCheck), 1);
  EXPECT_FALSE(ctx->session.inTransaction());
  EXPECT_EQ(ui.last().title, "Warning!");
  EXPECT_EQ(ui.last().text, "Transaction Frame Error!\r\n" + why);
}

TEST_F(UtilitiesTest, SemaFore209ClearsTheRemovedDatabaseFromDefinitions) {
  registerLibraryProcedures(lib);
  OP_CLOSE(*ctx, kOpOpen, {BAT::FileNo});
  for (const auto [id, forum, mailbox] : {std::array<std::uint32_t, 3>{1, 300000, 300001},  // forum goes
                                          {2, 300002, 300000},                              // mailbox goes
                                          {3, 300002, 300001},
                                          {4, 0, 0}}) {
    ctx->bat = BAT{};
    ctx->bat.ID = id;
    ctx->bat.DATABASE = forum;
    ctx->bat.MAILBOX = mailbox;
    ctx->bat.FORUMMSG = ctx->bat.MAILMSG = ctx->bat.NEWSGROUPMSG = 1;
    ASSERT_EQ(ctx->fileOf<BAT>().add(), Err::Ok);
  }
  // "forum database/flag mailbox/flag newsgroup flag" of a definition.
  auto read = [&](std::uint32_t id) {
    ctx->bat.ID = id;
    EXPECT_EQ(ctx->fileOf<BAT>().get(BAT::IDKEY), Err::Ok);
    const BAT b = ctx->bat;
    return std::to_string(b.DATABASE) + "/" + std::to_string(b.FORUMMSG) + " " + std::to_string(b.MAILBOX) + "/" +
           std::to_string(b.MAILMSG) + " " + std::to_string(b.NEWSGROUPMSG);
  };

  // No active database: 0 means "none" in the definitions, nothing changes.
  ctx->mem.ForumNumber = 0;
  EXPECT_EQ(SemaFore(*ctx, kSemaClearDefinitions), 0);
  EXPECT_EQ(read(4), "0/1 0/1 1");

  ctx->mem.ForumNumber = 300000;
  EXPECT_EQ(SemaFore(*ctx, kSemaClearDefinitions), 0);
  EXPECT_EQ(read(1), "0/0 300001/1 1");
  EXPECT_EQ(read(2), "300002/1 0/0 1");
  EXPECT_EQ(read(3), "300002/1 300001/1 1");
  EXPECT_EQ(ctx->useCount[BAT::FileNo], 1u);  // ours still open, its own released
  EXPECT_TRUE(ui.shown.empty());
}

TEST_F(UtilitiesTest, StartStopCountsOverMidnightAndDays) {
  const std::int32_t day = dates::dayNumber(2024, 3, 9);
  StartStop(*ctx, kStopwatchStart, 1, day, dates::timeOf(23, 59, 59));
  EXPECT_EQ(StartStop(*ctx, kStopwatchStop, 1, day + 1, dates::timeOf(0, 0, 1)), 2);
  StartStop(*ctx, kStopwatchStart, 20, day, dates::timeOf(10, 0, 0));
  EXPECT_EQ(StartStop(*ctx, kStopwatchStop, 20, day, dates::timeOf(10, 1, 30, 99)), 90);
  EXPECT_EQ(StartStop(*ctx, kStopwatchStop, 20, day + 3, dates::timeOf(9, 0, 0)), 3 * 86400 - 3600);
  EXPECT_EQ(StartStop(*ctx, kStopwatchStop, 20, day - 1, dates::timeOf(9, 0, 0)), 0);  // clock set back

  // Out of range slots and unknown operations do nothing; clear forgets starts.
  for (int slot : {0, 21, -1, 1000}) EXPECT_EQ(StartStop(*ctx, kStopwatchStart, slot, day, 1), 0);
  EXPECT_EQ(StartStop(*ctx, kStopwatchClear, 0), 0);
  EXPECT_EQ(StartStop(*ctx, kStopwatchStop, 1, day + 1, 1), 0);
}

// Sets or clears the immutable attribute; false where the file system or
// the user's rights do not allow it.
bool setImmutable(const fs::path& p, bool on) {
  const int fd = ::open(p.c_str(), O_RDONLY);
  int flags = 0;
  bool ok = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
  ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  if (fd >= 0) ::close(fd);
  return ok;
}

void writeFile(const fs::path& p, std::size_t bytes) {
  std::ofstream out(p, std::ios::binary);
  out << std::string(bytes, 'x');
}

TEST_F(UtilitiesTest, DOSFuncRemovesFilesButNotOpenTables) {
  const fs::path dir = home.path() / "F1";
  OP_CLOSE(*ctx, kOpOpen, {Codes::FileNo});
  const fs::path table = ctx->fileOf<Codes>().name();
  writeFile(dir / "IDX003.tps", 10);
  writeFile(dir / "KEEP.DAT", 10);
  fs::create_directory(dir / "SUB.TPS");

  // An open table (in this or any process) is not removed.
  EXPECT_EQ(DOSFunc(*ctx, kDosRemoveFile, table.filename().string(), dir), 0);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.last().title, "File Deletion Error!");
  EXPECT_EQ(ui.last().text, "The file " + table.string() + " is open and cannot be removed");
  EXPECT_TRUE(fs::exists(table));

  ui.clear();
  EXPECT_EQ(DOSFunc(*ctx, kDosRemoveMask, "\\*.TPS", dir), 0);
  ASSERT_EQ(ui.shown.size(), 2u);
  EXPECT_EQ(ui.last().text, "One or more files have not been \r\nremoved in subdirectory " + dir.string());
  EXPECT_FALSE(fs::exists(dir / "IDX003.tps"));
  EXPECT_TRUE(fs::is_directory(dir / "SUB.TPS"));

  // Closed, it goes, with what the engine kept beside it.
  OP_CLOSE(*ctx, kOpRelease, {Codes::FileNo});
  ui.clear();
  EXPECT_EQ(DOSFunc(*ctx, kDosExists, "idx001.TPS", dir), 1);
  EXPECT_EQ(DOSFunc(*ctx, kDosRemoveMask, "*.TPS", dir), 1);
  EXPECT_FALSE(fs::exists(table));
  EXPECT_FALSE(fs::exists(table.string() + ".lck"));
  EXPECT_EQ(DOSFunc(*ctx, kDosExists, "*.TPS", dir), 0);
  EXPECT_EQ(DOSFunc(*ctx, kDosExists, "*.dat", dir), 1);
  EXPECT_EQ(DOSFunc(*ctx, kDosRemoveFile, "NOT-THERE.TXT", dir), 1);
  EXPECT_EQ(DOSFunc(*ctx, kDosRemoveMask, "\\", dir), 0);  // no mask: nothing to do, not "done"
  EXPECT_TRUE(ui.shown.empty());

  // A directory is never removed as a file.
  EXPECT_EQ(DOSFunc(*ctx, kDosRemoveFile, (dir / "SUB.TPS").string(), {}), 0);
  EXPECT_TRUE(fs::is_directory(dir / "SUB.TPS"));
}

TEST_F(UtilitiesTest, DOSFuncSaysWhenAccessIsDenied) {
  const fs::path dir = home.path() / "F1";
  const fs::path file = dir / "LOCKED.TXT";
  writeFile(file, 1);
  // Unprivileged: a directory without write permission; as root: an
  // immutable file, where the file system supports it.
  const bool root = ::geteuid() == 0;
  if (!root) fs::permissions(dir, fs::perms::owner_write, fs::perm_options::remove);
  if (root && !setImmutable(file, true)) GTEST_SKIP() << "cannot make a file unremovable here";
  EXPECT_EQ(DOSFunc(*ctx, kDosRemoveFile, "LOCKED.TXT", dir), 0);
  EXPECT_EQ(ui.last().text, "No access rights - the file " + file.string() + " cannot be removed");
  ui.clear();
  ctx->mem.DoTask = 2;
  EXPECT_EQ(DOSFunc(*ctx, kDosRemoveMask, "*.TXT", dir), 0);
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_TRUE(fs::exists(file));

  if (root)
    setImmutable(file, false);
  else
    fs::permissions(dir, fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(UtilitiesTest, GetFSizeAddsMatchingFilesAndCapsAtULongMax) {
  const fs::path dir = home.path() / "F1";
  writeFile(dir / "A.TXT", 100);
  writeFile(dir / "b.txt", 23);
  writeFile(dir / "C.DAT", 7);
  fs::create_directory(dir / "D.TXT");
  EXPECT_EQ(GetFSize(dir / "*.TXT"), 123u);
  EXPECT_EQ(GetFSize(dir / "c.dat"), 7u);
  EXPECT_EQ(GetFSize(dir / "*.NONE"), 0u);
  EXPECT_EQ(GetFSize(dir / "D.TXT"), 0u);
  EXPECT_EQ(GetFSize(home.path() / "missing" / "*.*"), 0u);
  std::error_code ec;
  fs::resize_file(dir / "C.DAT", 5'000'000'000ULL, ec);  // sparse
  if (!ec) {
    EXPECT_EQ(GetFSize(dir / "*.*"), 4294967295u);
  }
}

TEST(UtilitiesCalcMax, SmallestStepThatKeepsTheRange) {
  struct Case {
    double x;
    std::int32_t n;
    std::int16_t scaled;
  };
  for (const Case& c :
       {Case{70000, 3, 23333}, Case{0, 1, 0}, Case{32767, 1, 32767}, Case{32768, 2, 16384}, Case{65534, 2, 32767},
        Case{65535, 3, 21845}, Case{32767.0 * 7, 7, 32767}, Case{32767.0 * 7 + 0.5, 8, 28671}}) {
    const CalcMaxResult r = CalcMax(c.x);
    EXPECT_EQ(r.n, c.n) << c.x;
    EXPECT_EQ(r.scaled, c.scaled) << c.x;
  }
  EXPECT_EQ(CalcMax(std::nan("")).n, 1);
  EXPECT_EQ(CalcMax(1e300).scaled, 32767);
}

TEST_F(UtilitiesTest, CheckSpaceAsksWhenTooLittleIsFree) {
  const FreeSpaceQuery little = [](const fs::path&) { return std::optional<FreeSpace>({1'234'567, "/srv/data"}); };
  EXPECT_EQ(CheckSpace(*ctx, 1'234'567, "/x", little), 0);
  EXPECT_TRUE(ui.shown.empty());

  ui.answers = {kOk, kCancel};
  EXPECT_EQ(CheckSpace(*ctx, 5'000'000, "/x", little), 0);
  EXPECT_EQ(ui.beeps, 1);
  EXPECT_EQ(ui.last().title, "Warning");
  EXPECT_TRUE(ui.last().question);
  EXPECT_EQ(ui.last().text,
            "You have only     1,234,567 bytes free on disk /srv/data This may be too little for this process. "
            "Running out of diskspace may corrupt the currently accessed data file(s).Press OK if you want to "
            "continue and Cancel if you want to abort this process!");
  EXPECT_EQ(CheckSpace(*ctx, 5'000'000, "/x", little), 1);

  // Scheduled task: stop without asking. Free space unknown: no check.
  ui.clear();
  ctx->mem.DoTask = 2;
  EXPECT_EQ(CheckSpace(*ctx, 5'000'000, "/x", little), 1);
  ctx->mem.DoTask = 0;
  EXPECT_EQ(CheckSpace(*ctx, 5'000'000, "/x", [](const fs::path&) { return std::optional<FreeSpace>(); }), 0);
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(ui.beeps, 0);

  EXPECT_EQ(formatFreeBytes(0), "            0");
  EXPECT_EQ(formatFreeBytes(9'999'999'999), "9,999,999,999");
  EXPECT_EQ(formatFreeBytes(999'999'999'999), "999,999,999,999");  // wider than 13: not cut
  EXPECT_EQ(formatFreeBytes(12'345'678'901'234), "12,345,678,901,234");
}

TEST_F(UtilitiesTest, CheckSpaceAsksTheRealFileSystem) {
  EXPECT_EQ(CheckSpace(*ctx, 1, home.path()), 0);
  EXPECT_TRUE(ui.shown.empty());

  // A path not made yet counts on the file system of its nearest parent,
  // and the mount point is the top of that file system.
  const std::optional<FreeSpace> space = queryFreeSpace(home.path() / "not" / "made" / "yet");
  ASSERT_TRUE(space.has_value());
  EXPECT_GT(space->bytes, 0u);
  const fs::path here = fs::canonical(home.path());
  EXPECT_EQ(here.string().rfind(space->mountPoint.string(), 0), 0u) << space->mountPoint;
  struct stat top {
  }, inside{}, above{};
  ASSERT_EQ(::stat(space->mountPoint.c_str(), &top), 0);
  ASSERT_EQ(::stat(here.c_str(), &inside), 0);
  EXPECT_EQ(top.st_dev, inside.st_dev);
  if (space->mountPoint != space->mountPoint.root_path()) {
    ASSERT_EQ(::stat(space->mountPoint.parent_path().c_str(), &above), 0);
    EXPECT_NE(above.st_dev, top.st_dev);
  }
  EXPECT_FALSE(queryFreeSpace("").has_value());
}

}  // namespace
}  // namespace qv::test
