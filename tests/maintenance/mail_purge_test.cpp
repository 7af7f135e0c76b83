// Purging mail databases: repeated mail, mail and partners marked Delete,
// carbon copies.
#include "maintenance/mail_duplicates.h"
#include "store/dates.h"
#include "tests/maintenance/purge_fixture.h"

namespace qv::test {
namespace {

using browse::StatusTarget;
using maintenance::DuplicateEntry;
using maintenance::PurgeResult;

TEST(MailDuplicates, TimesAreCutToTheMinuteAndAKeptMailIsTheOneThatStays) {
  EXPECT_EQ(maintenance::minuteOf(0), 0);
  EXPECT_EQ(maintenance::minuteOf(1), 1);
  EXPECT_EQ(maintenance::minuteOf(dates::timeOf(10, 15, 42, 7)), dates::timeOf(10, 15, 0));
  // The last hundredth of a minute belongs to it too.
  EXPECT_EQ(maintenance::minuteOf(dates::timeOf(0, 0, 59, 99)), 1);

  auto entry = [](std::uint32_t id, Status s, std::string init = "Same start") {
    DuplicateEntry e;
    e.MAILID = id;
    e.SUBJECT = "HELLO";
    e.DATE = 72000;
    e.TIME = 6001;
    e.FROMID = 5;
    e.TOID = 6;
    e.INITSTR = std::move(init);
    e.DUMMY = s;
    return e;
  };
  std::vector<DuplicateEntry> list = {entry(1, Status::Normal), entry(2, Status::Keep), entry(3, Status::Normal),
                                      entry(4, Status::Normal, "Other start")};
  // Mail 3's text differs from mail 2's.
  const auto marked = maintenance::markRepeats(list, [](std::uint32_t a, std::uint32_t b) {
    return !(a == 3 || b == 3);
  });
  std::map<std::uint32_t, Status> status;
  for (const DuplicateEntry& e : list) status[+e.MAILID] = e.DUMMY;
  EXPECT_EQ(marked, 1u);
  EXPECT_EQ(status[2], Status::Keep);
  EXPECT_EQ(status[1], Status::Delete);
  EXPECT_EQ(status[3], Status::Normal);
  EXPECT_EQ(status[4], Status::Normal);
}

class MailPurgeTest : public PurgeTest {
 protected:
  void importMail(const std::string& lines) {
    const std::uint32_t id = addMail("Jane Smith", "jane@example.org");
    writeSource("mail.txt", lines);
    ImportSettings s = settings("Generic Mail Type 2", {"mail.txt"});
    s.mail = true;
    s.mailDatabase = id;
    ASSERT_TRUE(run(s).completed);
    activateId(id);
  }
  std::uint32_t mailWithSubject(const std::string& subject) {
    for (const auto& [id, m] : mails())
      if (m.SUBJECT.str() == subject) return id;
    return 0;
  }
};

TEST_F(MailPurgeTest, RepeatedMailAndMailMarkedDeleteGoWithTheirCopiesAndKeptMailStays) {
  importMail(
      "M|Hello there|Bob Stone|bob@example.org|Jane Smith|jane@example.org|1999-05-01|10:15|The same text\n"
      "M|Hello again|Bob Stone|bob@example.org|Jane Smith|jane@example.org|1999-05-01|10:15|The same text\n"
      "M|Notes|Carl Ray|carl@example.org|Jane Smith|jane@example.org|1999-05-02|11:00|Copied\n"
      "C|Dora Lee|dora@example.org|CC\n"
      "M|Later|Bob Stone|bob@example.org|Jane Smith|jane@example.org|1999-05-03|12:00|Another text\n");
  const std::uint32_t lower = mailWithSubject("Hello there");
  // The import itself would drop a repeated mail: the repetition is made here.
  const std::uint32_t upper = mailWithSubject("Hello again");
  const std::uint32_t notes = mailWithSubject("Notes");
  ASSERT_NE(lower, 0u);
  ASSERT_NE(upper, 0u);
  ASSERT_EQ(all(&Context::ccr).size(), 1u);
  // The two differ in the letter case of the subject and in the seconds;
  // the upper-case one is kept.
  rewrite<Mail>(&Context::mai, Mail::IdKey, [&](Mail& m) { m.MAILID = upper; },
                [](Mail& m) { m.SUBJECT = "HELLO THERE"; });
  rewrite<Mail>(&Context::mai, Mail::IdKey, [&](Mail& m) { m.MAILID = lower; },
                [](Mail& m) { m.TIME += 4200; });
  mark(StatusTarget::Message, upper, Status::Keep);
  mark(StatusTarget::Message, notes, Status::Delete);

  const Run run = purge();
  ASSERT_EQ(run.result, PurgeResult::Done);
  EXPECT_EQ(run.statistics.before, 4);
  EXPECT_EQ(run.statistics.deleted, 2);
  const auto left = mails();
  EXPECT_EQ(left.size(), 2u);
  EXPECT_TRUE(left.contains(upper));
  EXPECT_EQ(statusOf(left.at(upper)), Status::Keep);
  EXPECT_FALSE(left.contains(lower));
  EXPECT_FALSE(left.contains(notes));
  EXPECT_EQ(texts().size(), 2u);
  EXPECT_TRUE(all(&Context::ccr).empty());
  // Carl has no mail left: the count removed him; the owner and Bob stay.
  std::set<std::string> persons;
  for (const Person& p : all(&Context::per)) persons.insert(p.LASTNAME.str());
  EXPECT_EQ(persons, (std::set<std::string>{"Smith", "Stone"}));
}

TEST_F(MailPurgeTest, PartnerMarkedDeleteKeepsOnlyItsKeptMail) {
  importMail(
      "M|One|Bob Stone|bob@example.org|Jane Smith|jane@example.org|1999-05-01|10:15|first\n"
      "M|Two|Jane Smith|jane@example.org|Bob Stone|bob@example.org|1999-05-02|10:15|second\n"
      "M|Three|Carl Ray|carl@example.org|Jane Smith|jane@example.org|1999-05-03|11:00|third\n"
      "M|Four|Carl Ray|carl@example.org|Jane Smith|jane@example.org|1999-05-04|11:00|fourth\n");
  const std::uint32_t bob = mails().at(mailWithSubject("One")).PAIRID;
  const std::uint32_t carl = mails().at(mailWithSubject("Three")).PAIRID;
  mark(StatusTarget::Partner, bob, Status::Delete);
  mark(StatusTarget::Partner, carl, Status::Delete);
  mark(StatusTarget::Message, mailWithSubject("Four"), Status::Keep);

  ASSERT_EQ(purge().result, PurgeResult::Done);
  const auto left = mails();
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left.begin()->second.SUBJECT.str(), "Four");
  std::set<std::uint32_t> persons;
  for (const Person& p : all(&Context::per)) persons.insert(+p.PERSONID);
  EXPECT_FALSE(persons.contains(bob));
  EXPECT_TRUE(persons.contains(carl));
  EXPECT_TRUE(persons.contains(ctx->mem.PersonID));
}

}  // namespace
}  // namespace qv::test
