// Saves PNG pictures of the desktop program's main windows, laid out at
// 1280×800, on a copy of a data home (the demo's): each scene opens its
// window as a user would and the whole frame is grabbed; a form that opens
// as a window of its own is drawn into the picture, centred, under its title.
// Messages go to the frame's status bar instead of message boxes, so runs
// need no one to click. scripts/screenshots.sh runs it under Xvfb.
//
//   qv_gui_screenshots --home DIR --out DIR
#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QStatusBar>
#include <QTableView>
#include <QTableWidget>
#include <QTimeEdit>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/cli/leak_suppressions.h"
#include "app/gui/address_export_window.h"
#include "app/gui/batch_window.h"
#include "app/gui/browse_model.h"
#include "app/gui/browse_window.h"
#include "app/gui/databases_window.h"
#include "app/gui/export_window.h"
#include "app/gui/gui_ui.h"
#include "app/gui/hit_steps.h"
#include "app/gui/import_form.h"
#include "app/gui/import_menu.h"
#include "app/gui/import_wizard_window.h"
#include "app/gui/main_window.h"
#include "app/gui/persons_window.h"
#include "app/gui/print_window.h"
#include "app/gui/purge_window.h"
#include "app/gui/search_window.h"
#include "app/gui/selection_panel.h"
#include "app/gui/tasks_window.h"
#include "app/gui/thread_tree_window.h"
#include "app/gui/topics_window.h"
#include "app/windows/databases.h"
#include "import/formats.h"
#include "maintenance/purge_mess.h"
#include "store/context.h"
#include "topics/codes.h"

namespace {

namespace fs = std::filesystem;
using qv::gui::MainWindow;

// A database of the list by name; 0 when there is none.
std::uint32_t databaseNamed(MainWindow& frame, const std::string& name) {
  for (const qv::Forums& f : qv::app::readDatabaseList(frame.application().ctx()))
    if (f.DESCRIPTION.str() == name) return f.ID;
  return 0;
}

using qv::exporting::SelectionCode;

// The form a scene left open as a window of its own; grabbed beside the frame.
QPointer<QWidget> openForm;

// Messages in the status bar: a run's end shows in the picture and waits for no click.
class ShotUi : public qv::gui::GuiUi {
 public:
  void setFrame(MainWindow* frame) { frame_ = frame; }
  void message(std::string_view title, std::string_view text, qv::MessageKind) override {
    if (frame_ == nullptr) return;
    const auto q = [](std::string_view s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); };
    frame_->statusBar()->showMessage(q(title).trimmed() + ": " + q(text).simplified());
  }

 private:
  MainWindow* frame_ = nullptr;
};

// Triggers the menu entry `entry` of menu `menu`; false when there is none.
bool trigger(MainWindow& frame, const QString& menu, const QString& entry) {
  QMenu* m = frame.menuNamed(menu);
  if (m == nullptr) return false;
  for (QAction* a : m->actions())
    if (a->text() == entry && a->isEnabled()) {
      a->trigger();
      return true;
    }
  return false;
}

bool forumAt(MainWindow& frame, std::uint32_t message) {
  if (!frame.activateDatabase(databaseNamed(frame, "IBMPRO"))) return false;
  qv::gui::BrowseWindow* b = frame.openBrowse();
  return b != nullptr && b->goTo(message);
}

// The topic "Printers", made when the database has none of that name.
bool printersTopic(MainWindow& frame) {
  qv::Context& ctx = frame.application().ctx();
  if (!qv::topics::findCodeNamed(ctx, qv::CodeType::Topic, "Printers"))
    qv::topics::addCode(ctx, qv::CodeType::Topic, "Printers");
  frame.topicsChanged();
  return qv::topics::findCodeNamed(ctx, qv::CodeType::Topic, "Printers").has_value();
}

// The thread of the current message tagged with the topic "Printers".
bool tagThread(MainWindow& frame) {
  if (!printersTopic(frame)) return false;
  qv::gui::BatchWindow* classify = frame.openBatch(qv::gui::BatchWindow::Purpose::Classify);
  if (classify == nullptr || !classify->chooseTopic("Printers") ||
      !classify->selection()->setCode(SelectionCode::Thread))
    return false;
  return classify->start() == qv::exporting::BatchResult::Done;
}

