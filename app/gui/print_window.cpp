#include "app/gui/print_window.h"

#include <QCheckBox>
#include <QFileDialog>
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
#include "app/gui/selection_panel.h"
#include "app/gui/window_parts.h"
#include "app/print/pdf_pages.h"
#include "app/print/print_queue.h"
#include "export/batch_operation.h"
#include "export/print_job.h"

namespace qv::gui {

namespace fs = std::filesystem;
using exporting::PrintResult;

namespace {
constexpr const char* kPrintTitle = "Print";
}

PrintWindow::PrintWindow(MainWindow& frame, QWidget* parent) : QWidget(parent), frame_(frame) {
  setWindowTitle("Print messages");
  auto* layout = new QVBoxLayout(this);
  selection_ = new SelectionPanel(frame_, " Print all messages related to the current:", this);
  layout->addWidget(selection_);

  auto* form = new QFormLayout();
  const PathRow fileRow = addPathRow(*form, *this, "PDF &file:", "Browse...");
  pdf_ = fileRow.field;
  pdf_->setText(fromStored((frame_.application().ctx().mem.TempDir / app::kDefaultPrintFile).string()));
  QPushButton* browse = fileRow.button;
  queue_ = new QCheckBox("Send to the print &queue", this);
  const bool queue = app::printQueueProgram().has_value();
  queue_->setEnabled(queue);
  if (!queue) queue_->setToolTip(app::kNoPrintQueueText);
  form->addRow(queue_);
  layout->addLayout(form);

  layout->addLayout(dialogButtons(*this, start_ = new QPushButton("&Print", this)));
  result_ = new QLabel(this);
  result_->setWordWrap(true);
  layout->addWidget(result_);
  layout->addStretch(1);

  connect(browse, &QPushButton::clicked, this, &PrintWindow::browseFile);
  connect(start_, &QPushButton::clicked, this, [this] { start(); });
}

void PrintWindow::browseFile() {
  const QString chosen = QFileDialog::getSaveFileName(this, kPrintTitle, pdf_->text(), "PDF files (*.pdf)");
  if (!chosen.isEmpty()) pdf_->setText(chosen);
}

PrintWindow::Outcome PrintWindow::start() {
  result_->clear();
  Context& ctx = frame_.application().ctx();
  const std::optional<SelectionPanel::Chosen> chosen = selection_->chosen();
  if (!chosen) return Outcome::Refused;
  const QString named = pdf_->text().trimmed();
  if (named.isEmpty()) {
    frame_.ui().message(kPrintTitle, "A file name must be given!", MessageKind::Error);
    return Outcome::Refused;
  }
  const fs::path pdf = fs::absolute(fs::path(toStored(named)));
  exporting::PrintRequest r;
  r.code = chosen->code;
  r.start = chosen->start;
  r.range = chosen->range;
  r.layout = app::PdfPages::layout();
  app::PdfPages pages(pdf, frame_.ui());
  if (!pages.ok()) return Outcome::Failed;
  exporting::PrintJob job(ctx, std::move(r), pages);
  {
    JobWindow window(kPrintTitle, job, this);
    runModalJobWindow(window);
  }
  fitWorkWindow(*this);
  const PrintResult result = job.result();
  const bool written = pages.finish();
  switch (result) {
    case PrintResult::Refused: return Outcome::Refused;
    case PrintResult::Stopped: result_->setText(fromStored(exporting::kProcessAborted)); break;
    case PrintResult::Done:
      result_->setText(QString("%1 %2 on %3 %4")
                           .arg(job.printed())
                           .arg(job.printed() == 1 ? "message" : "messages")
                           .arg(job.pages())
                           .arg(job.pages() == 1 ? "page" : "pages"));
      break;
    default: result_->setText("The printout failed."); break;
  }
  if (written) result_->setText(result_->text() + " written to " + fromStored(pdf.string()));
  if (written && queue_->isChecked()) {
    switch (app::sendToPrintQueue(pdf)) {
      case app::QueueResult::Sent: result_->setText(result_->text() + "; sent to the print queue"); break;
      case app::QueueResult::NoQueue:
        frame_.ui().message(kPrintTitle, app::kNoPrintQueueText, MessageKind::Warning);
        return Outcome::Failed;
      case app::QueueResult::Failed:
        result_->setText(result_->text() + "; the print queue did not take it");
        return Outcome::Failed;
    }
  }
  if (result == PrintResult::Stopped) return Outcome::Stopped;
  return result == PrintResult::Done && (written || job.pages() == 0) ? Outcome::Done : Outcome::Failed;
}

}  // namespace qv::gui
