// The Import Wizard over databases made through their forms, and the import
// definitions: stored, changed and run through the same form.
#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <QTableWidget>

#include "app/gui/browse_model.h"
#include "import/wizard.h"
#include "app/gui/browse_window.h"
#include "app/gui/databases_window.h"
#include "app/gui/definitions_window.h"
#include "app/gui/import_form.h"
#include "app/gui/import_menu.h"
#include "app/gui/import_wizard_window.h"
#include "app/windows/databases.h"
#include "import/definitions.h"
#include "import/tasks.h"
#include "tests/gui/gui_fixture.h"

namespace qv::test {
namespace {

using gui::ImportForm;
namespace wn = app::windows;

QAction* action(QMenu* menu, const QString& text) {
  for (QAction* a : menu->actions())
    if (a->text() == text) return a;
  return nullptr;
}

void settle() {
  QApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class ImportWizardTest : public GuiTest {
 protected:
  std::uint32_t databaseId(const std::string& name) {
    for (const Forums& f : app::readDatabaseList(app->ctx()))
      if (f.DESCRIPTION.str() == name) return f.ID;
    ADD_FAILURE() << "no database " << name;
    return 0;
  }

  gui::ImportWizardWindow* openWizard() {
    action(frame->menuNamed("&Import"), "Import &Wizard...")->trigger();
    return static_cast<gui::ImportWizardWindow*>(frame->windowNamed(wn::kImportGroup, "ImportWizard"));
  }

  static void chooseFormat(ImportForm& form, const QString& name) {
    const int at = form.format()->findText(name);
    ASSERT_GE(at, 0) << name.toStdString();
    form.format()->setCurrentIndex(at);
  }
};

TEST_F(ImportWizardTest, ImportsTheSampleStoresIntoDatabasesMadeThroughTheirForms) {
  startFrame();
  action(frame->menuNamed("&File"), "&Databases...")->trigger();
  auto* list = static_cast<gui::DatabasesWindow*>(frame->windowNamed(wn::kNotToolsGroup, wn::kChangeForum));
  ASSERT_NE(list, nullptr);
  gui::ForumDatabaseDialog* forumForm = list->addForum();
  forumForm->name()->setText("Capture Club");
  forumForm->accept();
  gui::MailDatabaseDialog* mailForm = list->addMail();
  mailForm->name()->setText("Tom Owner");
  mailForm->address()->setText("70000,100");
  mailForm->accept();
  const std::uint32_t forum = databaseId("Capture Club");
  const std::uint32_t mail = databaseId("Tom Owner");
  gui::BrowseWindow* browse = frame->openBrowse();  // the forum, made active as the first database
  ASSERT_NE(browse, nullptr);
  EXPECT_EQ(browse->model()->rowCount(), 0);

  // A capture format has no method page: straight to the files.
  gui::ImportWizardWindow* wizard = openWizard();
  ASSERT_NE(wizard, nullptr);
  ImportForm& form = *wizard->form();
  chooseFormat(form, "TAPCIS 5.x");
  EXPECT_EQ(form.masks()->text(), "*.MSG;*.OLD");
  wizard->next();
  EXPECT_EQ(form.page(), ImportForm::kSourcePage);
  form.chooseFiles(samples("capture"), {"TAPCIS5-FORUM.MSG"});
  wizard->next();
  EXPECT_EQ(form.page(), ImportForm::kOptionsPage);
  EXPECT_TRUE(wizard->startButton()->isEnabled());

  // Refused, the wizard staying open: no message type, then forum messages without a forum database.
  ui.clear();
  EXPECT_FALSE(wizard->start());
  form.forum()->setChecked(true);
  EXPECT_FALSE(wizard->start());
  EXPECT_EQ(ui.shown.size(), 2u);
  EXPECT_NE(frame->windowNamed(wn::kImportGroup, "ImportWizard"), nullptr);
  ASSERT_TRUE(form.chooseForumDatabase(forum));
  EXPECT_TRUE(wizard->start());
  settle();
  EXPECT_EQ(frame->windowNamed(wn::kImportGroup, "ImportWizard"), nullptr);
  EXPECT_EQ(app->windows().TmGetId(wn::kImportGroup, wn::kImportIt), 0u);
  EXPECT_TRUE(frame->menuNamed("&Import")->menuAction()->isEnabled());  // given back by "ImportMeny"
  EXPECT_EQ(browse->model()->rowCount(), 5);  // the open browse shows the new messages

  // A mail store offers the method page; file selection into the mail database.
  wizard = openWizard();
  ASSERT_NE(wizard, nullptr);
  ImportForm& mailImport = *wizard->form();
  chooseFormat(mailImport, "Eudora");
  wizard->next();
  EXPECT_EQ(mailImport.page(), ImportForm::kMethodPage);
  mailImport.methods()->button(kSelectFiles)->click();
  wizard->next();
  mailImport.chooseFiles(samples("internet/eudora"), {"In.mbx"});
  wizard->next();
  mailImport.mail()->setChecked(true);
  ASSERT_TRUE(mailImport.chooseMailDatabase(mail));
  wizard->saveRun()->setChecked(true);  // kept as a definition with a task of the same description
  EXPECT_TRUE(wizard->start());
  settle();
  const std::vector<DefinitionEntry> saved = listDefinitions(app->ctx());
  const std::vector<TAS> tasks = listTasks(app->ctx());
  ASSERT_EQ(saved.size(), 1u);
  ASSERT_EQ(tasks.size(), 1u);
  EXPECT_EQ(saved[0].description.rfind("Saved from ImportWizard  ", 0), 0u) << saved[0].description;
  EXPECT_EQ(tasks[0].DESCRIPTION.str(), saved[0].description);
  EXPECT_EQ(fileSpecifications(app->ctx(), saved[0].id), std::vector<std::string>{"In.mbx"});
  ASSERT_TRUE(frame->activateDatabase(mail));
  browse = frame->openBrowse();
  ASSERT_NE(browse, nullptr);
  EXPECT_TRUE(browse->isMail());
  EXPECT_EQ(browse->model()->rowCount(), 3);
}

TEST_F(ImportWizardTest, DefinitionsAreStoredChangedRunAndRemovedThroughTheSameForm) {
  ASSERT_TRUE(cli({"db", "add-forum", "Capture Club"}));
  ASSERT_TRUE(cli({"db", "add-mail", "Tom Owner", "70000,100"}));
  startFrame();
  const std::uint32_t mail = databaseId("Tom Owner");
  action(frame->menuNamed("&Import"), "&Predefined Import Procedures...")->trigger();
  auto* defs = static_cast<gui::DefinitionsWindow*>(frame->windowNamed(wn::kNotToolsGroup, wn::kBrowseBatch));
  ASSERT_NE(defs, nullptr);
  EXPECT_EQ(defs->windowTitle(), "Predefined Import Procedures");

  gui::DefinitionDialog* editor = defs->addDefinition();
  editor->description()->setText("Eudora inbox");
  ImportForm& form = *editor->form();
  chooseFormat(form, "Eudora");
  form.methods()->button(kSelectFiles)->click();
  form.mail()->setChecked(true);
  ASSERT_TRUE(form.chooseMailDatabase(mail));
  editor->accept();  // no file chosen: refused, the editor stays open
  EXPECT_EQ(ui.last().title, kNoFilesEditorTitle);
  EXPECT_TRUE(editor->isVisible());
  EXPECT_EQ(defs->table()->rowCount(), 0);
  form.chooseFiles(samples("internet/eudora"), {"In.mbx"});
  editor->accept();
  settle();
  ASSERT_EQ(defs->table()->rowCount(), 1);
  EXPECT_EQ(defs->table()->item(0, 0)->text(), "Eudora inbox");
  EXPECT_EQ(defs->table()->item(0, 1)->text(), "Eudora");

  // The stored values come back into the form; a change is stored over them.
  defs->table()->setCurrentCell(0, 0);
  editor = defs->editSelected();
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->form()->files()->count(), 1);
  EXPECT_TRUE(editor->form()->mail()->isChecked());
  EXPECT_EQ(editor->form()->mailDatabase()->currentText(), "Tom Owner");
  editor->description()->setText("Tom's inbox");
  editor->accept();
  settle();
  ASSERT_EQ(defs->table()->rowCount(), 1);
  EXPECT_EQ(defs->table()->item(0, 0)->text(), "Tom's inbox");

  defs->runSelected();
  settle();
  ASSERT_TRUE(frame->activateDatabase(mail));
  gui::BrowseWindow* browse = frame->openBrowse();
  ASSERT_NE(browse, nullptr);
  EXPECT_EQ(browse->model()->rowCount(), 3);

  // Removing asks first.
  action(frame->menuNamed("&Import"), "&Predefined Import Procedures...")->trigger();
  defs = static_cast<gui::DefinitionsWindow*>(frame->windowNamed(wn::kNotToolsGroup, wn::kBrowseBatch));
  ASSERT_NE(defs, nullptr);
  defs->table()->setCurrentCell(0, 0);
  ui.answers.push_back(kNo);
  defs->removeSelected();
  EXPECT_TRUE(ui.last().question);
  EXPECT_EQ(defs->table()->rowCount(), 1);
  ui.answers.push_back(kYes);
  defs->removeSelected();
  EXPECT_EQ(defs->table()->rowCount(), 0);
}

}  // namespace
}  // namespace qv::test
