#include "app/gui/browse_window.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>
#include <array>

#include "app/application.h"
#include "app/gui/browse_model.h"
#include "app/gui/display_fonts.h"
#include "app/gui/hit_steps.h"
#include "app/gui/qt_text.h"
#include "app/gui/saved_layout.h"
#include "app/windows/locator.h"
#include "browse/browse_context.h"
#include "browse/person_steps.h"
#include "browse/status_change.h"
#include "browse/thread_steps.h"
#include "store/config.h"
#include "store/domain.h"
#include "topics/codes.h"
#include "wordindex/index_tables.h"
#include "wordindex/message_texts.h"
#include "wordindex/result_set.h"
#include "wordindex/search.h"

namespace qv::gui {

namespace {

using browse::MailView;
using browse::MessageView;

constexpr std::array kMessageViews{MessageView::Date,   MessageView::Thread, MessageView::Section,
                                   MessageView::Sender, MessageView::Receiver, MessageView::MsgNo,
                                   MessageView::KeyWord, MessageView::Topic, MessageView::SearchResult};
constexpr std::array kMailViews{MailView::Date,     MailView::Partner, MailView::Subject, MailView::Sender,
                                MailView::Receiver, MailView::KeyWord, MailView::Topic,   MailView::SearchResult};

// Views whose list keeps to one value of the current line, with the
// captions of their three buttons.
struct LimitButtons {
  const char* previous;
  const char* filter;
  const char* next;
};

std::optional<LimitButtons> limitButtons(bool mail, int view) {
  if (mail) {
    switch (static_cast<MailView>(view)) {
      case MailView::Partner: return LimitButtons{"Previous Partner", "Filter Partner", "Next Partner"};
      case MailView::Sender: return LimitButtons{"Previous Sender", "Filter Sender", "Next Sender"};
      case MailView::Receiver: return LimitButtons{"Previous Receiver", "Filter Receiver", "Next Receiver"};
      default: return std::nullopt;
    }
  }
  switch (static_cast<MessageView>(view)) {
    case MessageView::Thread: return LimitButtons{"Previous Thread", "Filter Thread", "Next Thread"};
    case MessageView::Section:
      return LimitButtons{"Previous Thread within Section", "Filter Section", "Next Thread within Section"};
    case MessageView::Sender: return LimitButtons{"Previous Sender", "Filter Sender", "Next Sender"};
    case MessageView::Receiver: return LimitButtons{"Previous Receiver", "Filter Receiver", "Next Receiver"};
    default: return std::nullopt;
  }
}

// The typed-ahead locator keeps up to ten characters.
constexpr std::size_t kLocatorChars = 10;

bool isListedView(int view) {
  return view == static_cast<int>(MessageView::KeyWord) || view == static_cast<int>(MessageView::Topic) ||
         view == static_cast<int>(MessageView::SearchResult);
}

// The pop-up menu's entries; "-" separates groups.
constexpr std::array<const char*, 15> kMessageStatusMenu{
    "Normal Message", "Keep Message",   "Delete Message",  "-",           "Normal Thread",
    "Keep Thread",    "Delete Thread",  "-",               "Normal Section", "Keep Section",
    "Delete Section", "-",              "Normal Database", "Keep Database",  "Delete Database"};
constexpr std::array<const char*, 11> kMailStatusMenu{"Normal Message", "Keep Message",   "Delete Message",
                                                      "-",              "Normal Partner", "Keep Partner",
                                                      "Delete Partner", "-",              "Normal MailBox",
                                                      "Keep MailBox",   "Delete MailBox"};

// The list: Home and End (with or without Ctrl) reach the view's real top
// and end, not just the rows read so far.
class BrowseList : public QTableView {
 public:
  explicit BrowseList(BrowseWindow& window) : window_(window) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_End) {
      window_.toEnd();
      return;
    }
    if (event->key() == Qt::Key_Home) {
      window_.toTop();
      return;
    }
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::ShiftModifier) {
      // Letters, digits and the blank typed in quick succession find a name.
      const int key = event->key();
      const bool letter = key >= Qt::Key_A && key <= Qt::Key_Z;
      const bool digit = key >= Qt::Key_0 && key <= Qt::Key_9;
      if ((letter || digit || key == Qt::Key_Space) && window_.typeAhead(key)) return;
    }
    QTableView::keyPressEvent(event);
  }

 private:
  BrowseWindow& window_;
};

}  // namespace

