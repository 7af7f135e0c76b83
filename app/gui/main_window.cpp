#include "app/gui/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDockWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>

#include "app/application.h"
#include "app/gui/address_export_window.h"
#include "app/gui/batch_window.h"
#include "app/gui/browse_window.h"
#include "app/gui/config_window.h"
#include "app/gui/databases_window.h"
#include "app/gui/export_window.h"
#include "app/gui/import_menu.h"
#include "app/gui/job_window.h"
#include "app/gui/persons_window.h"
#include "app/gui/print_window.h"
#include "app/gui/purge_window.h"
#include "app/gui/qt_text.h"
#include "app/gui/saved_layout.h"
#include "app/gui/search_window.h"
#include "app/gui/selection_panel.h"
#include "app/gui/thread_tree_window.h"
#include "app/gui/topics_window.h"
#include "app/version.h"
#include "app/windows/databases.h"
#include "app/windows/word_search.h"
#include "maintenance/purge_mess.h"
#include "wordindex/indexer.h"

namespace qv::gui {

namespace wn = app::windows;

namespace {

// A work window's frame inside the main window; says when it has closed.
class WorkSubWindow : public QMdiSubWindow {
 public:
  std::function<void()> closed;

 protected:
  void closeEvent(QCloseEvent* event) override {
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted() && closed) std::exchange(closed, nullptr)();
  }
};

// The browses' topic view has the same number in the message and the mail browse.
constexpr int kTopicView = static_cast<int>(browse::MessageView::Topic);
static_assert(kTopicView == static_cast<int>(browse::MailView::Topic));

// Opens window `name` of `group` made by `make`, or the open one brought forward.
template <class Window, class Make>
Window* openOrForward(MainWindow& frame, std::string_view group, std::string_view name, Make make,
                      MainWindow::Shape shape = MainWindow::Shape::Maximized) {
  if (QWidget* made = frame.openWindow(group, name, make, shape)) return static_cast<Window*>(made);
  return static_cast<Window*>(frame.windowNamed(group, name));
}

// Says when a companion dock has closed (its deletion comes later).
class DockCloseWatch : public QObject {
 public:
  DockCloseWatch(QDockWidget& dock, std::function<void()> closed) : QObject(&dock), closed_(std::move(closed)) {
    dock.installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // Events also arrive while the dock is being destroyed: look at the
    // type first, and at the dock only through a checked cast.
    if (event->type() != QEvent::Close || !closed_) return false;
    const auto* dock = qobject_cast<QDockWidget*>(watched);
    if (dock != nullptr && dock->features().testFlag(QDockWidget::DockWidgetClosable)) std::exchange(closed_, nullptr)();
    return false;
  }

 private:
  std::function<void()> closed_;
};

}  // namespace

MainWindow::MainWindow(app::Application& app, UiPort& ui, QWidget* parent)
    : QMainWindow(parent), app_(app), ui_(ui) {
  area_ = new QMdiArea(this);
  area_->setViewMode(QMdiArea::SubWindowView);
  // A form opened over a maximized list keeps its own size.
  area_->setOption(QMdiArea::DontMaximizeSubWindowOnActivation);
  setCentralWidget(area_);
  statusBar();
  buildMenus();
  // The application registered the frame at its start; a frame made
  // without that start registers itself.
  frameId_ = app_.windows().TmGetId(wn::kFrameGroup, wn::kFrame);
  if (frameId_ == 0) frameId_ = app_.windows().TmCreate(wn::kFrameGroup, wn::kFrame);
  // Events posted to a window (from any thread) are handled in the event loop.
  app_.windows().setPostListener([this](app::WindowId id) {
    QMetaObject::invokeMethod(this, [this, id] { drainEvents(id); }, Qt::QueuedConnection);
  });
  updateFrame();
  restorePlace(app_.ctx(), SavedWindow::Frame, *this);
}

MainWindow::~MainWindow() {
  // The companion docks follow the browse: they go before the browse does.
  for (const auto& [id, dock] : docks_) {
    disconnect(dock, nullptr, this, nullptr);
    app_.windows().TmDestroy(id);
    delete dock;
  }
  docks_.clear();
  // The sub-windows go with the frame's widgets, after this object's members:
  // unregister them now, while the map of them still exists.
  for (const auto& [id, sub] : windows_) {
    disconnect(sub, nullptr, this, nullptr);
    app_.windows().TmDestroy(id);
  }
  windows_.clear();
  app_.windows().setPostListener({});
  app_.windows().TmDestroy(frameId_);
}

QMenu* MainWindow::menuNamed(const QString& title) const {
  for (QMenu* m : menuBar()->findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly))
    if (m->title() == title) return m;
  return nullptr;
}

