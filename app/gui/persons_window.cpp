#include "app/gui/persons_window.h"

#include <iterator>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/application.h"
#include "app/gui/browse_window.h"
#include "app/gui/main_window.h"
#include "app/gui/qt_text.h"
#include "browse/line_texts.h"
#include "browse/mail_views.h"
#include "browse/person_aliases.h"
#include "browse/person_merge.h"
#include "browse/person_rename.h"
#include "browse/person_texts.h"

namespace qv::gui {

namespace texts = browse::texts;
namespace wn = app::windows;

namespace {

constexpr std::size_t kPageSize = 100;
// The browses' sender view has the same number in the message and the mail browse.
constexpr int kSenderView = static_cast<int>(browse::MessageView::Sender);
static_assert(kSenderView == static_cast<int>(browse::MailView::Sender));

QString nameOf(const Person& p) {
  return fromStored(browse::personText(p.LASTNAME.view(), p.FIRSTNAME.view(), p.ADDRESS.view(),
                                       browse::PersonForm::Name, browse::kMailPersonChars));
}

DatabaseType activeType(MainWindow& frame) { return databaseType(frame.application().ctx().mem.ForumType); }

}  // namespace

PersonsModel::PersonsModel(Context& ctx, QObject* parent) : QAbstractTableModel(parent), ctx_(ctx) { reload(); }

void PersonsModel::setOrder(browse::PersonOrder order) {
  order_ = order;
  reload();
}

void PersonsModel::reload() {
  beginResetModel();
  rows_ = browse::personPage(ctx_, order_, kPageSize);
  atEnd_ = rows_.size() < kPageSize;
  endResetModel();
}

const Person* PersonsModel::personAt(int row) const {
  return row >= 0 && static_cast<std::size_t>(row) < rows_.size() ? &rows_[static_cast<std::size_t>(row)] : nullptr;
}

std::optional<int> PersonsModel::rowOf(std::uint32_t id) {
  for (;;) {
    for (std::size_t i = 0; i < rows_.size(); ++i)
      if (rows_[i].PERSONID == id) return static_cast<int>(i);
    if (!canFetchMore({})) return std::nullopt;
    fetchMore({});
  }
}

int PersonsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int PersonsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 4; }

QVariant PersonsModel::data(const QModelIndex& index, int role) const {
  const Person* p = personAt(index.row());
  if (p == nullptr) return {};
  if (role == Qt::TextAlignmentRole && index.column() >= 2)
    return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
  if (role != Qt::DisplayRole) return {};
  switch (index.column()) {
    case 0: return nameOf(*p);
    case 1: return fromStored(p->ADDRESS.str());
    case 2: return QString::number(std::uint32_t{p->FROMCOUNT});
    case 3: return QString::number(std::uint32_t{p->TOCOUNT});
    default: return {};
  }
}

QVariant PersonsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kHeaders[] = {"Name", "Address", "Sent", "Received"};
  return section >= 0 && section < static_cast<int>(std::size(kHeaders)) ? QString(kHeaders[section]) : QVariant();
}

bool PersonsModel::canFetchMore(const QModelIndex& parent) const { return !parent.isValid() && !atEnd_; }

void PersonsModel::fetchMore(const QModelIndex& parent) {
  if (parent.isValid() || atEnd_) return;
  if (rows_.empty()) {
    atEnd_ = true;
    return;
  }
  std::vector<Person> page = browse::personPage(ctx_, order_, kPageSize, rows_.back().PERSONID);
  atEnd_ = page.size() < kPageSize;
  if (page.empty()) return;
  const int first = static_cast<int>(rows_.size());
  beginInsertRows({}, first, first + static_cast<int>(page.size()) - 1);
  rows_.insert(rows_.end(), page.begin(), page.end());
  endInsertRows();
}

