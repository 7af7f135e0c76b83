// The purge, count and duplicate-person windows over the sample databases:
// a thread marked Delete in the browse is gone after a purge, with the
// figures of the run; a count and a duplicate elimination show theirs.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <filesystem>

#include "app/gui/browse_model.h"
#include "app/gui/browse_window.h"
#include "app/gui/purge_window.h"
#include "maintenance/purge_mess.h"
#include "tests/gui/gui_fixture.h"

namespace qv::test {
namespace {

using maintenance::PurgeMode;

TEST_F(GuiTest, PurgingAThreadMarkedDeleteRemovesItsLinesFromTheBrowse) {
  withSampleDatabases();
  startFrame();
  gui::BrowseWindow* browse = frame->openBrowse();
  ASSERT_NE(browse, nullptr);
  ASSERT_TRUE(browse->goTo(412345));
  browse->changeStatus(browse::StatusTarget::Thread, Status::Delete);

  gui::PurgeWindow* purge = frame->openPurge(PurgeMode::Purge);
  ASSERT_NE(purge, nullptr);
  EXPECT_EQ(purge->windowTitle(), " Message Purging ");
  EXPECT_EQ(purge->startButton()->text(), "Start the purging process");
  EXPECT_TRUE(purge->agedBox()->isVisibleTo(purge));
  // Ticked with 0 weeks: 999 weeks; unticked: none, and the field disabled.
  purge->agedBox()->setChecked(true);
  EXPECT_EQ(purge->weeksBox()->value(), 999);
  purge->agedBox()->setChecked(false);
  EXPECT_EQ(purge->weeksBox()->value(), 0);
  EXPECT_FALSE(purge->weeksBox()->isEnabled());

  purge->startButton()->click();
  EXPECT_TRUE(purge->endButton()->isVisibleTo(purge));
  EXPECT_FALSE(purge->startButton()->isVisibleTo(purge));
  const QStringList figures = purge->figures();
  EXPECT_TRUE(figures.contains("Messages before purging\t5")) << figures.join("|").toStdString();
  EXPECT_TRUE(figures.contains("Deleted during this session\t3"));
  EXPECT_TRUE(figures.contains("Messages after purging\t2"));
  EXPECT_TRUE(figures.contains("Number of messages:\t2"));
  EXPECT_TRUE(figures.contains("Number of threads:\t2"));
  EXPECT_EQ(purge->countPanel()->title(), "Message Counting");

  // The open browse read its lines again: the thread is gone.
  ASSERT_EQ(browse->model()->rowCount(), 2);
  EXPECT_FALSE(browse->model()->rowOf(412345).has_value());
  EXPECT_FALSE(browse->model()->rowOf(412360).has_value());
  EXPECT_TRUE(browse->model()->rowOf(440000).has_value());

  // The register brings the open window forward instead of a second one.
  EXPECT_EQ(frame->openPurge(PurgeMode::Purge), purge);
}

TEST_F(GuiTest, CountingAMailDatabaseShowsItsPanelWithoutTheAgedOption) {
  withSampleDatabases();
  startFrame();
  ASSERT_TRUE(frame->activateDatabase(kMail));
  gui::PurgeWindow* count = frame->openPurge(PurgeMode::Count);
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(count->windowTitle(), " Message Counting ");
  EXPECT_EQ(count->startButton()->text(), "Start the counting process");
  EXPECT_FALSE(count->agedBox()->isVisibleTo(count));
  EXPECT_EQ(count->start(), maintenance::PurgeResult::Done);
  const QStringList figures = count->figures();
  EXPECT_TRUE(figures.contains("Number of messages in database\t3")) << figures.join("|").toStdString();
  EXPECT_TRUE(figures.contains("Number of messages:\t3"));
  EXPECT_TRUE(figures.filter("Number of mailpartners:\t").size() == 1);
  EXPECT_TRUE(figures.filter("Number of persons:\t").size() == 1);
}

TEST_F(GuiTest, ADatabaseMarkedDeleteStaysOnCancelAndGoesWithItsWindowsOnOk) {
  withSampleDatabases();
  startFrame();
  gui::BrowseWindow* browse = frame->openBrowse();
  ASSERT_NE(browse, nullptr);
  ASSERT_TRUE(browse->goTo(412345));
  ui.answers.push_back(kYes);  // marking the database asks first
  browse->changeStatus(browse::StatusTarget::Database, Status::Delete);
  gui::PurgeWindow* purge = frame->openPurge(PurgeMode::Purge);
  ASSERT_NE(purge, nullptr);
  const std::filesystem::path directory = app->ctx().mem.FileDir / app->ctx().mem.Dirnamn;
  ASSERT_TRUE(std::filesystem::exists(directory));

  ui.answers.push_back(kCancel);
  EXPECT_EQ(purge->start(), maintenance::PurgeResult::Cancelled);
  EXPECT_EQ(ui.last().title, " Database marked for deletion!");
  EXPECT_EQ(browse->model()->rowCount(), 5);
  EXPECT_EQ(app->ctx().mem.ForumNumber, kForum);
  EXPECT_TRUE(std::filesystem::exists(directory));

  ui.answers.push_back(kOk);
  EXPECT_EQ(purge->start(), maintenance::PurgeResult::DatabaseRemoved);
  QApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(frame->browse(), nullptr);
  EXPECT_EQ(frame->windowNamed(app::windows::kNotToolsGroup, app::windows::kPurgeMess), nullptr);
  EXPECT_EQ(frame->windowTitle(), "Quorvel - [No Active Database]");
  EXPECT_FALSE(std::filesystem::exists(directory));
}

TEST_F(GuiTest, TheDuplicatesWindowShowsItsCaptionsAndCounts) {
  withSampleDatabases();
  startFrame();
  gui::DuplicatesWindow* dup = frame->openDuplicates();
  ASSERT_NE(dup, nullptr);
  EXPECT_EQ(dup->windowTitle(), " Duplicate Merging [Capture Club]");
  EXPECT_EQ(dup->heading()->text(), "Merge Duplicate Forum Members");
  EXPECT_EQ(dup->startButton()->text(), "Start the duplicate elimination process");
  EXPECT_EQ(entries(frame->menuNamed("&Tools")).filter("&Merge Duplicate Forum Members").size(), 1);
  EXPECT_EQ(dup->start(), maintenance::DuplicatesResult::Done);
  EXPECT_EQ(dup->finishedText()->text(), "The Duplicate Removal Process has finished!");
  const QStringList figures = dup->figures();
  ASSERT_EQ(figures.size(), 4);
  EXPECT_TRUE(figures[0].startsWith("Existing Forum Members in database:\t"));
  EXPECT_NE(figures[0], "Existing Forum Members in database:\t0");
  EXPECT_EQ(figures[2], "Duplicate Forum Members merged:\t0");
  EXPECT_TRUE(figures[3].startsWith("Remaining Forum Members:\t"));
}

}  // namespace
}  // namespace qv::test