void MainWindow::buildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  file->addAction("&Databases...", this, &MainWindow::showDatabases);
  file->addAction("C&onfiguration...", this, &MainWindow::showConfiguration);
  databaseMenu_ = file->addMenu("&Change Database");
  connect(databaseMenu_, &QMenu::aboutToShow, this, &MainWindow::fillDatabaseMenu);
  file->addSeparator();
  file->addAction("E&xit", this, &QWidget::close);

  browseMenu_ = menuBar()->addMenu("&Browse");
  browseMenu_->addAction("&Messages", this, [this] { openBrowse(); });
  personsAction_ = browseMenu_->addAction(QString(), this, [this] { openPersons(); });
  browseMenu_->addAction("&Topics", this, [this] { openTopics(); });
  browseMenu_->addAction("Topic T&ree", this, [this] { openTopicTree(); });
  browseMenu_->addAction("&Word Search", this, [this] { openSearch(); });
  treeAction_ = browseMenu_->addAction("&Thread Tree", this, [this] { openThreadTree(); });

  toolsMenu_ = menuBar()->addMenu("&Tools");
  toolsMenu_->addAction("&Word Index", this, &MainWindow::runIndex);
  toolsMenu_->addAction("&Purge Messages", this, [this] { openPurge(maintenance::PurgeMode::Purge); });
  toolsMenu_->addAction("&Count Messages", this, [this] { openPurge(maintenance::PurgeMode::Count); });
  mergeAction_ = toolsMenu_->addAction(QString(), this, [this] { openDuplicates(); });
  toolsMenu_->addSeparator();
  toolsMenu_->addAction("&Export Messages...", this, [this] { openExport(); });
  toolsMenu_->addAction("P&rint Messages...", this, [this] { openPrint(); });
  toolsMenu_->addAction("Export &Addresses...", this, [this] { openAddressExport(); });
  toolsMenu_->addAction("C&lassify Messages...", this, [this] { openBatch(BatchWindow::Purpose::Classify); });
  toolsMenu_->addAction("Set Message &Status...", this, [this] { openBatch(BatchWindow::Purpose::Status); });

  importMenu_ = new ImportMenu(*this, menuBar()->addMenu("&Import"));

  QMenu* help = menuBar()->addMenu("&Help");
  help->addAction("&About Quorvel", this, &MainWindow::about);
}

void MainWindow::updateFrame() {
  setWindowTitle(fromStored(app_.frameTitle()));
  const bool active = app_.ctx().mem.ForumNumber != 0;
  const std::vector<std::string> persons = app_.personsMenu();
  personsAction_->setText(fromStored(persons[0]));
  mergeAction_->setText(fromStored(persons[1]));
  for (QMenu* m : {browseMenu_, toolsMenu_})
    for (QAction* a : m->actions()) a->setEnabled(active);
  // Mail databases have no threads.
  treeAction_->setEnabled(active && databaseType(app_.ctx().mem.ForumType) != DatabaseType::Mail);
}

void MainWindow::fillDatabaseMenu() {
  databaseMenu_->clear();
  for (const Forums& f : app::readDatabaseList(app_.ctx())) {
    QAction* a = databaseMenu_->addAction(fromStored(f.DESCRIPTION.str()));
    a->setCheckable(true);
    a->setChecked(f.ID == app_.ctx().mem.ForumNumber);
    const std::uint32_t id = f.ID;
    connect(a, &QAction::triggered, this, [this, id] { activateDatabase(id); });
  }
}

void MainWindow::closeGroup(std::string_view group) {
  std::vector<app::WindowEntry> open;
  if (!app_.windows().TmQuery(group, open)) return;
  for (const app::WindowEntry& w : open) {
    const auto found = windows_.find(w.id);
    if (found != windows_.end()) found->second->close();
    const auto dock = docks_.find(w.id);
    if (dock != docks_.end()) dock->second->close();
  }
}

void MainWindow::closeDatabaseWindows() {
  // The companions first, then the work windows showing the database.
  closeGroup(wn::kFindGroup);
  for (std::string_view name : {wn::kBrowseMsgNmbr, wn::kBrowseMail, wn::kBrowsePerson, wn::kBrowseTopics,
                                wn::kPurgeMess, wn::kDuplicates, wn::kShowAlias, wn::kMergePersons}) {
    if (QWidget* w = windowNamed(wn::kNotToolsGroup, name)) w->parentWidget()->close();
  }
}