RenameForm::RenameForm(DatabaseType type, const Person& person, QWidget* parent) : QDialog(parent), opened_(person) {
  setWindowTitle(fromStored(browse::renameTitle(type)));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout();
  auto field = [&](std::string_view label, bool editable) {
    auto* f = new QLineEdit(this);
    f->setReadOnly(!editable);
    form->addRow(fromStored(label), f);
    return f;
  };
  full_ = field(texts::kFullAddressLabel, false);
  last_ = field(texts::kLastNameLabel, true);
  last_->setMaxLength(25);
  first_ = field(texts::kFirstNameLabel, true);
  first_->setMaxLength(25);
  address_ = field(texts::kAddressLabel, false);
  sent_ = field(texts::kSentLabel, false);
  received_ = field(texts::kReceivedLabel, false);
  layout->addLayout(form);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  accept_ = buttons->button(QDialogButtonBox::Ok);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(accept_, &QPushButton::clicked, this, &RenameForm::confirmed);
  show(person);
}

void RenameForm::show(const Person& person) {
  opened_ = person;
  full_->setText(fromStored(person.PERSONSTRING.str()));
  last_->setText(fromStored(person.LASTNAME.str()));
  first_->setText(fromStored(person.FIRSTNAME.str()));
  address_->setText(fromStored(person.ADDRESS.str()));
  sent_->setText(QString::number(std::uint32_t{person.FROMCOUNT}));
  received_->setText(QString::number(std::uint32_t{person.TOCOUNT}));
}

PersonsWindow::PersonsWindow(MainWindow& frame, QWidget* parent) : QWidget(parent), frame_(frame) {
  Context& ctx = frame_.application().ctx();
  setWindowTitle(fromStored(browse::personsTitle(ctx.mem)));
  auto* layout = new QVBoxLayout(this);
  orders_ = new QTabBar(this);
  orders_->setExpanding(false);
  orders_->addTab(fromStored(texts::kSortByName));
  orders_->addTab(fromStored(texts::kSortByAddress));
  layout->addWidget(orders_);
  model_ = new PersonsModel(ctx, this);
  list_ = new QTableView(this);
  list_->setModel(model_);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->verticalHeader()->hide();
  list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 8);
  list_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  list_->setColumnWidth(1, 220);
  layout->addWidget(list_);
  auto* buttons = new QHBoxLayout();
  auto* aliases = new QPushButton("Show related alias addresses", this);
  auto* merge = new QPushButton("Open merge duplicates window", this);
  auto* messages = new QPushButton("Show messages for this sender", this);
  auto* rename = new QPushButton("Change first and last name", this);
  for (QPushButton* b : {aliases, merge, messages, rename}) buttons->addWidget(b);
  buttons->addStretch(1);
  layout->addLayout(buttons);
  connect(orders_, &QTabBar::currentChanged, this, [this](int tab) {
    showOrder(tab == 1 ? browse::PersonOrder::Address : browse::PersonOrder::Name);
  });
  connect(aliases, &QPushButton::clicked, this, [this] { showAliases(); });
  connect(merge, &QPushButton::clicked, this, [this] { addToMerge(); });
  connect(messages, &QPushButton::clicked, this, [this] { showMessages(); });
  connect(rename, &QPushButton::clicked, this, [this] { this->rename(); });
  connect(list_, &QTableView::activated, this, [this] { showMessages(); });
  if (model_->rowCount() > 0) list_->selectRow(0);
}

void PersonsWindow::showOrder(browse::PersonOrder order) {
  const Person* p = current();
  const std::uint32_t keep = p != nullptr ? std::uint32_t{p->PERSONID} : 0;
  {
    const QSignalBlocker block(orders_);
    orders_->setCurrentIndex(order == browse::PersonOrder::Address ? 1 : 0);
  }
  model_->setOrder(order);
  if (keep == 0 || !goTo(keep)) list_->selectRow(0);
}

void PersonsWindow::reload() {
  const Person* p = current();
  const std::uint32_t keep = p != nullptr ? std::uint32_t{p->PERSONID} : 0;
  model_->reload();
  if (keep == 0 || !goTo(keep)) list_->selectRow(0);
}

bool PersonsWindow::goTo(std::uint32_t personId) {
  const std::optional<int> row = model_->rowOf(personId);
  if (!row) return false;
  list_->selectRow(*row);
  list_->scrollTo(model_->index(*row, 0));
  return true;
}

const Person* PersonsWindow::current() const {
  const QModelIndex at = list_->currentIndex();
  return at.isValid() ? model_->personAt(at.row()) : nullptr;
}

