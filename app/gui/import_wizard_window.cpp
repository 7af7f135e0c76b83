#include "app/gui/import_wizard_window.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/application.h"
#include "app/gui/import_form.h"
#include "app/gui/import_menu.h"
#include "app/gui/main_window.h"
#include "import/definitions.h"

namespace qv::gui {

namespace {
// The wizard opens at this size over the browse, large enough for its longest page.
constexpr QSize kWizardSize(760, 520);
}  // namespace

ImportWizardWindow::ImportWizardWindow(ImportMenu& imports, QWidget* parent) : QWidget(parent), imports_(imports) {
  setWindowTitle("Import Wizard");
  setMinimumSize(kWizardSize);
  auto* layout = new QVBoxLayout(this);
  caption_ = new QLabel(this);
  QFont bold = caption_->font();
  bold.setBold(true);
  caption_->setFont(bold);
  layout->addWidget(caption_);
  form_ = new ImportForm(imports_.frame().application().ctx(), ImportForm::Layout::Pages, this);
  layout->addWidget(form_, 1);
  save_ = new QCheckBox("&Keep this import as an import definition with a task", this);
  layout->addWidget(save_);
  auto* buttons = new QHBoxLayout();
  back_ = new QPushButton("< &Back", this);
  next_ = new QPushButton("&Next >", this);
  start_ = new QPushButton("&Start", this);
  auto* cancel = new QPushButton("Cancel", this);
  buttons->addStretch(1);
  for (QPushButton* b : {back_, next_, start_, cancel}) buttons->addWidget(b);
  layout->addLayout(buttons);
  connect(back_, &QPushButton::clicked, this, &ImportWizardWindow::back);
  connect(next_, &QPushButton::clicked, this, &ImportWizardWindow::next);
  connect(start_, &QPushButton::clicked, this, [this] { start(); });
  connect(cancel, &QPushButton::clicked, this, [this] {
    if (parentWidget() != nullptr) parentWidget()->close();
  });
  showPage(ImportForm::kFormatPage);
}

void ImportWizardWindow::showPage(int page) {
  form_->showPage(page);
  caption_->setText(ImportForm::pageCaption(page));
  back_->setEnabled(form_->previousPage(page) >= 0);
  const bool last = form_->nextPage(page) < 0;
  next_->setEnabled(!last);
  start_->setEnabled(last);
  save_->setVisible(last);
  (last ? start_ : next_)->setDefault(true);
}

void ImportWizardWindow::next() {
  const int page = form_->nextPage(form_->page());
  if (page >= 0) showPage(page);
}

void ImportWizardWindow::back() {
  const int page = form_->previousPage(form_->page());
  if (page >= 0) showPage(page);
}

bool ImportWizardWindow::start() {
  ImportWizard& wizard = form_->wizard();
  if (!wizard.start()) return false;
  const ImportSettings settings = wizard.settings();
  if (save_->isChecked() && !saveWizardRun(imports_.frame().application().ctx(), settings)) return false;
  // The wizard has done its part; it goes once the import has run (the
  // import's window turns the event loop meanwhile).
  QPointer<QWidget> sub = parentWidget();
  if (sub) sub->hide();
  imports_.runImport(settings);
  if (sub) sub->close();
  return true;
}

}  // namespace qv::gui
