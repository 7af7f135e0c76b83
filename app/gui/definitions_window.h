#pragma once
// "Predefined Import Procedures": the stored import definitions with their
// formats; a new one or a changed one through the import form with a
// description (the definition editor), removing one (asked first), and
// running one in the import procedure's window.

#include <QDialog>
#include <QWidget>
#include <cstdint>
#include <optional>
#include "app/gui/id_table.h"

class QLineEdit;

namespace qv::gui {

class ImportForm;
class ImportMenu;

// The definition editor: the description and every field of the import form.
// OK checks the fields as the import's start would (a refusal keeps the
// editor open) and stores the definition.
class DefinitionDialog : public QDialog {
  Q_OBJECT

 public:
  // `id` 0: a new definition.
  DefinitionDialog(ImportMenu& imports, std::uint32_t id, QWidget* parent = nullptr);

  QLineEdit* description() const { return description_; }
  ImportForm* form() const { return form_; }
  std::uint32_t id() const { return id_; }

  void accept() override;

 signals:
  void stored(std::uint32_t id);

 private:
  ImportMenu& imports_;
  std::uint32_t id_ = 0;
  QLineEdit* description_ = nullptr;
  ImportForm* form_ = nullptr;
};

class DefinitionsWindow : public QWidget {
  Q_OBJECT

 public:
  explicit DefinitionsWindow(ImportMenu& imports, QWidget* parent = nullptr);

  void reload();
  IdTable* table() const { return table_; }
  std::optional<std::uint32_t> selectedId() const;
  bool select(std::uint32_t id);

  // The editor opens without blocking; the list follows when it stores.
  DefinitionDialog* addDefinition();
  DefinitionDialog* editSelected();
  void removeSelected();
  void runSelected();

 private:
  DefinitionDialog* openEditor(std::uint32_t id);

  ImportMenu& imports_;
  IdTable* table_ = nullptr;
};

}  // namespace qv::gui
