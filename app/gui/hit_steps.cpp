#include "app/gui/hit_steps.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTextCursor>
#include <algorithm>

namespace qv::gui {

namespace {

// The pane drops the CR of each CR LF (fromStored); every other byte is one character.
bool droppedCr(std::string_view text, std::size_t i) {
  return text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
}

}  // namespace

int panePosition(std::string_view pageText, std::int64_t stored) {
  const std::size_t end = static_cast<std::size_t>(std::clamp<std::int64_t>(stored, 0, std::ssize(pageText)));
  int pane = 0;
  for (std::size_t i = 0; i < end; ++i)
    if (!droppedCr(pageText, i)) ++pane;
  return pane;
}

std::int64_t storedPosition(std::string_view pageText, int pane) {
  // A line end of the pane stands for the whole CR LF: it begins at the CR.
  std::size_t i = 0;
  for (int seen = 0; i < pageText.size() && seen < pane; ++seen) i += droppedCr(pageText, i) ? 2 : 1;
  return static_cast<std::int64_t>(i);
}

HitSteps::HitSteps(QPlainTextEdit& pane, std::function<void(std::size_t)> showPage, std::function<std::size_t()> page,
                   QWidget* buttonParent)
    : QObject(buttonParent), pane_(pane), showPage_(std::move(showPage)), page_(std::move(page)) {
  previous_ = new QPushButton(buttonParent);
  previous_->setIcon(buttonParent->style()->standardIcon(QStyle::SP_ArrowUp));
  previous_->setToolTip("Locate previous search hit instance");
  next_ = new QPushButton(buttonParent);
  next_->setIcon(buttonParent->style()->standardIcon(QStyle::SP_ArrowDown));
  next_->setToolTip("Locate next search hit instance");
  connect(previous_, &QPushButton::clicked, this, [this] { previous(); });
  connect(next_, &QPushButton::clicked, this, [this] { next(); });
  updateButtons();
}

void HitSteps::clear() {
  navigator_.reset();
  pages_.clear();
  updateButtons();
}

void HitSteps::showHits(std::vector<wordindex::HitRange> hits, const std::vector<browse::TextPage>& pages) {
  pages_ = pages;
  navigator_.emplace(std::move(hits), pages);
  next();
}

void HitSteps::step(bool forward) {
  if (!navigator_ || pages_.empty()) return;
  // Steps go from where the user left the selection (he may have clicked
  // elsewhere or turned the page).
  const std::size_t shown = std::min(page_(), pages_.size() - 1);
  const QTextCursor cursor = pane_.textCursor();
  const std::string& text = pages_[shown].text;
  navigator_->select(shown,
                     {storedPosition(text, cursor.selectionStart()), storedPosition(text, cursor.selectionEnd())});
  if ((forward ? navigator_->next() : navigator_->previous()) == browse::HitNavigator::Move::Moved) {
    if (navigator_->page() != shown) showPage_(navigator_->page());
    const browse::TextRange range = navigator_->paneSelection();
    const std::string& now = pages_[navigator_->page()].text;
    QTextCursor select(pane_.document());
    select.setPosition(panePosition(now, range.start));
    select.setPosition(panePosition(now, range.end), QTextCursor::KeepAnchor);
    pane_.setTextCursor(select);
    pane_.ensureCursorVisible();
  }
  updateButtons();
}

void HitSteps::updateButtons() {
  next_->setEnabled(navigator_ && navigator_->nextEnabled());
  previous_->setEnabled(navigator_ && navigator_->previousEnabled());
}

}  // namespace qv::gui
