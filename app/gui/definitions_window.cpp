#include "app/gui/definitions_window.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/application.h"
#include "app/gui/import_form.h"
#include "app/gui/import_menu.h"
#include "app/gui/main_window.h"
#include "app/gui/id_table.h"
#include "app/gui/qt_text.h"
#include "import/definitions.h"
#include "import/formats.h"

namespace qv::gui {

namespace {

constexpr const char* kListTitle = "Predefined Import Procedures";
constexpr std::size_t kDescriptionWidth = 50;  // BAT:DESCRIPTION

}  // namespace

DefinitionDialog::DefinitionDialog(ImportMenu& imports, std::uint32_t id, QWidget* parent)
    : QDialog(parent), imports_(imports), id_(id) {
  setWindowTitle(id == 0 ? "New Import Definition" : "Change Import Definition");
  auto* layout = new QVBoxLayout(this);
  auto* top = new QFormLayout();
  description_ = new QLineEdit(this);
  description_->setMaxLength(static_cast<int>(kDescriptionWidth));
  top->addRow("&Description", description_);
  layout->addLayout(top);
  Context& ctx = imports_.frame().application().ctx();
  form_ = new ImportForm(ctx, ImportForm::Layout::OnePage, this);
  layout->addWidget(form_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  if (id != 0) {
    if (const std::optional<ImportDefinition> d = loadDefinition(ctx, id)) {
      description_->setText(fromStored(d->description));
      form_->setSettings(d->settings);
    }
  }
}

void DefinitionDialog::accept() {
  Context& ctx = imports_.frame().application().ctx();
  ImportDefinition d;
  d.id = id_;
  d.description = toStored(description_->text().trimmed());
  if (d.description.empty()) {
    imports_.frame().ui().message(kListTitle, "Give the import definition a description.", MessageKind::Warning);
    return;
  }
  d.settings = form_->settings();
  prepareForStart(d.settings);
  // Checked as its run would be, so that a stored definition can run.
  if (!validateForStart(ctx, d.settings, StartFrom::Definition)) return;
  if (saveDefinition(ctx, d) == kNoIdentifier) return;
  id_ = d.id;
  emit stored(id_);
  QDialog::accept();
}

DefinitionsWindow::DefinitionsWindow(ImportMenu& imports, QWidget* parent) : QWidget(parent), imports_(imports) {
  setWindowTitle(kListTitle);
  auto* layout = new QVBoxLayout(this);
  table_ = new IdTable({"Description", "Format"}, this);
  layout->addWidget(table_);
  auto* buttons = new QHBoxLayout();
  auto* add = new QPushButton("&New...", this);
  auto* edit = new QPushButton("&Change...", this);
  auto* remove = new QPushButton("&Delete", this);
  auto* run = new QPushButton("&Run", this);
  for (QPushButton* b : {add, edit, remove}) buttons->addWidget(b);
  buttons->addStretch(1);
  buttons->addWidget(run);
  layout->addLayout(buttons);
  connect(add, &QPushButton::clicked, this, [this] { addDefinition(); });
  connect(edit, &QPushButton::clicked, this, [this] { editSelected(); });
  connect(remove, &QPushButton::clicked, this, &DefinitionsWindow::removeSelected);
  connect(run, &QPushButton::clicked, this, &DefinitionsWindow::runSelected);
  connect(table_, &QTableWidget::cellDoubleClicked, this, [this] { editSelected(); });
  reload();
}

void DefinitionsWindow::reload() {
  const std::optional<std::uint32_t> kept = selectedId();
  const std::vector<DefinitionEntry> list = listDefinitions(imports_.frame().application().ctx());
  table_->setRowCount(static_cast<int>(list.size()));
  for (std::size_t i = 0; i < list.size(); ++i) {
    const int row = static_cast<int>(i);
    table_->setFirst(row, fromStored(list[i].description), list[i].id);
    table_->setCell(row, 1, fromStored(formatName(list[i].formatNumber)));
  }
  if (kept) select(*kept);
}

std::optional<std::uint32_t> DefinitionsWindow::selectedId() const { return table_->selectedId(); }

bool DefinitionsWindow::select(std::uint32_t id) { return table_->select(id); }

DefinitionDialog* DefinitionsWindow::openEditor(std::uint32_t id) {
  auto* editor = new DefinitionDialog(imports_, id, this);
  editor->setAttribute(Qt::WA_DeleteOnClose);
  connect(editor, &DefinitionDialog::stored, this, [this](std::uint32_t stored) {
    reload();
    select(stored);
  });
  editor->open();
  return editor;
}

DefinitionDialog* DefinitionsWindow::addDefinition() { return openEditor(0); }

DefinitionDialog* DefinitionsWindow::editSelected() {
  const std::optional<std::uint32_t> id = selectedId();
  return id ? openEditor(*id) : nullptr;
}

void DefinitionsWindow::removeSelected() {
  const std::optional<std::uint32_t> id = selectedId();
  if (!id) return;
  const QString description = table_->item(table_->currentRow(), 0)->text();
  UiPort& ui = imports_.frame().ui();
  if (ui.ask(kListTitle, "Remove the import definition \"" + toStored(description) + "\"?", kYes | kNo, kNo) != kYes)
    return;
  removeDefinition(imports_.frame().application().ctx(), *id);
  reload();
}

void DefinitionsWindow::runSelected() {
  const std::optional<std::uint32_t> id = selectedId();
  if (!id) return;
  Context& ctx = imports_.frame().application().ctx();
  std::optional<ImportDefinition> d = loadDefinition(ctx, *id);
  if (!d) {
    reload();
    return;
  }
  if (!validateForStart(ctx, d->settings, StartFrom::Definition) || !prepareForStart(d->settings)) return;
  imports_.runImport(d->settings);
}

}  // namespace qv::gui
