#include "app/gui/purge_window.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/application.h"
#include "app/gui/databases_window.h"
#include "app/gui/job_window.h"
#include "app/gui/main_window.h"
#include "app/gui/qt_text.h"
#include "app/gui/window_parts.h"
#include "app/windows/databases.h"
#include "import/task_lock.h"
#include "maintenance/duplicates_texts.h"
#include "maintenance/purge_texts.h"
#include "store/config.h"

namespace qv::gui {

namespace {

using maintenance::PurgeMode;
using maintenance::PurgeResult;

// Replaces the lines of a form by "label value" pairs.
void fillLines(QFormLayout* form, const std::vector<maintenance::PanelLine>& lines) {
  while (form->rowCount() > 0) form->removeRow(0);
  for (const maintenance::PanelLine& l : lines) {
    auto* value = new QLabel(QString::number(l.value));
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->addRow(fromStored(l.label), value);
  }
}

QStringList linesOf(const QFormLayout* form) {
  QStringList out;
  for (int r = 0; r < form->rowCount(); ++r) {
    const auto* label = qobject_cast<QLabel*>(form->itemAt(r, QFormLayout::LabelRole)->widget());
    const auto* value = qobject_cast<QLabel*>(form->itemAt(r, QFormLayout::FieldRole)->widget());
    if (label != nullptr && value != nullptr) out << label->text() + "\t" + value->text();
  }
  return out;
}

// Not beside a scheduled task's housekeeping or another program's work on the database.
bool refusedAsBusy(UiPort& ui, const DatabaseWork& work) {
  if (work.refusal().empty()) return false;
  ui.message(kDatabaseBusyTitle, work.refusal(), MessageKind::Error);
  return true;
}

}  // namespace

PurgeWindow::PurgeWindow(MainWindow& frame, PurgeMode mode, QWidget* parent)
    : QWidget(parent), frame_(frame), mode_(mode) {
  const bool purge = mode == PurgeMode::Purge;
  setWindowTitle(fromStored(purge ? maintenance::kPurgeTitle : maintenance::kCountTitle));
  auto* layout = new QVBoxLayout(this);

  // The aged-thread option: purges of forum and newsgroup databases only.
  auto* agedRow = new QHBoxLayout();
  aged_ = new QCheckBox("Also delete threads without a message for more weeks than", this);
  weeks_ = new QSpinBox(this);
  weeks_->setRange(0, maintenance::kMaxAgedWeeks);
  weeks_->setEnabled(false);
  agedRow->addWidget(aged_);
  agedRow->addWidget(weeks_);
  agedRow->addStretch(1);
  layout->addLayout(agedRow);
  const bool mail = databaseType(frame_.application().ctx().mem.ForumType) == DatabaseType::Mail;
  aged_->setVisible(purge && !mail);
  weeks_->setVisible(purge && !mail);
  connect(aged_, &QCheckBox::toggled, this, &PurgeWindow::agedToggled);

  statistics_ = new QGroupBox(this);
  statisticsLines_ = new QFormLayout(statistics_);
  layout->addWidget(statistics_);
  panel_ = new QGroupBox(fromStored(maintenance::kCountPanelHeading), this);
  panelLines_ = new QFormLayout(panel_);
  panel_->hide();
  layout->addWidget(panel_);
  fillLines(statisticsLines_, maintenance::statisticsLines(mode_, {}));
  layout->addStretch(1);

  start_ = new QPushButton(fromStored(purge ? maintenance::kStartPurgeButton : maintenance::kStartCountButton), this);
  end_ = new QPushButton(fromStored(maintenance::kEndButton), this);
  layout->addLayout(sessionButtons(*this, start_, end_));
  connect(start_, &QPushButton::clicked, this, [this] { start(); });
}

void PurgeWindow::agedToggled(bool on) {
  // Ticked with 0 weeks means 999 weeks; unticked, no weeks.
  weeks_->setValue(on ? maintenance::agedWeeks(true, weeks_->value()) : 0);
  weeks_->setEnabled(on);
}

PurgeResult PurgeWindow::start() {
  app::Application& app = frame_.application();
  Context& ctx = app.ctx();
  const std::uint32_t database = ctx.mem.ForumNumber;
  DatabaseWork work(ctx.mem.Net, database);
  if (refusedAsBusy(frame_.ui(), work)) return PurgeResult::Failed;

  maintenance::PurgeOptions options;
  options.mode = mode_;
  options.agedWeeks = aged_->isVisible() ? maintenance::agedWeeks(aged_->isChecked(), weeks_->value()) : 0;
  auto job = std::make_unique<maintenance::PurgeMess>(ctx, options);
  job->onFinished = [this] { frame_.databaseChanged(); };
  const DatabaseType type = databaseType(ctx.mem.ForumType);
  const QString running = fromStored(job->runningTitle());

  beginSession(*start_, *end_);
  JobWindow window(running, std::move(job), {}, this);
  runModalJobWindow(window);
  end_->setEnabled(true);
  auto& run = static_cast<maintenance::PurgeMess&>(window.job());
  const PurgeResult result = run.result();

  if (result == PurgeResult::DatabaseRemoved) {
    if (generalSetting(ctx, kItemStartDatabase) == static_cast<std::int32_t>(database)) app::setStartDatabase(ctx, 0);
    // The database is gone with its directory: its windows (this one too) close.
    frame_.closeDatabaseWindows();
    frame_.updateFrame();
    if (auto* list = frame_.windowNamed(app::windows::kNotToolsGroup, app::windows::kChangeForum))
      static_cast<DatabasesWindow*>(list)->reload();
    return result;
  }
  if (result == PurgeResult::Cancelled) {
    // Nothing was touched: the window stays as it was, without a second start.
    return result;
  }
  const maintenance::PurgeStatistics& s = run.statistics();
  if (result == PurgeResult::Done || result == PurgeResult::Stopped)
    fillLines(statisticsLines_, maintenance::statisticsLines(mode_, s));
  if (result == PurgeResult::Done) {
    fillLines(panelLines_, maintenance::countPanel(type, s));
    panel_->show();
  }
  fitWorkWindow(*this);
  if (result == PurgeResult::Stopped) {
    frame_.ui().message(run.title(),
                        "Stopped: what was done so far is kept. Counts may be behind until the database is counted "
                        "again (Tools, Count Messages).",
                        MessageKind::Information);
    frame_.databaseChanged();
  }
  return result;
}

QStringList PurgeWindow::figures() const {
  QStringList out = linesOf(statisticsLines_);
  if (!panel_->isHidden()) out << linesOf(panelLines_);
  return out;
}

DuplicatesWindow::DuplicatesWindow(MainWindow& frame, QWidget* parent) : QWidget(parent), frame_(frame) {
  namespace texts = maintenance::dup_texts;
  const Context& ctx = frame_.application().ctx();
  const texts::Captions captions = texts::captions(databaseType(ctx.mem.ForumType));
  setWindowTitle(fromStored(texts::title(ctx.mem.Description.str(), false)));
  auto* layout = new QVBoxLayout(this);
  heading_ = new QLabel(fromStored(captions.heading), this);
  QFont bold = heading_->font();
  bold.setBold(true);
  heading_->setFont(bold);
  layout->addWidget(heading_);
  auto* box = new QGroupBox(this);
  lines_ = new QFormLayout(box);
  for (std::string_view caption : {captions.existing, captions.obsolete, captions.merged, captions.remaining}) {
    auto* value = new QLabel("0", box);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lines_->addRow(fromStored(caption), value);
  }
  layout->addWidget(box);
  finished_ = new QLabel(this);
  layout->addWidget(finished_);
  layout->addStretch(1);
  start_ = new QPushButton(fromStored(texts::kStartButton), this);
  end_ = new QPushButton(fromStored(maintenance::kEndButton), this);
  layout->addLayout(sessionButtons(*this, start_, end_));
  connect(start_, &QPushButton::clicked, this, [this] { start(); });
}

maintenance::DuplicatesResult DuplicatesWindow::start() {
  Context& ctx = frame_.application().ctx();
  DatabaseWork work(ctx.mem.Net, ctx.mem.ForumNumber);
  if (refusedAsBusy(frame_.ui(), work)) return maintenance::DuplicatesResult::Failed;

  beginSession(*start_, *end_);
  JobWindow window(windowTitle(), std::make_unique<maintenance::DuplicatesJob>(ctx), {}, this);
  runModalJobWindow(window);
  end_->setEnabled(true);
  auto& run = static_cast<maintenance::DuplicatesJob&>(window.job());
  const maintenance::DuplicatesCounts& c = run.counts();
  const std::uint64_t values[] = {c.before, c.withoutMessages, c.duplicates, c.remaining()};
  for (int r = 0; r < lines_->rowCount(); ++r)
    if (auto* value = qobject_cast<QLabel*>(lines_->itemAt(r, QFormLayout::FieldRole)->widget()))
      value->setText(QString::number(values[static_cast<std::size_t>(r)]));
  if (run.result() == maintenance::DuplicatesResult::Done)
    finished_->setText(fromStored(maintenance::dup_texts::kFinished));
  fitWorkWindow(*this);
  // Persons were merged or removed: the open browse shows their new names.
  frame_.databaseChanged();
  return run.result();
}

QStringList DuplicatesWindow::figures() const { return linesOf(lines_); }

}  // namespace qv::gui
