#include "app/gui/job_window.h"

#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <limits>

#include "app/gui/qt_text.h"

namespace qv::gui {

JobWindow::JobWindow(const QString& title, std::unique_ptr<Job> job, std::function<void(Job&)> finish,
                     QWidget* parent)
    : JobWindow(title, *job, parent) {
  owned_ = std::move(job);
  finish_ = std::move(finish);
}

JobWindow::JobWindow(const QString& title, Job& job, QWidget* parent) : QDialog(parent), job_(&job) {
  setWindowTitle(title);
  setMinimumWidth(420);
  auto* layout = new QVBoxLayout(this);
  text_ = new QLabel(this);
  bar_ = new QProgressBar(this);
  cancel_ = new QPushButton("Cancel", this);
  layout->addWidget(text_);
  layout->addWidget(bar_);
  layout->addWidget(cancel_, 0, Qt::AlignRight);
  timer_ = new QTimer(this);
  timer_->setInterval(0);
  connect(timer_, &QTimer::timeout, this, &JobWindow::step);
  connect(cancel_, &QPushButton::clicked, this, [this] { job_->requestCancel(); });
}

JobWindow::~JobWindow() = default;

void JobWindow::start() {
  show();
  timer_->start();
}

void JobWindow::reject() {
  if (!ended_) {
    job_->requestCancel();
    return;
  }
  QDialog::reject();
}

void JobWindow::step() {
  if (ended_) return;
  const bool done = job_->step();
  const ProgressReport& p = job_->progress();
  // QProgressBar counts in int; large ranges are scaled down.
  std::int64_t range = p.range;
  std::int64_t position = p.position;
  while (range > std::numeric_limits<int>::max()) {
    range /= 2;
    position /= 2;
  }
  bar_->setRange(0, range > 0 ? static_cast<int>(range) : 0);
  if (range > 0) bar_->setValue(static_cast<int>(std::min(position, range)));
  text_->setText(fromStored(p.text));
  if (!done) return;
  ended_ = true;
  timer_->stop();
  if (finish_) finish_(*job_);
  emit jobEnded();
  accept();
}

void runJobWindow(JobWindow& window) {
  QEventLoop loop;
  QObject::connect(&window, &JobWindow::jobEnded, &loop, &QEventLoop::quit);
  window.start();
  if (!window.ended()) loop.exec();
}

void runModalJobWindow(JobWindow& window) {
  window.setWindowModality(Qt::ApplicationModal);
  runJobWindow(window);
}

}  // namespace qv::gui
