#include "app/gui/topics_window.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/application.h"
#include "app/gui/browse_window.h"
#include "app/gui/main_window.h"
#include "app/gui/qt_text.h"
#include "store/dates.h"
#include "topics/topic_texts.h"

namespace qv::gui {

namespace texts = topics::texts;

namespace {

const char* noun(CodeType type) { return type == CodeType::Topic ? "topic" : "key word"; }

QTableWidget* makeTable(const QStringList& headers, QWidget* parent) {
  auto* t = new QTableWidget(0, static_cast<int>(headers.size()), parent);
  t->setHorizontalHeaderLabels(headers);
  t->setSelectionBehavior(QAbstractItemView::SelectRows);
  t->setSelectionMode(QAbstractItemView::SingleSelection);
  t->setEditTriggers(QAbstractItemView::NoEditTriggers);
  t->verticalHeader()->hide();
  t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 8);
  // The text column takes the room; counts and dates as wide as they are.
  t->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  t->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  return t;
}

void setCell(QTableWidget* t, int row, int col, const QString& text) { t->setItem(row, col, new QTableWidgetItem(text)); }

// The tree's list: the navigation keys move the browse's current line (the
// tree follows it); typing a topic's first letters finds its line, Enter
// or a double click links or unlinks it.
class TopicList : public QListWidget {
 public:
  explicit TopicList(QWidget* parent) : QListWidget(parent) {}
  void setBrowse(BrowseWindow* browse) { browse_ = browse; }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    switch (event->key()) {
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_PageUp:
      case Qt::Key_PageDown:
      case Qt::Key_Home:
      case Qt::Key_End:
        if (browse_ != nullptr) {
          QKeyEvent forwarded(event->type(), event->key(), event->modifiers(), event->text());
          QCoreApplication::sendEvent(browse_->list(), &forwarded);
          return;
        }
        break;
      default: break;
    }
    QListWidget::keyPressEvent(event);
  }

 private:
  QPointer<BrowseWindow> browse_;
};

}  // namespace

TopicForm::TopicForm(Action action, CodeType type, const std::optional<Codes>& opened, QWidget* parent)
    : QDialog(parent), action_(action), type_(type), opened_(opened) {
  const bool topic = type == CodeType::Topic;
  switch (action) {
    case Action::Add: setWindowTitle(topic ? fromStored(texts::kAddTitle) : " Add New Key Word"); break;
    case Action::Change: setWindowTitle(topic ? fromStored(texts::kChangeTitle) : " Update Key Word"); break;
    case Action::Delete: setWindowTitle(topic ? fromStored(texts::kDeleteTitle) : " Delete Key Word"); break;
  }
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout();
  text_ = new QLineEdit(this);
  text_->setMaxLength(40);
  form->addRow(topic ? "&Topic:" : "&Key word:", text_);
  case_ = new QCheckBox("&Match case", this);
  whole_ = new QCheckBox("&Whole words only", this);
  if (!topic) {
    form->addRow(case_);
    form->addRow(whole_);
  } else {
    case_->hide();
    whole_->hide();
  }
  if (opened) {
    text_->setText(fromStored(opened->INDEX.str()));
    case_->setChecked(opened->CHARCASE != 0);
    whole_->setChecked(opened->WORDONLY != 0);
  }
  const bool deleting = action == Action::Delete;
  text_->setReadOnly(deleting);
  case_->setEnabled(!deleting);
  whole_->setEnabled(!deleting);
  layout->addLayout(form);
  auto* buttons = new QDialogButtonBox(this);
  const char* confirm = action == Action::Add ? (topic ? " Accept new Topic" : " Accept new Key Word")
                        : action == Action::Change ? (topic ? " Accept updated Topic" : " Accept updated Key Word")
                                                   : (topic ? " Confirm deletion of Topic" : " Confirm deletion of Key Word");
  accept_ = buttons->addButton(confirm, QDialogButtonBox::AcceptRole);
  buttons->addButton(QDialogButtonBox::Cancel);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  // Accepting is decided by the list window: a refused text keeps the form open.
  connect(accept_, &QPushButton::clicked, this, &TopicForm::confirmed);
}

