#include "app/gui/import_menu.h"

#include <QMenu>
#include <QStatusBar>

#include "app/application.h"
#include "app/gui/definitions_window.h"
#include "app/gui/import_wizard_window.h"
#include "app/gui/job_window.h"
#include "app/gui/main_window.h"
#include "app/gui/qt_text.h"
#include "app/gui/task_poller.h"
#include "app/gui/tasks_window.h"
#include "wordindex/index_after_import.h"

namespace qv::gui {

namespace wn = app::windows;

namespace {
// The wizard's own place in the register: it is one of the import windows.
constexpr std::string_view kImportWizard = "ImportWizard";
}  // namespace

ImportMenu::ImportMenu(MainWindow& frame, QMenu* menu) : QObject(&frame), frame_(frame), menu_(menu) {
  menu_->addAction("Import &Wizard...", this, [this] { openWizard(); });
  menu_->addAction("&Predefined Import Procedures...", this, [this] { openDefinitions(); });
  menu_->addSeparator();
  menu_->addAction("&Scheduled Tasks...", this, [this] { openTasks(); });
  poller_ = new TaskPoller(frame_);
}

ImportWizardWindow* ImportMenu::openWizard() {
  return static_cast<ImportWizardWindow*>(
      frame_.openWindow(wn::kImportGroup, kImportWizard, [this] { return new ImportWizardWindow(*this); },
                        MainWindow::Shape::Form));
}

DefinitionsWindow* ImportMenu::openDefinitions() {
  return static_cast<DefinitionsWindow*>(
      frame_.openWindow(wn::kNotToolsGroup, wn::kBrowseBatch, [this] { return new DefinitionsWindow(*this); }));
}

TasksWindow* ImportMenu::openTasks() {
  return static_cast<TasksWindow*>(
      frame_.openWindow(wn::kNotToolsGroup, wn::kBrowseTasks, [this] { return new TasksWindow(*this); }));
}

void ImportMenu::importEnded() {
  if (!poller_->running()) menu_->menuAction()->setEnabled(true);
  frame_.databaseChanged();
  // A wizard run kept as a definition and a task, or a task's run, shows in their lists.
  if (auto* defs = static_cast<DefinitionsWindow*>(frame_.windowNamed(wn::kNotToolsGroup, wn::kBrowseBatch)))
    defs->reload();
  if (auto* tasks = static_cast<TasksWindow*>(frame_.windowNamed(wn::kNotToolsGroup, wn::kBrowseTasks))) tasks->reload();
}

std::optional<ImportSummary> ImportMenu::runImport(const ImportSettings& settings) {
  app::Application& app = frame_.application();
  const app::WindowRegister::OpenResult opened = app.windows().openOrBringForward(wn::kImportGroup, wn::kImportIt);
  if (!opened.created) {
    frame_.ui().message("Import", "An import is running; wait for its end.", MessageKind::Information);
    return std::nullopt;
  }
  menu_->menuAction()->setEnabled(false);
  Context ctx(app.lib());
  ImportJob job(ctx, settings);
  job.onFinished = [&app] { app.importFinished(); };
  {
    JobWindow window(fromStored(settings.format) + " Import Processing", job, &frame_);
    runJobWindow(window);
  }
  app.windows().TmDestroy(opened.id);
  const ImportSummary summary = job.summary();
  if (summary.imported > 0 && !summary.databaseIds.empty()) {
    Context indexCtx(app.lib());
    wordindex::IndexAfterImportJob indexing(indexCtx, summary.databaseIds);
    JobWindow window("Word Index", indexing, &frame_);
    runJobWindow(window);
  }
  frame_.statusBar()->showMessage(QString("%1  %2 messages imported, %3 skipped")
                                      .arg(fromStored(summary.outcome))
                                      .arg(summary.imported)
                                      .arg(summary.skipped));
  frame_.databaseChanged();
  return summary;
}

}  // namespace qv::gui
