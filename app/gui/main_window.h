#pragma once
// The frame: its title names the active database ("[No Active Database]"
// while none is), its menus follow the database type, and it holds the
// work windows as sub-windows. Windows are registered by group and name, so
// opening an open one brings it forward; closing a browse closes its
// companions; changing database closes the windows of the old one first.

#include <QMainWindow>
#include <map>
#include <string>
#include <string_view>

#include "app/gui/batch_window.h"
#include "app/window_register.h"
#include "store/ui_port.h"

class QDockWidget;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace qv::app {
class Application;
}
namespace qv::maintenance {
enum class PurgeMode;
}

namespace qv::gui {

class BrowseWindow;
class ImportMenu;
class DuplicatesWindow;
class AddressExportWindow;
class ExportWindow;
class PrintWindow;
class PersonsWindow;
class TopicTreeDock;
class TopicsWindow;
class PurgeWindow;
class SearchWindow;
class ThreadTreeWindow;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  MainWindow(app::Application& app, UiPort& ui, QWidget* parent = nullptr);
  ~MainWindow() override;

  app::Application& application() { return app_; }
  UiPort& ui() { return ui_; }

  // Makes database `id` active after closing the windows of the old one.
  bool activateDatabase(std::uint32_t id);
  // Removes database `id` after the user confirmed, closing its windows
  // first when it is the active one.
  bool removeDatabase(std::uint32_t id);
  // Closes the browses, their companions and the work windows of the active database.
  void closeDatabaseWindows();
  // Opens the browse of the active database, or brings the open one forward.
  BrowseWindow* openBrowse();
  BrowseWindow* browse() const;
  // How a work window shows: lists fill the area; forms keep the size
  // their fields need, so the browse they work on stays in sight.
  enum class Shape { Maximized, Form };
  // Opens a work window as a sub-window registered under group and name,
  // or brings the open one forward (nullptr then). `make` builds the widget.
  QWidget* openWindow(std::string_view group, std::string_view name, const std::function<QWidget*()>& make,
                      Shape shape = Shape::Maximized);
  QWidget* windowNamed(std::string_view group, std::string_view name) const;
  // Opens a companion as a dock widget registered under group and name, or
  // brings the open one forward (nullptr then).
  QDockWidget* openDock(std::string_view group, std::string_view name, Qt::DockWidgetArea area,
                        const std::function<QDockWidget*()>& make);
  // The search window and the thread tree, companions of the browse (opened with it).
  SearchWindow* openSearch();
  ThreadTreeWindow* openThreadTree();
  // Rebuilds the title and the menus that follow the active database.
  void updateFrame();
  // The purge or count window, and the duplicate-person window, of the active database.
  PurgeWindow* openPurge(maintenance::PurgeMode mode);
  DuplicatesWindow* openDuplicates();
  // The export window beside the browse (opened first when it is not).
  ExportWindow* openExport();
  // The print window and the address export window beside the browse.
  PrintWindow* openPrint();
  AddressExportWindow* openAddressExport();
  // The classify or status window beside the browse (opened first when it is not).
  BatchWindow* openBatch(BatchWindow::Purpose purpose);
  // The person browse of the active database.
  PersonsWindow* openPersons();
  // The topic list, and the topic tree docked beside the browse.
  TopicsWindow* openTopics();
  TopicTreeDock* openTopicTree();
  TopicTreeDock* topicTree() const;
  // Topics or links changed: the topic windows read them again.
  void topicsChanged();
  // An import or a purge changed the database: open browses read their lines again.
  void databaseChanged();

  QMdiArea* area() const { return area_; }
  ImportMenu* importMenu() const { return importMenu_; }
  QMenu* menuNamed(const QString& title) const;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildMenus();
  // The browse a companion works on: the open one as it is (not brought
  // forward over the companion), else a new one.
  BrowseWindow* companionBrowse();
  void fillDatabaseMenu();
  void drainEvents(app::WindowId id);
  void closeGroup(std::string_view group);
  void forgetWindow(app::WindowId id, const std::string& group);
  void runIndex();
  void showDatabases();
  void showConfiguration();
  void about();

  app::Application& app_;
  UiPort& ui_;
  QMdiArea* area_ = nullptr;
  QMenu* databaseMenu_ = nullptr;
  QMenu* browseMenu_ = nullptr;
  QMenu* toolsMenu_ = nullptr;
  QAction* personsAction_ = nullptr;
  QAction* mergeAction_ = nullptr;
  ImportMenu* importMenu_ = nullptr;
  QAction* treeAction_ = nullptr;
  app::WindowId frameId_ = 0;
  std::map<app::WindowId, QMdiSubWindow*> windows_;
  std::map<app::WindowId, QDockWidget*> docks_;
};

}  // namespace qv::gui