BrowseWindow::BrowseWindow(app::Application& app, UiPort& ui, QWidget* parent)
    : QWidget(parent), app_(app), ui_(ui), mail_(databaseType(app.ctx().mem.ForumType) == DatabaseType::Mail) {
  setWindowTitle(fromStored((mail_ ? std::string(" Mail database:  [") : std::string(" Messages [")) +
                            app.ctx().mem.Description.str() + "]"));
  auto* layout = new QVBoxLayout(this);

  tabs_ = new QTabBar(this);
  tabs_->setExpanding(false);
  if (mail_) {
    for (MailView v : kMailViews) tabs_->addTab(fromStored(browse::mailViewCaption(v)));
  } else {
    for (MessageView v : kMessageViews) tabs_->addTab(fromStored(browse::viewCaption(v)));
  }
  // The result set's tab has no caption; an icon marks it.
  tabs_->setTabIcon(tabs_->count() - 1, style()->standardIcon(QStyle::SP_FileDialogContentsView));
  tabs_->setTabToolTip(tabs_->count() - 1, "Search result");
  // It opens once this database has a stored set (the search enables it).
  tabs_->setTabEnabled(tabs_->count() - 1,
                       wordindex::readResultSet(app.ctx()).state == wordindex::ResultSetState::Read);
  layout->addWidget(tabs_);

  auto* bar = new QHBoxLayout();
  limitLabel_ = new QLabel(this);
  previous_ = new QPushButton(this);
  filter_ = new QPushButton(this);
  filter_->setCheckable(true);
  next_ = new QPushButton(this);
  locator_ = new QLineEdit(this);
  locator_->setClearButtonEnabled(true);
  bookmark_ = new QPushButton(this);
  bar->addWidget(previous_);
  bar->addWidget(filter_);
  bar->addWidget(next_);
  bar->addWidget(limitLabel_, 1);
  bar->addWidget(locator_);
  bar->addWidget(bookmark_);
  layout->addLayout(bar);

  auto* split = new QSplitter(Qt::Vertical, this);
  model_ = new BrowseModel(this);
  list_ = new BrowseList(*this);
  list_->setModel(model_);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  list_->verticalHeader()->hide();
  list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  list_->horizontalHeader()->setStretchLastSection(true);
  list_->setWordWrap(false);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  split->addWidget(list_);

  auto* pane = new QWidget(split);
  auto* paneLayout = new QVBoxLayout(pane);
  paneLayout->setContentsMargins(0, 0, 0, 0);
  text_ = new QPlainTextEdit(pane);
  text_->setReadOnly(true);
  paneLayout->addWidget(text_);
  auto* pageBar = new QHBoxLayout();
  pagePrevious_ = new QPushButton("Previous page", pane);
  pageNext_ = new QPushButton("Next page", pane);
  pageLabel_ = new QLabel(pane);
  pageBar->addWidget(pagePrevious_);
  pageBar->addWidget(pageNext_);
  pageBar->addWidget(pageLabel_, 1);
  hits_ = new HitSteps(
      *text_, [this](std::size_t p) { showPage(p); }, [this] { return page_; }, pane);
  pageBar->addWidget(hits_->previousButton());
  pageBar->addWidget(hits_->nextButton());
  paneLayout->addLayout(pageBar);
  split->addWidget(pane);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 2);
  layout->addWidget(split, 1);

  connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
    const int number = mail_ ? static_cast<int>(kMailViews[static_cast<std::size_t>(index)])
                             : static_cast<int>(kMessageViews[static_cast<std::size_t>(index)]);
    if (number != view_) showView(number);
  });
  connect(filter_, &QPushButton::clicked, this, [this] { toggleFilter(); });
  connect(previous_, &QPushButton::clicked, this, [this] { stepLimit(false); });
  connect(next_, &QPushButton::clicked, this, [this] { stepLimit(true); });
  connect(locator_, &QLineEdit::returnPressed, this, [this] { locate(locator_->text()); });
  connect(bookmark_, &QPushButton::clicked, this, [this] { pressBookmark(); });
  connect(pagePrevious_, &QPushButton::clicked, this, [this] {
    if (page_ > 0) showPage(page_ - 1);
  });
  connect(pageNext_, &QPushButton::clicked, this, [this] { showPage(page_ + 1); });
  connect(list_, &QWidget::customContextMenuRequested, this, &BrowseWindow::showContextMenu);
  connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { onCurrentChanged(); });
  connect(model_, &QAbstractItemModel::modelReset, this, [this] { onCurrentChanged(); });
  // The window of rows grows at its top when the list reaches it.
  connect(list_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
    if (value == 0 && !model_->atTop()) model_->fetchBefore();
  });
  connect(model_, &BrowseModel::shiftedAtTop, this, [this](int rows) {
    QScrollBar* scroll = list_->verticalScrollBar();
    scroll->setValue(std::max(0, scroll->value() + rows));
  });

  bookmark_->setText(fromStored(bookmarkState_.caption()));
  applyDisplaySettings();
  showView(1);
}

