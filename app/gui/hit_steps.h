#pragma once
// The two buttons beside a browse's text pane that step through the search
// hits of the shown message ("Locate next search hit instance", "Locate
// previous search hit instance"). HitNavigator chooses the hit, the page
// that holds it and the buttons' states; this class turns page positions of
// the stored text (Windows-1252, CR LF) into positions of the pane's text
// (Unicode, "\n") and back, and selects the hit in the pane.

#include <QObject>
#include <functional>
#include <optional>
#include <vector>

#include "browse/hit_navigation.h"
#include "browse/text_pages.h"
#include "wordindex/search.h"

class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace qv::gui {

// A position in a stored page text as a position in the pane's text, and back.
int panePosition(std::string_view pageText, std::int64_t stored);
std::int64_t storedPosition(std::string_view pageText, int pane);

class HitSteps : public QObject {
  Q_OBJECT

 public:
  // `showPage` shows a page (0-based) of the current message in `pane`;
  // `page` tells which one is shown.
  HitSteps(QPlainTextEdit& pane, std::function<void(std::size_t)> showPage, std::function<std::size_t()> page,
           QWidget* buttonParent);

  QPushButton* nextButton() const { return next_; }
  QPushButton* previousButton() const { return previous_; }

  // The hits (ascending start order) of the message shown as `pages`, from
  // the first page: the first hit is selected at once.
  void showHits(std::vector<wordindex::HitRange> hits, const std::vector<browse::TextPage>& pages);
  // A message without hits, or another view: both buttons off.
  void clear();

  void next() { step(true); }
  void previous() { step(false); }

 private:
  void step(bool forward);
  void updateButtons();

  QPlainTextEdit& pane_;
  std::function<void(std::size_t)> showPage_;
  std::function<std::size_t()> page_;
  std::vector<browse::TextPage> pages_;
  std::optional<browse::HitNavigator> navigator_;
  QPushButton* next_ = nullptr;
  QPushButton* previous_ = nullptr;
};

}  // namespace qv::gui
