// Duplicate elimination of persons: address repair, the survivor of each
// address, merging, and the recount.
#include "maintenance/duplicate_persons.h"

#include <map>

#include "maintenance/address_repair.h"
#include "maintenance/duplicates_texts.h"
#include "store/table_use.h"
#include "tests/wordindex/index_fixture.h"

namespace qv::test {
namespace {

using namespace qv::maintenance;

TEST(AddressRepair, ServiceIdentifiersComeBackToOneForm) {
  EXPECT_EQ(repairAddress("70000.101"), "70000,101");   // period to comma
  EXPECT_EQ(repairAddress("70000, 101"), "70000,101");  // blank after the comma
  EXPECT_EQ(repairAddress("70000. 101"), "70000,101");
  EXPECT_EQ(repairAddress("[70000,101]"), "70000,101");
  EXPECT_EQ(repairAddress("70000.101@CompuServe.com"), "70000,101");  // the service's domain cut
  EXPECT_EQ(repairAddress("ann.lee@example.org"), "ann.lee@example.org");  // another domain left alone
  EXPECT_EQ(repairAddress("a.b"), "a.b");  // too short to be one
  EXPECT_EQ(repairAddress("70000,101"), "70000,101");
}

class DuplicatesTest : public IndexTest {
 protected:
  std::uint32_t importMail(const std::string& lines) {
    const std::uint32_t mail = addMail("Jane Smith", "jane@example.org");
    writeSource("mail.txt", lines);
    ImportSettings s = settings("Generic Mail Type 2", {"mail.txt"});
    s.mail = true;
    s.mailDatabase = mail;
    EXPECT_TRUE(run(s).completed);
    activate("JANE SMITH");
    return mail;
  }
  DuplicatesResult runJob() {
    DuplicatesJob job(*ctx, 2);  // small batches, so the walks resume
    runToEnd(job);
    counts = job.counts();
    return job.result();
  }
  // Persons by identifier: "Last <ADDRESS> sent/received".
  std::map<std::uint32_t, std::string> persons() {
    std::map<std::uint32_t, std::string> out;
    TableUse use(*ctx, {Person::FileNo});
    engine::File& f = ctx->fileOf<Person>();
    f.set();
    while (f.next() == engine::Err::Ok)
      out[+ctx->per.PERSONID] = ctx->per.LASTNAME.str() + " <" + ctx->per.ADDRESS.str() + "> " +
                               std::to_string(ctx->per.FROMCOUNT) + "/" + std::to_string(ctx->per.TOCOUNT);
    return out;
  }
  // Each mail as "subject: from>to (partner)".
  std::vector<std::string> mails() {
    std::vector<std::string> out;
    TableUse use(*ctx, {Mail::FileNo});
    engine::File& f = ctx->fileOf<Mail>();
    f.set(Mail::SubjectKey);
    while (f.next() == engine::Err::Ok)
      out.push_back(ctx->mai.SUBJECT.str() + ": " + std::to_string(ctx->mai.FROMID) + ">" +
                    std::to_string(ctx->mai.TOID) + " (" + std::to_string(ctx->mai.PAIRID) + ")");
    return out;
  }
  std::uint32_t idOf(const std::map<std::uint32_t, std::string>& all, const std::string& start) {
    for (const auto& [id, text] : all)
      if (text.rfind(start, 0) == 0) return id;
    return 0;
  }
  DuplicatesCounts counts;
};

TEST_F(DuplicatesTest, OneSurvivorPerAddressAndTheMessagesFollowIt) {
  importMail(
      "M|Old|Ann Lee|ann@example.org|Jane Smith|jane@example.org|1999-05-01|12:00|a\n"
      "M|New|Lee|ANN@EXAMPLE.ORG|Jane Smith|jane@example.org|1999-06-01|12:00|b\n"
      "M|Ask|Jane Smith|jane@example.org|Ann|Ann@Example.Org|1999-05-02|12:00|c\n"
      // Two that only received: the last of them survives.
      "M|To Bob|Jane Smith|jane@example.org|Bob Ray|bob@example.org|1999-05-03|12:00|d\n"
      "M|To Rob|Jane Smith|jane@example.org|Robert Ray|BOB@example.org|1999-05-04|12:00|e\n"
      "M|To Cy|Jane Smith|jane@example.org|Cy Fox|cy@example.org|1999-05-05|12:00|f\n");
  const auto before = persons();
  ASSERT_EQ(before.size(), 7u) << ::testing::PrintToString(before);
  std::uint32_t newest = 0;  // the sender of the newer mail
  for (const std::string& m : mails())
    if (m.rfind("New: ", 0) == 0) newest = static_cast<std::uint32_t>(std::stoul(m.substr(5)));
  ASSERT_NE(newest, 0u);

  ASSERT_EQ(runJob(), DuplicatesResult::Done);
  EXPECT_EQ(counts.before, 7u);
  EXPECT_EQ(counts.duplicates, 3u);
  EXPECT_EQ(counts.withoutMessages, 0u);
  EXPECT_EQ(counts.remaining(), 4u);

  const auto after = persons();
  ASSERT_EQ(after.size(), 4u) << ::testing::PrintToString(after);
  // The one with a last name and the most recent sent message keeps the
  // address and now counts every mail of the three.
  EXPECT_EQ(after.at(newest), "Lee <ann@example.org> 2/1");
  const std::uint32_t bob = idOf(after, "Ray <");
  ASSERT_NE(bob, 0u);
  EXPECT_EQ(after.at(bob).substr(after.at(bob).size() - 3), "0/2");
  for (const std::string& m : mails()) {
    const bool toBob = m.rfind("To Bob", 0) == 0 || m.rfind("To Rob", 0) == 0;
    const bool fromAnn = m.rfind("Old", 0) == 0 || m.rfind("New", 0) == 0;
    if (toBob) {
      EXPECT_NE(m.find(">" + std::to_string(bob) + " "), std::string::npos) << m;
    }
    if (fromAnn) {
      EXPECT_EQ(m.substr(m.find(':') + 2, std::to_string(newest).size()), std::to_string(newest)) << m;
    }
  }
  // Later imports find the survivor through the merged persons' strings.
  TableUse use(*ctx, {PLINK::FileNo});
  EXPECT_EQ(ctx->fileOf<PLINK>().records(), 3);

  // A second run finds nothing more to do.
  ASSERT_EQ(runJob(), DuplicatesResult::Done);
  EXPECT_EQ(counts.duplicates, 0u);
  EXPECT_EQ(persons(), after);
}

TEST_F(DuplicatesTest, StoppingWhileRecodingAsksFirst) {
  importMail("M|A|Ann Lee|ann@example.org|Jane Smith|jane@example.org|1999-05-01|12:00|a\n"
             "M|B|Lee|ANN@example.org|Jane Smith|jane@example.org|1999-06-01|12:00|b\n");
  DuplicatesJob job(*ctx, 1);
  while (job.current() != DuplicatesStep::Recode && !job.step()) {
  }
  ASSERT_EQ(job.current(), DuplicatesStep::Recode);
  ui.clear();
  ui.answers = {kNo};
  job.requestCancel();
  EXPECT_FALSE(job.step());  // No: it goes on
  ASSERT_FALSE(ui.shown.empty());
  EXPECT_EQ(ui.shown.front().title, dup_texts::kInterruptedTitle);
  EXPECT_TRUE(ui.shown.front().question);
  runToEnd(job);
  EXPECT_EQ(job.result(), DuplicatesResult::Done);
  EXPECT_EQ(job.counts().duplicates, 1u);
}

}  // namespace
}  // namespace qv::test
