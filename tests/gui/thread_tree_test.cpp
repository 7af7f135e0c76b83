// The thread tree dock over the sample forum: it opens on the browse's
// current message, follows the browse (rebuilt only for another thread),
// moves the browse to a chosen message and forwards the scrolling keys.
#include <QKeyEvent>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

#include "app/gui/browse_window.h"
#include "app/gui/thread_tree_window.h"
#include "store/config.h"
#include "tests/gui/gui_fixture.h"

namespace qv::test {
namespace {

using gui::ThreadTreeWindow;

// The lines as drawn: two blanks per level before the text.
QStringList lines(const ThreadTreeWindow& t) {
  QStringList out;
  for (QTreeWidgetItemIterator it(t.tree()); *it != nullptr; ++it) {
    int depth = 0;
    for (const QTreeWidgetItem* up = (*it)->parent(); up != nullptr; up = up->parent()) ++depth;
    out << QString(2 * depth, ' ') + (*it)->text(0);
  }
  return out;
}

QTreeWidgetItem* lineOf(const ThreadTreeWindow& t, std::uint32_t message) {
  for (QTreeWidgetItemIterator it(t.tree()); *it != nullptr; ++it)
    if (ThreadTreeWindow::messageOf(*it) == message) return *it;
  return nullptr;
}

void press(QWidget* w, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent event(QEvent::KeyPress, key, modifiers);
  QApplication::sendEvent(w, &event);
}

TEST_F(GuiTest, TheThreadTreeFollowsAndDrivesTheBrowse) {
  withSampleDatabases();
  startFrame();
  ASSERT_TRUE(entries(frame->menuNamed("&Browse")).contains("&Thread Tree"));
  gui::BrowseWindow* browse = frame->openBrowse();
  ASSERT_NE(browse, nullptr);
  ASSERT_TRUE(browse->goTo(412360));

  ThreadTreeWindow* tree = frame->openThreadTree();
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(frame->openThreadTree(), tree);  // the open one, brought forward
  // The reply chain 412345 <- 412350 <- 412360, in the default form "SenderName MsgNumber".
  EXPECT_EQ(lines(*tree), QStringList({"Jane Doe 412345", "  John Smith 412350", "    Jane Doe 412360"}));
  EXPECT_EQ(ThreadTreeWindow::messageOf(tree->tree()->currentItem()), 412360u);
  EXPECT_FALSE(lineOf(*tree, 412345)->icon(0).isNull());
  EXPECT_EQ(tree->rebuilds(), 1);

  // Another message of the same thread: only the selection moves.
  ASSERT_TRUE(browse->goTo(412350));
  EXPECT_EQ(tree->rebuilds(), 1);
  EXPECT_EQ(ThreadTreeWindow::messageOf(tree->tree()->currentItem()), 412350u);
  // Another thread: the tree is built anew.
  ASSERT_TRUE(browse->goTo(412400));
  EXPECT_EQ(tree->rebuilds(), 2);
  EXPECT_EQ(lines(*tree), QStringList({"Pierre Lefèvre 412400"}));
  // The form of the lines is read at each rebuild: "SenderName MsgDate MsgNumber".
  std::int32_t form = 5;
  std::string unused;
  ASSERT_EQ(Konfig(app->ctx(), kKonfigSetGeneral, kItemTreeItemFormat, form, 0, unused), kSettingsDone);
  std::int32_t yyyyMmDd = 10;
  ASSERT_EQ(Konfig(app->ctx(), kKonfigSetGeneral, kItemDateFormat, yyyyMmDd, 0, unused), kSettingsDone);
  ASSERT_TRUE(browse->goTo(440000));
  EXPECT_EQ(lines(*tree), QStringList({"Ana Núñez 1997-01-01 440000"}));
  form = 2;
  ASSERT_EQ(Konfig(app->ctx(), kKonfigSetGeneral, kItemTreeItemFormat, form, 0, unused), kSettingsDone);

  // A chosen line puts the browse on its message; choosing by Enter as well.
  ASSERT_TRUE(browse->goTo(412345));
  tree->choose(lineOf(*tree, 412360));
  EXPECT_EQ(browse->currentId(), 412360u);
  tree->tree()->setCurrentItem(lineOf(*tree, 412350));
  EXPECT_EQ(browse->currentId(), 412360u);  // selecting alone does not move the browse
  press(tree->tree(), Qt::Key_Return);
  EXPECT_EQ(browse->currentId(), 412350u);

  // Scrolling keys typed in the tree move the browse (by date: ... 412345, 412350 last).
  press(tree->tree(), Qt::Key_Up);
  EXPECT_EQ(browse->currentId(), 412345u);
  EXPECT_EQ(ThreadTreeWindow::messageOf(tree->tree()->currentItem()), 412345u);
  press(tree->tree(), Qt::Key_PageUp, Qt::ControlModifier);
  EXPECT_EQ(browse->currentId(), 440000u);
  EXPECT_EQ(lines(*tree), QStringList({"Ana Núñez 440000"}));
  press(tree->tree(), Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(browse->currentId(), 412350u);

  // A reply imported into the thread shows once the frame hears of the change.
  ASSERT_TRUE(browse->goTo(412360));
  {
    std::filesystem::create_directories(home.path() / "reply");
    // Code page 850, as TAPCIS writes.
    std::ofstream out(home.path() / "reply" / "REPLY.MSG", std::ios::binary);
    out << "#: 412370 S3/Printers@b\r\n 4-M\x84r-96 09:00\r\nSb: #412350-Laser printer fonts@b\r\n"
           "Fm: Pierre Lef\x8avre 70711,1234@b\r\nTo: John Smith 71234,567@b\r\n\r\nMoi aussi.\r\n\r\n";
  }
  ASSERT_TRUE(cli({"import", "--format", "TAPCIS 5.x", "--method", "files", "--path", (home.path() / "reply").string(),
                   "--file", "REPLY.MSG", "--forum", "--forum-db", std::to_string(kForum), "--no-index"}));
  frame->databaseChanged();
  EXPECT_EQ(lines(*tree), QStringList({"Jane Doe 412345", "  John Smith 412350", "    Jane Doe 412360",
                                       "    Pierre Lefèvre 412370"}));
  EXPECT_EQ(ThreadTreeWindow::messageOf(tree->tree()->currentItem()), 412360u);

  // The tree closes with its browse.
  bool closed = false;
  QObject::connect(tree, &QObject::destroyed, [&] { closed = true; });
  browse->parentWidget()->close();
  for (int round = 0; round < 2; ++round) {  // the browse goes, then its companions
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  EXPECT_TRUE(closed);
}

TEST_F(GuiTest, TheFloatingThreadTreeOpensWhereItClosed) {
  withSampleDatabases();
  startFrame();
  ThreadTreeWindow* tree = frame->openThreadTree();
  ASSERT_NE(tree, nullptr);
  ASSERT_TRUE(tree->isFloating());  // the setting's default
  const QRect place(140, 120, 320, 450);
  tree->setGeometry(place);
  tree->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  tree = frame->openThreadTree();
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(tree->geometry(), place);
}

TEST_F(GuiTest, MailDatabasesHaveNoThreadTree) {
  withSampleDatabases();
  startFrame();
  ASSERT_TRUE(frame->activateDatabase(kMail));
  QAction* entry = nullptr;
  for (QAction* a : frame->menuNamed("&Browse")->actions())
    if (a->text() == "&Thread Tree") entry = a;
  ASSERT_NE(entry, nullptr);
  EXPECT_FALSE(entry->isEnabled());
  EXPECT_EQ(frame->openThreadTree(), nullptr);
}

}  // namespace
}  // namespace qv::test
