#include "app/gui/tasks_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "app/application.h"
#include "app/gui/import_menu.h"
#include "app/gui/main_window.h"
#include "app/gui/id_table.h"
#include "app/gui/qt_text.h"
#include "app/gui/task_poller.h"
#include "import/definitions.h"
#include "import/tasks.h"
#include "store/dates.h"

namespace qv::gui {

namespace {

constexpr const char* kTitle = "Scheduled Tasks";
constexpr std::size_t kDescriptionWidth = 50;  // TAS:DESCRIPTION
constexpr const char* kWeekdays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

QString momentText(std::int32_t date, std::int32_t time) {
  if (date == 0) return {};
  return QString::fromStdString(dates::formatDate(date, dates::kDateYyyyMmDd) + " " +
                                dates::formatTime(time, dates::kTimeHhMm));
}

QString repeatText(const TAS& t) {
  QStringList days;
  for (int d = 0; d < 7; ++d)
    if (t.DAYS[d] != 0) days << kWeekdays[d];
  for (int d = 0; d < 5; ++d)
    if (t.MONTHDAYS[d] != 0) days << QString::number(+t.MONTHDAYS[d]);
  return days.join(",");
}

QString resultText(std::uint8_t result) {
  switch (result) {
    case kTaskSucceeded: return "Success";
    case kTaskFailed: return "Failed";
    default: return {};
  }
}

}  // namespace

TaskDialog::TaskDialog(ImportMenu& imports, std::uint32_t id, QWidget* parent)
    : QDialog(parent), imports_(imports), id_(id) {
  setWindowTitle(id == 0 ? "New Task" : "Change Task");
  auto* layout = new QVBoxLayout(this);
  auto* top = new QFormLayout();
  description_ = new QLineEdit(this);
  description_->setMaxLength(static_cast<int>(kDescriptionWidth));
  top->addRow("&Description", description_);
  active_ = new QCheckBox("&Active", this);
  active_->setChecked(true);
  top->addRow(active_);
  definitions_ = new QListWidget(this);
  Context& ctx = imports_.frame().application().ctx();
  for (const DefinitionEntry& d : listDefinitions(ctx)) {
    auto* item = new QListWidgetItem(fromStored(d.description), definitions_);
    item->setData(Qt::UserRole, static_cast<uint>(d.id));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
  top->addRow("Import &definitions to run", definitions_);
  layout->addLayout(top);

  auto* when = new QGroupBox("When", this);
  auto* whenLayout = new QGridLayout(when);
  scheduled_ = new QCheckBox("&First run on", when);
  date_ = new QDateEdit(QDate::currentDate(), when);
  date_->setDisplayFormat("yyyy-MM-dd");
  date_->setCalendarPopup(true);
  time_ = new QTimeEdit(QTime(0, 0), when);
  time_->setDisplayFormat("HH:mm");
  whenLayout->addWidget(scheduled_, 0, 0);
  whenLayout->addWidget(date_, 0, 1);
  whenLayout->addWidget(time_, 0, 2);
  repeat_ = new QButtonGroup(when);
  const char* repeats[] = {"&No repeat", "&Weekly on", "&Monthly on the days"};
  for (int r = kNoRepeat; r <= kMonthly; ++r) {
    auto* b = new QRadioButton(repeats[r], when);
    repeat_->addButton(b, r);
    whenLayout->addWidget(b, r + 1, 0);
  }
  repeat_->button(kNoRepeat)->setChecked(true);
  auto* days = new QHBoxLayout();
  for (int d = 0; d < 7; ++d) {
    weekdays_[static_cast<std::size_t>(d)] = new QCheckBox(kWeekdays[d], when);
    days->addWidget(weekdays_[static_cast<std::size_t>(d)]);
  }
  whenLayout->addLayout(days, 2, 1, 1, 2);
  auto* monthDays = new QHBoxLayout();
  for (QSpinBox*& s : monthDays_) {
    s = new QSpinBox(when);
    s->setRange(0, 31);
    s->setSpecialValueText("-");
    monthDays->addWidget(s);
  }
  whenLayout->addLayout(monthDays, 3, 1, 1, 2);
  layout->addWidget(when);

  auto* after = new QGroupBox("Afterwards, on every database that received messages", this);
  auto* afterLayout = new QVBoxLayout(after);
  dupes_ = new QCheckBox("D&uplicate elimination", after);
  purge_ = new QCheckBox("&Purging (includes counting)", after);
  count_ = new QCheckBox("&Counting", after);
  index_ = new QCheckBox("Word &indexing", after);
  for (QCheckBox* c : {dupes_, purge_, count_, index_}) afterLayout->addWidget(c);
  layout->addWidget(after);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  connect(scheduled_, &QCheckBox::toggled, this, [this] { enableRepeat(); });
  connect(repeat_, &QButtonGroup::idClicked, this, [this] { enableRepeat(); });

  if (id != 0) {
    if (const std::optional<TAS> t = loadTask(ctx, id)) {
      showTask(*t);
      for (const TIM& l : taskLinks(ctx, id)) checkDefinition(l.BATCHID);
    }
  }
  enableRepeat();
}

void TaskDialog::showTask(const TAS& t) {
  description_->setText(fromStored(t.DESCRIPTION.str()));
  active_->setChecked(t.ACTIVE == 1);
  scheduled_->setChecked(t.RUNNEXTDATE != 0);
  if (t.RUNNEXTDATE != 0) {
    const dates::Ymd d = dates::fromDayNumber(t.RUNNEXTDATE);
    date_->setDate(QDate(d.year, d.month, d.day));
  }
  const std::int32_t seconds = dates::secondsOfDay(t.RUNNEXTTIME);
  time_->setTime(QTime(seconds / 3600, seconds / 60 % 60));
  for (int d = 0; d < 7; ++d) weekdays_[static_cast<std::size_t>(d)]->setChecked(t.DAYS[d] != 0);
  for (int d = 0; d < 5; ++d) monthDays_[static_cast<std::size_t>(d)]->setValue(+t.MONTHDAYS[d]);
  repeat_->button(hasWeekdays(t) ? kWeekly : hasMonthDays(t) ? kMonthly : kNoRepeat)->setChecked(true);
  dupes_->setChecked(t.DODUPELIM != 0);
  purge_->setChecked(t.DOPURGE != 0);
  count_->setChecked(t.DOCOUNT != 0);
  index_->setChecked(t.DOINDEX != 0);
}

void TaskDialog::enableRepeat() {
  date_->setEnabled(scheduled_->isChecked());
  time_->setEnabled(scheduled_->isChecked());
  for (QCheckBox* c : weekdays_) c->setEnabled(repeat_->checkedId() == kWeekly);
  for (QSpinBox* s : monthDays_) s->setEnabled(repeat_->checkedId() == kMonthly);
}

bool TaskDialog::checkDefinition(std::uint32_t id, bool on) {
  for (int i = 0; i < definitions_->count(); ++i)
    if (definitions_->item(i)->data(Qt::UserRole).toUInt() == id) {
      definitions_->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
      return true;
    }
  return false;
}

bool TaskDialog::read(TAS& t) {
  UiPort& ui = imports_.frame().ui();
  const std::string description = toStored(description_->text().trimmed());
  if (description.empty() || description.size() > kDescriptionWidth) {
    ui.message(kTitle, "Give the task a description of at most 50 characters.", MessageKind::Warning);
    return false;
  }
  t.DESCRIPTION = description;
  t.ACTIVE = active_->isChecked() ? 1 : 0;
  if (scheduled_->isChecked()) {
    const QDate d = date_->date();
    const QTime tm = time_->time();
    t.RUNNEXTDATE = dates::dayNumber(d.year(), d.month(), d.day());
    t.RUNNEXTTIME = dates::timeOf(tm.hour(), tm.minute(), 0);
  } else {
    t.RUNNEXTDATE = 0;
    t.RUNNEXTTIME = 0;
  }
  // Weekly and monthly repeat exclude each other: the scheme not chosen is cleared.
  const int repeat = repeat_->checkedId();
  bool anyDay = false;
  for (int d = 0; d < 7; ++d) {
    const bool on = repeat == kWeekly && weekdays_[static_cast<std::size_t>(d)]->isChecked();
    t.DAYS[d] = on ? 1 : 0;
    anyDay = anyDay || on;
  }
  for (int d = 0; d < 5; ++d) {
    const int day = repeat == kMonthly ? monthDays_[static_cast<std::size_t>(d)]->value() : 0;
    t.MONTHDAYS[d] = static_cast<std::uint8_t>(day);
    anyDay = anyDay || day != 0;
  }
  if (repeat != kNoRepeat && !anyDay) {
    ui.message(kTitle, repeat == kWeekly ? "Choose the weekdays the task repeats on." : "Choose the days of the month the task repeats on.",
               MessageKind::Warning);
    return false;
  }
  t.DODUPELIM = dupes_->isChecked() ? 1 : 0;
  t.DOPURGE = purge_->isChecked() ? 1 : 0;
  t.DOCOUNT = count_->isChecked() ? 1 : 0;
  t.DOINDEX = index_->isChecked() ? 1 : 0;
  return true;
}

bool TaskDialog::storeLinks(std::uint32_t taskId) {
  Context& ctx = imports_.frame().application().ctx();
  for (int i = 0; i < definitions_->count(); ++i) {
    const std::uint32_t definition = definitions_->item(i)->data(Qt::UserRole).toUInt();
    const bool ok = definitions_->item(i)->checkState() == Qt::Checked ? linkDefinition(ctx, taskId, definition)
                                                                        : unlinkDefinition(ctx, taskId, definition);
    if (!ok) {
      imports_.frame().ui().message(kTitle, "The import definition \"" + toStored(definitions_->item(i)->text()) +
                                                "\" could not be linked to the task.",
                                    MessageKind::Error);
      return false;
    }
  }
  return true;
}

void TaskDialog::accept() {
  Context& ctx = imports_.frame().application().ctx();
  TAS t{};
  if (id_ != 0) {
    const std::optional<TAS> stored = loadTask(ctx, id_);
    if (!stored) {
      imports_.frame().ui().message(kTitle, "The task has been removed meanwhile.", MessageKind::Error);
      QDialog::reject();
      return;
    }
    t = *stored;
  }
  if (!read(t)) return;
  if (id_ == 0) {
    if (qv::addTask(ctx, t) == kNoIdentifier) return;
    id_ = t.ID;
  } else if (!changeTask(ctx, t)) {
    return;
  }
  const bool linked = storeLinks(id_);
  emit stored(id_);
  if (linked) QDialog::accept();
}

TasksWindow::TasksWindow(ImportMenu& imports, QWidget* parent) : QWidget(parent), imports_(imports) {
  setWindowTitle(kTitle);
  auto* layout = new QVBoxLayout(this);
  table_ = new IdTable({"Description", "Active", "Next run", "Repeat", "Last run", "Result", "Definitions"}, this);
  layout->addWidget(table_);
  auto* buttons = new QHBoxLayout();
  auto* add = new QPushButton("&New...", this);
  auto* edit = new QPushButton("&Change...", this);
  auto* remove = new QPushButton("&Delete", this);
  auto* now = new QPushButton("Run &Now", this);
  for (QPushButton* b : {add, edit, remove}) buttons->addWidget(b);
  buttons->addStretch(1);
  buttons->addWidget(now);
  layout->addLayout(buttons);
  connect(add, &QPushButton::clicked, this, [this] { addTask(); });
  connect(edit, &QPushButton::clicked, this, [this] { editSelected(); });
  connect(remove, &QPushButton::clicked, this, &TasksWindow::removeSelected);
  connect(now, &QPushButton::clicked, this, &TasksWindow::runSelectedNow);
  connect(table_, &QTableWidget::cellDoubleClicked, this, [this] { editSelected(); });
  reload();
}

void TasksWindow::reload() {
  const std::optional<std::uint32_t> kept = selectedId();
  Context& ctx = imports_.frame().application().ctx();
  const std::vector<TAS> tasks = listTasks(ctx);
  table_->setRowCount(static_cast<int>(tasks.size()));
  for (std::size_t i = 0; i < tasks.size(); ++i) {
    const TAS& t = tasks[i];
    const int row = static_cast<int>(i);
    table_->setFirst(row, fromStored(t.DESCRIPTION.str()), t.ID);
    table_->setCell(row, kActive, t.ACTIVE == 1 ? "Yes" : "");
    const QString next = t.RUNNOWDATE != 0 ? "now (" + momentText(t.RUNNOWDATE, t.RUNNOWTIME) + ")"
                                           : momentText(t.RUNNEXTDATE, t.RUNNEXTTIME);
    table_->setCell(row, kNextRun, next);
    table_->setCell(row, kRepeat, repeatText(t));
    table_->setCell(row, kLastRun, momentText(t.LASTRUNDATE, t.LASTRUNTIME));
    table_->setCell(row, kResult, resultText(t.RESULTCODE));
    table_->setCell(row, kDefinitions, QString::number(taskLinks(ctx, t.ID).size()));
  }
  if (kept) select(*kept);
}

std::optional<std::uint32_t> TasksWindow::selectedId() const { return table_->selectedId(); }

bool TasksWindow::select(std::uint32_t id) { return table_->select(id); }

TaskDialog* TasksWindow::openEditor(std::uint32_t id) {
  auto* editor = new TaskDialog(imports_, id, this);
  editor->setAttribute(Qt::WA_DeleteOnClose);
  connect(editor, &TaskDialog::stored, this, [this](std::uint32_t stored) {
    reload();
    select(stored);
  });
  editor->open();
  return editor;
}

TaskDialog* TasksWindow::addTask() { return openEditor(0); }

TaskDialog* TasksWindow::editSelected() {
  const std::optional<std::uint32_t> id = selectedId();
  return id ? openEditor(*id) : nullptr;
}

void TasksWindow::removeSelected() {
  const std::optional<std::uint32_t> id = selectedId();
  if (!id) return;
  const QString description = table_->item(table_->currentRow(), 0)->text();
  if (imports_.frame().ui().ask(kTitle, "Remove the task \"" + toStored(description) + "\"?", kYes | kNo, kNo) != kYes)
    return;
  removeTask(imports_.frame().application().ctx(), *id);
  reload();
}

void TasksWindow::runSelectedNow() {
  const std::optional<std::uint32_t> id = selectedId();
  if (!id) return;
  Context& ctx = imports_.frame().application().ctx();
  std::optional<TAS> t = loadTask(ctx, *id);
  if (!t) {
    reload();
    return;
  }
  const Moment now = readClock(imports_.poller()->clock);
  t->RUNNOWDATE = now.date;
  t->RUNNOWTIME = now.time;
  if (!changeTask(ctx, *t)) return;
  reload();
  UiPort& ui = imports_.frame().ui();
  if (t->ACTIVE != 1)
    ui.message(kTitle, "The task is not active: it runs only once it is activated.", MessageKind::Warning);
  else if (taskLinks(ctx, *id).empty())
    ui.message(kTitle, "The task has no import definition to run.", MessageKind::Warning);
}

}  // namespace qv::gui
