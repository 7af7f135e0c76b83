#include "app/gui/batch_window.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/application.h"
#include "app/gui/job_window.h"
#include "app/gui/main_window.h"
#include "app/gui/qt_text.h"
#include "app/gui/selection_panel.h"
#include "app/gui/window_parts.h"

namespace qv::gui {

using exporting::BatchKind;
using exporting::BatchResult;

BatchWindow::BatchWindow(MainWindow& frame, Purpose purpose, QWidget* parent)
    : QWidget(parent), frame_(frame), purpose_(purpose) {
  const bool classify = purpose == Purpose::Classify;
  setWindowTitle(classify ? "Classify Messages" : "Set Message Status");
  auto* layout = new QVBoxLayout(this);
  selection_ = new SelectionPanel(frame_,
                                  classify ? " Classify all messages related to the current:"
                                           : " Recode all messages related to the current:",
                                  this);
  layout->addWidget(selection_);
  auto* box = new QGroupBox(classify ? "Topic" : "Status", this);
  auto* row = new QHBoxLayout(box);
  if (classify) {
    topic_ = new QComboBox(box);
    attach_ = new QRadioButton("&Attach", box);
    remove_ = new QRadioButton("&Remove", box);
    attach_->setChecked(true);
    row->addWidget(topic_, 1);
    row->addWidget(attach_);
    row->addWidget(remove_);
    reloadTopics();
  } else {
    normal_ = new QRadioButton("&Normal", box);
    keep_ = new QRadioButton("&Keep", box);
    delete_ = new QRadioButton("&Delete", box);
    normal_->setChecked(true);
    row->addWidget(normal_);
    row->addWidget(keep_);
    row->addWidget(delete_);
    row->addStretch(1);
  }
  layout->addWidget(box);
  layout->addLayout(dialogButtons(*this, start_ = new QPushButton("&Start", this)));
  result_ = new QLabel(this);
  layout->addWidget(result_);
  layout->addStretch(1);
  connect(start_, &QPushButton::clicked, this, [this] { start(); });
}

QRadioButton* BatchWindow::statusButton(Status status) const {
  switch (status) {
    case Status::Keep: return keep_;
    case Status::Delete: return delete_;
    default: return normal_;
  }
}

void BatchWindow::reloadTopics() {
  selection_->reloadTopics();
  if (topic_ != nullptr) fillTopics(*topic_, frame_.application().ctx());
}

bool BatchWindow::chooseTopic(const QString& text) { return topic_ != nullptr && chooseItem(*topic_, text); }

BatchResult BatchWindow::start() {
  result_->clear();
  const std::optional<SelectionPanel::Chosen> chosen = selection_->chosen();
  if (!chosen) return BatchResult::Refused;
  exporting::BatchRequest r;
  r.code = chosen->code;
  r.start = chosen->start;
  r.range = chosen->range;
  if (purpose_ == Purpose::Classify) {
    r.kind = remove_->isChecked() ? BatchKind::RemoveTopic : BatchKind::AttachTopic;
    // No topic chosen: the operation refuses it with its own message.
    r.topicId = topic_->currentIndex() >= 0 ? topic_->currentData().value<std::uint32_t>() : 0;
  } else {
    r.kind = BatchKind::Recode;
    r.status = keep_->isChecked() ? Status::Keep : delete_->isChecked() ? Status::Delete : Status::Normal;
  }
  const BatchKind kind = r.kind;
  JobWindow window(fromStored(exporting::runningText(kind)),
                   std::make_unique<exporting::BatchJob>(frame_.application().ctx(), std::move(r)), {}, this);
  runModalJobWindow(window);
  auto& job = static_cast<exporting::BatchJob&>(window.job());
  switch (job.result()) {
    case BatchResult::Done:
      result_->setText(fromStored(exporting::finishedText(kind)) +
                       (job.recodedContainer()
                            ? QString(" (recoded as a whole)")
                            : QString(" (%1 of %2 messages changed)").arg(job.changed()).arg(job.selected())));
      break;
    case BatchResult::Cancelled: result_->setText(fromStored(exporting::kProcessAborted)); break;
    default: break;
  }
  if (job.result() == BatchResult::Done || job.result() == BatchResult::Cancelled) {
    // What was written stays: the topic counts and the browse's lines follow.
    if (purpose_ == Purpose::Classify) frame_.topicsChanged();
    frame_.databaseChanged();
  }
  return job.result();
}

}  // namespace qv::gui