void BrowseWindow::applyDisplaySettings() {
  list_->setFont(displayFont(app_.ctx(), kItemListFont));
  list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 6);
  text_->setFont(displayFont(app_.ctx(), kItemTextFont));
  locator_->setFont(displayFont(app_.ctx(), kItemEntryFont));
}

BrowseWindow::~BrowseWindow() {
  if (columnsRestored_)
    storeColumns(app_.ctx(), mail_ ? SavedList::MailBrowse : SavedList::MessageBrowse, *list_->horizontalHeader());
}

int BrowseWindow::viewNumber() const { return view_; }

void BrowseWindow::showView(int viewNumber) {
  view_ = viewNumber;
  limit_.reset();
  person_.reset();
  if (viewNumber == static_cast<int>(MessageView::SearchResult)) {
    // The stored set, which a search or re-sort here or elsewhere left.
    const wordindex::StoredResultSet set = wordindex::readResultSet(app_.ctx());
    // A set of another database (or none, or one that could not be read)
    // shows nothing here.
    if (set.state != wordindex::ResultSetState::Read || set.ids != result_.ids) {
      result_ = wordindex::ResultSet{set.ids, wordindex::ResultOrder::Result};
      resultQuery_.reset();
    }
    limit_ = browse::ViewLimit{{}, 0, result_.ids};
  }
  const QSignalBlocker block(tabs_);
  for (std::size_t i = 0; i < (mail_ ? kMailViews.size() : kMessageViews.size()); ++i) {
    const int number = mail_ ? static_cast<int>(kMailViews[i]) : static_cast<int>(kMessageViews[i]);
    if (number == viewNumber) tabs_->setCurrentIndex(static_cast<int>(i));
  }
  rebuildSource();
}

void BrowseWindow::rebuildSource() {
  Context& ctx = app_.ctx();
  shown_ = 0;  // another view shows its first message afresh, with its own hits
  if (mail_) {
    const auto view = static_cast<MailView>(view_);
    model_->setSource(isListedView(view_) ? app::mailSource(ctx, view, std::nullopt,
                                                            limit_.value_or(browse::ViewLimit{{}, kNoIdentifier, {}}))
                                          : app::mailSource(ctx, view, person_, std::nullopt));
  } else {
    const auto view = static_cast<MessageView>(view_);
    model_->setSource(app::messageSource(ctx, view, limit_));
  }
  if (model_->rowCount() > 0) list_->selectRow(0);
  if (!columnsRestored_) {
    // Date, thread (subject), sender, receiver, section (mail: date, time, subject, from, to).
    restoreColumns(app_.ctx(), mail_ ? SavedList::MailBrowse : SavedList::MessageBrowse, *list_->horizontalHeader(),
                   mail_ ? std::array<int, 5>{95, 60, 420, 260, 260} : std::array<int, 5>{95, 380, 260, 220, 200});
    columnsRestored_ = true;
  }
  updateLimitButtons();
}