bool MainWindow::activateDatabase(std::uint32_t id) {
  closeDatabaseWindows();
  const bool done = app_.activate(id);
  if (done) app::setStartDatabase(app_.ctx(), id);
  updateFrame();
  return done;
}

bool MainWindow::removeDatabase(std::uint32_t id) {
  Context& ctx = app_.ctx();
  const std::optional<Forums> database = app::findDatabase(ctx, id);
  if (!database) return false;
  if (id == ctx.mem.ForumNumber) closeDatabaseWindows();
  const bool removed = app::removeDatabaseConfirmed(ctx, *database);
  updateFrame();
  databaseChanged();
  return removed;
}

QWidget* MainWindow::windowNamed(std::string_view group, std::string_view name) const {
  const app::WindowId id = app_.windows().TmGetId(group, name);
  const auto found = windows_.find(id);
  if (found != windows_.end()) return found->second->widget();
  const auto dock = docks_.find(id);
  return dock != docks_.end() ? dock->second : nullptr;
}

QDockWidget* MainWindow::openDock(std::string_view group, std::string_view name, Qt::DockWidgetArea area,
                                  const std::function<QDockWidget*()>& make) {
  const app::WindowRegister::OpenResult opened = app_.windows().openOrBringForward(group, name);
  if (!opened.created) return nullptr;
  QDockWidget* dock = make();
  dock->setAttribute(Qt::WA_DeleteOnClose);
  addDockWidget(area, dock);
  docks_[opened.id] = dock;
  const app::WindowId id = opened.id;
  // Unregistered as soon as it has closed, like the work windows.
  const auto forget = [this, id] {
    if (docks_.erase(id) != 0) app_.windows().TmDestroy(id);
  };
  new DockCloseWatch(*dock, [this, dock, forget] {
    disconnect(dock, &QObject::destroyed, this, nullptr);
    forget();
  });
  connect(dock, &QObject::destroyed, this, forget);
  dock->show();
  return dock;
}

SearchWindow* MainWindow::openSearch() {
  if (companionBrowse() == nullptr) return nullptr;
  // Docked beside the browse, so the found set shows while the form stays at hand.
  QDockWidget* dock = openDock(wn::kFindGroup, app::kWordSearch, Qt::LeftDockWidgetArea, [this] {
    auto* made = new QDockWidget(app::kWordSearchTitle);
    made->setObjectName(QString::fromUtf8(app::kWordSearch.data(), static_cast<qsizetype>(app::kWordSearch.size())));
    made->setWidget(new SearchWindow(*this, made));
    return made;
  });
  if (dock == nullptr) dock = qobject_cast<QDockWidget*>(windowNamed(wn::kFindGroup, app::kWordSearch));
  return dock != nullptr ? qobject_cast<SearchWindow*>(dock->widget()) : nullptr;
}

ThreadTreeWindow* MainWindow::openThreadTree() {
  if (databaseType(app_.ctx().mem.ForumType) == DatabaseType::Mail) return nullptr;
  BrowseWindow* b = companionBrowse();
  if (b == nullptr) return nullptr;
  if (QDockWidget* made = openDock(wn::kFindGroup, wn::kThreadTree, Qt::RightDockWidgetArea,
                                   [this, b] { return new ThreadTreeWindow(app_, ui_, *b); })) {
    auto* tree = static_cast<ThreadTreeWindow*>(made);
    tree->placeAsSet();
    return tree;
  }
  return qobject_cast<ThreadTreeWindow*>(windowNamed(wn::kFindGroup, wn::kThreadTree));
}

QWidget* MainWindow::openWindow(std::string_view group, std::string_view name, const std::function<QWidget*()>& make,
                                Shape shape) {
  const app::WindowRegister::OpenResult opened = app_.windows().openOrBringForward(group, name);
  if (!opened.created) return nullptr;
  QWidget* widget = make();
  auto* sub = new WorkSubWindow;
  sub->setWidget(widget);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  area_->addSubWindow(sub);
  windows_[opened.id] = sub;
  const app::WindowId id = opened.id;
  const std::string closedGroup(group);
  // Unregistered as soon as it has closed (its deletion comes later), so a
  // window of the same name can open at once.
  sub->closed = [this, sub, id, closedGroup] {
    disconnect(sub, &QObject::destroyed, this, nullptr);
    forgetWindow(id, closedGroup);
  };
  connect(sub, &QObject::destroyed, this, [this, id, closedGroup] { forgetWindow(id, closedGroup); });
  if (shape == Shape::Maximized) {
    sub->showMaximized();
    return widget;
  }
  // At the right of the area, over the browse's wide columns, as high as its
  // fields need; in the middle when nothing else is open.
  const QSize wanted = sub->sizeHint().expandedTo(QSize(560, 0)).boundedTo(area_->viewport()->size());
  sub->resize(wanted);
  const bool alone = area_->subWindowList().size() == 1;
  const int free = std::max(0, area_->viewport()->width() - wanted.width());
  sub->move(alone ? free / 2 : free, alone ? std::max(0, (area_->viewport()->height() - wanted.height()) / 3) : 0);
  sub->show();
  area_->setActiveSubWindow(sub);
  return widget;
}

