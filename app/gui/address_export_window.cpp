#include "app/gui/address_export_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/application.h"
#include "app/gui/job_window.h"
#include "app/gui/main_window.h"
#include "app/gui/qt_text.h"
#include "app/gui/window_parts.h"
#include "export/batch_operation.h"

namespace qv::gui {

using exporting::AddressFormat;
using exporting::AddressResult;

namespace {

// The formats a database type offers, in the order of its list: a mail
// database all five, a forum or newsgroup the two with service addresses.
std::vector<AddressFormat> offeredAddressFormats(DatabaseType type) {
  if (type == DatabaseType::Mail)
    return {AddressFormat::Eudora, AddressFormat::OzWin2, AddressFormat::Tapcis, AddressFormat::GenericMail,
            AddressFormat::DBase3};
  return {AddressFormat::OzWin2, AddressFormat::Tapcis};
}

}  // namespace

AddressExportWindow::AddressExportWindow(MainWindow& frame, QWidget* parent) : QWidget(parent), frame_(frame) {
  setWindowTitle(fromStored(exporting::kAddressExportTitle).trimmed());
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout();
  format_ = new QComboBox(this);
  for (AddressFormat f : offeredAddressFormats(databaseType(frame_.application().ctx().mem.ForumType)))
    format_->addItem(fromStored(exporting::addressFormatLabel(f)), static_cast<int>(f));
  form->addRow("&Format:", format_);
  file_ = new QLineEdit(this);
  form->addRow("&File name:", file_);
  form->addRow(
      new QLabel("The file is written to " + fromStored(frame_.application().ctx().mem.TempDir.string()), this));
  auto* topicRow = new QHBoxLayout();
  byTopic_ = new QCheckBox("Only the correspondents of the &topic", this);
  topic_ = new QComboBox(this);
  topicRow->addWidget(byTopic_);
  topicRow->addWidget(topic_, 1);
  form->addRow(topicRow);
  range_ = makeDateRange(*this);
  form->addRow(range_.row);
  layout->addLayout(form);
  layout->addLayout(dialogButtons(*this, start_ = new QPushButton("&Export", this)));
  result_ = new QLabel(this);
  result_->setWordWrap(true);
  layout->addWidget(result_);
  layout->addStretch(1);

  reloadTopics();
  connect(format_, &QComboBox::currentIndexChanged, this, &AddressExportWindow::formatChosen);
  connect(byTopic_, &QCheckBox::toggled, topic_, &QWidget::setEnabled);
  topic_->setEnabled(false);
  connect(start_, &QPushButton::clicked, this, [this] { start(); });
  formatChosen();
}

void AddressExportWindow::reloadTopics() { fillTopics(*topic_, frame_.application().ctx()); }

bool AddressExportWindow::chooseFormat(const QString& label) { return chooseItem(*format_, label); }

void AddressExportWindow::formatChosen() {
  if (format_->currentIndex() < 0) return;
  file_->setText(fromStored(exporting::defaultAddressFile(static_cast<AddressFormat>(format_->currentData().toInt()))));
}

AddressExportWindow::Outcome AddressExportWindow::start() {
  result_->clear();
  Context& ctx = frame_.application().ctx();
  exporting::AddressRequest r;
  r.format = static_cast<AddressFormat>(format_->currentData().toInt());
  r.fileName = toStored(file_->text().trimmed());
  if (byTopic_->isChecked()) {
    if (topic_->currentIndex() < 0) {
      frame_.ui().message(exporting::kSelectionErrorTitle, "No topic selected!", MessageKind::Error);
      return Outcome::Refused;
    }
    r.topicId = topic_->currentData().value<std::uint32_t>();
  }
  r.range = dateRangeOf(range_);
  exporting::AddressExportJob job(ctx, std::move(r));
  {
    JobWindow window(fromStored(exporting::kAddressExportTitle).trimmed(), job, this);
    runModalJobWindow(window);
  }
  fitWorkWindow(*this);
  switch (job.result()) {
    case AddressResult::Done:
      result_->setText(fromStored(exporting::addressCountText(job.written())) + "\n" + fromStored(job.path().string()));
      return Outcome::Done;
    case AddressResult::NoneSelected:
      result_->setText(fromStored(exporting::kNoAddressesPassed));
      return Outcome::NoneSelected;
    case AddressResult::Cancelled:
      result_->setText(fromStored(exporting::kAddressExportAborted));
      return Outcome::Cancelled;
    case AddressResult::Refused: return Outcome::Refused;
    default: return Outcome::Failed;
  }
}

}  // namespace qv::gui
