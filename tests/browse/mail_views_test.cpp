// The mail browse's views: orders, the person limits and the locators.
#include "browse/mail_views.h"

#include "store/dates.h"
#include "tests/wordindex/index_fixture.h"

namespace qv::test {
namespace {

using namespace qv::browse;
using MailViewTest = IndexTest;

std::vector<std::string> subjects(const std::vector<Mail>& page) {
  std::vector<std::string> out;
  for (const Mail& m : page) out.push_back(m.SUBJECT.str());
  return out;
}
using Texts = std::vector<std::string>;

TEST_F(MailViewTest, ViewsOrderAndLimitTheMails) {
  const std::uint32_t mail = addMail("Jane Smith", "jane@example.org");
  writeSource("mail.txt",
              "M|Lunch|Bob Ray|bob@example.org|Jane Smith|jane@example.org|1999-05-01|12:00|Noon?\n"
              "M|Tea|Jane Smith|jane@example.org|Ann Lee|ann@example.org|1999-05-02|16:00|Four?\n"
              "M|Re: Lunch|Jane Smith|jane@example.org|Bob Ray|bob@example.org|1999-05-01|12:30|Yes\n"
              "M|Books|Ann Lee|ann@example.org|Jane Smith|jane@example.org|1999-05-04|09:00|Read\n");
  ImportSettings s = settings("Generic Mail Type 2", {"mail.txt"});
  s.mail = true;
  s.mailDatabase = mail;
  ASSERT_TRUE(run(s).completed);
  activate("JANE SMITH");

  EXPECT_EQ(subjects(MailPager(*ctx, MailView::Date).first(10)), (Texts{"Books", "Tea", "Re: Lunch", "Lunch"}));
  EXPECT_EQ(subjects(MailPager(*ctx, MailView::Subject).first(10)), (Texts{"Books", "Lunch", "Re: Lunch", "Tea"}));
  // Partners in name order (Lee, Ray), each newest first.
  const std::vector<Mail> byPartner = MailPager(*ctx, MailView::Partner).first(10);
  EXPECT_EQ(subjects(byPartner), (Texts{"Books", "Tea", "Re: Lunch", "Lunch"}));

  const PersonLimit bob{byPartner[2].PAIRID, byPartner[2].PAIRALPHA.str()};
  MailPager withBob(*ctx, MailView::Partner, bob);
  const std::vector<Mail> bobs = withBob.first(10);
  EXPECT_EQ(subjects(bobs), (Texts{"Re: Lunch", "Lunch"}));
  EXPECT_EQ(subjects(withBob.after(bobs[0].MAILID, 10)), (Texts{"Lunch"}));
  EXPECT_EQ(subjects(withBob.before(bobs[0].MAILID, 10)), Texts{});  // Lee's mails lie outside the limit
  EXPECT_EQ(subjects(withBob.after(byPartner[0].MAILID, 10)), Texts{});

  const PersonLimit ann{byPartner[0].FROMID, byPartner[0].FROMALPHA.str()};  // Books came from Ann
  EXPECT_EQ(subjects(MailPager(*ctx, MailView::Sender, ann).first(10)), (Texts{"Books"}));
  EXPECT_EQ(subjects(MailPager(*ctx, MailView::Sender).first(1)), (Texts{"Books"}));  // Lee before Ray and Smith

  MailPager byDate(*ctx, MailView::Date);
  EXPECT_EQ(byDate.atDate(dates::dayNumber(1999, 5, 3))->SUBJECT.str(), "Tea");   // the nearest older day
  EXPECT_EQ(byDate.atDate(dates::dayNumber(1999, 5, 1))->SUBJECT.str(), "Re: Lunch");  // the day's newest
  EXPECT_EQ(byDate.atDate(dates::dayNumber(1990, 1, 1))->SUBJECT.str(), "Lunch");
  EXPECT_EQ(MailPager(*ctx, MailView::Subject).atName("re")->SUBJECT.str(), "Re: Lunch");
  EXPECT_EQ(MailPager(*ctx, MailView::Partner).atName("RAY")->SUBJECT.str(), "Re: Lunch");

  MailPager results(*ctx, MailView::SearchResult, ViewLimit{"", 0, {bobs[1].MAILID, byPartner[0].MAILID}});
  EXPECT_EQ(subjects(results.first(10)), (Texts{"Lunch", "Books"}));
  EXPECT_EQ(mailViewCaption(MailView::Partner), " Filter Partner ");
}

}  // namespace
}  // namespace qv::test
