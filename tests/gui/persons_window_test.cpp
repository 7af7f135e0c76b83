// The person browse over the sample databases: its rows in both orders,
// the messages of a sender in the browse, a rename that the browse's lines
// follow, the alias swap and a manual merge.
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QTableWidget>

#include "app/gui/browse_model.h"
#include "app/gui/browse_window.h"
#include "app/gui/persons_window.h"
#include "tests/gui/gui_fixture.h"

namespace qv::test {
namespace {

using gui::PersonsWindow;

QStringList column(const QAbstractItemModel* m, int col) {
  QStringList out;
  for (int r = 0; r < m->rowCount(); ++r) out << m->index(r, col).data().toString();
  return out;
}

constexpr std::uint32_t kLefevre = 250010;
constexpr std::uint32_t kSmith = 250007;
constexpr std::uint32_t kNunez = 250012;

class PersonsWindowTest : public GuiTest {
 protected:
  void SetUp() override {
    withSampleDatabases();
    startFrame();
    persons = frame->openPersons();
    ASSERT_NE(persons, nullptr);
  }
  PersonsWindow* persons = nullptr;
};

TEST_F(PersonsWindowTest, ListsThePersonsInBothOrders) {
  EXPECT_EQ(persons->windowTitle(), " Forum Members [Capture Club]");
  EXPECT_TRUE(entries(frame->menuNamed("&Browse")).contains("&Browse Forum Members"));
  ASSERT_EQ(persons->orders()->count(), 2);
  EXPECT_EQ(persons->orders()->tabText(0), "Sort by lastname");
  EXPECT_EQ(persons->orders()->tabText(1), "Sort by CIS adress");
  EXPECT_EQ(column(persons->model(), 0),
            QStringList({"All", "Doe Jane", "Lefèvre Pierre", "Núñez Ana", "Smith John"}));
  EXPECT_EQ(column(persons->model(), 2), QStringList({"0", "2", "1", "1", "1"}));
  EXPECT_EQ(column(persons->model(), 3), QStringList({"3", "1", "0", "0", "1"}));

  ASSERT_TRUE(persons->goTo(kSmith));
  persons->orders()->setCurrentIndex(1);
  EXPECT_EQ(column(persons->model(), 1), QStringList({"", "70711,1234", "71234,567", "72000,3001", "76543,210"}));
  // The current person stays current in the other order.
  ASSERT_NE(persons->current(), nullptr);
  EXPECT_EQ(std::uint32_t{persons->current()->PERSONID}, kSmith);
}

TEST_F(PersonsWindowTest, ShowsTheMessagesOfASenderAndRenamesThroughTheForm) {
  ASSERT_TRUE(persons->goTo(kLefevre));
  ASSERT_TRUE(persons->showMessages());
  gui::BrowseWindow* browse = frame->browse();
  ASSERT_NE(browse, nullptr);
  EXPECT_EQ(browse->viewNumber(), 4);
  EXPECT_TRUE(browse->filterButton()->isChecked());
  EXPECT_EQ(browse->model()->rowCount(), 1);
  EXPECT_EQ(browse->currentId(), 412400u);

  // A person without sent messages: the browse stays where it was.
  ASSERT_TRUE(persons->goTo(250006));
  EXPECT_FALSE(persons->showMessages());
  EXPECT_EQ(ui.last().title, "Warning!");
  EXPECT_EQ(ui.last().text.rfind("No messages from address ", 0), 0u);

  ASSERT_TRUE(persons->goTo(kLefevre));
  gui::RenameForm* form = persons->rename();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->windowTitle(), " Update Forum Member name");
  EXPECT_EQ(form->lastName()->text(), "Lefèvre");
  form->lastName()->setText("Lefebvre");
  form->acceptButton()->click();
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(column(persons->model(), 0).contains("Lefebvre Pierre"));
  // The browse's line names the sender by the new name.
  browse->toggleFilter();
  const int row = *browse->model()->rowOf(412400);
  EXPECT_EQ(browse->model()->index(row, 2).data().toString(), "Lefebvre,Pierre <70711,1234>");
}

TEST_F(PersonsWindowTest, MergesByHandAndSwapsTheMergedAddressIn) {
  ASSERT_TRUE(persons->goTo(kNunez));
  auto* merge = qobject_cast<gui::MergeWindow*>(persons->addToMerge());
  ASSERT_NE(merge, nullptr);
  ASSERT_TRUE(persons->goTo(kSmith));
  EXPECT_EQ(persons->addToMerge(), merge);
  ASSERT_EQ(merge->table()->rowCount(), 2);
  EXPECT_EQ(merge->table()->item(0, 0)->text(), "Keep");
  merge->table()->selectRow(1);
  merge->keepHighlighted();
  EXPECT_EQ(merge->table()->item(0, 0)->text(), "Merge");
  EXPECT_EQ(merge->table()->item(1, 0)->text(), "Keep");
  ASSERT_TRUE(merge->merge());
  ASSERT_EQ(merge->table()->rowCount(), 1);

  // The person list follows: Núñez is gone, Smith sent both messages.
  EXPECT_EQ(column(persons->model(), 0), QStringList({"All", "Doe Jane", "Lefèvre Pierre", "Smith John"}));
  EXPECT_EQ(column(persons->model(), 2).at(3), "2");

  // Núñez's string is Smith's alias now; swapped in and saved, it is Smith's address.
  ASSERT_TRUE(persons->goTo(kSmith));
  auto* aliases = qobject_cast<gui::AliasWindow*>(persons->showAliases());
  ASSERT_NE(aliases, nullptr);
  ASSERT_EQ(aliases->aliases()->count(), 1);
  const QString alias = aliases->aliases()->item(0)->text();
  const QString was = aliases->currentAddress()->text();
  aliases->swapHighlighted();
  EXPECT_EQ(aliases->currentAddress()->text(), alias);
  EXPECT_EQ(aliases->aliases()->item(0)->text(), was);
  ASSERT_TRUE(aliases->save());
  EXPECT_EQ(persons->model()->index(*persons->model()->rowOf(kSmith), 1).data().toString(), "72000,3001");
}

TEST_F(PersonsWindowTest, TheMailPartnersLeadToTheirMailInTheMailBrowse) {
  ASSERT_TRUE(frame->activateDatabase(kMail));
  QApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  persons = frame->openPersons();
  ASSERT_NE(persons, nullptr);
  EXPECT_TRUE(persons->windowTitle().startsWith(" Mail Partners [Tom Owner")) << persons->windowTitle().toStdString();
  // A partner that sent mail: the mail browse shows it in the sender view, limited to the partner.
  int sender = -1;
  for (int r = 0; r < persons->model()->rowCount() && sender < 0; ++r)
    if (persons->model()->personAt(r)->FROMCOUNT > 0 && persons->model()->personAt(r)->PERSONID != app->ctx().mem.PersonID)
      sender = r;
  ASSERT_GE(sender, 0);
  const std::uint32_t id = persons->model()->personAt(sender)->PERSONID;
  ASSERT_TRUE(persons->goTo(id));
  ASSERT_TRUE(persons->showMessages());
  gui::BrowseWindow* browse = frame->browse();
  ASSERT_NE(browse, nullptr);
  EXPECT_TRUE(browse->isMail());
  EXPECT_EQ(browse->viewNumber(), 4);
  EXPECT_TRUE(browse->filterButton()->isChecked());
  ASSERT_GE(browse->model()->rowCount(), 1);
  for (int r = 0; r < browse->model()->rowCount(); ++r)
    EXPECT_EQ(+std::get<Mail>(browse->model()->rowAt(r)->record).FROMID, id);
}

}  // namespace
}  // namespace qv::test
