#include "app/gui/browse_model.h"

#include <QBrush>
#include <QColor>

#include "app/gui/qt_text.h"

namespace qv::gui {

namespace {

// Colours are stored as 24-bit numbers with red in the low byte.
QColor colourOf(std::int32_t stored) {
  const auto c = static_cast<std::uint32_t>(stored);
  return QColor(static_cast<int>(c & 0xFFu), static_cast<int>((c >> 8) & 0xFFu), static_cast<int>((c >> 16) & 0xFFu));
}

}  // namespace

BrowseModel::BrowseModel(QObject* parent) : QAbstractTableModel(parent) {}
BrowseModel::~BrowseModel() = default;

void BrowseModel::setSource(std::unique_ptr<app::BrowseSource> source) {
  source_ = std::move(source);
  headers_ = source_ ? source_->headers() : std::vector<std::string>{};
  beginResetModel();
  rows_.clear();
  atTop_ = atEnd_ = true;
  endResetModel();
  if (source_) toTop();
}

int BrowseModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int BrowseModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant BrowseModel::data(const QModelIndex& index, int role) const {
  const app::BrowseRow* r = rowAt(index.row());
  if (r == nullptr || index.column() < 0 || static_cast<std::size_t>(index.column()) >= r->cells.size()) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: return fromUtf8(r->cells[static_cast<std::size_t>(index.column())]);
    case Qt::ForegroundRole:
      if (r->colour >= 0) return QBrush(colourOf(r->colour));
      return {};
    default: return {};
  }
}

QVariant BrowseModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      static_cast<std::size_t>(section) >= headers_.size())
    return {};
  return fromUtf8(headers_[static_cast<std::size_t>(section)]);
}

bool BrowseModel::canFetchMore(const QModelIndex& parent) const { return !parent.isValid() && !atEnd_ && source_; }

void BrowseModel::fetchMore(const QModelIndex& parent) {
  if (!canFetchMore(parent) || rows_.empty()) return;
  std::vector<app::BrowseRow> more = source_->after(rows_.back().id, kPage);
  atEnd_ = more.size() < static_cast<std::size_t>(kPage);
  if (!more.empty()) {
    const int from = static_cast<int>(rows_.size());
    beginInsertRows({}, from, from + static_cast<int>(more.size()) - 1);
    for (app::BrowseRow& r : more) rows_.push_back(std::move(r));
    endInsertRows();
  }
  const int surplus = static_cast<int>(rows_.size()) - kMostRows;
  if (surplus > 0) {
    beginRemoveRows({}, 0, surplus - 1);
    rows_.erase(rows_.begin(), rows_.begin() + surplus);
    endRemoveRows();
    atTop_ = false;
    emit shiftedAtTop(-surplus);
  }
}

int BrowseModel::fetchBefore() {
  if (atTop_ || !source_ || rows_.empty()) return 0;
  std::vector<app::BrowseRow> more = source_->before(rows_.front().id, kPage);  // nearest first
  atTop_ = more.size() < static_cast<std::size_t>(kPage);
  const int count = static_cast<int>(more.size());
  if (count > 0) {
    beginInsertRows({}, 0, count - 1);
    for (app::BrowseRow& r : more) rows_.push_front(std::move(r));
    endInsertRows();
    emit shiftedAtTop(count);
  }
  const int surplus = static_cast<int>(rows_.size()) - kMostRows;
  if (surplus > 0) {
    const int size = static_cast<int>(rows_.size());
    beginRemoveRows({}, size - surplus, size - 1);
    rows_.erase(rows_.end() - surplus, rows_.end());
    endRemoveRows();
    atEnd_ = false;
  }
  return count;
}

void BrowseModel::replace(std::vector<app::BrowseRow> rows, bool atTop, bool atEnd) {
  beginResetModel();
  rows_.assign(std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
  atTop_ = atTop;
  atEnd_ = atEnd;
  endResetModel();
}

void BrowseModel::toTop() {
  if (!source_) return;
  std::vector<app::BrowseRow> rows = source_->first(kPage);
  const bool end = rows.size() < static_cast<std::size_t>(kPage);
  replace(std::move(rows), true, end);
}

void BrowseModel::toEnd() {
  if (!source_) return;
  std::vector<app::BrowseRow> rows = source_->last(kPage);
  const bool top = rows.size() < static_cast<std::size_t>(kPage);
  replace(std::move(rows), top, true);
}

std::optional<int> BrowseModel::showAround(std::uint32_t id) {
  if (!source_) return std::nullopt;
  std::optional<app::BrowseRow> row = source_->at(id);
  if (!row) return std::nullopt;
  std::vector<app::BrowseRow> before = source_->before(id, kPage / 2);
  std::vector<app::BrowseRow> after = source_->after(id, kPage);
  const bool top = before.size() < static_cast<std::size_t>(kPage / 2);
  const bool end = after.size() < static_cast<std::size_t>(kPage);
  std::vector<app::BrowseRow> rows(std::make_move_iterator(before.rbegin()), std::make_move_iterator(before.rend()));
  const int place = static_cast<int>(rows.size());
  rows.push_back(std::move(*row));
  for (app::BrowseRow& r : after) rows.push_back(std::move(r));
  replace(std::move(rows), top, end);
  return place;
}

void BrowseModel::refresh() {
  if (!source_) return;
  // An empty list (a new database before its first import) starts afresh.
  if (rows_.empty()) {
    toTop();
    return;
  }
  // Read from the row before the first shown one, so that the first shown
  // row is read again too.
  const std::size_t count = rows_.size();
  std::vector<app::BrowseRow> before = source_->before(rows_.front().id, 1);
  std::vector<app::BrowseRow> rows;
  if (before.empty()) {
    rows = source_->first(count);
  } else {
    rows = source_->after(before.front().id, count);
  }
  if (rows.empty()) {
    toTop();
    return;
  }
  // Lines added after the last shown one (an import) are fetched as the list scrolls on.
  const bool end = rows.size() < count;
  replace(std::move(rows), before.empty(), end);
}

const app::BrowseRow* BrowseModel::rowAt(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return nullptr;
  return &rows_[static_cast<std::size_t>(row)];
}

std::optional<int> BrowseModel::rowOf(std::uint32_t id) const {
  for (std::size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].id == id) return static_cast<int>(i);
  return std::nullopt;
}

}  // namespace qv::gui
