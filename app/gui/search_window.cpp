#include "app/gui/search_window.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/application.h"
#include "app/gui/browse_window.h"
#include "app/gui/display_fonts.h"
#include "app/gui/main_window.h"
#include "app/gui/qt_text.h"
#include "app/windows/word_search.h"
#include "store/config.h"

namespace qv::gui {

SearchWindow::SearchWindow(MainWindow& frame, QWidget* parent) : QWidget(parent), frame_(frame) {
  setWindowTitle(app::kWordSearchTitle);
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout();
  words_ = new QLineEdit(this);
  words_->setPlaceholderText("modem OR printer  laser*  from:NAME  date:1995-01-01..1995-12-31");
  form->addRow("&Words:", words_);
  auto* how = new QHBoxLayout();
  all_ = new QRadioButton("&All words", this);
  any_ = new QRadioButton("A&ny word", this);
  phrase_ = new QCheckBox("As a &phrase", this);
  all_->setChecked(true);
  how->addWidget(all_);
  how->addWidget(any_);
  how->addWidget(phrase_);
  how->addStretch(1);
  form->addRow(QString(), how);
  from_ = new QLineEdit(this);
  to_ = new QLineEdit(this);
  subject_ = new QLineEdit(this);
  form->addRow("&From:", from_);
  form->addRow("&To:", to_);
  form->addRow("&Subject:", subject_);
  auto* dates = new QHBoxLayout();
  dateFrom_ = new QLineEdit(this);
  dateTo_ = new QLineEdit(this);
  for (QLineEdit* d : {dateFrom_, dateTo_}) d->setPlaceholderText("YYYY-MM-DD");
  dates->addWidget(dateFrom_);
  dates->addWidget(new QLabel("to", this));
  dates->addWidget(dateTo_);
  form->addRow("Dates:", dates);
  layout->addLayout(form);

  auto* bar = new QHBoxLayout();
  outcome_ = new QLabel(this);
  search_ = new QPushButton("&Search", this);
  search_->setDefault(true);
  bar->addWidget(outcome_, 1);
  bar->addWidget(search_);
  layout->addLayout(bar);
  layout->addStretch(1);

  for (QLineEdit* field : {words_, from_, to_, subject_, dateFrom_, dateTo_})
    field->setFont(displayFont(frame_.application().ctx(), kItemEntryFont));
  connect(search_, &QPushButton::clicked, this, [this] { search(); });
  for (QLineEdit* field : {words_, from_, to_, subject_, dateFrom_, dateTo_})
    connect(field, &QLineEdit::returnPressed, this, [this] { search(); });
  // A phrase is one run of words: "any word" does not go with it.
  connect(phrase_, &QCheckBox::toggled, this, [this](bool on) {
    if (on) all_->setChecked(true);
    any_->setEnabled(!on);
  });
}

bool SearchWindow::search() {
  app::WordSearchForm form;
  form.words = toStored(words_->text());
  form.anyWord = any_->isChecked();
  form.phrase = phrase_->isChecked();
  form.from = toStored(from_->text());
  form.to = toStored(to_->text());
  form.subject = toStored(subject_->text());
  form.dateFrom = toStored(dateFrom_->text());
  form.dateTo = toStored(dateTo_->text());
  outcome_->clear();
  app::WordSearchOutcome found = app::runWordSearch(frame_.application().ctx(), frame_.ui(), form);
  if (found.result != app::WordSearchResult::Found) return false;
  outcome_->setText(found.ids.size() == 1 ? QString("1 message found")
                                          : QString("%1 messages found").arg(found.ids.size()));
  BrowseWindow* browse = frame_.openBrowse();
  if (browse == nullptr) return false;
  browse->setSearchResult(std::move(found.ids), std::move(found.query));
  return true;
}

}  // namespace qv::gui
