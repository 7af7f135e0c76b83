#include "app/gui/task_poller.h"

#include <QApplication>
#include <QButtonGroup>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "app/application.h"
#include "app/gui/job_window.h"
#include "app/gui/main_window.h"
#include "app/gui/qt_text.h"
#include "store/dates.h"

namespace qv::gui {

TaskCountdownDialog::TaskCountdownDialog(TaskCountdown& countdown, TaskClock clock, std::function<bool()> workOpen,
                                         QWidget* parent)
    : QDialog(parent), countdown_(countdown), clock_(std::move(clock)), workOpen_(std::move(workOpen)) {
  auto* layout = new QVBoxLayout(this);
  explanation_ = new QLabel(fromStored(kCountdownText), this);
  explanation_->setWordWrap(true);
  layout->addWidget(explanation_);
  const Moment shown = countdown_.shownRun();
  task_ = new QLabel(fromStored(countdown_.task().DESCRIPTION.str()) + "   " +
                         QString::fromStdString(dates::formatDate(shown.date, dates::kDateYyyyMmDd) + " " +
                                                dates::formatTime(shown.time, dates::kTimeHhMm)),
                     this);
  QFont bold = task_->font();
  bold.setBold(true);
  task_->setFont(bold);
  layout->addWidget(task_);
  options_ = new QButtonGroup(this);
  const char* names[] = {"&Start now", "&Postpone by", "S&kip this run", "&Deactivate this task",
                         "Deactivate &all tasks"};
  for (int o = 0; o <= static_cast<int>(CountdownOption::DeactivateAll); ++o) {
    auto* b = new QRadioButton(names[o], this);
    options_->addButton(b, o);
    if (o == static_cast<int>(CountdownOption::Postpone)) {
      auto* row = new QHBoxLayout();
      hours_ = new QSpinBox(this);
      hours_->setRange(1, 99);
      hours_->setValue(1);
      row->addWidget(b);
      row->addWidget(hours_);
      row->addWidget(new QLabel("hour(s)", this));
      row->addStretch(1);
      layout->addLayout(row);
    } else {
      layout->addWidget(b);
    }
  }
  options_->button(static_cast<int>(CountdownOption::StartNow))->setChecked(true);
  auto* ok = new QPushButton("OK", this);
  ok->setDefault(true);
  layout->addWidget(ok, 0, Qt::AlignRight);
  connect(ok, &QPushButton::clicked, this, &TaskCountdownDialog::ok);
  timer_ = new QTimer(this);
  timer_->setInterval(1000);
  connect(timer_, &QTimer::timeout, this, &TaskCountdownDialog::tick);
  setWindowTitle(fromStored(TaskCountdown::title(countdown_.remaining(readClock(clock_)))));
  timer_->start();
}

CountdownOption TaskCountdownDialog::selected() const {
  const int id = options_->checkedId();
  return static_cast<CountdownOption>(id < 0 ? 0 : id);
}

void TaskCountdownDialog::tick() {
  if (hasEnded()) return;
  const Moment now = readClock(clock_);
  const int left = countdown_.remaining(now);
  if (left != shownSeconds_ && TaskCountdown::refreshesTitle(left)) {
    setWindowTitle(fromStored(TaskCountdown::title(left)));
    shownSeconds_ = left;
  }
  const CountdownEnd end = countdown_.tick(now, selected(), workOpen_());
  if (end != CountdownEnd::Running) finish(end);
}

void TaskCountdownDialog::ok() {
  if (hasEnded()) return;
  const CountdownOption option = selected();
  if (option == CountdownOption::Postpone) setWindowTitle(fromStored(TaskCountdown::postponedTitle(hours_->value())));
  const CountdownEnd end = countdown_.ok(readClock(clock_), option, workOpen_(), hours_->value());
  if (end == CountdownEnd::Start) setWindowTitle(fromStored(kTaskStartingTitle));
  finish(end);
}

void TaskCountdownDialog::reject() {
  if (!hasEnded()) finish(CountdownEnd::Closed);
}

void TaskCountdownDialog::finish(CountdownEnd end) {
  end_ = end;
  timer_->stop();
  emit ended();
  if (isVisible()) QDialog::done(end == CountdownEnd::Start ? Accepted : Rejected);
}

TaskPoller::TaskPoller(MainWindow& frame) : QObject(&frame), frame_(frame) {
  timer_ = new QTimer(this);
  timer_->setInterval(kPollMilliseconds);
  connect(timer_, &QTimer::timeout, this, [this] { poll(); });
  timer_->start();
}

bool TaskPoller::workRunning() const {
  if (QApplication::activeModalWidget() != nullptr) return true;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && qobject_cast<JobWindow*>(w) != nullptr) return true;
  return false;
}

app::PollResult TaskPoller::poll() {
  app::PollResult r;
  if (busy_ || workRunning()) {
    r.outcome = app::PollOutcome::Waiting;
    r.why = "Other work is under way in this program.";
    return r;
  }
  busy_ = true;
  timer_->stop();
  app::PollOptions options;
  options.clock = clock;
  options.countdown = [this](TaskCountdown& c) { return showCountdown(c); };
  options.onNote = [this](const std::string& note) { frame_.statusBar()->showMessage(fromStored(note)); };
  options.drive = [this](Job& job) { runTask(job); };
  app::Application& app = frame_.application();
  r = app::pollOnce(app, options);
  // The countdown may have set the task mode of the frame's thread of work;
  // the frame is interactive again whatever happened.
  app.ctx().mem.DoTask = stored(TaskMode::Interactive);
  busy_ = false;
  timer_->start();
  if (r.outcome == app::PollOutcome::Ran) {
    frame_.statusBar()->showMessage(
        QString("Task %1 ended: %2").arg(r.taskId).arg(r.taskResult == kTaskSucceeded ? "success" : "failed"));
    emit taskEnded(r);
  }
  return r;
}

CountdownEnd TaskPoller::showCountdown(TaskCountdown& countdown) {
  app::Application& app = frame_.application();
  TaskCountdownDialog dialog(countdown, clock, [this, &app] {
    return workRunning() || app::openWork(app.ctx()).has_value();
  }, &frame_);
  countdown_ = &dialog;
  QEventLoop loop;
  connect(&dialog, &TaskCountdownDialog::ended, &loop, &QEventLoop::quit);
  dialog.show();
  emit countdownShown(&dialog);
  if (!dialog.hasEnded()) loop.exec();
  countdown_ = nullptr;
  return dialog.end();
}

void TaskPoller::lockFrame(bool locked) {
  running_ = locked;
  if (locked) frame_.area()->closeAllSubWindows();
  frame_.menuBar()->setEnabled(!locked);
}

void TaskPoller::runTask(Job& job) {
  lockFrame(true);
  emit taskStarted();
  {
    JobWindow window("Scheduled import", job, &frame_);
    runJobWindow(window);
  }
  lockFrame(false);
  frame_.updateFrame();
  frame_.databaseChanged();
}

}  // namespace qv::gui
