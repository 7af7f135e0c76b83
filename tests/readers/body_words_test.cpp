// Quoted-printable pairs, encoded header words, Base64 and the Latin-2 table.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "text/body/body.h"

namespace qv::test {
namespace {

TEST(BodyPairs, OnlyTheListedUpperCasePairsAreDecoded) {
  EXPECT_EQ(body::decodePair('3', 'D'), '=');
  EXPECT_EQ(body::decodePair('E', '9'), '\xE9');
  EXPECT_EQ(body::decodePair('0', '9'), ' ');
  EXPECT_EQ(body::decodePair('4', '1'), std::nullopt);
  EXPECT_EQ(body::decodePair('e', '9'), std::nullopt);
  EXPECT_EQ(body::decodePair('E', 'a'), std::nullopt);
  std::set<int> decoded;
  int accepted = 0;
  for (int a = 0; a < 256; ++a)
    for (int b = 0; b < 256; ++b)
      if (auto c = body::decodePair(static_cast<char>(a), static_cast<char>(b))) {
        ++accepted;
        decoded.insert(static_cast<unsigned char>(*c));
      }
  // 20 09 2C 2E 3A 3D 3F and 80 to FF.
  EXPECT_EQ(accepted, 135);
  EXPECT_EQ(decoded.size(), 134u);  // 20 and 09 both give a blank
  EXPECT_EQ(*decoded.begin(), ' ');
}

TEST(BodyEncodedWords, OnlyTheFirstWordOfAKnownCharacterSet) {
  EXPECT_EQ(body::decodeEncodedWord("=?ISO-8859-1?Q?Caf=E9_cr=E8me?="), "Caf\xE9 cr\xE8me");
  EXPECT_EQ(body::decodeEncodedWord("Re: =?iso-8859-1?q?a=E9?= =?ISO-8859-1?Q?b=E9?="),
            "Re: a\xE9 =?ISO-8859-1?Q?b=E9?=");
  EXPECT_EQ(body::decodeEncodedWord("=?Windows-1252?Q?x=5Fy=28z=29__?=!"), "x_y(z)!");
  EXPECT_EQ(body::decodeEncodedWord("=?US-ASCII?Q?ctl=0D?="), "ctl=0D");
  EXPECT_EQ(body::decodeEncodedWord("=?ISO-8859-1?B?SGVsbG8gV29ybGQ=?= again"), "Hello World again");
  for (const char* unchanged : {"=?UTF-8?Q?a=E9?=", "=?ISO-8859-15?Q?a?=", "=?ISO-8859-1?X?a?=", "=?ISO-8859-1?Q?a",
                                "a =? b", "=?", "=?ISO-8859-1?Q?=", "?= =?", "", "=", "=?ISO-8859-1"})
    EXPECT_EQ(body::decodeEncodedWord(unchanged), unchanged);
  EXPECT_EQ(body::decodeEncodedWord("x=?ISO-8859-1?Q?" "?=y"), "xy");  // an empty word
}

TEST(BodyEncodedWords, Latin2WordsAreTransliterated) {
  EXPECT_EQ(body::decodeEncodedWord("=?ISO-8859-2?Q?=A9koda_=B9=E8?="), "\x8Akoda \x9A" "c");
  // A byte the store already decoded while collecting the line.
  EXPECT_EQ(body::decodeEncodedWord("=?iso-8859-2?Q?\xB9?="), "\x9A");
  EXPECT_EQ(body::decodeEncodedWord("=?ISO-8859-2?B?ueg=?="), "\x9A" "c");
}

TEST(BodyBase64, PaddingLengthAndLimit) {
  EXPECT_EQ(body::decodeBase64("QQ==", false), "A");
  EXPECT_EQ(body::decodeBase64("QUI", false), "AB");
  EXPECT_EQ(body::decodeBase64("Q", false), "");
  EXPECT_EQ(body::decodeBase64("ueg=", false), "\xB9\xE8");
  std::string encoded;
  for (int i = 0; i < 40; ++i) encoded += "eHh4";  // 120 "x"
  EXPECT_EQ(body::decodeBase64(encoded, false), std::string(100, 'x'));
}

TEST(BodyLatin2, EveryCodeAsTransliterated) {
  const std::set<int> kept{160, 164, 167, 168, 173, 176, 180, 184, 193, 194, 196, 199, 201,
                           203, 205, 206, 211, 212, 214, 215, 218, 220, 221, 223, 225, 226,
                           228, 231, 233, 235, 237, 238, 243, 244, 246, 247, 250, 252, 253};
  const std::map<int, int> changed{
      {161, 65},  {162, 63},  {163, 76},  {165, 76},  {166, 83},  {169, 138}, {170, 83},  {171, 84},
      {172, 90},  {174, 90},  {175, 90},  {177, 97},  {178, 63},  {179, 108}, {181, 108}, {182, 115},
      {183, 63},  {185, 154}, {186, 115}, {187, 116}, {188, 122}, {189, 63},  {190, 122}, {191, 122},
      {192, 82},  {195, 65},  {197, 76},  {198, 67},  {200, 67},  {202, 69},  {204, 69},  {207, 68},
      {208, 68},  {209, 78},  {210, 78},  {213, 79},  {216, 82},  {217, 85},  {219, 85},  {222, 84},
      {224, 114}, {227, 97},  {229, 108}, {230, 99},  {232, 99},  {234, 101}, {236, 101}, {239, 100},
      {240, 100}, {241, 110}, {242, 110}, {245, 111}, {248, 114}, {249, 117}, {251, 117}, {254, 116},
      {255, 63}};
  for (int c = 0; c < 256; ++c) {
    int expected = c;
    if (auto it = changed.find(c); it != changed.end()) expected = it->second;
    EXPECT_EQ(static_cast<unsigned char>(body::fromLatin2(static_cast<unsigned char>(c))), expected) << c;
    if (c >= 160) {
      EXPECT_NE(kept.count(c), changed.count(c)) << c << " listed once";
    }
  }
}

}  // namespace
}  // namespace qv::test
