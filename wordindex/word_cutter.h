#pragma once
// Cuts a message's text into the words the index keeps, by a delimiter set:
// a word begins with a character that may start one, goes on over
// characters that may stand inside one, and loses the characters at its end
// that may not end one ("python." is "PYTHON" by the default set, "WIN.INI"
// stays one word). Words come out in upper case (Windows-1252, accented
// letters included), as the word list's keys compare them, with their place
// in the text for phrase searches and hit ranges.
//
// Never indexed, whatever the options: Internet header lines ("Received:",
// "Message-ID:", "X-…" and their continuation lines), words without a
// letter that look like header data (more than five digits, or digits with
// separators: dates, times, addresses such as "12.03.1998" or "10.0.0.1"),
// and words longer than the word list holds (encoded data, not words).

#include <cstddef>
#include <string>
#include <string_view>

#include "wordindex/delimiters.h"

namespace qv::wordindex {

// WOR:THEWORD holds this many characters.
inline constexpr std::size_t kWordMax = 40;

struct CutOptions {
  // Leaves out decimal and hexadecimal numbers and every word that begins
  // with a digit.
  bool excludeNumbers = false;
  // Leaves out the tag lines that close forum and newsgroup messages: lines
  // that begin with "...", "---", "___", "* Origin:" or "\xFE " (an offline
  // reader's signature), after at most one blank.
  bool excludeTagLines = false;
  // Single characters carry no meaning worth an index row.
  std::size_t minLength = 2;
};

struct WordHit {
  std::string word;        // upper case
  std::size_t start = 0;   // byte offset in the text
  std::size_t length = 0;  // bytes in the text
};

class WordCutter {
 public:
  // The cutter reads the set while it runs: it must outlive the cutter.
  WordCutter(std::string_view text, const DelimiterSet& set, CutOptions options = {});
  WordCutter(std::string_view text, DelimiterSet&& set, CutOptions options = {}) = delete;

  // The next word of the text; false at its end.
  bool next(WordHit& hit);

 private:
  bool atLineStart() const;
  void skipLine();
  bool kept(std::string_view word) const;

  std::string_view text_;
  const DelimiterSet& set_;
  CutOptions options_;
  std::size_t at_ = 0;
  bool inHeader_ = false;
};

// Whether a line begins like an Internet mail header line.
bool looksLikeHeaderLine(std::string_view line);
// Whether a line is a tag line (see CutOptions::excludeTagLines).
bool looksLikeTagLine(std::string_view line);

}  // namespace qv::wordindex
