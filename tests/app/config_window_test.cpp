// The configuration window's model: values as text, their rules, saving.
#include "app/windows/config_window.h"

#include <string>

#include "app/windows/window_layouts.h"
#include "store/config.h"
#include "store/dates.h"
#include "tests/store/config_fixture.h"

namespace qv::test {
namespace {

using ConfigWindowTest = ConfigTest;

TEST_F(ConfigWindowTest, ValidatesStoresAndSaves) {
  ASSERT_EQ(loadSettings(*ctx), 1);
  ASSERT_EQ(loadWindowLayouts(*ctx), 1);
  ConfigWindow w(*ctx);
  ASSERT_NE(w.find("start-database"), nullptr);
  EXPECT_EQ(w.find("start-database")->description, "Deafult Forum to show at startup");
  EXPECT_EQ(w.find("locator-delay")->description, "Delay after last keypress until locator string is reset");
  EXPECT_EQ(w.value("locator-delay"), "15");
  EXPECT_EQ(w.value("date-format"), "Windows setting");
  EXPECT_EQ(w.value("read-only-colour"), "#C0C0C0");
  EXPECT_EQ(w.value("keep-colour"), "#000080");
  EXPECT_EQ(w.value("list-font"), "Arial,8");
  EXPECT_EQ(w.value("task-period"), "none");
  EXPECT_EQ(w.value("next-id"), "250000");

  EXPECT_NE(w.set("locator-delay", "36"), "");
  EXPECT_NE(w.set("locator-delay", "1O"), "");
  EXPECT_NE(w.set("next-id", "1"), "");
  EXPECT_NE(w.set("list-font", "A typeface name far too long,8"), "");
  EXPECT_NE(w.set("temp-dir", "/" + std::string(300, 't')), "");
  EXPECT_NE(w.set("task-period", "24:00-06:00"), "");
  EXPECT_FALSE(w.changed());

  for (auto [key, text] : {std::pair{"locator-delay", "20"},
                           {"date-format", "DD-MM-YYYY"},
                           {"tool-tips", "no"},
                           {"tab-colour", "#000000"},
                           {"list-font", "Courier New,10"},
                           {"task-period", "22:00-06:30"},
                           {"speed-import", "7"},
                           {"index-dir", "/srv/index"},
                           {"reset-windows", "yes"}})
    ASSERT_EQ(w.set(key, text), "") << key;
  WindowPlace place{1, 2, 3, 4};
  ASSERT_EQ(WindowPos(*ctx, kLayoutStore, 5, place), 1);
  ASSERT_EQ(w.save(), 1);
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(SpeedVal(*ctx, 3, 30), 100);
  EXPECT_EQ(WindowPos(*ctx, kLayoutRead, 5, place), 0);

  Restart again(home.path());
  ASSERT_EQ(loadSettings(*again.ctx), 1);
  ConfigWindow reloaded(*again.ctx);
  EXPECT_EQ(generalSetting(*again.ctx, kItemToolTips), 2);
  EXPECT_EQ(reloaded.value("locator-delay"), "20");
  EXPECT_EQ(reloaded.value("date-format"), "dd-mm-yyyy");
  EXPECT_EQ(reloaded.value("tab-colour"), "#000000");
  EXPECT_EQ(reloaded.value("list-font"), "Courier New,10");
  EXPECT_EQ(reloaded.value("task-period"), "22:00-06:30");
  EXPECT_EQ(reloaded.value("index-dir"), "/srv/index");
  EXPECT_EQ(reloaded.value("reset-windows"), "no");
}

TEST_F(ConfigWindowTest, ValuesMeanWhatTheSettingsMean) {
  ASSERT_EQ(loadSettings(*ctx), 1);
  ConfigWindow w(*ctx);
  // Colours are written red first; the settings keep red in the low byte.
  ASSERT_EQ(w.set("delete-colour", "#FF8000"), "");
  // The import date order: a stored 0 is month-day-year.
  EXPECT_EQ(w.value("import-date-format"), "mmddyy");
  ASSERT_EQ(w.set("import-date-format", "yymmdd"), "");
  ASSERT_EQ(w.set("task-period", "07:05-19:30"), "");
  ASSERT_EQ(w.save(), 1);
  EXPECT_EQ(display(kItemDeleteColour), 0x0080FF);
  EXPECT_EQ(display(kItemImportDateOrder), 3);
  EXPECT_EQ(display(kItemTaskPeriodStart), dates::timeOf(7, 5, 0));
  EXPECT_EQ(display(kItemTaskPeriodEnd), dates::timeOf(19, 30, 0));
}

TEST_F(ConfigWindowTest, MeasuresTheDirectoriesTogether) {
  ASSERT_EQ(loadSettings(*ctx), 1);
  ConfigWindow w(*ctx);
  const std::string longDir = "/" + std::string(199, 'd');
  const std::string mid = "/" + std::string(99, 'm');
  ASSERT_EQ(w.set("data-dir", longDir), "");
  EXPECT_NE(w.set("temp-dir", mid), "");  // 200 + 100 > 254
  ASSERT_EQ(w.set("data-dir", "/srv/d"), "");
  ASSERT_EQ(w.set("temp-dir", mid), "");
  ASSERT_EQ(w.save(), 1);
  EXPECT_EQ(dir(kItemTempDir), mid);
  EXPECT_EQ(dir(kItemDataDir), "/srv/d");
  EXPECT_EQ(dir(kItemIndexDir), "/srv/d");  // still following the database directory
}

TEST_F(ConfigWindowTest, SaveFailureIsShownOnce) {
  ASSERT_EQ(loadSettings(*ctx), 1);
  ConfigWindow w(*ctx);
  ASSERT_EQ(w.set("speed-purge", "1"), "");
  ASSERT_EQ(w.set("import-path", "/srv/in"), "");
  auto blocker = newContext();
  OP_CLOSE(*blocker, kOpOpenExclusive, {Control::FileNo});
  EXPECT_EQ(w.save(), 0);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.last().title, "Configuration Save Error");
  // In effect in memory all the same, the speed values included.
  EXPECT_EQ(SpeedVal(*ctx, 3, 27), 50);
  OP_CLOSE(*blocker, kOpRelease, {Control::FileNo});
  EXPECT_EQ(w.save(), 1);
}

}  // namespace
}  // namespace qv::test