void BrowseWindow::updateLimitButtons() {
  const std::optional<LimitButtons> buttons = limitButtons(mail_, view_);
  for (QPushButton* b : {previous_, filter_, next_}) b->setVisible(buttons.has_value());
  const bool limited = limit_.has_value() || person_.has_value();
  if (buttons) {
    previous_->setText(buttons->previous);
    filter_->setText(buttons->filter);
    next_->setText(buttons->next);
    filter_->setChecked(limited);
    // Stepping to the next thread or person needs a limit to step from,
    // except in the section view, which steps from the current line's thread.
    const bool section = !mail_ && view_ == static_cast<int>(MessageView::Section);
    previous_->setEnabled(limited || section);
    next_->setEnabled(limited || section);
  }
  const bool word = view_ == static_cast<int>(MessageView::KeyWord);
  const bool topic = view_ == static_cast<int>(MessageView::Topic);
  locator_->setPlaceholderText(word ? "Key word" : topic ? "Topic" : "Find date, number or name");
  locator_->setVisible(view_ != static_cast<int>(MessageView::SearchResult));
  limitLabel_->setText(view_ == static_cast<int>(MessageView::SearchResult)
                           ? (result_.ids.size() == 1 ? QString("1 message found")
                                                      : QString("%1 messages found").arg(result_.ids.size()))
                           : QString());
}

std::optional<std::uint32_t> BrowseWindow::currentId() const {
  const app::BrowseRow* r = currentRow();
  return r != nullptr ? std::optional<std::uint32_t>(r->id) : std::nullopt;
}

const app::BrowseRow* BrowseWindow::currentRow() const { return model_->rowAt(list_->currentIndex().row()); }

bool BrowseWindow::goTo(std::uint32_t id) {
  std::optional<int> row = model_->rowOf(id);
  if (!row) row = model_->showAround(id);
  if (!row) return false;
  list_->selectRow(*row);
  list_->scrollTo(model_->index(*row, 0), QAbstractItemView::PositionAtCenter);
  return true;
}

void BrowseWindow::toEnd() {
  model_->toEnd();
  if (model_->rowCount() > 0) {
    list_->selectRow(model_->rowCount() - 1);
    list_->scrollToBottom();
  }
}

void BrowseWindow::toTop() {
  model_->toTop();
  if (model_->rowCount() > 0) {
    list_->selectRow(0);
    list_->scrollToTop();
  }
}

void BrowseWindow::toggleFilter() {
  const std::optional<LimitButtons> buttons = limitButtons(mail_, view_);
  const app::BrowseRow* row = currentRow();
  if (!buttons) return;
  const std::optional<std::uint32_t> keep = currentId();
  if (limit_ || person_ || row == nullptr) {
    limit_.reset();
    person_.reset();
  } else if (mail_) {
    const Mail& m = std::get<Mail>(row->record);
    switch (static_cast<MailView>(view_)) {
      case MailView::Partner: person_ = browse::PersonLimit{m.PAIRID, m.PAIRALPHA.str()}; break;
      case MailView::Sender: person_ = browse::PersonLimit{m.FROMID, m.FROMALPHA.str()}; break;
      default: person_ = browse::PersonLimit{m.TOID, m.TOALPHA.str()}; break;
    }
  } else {
    const MsgNmbr& m = std::get<MsgNmbr>(row->record);
    switch (static_cast<MessageView>(view_)) {
      case MessageView::Thread: limit_ = browse::ViewLimit{m.THREADALPHA.str(), m.THREADNUMBER, {}}; break;
      case MessageView::Section: limit_ = browse::ViewLimit{{}, m.SECSYSID, {}}; break;
      case MessageView::Sender: limit_ = browse::ViewLimit{m.FROMALPHA.str(), m.FROMID, {}}; break;
      default: limit_ = browse::ViewLimit{m.TOALPHA.str(), m.TOID, {}}; break;
    }
  }
  rebuildSource();
  if (keep) goTo(*keep);
}

