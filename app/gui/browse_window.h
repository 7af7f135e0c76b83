#pragma once
// The browse of the active database: the message browse of a forum or
// newsgroup database, the mail browse of a mail database. The view tabs
// choose the list's order and limit; the buttons under them step the limit
// to the previous or next thread or person; the list pages through the view
// (BrowseModel); the text pane shows the current message page by page;
// the pop-up menu changes statuses; the bookmark returns to a message.

#include <QWidget>
#include <cstdint>
#include <optional>
#include <vector>

#include "app/windows/browse_source.h"
#include "browse/browse_context.h"
#include "browse/status_change.h"
#include "browse/text_pages.h"
#include "store/ui_port.h"
#include "wordindex/result_set.h"
#include "wordindex/search_query.h"

class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabBar;
class QTableView;

namespace qv::app {
class Application;
}

namespace qv::gui {

class BrowseModel;
class HitSteps;

class BrowseWindow : public QWidget {
  Q_OBJECT

 public:
  BrowseWindow(app::Application& app, UiPort& ui, QWidget* parent = nullptr);
  ~BrowseWindow() override;

  bool isMail() const { return mail_; }
  // The tab numbers the context records keep (message views 1-9; mail views likewise).
  int viewNumber() const;
  void showView(int viewNumber);

  // The current line's message number or mail identifier.
  std::optional<std::uint32_t> currentId() const;
  const app::BrowseRow* currentRow() const;
  // Positions the list on a message of the view; false when it is not one of them.
  bool goTo(std::uint32_t id);
  // Limits the view to the current line's thread, section or person, or lifts the limit.
  void toggleFilter();
  // Steps the limit (or, in the section view, the thread) to the next or previous one; a beep at the ends.
  void stepLimit(bool next);
  // Reads the lines again: after an import, a purge or a status change.
  void refresh();
  // The list, text and entry fonts of the display settings.
  void applyDisplaySettings();
  void toEnd();
  void toTop();
  void locate(const QString& typed);
  // A key typed in the list of a view ordered by a name: the keys typed in
  // quick succession find the first line at or after them. False when the
  // view has no name locator or the key is not one it takes.
  bool typeAhead(int key);
  // Shows a search's result set (stored already) in the result view; with
  // the query, the shown messages' hits can be stepped through.
  void setSearchResult(std::vector<std::uint32_t> ids, std::optional<wordindex::SearchQuery> query = std::nullopt);
  // The result view's re-sort: the order of the list now, and a new one.
  wordindex::ResultOrder resultOrder() const { return result_.order; }
  void resortResult(wordindex::ResultOrder order);
  // The pop-up menu of the list's current line: the result view's orders
  // (then a separator) and the status changes.
  void fillContextMenu(QMenu& menu);

  // The text pane: page (0-based) of the current message.
  std::size_t pageCount() const { return pages_.size(); }
  std::size_t page() const { return page_; }
  void showPage(std::size_t page);
  void changeStatus(browse::StatusTarget target, Status status);

  BrowseModel* model() const { return model_; }
  QTableView* list() const { return list_; }
  QTabBar* tabs() const { return tabs_; }
  QPlainTextEdit* textPane() const { return text_; }
  QPushButton* previousButton() const { return previous_; }
  QPushButton* filterButton() const { return filter_; }
  QPushButton* nextButton() const { return next_; }
  QPushButton* bookmarkButton() const { return bookmark_; }
  QLabel* pageLabel() const { return pageLabel_; }
  HitSteps* hitSteps() const { return hits_; }

 signals:
  // The current line moved to another message (0: none).
  void currentChanged(std::uint32_t id);

 private:
  void rebuildSource();
  void onCurrentChanged();
  void updateLimitButtons();
  void showContextMenu(const QPoint& at);
  void pressBookmark();
  // The words whose hits the shown message marks: the search's in the
  // result view, the view's word in the key-word view; none elsewhere.
  std::optional<wordindex::SearchQuery> hitQuery();

  app::Application& app_;
  UiPort& ui_;
  bool mail_ = false;
  int view_ = 1;
  std::optional<browse::ViewLimit> limit_;        // message views and the mail rows views
  std::optional<browse::PersonLimit> person_;     // the mail person views
  wordindex::ResultSet result_;
  std::optional<wordindex::SearchQuery> resultQuery_;
  browse::Bookmark bookmarkState_;

  QTabBar* tabs_ = nullptr;
  QLabel* limitLabel_ = nullptr;
  QPushButton* previous_ = nullptr;
  QPushButton* filter_ = nullptr;
  QPushButton* next_ = nullptr;
  QLineEdit* locator_ = nullptr;
  QPushButton* bookmark_ = nullptr;
  BrowseModel* model_ = nullptr;
  QTableView* list_ = nullptr;
  QPlainTextEdit* text_ = nullptr;
  QPushButton* pagePrevious_ = nullptr;
  QPushButton* pageNext_ = nullptr;
  QLabel* pageLabel_ = nullptr;
  HitSteps* hits_ = nullptr;
  std::vector<browse::TextPage> pages_;
  std::size_t page_ = 0;
  std::uint32_t shown_ = 0;
  bool columnsRestored_ = false;
};

}  // namespace qv::gui
