// The topic windows over the sample forum: the topic list and its form, a
// thread tagged with a topic through the classify window and then listed by
// the browse's topic view, and the topic tree following the browse.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

#include "app/gui/batch_window.h"
#include "app/gui/browse_model.h"
#include "app/gui/browse_window.h"
#include "app/gui/selection_panel.h"
#include "app/gui/topics_window.h"
#include "tests/gui/gui_fixture.h"

namespace qv::test {
namespace {

using gui::BatchWindow;
using gui::TopicForm;
using gui::TopicsWindow;

std::vector<std::uint32_t> ids(const gui::BrowseWindow& b) {
  std::vector<std::uint32_t> out;
  for (int r = 0; r < b.model()->rowCount(); ++r) out.push_back(b.model()->rowAt(r)->id);
  return out;
}

QStringList column(const QTableWidget* t, int col) {
  QStringList out;
  for (int r = 0; r < t->rowCount(); ++r) out << t->item(r, col)->text();
  return out;
}

class TopicsTest : public GuiTest {
 protected:
  void SetUp() override {
    withSampleDatabases();
    startFrame();
    topics = frame->openTopics();
    ASSERT_NE(topics, nullptr);
  }
  // Adds a topic through the list's form; the form when it stayed open.
  TopicForm* addTopic(const QString& text) {
    TopicForm* form = topics->add();
    form->text()->setText(text);
    form->acceptButton()->click();
    return form->isVisible() ? form : nullptr;
  }
  TopicsWindow* topics = nullptr;
};

TEST_F(TopicsTest, TheListAddsChangesAndDeletesTopics) {
  EXPECT_EQ(topics->windowTitle(), " Topics [Capture Club] 0");
  EXPECT_EQ(addTopic("Printers"), nullptr);
  EXPECT_EQ(addTopic("Modems"), nullptr);
  EXPECT_EQ(topics->windowTitle(), " Topics [Capture Club] 2");
  EXPECT_EQ(column(topics->topics(), 0), QStringList({"Modems", "Printers"}));

  // The same text in other letters is refused, and the form stays open for another.
  TopicForm* refused = addTopic("PRINTERS");
  ASSERT_NE(refused, nullptr);
  EXPECT_EQ(refused->windowTitle(), " Add New Topic");
  EXPECT_EQ(ui.last().text, "There is a topic \"PRINTERS\" already.");
  refused->reject();

  topics->topics()->selectRow(0);
  TopicForm* change = topics->change();
  ASSERT_NE(change, nullptr);
  EXPECT_EQ(change->windowTitle(), " Update Topic");
  EXPECT_EQ(change->acceptButton()->text(), " Accept updated Topic");
  change->text()->setText("Modems and lines");
  change->acceptButton()->click();
  EXPECT_EQ(column(topics->topics(), 0), QStringList({"Modems and lines", "Printers"}));

  topics->topics()->selectRow(1);
  TopicForm* remove = topics->remove();
  ASSERT_NE(remove, nullptr);
  EXPECT_EQ(remove->windowTitle(), " Delete Topic");
  remove->acceptButton()->click();
  EXPECT_EQ(column(topics->topics(), 0), QStringList({"Modems and lines"}));
  EXPECT_EQ(topics->windowTitle(), " Topics [Capture Club] 1");

  // Key words keep their match options.
  topics->tabs()->setCurrentIndex(1);
  TopicForm* word = topics->add();
  EXPECT_TRUE(word->wholeWords()->isVisibleTo(word));
  word->text()->setText("modem");
  word->wholeWords()->setChecked(true);
  word->acceptButton()->click();
  EXPECT_EQ(column(topics->keyWords(), 0), QStringList({"modem"}));
  EXPECT_EQ(column(topics->keyWords(), 2), QStringList({"Yes"}));
}

TEST_F(TopicsTest, AThreadTaggedThroughTheClassifyWindowIsListedByTheTopicView) {
  ASSERT_EQ(addTopic("Printers"), nullptr);
  gui::BrowseWindow* browse = frame->browse();
  ASSERT_EQ(browse, nullptr);  // the classify window opens the browse
  BatchWindow* classify = frame->openBatch(BatchWindow::Purpose::Classify);
  ASSERT_NE(classify, nullptr);
  browse = frame->browse();
  ASSERT_NE(browse, nullptr);
  EXPECT_EQ(classify->windowTitle(), "Classify Messages");

  // Without a topic the operation refuses.
  ASSERT_TRUE(browse->goTo(412350));
  classify->topicBox()->setCurrentIndex(-1);
  EXPECT_EQ(classify->start(), exporting::BatchResult::Refused);
  EXPECT_EQ(ui.last().title, "Selection error");
  EXPECT_EQ(ui.last().text, "No topic selected!");

  ASSERT_TRUE(classify->chooseTopic("Printers"));
  ASSERT_TRUE(classify->selection()->setCode(exporting::SelectionCode::Thread));
  classify->startButton()->click();
  EXPECT_TRUE(classify->resultText()->text().startsWith("Topics attached!")) << classify->resultText()->text().toStdString();
  // The list's count follows.
  EXPECT_EQ(column(topics->topics(), 1), QStringList({"3"}));

  browse->showView(8);
  browse->locate("Printers");
  std::vector<std::uint32_t> listed = ids(*browse);
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::uint32_t>{412345, 412350, 412360}));

