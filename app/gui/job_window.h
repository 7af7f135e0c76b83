#pragma once
// A window that runs one long job (import, indexing, purge, count,
// duplicates, export): the job steps one slice per turn of the event loop,
// so the program stays responsive; a progress bar and the job's step text
// follow it, and Cancel asks the job to stop at its next step.

#include <QDialog>
#include <functional>
#include <memory>

#include "store/job.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace qv::gui {

class JobWindow : public QDialog {
  Q_OBJECT

 public:
  // `finish` runs once the job has ended, before the window closes (it may read the job's result).
  JobWindow(const QString& title, std::unique_ptr<Job> job, std::function<void(Job&)> finish = {},
            QWidget* parent = nullptr);
  // Runs a job its caller owns (and keeps after the window has gone).
  JobWindow(const QString& title, Job& job, QWidget* parent = nullptr);
  ~JobWindow() override;

  void start();
  bool ended() const { return ended_; }
  Job& job() { return *job_; }
  QProgressBar* bar() const { return bar_; }
  QLabel* stepText() const { return text_; }

 signals:
  void jobEnded();

 protected:
  void reject() override;  // Esc and the close box cancel like the button

 private:
  void step();

  std::unique_ptr<Job> owned_;
  Job* job_ = nullptr;
  std::function<void(Job&)> finish_;
  QLabel* text_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QTimer* timer_ = nullptr;
  bool ended_ = false;
};

// Runs the job in a window and waits for its end while the event loop turns.
void runJobWindow(JobWindow& window);
// The same, with the rest of the program blocked while the job runs.
void runModalJobWindow(JobWindow& window);

}  // namespace qv::gui
