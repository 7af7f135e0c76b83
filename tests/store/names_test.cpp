#include "store/names.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace qv {
namespace {

using namespace std::string_literals;

std::pair<std::string, std::string> parse(std::string_view name, std::size_t lastSize = 25,
                                          std::size_t firstSize = 25) {
  std::string last = "old", first = "old";
  ParseName(name, last, lastSize, first, firstSize);
  return {last, first};
}

// {address, name}
std::pair<std::string, std::string> cis(int mode, std::string_view text, std::size_t addressSize = 60,
                                        std::size_t nameSize = 60) {
  std::string address = "old", name = "old";
  FindCISAdress(mode, text, address, addressSize, name, nameSize);
  return {address, name};
}

using P = std::pair<std::string, std::string>;

TEST(PersonName, IdentifyingStringUpperCaseJoinedAndCut) {
  EXPECT_EQ(personString("John Smith  ", "76543,210"), "JOHN SMITH 76543,210");
  EXPECT_EQ(personString("M\xFCller", "m@x.de"), "M\xDCLLER M@X.DE");
  EXPECT_EQ(personString("", "x"), " X");
  EXPECT_EQ(personString(std::string(120, 'a'), "b").size(), 100u);
  // Trailing blanks of the address, or left by the cut, are not part of it.
  EXPECT_EQ(personString("Al", "x   "), "AL X");
  EXPECT_EQ(personString(std::string(99, 'a'), "b"), std::string(99, 'A'));
}

TEST(ParseName, DocumentedCases) {
  EXPECT_EQ(parse("John Smith"), P("Smith", "John"));
  EXPECT_EQ(parse("John Smith III"), P("Smith III", "John"));
  EXPECT_EQ(parse("Smith"), P("Smith", ""));
  EXPECT_EQ(parse("Mary Ann Smith   "), P("Smith", "Mary Ann"));
}

TEST(ParseName, GenerationalSuffixes) {
  for (const char* suffix : {"I", "II", "III", "IV", "V", "l", "ll", "lll", "lV"})
    EXPECT_EQ(parse("John Smith "s + suffix), P("Smith "s + suffix, "John")) << suffix;
  // Exact comparison: other spellings are last names of their own.
  EXPECT_EQ(parse("John Smith iii"), P("iii", "John Smith"));
  // No word before the suffix's word: the whole name.
  EXPECT_EQ(parse("John III"), P("John III", ""));
  EXPECT_EQ(parse("Smith  III"), P("Smith  III", ""));
  // A run of blanks before the suffix still finds the word before it.
  EXPECT_EQ(parse("John  Smith  III"), P("Smith  III", "John"));
}

TEST(ParseName, AwkwardNamesAndSizes) {
  EXPECT_EQ(parse(""), P("", ""));
  EXPECT_EQ(parse("   "), P("", ""));
  EXPECT_EQ(parse(" Smith"), P(" Smith", ""));  // a blank in the first position does not split
  EXPECT_EQ(parse("John Smith III", 6, 2), P("Smith", "Jo"));
  EXPECT_EQ(parse("John Smith", 0, 0), P("", ""));
  EXPECT_EQ(parse(std::string(300, 'x') + " " + std::string(300, 'y')), P(std::string(25, 'y'), std::string(25, 'x')));
}

TEST(CisAddress, ServiceNumbers) {
  for (int mode : {kCisForum, kCisMail}) {
    EXPECT_EQ(cis(mode, "John Smith 76543,210"), P("76543,210", "John Smith")) << mode;
    EXPECT_EQ(cis(mode, "John Smith 76543.210  "), P("76543,210", "John Smith")) << mode;
    EXPECT_EQ(cis(mode, "John Smith > 76543, 210"), P("76543,210", "John Smith")) << mode;
    EXPECT_EQ(cis(mode, "John Smith [76543,210]"), P("76543,210", "John Smith")) << mode;
    EXPECT_EQ(cis(mode, "John Smith\xB3" "76543,210"), P("76543,210", "John Smith")) << mode;
    EXPECT_EQ(cis(mode, "76543,210"), P("76543,210", "")) << mode;
    EXPECT_EQ(cis(mode, "[76543,210]"), P("76543,210", "")) << mode;
    // No opening bracket: no digit of the number is dropped.
    EXPECT_EQ(cis(mode, "John 76543,210]"), P("76543,210", "John")) << mode;
  }
  EXPECT_EQ(cis(kCisForum, "John Smith 7654x,210"), P("", "John Smith 7654x,210"));
  EXPECT_EQ(cis(kCisForum, "Smith, John"), P("", "Smith, John"));
  EXPECT_EQ(cis(kCisForum, "John Smith 76543,210", 5, 4), P("76543", "John"));
}

TEST(CisAddress, MailPrefixesAndFallback) {
  // No "," or "." in the searched range: the prefix goes.
  EXPECT_EQ(cis(kCisMail, "John Smith INTERNET:jsmith"), P("jsmith", "John Smith"));
  EXPECT_EQ(cis(kCisMail, "John Smith >MCI:12345"), P("12345", "John Smith"));
  EXPECT_EQ(cis(kCisMail, "John x:"), P("x:", "John"));  // colon is the last character
  EXPECT_EQ(cis(kCisMail, "jsmith"), P("jsmith", ""));
  // A dot in the range: split at the last blank, prefix kept.
  EXPECT_EQ(cis(kCisMail, "John Smith INTERNET:jsmith@host.com"), P("INTERNET:jsmith@host.com", "John Smith"));
  // A numeric part after a dot that is no service number stays as written.
  EXPECT_EQ(cis(kCisMail, "John Smith host.123"), P("host.123", "John Smith"));
  EXPECT_EQ(cis(kCisForum, "John Smith INTERNET:jsmith"), P("", "John Smith INTERNET:jsmith"));
}

TEST(CisAddress, Csinet) {
  EXPECT_EQ(cis(kCisMail, "John Smith CSINET:jsmith@csi.com"), P("jsmith", "John Smith"));
  EXPECT_EQ(cis(kCisMail, "CSINET:jsmith"), P("jsmith", ""));
  EXPECT_EQ(cis(kCisMail, "John CSINET jsmith"), P("jsmith", "John"));
  EXPECT_EQ(cis(kCisMail, "CSINET:@abcd"), P("@abcd", ""));  // "@" first: kept
  EXPECT_EQ(cis(kCisMail, "CSINET:a@b"), P("a@b", ""));      // fewer than 5: kept
  EXPECT_EQ(cis(kCisMail, "John CSINET"), P("", "John"));
  EXPECT_EQ(cis(kCisMail, "CSINETX:abc"), P("CSINETX:abc", ""));  // not the whole word
  EXPECT_EQ(cis(kCisForum, "John CSINET:jsmith"), P("", "John CSINET:jsmith"));
}

// Every short text over the characters the rules look at, plus long and
// binary ones: results stay within their sizes (the sanitizers check access).
TEST(CisAddress, AnyInputIsSafe) {
  const std::string alphabet = " ,.[]1a\xB3:@>"s + '\0' + '\xFF';
  std::vector<std::string> texts = {std::string(300, 'x'), std::string(300, ','), std::string(300, ' '),
                                    std::string(300, '\xB3'), std::string(300, '\0'),
                                    std::string(150, '7') + "," + std::string(149, '1'), "CSINET", "CSINET:"};
  for (char a : alphabet) {
    texts.emplace_back(1, a);
    for (char b : alphabet)
      for (char c : alphabet)
        for (char d : alphabet) texts.push_back(std::string{a, b, c, d});
  }
  texts.emplace_back();
  for (const std::string& t : texts)
    for (int mode : {0, kCisForum, kCisMail})
      for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{60}}) {
        const auto [address, name] = cis(mode, t, size, size);
        ASSERT_LE(address.size(), size);
        ASSERT_LE(name.size(), size);
      }
}

