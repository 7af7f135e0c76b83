// The frame: title and menus by the active database, the register's rules
// for opening windows, and the exit refused while indexing runs.
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "app/gui/browse_window.h"
#include "app/windows/databases.h"
#include "tests/gui/gui_fixture.h"

namespace qv::test {
namespace {

TEST_F(GuiTest, TitleAndMenusFollowTheActiveDatabase) {
  startFrame();
  EXPECT_EQ(frame->windowTitle(), "Quorvel - [No Active Database]");
  for (const QAction* a : frame->menuNamed("&Browse")->actions()) EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
  EXPECT_EQ(frame->openBrowse(), nullptr);

  frame.reset();
  app.reset();
  withSampleDatabases();
  startFrame();
  EXPECT_EQ(frame->windowTitle(), "Quorvel - Capture Club");
  EXPECT_TRUE(entries(frame->menuNamed("&Browse")).contains("&Browse Forum Members"));
  EXPECT_TRUE(entries(frame->menuNamed("&Tools")).contains("&Merge Duplicate Forum Members"));

  ASSERT_TRUE(frame->activateDatabase(kMail));
  EXPECT_EQ(frame->windowTitle(), "Quorvel - Tom Owner");
  EXPECT_TRUE(entries(frame->menuNamed("&Browse")).contains("&Browse Mail Partners"));
  EXPECT_TRUE(entries(frame->menuNamed("&Tools")).contains("&Merge Duplicate Mail Partners"));
}

TEST_F(GuiTest, AnOpenWindowIsBroughtForwardAndChangingDatabaseClosesIt) {
  withSampleDatabases();
  startFrame();
  gui::BrowseWindow* first = frame->openBrowse();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(frame->openBrowse(), first);  // the open one, not a second
  EXPECT_EQ(frame->area()->subWindowList().size(), 1);

  // A companion of the browse closes with it.
  bool companionClosed = false;
  QWidget* companion = frame->openWindow(app::windows::kFindGroup, app::windows::kThreadTree, [] { return new QWidget; });
  ASSERT_NE(companion, nullptr);
  QObject::connect(companion, &QObject::destroyed, [&] { companionClosed = true; });

  ASSERT_TRUE(frame->activateDatabase(kMail));
  QApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(companionClosed);
  EXPECT_EQ(frame->browse(), nullptr);
  EXPECT_EQ(app->windows().TmGetId(app::windows::kNotToolsGroup, app::windows::kBrowseMsgNmbr), 0u);

  gui::BrowseWindow* mail = frame->openBrowse();
  ASSERT_NE(mail, nullptr);
  EXPECT_TRUE(mail->isMail());
}

TEST_F(GuiTest, TheProgramMayNotEndWhileIndexing) {
  withSampleDatabases();
  startFrame();
  app->lib().IndexingInProgress = 1;
  EXPECT_FALSE(frame->close());
  ASSERT_FALSE(ui.shown.empty());
  EXPECT_EQ(ui.last().title, "Exit Not Allowed");
  EXPECT_TRUE(frame->isVisible());
  app->lib().IndexingInProgress = 0;
  EXPECT_TRUE(frame->close());
}

}  // namespace
}  // namespace qv::test

namespace qv::test {
namespace {

// Removing the active database asks first, closes its windows, and leaves
// no database active; the list forgets it.
TEST_F(GuiTest, RemovingTheActiveDatabaseClosesItsWindowsAfterTheQuestion) {
  withSampleDatabases();
  startFrame();
  ASSERT_NE(frame->openBrowse(), nullptr);
  ui.answers = {kCancel};
  EXPECT_FALSE(frame->removeDatabase(kForum));
  EXPECT_EQ(ui.last().title, " Database marked for deletion!");
  EXPECT_EQ(frame->windowTitle(), "Quorvel - Capture Club");

  ui.answers = {kOk};
  EXPECT_TRUE(frame->removeDatabase(kForum));
  EXPECT_EQ(frame->browse(), nullptr);
  EXPECT_EQ(frame->windowTitle(), "Quorvel - [No Active Database]");
  EXPECT_FALSE(app::findDatabase(app->ctx(), kForum).has_value());
  EXPECT_TRUE(app::findDatabase(app->ctx(), kMail).has_value());
}

}  // namespace
}  // namespace qv::test
