// The catalogue of import formats: fixed numbers, names and masks, and the
// groups the wizard and the driver treat alike.
#include "import/formats.h"

#include <gtest/gtest.h>

#include <set>

namespace qv::test {
namespace {

std::set<int> numbersWhere(bool (*member)(int)) {
  std::set<int> found;
  for (int n = 0; n <= 60; ++n)
    if (member(n)) found.insert(n);
  return found;
}

TEST(FormatCatalogue, HoldsFiftyEntriesOfWhichThePlaceholdersAreNeverOffered) {
  EXPECT_EQ(catalogueText().size(), 50u * 25u);
  const std::vector<FormatEntry> offered = offeredFormats();
  ASSERT_EQ(offered.size(), 40u);
  for (std::size_t i = 0; i < offered.size(); ++i) {
    EXPECT_EQ(offered[i].number, static_cast<int>(i) + 1);
    EXPECT_EQ(offered[i].name.find("Reserv"), std::string::npos);
  }
  for (int n = 41; n <= 50; ++n) {
    EXPECT_EQ(formatName(n), "") << n;
    EXPECT_FALSE(defaultMaskString(n).has_value()) << n;
    EXPECT_FALSE(sourceKind(n).has_value()) << n;
  }
  EXPECT_EQ(formatNumber("Reserv"), 0);
  EXPECT_EQ(formatName(51), "");
  EXPECT_EQ(formatName(-1), "");
}

TEST(FormatCatalogue, NumbersNamesAndMasksStayAsStored) {
  EXPECT_EQ(formatName(0), "WinCIM");
  EXPECT_EQ(effectiveFormatNumber(0), 17);
  EXPECT_EQ(formatName(1), "AUTOSIG");
  EXPECT_EQ(formatName(3), "CompuServe 3 and 4");
  EXPECT_EQ(formatName(11), "NavCIS 1.7x-");
  EXPECT_EQ(formatName(23), "Outlook Express 4 Mail");
  EXPECT_EQ(formatName(33), "Outlook Mail");
  EXPECT_EQ(formatName(40), "TheBat");

  EXPECT_EQ(formatNumber("NavCIS 1.7x-"), 11);
  EXPECT_EQ(formatNumber("NavCIS 1.7x"), 0);
  EXPECT_EQ(formatNumber("eudora"), 6);
  EXPECT_EQ(formatNumber("Outlook Express 5 News  "), 34);
  EXPECT_EQ(formatNumber(""), 0);

  EXPECT_EQ(defaultMaskString(1), "*.ATO");
  EXPECT_EQ(defaultMaskString(3), "FCABINET.DAT");
  EXPECT_EQ(defaultMaskString(11), "HRECV.DBF");
  EXPECT_EQ(defaultMaskString(15), "*.MSG;*.OLD");
  EXPECT_EQ(defaultMaskString(16), "*.");
  EXPECT_EQ(defaultMaskString(17), "*.THD;*.MSG;*.PLX");
  EXPECT_EQ(defaultMaskString(0), "*.THD;*.MSG;*.PLX");
  EXPECT_EQ(defaultMaskString(31), "MESSAGE.DBF");
  EXPECT_FALSE(defaultMaskString(33).has_value());
  EXPECT_EQ(defaultMaskString(40), "*.TBB");
}

TEST(FormatCatalogue, MaskStringsSplitAtSemicolons) {
  EXPECT_EQ(splitMasks("*.MSG;*.OLD"), (std::vector<std::string>{"*.MSG", "*.OLD"}));
  EXPECT_EQ(splitMasks("*.ATO"), (std::vector<std::string>{"*.ATO"}));
  EXPECT_EQ(splitMasks(" *.THD ;;*.MSG; "), (std::vector<std::string>{"*.THD", "*.MSG"}));
  EXPECT_TRUE(splitMasks("").empty());
  // Longer than a DOS name: kept whole, so it selects the files it names.
  EXPECT_EQ(splitMasks("MESSAGES.ARCHIVE"), (std::vector<std::string>{"MESSAGES.ARCHIVE"}));
  EXPECT_EQ(joinMasks({"*.MSG", "*.OLD"}), "*.MSG;*.OLD");
}

TEST(FormatCatalogue, GroupsOfFormatsAreExactlyTheNamedOnes) {
  EXPECT_EQ(numbersWhere(skipsMethodPage), (std::set<int>{1, 2, 3, 7, 10, 11, 12, 15, 19, 31}));
  EXPECT_EQ(numbersWhere(filesNameNoForum), (std::set<int>{1, 2, 7, 12, 15, 19}));
  EXPECT_EQ(numbersWhere(progressPerFile), (std::set<int>{1, 2, 3, 7, 10, 11, 12, 13, 14, 15, 19, 25, 31}));
  EXPECT_EQ(numbersWhere(selectsFolders), (std::set<int>{33}));

  EXPECT_EQ(navcisVariant(10), 62);
  EXPECT_EQ(navcisVariant(11), 76);
  EXPECT_EQ(navcisVariant(25), 0);
  EXPECT_EQ(navcisVariant(17), 0);

  EXPECT_EQ(sourceKind(9), SourceKind::News);
  EXPECT_EQ(sourceKind(18), SourceKind::News);
  EXPECT_EQ(sourceKind(34), SourceKind::News);
  EXPECT_EQ(sourceKind(6), SourceKind::Mail);
  EXPECT_EQ(sourceKind(33), SourceKind::Mail);
  EXPECT_EQ(sourceKind(38), SourceKind::Mail);
  EXPECT_EQ(sourceKind(16), SourceKind::CompuServe);
  EXPECT_EQ(sourceKind(31), SourceKind::CompuServe);
  EXPECT_EQ(sourceKind(0), SourceKind::CompuServe);
}

}  // namespace
}  // namespace qv::test
