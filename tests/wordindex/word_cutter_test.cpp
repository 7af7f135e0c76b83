// Cutting texts into index words: the delimiter rules, numbers, header data.
#include "wordindex/word_cutter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qv::wordindex {
namespace {

std::vector<std::string> words(std::string_view text, const DelimiterSet& set = defaultDelimiters(),
                               CutOptions options = {}) {
  std::vector<std::string> out;
  WordCutter cutter(text, set, options);
  for (WordHit hit; cutter.next(hit);) out.push_back(hit.word);
  return out;
}

using Words = std::vector<std::string>;

TEST(WordCutter, DefaultSetKeepsInnerPeriodsAndDropsClosingOnes) {
  EXPECT_EQ(words("Edit WIN.INI, then learn python."), (Words{"EDIT", "WIN.INI", "THEN", "LEARN", "PYTHON"}));
  EXPECT_EQ(words("the .INI files"), (Words{"THE", "INI", "FILES"}));  // the period may not start a word
  EXPECT_EQ(words("don't... stop"), (Words{"DON'T", "STOP"}));
  EXPECT_EQ(words("\xC9t\xE9 caf\xE9")[1], "CAF\xC9");  // accented letters fold as the keys do
}

TEST(WordCutter, MarksOfTheSetDecideStartInsideAndEnd) {
  DelimiterSet set = defaultDelimiters();
  set.startWord['.'] = 1;
  EXPECT_EQ(words("the .INI files", set), (Words{"THE", ".INI", "FILES"}));
  set = defaultDelimiters();
  set.endWord['.'] = 1;
  EXPECT_EQ(words("Run WINDOWS.", set), (Words{"RUN", "WINDOWS."}));
  set = defaultDelimiters();
  set.inWord['.'] = 0;
  EXPECT_EQ(words("WIN.INI", set), (Words{"WIN", "INI"}));
  // Marked to end a word but not to stand inside one: it cannot end one.
  set = defaultDelimiters();
  set.inWord['!'] = 0;
  set.endWord['!'] = 1;
  EXPECT_EQ(words("stop!", set), (Words{"STOP"}));
  // A junk character is never part of a word, whatever else it is marked.
  set = defaultDelimiters();
  set.isJunk['D'] = 1;
  EXPECT_EQ(words("WINDOWS", set), (Words{"WIN", "OWS"}));
}

TEST(WordCutter, PlacesAreThoseOfTheText) {
  const DelimiterSet set = defaultDelimiters();
  WordCutter cutter("  Hello, world.", set);
  WordHit hit;
  ASSERT_TRUE(cutter.next(hit));
  EXPECT_EQ(hit.start, 2u);
  EXPECT_EQ(hit.length, 5u);
  ASSERT_TRUE(cutter.next(hit));
  EXPECT_EQ(hit.start, 9u);
  EXPECT_EQ(hit.length, 5u);  // "world" without the period
  EXPECT_FALSE(cutter.next(hit));
}

TEST(WordCutter, NumbersAndHeaderDataStayOut) {
  // Kept by default: small numbers and words with digits; never: long
  // numbers and dates, times or addresses made of digits and separators.
  EXPECT_EQ(words("in 1998 the LX80 cost 450 on 12.03.1998 msg 1234567 from 10.0.0.1"),
            (Words{"IN", "1998", "THE", "LX80", "COST", "450", "ON", "MSG", "FROM"}));
  CutOptions noNumbers;
  noNumbers.excludeNumbers = true;
  EXPECT_EQ(words("in 1998 the LX80 and 3com beat A1B2 and 0x1F but FACE stays", defaultDelimiters(), noNumbers),
            (Words{"IN", "THE", "LX80", "AND", "BEAT", "AND", "BUT", "FACE", "STAYS"}));
  // Header lines and their continuations, anywhere in the text.
  EXPECT_EQ(words("Received: from mail.example.org\n\tby relay\nX-Mailer: Eudora\nBody text\n"
                  "Subject: kept\n"),
            (Words{"BODY", "TEXT", "SUBJECT", "KEPT"}));
  // Too long for the word list: encoded data, not a word.
  EXPECT_EQ(words(std::string(41, 'A') + " ok"), (Words{"OK"}));
}

TEST(WordCutter, TagLinesStayOutWhenAsked) {
  const std::string text = "See you\n... Taglines are fun\n --- Tearline 1.0\n * Origin: Node BBS (1:2/3)\nbye";
  CutOptions noTags;
  noTags.excludeTagLines = true;
  EXPECT_EQ(words(text, defaultDelimiters(), noTags), (Words{"SEE", "YOU", "BYE"}));
  EXPECT_EQ(words(text).size(), 10u);
}

}  // namespace
}  // namespace qv::wordindex