void BrowseWindow::stepLimit(bool next) {
  Context& ctx = app_.ctx();
  const auto direction = next ? browse::StepDirection::Next : browse::StepDirection::Previous;
  const app::BrowseRow* row = currentRow();
  if (mail_) {
    if (!person_) return;
    const auto role = view_ == static_cast<int>(MailView::Partner)  ? browse::PersonRole::Partner
                      : view_ == static_cast<int>(MailView::Sender) ? browse::PersonRole::Sender
                                                                     : browse::PersonRole::Receiver;
    const std::optional<browse::PersonLimit> neighbour = browse::neighbourPerson(ctx, *person_, role, direction);
    if (!neighbour) return;  // beeped at the end
    person_ = neighbour;
    rebuildSource();
    return;
  }
  switch (static_cast<MessageView>(view_)) {
    case MessageView::Thread: {
      if (!limit_) return;
      const std::optional<Threads> t = browse::neighbourThread(ctx, limit_->id, direction, false);
      if (!t) return;
      limit_ = browse::ViewLimit{t->ALPHA.str(), t->THREADNUMBER, {}};
      rebuildSource();
      return;
    }
    case MessageView::Section: {
      // The section stays; the list moves to the first message of the thread beside.
      if (row == nullptr) return;
      const MsgNmbr& m = std::get<MsgNmbr>(row->record);
      const std::optional<Threads> t = browse::neighbourThread(ctx, m.THREADNUMBER, direction, true);
      if (!t) return;
      const std::vector<app::BrowseRow> first =
          app::messageSource(ctx, MessageView::Thread, browse::ViewLimit{t->ALPHA.str(), t->THREADNUMBER, {}})
              ->first(1);
      if (!first.empty()) goTo(first.front().id);
      return;
    }
    case MessageView::Sender:
    case MessageView::Receiver: {
      if (!limit_) return;
      const auto role = view_ == static_cast<int>(MessageView::Sender) ? browse::PersonRole::Sender
                                                                        : browse::PersonRole::Receiver;
      const std::optional<browse::PersonLimit> neighbour =
          browse::neighbourPerson(ctx, browse::PersonLimit{limit_->id, limit_->alpha}, role, direction);
      if (!neighbour) return;
      limit_ = browse::ViewLimit{neighbour->copy, neighbour->id, {}};
      rebuildSource();
      return;
    }
    default: return;
  }
}

void BrowseWindow::locate(const QString& typed) {
  Context& ctx = app_.ctx();
  const std::string text = typed.trimmed().toStdString();
  if (view_ == static_cast<int>(MessageView::KeyWord)) {
    wordindex::IndexTable words(ctx, WordList::FileNo);
    ctx.wor = WordList{};
    ctx.wor.THEWORD = cp1252FromUtf8(text);
    if (words.status() != engine::Err::Ok || words.file().get(WordList::by_theWord) != engine::Err::Ok) {
      ui_.beep();
      return;
    }
    limit_ = browse::ViewLimit{{}, static_cast<std::uint32_t>(ctx.wor.WORDID), {}};
    rebuildSource();
    return;
  }
  if (view_ == static_cast<int>(MessageView::Topic)) {
    const std::optional<Codes> topic = topics::findCodeNamed(ctx, CodeType::Topic, cp1252FromUtf8(text));
    if (!topic) {
      ui_.beep();
      return;
    }
    limit_ = browse::ViewLimit{{}, topic->ID, {}};
    rebuildSource();
    return;
  }
  if (model_->source() == nullptr) return;
  const std::optional<app::BrowseRow> found = model_->source()->locate(text);
  if (!found || !goTo(found->id)) ui_.beep();
}