bool PersonsWindow::showMessages() {
  const Person* p = current();
  if (p == nullptr) return false;
  const std::optional<browse::SenderMessage> first = browse::firstMessageFrom(frame_.application().ctx(), p->PERSONID);
  if (!first) return false;  // "No messages from address …" was said
  BrowseWindow* b = frame_.openBrowse();
  if (b == nullptr) return false;
  b->showView(kSenderView);
  if (!b->goTo(first->number)) return false;
  b->toggleFilter();
  if (QWidget* sub = b->parentWidget()) sub->raise();
  return true;
}

RenameForm* PersonsWindow::rename() {
  const Person* p = current();
  if (p == nullptr) return nullptr;
  // The form works on the stored person, not the page read earlier.
  const std::optional<Person> stored = browse::findPerson(frame_.application().ctx(), p->PERSONID);
  if (!stored) {
    reload();
    return nullptr;
  }
  auto* form = new RenameForm(activeType(frame_), *stored, this);
  form->setAttribute(Qt::WA_DeleteOnClose);
  connect(form, &RenameForm::confirmed, this, [this, form] { renamed(*form); });
  form->open();
  return form;
}

void PersonsWindow::renamed(RenameForm& form) {
  const browse::RenameResult r = browse::renamePerson(frame_.application().ctx(), form.opened(),
                                                      toStored(form.lastName()->text().trimmed()),
                                                      toStored(form.firstName()->text().trimmed()));
  switch (r.outcome) {
    case browse::RenameOutcome::Renamed:
      form.done(QDialog::Accepted);
      // The name copies in the messages changed, and a mail database's own person names the database.
      frame_.updateFrame();
      frame_.databaseChanged();
      reload();
      return;
    case browse::RenameOutcome::ChangedMeanwhile:
      form.show(r.stored);  // what the other user stored; the form stays for another try
      return;
    case browse::RenameOutcome::Failed: return;  // said; the form stays
  }
}

QWidget* PersonsWindow::showAliases() {
  const Person* p = current();
  if (p == nullptr) return nullptr;
  const Person person = *p;
  // One alias window at a time: an open one shows another person's aliases, so it goes first.
  if (QWidget* open = frame_.windowNamed(wn::kNotToolsGroup, wn::kShowAlias)) open->parentWidget()->close();
  return frame_.openWindow(wn::kNotToolsGroup, wn::kShowAlias, [this, person] { return new AliasWindow(frame_, person); });
}

QWidget* PersonsWindow::addToMerge() {
  const Person* p = current();
  if (p == nullptr) return nullptr;
  QWidget* w = frame_.windowNamed(wn::kNotToolsGroup, wn::kMergePersons);
  if (w == nullptr) w = frame_.openWindow(wn::kNotToolsGroup, wn::kMergePersons, [this] { return new MergeWindow(frame_); });
  if (auto* merge = qobject_cast<MergeWindow*>(w)) merge->add(*p);
  return w;
}

AliasWindow::AliasWindow(MainWindow& frame, const Person& person, QWidget* parent)
    : QWidget(parent), frame_(frame), person_(person) {
  setWindowTitle(fromStored(texts::kCurrentAddressFor) + " " + nameOf(person));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(fromStored(texts::kCurrentAddressFor) + " " + nameOf(person), this));
  current_ = new QLineEdit(fromStored(person.PERSONSTRING.str()), this);
  current_->setReadOnly(true);
  layout->addWidget(current_);
  aliases_ = new QListWidget(this);
  for (const PLINK& l : browse::aliasesOf(frame_.application().ctx(), person.PERSONID))
    aliases_->addItem(fromStored(l.PERSONSTRING.str()));
  if (aliases_->count() > 0) aliases_->setCurrentRow(0);
  layout->addWidget(aliases_);
  auto* buttons = new QHBoxLayout();
  auto* swap = new QPushButton("Swap highlighted address with the current one", this);
  auto* save = new QPushButton("Save address change", this);
  buttons->addWidget(swap);
  buttons->addWidget(save);
  buttons->addStretch(1);
  layout->addLayout(buttons);
  connect(swap, &QPushButton::clicked, this, &AliasWindow::swapHighlighted);
  connect(save, &QPushButton::clicked, this, [this] { this->save(); });
}

