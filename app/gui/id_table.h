#pragma once
// A list of records by identifier, as the database, definition and task
// lists show them: one row per record, whole rows selected one at a time,
// nothing edited in place, the first column stretched, and each record's
// identifier kept with its row's first cell.

#include <QTableWidget>
#include <cstdint>
#include <optional>

namespace qv::gui {

class IdTable : public QTableWidget {
  Q_OBJECT

 public:
  IdTable(const QStringList& headers, QWidget* parent);

  // Sets the first cell of `row`, which carries the record's identifier.
  void setFirst(int row, const QString& text, std::uint32_t id);
  // Sets another cell of `row`.
  void setCell(int row, int column, const QString& text);
  std::optional<std::uint32_t> selectedId() const;
  // Makes the record's row the current one; false when it is not listed.
  bool select(std::uint32_t id);
};

}  // namespace qv::gui
