// The browse window over the sample forum and mailbox: its tabs, lines,
// limits and their steps, the text pane, status colours and the bookmark.
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QHeaderView>
#include <QTableView>
#include <QTest>

#include "app/gui/browse_model.h"
#include "app/gui/browse_window.h"
#include "store/config.h"
#include "tests/gui/gui_fixture.h"

namespace qv::test {
namespace {

using gui::BrowseWindow;

QStringList column(const BrowseWindow& b, int col) {
  QStringList out;
  for (int r = 0; r < b.model()->rowCount(); ++r) out << b.model()->index(r, col).data().toString();
  return out;
}

std::vector<std::uint32_t> ids(const BrowseWindow& b) {
  std::vector<std::uint32_t> out;
  for (int r = 0; r < b.model()->rowCount(); ++r) out.push_back(b.model()->rowAt(r)->id);
  return out;
}

class BrowseWindowTest : public GuiTest {
 protected:
  void SetUp() override {
    withSampleDatabases();
    startFrame();
    browse = frame->openBrowse();
    ASSERT_NE(browse, nullptr);
  }
  BrowseWindow* browse = nullptr;
};

TEST_F(BrowseWindowTest, ListsTheViewsOfTheForumWithTheirCaptions) {
  EXPECT_EQ(browse->windowTitle(), " Messages [Capture Club]");
  ASSERT_EQ(browse->tabs()->count(), 9);
  EXPECT_EQ(browse->tabs()->tabText(0), " Find Date ");
  EXPECT_EQ(browse->tabs()->tabText(2), " Filter Section N02");
  EXPECT_EQ(browse->tabs()->tabText(8), "");
  // Newest first, with the thread, the sender as name and address, the section.
  EXPECT_EQ(ids(*browse), (std::vector<std::uint32_t>{440000, 412400, 412360, 412345, 412350}));
  EXPECT_EQ(column(*browse, 0).front(), "1997-01-01");
  EXPECT_EQ(column(*browse, 2).at(1), "Lefèvre,Pierre <70711,1234>");
  EXPECT_EQ(column(*browse, 4).at(2), "03 Printers");

  // The number view, highest first; the locator finds the nearest lower number.
  browse->showView(6);
  EXPECT_EQ(ids(*browse).front(), 440000u);
  browse->locate("412355");
  EXPECT_EQ(browse->currentId(), 412350u);
  browse->toEnd();
  EXPECT_EQ(browse->currentId(), 412345u);
}

TEST_F(BrowseWindowTest, FilterAndStepThreadsWithABeepAtTheEnd) {
  browse->showView(2);
  ASSERT_TRUE(browse->filterButton()->isVisible());
  EXPECT_EQ(browse->filterButton()->text(), "Filter Thread");
  EXPECT_FALSE(browse->nextButton()->isEnabled());  // nothing to step from yet
  ASSERT_TRUE(browse->goTo(412360));
  browse->toggleFilter();
  EXPECT_TRUE(browse->filterButton()->isChecked());
  EXPECT_EQ(column(*browse, 1), QStringList({"Laser printer fonts", "Laser printer fonts", "Laser printer fonts"}));
  EXPECT_EQ(browse->currentId(), 412360u);

  // Threads by alpha key: "1234-old...", "14.4 modem...", "Laser printer fonts" last.
  browse->stepLimit(true);
  EXPECT_EQ(ui.beeps, 1);
  EXPECT_EQ(browse->model()->rowCount(), 3);
  browse->stepLimit(false);
  EXPECT_EQ(column(*browse, 1), QStringList({"14.4 modem drops carrier"}));

  browse->toggleFilter();  // lifted: all messages in thread order
  EXPECT_EQ(browse->model()->rowCount(), 5);

  // Typed ahead in the list: "la" finds the "Laser printer fonts" thread.
  browse->toTop();
  QTest::keyClicks(browse->list(), "la");
  EXPECT_EQ(browse->currentRow()->cells[1], "Laser printer fonts");
}

TEST_F(BrowseWindowTest, FilterAndStepSenders) {
  browse->showView(4);
  EXPECT_EQ(browse->filterButton()->text(), "Filter Sender");
  ASSERT_TRUE(browse->goTo(412345));  // Jane Doe's
  browse->toggleFilter();
  EXPECT_EQ(column(*browse, 2), QStringList({"Doe,Jane <76543,210>", "Doe,Jane <76543,210>"}));
  // Senders by name: Doe, Lefèvre, Núñez, Smith; only persons who sent something.
  browse->stepLimit(true);
  EXPECT_EQ(column(*browse, 2), QStringList({"Lefèvre,Pierre <70711,1234>"}));
  browse->stepLimit(false);
  browse->stepLimit(false);
  EXPECT_EQ(ui.beeps, 1);  // Doe is the first sender
  EXPECT_EQ(column(*browse, 2).size(), 2);
}

TEST_F(BrowseWindowTest, TheTextPaneShowsTheCurrentMessage) {
  ASSERT_TRUE(browse->goTo(412400));
  const QString shown = browse->textPane()->toPlainText();
  EXPECT_TRUE(shown.startsWith("Subject: 14.4 modem drops carrier\n\n")) << shown.toStdString();
  EXPECT_EQ(browse->pageCount(), 1u);
  EXPECT_EQ(browse->pageLabel()->text(), "Page 1 of 1");
  EXPECT_EQ(app->lib().contexts.messageChanges() > 0, true);  // the companions can follow
}

TEST_F(BrowseWindowTest, StatusChangesColourTheLinesByPrecedence) {
  ASSERT_TRUE(browse->goTo(412345));
  browse->changeStatus(browse::StatusTarget::Thread, Status::Delete);
  const QColor deleteColour = QColor(255, 0, 0);  // the default delete colour, red in the low byte
  for (std::uint32_t id : {412345u, 412350u, 412360u}) {
    const int row = *browse->model()->rowOf(id);
    EXPECT_EQ(browse->model()->rowAt(row)->status, Status::Delete);
    EXPECT_EQ(browse->model()->index(row, 0).data(Qt::ForegroundRole).value<QBrush>().color(), deleteColour);
  }
  // Keep on the message wins over Delete on its thread.
  ASSERT_TRUE(browse->goTo(412360));
  browse->changeStatus(browse::StatusTarget::Message, Status::Keep);
  EXPECT_EQ(browse->model()->rowAt(*browse->model()->rowOf(412360))->status, Status::Keep);
  EXPECT_EQ(browse->model()->rowAt(*browse->model()->rowOf(440000))->status, Status::Normal);
}

TEST_F(BrowseWindowTest, TheBookmarkReturnsToItsMessage) {
  ASSERT_TRUE(browse->goTo(412400));
  browse->bookmarkButton()->click();
  EXPECT_EQ(browse->bookmarkButton()->text(), "Reset to BookMark");
  browse->toEnd();
  EXPECT_EQ(browse->currentId(), 412350u);
  browse->bookmarkButton()->click();
  EXPECT_EQ(browse->currentId(), 412400u);
  EXPECT_EQ(browse->bookmarkButton()->text(), "Set BookMark");
}

TEST_F(BrowseWindowTest, TheMailBrowseFiltersByPartner) {
  ASSERT_TRUE(frame->activateDatabase(kMail));
  browse = frame->openBrowse();
  ASSERT_NE(browse, nullptr);
  EXPECT_TRUE(browse->windowTitle().startsWith(" Mail database:  [Tom Owner"));
  ASSERT_EQ(browse->tabs()->count(), 8);
  ASSERT_EQ(browse->model()->rowCount(), 3);
  browse->showView(2);
  EXPECT_EQ(browse->filterButton()->text(), "Filter Partner");
  const std::uint32_t first = ids(*browse).front();
  browse->toggleFilter();
  EXPECT_TRUE(browse->filterButton()->isChecked());
  EXPECT_GE(browse->model()->rowCount(), 1);
  EXPECT_EQ(browse->currentId(), first);
}

}  // namespace
}  // namespace qv::test

namespace qv::test {
namespace {

// Column widths are kept among the settings from one opening to the next.
TEST_F(BrowseWindowTest, ColumnWidthsAreRestoredWhenTheBrowseOpensAgain) {
  browse->list()->horizontalHeader()->resizeSection(1, 333);
  const QPointer<BrowseWindow> closed(browse);
  browse->parentWidget()->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  // The first one is gone, so the one opened now is new (it may well get
  // the same address: comparing the pointers would prove nothing).
  EXPECT_TRUE(closed.isNull());
  BrowseWindow* again = frame->openBrowse();
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->list()->horizontalHeader()->sectionSize(1), 333);
}

}  // namespace
}  // namespace qv::test