  // Untagged in the tree, a message leaves the topic view.
  gui::TopicTreeDock* tree = frame->openTopicTree();
  ASSERT_NE(tree, nullptr);
  ASSERT_TRUE(browse->goTo(412360));
  ASSERT_EQ(tree->list()->item(0)->checkState(), Qt::Checked);
  tree->toggle(0);
  EXPECT_EQ(browse->model()->rowCount(), 2);
  EXPECT_FALSE(browse->model()->rowOf(412360).has_value());
}

TEST_F(TopicsTest, TheTopicTreeFollowsTheBrowseAndTogglesLinks) {
  ASSERT_EQ(addTopic("Modems"), nullptr);
  ASSERT_EQ(addTopic("Printers"), nullptr);
  gui::TopicTreeDock* tree = frame->openTopicTree();
  ASSERT_NE(tree, nullptr);
  gui::BrowseWindow* browse = frame->browse();
  ASSERT_TRUE(browse->goTo(412400));
  EXPECT_EQ(tree->message(), 412400u);
  ASSERT_EQ(tree->list()->count(), 2);
  EXPECT_EQ(tree->list()->item(0)->text(), "Modems");
  EXPECT_EQ(tree->list()->item(0)->checkState(), Qt::Unchecked);

  tree->toggle(0);
  EXPECT_EQ(tree->list()->item(0)->checkState(), Qt::Checked);
  EXPECT_EQ(column(topics->topics(), 1), QStringList({"1", "0"}));
  ASSERT_TRUE(browse->goTo(440000));
  EXPECT_EQ(tree->list()->item(0)->checkState(), Qt::Unchecked);
  ASSERT_TRUE(browse->goTo(412400));
  EXPECT_EQ(tree->list()->item(0)->checkState(), Qt::Checked);
  tree->toggle(0);
  EXPECT_EQ(tree->list()->item(0)->checkState(), Qt::Unchecked);
  EXPECT_EQ(column(topics->topics(), 1), QStringList({"0", "0"}));

  // The navigation keys typed in the tree move the browse; the tree follows.
  ASSERT_TRUE(browse->goTo(440000));
  const std::uint32_t before = *browse->currentId();
  QTest::keyClick(tree->list(), Qt::Key_Down);
  EXPECT_NE(browse->currentId(), before);
  EXPECT_EQ(tree->message(), browse->currentId());

  // A topic deleted in the list leaves the tree.
  topics->topics()->selectRow(0);
  topics->remove()->acceptButton()->click();
  ASSERT_EQ(tree->list()->count(), 1);
  EXPECT_EQ(tree->list()->item(0)->text(), "Printers");
}

// The status window is the classify window's sibling over the same selection.
TEST_F(TopicsTest, TheStatusWindowRecodesTheMessagesOfASender) {
  BatchWindow* status = frame->openBatch(BatchWindow::Purpose::Status);
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(status->windowTitle(), "Set Message Status");
  gui::BrowseWindow* browse = frame->browse();
  ASSERT_TRUE(browse->goTo(412400));  // Lefèvre's only message
  ASSERT_TRUE(status->selection()->setCode(exporting::SelectionCode::Sender));
  status->statusButton(Status::Keep)->setChecked(true);
  EXPECT_EQ(status->start(), exporting::BatchResult::Done);
  EXPECT_TRUE(status->resultText()->text().startsWith("Message status recoded!"));
  for (int r = 0; r < browse->model()->rowCount(); ++r) {
    const app::BrowseRow* row = browse->model()->rowAt(r);
    EXPECT_EQ(row->status, row->id == 412400u ? Status::Keep : Status::Normal) << row->id;
  }
  // A date range outside the messages' dates selects nothing.
  status->selection()->rangeBox()->setChecked(true);
  status->selection()->fromField()->setText("1990-01-01");
  status->selection()->toField()->setText("1980-01-01");
  EXPECT_EQ(status->start(), exporting::BatchResult::Refused);
  EXPECT_EQ(ui.last().title, "Date range filter error");
}

}  // namespace
}  // namespace qv::test
