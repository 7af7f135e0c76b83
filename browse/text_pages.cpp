#include "browse/text_pages.h"

namespace qv::browse {

namespace {

struct CutWindow {
  std::size_t from;      // first character number (1-based) where a blank may end the page
  std::size_t to;        // last one
  std::size_t fallback;  // the last character of the page when none is a blank
};
constexpr CutWindow kFirstCut{23950, 23980, 23981};
constexpr CutWindow kSecondCut{47060, 47100, 47101};

// One after the page's last character (0-based), ending at the first blank of the window.
std::size_t cutAt(std::string_view whole, const CutWindow& w) {
  for (std::size_t n = w.from; n <= w.to && n <= whole.size(); ++n)
    if (whole[n - 1] == ' ') return n;
  return std::min(w.fallback, whole.size());
}

}  // namespace

std::int64_t TextPage::offset() const {
  const auto opening = first == 0 ? 0 : static_cast<std::int64_t>(kContinuedMark.size());
  return first - opening;
}

std::vector<TextPage> cutIntoPages(std::string_view whole) {
  std::vector<TextPage> pages;
  const auto page = [&](std::size_t from, std::size_t to, bool more) {
    std::string text;
    if (from > 0) text.append(kContinuedMark);
    text.append(whole.substr(from, to - from));
    if (more) text.append(kMoreMark);
    pages.push_back(TextPage{std::move(text), static_cast<std::int64_t>(from), static_cast<std::int64_t>(to)});
  };
  if (whole.size() <= kPaneChars) {
    page(0, whole.size(), false);
    return pages;
  }
  const std::size_t first = cutAt(whole, kFirstCut);
  page(0, first, true);
  if (whole.size() <= kTwoPanesChars) {
    page(first, whole.size(), false);
    return pages;
  }
  const std::size_t second = cutAt(whole, kSecondCut);
  page(first, second, true);
  page(second, whole.size(), false);
  return pages;
}

}  // namespace qv::browse
