#include "app/gui/selection_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/application.h"
#include "app/gui/browse_window.h"
#include "app/gui/main_window.h"
#include "app/gui/qt_text.h"
#include "app/windows/selection_start.h"
#include "export/batch_operation.h"

namespace qv::gui {

using exporting::SelectionCode;

SelectionPanel::SelectionPanel(MainWindow& frame, const QString& caption, QWidget* parent)
    : QWidget(parent), frame_(frame) {
  const bool mail = databaseType(frame_.application().ctx().mem.ForumType) == DatabaseType::Mail;
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel(caption, this));
  auto* form = new QFormLayout();
  code_ = new QComboBox(this);
  code_->addItem("Message (this one alone)", static_cast<int>(SelectionCode::Current));
  code_->addItem("Sender", static_cast<int>(SelectionCode::Sender));
  code_->addItem("Receiver", static_cast<int>(SelectionCode::Receiver));
  code_->addItem(mail ? "Partner" : "Thread", static_cast<int>(SelectionCode::Thread));
  if (!mail) code_->addItem("Section", static_cast<int>(SelectionCode::Section));
  code_->addItem("Database (all messages)", static_cast<int>(SelectionCode::All));
  code_->addItem("Word", static_cast<int>(SelectionCode::Word));
  code_->addItem("Topic", static_cast<int>(SelectionCode::Topic));
  code_->addItem("Search result", static_cast<int>(SelectionCode::ResultSet));
  form->addRow("&Selection:", code_);
  word_ = new QLineEdit(this);
  form->addRow("&Word:", word_);
  topic_ = new QComboBox(this);
  form->addRow("&Topic:", topic_);
  range_ = makeDateRange(*this);
  form->addRow(range_.row);
  layout->addLayout(form);
  reloadTopics();
  connect(code_, &QComboBox::currentIndexChanged, this, &SelectionPanel::updateFields);
  updateFields();
}

void SelectionPanel::reloadTopics() { fillTopics(*topic_, frame_.application().ctx()); }

SelectionCode SelectionPanel::code() const { return static_cast<SelectionCode>(code_->currentData().toInt()); }

bool SelectionPanel::setCode(SelectionCode code) {
  const int at = code_->findData(static_cast<int>(code));
  if (at < 0) return false;
  code_->setCurrentIndex(at);
  return true;
}

void SelectionPanel::updateFields() {
  word_->setEnabled(code() == SelectionCode::Word);
  topic_->setEnabled(code() == SelectionCode::Topic);
}

namespace {
constexpr const char* kNoCurrentMessage = "No current message: open the browse and choose one.";
}

std::optional<std::uint32_t> SelectionPanel::currentMessage() const {
  if (const BrowseWindow* b = frame_.browse())
    if (const std::optional<std::uint32_t> id = b->currentId(); id && *id != 0) return id;
  frame_.ui().message(exporting::kSelectionErrorTitle, kNoCurrentMessage, MessageKind::Error);
  return std::nullopt;
}

std::optional<SelectionPanel::Chosen> SelectionPanel::chosen() const {
  auto missing = [this](const char* text) -> std::optional<Chosen> {
    frame_.ui().message(exporting::kSelectionErrorTitle, text, MessageKind::Error);
    return std::nullopt;
  };
  Chosen c;
  c.code = code();
  c.range = dateRangeOf(range_);
  app::SelectionNames names;
  if (const BrowseWindow* b = frame_.browse()) names.message = b->currentId().value_or(0);
  const std::string word = toStored(word_->text().trimmed());
  names.word = word;
  if (c.code == SelectionCode::Topic && topic_->currentIndex() >= 0)
    names.topicId = topic_->currentData().value<std::uint32_t>();
  switch (app::selectionStartOf(frame_.application().ctx(), c.code, names, c.start)) {
    case app::SelectionStartProblem::None: return c;
    case app::SelectionStartProblem::NoMessage: return missing(kNoCurrentMessage);
    case app::SelectionStartProblem::NoWord: return missing("No word given!");
    case app::SelectionStartProblem::UnknownWord: return missing("The word is not in this database's word index.");
    case app::SelectionStartProblem::NoTopic: return missing("No topic selected!");
    case app::SelectionStartProblem::NoResultSet: return missing("No search result set is stored for this database.");
  }
  return std::nullopt;
}

}  // namespace qv::gui
