#include "app/gui/export_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/application.h"
#include "app/gui/job_window.h"
#include "app/gui/main_window.h"
#include "app/gui/qt_text.h"
#include "app/gui/selection_panel.h"
#include "app/gui/window_parts.h"
#include "export/batch_operation.h"
#include "export/export_format.h"

namespace qv::gui {

namespace {

using exporting::MailboxFormat;

DatabaseType activeType(MainWindow& frame) { return databaseType(frame.application().ctx().mem.ForumType); }

// A path as the library keeps it, for display.
QString shownPath(const std::filesystem::path& p) { return fromStored(p.string()); }

}  // namespace

ExportWindow::ExportWindow(MainWindow& frame, QWidget* parent) : QWidget(parent), frame_(frame) {
  Context& ctx = frame_.application().ctx();
  const DatabaseType type = activeType(frame_);
  setWindowTitle(fromStored(exporting::kExportTitle));
  for (ExportFormat f : exporting::offeredFormats(type))
    choices_.push_back({fromStored(exporting::formatLabel(f, type)), false, f, {}});
  choices_.push_back({"mbox", true, {}, MailboxFormat::Mbox});
  choices_.push_back({"Maildir", true, {}, MailboxFormat::Maildir});
  choices_.push_back({"EML", true, {}, MailboxFormat::Eml});

  auto* layout = new QVBoxLayout(this);
  selection_ = new SelectionPanel(frame_, " Export all messages related to the current:", this);
  layout->addWidget(selection_);
  plain_ = new QCheckBox("The current message alone, in the &plain layout", this);
  layout->addWidget(plain_);

  auto* form = new QFormLayout();
  format_ = new QComboBox(this);
  for (const Choice& c : choices_) format_->addItem(c.label);
  form->addRow("&Format:", format_);
  where_ = new QLabel(this);
  where_->setWordWrap(true);
  form->addRow(where_);
  const PathRow inRow = addPathRow(*form, *this, "&File:", "Browse...");
  in_ = inRow.field;
  browse_ = inRow.button;
  out_ = new QLineEdit(this);
  form->addRow("&Outgoing mail file:", out_);
  auto* lineRow = new QHBoxLayout();
  const exporting::LineSettings lines = exporting::configuredLines(ctx);
  wrap_ = new QCheckBox("&Wrap lines longer than", this);
  wrap_->setChecked(lines.wrap);
  width_ = new QSpinBox(this);
  width_->setRange(static_cast<int>(exporting::kMinWidth), static_cast<int>(kMessageTextMax));
  width_->setValue(static_cast<int>(lines.width));
  width_->setEnabled(lines.wrap);
  lineRow->addWidget(wrap_);
  lineRow->addWidget(width_);
  lineRow->addWidget(new QLabel("characters", this));
  lineRow->addStretch(1);
  form->addRow(lineRow);
  convert_ = new QCheckBox("Write TAPCIS files in &code page 850", this);
  convert_->setChecked(true);
  form->addRow(convert_);
  layout->addLayout(form);

  layout->addLayout(dialogButtons(*this, start_ = new QPushButton("&Export", this)));
  result_ = new QLabel(this);
  result_->setWordWrap(true);
  layout->addWidget(result_);
  files_ = new QPlainTextEdit(this);
  files_->setReadOnly(true);
  files_->setMaximumHeight(files_->fontMetrics().height() * 6);
  layout->addWidget(files_);
  layout->addStretch(1);

  connect(format_, &QComboBox::currentIndexChanged, this, &ExportWindow::formatChosen);
  connect(wrap_, &QCheckBox::toggled, width_, &QWidget::setEnabled);
  connect(browse_, &QPushButton::clicked, this, &ExportWindow::browseFile);
  connect(start_, &QPushButton::clicked, this, [this] { start(); });

  // The format last used for this kind of database.
  const ExportFormat configured = exporting::configuredFormat(ctx, type);
  const QString label = fromStored(exporting::formatLabel(configured, type));
  format_->setCurrentIndex(std::max(0, format_->findText(label)));
  formatChosen();
}

const ExportWindow::Choice& ExportWindow::choice() const {
  return choices_.at(static_cast<std::size_t>(std::max(0, format_->currentIndex())));
}

bool ExportWindow::chooseFormat(const QString& label) { return chooseItem(*format_, label); }

void ExportWindow::formatChosen() {
  const Choice& c = choice();
  Context& ctx = frame_.application().ctx();
  const DatabaseType type = activeType(frame_);
  if (c.mailbox) {
    where_->setText(c.box == MailboxFormat::Maildir ? "The Maildir directory, with its path:"
                                                    : "The file, with its path:");
    in_->clear();
    out_->clear();
    out_->setEnabled(false);
  } else {
    // The message writer writes plain file names into the temporary directory.
    where_->setText("Files are written to " + shownPath(ctx.mem.TempDir));
    const exporting::ExportFiles names = exporting::defaultFiles(c.format, type, ctx.mem.Description.str());
    in_->setText(fromStored(names.in));
    out_->setText(fromStored(names.out));
    out_->setEnabled(exporting::writesTwoFiles(c.format, type));
  }
  const bool legacy = !c.mailbox;
  wrap_->setEnabled(legacy);
  width_->setEnabled(legacy && wrap_->isChecked());
  convert_->setEnabled(legacy && c.format == ExportFormat::Tapcis);
  plain_->setEnabled(legacy);
}

void ExportWindow::browseFile() {
  const Choice& c = choice();
  const QString temp = shownPath(frame_.application().ctx().mem.TempDir);
  if (c.mailbox && c.box == MailboxFormat::Maildir) {
    const QString dir = QFileDialog::getExistingDirectory(this, "Maildir directory", in_->text());
    if (!dir.isEmpty()) in_->setText(dir);
    return;
  }
  const QString start = c.mailbox ? in_->text() : temp + "/" + in_->text();
  const QString chosen = QFileDialog::getSaveFileName(this, fromStored(exporting::kExportTitle), start);
  if (chosen.isEmpty()) return;
  // The message writer takes a name in the temporary directory; a file
  // elsewhere keeps its path, which the writer then refuses with its reason.
  const QFileInfo info(chosen);
  in_->setText(c.mailbox || info.absolutePath() != QFileInfo(temp).absoluteFilePath() ? chosen : info.fileName());
}

ExportWindow::Outcome ExportWindow::start() {
  result_->clear();
  files_->clear();
  const Outcome outcome = choice().mailbox ? runMailbox() : runLegacy();
  fitWorkWindow(*this);
  return outcome;
}

ExportWindow::Outcome ExportWindow::runLegacy() {
  Context& ctx = frame_.application().ctx();
  const DatabaseType type = activeType(frame_);
  exporting::CopyRequest r;
  r.format = choice().format;
  if (plain_->isChecked()) {
    // The plain layout is of the current message alone.
    const std::optional<std::uint32_t> current = selection_->currentMessage();
    if (!current) return Outcome::Refused;
    r.code = exporting::SelectionCode::Plain;
    r.start.message = *current;
  } else {
    const std::optional<SelectionPanel::Chosen> chosen = selection_->chosen();
    if (!chosen) return Outcome::Refused;
    r.code = chosen->code;
    r.start = chosen->start;
    r.range = chosen->range;
  }
  r.files = {toStored(in_->text().trimmed()), out_->isEnabled() ? toStored(out_->text().trimmed()) : std::string()};
  r.lines = exporting::LineSettings{wrap_->isChecked(), static_cast<std::size_t>(width_->value())};
  r.convert = convert_->isChecked();

  JobWindow window(fromStored(exporting::kExportTitle), std::make_unique<exporting::CopyMsg>(ctx, std::move(r)), {},
                   this);
  runModalJobWindow(window);
  auto& job = static_cast<exporting::CopyMsg&>(window.job());
  QStringList written;
  for (const std::filesystem::path& p : job.written()) written << shownPath(p);
  files_->setPlainText(written.join("\n"));
  switch (job.result()) {
    case exporting::CopyResult::Done:
      if (!plain_->isChecked()) exporting::rememberFormat(ctx, type, job.format());
      result_->setText(fromStored(job.progress().text) +
                       QString(" (%1 of %2 messages)").arg(job.exported()).arg(job.selected()));
      return Outcome::Done;
    case exporting::CopyResult::Cancelled:
      result_->setText(fromStored(exporting::kProcessAborted));
      return Outcome::Cancelled;
    case exporting::CopyResult::Refused: return Outcome::Refused;
    default: return Outcome::Failed;
  }
}

ExportWindow::Outcome ExportWindow::runMailbox() {
  Context& ctx = frame_.application().ctx();
  const std::optional<SelectionPanel::Chosen> chosen = selection_->chosen();
  if (!chosen) return Outcome::Refused;
  const QString path = in_->text().trimmed();
  if (path.isEmpty()) {
    frame_.ui().message(exporting::kExportTitle, "A file name must be given!", MessageKind::Error);
    return Outcome::Refused;
  }
  exporting::MailboxRequest r;
  r.format = choice().box;
  r.code = chosen->code;
  r.start = chosen->start;
  r.range = chosen->range;
  r.path = std::filesystem::path(toStored(path));
  JobWindow window(fromStored(exporting::kExportTitle),
                   std::make_unique<exporting::MailboxExportJob>(ctx, std::move(r)), {}, this);
  runModalJobWindow(window);
  auto& job = static_cast<exporting::MailboxExportJob&>(window.job());
  switch (job.result()) {
    case exporting::MailboxResult::Done:
      files_->setPlainText(shownPath(job.path()));
      result_->setText(fromStored(job.progress().text) +
                       QString(" (%1 of %2 messages)").arg(job.written()).arg(job.selected()));
      return Outcome::Done;
    case exporting::MailboxResult::Cancelled:
      files_->setPlainText(shownPath(job.path()));
      result_->setText(fromStored(exporting::kProcessAborted));
      return Outcome::Cancelled;
    case exporting::MailboxResult::Refused: return Outcome::Refused;
    default: return Outcome::Failed;
  }
}

}  // namespace qv::gui
