#pragma once
// Stepping through the search hits of a shown message across the pages of
// its text: the hit chosen next or before the current selection, the page
// that holds it, the selection in that page, and which of the two buttons
// ("Locate next search hit instance", "Locate previous search hit
// instance") may be used after the move.

#include <cstdint>
#include <vector>

#include "browse/text_pages.h"
#include "wordindex/search.h"

namespace qv::browse {

// A range of the whole shown text: [start, end).
struct TextRange {
  std::int64_t start = 0;
  std::int64_t end = 0;
  friend bool operator==(const TextRange&, const TextRange&) = default;
};

class HitNavigator {
 public:
  // `hits` in ascending start order; `pages` as cut from the same text.
  HitNavigator(std::vector<wordindex::HitRange> hits, std::vector<TextPage> pages);

  enum class Move { Moved, NoHit };
  // The first hit that starts after the selection's start, or at it but
  // ending elsewhere than the selection.
  Move next();
  // The last hit that starts before the selection's start, or at it but
  // ending elsewhere.
  Move previous();

  // The page shown (0-based) and the selection, in the whole text and in
  // the pane of that page.
  std::size_t page() const { return page_; }
  TextRange selection() const { return selection_; }
  TextRange paneSelection() const;
  // The user moved the selection or the page himself.
  void select(std::size_t page, TextRange paneRange);

  bool nextEnabled() const { return nextEnabled_; }
  bool previousEnabled() const { return previousEnabled_; }

 private:
  void choose(std::size_t hit);

  std::vector<wordindex::HitRange> hits_;
  std::vector<TextPage> pages_;
  std::size_t page_ = 0;
  TextRange selection_{};
  bool nextEnabled_ = true;
  bool previousEnabled_ = true;
};

}  // namespace qv::browse
