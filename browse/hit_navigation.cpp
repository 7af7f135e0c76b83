#include "browse/hit_navigation.h"

#include <utility>

namespace qv::browse {

HitNavigator::HitNavigator(std::vector<wordindex::HitRange> hits, std::vector<TextPage> pages)
    : hits_(std::move(hits)), pages_(std::move(pages)) {
  if (pages_.empty()) pages_.push_back(TextPage{{}, 0, 0});
  nextEnabled_ = !hits_.empty();
  previousEnabled_ = false;
}

TextRange HitNavigator::paneSelection() const {
  const std::int64_t offset = pages_[page_].offset();
  return {selection_.start - offset, selection_.end - offset};
}

void HitNavigator::select(std::size_t page, TextRange paneRange) {
  page_ = page < pages_.size() ? page : pages_.size() - 1;
  const std::int64_t offset = pages_[page_].offset();
  selection_ = {paneRange.start + offset, paneRange.end + offset};
}

void HitNavigator::choose(std::size_t hit) {
  const wordindex::HitRange& h = hits_[hit];
  while (page_ > 0 && h.start < pages_[page_].first) --page_;
  while (page_ + 1 < pages_.size() && pages_[page_].end <= h.start) ++page_;
  selection_ = {h.start, h.end};
  previousEnabled_ = hit != 0;
  nextEnabled_ = hit + 1 != hits_.size();
}

HitNavigator::Move HitNavigator::next() {
  for (std::size_t i = 0; i < hits_.size(); ++i) {
    const wordindex::HitRange& h = hits_[i];
    if (h.start > selection_.start || (h.start == selection_.start && h.end != selection_.end)) {
      choose(i);
      return Move::Moved;
    }
  }
  nextEnabled_ = false;
  return Move::NoHit;
}

HitNavigator::Move HitNavigator::previous() {
  for (std::size_t i = hits_.size(); i-- > 0;) {
    const wordindex::HitRange& h = hits_[i];
    if (h.start < selection_.start || (h.start == selection_.start && h.end != selection_.end)) {
      choose(i);
      return Move::Moved;
    }
  }
  previousEnabled_ = false;
  return Move::NoHit;
}

}  // namespace qv::browse
