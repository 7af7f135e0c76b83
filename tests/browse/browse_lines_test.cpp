// The browse lines composed from imported mails.
#include "browse/browse_lines.h"

#include "browse/mail_views.h"
#include "tests/wordindex/index_fixture.h"

namespace qv::test {
namespace {

using namespace qv::browse;
using BrowseLinesTest = IndexTest;

TEST_F(BrowseLinesTest, MailLinesShowTheirPersonsAndLeaveNoThreadOrSectionTablesBehind) {
  const std::uint32_t mail = addMail("Jane Smith", "jane@example.org");
  writeSource("mail.txt", "M|Lunch|Bob Ray|bob@example.org|Jane Smith|jane@example.org|1999-05-01|12:00|Noon?\n");
  ImportSettings s = settings("Generic Mail Type 2", {"mail.txt"});
  s.mail = true;
  s.mailDatabase = mail;
  ASSERT_TRUE(run(s).completed);
  activate("JANE SMITH");

  const std::vector<Mail> page = MailPager(*ctx, MailView::Date).first(10);
  ASSERT_EQ(page.size(), 1u);
  const MailLine line = LineComposer(*ctx).mail(page[0]);
  EXPECT_EQ(line.subject, "Lunch");
  EXPECT_EQ(line.from, "Ray,Bob <bob@example.org>");  // display item 39 shows name and address by default
  EXPECT_EQ(line.to, "Smith,Jane <jane@example.org>");
  // A mail database keeps no threads or sections; showing its mails must not make them.
  const std::filesystem::path dir = home.path() / ctx->mem.Dirnamn;
  EXPECT_FALSE(std::filesystem::exists(dir / "IDX006.TPS"));
  EXPECT_FALSE(std::filesystem::exists(dir / "IDX007.TPS"));
}

}  // namespace
}  // namespace qv::test