void MainWindow::forgetWindow(app::WindowId id, const std::string& group) {
  if (windows_.erase(id) == 0) return;
  app_.windows().TmDestroy(id);
  // A browse takes its companions with it.
  if (group == wn::kNotToolsGroup) closeGroup(wn::kFindGroup);
}

BrowseWindow* MainWindow::openBrowse() {
  if (app_.ctx().mem.ForumNumber == 0) return nullptr;
  const bool mail = databaseType(app_.ctx().mem.ForumType) == DatabaseType::Mail;
  const std::string_view name = mail ? wn::kBrowseMail : wn::kBrowseMsgNmbr;
  if (QWidget* made = openWindow(wn::kNotToolsGroup, name, [this] { return new BrowseWindow(app_, ui_); }))
    return static_cast<BrowseWindow*>(made);
  return browse();
}

BrowseWindow* MainWindow::companionBrowse() {
  if (BrowseWindow* b = browse()) return b;
  return openBrowse();
}

BrowseWindow* MainWindow::browse() const {
  for (std::string_view name : {wn::kBrowseMsgNmbr, wn::kBrowseMail})
    if (QWidget* w = windowNamed(wn::kNotToolsGroup, name)) return static_cast<BrowseWindow*>(w);
  return nullptr;
}

void MainWindow::databaseChanged() {
  if (BrowseWindow* b = browse()) b->refresh();
  if (auto* persons = static_cast<PersonsWindow*>(windowNamed(wn::kNotToolsGroup, wn::kBrowsePerson))) persons->reload();
  if (auto* tree = qobject_cast<ThreadTreeWindow*>(windowNamed(wn::kFindGroup, wn::kThreadTree))) tree->reload();
  if (auto* list = static_cast<DatabasesWindow*>(windowNamed(wn::kNotToolsGroup, wn::kChangeForum))) list->reload();
}

void MainWindow::drainEvents(app::WindowId id) {
  for (const app::WindowEvent& e : app_.windows().takeEvents(id)) {
    if (id == frameId_) {
      if (e.kind == app::WindowEventKind::User && e.code == app::events::kImportMeny) importMenu_->importEnded();
      continue;
    }
    if (const auto dock = docks_.find(id); dock != docks_.end()) {
      if (e.kind == app::WindowEventKind::BringToFront) dock->second->raise();
      if (e.kind == app::WindowEventKind::Close) dock->second->close();
      continue;
    }
    const auto found = windows_.find(id);
    if (found == windows_.end()) continue;
    switch (e.kind) {
      case app::WindowEventKind::BringToFront: area_->setActiveSubWindow(found->second); break;
      case app::WindowEventKind::Close: found->second->close(); break;
      case app::WindowEventKind::User: break;
    }
  }
}

void MainWindow::showDatabases() {
  openWindow(wn::kNotToolsGroup, wn::kChangeForum, [this] { return new DatabasesWindow(*this); });
}

void MainWindow::showConfiguration() {
  openWindow(wn::kNotToolsGroup, wn::kUserPanel, [this] {
    auto* window = new ConfigurationWindow(app_.ctx(), ui_);
    // New colours, formats and fonts show in the open browse at once.
    connect(window, &ConfigurationWindow::saved, this, &MainWindow::databaseChanged);
    return window;
  });
}

void MainWindow::runIndex() {
  auto job = std::make_unique<wordindex::IndexJob>(app_.ctx(), wordindex::IndexMode::Partial);
  JobWindow window("Word Index", std::move(job), {}, this);
  runJobWindow(window);
  const auto& summary = static_cast<wordindex::IndexJob&>(window.job()).summary();
  statusBar()->showMessage(QString("Word index: %1 messages indexed, %2 words").arg(summary.messages).arg(summary.words));
}

PurgeWindow* MainWindow::openPurge(maintenance::PurgeMode mode) {
  if (app_.ctx().mem.ForumNumber == 0) return nullptr;
  return openOrForward<PurgeWindow>(
      *this, wn::kNotToolsGroup, wn::kPurgeMess, [this, mode] { return new PurgeWindow(*this, mode); }, Shape::Form);
}