TEST(StripChar, RemovesControlsAndTrailingBlankLines) {
  const std::string in = "He\0l\x1Al\x07o\x7F\t\x80\xFF\r\nWorld  \r\n\r\n \t\r\n\x1A"s;
  EXPECT_EQ(StripChar(in, kStripForum), "Hello\t\x80\xFF\r\nWorld  ");
  EXPECT_EQ(StripChar(in, kStripMail), "Hello\t\x80\xFF\r\nWorld  ");
  EXPECT_EQ(StripChar("a\r\n\r\nb", kStripMail), "a\r\n\r\nb");
  EXPECT_EQ(StripChar("a\n\n \n", kStripMail), "a");
  EXPECT_EQ(StripChar("a\r\r", kStripMail), "a");
  EXPECT_EQ(StripChar("\r\n \r\n\t", kStripForum), "");
  EXPECT_EQ(StripChar("\0\0"s, kStripForum), "");
}

TEST(SameText, PrefixAndLengthRule) {
  const std::string base = "The quick brown fox jumps";
  EXPECT_TRUE(sameText(base, base + "      "));
  EXPECT_TRUE(sameText(base + " over!", base));        // 6 longer
  EXPECT_TRUE(sameText(base, base + std::string(19, 'x')));
  EXPECT_FALSE(sameText(base, base + std::string(20, 'x')));
  EXPECT_FALSE(sameText(base + std::string(20, 'x') + "   ", base));
  EXPECT_FALSE(sameText("The quick", "the quick"));
  EXPECT_TRUE(sameText("", "   "));
  EXPECT_TRUE(sameText("", "short"));
}

}  // namespace
}  // namespace qv
