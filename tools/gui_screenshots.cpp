// Saves PNG pictures of the desktop program's main windows, laid out at
// 1280×800, on a copy of a data home (the demo's): each scene opens its
// window as a user would and the whole frame is grabbed. scripts/screenshots.sh
// runs it under Xvfb.
//
//   qv_gui_screenshots --home DIR --out DIR
#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QTableWidget>
#include <QTimeEdit>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/cli/leak_suppressions.h"
#include "app/gui/browse_model.h"
#include "app/gui/browse_window.h"
#include "app/gui/databases_window.h"
#include "app/gui/gui_ui.h"
#include "app/gui/import_form.h"
#include "app/gui/import_menu.h"
#include "app/gui/import_wizard_window.h"
#include "app/gui/tasks_window.h"
#include "app/gui/hit_steps.h"
#include "app/gui/main_window.h"
#include "app/gui/search_window.h"
#include "app/gui/thread_tree_window.h"
#include "app/windows/databases.h"
#include "import/formats.h"
#include "store/context.h"

namespace {

namespace fs = std::filesystem;
using qv::gui::MainWindow;

// A database of the list by name; 0 when there is none.
std::uint32_t databaseNamed(MainWindow& frame, const std::string& name) {
  for (const qv::Forums& f : qv::app::readDatabaseList(frame.application().ctx()))
    if (f.DESCRIPTION.str() == name) return f.ID;
  return 0;
}

void settle() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

void closeAll(MainWindow& frame) {
  frame.area()->closeAllSubWindows();
  settle();
}

struct Scene {
  const char* file;
  std::function<bool(MainWindow&)> open;  // false: the scene could not be set up
};

std::vector<Scene> scenes() {
  return {
      {"01-databases.png",
       [](MainWindow& frame) {
         return frame.openWindow(qv::app::windows::kNotToolsGroup, qv::app::windows::kChangeForum,
                                 [&frame] { return new qv::gui::DatabasesWindow(frame); }) != nullptr;
       }},
      {"02-forum-browse-by-date.png",
       [](MainWindow& frame) {
         if (!frame.activateDatabase(databaseNamed(frame, "Capture Club"))) return false;
         qv::gui::BrowseWindow* b = frame.openBrowse();
         if (b == nullptr || b->model()->rowCount() < 3) return false;
         b->list()->selectRow(2);
         return true;
       }},
      {"03-forum-browse-thread-filtered.png",
       [](MainWindow& frame) {
         if (!frame.activateDatabase(databaseNamed(frame, "Capture Club"))) return false;
         qv::gui::BrowseWindow* b = frame.openBrowse();
         if (b == nullptr) return false;
         b->showView(2);
         b->goTo(412350);
         b->toggleFilter();
         return true;
       }},
      {"04-mail-browse-by-partner.png",
       [](MainWindow& frame) {
         if (!frame.activateDatabase(databaseNamed(frame, "Jane Smith"))) return false;
         qv::gui::BrowseWindow* b = frame.openBrowse();
         if (b == nullptr) return false;
         b->showView(2);
         return true;
       }},
      {"10-import-wizard.png",
       [](MainWindow& frame) {
         qv::gui::ImportWizardWindow* w = frame.importMenu()->openWizard();
         if (w == nullptr || !w->form()->chooseFormat(qv::formatNumber("Eudora"))) return false;
         w->next();
         w->next();
         w->form()->chooseFiles("/home/tom/Eudora", {"In.mbx", "Out.mbx"});
         return true;
       }},
      {"11-scheduled-tasks.png",
       [](MainWindow& frame) {
         qv::gui::TasksWindow* tasks = frame.importMenu()->openTasks();
         if (tasks == nullptr) return false;
         qv::gui::TaskDialog* form = tasks->addTask();
         form->description()->setText("Nightly mail");
         form->scheduled()->setChecked(true);
         form->time()->setTime(QTime(2, 0));
         form->repeat()->button(qv::gui::TaskDialog::kWeekly)->click();
         form->weekday(1)->setChecked(true);
         form->weekday(4)->setChecked(true);
         form->purge()->setChecked(true);
         form->accept();
         return tasks->table()->rowCount() > 0;
       }},
      {"20-search-hits.png",
       [](MainWindow& frame) {
         if (!frame.activateDatabase(databaseNamed(frame, "Capture Club"))) return false;
         qv::gui::SearchWindow* search = frame.openSearch();
         if (search == nullptr) return false;
         search->wordsField()->setText("resident");
         if (!search->search()) return false;
         qv::gui::BrowseWindow* b = frame.browse();
         if (b == nullptr || b->model()->rowCount() == 0) return false;
         b->hitSteps()->next();  // the second hit selected
         return true;
       }},
      {"21-thread-tree.png",
       [](MainWindow& frame) {
         if (!frame.activateDatabase(databaseNamed(frame, "Capture Club"))) return false;
         qv::gui::BrowseWindow* b = frame.openBrowse();
         if (b == nullptr || !b->goTo(412360)) return false;
         qv::gui::ThreadTreeWindow* tree = frame.openThreadTree();
         if (tree == nullptr) return false;
         tree->setFloating(false);  // docked, so the frame's picture holds it
         return tree->tree()->topLevelItemCount() > 0;
       }},
  };
}

}  // namespace

int main(int argc, char** argv) {
  QApplication qapp(argc, argv);
  QString home, out;
  const QStringList args = QApplication::arguments();
  for (int i = 1; i + 1 < args.size(); ++i) {
    if (args[i] == "--home") home = args[++i];
    else if (args[i] == "--out") out = args[++i];
  }
  if (home.isEmpty() || out.isEmpty()) {
    std::fprintf(stderr, "usage: qv_gui_screenshots --home DIR --out DIR\n");
    return 64;
  }
  // The scenes change what they show (statuses, filters): work on a copy.
  const fs::path copy = fs::temp_directory_path() / ("qv-screens-" + std::to_string(QApplication::applicationPid()));
  fs::remove_all(copy);
  fs::copy(home.toStdString(), copy, fs::copy_options::recursive);
  QDir().mkpath(out);

  int failed = 0;
  {
    qv::gui::GuiUi ui;
    qv::app::Application app(ui);
    app.start(copy);
    MainWindow frame(app, ui);
    ui.setParent(&frame);
    frame.resize(1280, 800);
    frame.show();
    settle();
    for (const Scene& scene : scenes()) {
      closeAll(frame);
      const bool ready = scene.open(frame);
      settle();
      const QString file = out + "/" + scene.file;
      if (!ready || !frame.grab().save(file)) {
        std::fprintf(stderr, "%s: not saved\n", scene.file);
        ++failed;
        continue;
      }
      std::printf("%s\n", file.toStdString().c_str());
    }
  }
  fs::remove_all(copy);
  return failed == 0 ? 0 : 1;
}