TopicsWindow::TopicsWindow(MainWindow& frame, QWidget* parent) : QWidget(parent), frame_(frame) {
  auto* layout = new QVBoxLayout(this);
  tabs_ = new QTabWidget(this);
  topics_ = makeTable({"Topic", "Messages", "Created"}, tabs_);
  words_ = makeTable({"Key word", "Match case", "Whole words"}, tabs_);
  tabs_->addTab(topics_, "&Topics");
  tabs_->addTab(words_, "&Key words");
  layout->addWidget(tabs_);
  auto* buttons = new QHBoxLayout();
  auto* add = new QPushButton("Add a new key word", this);
  auto* change = new QPushButton("&Change", this);
  auto* remove = new QPushButton("Delete highlighted key word", this);
  buttons->addWidget(add);
  buttons->addWidget(change);
  buttons->addWidget(remove);
  buttons->addStretch(1);
  layout->addLayout(buttons);
  connect(add, &QPushButton::clicked, this, [this] { this->add(); });
  connect(change, &QPushButton::clicked, this, [this] { this->change(); });
  connect(remove, &QPushButton::clicked, this, [this] { this->remove(); });
  connect(topics_, &QTableWidget::cellActivated, this, [this] { this->change(); });
  connect(words_, &QTableWidget::cellActivated, this, [this] { this->change(); });
  // Opening the list repairs counts that drifted from the links.
  topics::refreshTopicCounts(frame_.application().ctx());
  reload();
}

void TopicsWindow::reload() {
  Context& ctx = frame_.application().ctx();
  topicCodes_ = topics::listCodes(ctx, CodeType::Topic);
  wordCodes_ = topics::listCodes(ctx, CodeType::KeyWord);
  const int topicRow = topics_->currentRow();
  const int wordRow = words_->currentRow();
  topics_->setRowCount(static_cast<int>(topicCodes_.size()));
  for (std::size_t i = 0; i < topicCodes_.size(); ++i) {
    const Codes& c = topicCodes_[i];
    const int r = static_cast<int>(i);
    setCell(topics_, r, 0, fromStored(c.INDEX.str()));
    setCell(topics_, r, 1, QString::number(std::uint32_t{c.COUNT}));
    setCell(topics_, r, 2, fromStored(dates::formatDate(c.DATE, dates::kDateYyyyMmDd)));
  }
  words_->setRowCount(static_cast<int>(wordCodes_.size()));
  for (std::size_t i = 0; i < wordCodes_.size(); ++i) {
    const Codes& c = wordCodes_[i];
    const int r = static_cast<int>(i);
    setCell(words_, r, 0, fromStored(c.INDEX.str()));
    setCell(words_, r, 1, c.CHARCASE != 0 ? "Yes" : "No");
    setCell(words_, r, 2, c.WORDONLY != 0 ? "Yes" : "No");
  }
  topics_->selectRow(std::min(std::max(topicRow, 0), topics_->rowCount() - 1));
  words_->selectRow(std::min(std::max(wordRow, 0), words_->rowCount() - 1));
  setWindowTitle(fromStored(std::string(texts::kListTitle) + ctx.mem.Description.str() + "] " +
                            std::to_string(topicCodes_.size())));
}

CodeType TopicsWindow::shownType() const { return tabs_->currentIndex() == 1 ? CodeType::KeyWord : CodeType::Topic; }

std::optional<Codes> TopicsWindow::highlighted() const {
  const bool topic = shownType() == CodeType::Topic;
  const QTableWidget* t = topic ? topics_ : words_;
  const std::vector<Codes>& codes = topic ? topicCodes_ : wordCodes_;
  const int row = t->currentRow();
  if (row < 0 || static_cast<std::size_t>(row) >= codes.size()) return std::nullopt;
  return codes[static_cast<std::size_t>(row)];
}

