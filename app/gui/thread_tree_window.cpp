#include "app/gui/thread_tree_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>
#include <QTableView>
#include <QTreeWidget>
#include <vector>

#include "app/application.h"
#include "app/gui/browse_window.h"
#include "app/gui/display_fonts.h"
#include "app/gui/qt_text.h"
#include "app/gui/saved_layout.h"
#include "store/config.h"

namespace qv::gui {

namespace {

constexpr int kMessageRole = Qt::UserRole + 1;

// Colours are stored as 24-bit numbers with red in the low byte.
QColor colourOf(std::int32_t stored) {
  const auto c = static_cast<std::uint32_t>(stored);
  return QColor(static_cast<int>(c & 0xFFu), static_cast<int>((c >> 8) & 0xFFu), static_cast<int>((c >> 16) & 0xFFu));
}

}  // namespace

ThreadTreeWindow::ThreadTreeWindow(app::Application& app, UiPort& ui, BrowseWindow& browse, QWidget* parent)
    : QDockWidget("Thread Tree", parent), app_(app), ui_(ui), browse_(&browse) {
  model_.emplace(app.ctx());
  setObjectName("ThreadTree");
  tree_ = new QTreeWidget(this);
  tree_->setHeaderHidden(true);
  tree_->setRootIsDecorated(true);
  tree_->setSelectionMode(QAbstractItemView::SingleSelection);
  tree_->setExpandsOnDoubleClick(false);
  tree_->setFont(displayFont(app_.ctx(), kItemTreeFont));
  tree_->installEventFilter(this);
  setWidget(tree_);

  connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { choose(item); });
  connect(&browse, &BrowseWindow::currentChanged, this, &ThreadTreeWindow::follow);
  // Opened on the browse's current line.
  follow(browse.currentId().value_or(0));
}

ThreadTreeWindow::~ThreadTreeWindow() {
  if (browse_) disconnect(browse_, nullptr, this, nullptr);
  tree_->removeEventFilter(this);
}

void ThreadTreeWindow::placeAsSet() {
  std::int32_t floating = 1;
  std::string unused;
  Konfig(app_.ctx(), kKonfigGetGeneral, kItemTreeFloating, floating, 0, unused);
  setFloating(floating == 1);
  if (isFloating()) restorePlace(app_.ctx(), SavedCompanion::ThreadTree, *this);
}

void ThreadTreeWindow::closeEvent(QCloseEvent* event) {
  if (isFloating()) storePlace(app_.ctx(), SavedCompanion::ThreadTree, *this);
  QDockWidget::closeEvent(event);
}

std::uint32_t ThreadTreeWindow::messageOf(const QTreeWidgetItem* item) {
  return item != nullptr ? item->data(0, kMessageRole).toUInt() : 0;
}

void ThreadTreeWindow::follow(std::uint32_t id) {
  if (id == 0) return;
  switch (model_->showThreadOf(id)) {
    case browse::TreeUpdate::Rebuilt: fill(); break;
    case browse::TreeUpdate::SameThread: break;
    case browse::TreeUpdate::NoSuchMessage:
    case browse::TreeUpdate::ReadFailed: return;
  }
  selectMessage(id);
}

void ThreadTreeWindow::reload() {
  model_.emplace(app_.ctx());  // forgets the thread shown, so the next follow rebuilds
  tree_->clear();
  if (browse_) follow(browse_->currentId().value_or(0));
}

void ThreadTreeWindow::fill() {
  ++rebuilds_;
  tree_->clear();
  const QIcon file = style()->standardIcon(QStyle::SP_FileIcon);
  const QIcon folder = style()->standardIcon(QStyle::SP_DirIcon);
  // The lines come depth first with their levels: a line hangs under the
  // nearest line above it one level up. The blank first line is the list's
  // own spacer; a tree needs none.
  std::vector<QTreeWidgetItem*> path;
  for (const browse::TreeLine& line : model_->lines()) {
    if (line.message == 0) continue;
    const auto level = static_cast<std::size_t>(std::max(line.level, 0));
    if (path.size() > level) path.resize(level);
    auto* item = path.empty() ? new QTreeWidgetItem(tree_) : new QTreeWidgetItem(path.back());
    item->setText(0, fromStored(line.text));
    item->setData(0, kMessageRole, line.message);
    if (line.icon == browse::TreeIcon::File) item->setIcon(0, file);
    if (line.icon == browse::TreeIcon::Folder) item->setIcon(0, folder);
    if (line.normalForeground != browse::kDefaultColour) item->setForeground(0, colourOf(line.normalForeground));
    if (line.normalBackground != browse::kDefaultColour) item->setBackground(0, colourOf(line.normalBackground));
    // A level skipped (never in a laid-out thread) still keeps the line.
    while (path.size() < level) path.push_back(item);
    path.push_back(item);
  }
  tree_->expandAll();
}

void ThreadTreeWindow::selectMessage(std::uint32_t id) {
  for (QTreeWidgetItemIterator it(tree_); *it != nullptr; ++it) {
    if (messageOf(*it) != id) continue;
    const QSignalBlocker block(tree_);
    tree_->setCurrentItem(*it);
    tree_->scrollToItem(*it);
    return;
  }
}

void ThreadTreeWindow::choose(QTreeWidgetItem* item) {
  const std::uint32_t id = messageOf(item);
  if (id == 0 || !browse_) return;
  if (!browse_->goTo(id)) ui_.beep();  // not among the messages of the browse's view
}

bool ThreadTreeWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched != tree_ || event->type() != QEvent::KeyPress || !browse_)
    return QDockWidget::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  const bool ctrl = (key->modifiers() & Qt::ControlModifier) != 0;
  switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: choose(tree_->currentItem()); return true;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      if (ctrl) {
        if (key->key() == Qt::Key_PageUp)
          browse_->toTop();
        else
          browse_->toEnd();
        return true;
      }
      [[fallthrough]];
    case Qt::Key_Up:
    case Qt::Key_Down: {
      QKeyEvent forwarded(QEvent::KeyPress, key->key(), Qt::NoModifier);
      QApplication::sendEvent(browse_->list(), &forwarded);
      return true;
    }
    default: return QDockWidget::eventFilter(watched, event);
  }
}

}  // namespace qv::gui
