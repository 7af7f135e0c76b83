// Stepping from person to person in the sender, receiver and partner views.
#include "browse/person_steps.h"

#include "store/table_use.h"
#include "tests/wordindex/index_fixture.h"

namespace qv::test {
namespace {

using namespace qv::browse;
using PersonStepTest = IndexTest;

// The limits of the persons that sent (or received) forum messages, in key order.
std::vector<PersonLimit> limitsOf(Context& ctx, bool senders) {
  std::vector<PersonLimit> out;
  TableUse use(ctx, {MsgNmbr::FileNo});
  engine::File& f = ctx.fileOf<MsgNmbr>();
  f.set(senders ? MsgNmbr::FromKey : MsgNmbr::ToKey);
  while (f.next() == engine::Err::Ok) {
    const PersonLimit p = senders ? PersonLimit{ctx.msg.FROMID, ctx.msg.FROMALPHA.str()}
                                  : PersonLimit{ctx.msg.TOID, ctx.msg.TOALPHA.str()};
    if (out.empty() || !(out.back() == p)) out.push_back(p);
  }
  return out;
}

TEST_F(PersonStepTest, OnlyPersonsWithMessagesInTheRoleAreVisited) {
  // Ann and Bob send; Carl only receives, so the sender view never visits him.
  importForum("F|Club|1|General|100|0|One|Bob Ray|70001,2|Carl Fox|70001,3|1995-03-01|10:00|x\n"
              "F|Club|1|General|101|0|Two|Ann Lee|70001,1|Carl Fox|70001,3|1995-03-02|10:00|x\n"
              "F|Club|1|General|102|0|Three|Ann Lee|70001,1|Bob Ray|70001,2|1995-03-03|10:00|x\n");
  const std::vector<PersonLimit> senders = limitsOf(*ctx, true);
  ASSERT_EQ(senders.size(), 2u);  // Lee, Ray
  EXPECT_EQ(neighbourPerson(*ctx, senders[0], PersonRole::Sender, StepDirection::Next), senders[1]);
  EXPECT_EQ(neighbourPerson(*ctx, senders[1], PersonRole::Sender, StepDirection::Previous), senders[0]);
  EXPECT_EQ(ui.beeps, 0);
  EXPECT_EQ(neighbourPerson(*ctx, senders[1], PersonRole::Sender, StepDirection::Next), std::nullopt);
  EXPECT_EQ(neighbourPerson(*ctx, senders[0], PersonRole::Sender, StepDirection::Previous), std::nullopt);
  EXPECT_EQ(ui.beeps, 2);

  const std::vector<PersonLimit> receivers = limitsOf(*ctx, false);
  ASSERT_EQ(receivers.size(), 2u);  // Fox, Ray: Ann never receives
  EXPECT_EQ(neighbourPerson(*ctx, receivers[0], PersonRole::Receiver, StepDirection::Next), receivers[1]);
  EXPECT_EQ(neighbourPerson(*ctx, receivers[1], PersonRole::Receiver, StepDirection::Previous), receivers[0]);
  EXPECT_EQ(neighbourPerson(*ctx, receivers[1], PersonRole::Receiver, StepDirection::Next), std::nullopt);
  EXPECT_EQ(neighbourPerson(*ctx, receivers[0], PersonRole::Partner, StepDirection::Next), std::nullopt);
}

TEST_F(PersonStepTest, MailPartnersStepThroughTheirMails) {
  const std::uint32_t mail = addMail("Jane Smith", "jane@example.org");
  writeSource("mail.txt",
              "M|Lunch|Bob Ray|bob@example.org|Jane Smith|jane@example.org|1999-05-01|12:00|Noon?\n"
              "M|Tea|Jane Smith|jane@example.org|Ann Lee|ann@example.org|1999-05-02|16:00|Four?\n"
              "M|Re: Lunch|Jane Smith|jane@example.org|Bob Ray|bob@example.org|1999-05-01|12:30|Yes\n");
  ImportSettings s = settings("Generic Mail Type 2", {"mail.txt"});
  s.mail = true;
  s.mailDatabase = mail;
  ASSERT_TRUE(run(s).completed);
  activate("JANE SMITH");
  std::vector<PersonLimit> partners;
  {
    TableUse use(*ctx, {Mail::FileNo});
    engine::File& f = ctx->fileOf<Mail>();
    f.set(Mail::PairKey);
    while (f.next() == engine::Err::Ok) {
      const PersonLimit p{ctx->mai.PAIRID, ctx->mai.PAIRALPHA.str()};
      if (partners.empty() || !(partners.back() == p)) partners.push_back(p);
    }
  }
  ASSERT_EQ(partners.size(), 2u);  // Lee, Ray
  EXPECT_EQ(neighbourPerson(*ctx, partners[0], PersonRole::Partner, StepDirection::Next), partners[1]);
  EXPECT_EQ(neighbourPerson(*ctx, partners[1], PersonRole::Partner, StepDirection::Previous), partners[0]);
  EXPECT_EQ(neighbourPerson(*ctx, partners[1], PersonRole::Partner, StepDirection::Next), std::nullopt);
  EXPECT_EQ(ui.beeps, 1);
}

}  // namespace
}  // namespace qv::test
