#pragma once
// The text pane of a browse: the text shown for a message ("Subject: ",
// the subject, two line ends, the stored text) cut into pages the text
// control can hold. Up to 24,000 characters make one page; up to 48,000
// two; more (the stored text holds at most 64,000) three. Page 1 ends at
// the first blank between characters 23,950 and 23,980 (after character
// 23,981 when there is none) and closes with " ..........<MORE>>"; page 2
// begins with "<CONTINUED>> " and a line end and, in a text of three pages,
// ends likewise at the first blank between characters 47,060 and 47,100;
// page 3 holds the rest after the same opening. Character numbers count
// from 1, in the whole text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv::browse {

inline constexpr std::size_t kPaneChars = 24000;
inline constexpr std::size_t kTwoPanesChars = 48000;
inline constexpr std::string_view kMoreMark = " ..........<MORE>>";
inline constexpr std::string_view kContinuedMark = "<CONTINUED>> \r\n";

struct TextPage {
  std::string text;      // as the pane shows it, with the marks
  std::int64_t first;    // the whole text's first character on the page (0-based)
  std::int64_t end;      // one after its last
  // Whole-text position = pane position + offset (the opening mark shifts it).
  std::int64_t offset() const;
};

// The pages of a whole shown text (at least one).
std::vector<TextPage> cutIntoPages(std::string_view whole);

}  // namespace qv::browse
