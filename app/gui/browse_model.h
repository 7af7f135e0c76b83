#pragma once
// A browse's list as a Qt model: a window of rows of one view, read a page
// at a time from the view's source. The window grows at its bottom when the
// list scrolls there (fetchMore) and at its top through fetchBefore(); it
// jumps to the view's end, to its top or around one row without reading
// what lies between, so a list of a million messages opens and reaches its
// end at once. Rows far from where the list is are dropped again.

#include <QAbstractTableModel>
#include <deque>
#include <memory>
#include <optional>

#include "app/windows/browse_source.h"

namespace qv::gui {

class BrowseModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  static constexpr int kPage = 100;       // rows read at a time
  static constexpr int kMostRows = 2000;  // rows kept; beyond, the far end is dropped

  explicit BrowseModel(QObject* parent = nullptr);
  ~BrowseModel() override;

  // Shows a new view from its top (no source: an empty list).
  void setSource(std::unique_ptr<app::BrowseSource> source);
  app::BrowseSource* source() const { return source_.get(); }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;

  // Reads the page before the first row into the window; the rows put in
  // front (0 at the view's top).
  int fetchBefore();
  bool atTop() const { return atTop_; }
  bool atEnd() const { return atEnd_; }

  void toTop();
  void toEnd();
  // The window around row `id`, and that row's place in it; nothing (the
  // window unchanged) when the row is not in the view.
  std::optional<int> showAround(std::uint32_t id);
  // Reads the shown rows again (statuses and texts may have changed),
  // keeping the window where it is.
  void refresh();

  const app::BrowseRow* rowAt(int row) const;
  std::optional<int> rowOf(std::uint32_t id) const;

 signals:
  // Rows were put in front of (positive) or dropped from (negative) the
  // window's top, so a list keeps its place by moving as many rows.
  void shiftedAtTop(int rows);

 private:
  void replace(std::vector<app::BrowseRow> rows, bool atTop, bool atEnd);

  std::unique_ptr<app::BrowseSource> source_;
  std::vector<std::string> headers_;
  std::deque<app::BrowseRow> rows_;
  bool atTop_ = true;
  bool atEnd_ = true;
};

}  // namespace qv::gui