TopicForm* TopicsWindow::openForm(TopicForm::Action action, const std::optional<Codes>& opened) {
  auto* form = new TopicForm(action, shownType(), opened, this);
  form->setAttribute(Qt::WA_DeleteOnClose);
  connect(form, &TopicForm::confirmed, this, [this, form] { accepted(*form); });
  form->open();
  return form;
}

TopicForm* TopicsWindow::add() { return openForm(TopicForm::Action::Add, std::nullopt); }

TopicForm* TopicsWindow::change() {
  const std::optional<Codes> c = highlighted();
  return c ? openForm(TopicForm::Action::Change, c) : nullptr;
}

TopicForm* TopicsWindow::remove() {
  const std::optional<Codes> c = highlighted();
  return c ? openForm(TopicForm::Action::Delete, c) : nullptr;
}

void TopicsWindow::accepted(TopicForm& form) {
  Context& ctx = frame_.application().ctx();
  const std::string text = toStored(form.text()->text().trimmed());
  if (form.action() != TopicForm::Action::Delete && text.empty()) {
    frame_.ui().message(texts::kWarning, std::string("The ") + noun(form.type()) + " must have a text!",
                        MessageKind::Error);
    return;
  }
  topics::CodeFormResult result = topics::CodeFormResult::Failed;
  switch (form.action()) {
    case TopicForm::Action::Add:
      result = topics::addCode(ctx, form.type(), text, form.matchCase()->isChecked(), form.wholeWords()->isChecked())
                   .result;
      break;
    case TopicForm::Action::Change:
      result = topics::changeCode(ctx, *form.opened(), text, form.matchCase()->isChecked(),
                                  form.wholeWords()->isChecked());
      break;
    case TopicForm::Action::Delete: result = topics::deleteCode(ctx, *form.opened()); break;
  }
  if (result == topics::CodeFormResult::Duplicate) {
    // Refused by the key: the form stays open for another text.
    frame_.ui().message(texts::kWarning, std::string("There is a ") + noun(form.type()) + " \"" + text + "\" already.",
                        MessageKind::Error);
    return;
  }
  form.done(QDialog::Accepted);
  if (result == topics::CodeFormResult::Done) frame_.topicsChanged();
  else reload();  // changed meanwhile or failed (said): show what is stored
}

TopicTreeDock::TopicTreeDock(MainWindow& frame, BrowseWindow& browse, QWidget* parent)
    : QDockWidget("Topics", parent), frame_(frame), browse_(&browse), tree_(frame.application().ctx()) {
  setObjectName("TopicTree");
  auto* list = new TopicList(this);
  list->setBrowse(&browse);
  list_ = list;
  setWidget(list_);
  connect(list_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { toggle(list_->row(item)); });
  connect(&browse, &BrowseWindow::currentChanged, this, [this] { follow(); });
  follow();
}

void TopicTreeDock::follow() {
  tree_.show(browse_ != nullptr ? browse_->currentId().value_or(kNoIdentifier) : kNoIdentifier);
  fill();
}

void TopicTreeDock::reload() {
  tree_.show(tree_.message());
  fill();
}

void TopicTreeDock::fill() {
  const int row = list_->currentRow();
  list_->clear();
  const QIcon tagged = style()->standardIcon(QStyle::SP_DialogApplyButton);
  const QIcon untagged = style()->standardIcon(QStyle::SP_FileIcon);
  for (const topics::TopicTree::Line& l : tree_.lines()) {
    auto* item = new QListWidgetItem(l.tagged ? tagged : untagged, fromStored(l.topic.INDEX.str()), list_);
    item->setData(Qt::CheckStateRole, l.tagged ? Qt::Checked : Qt::Unchecked);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  }
  if (list_->count() > 0) list_->setCurrentRow(std::min(std::max(row, 0), list_->count() - 1));
  setEnabled(tree_.message() != kNoIdentifier);
}

void TopicTreeDock::toggle(int row) {
  if (row < 0) return;
  if (tree_.toggle(static_cast<std::size_t>(row)) == LinkChange::Done) frame_.topicsChanged();
  fill();
  list_->setCurrentRow(row);
}

}  // namespace qv::gui