void AliasWindow::swapHighlighted() {
  QListWidgetItem* item = aliases_->currentItem();
  if (item == nullptr) return;
  const QString was = current_->text();
  current_->setText(item->text());
  item->setText(was);
}

bool AliasWindow::save() {
  const browse::SwapOutcome r =
      browse::swapAlias(frame_.application().ctx(), person_.PERSONID, toStored(current_->text()));
  if (r != browse::SwapOutcome::Swapped) return false;
  if (const std::optional<Person> stored = browse::findPerson(frame_.application().ctx(), person_.PERSONID))
    person_ = *stored;
  frame_.databaseChanged();
  return true;
}

MergeWindow::MergeWindow(MainWindow& frame, QWidget* parent) : QWidget(parent), frame_(frame) {
  setWindowTitle("Merge persons");
  auto* layout = new QVBoxLayout(this);
  table_ = new QTableWidget(0, 3, this);
  table_->setHorizontalHeaderLabels({"", "Name", "Address"});
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(table_);
  auto* buttons = new QHBoxLayout();
  auto* merge = new QPushButton("Merge selected persons", this);
  auto* keep = new QPushButton("Keep highlighted person", this);
  auto* remove = new QPushButton("Remove highlighted person fron merge", this);
  for (QPushButton* b : {merge, keep, remove}) buttons->addWidget(b);
  buttons->addStretch(1);
  layout->addLayout(buttons);
  connect(merge, &QPushButton::clicked, this, [this] { this->merge(); });
  connect(keep, &QPushButton::clicked, this, &MergeWindow::keepHighlighted);
  connect(remove, &QPushButton::clicked, this, &MergeWindow::removeHighlighted);
}

void MergeWindow::add(const Person& person) {
  for (const Person& p : persons_)
    if (p.PERSONID == person.PERSONID) return;
  persons_.push_back(person);
  if (kept_ == 0) kept_ = person.PERSONID;  // the first one collected is kept until another is chosen
  fill();
  table_->selectRow(static_cast<int>(persons_.size()) - 1);
}

void MergeWindow::keepHighlighted() {
  const int row = table_->currentRow();
  if (row < 0 || static_cast<std::size_t>(row) >= persons_.size()) return;
  kept_ = persons_[static_cast<std::size_t>(row)].PERSONID;
  fill();
  table_->selectRow(row);
}

void MergeWindow::removeHighlighted() {
  const int row = table_->currentRow();
  if (row < 0 || static_cast<std::size_t>(row) >= persons_.size()) return;
  const bool wasKept = persons_[static_cast<std::size_t>(row)].PERSONID == kept_;
  persons_.erase(persons_.begin() + row);
  if (wasKept) kept_ = persons_.empty() ? 0 : std::uint32_t{persons_.front().PERSONID};
  fill();
}

void MergeWindow::fill() {
  table_->setRowCount(static_cast<int>(persons_.size()));
  for (std::size_t i = 0; i < persons_.size(); ++i) {
    const Person& p = persons_[i];
    const int r = static_cast<int>(i);
    table_->setItem(r, 0, new QTableWidgetItem(p.PERSONID == kept_ ? "Keep" : "Merge"));
    table_->setItem(r, 1, new QTableWidgetItem(nameOf(p)));
    table_->setItem(r, 2, new QTableWidgetItem(fromStored(p.ADDRESS.str())));
  }
}

bool MergeWindow::merge() {
  if (kept_ == 0 || persons_.size() < 2) return false;
  std::vector<std::uint32_t> ids;
  for (const Person& p : persons_)
    if (p.PERSONID != kept_) ids.push_back(std::uint32_t{p.PERSONID});
  const browse::MergeSummary s = browse::mergePersons(frame_.application().ctx(), kept_, ids);
  // The merged persons are gone; the refused ones (a mail database's own person) stay listed.
  std::erase_if(persons_, [&s](const Person& p) {
    return std::find(s.merged.begin(), s.merged.end(), std::uint32_t{p.PERSONID}) != s.merged.end();
  });
  if (const std::optional<Person> kept = browse::findPerson(frame_.application().ctx(), kept_))
    for (Person& p : persons_)
      if (p.PERSONID == kept_) p = *kept;
  fill();
  frame_.databaseChanged();
  return !s.merged.empty();
}

}  // namespace qv::gui
