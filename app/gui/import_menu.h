#pragma once
// The frame's "&Import" menu and what hangs on it: the Import Wizard, the
// import definitions, the scheduled tasks and their due check, and running
// one import as the import procedure ("ImportGroup" / "ImportIt") — one at
// a time, with the menu disabled until the import's "ImportMeny" arrives.

#include <QObject>
#include <optional>

#include "import/driver.h"
#include "import/settings.h"

class QMenu;

namespace qv::gui {

class DefinitionsWindow;
class ImportWizardWindow;
class MainWindow;
class TaskPoller;
class TasksWindow;

class ImportMenu : public QObject {
  Q_OBJECT

 public:
  ImportMenu(MainWindow& frame, QMenu* menu);

  MainWindow& frame() const { return frame_; }
  QMenu* menu() const { return menu_; }
  TaskPoller* poller() const { return poller_; }

  // Each opens its window, or brings the open one forward (nullptr then).
  ImportWizardWindow* openWizard();
  DefinitionsWindow* openDefinitions();
  TasksWindow* openTasks();

  // Runs one import in the import procedure's window, then indexes the new
  // messages of the databases that keep a word index, and refreshes the
  // open windows. Its summary; nothing when another import runs.
  std::optional<ImportSummary> runImport(const ImportSettings& settings);

  // "ImportMeny": an import has ended; the menu is enabled again.
  void importEnded();

 private:
  MainWindow& frame_;
  QMenu* menu_ = nullptr;
  TaskPoller* poller_ = nullptr;
};

}  // namespace qv::gui
