#include "app/gui/databases_window.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/application.h"
#include "app/gui/main_window.h"
#include "app/gui/id_table.h"
#include "app/gui/qt_text.h"
#include "app/windows/databases.h"

namespace qv::gui {

namespace {

constexpr int kMostAlternatives = 10;

QDialogButtonBox* okCancel(QDialog& dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  return buttons;
}

}  // namespace

MailDatabaseDialog::MailDatabaseDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Add New Mail Database");
  auto* form = new QFormLayout(this);
  name_ = new QLineEdit(this);
  address_ = new QLineEdit(this);
  alternatives_ = new QPlainTextEdit(this);
  alternatives_->setPlaceholderText("One address per line (up to ten)");
  form->addRow("Mail database name", name_);
  form->addRow("Default mail address", address_);
  form->addRow("Alternative mail address", alternatives_);
  form->addRow(okCancel(*this));
}

ForumDatabaseDialog::ForumDatabaseDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Add New Forum Database");
  auto* form = new QFormLayout(this);
  name_ = new QLineEdit(this);
  form->addRow("Forum name", name_);
  form->addRow(okCancel(*this));
}

DatabasesWindow::DatabasesWindow(MainWindow& frame, QWidget* parent) : QWidget(parent), frame_(frame) {
  setWindowTitle("Databases");
  auto* layout = new QVBoxLayout(this);
  table_ = new IdTable({"Name", "Type", "Messages", "Status", "Active"}, this);
  layout->addWidget(table_);
  auto* buttons = new QHBoxLayout();
  auto* mail = new QPushButton("Add &Mail Database...", this);
  auto* forum = new QPushButton("Add &Forum Database...", this);
  auto* activate = new QPushButton("&Activate", this);
  auto* remove = new QPushButton("&Remove...", this);
  buttons->addWidget(mail);
  buttons->addWidget(forum);
  buttons->addStretch(1);
  buttons->addWidget(remove);
  buttons->addWidget(activate);
  layout->addLayout(buttons);
  connect(mail, &QPushButton::clicked, this, [this] { addMail(); });
  connect(forum, &QPushButton::clicked, this, [this] { addForum(); });
  connect(activate, &QPushButton::clicked, this, &DatabasesWindow::activateSelected);
  connect(remove, &QPushButton::clicked, this, &DatabasesWindow::removeSelected);
  connect(table_, &QTableWidget::cellDoubleClicked, this, &DatabasesWindow::activateSelected);
  reload();
}

void DatabasesWindow::reload() {
  Context& ctx = frame_.application().ctx();
  const std::vector<Forums> list = app::readDatabaseList(ctx);
  table_->setRowCount(static_cast<int>(list.size()));
  for (std::size_t i = 0; i < list.size(); ++i) {
    const Forums& f = list[i];
    const int row = static_cast<int>(i);
    table_->setFirst(row, fromStored(f.DESCRIPTION.str()), f.ID);
    table_->setCell(row, 1, app::typeName(databaseType(f.TYPE)));
    table_->setCell(row, 2, QString::number(f.MSGCOUNT));
    table_->setCell(row, 3, app::statusName(statusOf(f)));
    table_->setCell(row, 4, f.ID == ctx.mem.ForumNumber ? "yes" : "");
  }
}

std::optional<std::uint32_t> DatabasesWindow::selectedId() const { return table_->selectedId(); }

MailDatabaseDialog* DatabasesWindow::addMail() {
  auto* form = new MailDatabaseDialog(this);
  form->setAttribute(Qt::WA_DeleteOnClose);
  connect(form, &QDialog::accepted, this, [this, form] { acceptMail(*form); });
  form->open();
  return form;
}

ForumDatabaseDialog* DatabasesWindow::addForum() {
  auto* form = new ForumDatabaseDialog(this);
  form->setAttribute(Qt::WA_DeleteOnClose);
  connect(form, &QDialog::accepted, this, [this, form] { acceptForum(*form); });
  form->open();
  return form;
}

void DatabasesWindow::acceptMail(MailDatabaseDialog& form) {
  UiPort& ui = frame_.ui();
  MailDatabaseForm record;
  record.name = toStored(form.name()->text().trimmed());
  record.address = toStored(form.address()->text().trimmed());
  const QStringList extra = form.alternatives()->toPlainText().split('\n', Qt::SkipEmptyParts);
  if (extra.size() > kMostAlternatives) {
    ui.message("Add New Mail Database", "At most ten alternative mail addresses can be given.", MessageKind::Error);
    return;
  }
  for (int i = 0; i < extra.size(); ++i) record.alternatives[static_cast<std::size_t>(i)] = toStored(extra[i].trimmed());
  const std::optional<Forums> added = app::addMailDatabase(frame_.application().ctx(), record);
  reload();
  if (added && frame_.application().ctx().mem.ForumNumber == 0) frame_.activateDatabase(added->ID);
}

void DatabasesWindow::acceptForum(ForumDatabaseDialog& form) {
  Context& ctx = frame_.application().ctx();
  const bool added = AddForumDatabase(ctx, toStored(form.name()->text().trimmed()));
  const std::uint32_t id = ctx.for_.ID;
  reload();
  if (added && ctx.mem.ForumNumber == 0) frame_.activateDatabase(id);
}

void DatabasesWindow::removeSelected() {
  const std::optional<std::uint32_t> id = selectedId();
  if (!id) return;
  frame_.removeDatabase(*id);
  reload();
}

void DatabasesWindow::activateSelected() {
  const std::optional<std::uint32_t> id = selectedId();
  if (!id) return;
  frame_.activateDatabase(*id);
  reload();
}

}  // namespace qv::gui