bool BrowseWindow::typeAhead(int key) {
  const bool named = mail_ ? (view_ == static_cast<int>(MailView::Partner) || view_ == static_cast<int>(MailView::Subject) ||
                              view_ == static_cast<int>(MailView::Sender) || view_ == static_cast<int>(MailView::Receiver))
                           : (view_ == static_cast<int>(MessageView::Thread) ||
                              view_ == static_cast<int>(MessageView::Sender) ||
                              view_ == static_cast<int>(MessageView::Receiver));
  if (!named || limit_ || person_ || model_->source() == nullptr) return false;
  // Qt's key numbers of letters, digits and the blank are the runtime's key codes.
  std::array<char, kLocatorChars> typed{};
  if (IncrementStep(app_.ctx(), key, typed.data(), typed.size()) != kKeyTaken) return false;
  std::string text(typed.data(), typed.size());
  text.erase(text.find_last_not_of(' ') + 1);
  const std::optional<app::BrowseRow> found = model_->source()->locate(utf8From1252(text));
  if (!found || !goTo(found->id)) ui_.beep();
  return true;
}

void BrowseWindow::setSearchResult(std::vector<std::uint32_t> ids, std::optional<wordindex::SearchQuery> query) {
  result_ = wordindex::ResultSet{std::move(ids), wordindex::ResultOrder::Result};
  resultQuery_ = std::move(query);
  view_ = static_cast<int>(MessageView::SearchResult);
  limit_ = browse::ViewLimit{{}, 0, result_.ids};
  person_.reset();
  const QSignalBlocker block(tabs_);
  tabs_->setTabEnabled(tabs_->count() - 1, true);
  tabs_->setCurrentIndex(tabs_->count() - 1);
  rebuildSource();
}

void BrowseWindow::resortResult(wordindex::ResultOrder order) {
  if (view_ != static_cast<int>(MessageView::SearchResult)) return;
  const wordindex::ResortOutcome sorted = wordindex::resort(app_.ctx(), result_, order, currentId());
  if (sorted.result != wordindex::ResortResult::Sorted && sorted.result != wordindex::ResortResult::StoreFailed) return;
  limit_ = browse::ViewLimit{{}, 0, result_.ids};
  rebuildSource();
  if (sorted.row && *sorted.row < result_.ids.size()) goTo(result_.ids[*sorted.row]);
}

std::optional<wordindex::SearchQuery> BrowseWindow::hitQuery() {
  if (view_ == static_cast<int>(MessageView::SearchResult)) return resultQuery_;
  if (view_ != static_cast<int>(MessageView::KeyWord) || !limit_) return std::nullopt;
  Context& ctx = app_.ctx();
  wordindex::IndexTable words(ctx, WordList::FileNo);
  ctx.wor = WordList{};
  ctx.wor.WORDID = static_cast<std::int32_t>(limit_->id);
  if (words.status() != engine::Err::Ok || words.file().get(WordList::by_WordId) != engine::Err::Ok)
    return std::nullopt;
  wordindex::SearchQuery query;
  query.andWords.push_back(ctx.wor.THEWORD.str());
  return query;
}

void BrowseWindow::refresh() {
  applyDisplaySettings();
  const std::optional<std::uint32_t> keep = currentId();
  const int row = list_->currentIndex().row();
  model_->refresh();
  if (keep && goTo(*keep)) return;
  if (model_->rowCount() > 0) list_->selectRow(std::clamp(row, 0, model_->rowCount() - 1));
}

void BrowseWindow::onCurrentChanged() {
  const app::BrowseRow* row = currentRow();
  const std::uint32_t id = row != nullptr ? row->id : 0;
  if (id == shown_ && id != 0) return;
  shown_ = id;
  pages_.clear();
  page_ = 0;
  if (row != nullptr) {
    // The companions read the current line from the context record.
    if (mail_) {
      MailContext record = browse::mailContext(std::get<Mail>(row->record), static_cast<MailView>(view_));
      app_.lib().contexts.exchange(ContextMode::Store, record);
    } else {
      MessageContext record = browse::messageContext(std::get<MsgNmbr>(row->record), static_cast<MessageView>(view_));
      app_.lib().contexts.exchange(ContextMode::Store, record);
    }
    wordindex::MessageTexts texts(app_.ctx());
    wordindex::MessageText m;
    if (texts.read(id, m) == wordindex::TextRead::Found) pages_ = browse::cutIntoPages(wordindex::shownText(m));
    showPage(0);
    if (const std::optional<wordindex::SearchQuery> query = hitQuery(); query && !pages_.empty())
      hits_->showHits(wordindex::Searcher(app_.ctx()).hits(*query, m), pages_);
    else
      hits_->clear();
  } else {
    showPage(0);
    hits_->clear();
  }
  emit currentChanged(id);
}

