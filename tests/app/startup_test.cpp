// Program start-up, the active database and shutdown.
#include <gtest/gtest.h>

#include "app/application.h"
#include "app/windows/window_layouts.h"
#include "store/config.h"
#include "store/database_list.h"
#include "store/halt.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace qv::test {
namespace {

using app::Application;

class StartupTest : public ::testing::Test {
 protected:
  std::unique_ptr<Application> start() {
    auto a = std::make_unique<Application>(ui);
    a->start(home.path());
    return a;
  }
  bool shown(const std::string& title) const {
    for (const auto& s : ui.shown)
      if (s.title == title) return true;
    return false;
  }
  static void setVersion(Context& ctx, std::int32_t v) {
    std::string unused;
    ASSERT_EQ(Konfig(ctx, kKonfigSetGeneral, kItemProgramVersion, v, 0, unused), 1);
    ASSERT_EQ(Konfig(ctx, kKonfigSaveGeneral, 0, v, 0, unused), 1);
  }

  TempDir home;
  RecordingUi ui;
};

TEST_F(StartupTest, FirstStartCreatesTheInstallationWithoutUpgradeMessage) {
  auto a = start();
  EXPECT_FALSE(a->existingInstallation());
  EXPECT_TRUE(std::filesystem::is_directory(home.path() / "CFG"));
  EXPECT_TRUE(std::filesystem::is_directory(home.path() / "TEMP"));
  EXPECT_TRUE(std::filesystem::exists(home.path() / "CFG" / "IDX008.TPS"));
  EXPECT_FALSE(shown("Upgrading to version 4.70"));
  EXPECT_EQ(generalSetting(a->ctx(), kItemProgramVersion), 470);
  EXPECT_EQ(a->ctx().mem.FileDir, home.path());
  EXPECT_EQ(a->ctx().mem.TempDir, home.path() / "TEMP");
  EXPECT_EQ(a->ctx().MasIdxPath, home.path());
  EXPECT_EQ(a->ctx().mem.ForumNumber, 0u);
  EXPECT_EQ(a->frameTitle(), "Quorvel - [No Active Database]");
  // The frame is registered and hears of finished imports.
  const app::WindowId frame = a->windows().TmGetId(app::windows::kFrameGroup, app::windows::kFrame);
  ASSERT_NE(frame, 0u);
  a->importFinished();
  ASSERT_EQ(a->windows().takeEvents(frame).size(), 1u);
  // The scheduler's count of work windows is lowered once, never below 0.
  EXPECT_EQ(a->lib().workWindows.load(), 0);
  a->lib().workWindows = 2;
  a->lowerWorkWindows();
  EXPECT_EQ(a->lib().workWindows.load(), 1);
  a.reset();
  // The next start is an existing installation of the current version.
  ui.clear();
  a = start();
  EXPECT_TRUE(a->existingInstallation());
  EXPECT_FALSE(shown("Upgrading to version 4.70"));
}

TEST_F(StartupTest, StoredVersionBelow430ResetsWindowLayouts) {
  for (const std::int32_t version : {429, 430}) {
    {
      auto a = start();
      WindowPlace place{10, 20, 300, 200};
      ASSERT_EQ(WindowPos(a->ctx(), kLayoutStore, 3, place), 1);
      setVersion(a->ctx(), version);
    }
    ui.clear();
    auto a = start();
    WindowPlace place;
    const bool kept = WindowPos(a->ctx(), kLayoutRead, 3, place) == 1 && place.width == 300;
    if (version == 429) {
      ASSERT_TRUE(shown("Upgrading to version 4.70"));
      EXPECT_EQ(ui.shown.front().text,
                "This new version needs new default values! All window positions, window sizes and list box column "
                "widths will be reset to default!");
      EXPECT_FALSE(kept);
    } else {
      EXPECT_FALSE(shown("Upgrading to version 4.70"));
      EXPECT_TRUE(kept);
    }
    EXPECT_EQ(generalSetting(a->ctx(), kItemProgramVersion), 470);
  }
}

TEST_F(StartupTest, ActivationPublishesTheDatabaseUnlessItsDirectoryIsGone) {
  auto a = start();
  ASSERT_TRUE(AddForumDatabase(a->ctx(), "Computer Club"));
  const std::uint32_t club = a->ctx().for_.ID;
  ASSERT_TRUE(AddForumDatabase(a->ctx(), "Lost Forum"));
  const std::uint32_t lost = a->ctx().for_.ID;
  std::filesystem::remove_all(home.path() / "F2");

  ASSERT_TRUE(a->activate(club));
  EXPECT_EQ(a->ctx().mem.ForumNumber, club);
  EXPECT_EQ(a->ctx().mem.Dirnamn, "F1");
  EXPECT_EQ(a->ctx().mem.ForumType, 1);
  EXPECT_EQ(a->frameTitle(), "Quorvel - Computer Club");
  EXPECT_EQ(a->personsMenu().front(), "&Browse Forum Members");
  // A new thread of work starts on it.
  Context other(a->lib());
  EXPECT_EQ(other.mem.ForumNumber, club);

  const MemGroup before = a->ctx().mem;
  EXPECT_FALSE(a->activate(lost));
  EXPECT_FALSE(a->activate(424242));
  EXPECT_EQ(a->ctx().mem.ForumNumber, before.ForumNumber);
  EXPECT_EQ(a->ctx().mem.Dirnamn, before.Dirnamn);
  EXPECT_EQ(a->ctx().mem.Description, before.Description);

  // The database the configuration names is activated at start-up.
  std::int32_t id = static_cast<std::int32_t>(club);
  std::string unused;
  Konfig(a->ctx(), kKonfigSetGeneral, kItemStartDatabase, id, 0, unused);
  Konfig(a->ctx(), kKonfigSaveGeneral, 0, id, 0, unused);
  a.reset();
  a = start();
  EXPECT_EQ(a->ctx().mem.ForumNumber, club);
}

TEST_F(StartupTest, NoExitWhileIndexing) {
  auto a = start();
  a->lib().IndexingInProgress = 1;
  EXPECT_FALSE(a->requestShutdown());
  EXPECT_EQ(ui.last().title, "Exit Not Allowed");
  EXPECT_EQ(ui.last().text, "You May NOT Exit until Indexing Is Done.\r\nThis is to Avoid Corruption.");
  EXPECT_EQ(a->windows().TmCreate(app::windows::kNotToolsGroup, app::windows::kBrowseMsgNmbr) != 0, true);
  a->lib().IndexingInProgress = 0;
  EXPECT_TRUE(a->requestShutdown());
  // Every open window was asked to close.
  const app::WindowId id = a->windows().TmGetId(app::windows::kNotToolsGroup, app::windows::kBrowseMsgNmbr);
  const auto events = a->windows().takeEvents(id);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events.front().kind, app::WindowEventKind::Close);
}

