// Browse line texts: persons, sections, and the colour by status precedence.
#include "browse/line_texts.h"

#include <gtest/gtest.h>

#include "store/config.h"
#include "tests/store/store_fixture.h"

namespace qv::test {
namespace {

using namespace qv::browse;

TEST(LineTexts, PersonFormsWithAndWithoutNames) {
  EXPECT_EQ(personText("Smith     ", "Jane ", "jane@example.org", PersonForm::Name, 50), "Smith Jane");
  // A last name alone is a name, not an address.
  EXPECT_EQ(personText("Smith", "", "jane@example.org", PersonForm::Name, 50), "Smith");
  EXPECT_EQ(personText("", "", "70001,1  ", PersonForm::Name, 50), "<70001,1>");
  EXPECT_EQ(personText("Smith", "Jane", "jane@example.org", PersonForm::NameAndAddress, 50),
            "Smith,Jane <jane@example.org>");
  EXPECT_EQ(personText("", "", "jane@example.org", PersonForm::NameAndAddress, 50), "<jane@example.org>");
  EXPECT_EQ(personText("Smith", "Jane", std::string(60, 'a'), PersonForm::NameAndAddress, 50).size(), 50u);
}

TEST(LineTexts, SectionsAndStatusPrecedence) {
  EXPECT_EQ(sectionText(false, 7, "General   "), "07 General");
  EXPECT_EQ(sectionText(false, 123, "Games"), "123 Games");
  EXPECT_EQ(sectionText(true, 7, "rec.arts.books"), "rec.arts.books");
  // A message kept in a thread marked for deletion shows as kept.
  EXPECT_EQ(effectiveStatus({Status::Keep, Status::Delete, Status::Normal, Status::Normal}), Status::Keep);
  EXPECT_EQ(effectiveStatus({Status::Normal, Status::Normal, Status::Delete, Status::Keep}), Status::Delete);
  EXPECT_EQ(effectiveStatus({Status::Normal, Status::Normal}), Status::Normal);
}

using LineColourTest = StoreTest;

TEST_F(LineColourTest, ColoursComeFromTheDisplaySettings) {
  EXPECT_EQ(statusColour(*ctx, Status::Normal), kDefaultColour);
  EXPECT_EQ(statusColour(*ctx, Status::Keep), displaySetting(*ctx, kItemKeepColour));
  EXPECT_EQ(statusColour(*ctx, Status::Delete), displaySetting(*ctx, kItemDeleteColour));
  EXPECT_NE(statusColour(*ctx, Status::Keep), statusColour(*ctx, Status::Delete));
}

}  // namespace
}  // namespace qv::test
