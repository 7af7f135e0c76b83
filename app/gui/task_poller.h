#pragma once
// Scheduled tasks while the desktop program runs: every 15 seconds the due
// check; a due task shows its countdown (a minute to start, postpone, skip
// or deactivate it); a started task runs in a job window while no other
// work is allowed — the work windows are closed and the menus disabled —
// and the frame is given back when it has ended.
//
// A check waits (the task stays due for the next one) while other work is
// under way in this program: a job window runs or a modal dialog is open.

#include <QDialog>
#include <QObject>
#include <functional>

#include "app/scheduler/scheduler.h"
#include "import/task_countdown.h"

class QButtonGroup;
class QLabel;
class QSpinBox;
class QTimer;

namespace qv::gui {

class MainWindow;

// The countdown's window over its model (import/task_countdown.h). Ticks
// once a second; at the deadline, or on OK, it ends.
class TaskCountdownDialog : public QDialog {
  Q_OBJECT

 public:
  TaskCountdownDialog(TaskCountdown& countdown, TaskClock clock, std::function<bool()> workOpen,
                      QWidget* parent = nullptr);

  QButtonGroup* options() const { return options_; }
  QSpinBox* hours() const { return hours_; }
  QLabel* explanation() const { return explanation_; }
  QLabel* taskLine() const { return task_; }
  bool hasEnded() const { return end_ != CountdownEnd::Running; }
  CountdownEnd end() const { return end_; }

  // One tick of the clock: the title every five seconds; at the deadline the
  // countdown ends.
  void tick();
  // OK with the chosen option.
  void ok();

 signals:
  void ended();

 protected:
  void reject() override;  // closing the window: the task does not start

 private:
  CountdownOption selected() const;
  void finish(CountdownEnd end);

  TaskCountdown& countdown_;
  TaskClock clock_;
  std::function<bool()> workOpen_;
  QButtonGroup* options_ = nullptr;
  QSpinBox* hours_ = nullptr;
  QLabel* explanation_ = nullptr;
  QLabel* task_ = nullptr;
  QTimer* timer_ = nullptr;
  int shownSeconds_ = -1;
  CountdownEnd end_ = CountdownEnd::Running;
};

class TaskPoller : public QObject {
  Q_OBJECT

 public:
  static constexpr int kPollMilliseconds = 15000;

  explicit TaskPoller(MainWindow& frame);

  // The clock of the due check, the countdown and the run; tests set it.
  TaskClock clock;

  // One due check: a due task's countdown, and its run when it starts.
  // Returns when the countdown has closed or the run has ended.
  app::PollResult poll();
  bool running() const { return running_; }
  TaskCountdownDialog* countdown() const { return countdown_; }
  QTimer* timer() const { return timer_; }

 signals:
  // The countdown is shown (a test may answer it from here).
  void countdownShown(TaskCountdownDialog* countdown);
  // The task has started: the frame is locked until it ends.
  void taskStarted();
  void taskEnded(const app::PollResult& result);

 private:
  // Work of this program a starting task must not meet.
  bool workRunning() const;
  CountdownEnd showCountdown(TaskCountdown& countdown);
  void runTask(Job& job);
  void lockFrame(bool locked);

  MainWindow& frame_;
  QTimer* timer_ = nullptr;
  TaskCountdownDialog* countdown_ = nullptr;
  bool busy_ = false;
  bool running_ = false;
};

}  // namespace qv::gui
