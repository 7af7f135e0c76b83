// The settings: loading with defaults, the identifier counter beside them,
// unknown items, directories, speed values and the Neo texts of the
// save-failure message.
#include "store/config.h"

#include <cstring>

#include "app/windows/window_layouts.h"
#include "store/config_records.h"
#include "store/config_store.h"
#include "store/dates.h"
#include "store/dispatcher.h"
#include "store/halt.h"
#include "store/records.h"
#include "tests/store/config_fixture.h"

namespace qv::test {
namespace {

std::string clipped(const std::string& s) { return std::string(clip(s)); }

TEST_F(ConfigTest, FreshInstallationGetsTheDefaultsWrittenAtOnce) {
  ASSERT_EQ(loadSettings(*ctx), 1);
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(general(kItemLocatorDelay), 15);
  EXPECT_EQ(general(kItemDateFormat), 17);
  EXPECT_EQ(general(kItemTimeFormat), 7);
  EXPECT_EQ(general(kItemImportFormat), 17);
  EXPECT_EQ(general(kItemTreeItemFormat), 2);
  EXPECT_EQ(general(kItemExportNews), 5);
  EXPECT_EQ(display(kItemMessagePersons), 2);
  EXPECT_EQ(display(kItemMailPersons), 2);
  EXPECT_EQ(display(kItemReadOnlyColour), 12632256);
  EXPECT_EQ(display(58), 78);
  for (int item = kItemSpeedDuplicates; item <= kItemSpeedImport; ++item) EXPECT_EQ(display(item), 4) << item;
  const std::int32_t expected[] = {500, 275, 10, 10, 50, 25};
  for (int kind = 26; kind <= 31; ++kind) EXPECT_EQ(SpeedVal(*ctx, 3, kind), expected[kind - 26]) << kind;
  std::int32_t size = 0;
  std::string face;
  ASSERT_EQ(Konfig(*ctx, kKonfigGetDisplay, kItemTextFont, size, 0, face), 1);
  EXPECT_EQ(face, "Arial");
  EXPECT_EQ(size, 8);

  // The record was created with the counter at the floor and the defaults
  // in place of its zeros.
  EXPECT_EQ(NextNr(*ctx), 250000u);
  config::Image stored{};
  ASSERT_EQ(config::readRecord(*ctx, 1, stored), config::Read::Found);
  EXPECT_EQ(config::readInt32(stored, config::generalItem(kItemLocatorDelay)->offset), 15);
  ASSERT_EQ(config::readRecord(*ctx, 9, stored), config::Read::Found);
  EXPECT_EQ(config::readInt32(stored, config::displayItem(kItemSpeedImport)->offset), 4);

  // The texts of the save-failure message are there.
  EXPECT_EQ(clipped(CallNeo(*ctx, kNeoSaveErrorTitle)), "Configuration Save Error");
  EXPECT_EQ(CallNeo(*ctx, kNeoSaveErrorText).size(), 100u);
  EXPECT_EQ(CallNeo(*ctx, 99), std::string(100, ' '));
}

TEST_F(ConfigTest, LocatorDelayOutsideItsRangeBehavesAsFifteen) {
  ASSERT_EQ(setGeneral(kItemLocatorDelay, 40), 1);
  EXPECT_EQ(locatorDelay(*ctx), 15);
  std::int32_t v = 0;
  std::string t;
  ASSERT_EQ(Konfig(*ctx, kKonfigSaveGeneral, 0, v, 0, t), 1);
  Restart again(home.path());
  ASSERT_EQ(loadSettings(*again.ctx), 1);
  EXPECT_EQ(locatorDelay(*again.ctx), 15);
  ASSERT_EQ(setGeneral(kItemLocatorDelay, 35), 1);
  EXPECT_EQ(locatorDelay(*ctx), 35);
  ASSERT_EQ(setGeneral(kItemLocatorDelay, -3), 1);
  EXPECT_EQ(locatorDelay(*ctx), 15);
}

TEST_F(ConfigTest, UnknownItemsAskWhetherToEndAndChangeNothing) {
  ASSERT_EQ(loadSettings(*ctx), 1);
  const config::Image before = config::readImage(*ctx, 1, [](const config::Image& i) { return i; });
  for (int item : {1, 70}) {
    ui.clear();
    EXPECT_EQ(setGeneral(item, 5), 0);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_TRUE(ui.last().question);
    EXPECT_EQ(ui.last().text, "Internal Error - invalid xType =" + std::to_string(item) + "\r\nEnd the program?");
  }
  EXPECT_EQ(config::readImage(*ctx, 1, [](const config::Image& i) { return i; }), before);

  // The other procedures give the same message; Yes ends the program.
  std::filesystem::path p = "/tmp";
  EXPECT_EQ(AutoPath(*ctx, kAutoPathSet, 20, 0, p), 0);
  EXPECT_EQ(ui.last().text.rfind("Internal Error - invalid xType =20\r\n", 0), 0u);
  EXPECT_EQ(SpeedVal(*ctx, 3, 25), 0);
  WindowPlace place;
  EXPECT_EQ(WindowPos(*ctx, kLayoutRead, 32, place), 0);
  EXPECT_EQ(ui.last().text.rfind("Internal Error - invalid xType =32\r\n", 0), 0u);
  ui.answers.push_back(kYes);
  EXPECT_THROW(setDisplay(31, 1), Halt);
  // Unattended, the safe answer goes on without asking.
  ui.clear();
  ctx->mem.DoTask = 2;
  EXPECT_EQ(setGeneral(70, 5), 0);
  EXPECT_TRUE(ui.shown.empty());
}

TEST_F(ConfigTest, CounterIsFlooredOnLoadAndNeverMovedBackBySaves) {
  setStoredCounter(3);
  ASSERT_EQ(loadSettings(*ctx), 1);
  EXPECT_EQ(NextNr(*ctx), 250000u);
  EXPECT_EQ(general(kItemLocatorDelay), 15);  // NextNr's record had no settings yet

  // Identifiers drawn by another thread between load and save survive it.
  auto other = newContext();
  EXPECT_EQ(NextNr(*other), 250001u);
  EXPECT_EQ(NextNr(*other), 250002u);
  ASSERT_EQ(setGeneral(kItemStartDatabase, 250001), 1);
  std::int32_t v = 0;
  std::string t;
  ASSERT_EQ(Konfig(*ctx, kKonfigSaveGeneral, 0, v, 0, t), 1);
  EXPECT_EQ(NextNr(*other), 250003u);
  Restart again(home.path());
  ASSERT_EQ(loadSettings(*again.ctx), 1);
  EXPECT_EQ(generalSetting(*again.ctx, kItemStartDatabase), 250001);
}

TEST_F(ConfigTest, CounterAboveTheFloorIsKeptOnLoad) {
  setStoredCounter(300000);
  ASSERT_EQ(loadSettings(*ctx), 1);
  EXPECT_EQ(NextNr(*ctx), 300000u);
}

TEST_F(ConfigTest, SettingsSurviveARestart) {
  ASSERT_EQ(loadSettings(*ctx), 1);
  ASSERT_EQ(setGeneral(kItemDateFormat, 6), 1);
  ASSERT_EQ(setDisplay(kItemTabColour, 0), 1);  // black, not "the default colour"
  ASSERT_EQ(setDisplay(kItemListFont, 10, "Courier New"), 1);
  ASSERT_EQ(setDisplay(kItemSpeedImport, 7), 1);
  std::string importPath = "/srv/old mail";
  std::int32_t v = 0;
  ASSERT_EQ(Konfig(*ctx, kKonfigSetImportPath, kItemImportPath, v, 0, importPath), 1);
  ASSERT_EQ(setDir(kItemDataDir, "/srv/quorvel/data/"), 1);
  std::string t;
  for (int op : {kKonfigSaveGeneral, kKonfigSaveDisplay, kKonfigSaveImportPath})
    ASSERT_EQ(Konfig(*ctx, op, 0, v, 0, t), 1);
  std::filesystem::path none;
  ASSERT_EQ(AutoPath(*ctx, kAutoPathSave, 0, 0, none), 1);

  Restart again(home.path());
  Context& c = *again.ctx;
  ASSERT_EQ(loadSettings(c), 1);
  EXPECT_EQ(generalSetting(c, kItemDateFormat), 6);
  EXPECT_EQ(displaySetting(c, kItemTabColour), 0);
  EXPECT_EQ(SpeedVal(c, 3, 30), 100);
  EXPECT_EQ(SpeedVal(c, 3, 31), 50);
  std::string face;
  ASSERT_EQ(Konfig(c, kKonfigGetDisplay, kItemListFont, v, 0, face), 1);
  EXPECT_EQ(face, "Courier New");
  EXPECT_EQ(v, 10);
  ASSERT_EQ(Konfig(c, kKonfigGetImportPath, kItemImportPath, v, 0, t), 1);
  EXPECT_EQ(t, "/srv/old mail");
  std::filesystem::path p;
  ASSERT_EQ(AutoPath(c, kAutoPathGet, kItemDataDir, 0, p), 1);
  EXPECT_EQ(p, "/srv/quorvel/data");
}

TEST_F(ConfigTest, DirectoriesDefaultToTheDataHomeAndAreNeverCut) {
  std::filesystem::path none;
  ASSERT_EQ(AutoPath(*ctx, kAutoPathLoad, 0, 0, none), 1);
  EXPECT_EQ(dir(kItemTempDir), home.path() / "TEMP");
  EXPECT_EQ(dir(kItemDataDir), home.path());
  EXPECT_EQ(dir(kItemIndexDir), home.path());
  // The word-index directory follows the database directory until set apart.
  ASSERT_EQ(setDir(kItemDataDir, "/srv/data"), 1);
  EXPECT_EQ(dir(kItemIndexDir), "/srv/data");
  ASSERT_EQ(setDir(kItemIndexDir, "/srv/index"), 1);
  ASSERT_EQ(setDir(kItemDataDir, "/srv/data2"), 1);
  EXPECT_EQ(dir(kItemIndexDir), "/srv/index");

  // The three share 254 bytes: "/srv/data2" and "/srv/index" take 20.
  const std::string fits = "/" + std::string(233, 'a');
  ASSERT_EQ(setDir(kItemTempDir, fits), 1);
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(setDir(kItemTempDir, fits + "b"), 0);
  EXPECT_EQ(ui.last().text, "The directory " + fits + "b cannot be stored: it has 235 characters, and the "
                            "directory settings have room for 234.");
  EXPECT_EQ(dir(kItemTempDir), fits);
  EXPECT_EQ(setDir(kItemTempDir, "relative/temp"), 0);
  EXPECT_EQ(dir(kItemTempDir), fits);
  ASSERT_EQ(setDir(kItemTempDir, ""), 1);  // back to the default
  EXPECT_EQ(dir(kItemTempDir), home.path() / "TEMP");

  // A caller's field too small for the path gets nothing rather than a cut path.
  std::filesystem::path p = "unchanged";
  EXPECT_EQ(AutoPath(*ctx, kAutoPathGet, kItemDataDir, 5, p), 0);
  EXPECT_EQ(p, "unchanged");

  // The import path holds 254 characters.
  std::string longPath(255, 'x');
  std::int32_t v = 0;
  EXPECT_EQ(Konfig(*ctx, kKonfigSetImportPath, kItemImportPath, v, 0, longPath), 0);
  longPath.pop_back();
  EXPECT_EQ(Konfig(*ctx, kKonfigSetImportPath, kItemImportPath, v, 0, longPath), 1);
}

TEST_F(ConfigTest, SpeedValuesFollowTheChoices) {
  ASSERT_EQ(loadSettings(*ctx), 1);
  for (auto [item, choice] : {std::pair{26, 1}, {27, 7}, {28, 9}, {29, 2}, {30, 6}})
    ASSERT_EQ(setDisplay(item, choice), 1);
  ASSERT_EQ(SpeedVal(*ctx, 2, 0), 1);
  const std::int32_t expected[] = {50, 700, 4, 3, 85, 50};
  for (int kind = 26; kind <= 31; ++kind) EXPECT_EQ(SpeedVal(*ctx, 3, kind), expected[kind - 26]) << kind;
  // An import choice outside 1-7 leaves the reading speed as it was.
  ASSERT_EQ(setDisplay(30, 8), 1);
  ASSERT_EQ(SpeedVal(*ctx, 2, 0), 1);
  EXPECT_EQ(SpeedVal(*ctx, 3, 30), 4);
  EXPECT_EQ(SpeedVal(*ctx, 3, 31), 50);
}

TEST_F(ConfigTest, DateAndTimeFormatsGiveNameAndPicture) {
  ASSERT_EQ(loadSettings(*ctx), 1);
  std::string name;
  int picture = 0;
  EXPECT_EQ(SetDate(*ctx, name, picture), 17);
  EXPECT_EQ(name, "Windows setting");
  ASSERT_EQ(setGeneral(kItemDateFormat, 6), 1);
  EXPECT_EQ(SetDate(*ctx, name, picture), 6);
  EXPECT_EQ(name, "dd-mm-yyyy");
  EXPECT_EQ(dates::formatDate(dates::dayNumber(2024, 3, 9), picture), "09-03-2024");
  ASSERT_EQ(setGeneral(kItemTimeFormat, 3), 1);
  EXPECT_EQ(SetTime(*ctx, name, picture), 3);
  EXPECT_EQ(name, "hh:mmXM");
  EXPECT_EQ(dates::formatTime(dates::timeOf(19, 30, 0), picture), "07:30PM");
}

TEST_F(ConfigTest, FailedSaveShowsTheNeoTextsAndKeepsTheSettings) {
  // An installation's own texts are used and not replaced.
  OP_CLOSE(*ctx, kOpOpen, {Neo::FileNo});
  ctx->neo = Neo{};
  ctx->neo.ID = kNeoSaveErrorTitle;
  std::memset(ctx->neo.NEOFIELD, ' ', sizeof ctx->neo.NEOFIELD);
  std::memcpy(ctx->neo.NEOFIELD, "Not saved", 9);
  ASSERT_EQ(ctx->fileOf<Neo>().add(), engine::Err::Ok);
  OP_CLOSE(*ctx, kOpRelease, {Neo::FileNo});
  ASSERT_EQ(loadSettings(*ctx), 1);

  auto blocker = newContext();
  OP_CLOSE(*blocker, kOpOpenExclusive, {Control::FileNo});
  ASSERT_EQ(setGeneral(kItemTreeItemFormat, 4), 1);
  std::int32_t v = 0;
  std::string t;
  EXPECT_EQ(Konfig(*ctx, kKonfigSaveGeneral, 0, v, 0, t), 0);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.last().title, "Not saved");
  EXPECT_EQ(ui.last().text, config::kSaveErrorText);
  EXPECT_EQ(general(kItemTreeItemFormat), 4);

