#include "wordindex/delimiters.h"

#include "store/charset.h"

namespace qv::wordindex {

void DelimiterSet::allowEverywhere(unsigned char c) {
  startWord[c] = inWord[c] = endWord[c] = 1;
  isJunk[c] = 0;
}

DelimiterSet defaultDelimiters() {
  DelimiterSet set;
  for (int c = 0; c < 256; ++c) {
    const auto ch = static_cast<char>(c);
    // A byte with a letter case is a letter; so are the few caseless
    // letters of Windows-1252 (ß, ª, º).
    const bool letter = upper1252(ch) != lower1252(ch) || c == 0xDF || c == 0xAA || c == 0xBA;
    const bool digit = c >= '0' && c <= '9';
    if (letter || digit) set.allowEverywhere(static_cast<unsigned char>(c));
  }
  for (unsigned char c : {'.', '\''}) set.inWord[c] = 1;
  return set;
}

}  // namespace qv::wordindex