void settle() {
  for (int i = 0; i < 5; ++i) {
    QApplication::processEvents();
    // No event loop runs here: closed windows are deleted now, as the loop would.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

// The frame's picture with `form` drawn over its middle under a title bar.
QPixmap withForm(const QPixmap& frameShot, QWidget& form) {
  QPixmap shot = frameShot;
  const QPixmap inner = form.grab();
  QPainter p(&shot);
  const int bar = form.fontMetrics().height() + 10;
  const QRect all((shot.width() - inner.width()) / 2, (shot.height() - inner.height() - bar) / 2, inner.width(),
                  inner.height() + bar);
  p.fillRect(all.adjusted(-1, -1, 1, 1), form.palette().color(QPalette::Dark));
  p.fillRect(QRect(all.topLeft(), QSize(all.width(), bar)), form.palette().color(QPalette::Highlight));
  p.setPen(form.palette().color(QPalette::HighlightedText));
  p.drawText(QRect(all.topLeft(), QSize(all.width(), bar)).adjusted(8, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
             form.windowTitle());
  p.drawPixmap(all.left(), all.top() + bar, inner);
  return shot;
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
      {"01-databases-add-mail-form.png",
       [](MainWindow& frame) {
         auto* list = static_cast<qv::gui::DatabasesWindow*>(
             frame.openWindow(qv::app::windows::kNotToolsGroup, qv::app::windows::kChangeForum,
                              [&frame] { return new qv::gui::DatabasesWindow(frame); }));
         if (list == nullptr) return false;
         qv::gui::MailDatabaseDialog* form = list->addMail();
         form->name()->setText("Work Mail");
         form->address()->setText("tom@example.org");
         openForm = form;
         return true;
       }},
      {"02-forum-browse-by-date.png",
       [](MainWindow& frame) {
         if (!frame.activateDatabase(databaseNamed(frame, "IBMPRO"))) return false;
         qv::gui::BrowseWindow* b = frame.openBrowse();
         if (b == nullptr || b->model()->rowCount() < 3) return false;
         b->list()->selectRow(2);
         return true;
       }},
      {"03-forum-browse-thread-filtered.png",
       [](MainWindow& frame) {
         if (!frame.activateDatabase(databaseNamed(frame, "IBMPRO"))) return false;
         qv::gui::BrowseWindow* b = frame.openBrowse();
         if (b == nullptr) return false;
         b->showView(2);
         b->goTo(412350);
         b->toggleFilter();
         return true;
       }},
      {"03-forum-browse-sender-filtered.png",
       [](MainWindow& frame) {
         if (!forumAt(frame, 412350)) return false;
         qv::gui::BrowseWindow* b = frame.browse();
         b->showView(4);
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
      {"11-tasks-with-form.png",
       [](MainWindow& frame) {
         qv::gui::TasksWindow* tasks = frame.importMenu()->openTasks();
         if (tasks == nullptr) return false;
         qv::gui::TaskDialog* form = tasks->addTask();
         form->description()->setText("Weekly newsgroups");
         form->scheduled()->setChecked(true);
         form->time()->setTime(QTime(2, 0));
         form->repeat()->button(qv::gui::TaskDialog::kWeekly)->click();
         form->weekday(1)->setChecked(true);
         form->weekday(4)->setChecked(true);
         form->purge()->setChecked(true);
         openForm = form;
         return true;
       }},
      {"20-search-hits.png",
       [](MainWindow& frame) {
         if (!frame.activateDatabase(databaseNamed(frame, "IBMPRO"))) return false;
         qv::gui::SearchWindow* search = frame.openSearch();
         if (search == nullptr) return false;
         search->wordsField()->setText("printer");
         if (!search->search()) return false;
         qv::gui::BrowseWindow* b = frame.browse();
         if (b == nullptr || b->model()->rowCount() == 0) return false;
         b->hitSteps()->next();  // the second hit selected
         return true;
       }},
      {"21-thread-tree.png",
       [](MainWindow& frame) {
         if (!frame.activateDatabase(databaseNamed(frame, "IBMPRO"))) return false;
         qv::gui::BrowseWindow* b = frame.openBrowse();
         if (b == nullptr || !b->goTo(412360)) return false;
         qv::gui::ThreadTreeWindow* tree = frame.openThreadTree();
         if (tree == nullptr) return false;
         tree->setFloating(false);  // docked, so the frame's picture holds it
         return tree->tree()->topLevelItemCount() > 0;
       }},
      {"22-topics-thread-tagged.png",
       [](MainWindow& frame) {
         if (!forumAt(frame, 412350) || !tagThread(frame)) return false;
         closeAll(frame);
         if (!forumAt(frame, 412360)) return false;
         qv::gui::TopicsWindow* list = frame.openTopics();
         qv::gui::TopicTreeDock* tree = frame.openTopicTree();
         if (list == nullptr || tree == nullptr) return false;
         // The list at the left, the browse beside it, so the tagged message and its tree show together.
         const QList<QMdiSubWindow*> subs = frame.area()->subWindowList();
         const QSize room = frame.area()->viewport()->size();
         for (QMdiSubWindow* sub : subs) {
           sub->showNormal();
           if (sub->widget() == list)
             sub->setGeometry(0, 0, 420, room.height());
           else
             sub->setGeometry(420, 0, room.width() - 420, room.height());
         }
         return true;
       }},
      {"23-classify.png",
       [](MainWindow& frame) {
         if (!forumAt(frame, 412350) || !printersTopic(frame)) return false;
         qv::gui::BatchWindow* w = frame.openBatch(qv::gui::BatchWindow::Purpose::Classify);
         return w != nullptr && w->chooseTopic("Printers") && w->selection()->setCode(SelectionCode::Thread);
       }},
      {"24-purge-after-run.png",
       [](MainWindow& frame) {
         // The browse behind, as the purge leaves it.
         if (!frame.activateDatabase(databaseNamed(frame, "IBMPRO")) || frame.openBrowse() == nullptr) return false;
         qv::gui::PurgeWindow* w = frame.openPurge(qv::maintenance::PurgeMode::Purge);
         if (w == nullptr) return false;
         w->start();
         return true;
       }},
      {"25-export-tapcis-thread.png",
       [](MainWindow& frame) {
         if (!forumAt(frame, 412350)) return false;
         qv::gui::ExportWindow* w = frame.openExport();
         if (w == nullptr || !w->chooseFormat("TAPCIS") || !w->selection()->setCode(SelectionCode::Thread))
           return false;
         w->inFile()->setText("THREAD.TXT");
         return w->start() == qv::gui::ExportWindow::Outcome::Done;
       }},
      {"26-configuration.png", [](MainWindow& frame) { return trigger(frame, "&File", "C&onfiguration..."); }},
      {"27-persons.png",
       [](MainWindow& frame) {
         if (!frame.activateDatabase(databaseNamed(frame, "IBMPRO"))) return false;
         qv::gui::PersonsWindow* w = frame.openPersons();
         if (w == nullptr || w->model()->rowCount() < 2) return false;
         w->list()->selectRow(1);
         return true;
       }},
      {"28-print.png",
       [](MainWindow& frame) {
         if (!forumAt(frame, 412350)) return false;
         qv::gui::PrintWindow* w = frame.openPrint();
         if (w == nullptr || !w->selection()->setCode(SelectionCode::Thread)) return false;
         return w->start() == qv::gui::PrintWindow::Outcome::Done;
       }},
      {"29-address-export.png",
       [](MainWindow& frame) {
         if (!frame.activateDatabase(databaseNamed(frame, "IBMPRO"))) return false;
         qv::gui::AddressExportWindow* w = frame.openAddressExport();
         if (w == nullptr || !w->chooseFormat("TAPCIS")) return false;
         return w->start() == qv::gui::AddressExportWindow::Outcome::Done;
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
    ShotUi ui;
    qv::app::Application app(ui);
    app.start(copy);
    MainWindow frame(app, ui);
    ui.setParent(&frame);
    ui.setFrame(&frame);
    frame.resize(1280, 800);
    frame.show();
    settle();
    for (const Scene& scene : scenes()) {
      closeAll(frame);
      frame.statusBar()->clearMessage();
      const bool ready = scene.open(frame);
      settle();
      const QString file = out + "/" + scene.file;
      const QPixmap shot = openForm != nullptr ? withForm(frame.grab(), *openForm) : frame.grab();
      if (openForm != nullptr) openForm->close();
      openForm = nullptr;
      if (!ready || !shot.save(file)) {
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
