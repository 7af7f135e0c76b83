// The text pane: pages of a long text and stepping through search hits
// across them.
#include <gtest/gtest.h>

#include <string>

#include "browse/hit_navigation.h"
#include "browse/text_pages.h"

namespace qv::browse {
namespace {

// A text of `length` letters with blanks at the given character numbers (1-based).
std::string textOf(std::size_t length, std::initializer_list<std::size_t> blanks = {}) {
  std::string s(length, 'x');
  for (std::size_t n : blanks) s[n - 1] = ' ';
  return s;
}

// The whole text again from the pages, without their marks.
std::string joined(const std::vector<TextPage>& pages) {
  std::string s;
  for (const TextPage& p : pages) {
    std::string t = p.text;
    if (p.first > 0) t.erase(0, kContinuedMark.size());
    if (t.ends_with(kMoreMark)) t.erase(t.size() - kMoreMark.size());
    s += t;
  }
  return s;
}

TEST(TextPages, BoundariesAndCutPoints) {
  EXPECT_EQ(cutIntoPages(textOf(24000)).size(), 1u);
  EXPECT_EQ(cutIntoPages(textOf(24000))[0].text, textOf(24000));

  // Page 1 ends with the first blank of its window, marked as going on.
  const std::string two = textOf(24001, {23940, 23955, 23970});
  const std::vector<TextPage> p = cutIntoPages(two);
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(p[0].end, 23955);
  EXPECT_EQ(p[0].text, two.substr(0, 23955) + " ..........<MORE>>");
  EXPECT_EQ(p[1].text, "<CONTINUED>> \r\n" + two.substr(23955));
  EXPECT_EQ(joined(p), two);
  // Without a blank in the window the page holds 23,981 characters.
  EXPECT_EQ(cutIntoPages(textOf(30000, {23949, 23981}))[0].end, 23981);

  const std::string three = textOf(64000, {23950, 47100});
  const std::vector<TextPage> q = cutIntoPages(three);
  ASSERT_EQ(q.size(), 3u);
  EXPECT_EQ(q[0].end, 23950);
  EXPECT_EQ(q[1].end, 47100);
  EXPECT_TRUE(q[1].text.ends_with(kMoreMark));
  EXPECT_TRUE(q[2].text.starts_with(kContinuedMark));
  EXPECT_EQ(joined(q), three);
  EXPECT_EQ(cutIntoPages(textOf(48000)).size(), 2u);
  EXPECT_EQ(cutIntoPages(textOf(48001)).size(), 3u);
}

TEST(HitNavigation, StepsAcrossPagesAndStopsAtBothEnds) {
  const std::vector<TextPage> pages = cutIntoPages(textOf(60000, {23960, 47080}));
  // One hit on page 1, two on page 3.
  HitNavigator nav({{100, 106}, {50000, 50004}, {59000, 59010}}, pages);
  EXPECT_FALSE(nav.previousEnabled());
  ASSERT_EQ(nav.next(), HitNavigator::Move::Moved);
  EXPECT_EQ(nav.page(), 0u);
  EXPECT_EQ(nav.paneSelection(), (TextRange{100, 106}));
  EXPECT_FALSE(nav.previousEnabled());
  EXPECT_TRUE(nav.nextEnabled());

  ASSERT_EQ(nav.next(), HitNavigator::Move::Moved);
  EXPECT_EQ(nav.page(), 2u);
  const std::int64_t opening = static_cast<std::int64_t>(kContinuedMark.size());
  EXPECT_EQ(nav.paneSelection(), (TextRange{50000 - 47080 + opening, 50004 - 47080 + opening}));
  ASSERT_EQ(nav.next(), HitNavigator::Move::Moved);
  EXPECT_FALSE(nav.nextEnabled());
  EXPECT_TRUE(nav.previousEnabled());
  // "Next" from the last hit keeps the selection and disables the button.
  EXPECT_EQ(nav.next(), HitNavigator::Move::NoHit);
  EXPECT_EQ(nav.selection(), (TextRange{59000, 59010}));
  EXPECT_FALSE(nav.nextEnabled());

  ASSERT_EQ(nav.previous(), HitNavigator::Move::Moved);
  ASSERT_EQ(nav.previous(), HitNavigator::Move::Moved);
  EXPECT_EQ(nav.page(), 0u);
  EXPECT_EQ(nav.selection(), (TextRange{100, 106}));
  EXPECT_EQ(nav.previous(), HitNavigator::Move::NoHit);
  EXPECT_FALSE(nav.previousEnabled());

  // A selection the user made counts as where to search from.
  nav.select(2, {20, 21});
  ASSERT_EQ(nav.previous(), HitNavigator::Move::Moved);
  EXPECT_EQ(nav.selection(), (TextRange{100, 106}));
}

TEST(HitNavigation, OneHitLeavesBothButtonsDisabledOnceSelected) {
  HitNavigator nav({{9, 14}}, cutIntoPages(textOf(100)));
  ASSERT_EQ(nav.next(), HitNavigator::Move::Moved);
  EXPECT_FALSE(nav.nextEnabled());
  EXPECT_FALSE(nav.previousEnabled());
  HitNavigator none({}, cutIntoPages(textOf(100)));
  EXPECT_FALSE(none.nextEnabled());
  EXPECT_EQ(none.next(), HitNavigator::Move::NoHit);
}

}  // namespace
}  // namespace qv::browse
