#pragma once
// A word-delimiter set: for each Windows-1252 byte whether it may start a
// word, stand inside one, end one, or is never part of a word. Letters and
// digits do all three; the default set adds the period inside a word, so
// "WIN.INI" stays one word while the period closing "python." does not
// belong to it.

#include <array>
#include <cstdint>

namespace qv::wordindex {

struct DelimiterSet {
  std::array<std::uint8_t, 256> startWord{};  // StartWordHash
  std::array<std::uint8_t, 256> inWord{};     // InWordHash
  std::array<std::uint8_t, 256> endWord{};    // EndWordHash
  std::array<std::uint8_t, 256> isJunk{};     // IsJunkHash

  bool starts(unsigned char c) const { return isJunk[c] == 0 && startWord[c] != 0; }
  bool inside(unsigned char c) const { return isJunk[c] == 0 && inWord[c] != 0; }
  // A character that may not stand inside a word cannot end one either.
  bool ends(unsigned char c) const { return inside(c) && endWord[c] != 0; }

  // Marks a character for all three places (a letter or a digit).
  void allowEverywhere(unsigned char c);
};

// Letters (Windows-1252 accented ones included) and digits in all three
// places, the period and the apostrophe inside a word only.
DelimiterSet defaultDelimiters();

}  // namespace qv::wordindex