  OP_CLOSE(*blocker, kOpRelease, {Control::FileNo});
  ASSERT_EQ(Konfig(*ctx, kKonfigSaveGeneral, 0, v, 0, t), 1);
  Restart again(home.path());
  ASSERT_EQ(loadSettings(*again.ctx), 1);
  EXPECT_EQ(generalSetting(*again.ctx, kItemTreeItemFormat), 4);
}

TEST_F(ConfigTest, ChangesBeforeTheLoadDoNotSaveDefaultsOverStoredSettings) {
  ASSERT_EQ(loadSettings(*ctx), 1);
  ASSERT_EQ(setGeneral(kItemDateFormat, 10), 1);
  std::int32_t v = 0;
  std::string t;
  ASSERT_EQ(Konfig(*ctx, kKonfigSaveGeneral, 0, v, 0, t), 1);

  // A second process changes one item and saves without loading first.
  Restart again(home.path());
  Context& c = *again.ctx;
  v = 3;
  ASSERT_EQ(Konfig(c, kKonfigSetGeneral, kItemTimeFormat, v, 0, t), 1);
  ASSERT_EQ(Konfig(c, kKonfigSaveGeneral, 0, v, 0, t), 1);
  Restart third(home.path());
  ASSERT_EQ(loadSettings(*third.ctx), 1);
  EXPECT_EQ(generalSetting(*third.ctx, kItemDateFormat), 10);
  EXPECT_EQ(generalSetting(*third.ctx, kItemTimeFormat), 3);
}

TEST_F(ConfigTest, TextsThatDoNotFitAreRefusedNotCut) {
  ASSERT_EQ(loadSettings(*ctx), 1);
  EXPECT_EQ(setDisplay(kItemTreeFont, 9, std::string(21, 'T')), 0);
  EXPECT_EQ(ui.last().kind, MessageKind::Warning);
  ASSERT_EQ(setDisplay(kItemTreeFont, 9, std::string(20, 'T')), 1);
  std::int32_t size = 0;
  std::string face = "unchanged";
  EXPECT_EQ(Konfig(*ctx, kKonfigGetDisplay, kItemTreeFont, size, 19, face), 0);
  EXPECT_EQ(face, "unchanged");
  ASSERT_EQ(Konfig(*ctx, kKonfigGetDisplay, kItemTreeFont, size, 20, face), 1);
  EXPECT_EQ(face, std::string(20, 'T'));
  EXPECT_EQ(size, 9);
}

TEST_F(ConfigTest, DamagedDirectoryRecordIsReadWithinItsBytes) {
  config::Image damaged;
  damaged.fill(0xFF);  // every length byte claims more than is left
  const config::StoredPaths paths = config::decodePaths(damaged);
  EXPECT_EQ(paths[0].size(), 255u);  // the group's last byte is the next length
  EXPECT_TRUE(paths[1].empty());
  EXPECT_TRUE(paths[2].empty());
}

}  // namespace
}  // namespace qv::test