void BrowseWindow::showPage(std::size_t page) {
  if (pages_.empty()) {
    text_->clear();
    pageLabel_->clear();
    pagePrevious_->setEnabled(false);
    pageNext_->setEnabled(false);
    return;
  }
  page_ = std::min(page, pages_.size() - 1);
  text_->setPlainText(fromStored(pages_[page_].text));
  pageLabel_->setText(QString("Page %1 of %2").arg(page_ + 1).arg(pages_.size()));
  pagePrevious_->setEnabled(page_ > 0);
  pageNext_->setEnabled(page_ + 1 < pages_.size());
}

void BrowseWindow::changeStatus(browse::StatusTarget what, Status status) {
  const app::BrowseRow* row = currentRow();
  if (row == nullptr) return;
  std::uint32_t id = row->id;
  if (mail_) {
    if (what == browse::StatusTarget::Partner) id = std::get<Mail>(row->record).PAIRID;
  } else {
    const MsgNmbr& m = std::get<MsgNmbr>(row->record);
    if (what == browse::StatusTarget::Thread) id = m.THREADNUMBER;
    if (what == browse::StatusTarget::Section) id = m.SECSYSID;
  }
  if (browse::changeStatus(app_.ctx(), what, id, status) == browse::StatusChangeResult::Changed) refresh();
}

void BrowseWindow::showContextMenu(const QPoint& at) {
  if (currentRow() == nullptr) return;
  QMenu menu(this);
  fillContextMenu(menu);
  menu.exec(list_->viewport()->mapToGlobal(at));
}

void BrowseWindow::fillContextMenu(QMenu& menu) {
  if (view_ == static_cast<int>(MessageView::SearchResult)) {
    for (const wordindex::ResortMenuEntry& entry :
         wordindex::resortMenu(databaseType(app_.ctx().mem.ForumType), result_.order)) {
      const wordindex::ResultOrder order = entry.order;
      menu.addAction(fromStored(entry.text), this, [this, order] { resortResult(order); });
    }
    menu.addSeparator();
  }
  if (currentRow() == nullptr) return;
  const auto addEntries = [&](const auto& entries) {
    int group = 0;
    int inGroup = 0;
    for (const char* entry : entries) {
      if (std::string_view(entry) == "-") {
        menu.addSeparator();
        ++group;
        inGroup = 0;
        continue;
      }
      const browse::StatusTarget target =
          group == 0   ? browse::StatusTarget::Message
          : group == 1 ? (mail_ ? browse::StatusTarget::Partner : browse::StatusTarget::Thread)
          : group == 2 ? (mail_ ? browse::StatusTarget::Database : browse::StatusTarget::Section)
                       : browse::StatusTarget::Database;
      const auto status = static_cast<Status>(inGroup++);
      menu.addAction(entry, this, [this, target, status] { changeStatus(target, status); });
    }
  };
  if (mail_) {
    addEntries(kMailStatusMenu);
  } else {
    addEntries(kMessageStatusMenu);
  }
}

void BrowseWindow::pressBookmark() {
  const std::optional<std::uint32_t> current = currentId();
  if (!current && !bookmarkState_.alert()) return;
  if (const std::optional<std::uint32_t> back = bookmarkState_.press(current.value_or(0))) goTo(*back);
  bookmark_->setText(fromStored(bookmarkState_.caption()));
  bookmark_->setIcon(bookmarkState_.alert() ? style()->standardIcon(QStyle::SP_MessageBoxWarning) : QIcon());
}

}  // namespace qv::gui
