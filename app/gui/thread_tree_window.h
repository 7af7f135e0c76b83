#pragma once
// The thread tree, a companion of the message browse of a forum or
// newsgroup database, as a dock widget: the reply tree of the thread that
// holds the browse's current message (browse::ThreadTree), rebuilt only
// when that message moves into another thread, the current message's line
// selected. Choosing a line (Enter or a double click) puts the browse on
// its message; Page Up, Page Down, Up, Down and the two Ctrl-Page keys
// typed in the tree scroll the browse.

#include <QDockWidget>
#include <QPointer>
#include <cstdint>
#include <optional>

#include "browse/thread_tree.h"
#include "store/ui_port.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace qv::app {
class Application;
}

namespace qv::gui {

class BrowseWindow;

class ThreadTreeWindow : public QDockWidget {
  Q_OBJECT

 public:
  ThreadTreeWindow(app::Application& app, UiPort& ui, BrowseWindow& browse, QWidget* parent = nullptr);
  ~ThreadTreeWindow() override;

  // Once the frame holds the dock: it floats or docks as the setting "Tree
  // Window floating or not" says; floating, it takes the place it had when
  // it last closed floating.
  void placeAsSet();
  // The browse's current message is `id` (0: none).
  void follow(std::uint32_t id);
  // The database changed (an import, a purge): the lines are read again.
  void reload();
  // The user chose a line: the browse goes to its message.
  void choose(QTreeWidgetItem* item);

  QTreeWidget* tree() const { return tree_; }
  // The message a line shows.
  static std::uint32_t messageOf(const QTreeWidgetItem* item);
  // How many times the lines were built (the tree keeps them within a thread).
  int rebuilds() const { return rebuilds_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void fill();
  void selectMessage(std::uint32_t id);

  app::Application& app_;
  UiPort& ui_;
  QPointer<BrowseWindow> browse_;
  std::optional<browse::ThreadTree> model_;
  QTreeWidget* tree_ = nullptr;
  int rebuilds_ = 0;
};

}  // namespace qv::gui