DuplicatesWindow* MainWindow::openDuplicates() {
  if (app_.ctx().mem.ForumNumber == 0) return nullptr;
  return openOrForward<DuplicatesWindow>(
      *this, wn::kNotToolsGroup, wn::kDuplicates, [this] { return new DuplicatesWindow(*this); }, Shape::Form);
}

ExportWindow* MainWindow::openExport() {
  // A companion of the browse: its selection starts at the browse's current message.
  if (companionBrowse() == nullptr) return nullptr;
  return openOrForward<ExportWindow>(
      *this, wn::kFindGroup, wn::kExportProc, [this] { return new ExportWindow(*this); }, Shape::Form);
}

PrintWindow* MainWindow::openPrint() {
  if (companionBrowse() == nullptr) return nullptr;
  return openOrForward<PrintWindow>(
      *this, wn::kFindGroup, wn::kPrintProc, [this] { return new PrintWindow(*this); }, Shape::Form);
}

AddressExportWindow* MainWindow::openAddressExport() {
  if (companionBrowse() == nullptr) return nullptr;
  return openOrForward<AddressExportWindow>(
      *this, wn::kFindGroup, wn::kAddressExport, [this] { return new AddressExportWindow(*this); }, Shape::Form);
}

BatchWindow* MainWindow::openBatch(BatchWindow::Purpose purpose) {
  if (companionBrowse() == nullptr) return nullptr;
  const std::string_view name = purpose == BatchWindow::Purpose::Classify ? wn::kClassifyProc : wn::kStatusProc;
  return openOrForward<BatchWindow>(
      *this, wn::kFindGroup, name, [this, purpose] { return new BatchWindow(*this, purpose); }, Shape::Form);
}

PersonsWindow* MainWindow::openPersons() {
  if (app_.ctx().mem.ForumNumber == 0) return nullptr;
  return openOrForward<PersonsWindow>(*this, wn::kNotToolsGroup, wn::kBrowsePerson,
                                      [this] { return new PersonsWindow(*this); });
}

TopicsWindow* MainWindow::openTopics() {
  if (app_.ctx().mem.ForumNumber == 0) return nullptr;
  return openOrForward<TopicsWindow>(*this, wn::kNotToolsGroup, wn::kBrowseTopics,
                                     [this] { return new TopicsWindow(*this); });
}

TopicTreeDock* MainWindow::openTopicTree() {
  BrowseWindow* b = companionBrowse();
  if (b == nullptr) return nullptr;
  if (QDockWidget* made = openDock(wn::kFindGroup, wn::kTopicTree, Qt::RightDockWidgetArea,
                                   [this, b] { return new TopicTreeDock(*this, *b); }))
    return static_cast<TopicTreeDock*>(made);
  TopicTreeDock* open = topicTree();
  if (open != nullptr) {
    open->show();
    open->raise();
  }
  return open;
}

TopicTreeDock* MainWindow::topicTree() const {
  return qobject_cast<TopicTreeDock*>(windowNamed(wn::kFindGroup, wn::kTopicTree));
}

void MainWindow::topicsChanged() {
  if (auto* list = static_cast<TopicsWindow*>(windowNamed(wn::kNotToolsGroup, wn::kBrowseTopics))) list->reload();
  if (TopicTreeDock* tree = topicTree()) tree->reload();
  for (std::string_view name : {wn::kClassifyProc, wn::kStatusProc})
    if (auto* w = static_cast<BatchWindow*>(windowNamed(wn::kFindGroup, name))) w->reloadTopics();
  if (auto* w = static_cast<ExportWindow*>(windowNamed(wn::kFindGroup, wn::kExportProc))) w->selection()->reloadTopics();
  if (auto* w = static_cast<PrintWindow*>(windowNamed(wn::kFindGroup, wn::kPrintProc))) w->selection()->reloadTopics();
  if (auto* w = static_cast<AddressExportWindow*>(windowNamed(wn::kFindGroup, wn::kAddressExport))) w->reloadTopics();
  // A browse listing a topic's messages shows the links as they are now.
  if (BrowseWindow* b = browse(); b != nullptr && b->viewNumber() == kTopicView) b->refresh();
}

void MainWindow::about() {
  QMessageBox::about(this, "About Quorvel",
                     QString("Quorvel %1\nA message archiver and converter.").arg(QString::fromStdString(std::string(app::version()))));
}

void MainWindow::closeEvent(QCloseEvent* event) {
  storePlace(app_.ctx(), SavedWindow::Frame, *this);
  if (!app_.requestShutdown()) {
    event->ignore();
    return;
  }
  area_->closeAllSubWindows();
  event->accept();
}

}  // namespace qv::gui
