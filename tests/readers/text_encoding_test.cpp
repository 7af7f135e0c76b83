#include "text/text_encoding.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(TextEncoding, EveryByteSurvivesTheWayToUtf8AndBack) {
  std::string all;
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    all += one;
    const std::string utf8 = utf8From1252(one);
    EXPECT_EQ(displayWidth(utf8), 1u) << "byte " << b;
    EXPECT_EQ(cp1252FromUtf8(utf8), one) << "byte " << b;
  }
  EXPECT_EQ(cp1252FromUtf8(utf8From1252(all)), all);
}

TEST(TextEncoding, MapsTheWindowsCharactersAndTheUndefinedBytes) {
  EXPECT_EQ(utf8From1252("\x80"), "\xE2\x82\xAC");  // €
  EXPECT_EQ(utf8From1252("\x9F"), "\xC5\xB8");      // Ÿ
  EXPECT_EQ(utf8From1252("\x93q\x94"), "\xE2\x80\x9Cq\xE2\x80\x9D");
  EXPECT_EQ(utf8From1252("M\xFCller"), "M\xC3\xBCller");  // Müller
  EXPECT_EQ(utf8From1252("\x81\x8D\x8F\x90\x9D"), "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
}

TEST(TextEncoding, TypedCharactersWithoutAWindowsByteBecomeOneQuestionMark) {
  EXPECT_EQ(cp1252FromUtf8("\xE4\xB8\xAD-\xF0\x9F\x98\x80"), "?-?");  // a CJK character, an emoji
  EXPECT_EQ(cp1252FromUtf8("\xC2\x85"), "?");                         // U+0085 has no byte: 0x85 is the ellipsis
  EXPECT_EQ(cp1252FromUtf8("\xE2\x80\xA6"), "\x85");
}

TEST(TextEncoding, BytesThatAreNotUtf8AreKeptAsWindowsBytes) {
  EXPECT_EQ(cp1252FromUtf8("caf\xE9"), "caf\xE9");                    // pasted legacy text
  EXPECT_EQ(cp1252FromUtf8("\xE9t\xC3\xA9"), "\xE9t\xE9");            // mixed with real UTF-8
  EXPECT_EQ(cp1252FromUtf8("\x80x"), "\x80x");                        // stray continuation byte
  EXPECT_EQ(cp1252FromUtf8("\xE2\x82"), "\xE2\x82");                  // cut-off sequence
  EXPECT_EQ(cp1252FromUtf8("\xC0\xAF"), "\xC0\xAF");                  // overlong '/'
  EXPECT_EQ(cp1252FromUtf8("\xED\xA0\x80"), "\xED\xA0\x80");          // surrogate
  EXPECT_EQ(cp1252FromUtf8("\xF4\x90\x80\x80"), "\xF4\x90\x80\x80");  // above U+10FFFF
}

TEST(TextEncoding, LineBreaks) {
  EXPECT_EQ(displayLineBreaks("a\r\nb\rc\nd\r\n"), "a\nb\rc\nd\n");
  EXPECT_EQ(storedLineBreaks("a\nb\r\nc\n"), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(storedLineBreaks(displayLineBreaks("one\r\ntwo\r\n")), "one\r\ntwo\r\n");
}

TEST(TextEncoding, DisplayTextCannotDriveTheTerminal) {
  const std::string stored = "A\x1B[2J\x07\x7F\x81\tB\r\nC\rD\nE";
  EXPECT_EQ(displayText(stored, LineBreaks::Keep), "A\xEF\xBF\xBD[2J\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\tB\nC\nD\nE");
  EXPECT_EQ(displayText(stored, LineBreaks::AsSpace), "A\xEF\xBF\xBD[2J\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD B C D E");
  EXPECT_EQ(displayText("\x80 5", LineBreaks::Keep), "\xE2\x82\xAC 5");
}

}  // namespace
}  // namespace qv
