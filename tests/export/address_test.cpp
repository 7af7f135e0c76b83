// The address export: the name and address rules of each format, the topic
// and date filters and their intersection, the warning when no person is
// left, a stopped export leaving no file, and the dBase III file as
// python3-dbfread reads it.
#include <fstream>
#include <set>
#include <sstream>

#include "export/address_export.h"
#include "export/batch_operation.h"
#include "store/dates.h"
#include "tests/store/engine/dbfread.h"
#include "tests/wordindex/index_fixture.h"
#include "topics/codes.h"

namespace qv::test {
namespace {

using namespace qv::exporting;

Person person(const std::string& first, const std::string& last, const std::string& address) {
  Person p{};
  p.PERSONID = 250100;
  p.PERSONSTRING = "";
  p.FIRSTNAME = first;
  p.LASTNAME = last;
  p.ADDRESS = address;
  return p;
}

std::string load(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(AddressRules, NamesAndAddressesByFormat) {
  const Person ann = person("Ann", "Lee", "70001,1");
  EXPECT_EQ(addressText(AddressFormat::GenericMail, ann), "\"Ann Lee\" 70001.1@compuserve.com");
  EXPECT_EQ(addressText(AddressFormat::Eudora, ann), "\"Ann Lee\" 70001.1@compuserve.com");
  EXPECT_EQ(addressEntry(AddressFormat::Eudora, addressName(ann), *addressText(AddressFormat::Eudora, ann)),
            "alias \"Ann Lee\" 70001.1@compuserve.com\r\n");
  EXPECT_EQ(addressEntry(AddressFormat::Tapcis, addressName(ann), *addressText(AddressFormat::Tapcis, ann)),
            "Ann Lee 70001,1|\r\n");
  // Without first name: the last name unquoted before the address.
  const Person lee = person("", "Lee", "lee@example.org");
  EXPECT_EQ(addressName(lee), "Lee");
  EXPECT_EQ(addressText(AddressFormat::GenericMail, lee), "Lee lee@example.org");
  EXPECT_EQ(addressText(AddressFormat::Tapcis, lee), "INTERNET:lee@example.org");
  EXPECT_EQ(addressEntry(AddressFormat::OzWin2, "Lee", "INTERNET:lee@example.org"),
            std::string("\x03Lee\x18INTERNET:lee@example.org\0\0", 31));
  EXPECT_EQ(addressName(person("Ann", "", "x@y")), "Ann");
  EXPECT_EQ(addressText(AddressFormat::GenericMail, person("Ann", "", "x@y")), "x@y");
  EXPECT_EQ(addressName(person("", "", "x@y")), "Unknown");
  // The placeholder person has no name; a person without address is left out
  // (dBase III keeps the record with a blank address).
  const Person unknown = person("Name", "Unknown", "who@example.org");
  EXPECT_EQ(addressName(unknown), "");
  EXPECT_EQ(addressText(AddressFormat::Eudora, unknown), "who@example.org");
  EXPECT_EQ(addressText(AddressFormat::GenericMail, person("Bo", "Ray", "")), std::nullopt);
  EXPECT_EQ(addressText(AddressFormat::OzWin2, person("Bo", "Ray", "")), std::nullopt);
  EXPECT_EQ(addressText(AddressFormat::DBase3, person("Bo", "Ray", "")), "");
  EXPECT_EQ(addressText(AddressFormat::DBase3, ann), "70001.1@compuserve.com");
  EXPECT_EQ(addressCountText(12), "12 addresses written to file.");
}

class AddressTest : public IndexTest {
 protected:
  void SetUp() override {
    importForum(
        "F|Club|1|General|100|0|Modems|Ann Lee|70001,1|Bob Ray|70001,2|1995-03-01|10:00|a\n"
        "F|Club|1|General|101|100|Modems|Bob Ray|70001,2|Ann Lee|70001,1|1995-03-02|10:00|b\n"
        "F|Club|1|General|102|0|Fax|Carl Fox|carl@example.org|All||1995-03-05|10:00|c\n"
        "F|Club|1|General|103|0|Doom|Dan Poe|70001,4|Carl Fox|carl@example.org|1995-03-06|10:00|d\n");
    topic = topics::addCode(*ctx, CodeType::Topic, "Modems").code.ID;
    BatchJob tag(
        *ctx,
        {.kind = BatchKind::AttachTopic, .code = SelectionCode::Thread, .start = {.message = 100}, .topicId = topic});
    runToEnd(tag);
    ASSERT_EQ(tag.result(), BatchResult::Done);
  }
  AddressResult exportAddresses(AddressRequest r) {
    AddressExportJob job(*ctx, std::move(r));
    runToEnd(job);
    path = job.path();
    return job.result();
  }
  static DateRange march(int from, int to) { return {dates::dayNumber(1995, 3, from), dates::dayNumber(1995, 3, to)}; }
  std::filesystem::path temp() const { return ctx->mem.TempDir; }

  std::uint32_t topic = 0;
  std::filesystem::path path;
};

TEST_F(AddressTest, TopicAndDateFiltersIntersect) {
  // The topic's messages (100, 101) and 2-5 March (101, 102): Ann and Bob, found newest first.
  ASSERT_EQ(exportAddresses(
                {.fileName = "Both.Txt", .format = AddressFormat::GenericMail, .topicId = topic, .range = march(2, 5)}),
            AddressResult::Done);
  EXPECT_EQ(path, temp() / "Both.Txt");
  EXPECT_EQ(load(path), "\"Bob Ray\" 70001.2@compuserve.com\r\n\"Ann Lee\" 70001.1@compuserve.com\r\n");
  EXPECT_EQ(ui.last().title, kAddressExportTitle);
  EXPECT_EQ(ui.last().text, "2 addresses written to file.");

  // The date range alone: Carl, All (no address: left out) and Bob.
  ASSERT_EQ(exportAddresses({.fileName = "Dates.Txt", .format = AddressFormat::Tapcis, .range = march(2, 5)}),
            AddressResult::Done);
  EXPECT_EQ(load(path), "Carl Fox INTERNET:carl@example.org|\r\nBob Ray 70001,2|\r\nAnn Lee 70001,1|\r\n");

  // 5-6 March shares no person with the topic: the warning, and no file.
  ASSERT_EQ(exportAddresses(
                {.fileName = "None.Txt", .format = AddressFormat::GenericMail, .topicId = topic, .range = march(5, 6)}),
            AddressResult::NoneSelected);
  EXPECT_EQ(ui.last().title, kNoAddressesTitle);
  EXPECT_EQ(ui.last().text, kNoAddressesPassed);
  EXPECT_FALSE(std::filesystem::exists(temp() / "None.Txt"));

  // Refusals: a name with a path, a topic that is none, a date range in error.
  EXPECT_EQ(exportAddresses({.fileName = "../x.txt"}), AddressResult::Refused);
  EXPECT_EQ(ui.last().title, kFilenameErrorTitle);
  EXPECT_EQ(ui.last().text, kFilenameErrorText);
  EXPECT_EQ(exportAddresses({.topicId = 999}), AddressResult::Refused);
  EXPECT_EQ(ui.last().text, "No topic selected!");
  EXPECT_EQ(exportAddresses({.range = march(6, 5)}), AddressResult::Refused);
  EXPECT_EQ(ui.last().text, dateRangeText(DateRangeError::Negative));
}

TEST_F(AddressTest, AStoppedExportLeavesNoFileAndAFinishedOneAllPersons) {
  AddressExportJob job(*ctx, {.format = AddressFormat::Eudora});
  ASSERT_FALSE(job.step());  // the persons collected, the file begun
  job.requestCancel();
  ASSERT_TRUE(job.step());
  EXPECT_EQ(job.result(), AddressResult::Cancelled);
  EXPECT_EQ(ui.last().text, kAddressExportAborted);
  for (const auto& e : std::filesystem::directory_iterator(temp()))
    EXPECT_FALSE(e.path().filename().string().starts_with("Address"))
        << e.path() << ": a stopped export leaves nothing";

  ASSERT_EQ(exportAddresses({.format = AddressFormat::OzWin2}), AddressResult::Done);
  EXPECT_EQ(path.filename(), "Address.Ab");
  const std::string records = load(path);
  EXPECT_NE(records.find(std::string("\x07"
                                     "Dan Poe\x07"
                                     "70001,4\0\0",
                                     18)),
            std::string::npos);
  EXPECT_EQ(ui.last().text, "4 addresses written to file.");  // Ann, Bob, Carl and Dan; All has no address
}

TEST_F(AddressTest, TheDBaseIIIAddressFileOpensInDbfread) {
  ASSERT_EQ(exportAddresses({.format = AddressFormat::DBase3, .topicId = topic}), AddressResult::Done);
  EXPECT_EQ(path, temp() / "Address.Dbf");
  EXPECT_TRUE(std::filesystem::exists(temp() / "Address.NDX"));
  EXPECT_FALSE(std::filesystem::exists(temp() / "Address~.Dbf"));
  const std::filesystem::path work = home.path() / "dbf";
  std::filesystem::create_directories(work);
  const std::string dump = dbfreadDump(path, work);
  if (dump.empty()) GTEST_SKIP() << "python3-dbfread is missing";
  std::istringstream lines(dump);
  std::string header, first, second, rest;
  std::getline(lines, header);
  std::getline(lines, first);
  std::getline(lines, second);
  EXPECT_EQ(header, "ID=N8.0 LNAME=C25.0 FNAME=C25.0 ADDRESS=C60.0");
  EXPECT_NE(first.find("LNAME=" + hex("Ray") + " FNAME=" + hex("Bob") + " ADDRESS=" + hex("70001.2@compuserve.com")),
            std::string::npos)
      << dump;
  EXPECT_NE(second.find("FNAME=" + hex("Ann")), std::string::npos) << dump;
  EXPECT_FALSE(std::getline(lines, rest)) << dump;
}

}  // namespace
}  // namespace qv::test

namespace qv::test {
namespace {

using namespace qv::exporting;

// More mails than one step walks, many on one day and minute: the date walk
// goes on where it stopped, and the lines cross the buffers whole.
using AddressMailTest = IndexTest;

TEST_F(AddressMailTest, ALongDateWalkResumesAndItsLinesCrossTheBuffersWhole) {
  const std::uint32_t db = addMail("Jane Smith", "jane@example.org");
  std::string lines;
  for (int i = 0; i < 900; ++i)
    lines += "M|Hello|Person " + std::to_string(i) + "|p" + std::to_string(i) + "@example.org|Jane Smith|" +
             "jane@example.org|1999-05-0" + std::to_string(1 + i % 3) + "|10:00|Hi\n";
  writeSource("mail.txt", lines);
  ImportSettings s = settings("Generic Mail Type 2", {"mail.txt"});
  s.mail = true;
  s.mailDatabase = db;
  ASSERT_TRUE(run(s).completed);
  activate("JANE SMITH");

  AddressExportJob job(*ctx, {.format = AddressFormat::Eudora,
                              .range = DateRange{dates::dayNumber(1999, 5, 1), dates::dayNumber(1999, 5, 2)}});
  runToEnd(job);
  ASSERT_EQ(job.result(), AddressResult::Done);
  EXPECT_EQ(job.written(), 601u);  // the 600 senders of 1 and 2 May, and Jane
  std::ifstream in(job.path(), std::ios::binary);
  std::set<std::string> seen;
  std::size_t bytes = 0;
  for (std::string line; std::getline(in, line);) {
    bytes += line.size() + 1;
    ASSERT_TRUE(line.starts_with("alias ") && line.ends_with("\r")) << line;
    EXPECT_TRUE(seen.insert(line).second) << line;
  }
  EXPECT_EQ(seen.size(), 601u);
  EXPECT_GT(bytes, 2 * kAddressBufferBytes);
  EXPECT_TRUE(seen.contains("alias \"Person 898\" p898@example.org\r"));   // 898 % 3 == 1: 2 May
  EXPECT_FALSE(seen.contains("alias \"Person 899\" p899@example.org\r"));  // 3 May
}

}  // namespace
}  // namespace qv::test