TEST_F(StartupTest, AMissingDataDirectoryIsAskedForAgain) {
  const std::filesystem::path data = home.path() / "archive";
  std::filesystem::create_directories(data);
  {
    auto a = start();
    std::filesystem::path p = data;
    ASSERT_EQ(AutoPath(a->ctx(), kAutoPathSet, kItemDataDir, 0, p), 1);
    ASSERT_EQ(AutoPath(a->ctx(), kAutoPathSave, 0, 0, p), 1);
  }
  std::filesystem::remove(data);
  const std::filesystem::path moved = home.path() / "moved";
  std::filesystem::create_directories(moved);
  ui.clear();
  ui.texts = {std::string((home.path() / "nowhere").string()), std::string(moved.string())};
  auto a = start();
  EXPECT_EQ(a->ctx().mem.FileDir, moved);
  ASSERT_GE(ui.shown.size(), 4u);
  EXPECT_EQ(ui.shown[0].title, "Path not found!");
  EXPECT_EQ(ui.shown[0].text, "The path to your data files cannot be found!\r\nUpdate file path on next screen\r\n");
  EXPECT_EQ(ui.shown[1].title, " Path to database files");
  EXPECT_EQ(ui.shown[2].text, "This path does not exist!\r\nPlease enter a valid path\r\n");
  a.reset();
  // Saved: the next start goes there without asking.
  ui.clear();
  a = start();
  EXPECT_EQ(a->ctx().mem.FileDir, moved);
  EXPECT_FALSE(shown("Path not found!"));
  a.reset();
  // Giving up ends the program.
  std::filesystem::remove(moved);
  ui.clear();
  EXPECT_THROW(start(), Halt);
}

}  // namespace
}  // namespace qv::test
