#include "app/gui/id_table.h"

#include <QHeaderView>

namespace qv::gui {

IdTable::IdTable(const QStringList& headers, QWidget* parent) : QTableWidget(0, static_cast<int>(headers.size()), parent) {
  setHorizontalHeaderLabels(headers);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  verticalHeader()->hide();
  // One line a record; the other columns as wide as their texts, so dates and times do not wrap.
  setWordWrap(false);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
  horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
}

void IdTable::setFirst(int row, const QString& text, std::uint32_t id) {
  auto* item = new QTableWidgetItem(text);
  item->setData(Qt::UserRole, static_cast<uint>(id));
  setItem(row, 0, item);
}

void IdTable::setCell(int row, int column, const QString& text) { setItem(row, column, new QTableWidgetItem(text)); }

std::optional<std::uint32_t> IdTable::selectedId() const {
  const int row = currentRow();
  if (row < 0 || item(row, 0) == nullptr) return std::nullopt;
  return item(row, 0)->data(Qt::UserRole).toUInt();
}

bool IdTable::select(std::uint32_t id) {
  for (int row = 0; row < rowCount(); ++row)
    if (item(row, 0) != nullptr && item(row, 0)->data(Qt::UserRole).toUInt() == id) {
      setCurrentCell(row, 0);
      return true;
    }
  return false;
}

}  // namespace qv::gui
