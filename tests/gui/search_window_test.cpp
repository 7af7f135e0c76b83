// The search window over the indexed sample forum: what it says when there
// is nothing to search, the found set in the browse's result view with its
// re-sort menu, and the hit buttons stepping through a message's words,
// across the pages of a long one.
#include "app/gui/search_window.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabBar>
#include <fstream>

#include "app/gui/browse_model.h"
#include "app/gui/browse_window.h"
#include "app/gui/hit_steps.h"
#include "app/windows/word_search.h"
#include "tests/gui/gui_fixture.h"

namespace qv::test {
namespace {

using gui::BrowseWindow;
using gui::SearchWindow;

std::vector<std::uint32_t> ids(const BrowseWindow& b) {
  std::vector<std::uint32_t> out;
  for (int r = 0; r < b.model()->rowCount(); ++r) out.push_back(b.model()->rowAt(r)->id);
  return out;
}

// Windows closed by a change of database are gone once the events ran.
void settle() {
  QApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString selected(const BrowseWindow& b) { return b.textPane()->textCursor().selectedText(); }

class SearchWindowTest : public GuiTest {
 protected:
  void SetUp() override {
    withSampleDatabases();
    addLongMessage();
    // Five messages are few: no word is to become a stop word for being common.
    ASSERT_TRUE(cli({"index-settings", "--stop-word-rule", "off"}));
    ASSERT_TRUE(cli({"stopwords", "add", "the"}));
    ASSERT_TRUE(cli({"index", "--db", std::to_string(kForum)}));
    startFrame();
    search = frame->openSearch();
    ASSERT_NE(search, nullptr);
    browse = frame->browse();
    ASSERT_NE(browse, nullptr);
  }

  // Message 450000, over 24,000 characters: "zebra" in its subject, its
  // first line and its last line, which stands on the second page.
  void addLongMessage() {
    const std::filesystem::path dir = home.path() / "long";
    std::filesystem::create_directories(dir);
    std::ofstream out(dir / "LONG.MSG", std::ios::binary);
    out << "#: 450000 S3/Printers@b\r\n 2-Jan-97 10:00\r\nSb: Zebra manual@b\r\nFm: Jane Doe 76543,210@b\r\n"
           "To: All@b\r\n\r\nA zebra striped page comes out of the printer.\r\n";
    for (int i = 0; i < 500; ++i) out << "Filler line about toner cartridges and paper trays, again and again.\r\n";
    out << "The last zebra of the manual.\r\n\r\n";
    out.close();
    ASSERT_TRUE(cli({"import", "--format", "TAPCIS 5.x", "--method", "files", "--path", dir.string(), "--file",
                     "LONG.MSG", "--forum", "--forum-db", std::to_string(kForum), "--no-index"}));
  }

  bool searchFor(const QString& words) {
    search->wordsField()->setText(words);
    ui.clear();
    search->searchButton()->click();
    return browse->viewNumber() == 9;
  }

  SearchWindow* search = nullptr;
  BrowseWindow* browse = nullptr;
};

TEST_F(SearchWindowTest, SaysWhyNothingWasSearched) {
  EXPECT_EQ(search->parentWidget()->windowTitle(), "Word Search");  // its dock
  EXPECT_FALSE(searchFor(""));
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.last().title, "Word Search");
  EXPECT_EQ(ui.last().text, "Give at least one word or field term to search for.");

  EXPECT_FALSE(searchFor("the"));
  EXPECT_EQ(ui.last().text, "Every word of the search is a stop word: there is nothing to search for.");

  // The pause: the user stops the search; the browse stays where it was.
  ASSERT_TRUE(cli({"index-settings", "--pause-after", "1"}));
  ui.answers.push_back(kNo);
  EXPECT_FALSE(searchFor("fonts"));
  ASSERT_FALSE(ui.shown.empty());
  EXPECT_TRUE(ui.last().question);
  EXPECT_EQ(ui.last().title, "Word Search");
  EXPECT_EQ(browse->viewNumber(), 1);

  // The mail database has no index yet.
  ASSERT_TRUE(frame->activateDatabase(kMail));
  settle();
  EXPECT_EQ(frame->windowNamed(app::windows::kFindGroup, app::kWordSearch), nullptr);  // closed with the browse
  search = frame->openSearch();
  ASSERT_NE(search, nullptr);
  browse = frame->browse();
  EXPECT_FALSE(searchFor("meeting"));
  EXPECT_EQ(ui.last().text, "This database has no word index yet.");
}

TEST_F(SearchWindowTest, ShowsTheFoundSetAndStepsThroughTheHits) {
  // No set stored yet: the result view's tab is off until the first search.
  EXPECT_FALSE(browse->tabs()->isTabEnabled(8));
  ASSERT_TRUE(searchFor("fonts"));
  EXPECT_TRUE(browse->tabs()->isTabEnabled(8));
  EXPECT_EQ(browse->tabs()->currentIndex(), 8);
  EXPECT_TRUE(ui.shown.empty());
  // The thread "Laser printer fonts", newest first.
  EXPECT_EQ(ids(*browse), (std::vector<std::uint32_t>{412360, 412345, 412350}));
  EXPECT_EQ(search->outcomeLabel()->text(), "3 messages found");
  gui::HitSteps& hits = *browse->hitSteps();
  EXPECT_EQ(hits.nextButton()->toolTip(), "Locate next search hit instance");
  EXPECT_EQ(hits.previousButton()->toolTip(), "Locate previous search hit instance");

  // Shown with its first hit selected: the subject's word.
  ASSERT_TRUE(browse->goTo(412345));
  EXPECT_EQ(selected(*browse), "fonts");
  EXPECT_EQ(browse->textPane()->textCursor().selectionStart(), QString("Subject: Laser printer ").size());
  EXPECT_FALSE(hits.previousButton()->isEnabled());
  EXPECT_TRUE(hits.nextButton()->isEnabled());
  const qsizetype inText = browse->textPane()->toPlainText().count(
      QRegularExpression("\\bfonts\\b", QRegularExpression::CaseInsensitiveOption));
  ASSERT_GT(inText, 2);
  int steps = 0;
  int lastStart = browse->textPane()->textCursor().selectionStart();
  while (hits.nextButton()->isEnabled() && steps < 100) {
    hits.nextButton()->click();
    ++steps;
    EXPECT_EQ(selected(*browse).toLower(), "fonts");
    EXPECT_GT(browse->textPane()->textCursor().selectionStart(), lastStart);
    lastStart = browse->textPane()->textCursor().selectionStart();
  }
  EXPECT_EQ(steps, inText - 1);  // every hit once
  EXPECT_TRUE(hits.previousButton()->isEnabled());
  hits.previousButton()->click();
  EXPECT_LT(browse->textPane()->textCursor().selectionStart(), lastStart);
  EXPECT_TRUE(hits.nextButton()->isEnabled());

  // Field terms narrow the set; "any word" widens it.
  search->fromField()->setText("Smith");
  ASSERT_TRUE(searchFor("fonts"));
  EXPECT_EQ(ids(*browse), (std::vector<std::uint32_t>{412350}));
  search->fromField()->clear();
  search->anyWordButton()->setChecked(true);
  ASSERT_TRUE(searchFor("modem download"));
  EXPECT_EQ(ids(*browse), (std::vector<std::uint32_t>{412400, 412350}));
}

TEST_F(SearchWindowTest, StepsAcrossThePagesOfALongMessage) {
  ASSERT_TRUE(searchFor("zebra"));
  EXPECT_EQ(ids(*browse), (std::vector<std::uint32_t>{450000}));
  ASSERT_EQ(browse->pageCount(), 2u);
  gui::HitSteps& hits = *browse->hitSteps();
  EXPECT_EQ(browse->page(), 0u);
  EXPECT_EQ(selected(*browse), "Zebra");  // the subject
  hits.next();
  EXPECT_EQ(selected(*browse), "zebra");
  EXPECT_EQ(browse->page(), 0u);
  hits.next();  // the last line, on the second page
  EXPECT_EQ(browse->page(), 1u);
  EXPECT_EQ(selected(*browse), "zebra");
  EXPECT_TRUE(browse->textPane()->toPlainText().startsWith("<CONTINUED>> \n"));
  EXPECT_FALSE(hits.nextButton()->isEnabled());
  hits.next();  // nothing further: the selection stays
  EXPECT_EQ(browse->page(), 1u);
  EXPECT_EQ(selected(*browse), "zebra");
  hits.previous();
  EXPECT_EQ(browse->page(), 0u);
  EXPECT_TRUE(browse->textPane()->textCursor().selectedText() == "zebra");
  EXPECT_TRUE(hits.nextButton()->isEnabled());
}

TEST_F(SearchWindowTest, TheResultViewReSortsFromItsMenu) {
  ASSERT_TRUE(searchFor("fonts"));
  ASSERT_TRUE(browse->goTo(412345));
  QMenu menu;
  browse->fillContextMenu(menu);
  EXPECT_EQ(entries(&menu).mid(0, 6), QStringList({"Sort by date", "Sort by thread", "Sort by section",
                                                   "Sort by sender", "Sort by receiver", "Normal Message"}));
  menu.actions().at(3)->trigger();  // by sender: Jane Doe's two, newest first, then John Smith's
  EXPECT_EQ(ids(*browse), (std::vector<std::uint32_t>{412360, 412345, 412350}));
  EXPECT_EQ(browse->currentId(), 412345u);  // still on the message it was on
  EXPECT_EQ(browse->resultOrder(), wordindex::ResultOrder::Sender);
  QMenu again;
  browse->fillContextMenu(again);
  EXPECT_EQ(entries(&again).at(3), "+Sort by sender");
  again.actions().at(0)->trigger();  // by date
  EXPECT_EQ(ids(*browse), (std::vector<std::uint32_t>{412360, 412345, 412350}));
  // The set is stored: the result view shows it again, in its new order.
  browse->showView(1);
  browse->showView(9);
  EXPECT_EQ(ids(*browse), (std::vector<std::uint32_t>{412360, 412345, 412350}));

  // Outside the result view the menu holds the status changes only.
  QMenu other;
  browse->showView(1);
  browse->fillContextMenu(other);
  EXPECT_EQ(entries(&other).front(), "Normal Message");

  // The mail browse offers its own orders.
  ASSERT_TRUE(frame->activateDatabase(kMail));
  settle();
  browse = frame->openBrowse();
  ASSERT_NE(browse, nullptr);
  browse->showView(9);
  QMenu mail;
  browse->fillContextMenu(mail);
  EXPECT_EQ(entries(&mail).mid(0, 5),
            QStringList({"Sort by date", "Sort by partner", "Sort by sender", "Sort by receiver", "Sort by subject"}));
}

TEST_F(SearchWindowTest, TheWordViewSelectsItsWordAndOtherViewsNone) {
  browse->showView(7);
  browse->locate("fonts");
  ASSERT_GT(browse->model()->rowCount(), 0);
  EXPECT_EQ(selected(*browse).toLower(), "fonts");
  EXPECT_FALSE(browse->hitSteps()->previousButton()->isEnabled());
  const std::uint32_t shown = *browse->currentId();
  browse->showView(1);
  ASSERT_TRUE(browse->goTo(shown));
  EXPECT_EQ(selected(*browse), "");
  EXPECT_FALSE(browse->hitSteps()->nextButton()->isEnabled());
  EXPECT_FALSE(browse->hitSteps()->previousButton()->isEnabled());
}

}  // namespace
}  // namespace qv::test
