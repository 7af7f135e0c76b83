// Renaming, alias swaps and manual merges of persons, on databases filled
// through the test line reader.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "browse/person_aliases.h"
#include "browse/person_merge.h"
#include "browse/person_rename.h"
#include "browse/persons_list.h"
#include "store/table_use.h"
#include "tests/import/import_fixture.h"

namespace qv::test {
namespace {

using engine::Err;

class PersonsTest : public ImportTest {
 protected:
  // Imports mail lines of the test reader into mail database `id` and makes
  // it the active one.
  void importMail(std::uint32_t id, const std::string& lines) {
    writeSource("in.txt", lines);
    ImportSettings s = settings("Generic Mail Type 2", {"in.txt"});
    s.mail = true;
    s.mailDatabase = id;
    ASSERT_TRUE(run(s).completed);
    setDatabaseGlobals(ctx->mem, openDatabase(id));
  }
  // The forum "Club" imported from `lines`, made the active database.
  void forum(const std::string& lines) {
    writeSource("in.txt", lines);
    ImportSettings s = settings("TAPCIS 5.x", {"in.txt"});
    s.forum = true;
    ASSERT_TRUE(run(s).completed);
    OP_CLOSE(*ctx, kOpOpen, {Forums::FileNo});
    ctx->for_.DESCRIPTION = "CLUB";
    ASSERT_EQ(ctx->fileOf<Forums>().get(Forums::AlphaKey), Err::Ok);
    const std::uint32_t id = ctx->for_.ID;
    OP_CLOSE(*ctx, kOpRelease, {Forums::FileNo});
    setDatabaseGlobals(ctx->mem, openDatabase(id));
  }

  std::uint32_t personId(const std::string& personString) {
    TableUse use(*ctx, {Person::FileNo});
    ctx->per = Person{};
    ctx->per.PERSONSTRING = personString;
    EXPECT_EQ(ctx->fileOf<Person>().get(Person::StringKey), Err::Ok) << personString;
    return ctx->per.PERSONID;
  }
  Person person(std::uint32_t id) {
    const auto p = browse::findPerson(*ctx, id);
    EXPECT_TRUE(p.has_value()) << id;
    return p.value_or(Person{});
  }
  std::set<std::string> aliases(std::uint32_t id) {
    std::set<std::string> strings;
    for (const PLINK& l : browse::aliasesOf(*ctx, id)) strings.insert(l.PERSONSTRING.str());
    return strings;
  }
  // A person without messages, added as the import adds one.
  std::uint32_t addPersonWithoutMessages(const std::string& name, const std::string& address) {
    TableUse use(*ctx, {Person::FileNo, PLINK::FileNo, Control::FileNo});
    Transaction t(*ctx, {&ctx->fileOf<Person>(), &ctx->fileOf<PLINK>(), &ctx->fileOf<Control>()});
    EXPECT_EQ(AddPers(*ctx, address, name), kPersonReady);
    const std::uint32_t id = ctx->per.PERSONID;
    EXPECT_TRUE(t.commit());
    return id;
  }

  // Every forum message as number → "from id/from copy > to id/to copy".
  std::map<std::uint32_t, std::string> messageCopies() {
    std::map<std::uint32_t, std::string> copies;
    TableUse use(*ctx, {MsgNmbr::FileNo});
    engine::File& f = ctx->fileOf<MsgNmbr>();
    f.set();
    while (f.next() == Err::Ok)
      copies[std::uint32_t{ctx->msg.MSGNUMBER}] = std::to_string(ctx->msg.FROMID) + "/" + ctx->msg.FROMALPHA.str() + ">" +
                                   std::to_string(ctx->msg.TOID) + "/" + ctx->msg.TOALPHA.str();
    return copies;
  }
  // Every mail as id → "from id/copy > to id/copy pair id/copy".
  std::map<std::uint32_t, std::string> mailCopies() {
    std::map<std::uint32_t, std::string> copies;
    TableUse use(*ctx, {Mail::FileNo});
    engine::File& f = ctx->fileOf<Mail>();
    f.set();
    while (f.next() == Err::Ok)
      copies[std::uint32_t{ctx->mai.MAILID}] = std::to_string(ctx->mai.FROMID) + "/" + ctx->mai.FROMALPHA.str() + ">" +
                                std::to_string(ctx->mai.TOID) + "/" + ctx->mai.TOALPHA.str() + " pair " +
                                std::to_string(ctx->mai.PAIRID) + "/" + ctx->mai.PAIRALPHA.str();
    return copies;
  }
};

const char* const kClub =
    "F|Club|1|General|1|0|Hello|Ann Lee|70001,1|Bob Ray|70001,2|1995-03-01|10:00|Hi Bob\n"
    "F|Club|1|General|2|1|Re: Hello|Bob Ray|70001,2|Ann Lee|70001,1|1995-03-02|10:00|Hi Ann\n"
    "F|Club|1|General|3|0|Rules|Ann Lee|70001,1|Carl Fox|70001,3|1995-03-03|10:00|Read them\n";

const char* const kMailbox =
    "M|Lunch|Bob Ray|bob@example.org|Jane Smith|jane@example.org|1999-05-01|12:00|Noon?\n"
    "M|Re: Lunch|Jane Smith|jane@example.org|Bob Ray|bob@example.org|1999-05-01|12:30|Yes\n"
    "M|Offer|Carl Fox|carl@example.org|Jane Smith|jane@example.org|1999-05-02|09:00|Buy\n";

TEST_F(PersonsTest, PagesFollowOneAnotherInBothOrders) {
  forum(kClub);
  auto names = [](const std::vector<Person>& page) {
    std::vector<std::string> n;
    for (const Person& p : page) n.push_back(p.LASTNAME.str());
    return n;
  };
  auto first = browse::personPage(*ctx, browse::PersonOrder::Name, 2);
  ASSERT_EQ(names(first), (std::vector<std::string>{"Fox", "Lee"}));
  EXPECT_EQ(names(browse::personPage(*ctx, browse::PersonOrder::Name, 2, first.back().PERSONID)),
            std::vector<std::string>{"Ray"});
  first = browse::personPage(*ctx, browse::PersonOrder::Address, 1);
  ASSERT_EQ(names(first), std::vector<std::string>{"Lee"});
  EXPECT_EQ(names(browse::personPage(*ctx, browse::PersonOrder::Address, 5, first.back().PERSONID)),
            (std::vector<std::string>{"Ray", "Fox"}));
}

TEST_F(PersonsTest, RenamingRewritesTheNameCopiesOnlyWhenTheLastNameChanges) {
  forum(kClub);
  const std::uint32_t ann = personId("ANN LEE 70001,1");
  const std::uint32_t bob = personId("BOB RAY 70001,2");
  const auto before = messageCopies();

  auto r = browse::renamePerson(*ctx, person(ann), "Lee", "Anne");
  ASSERT_EQ(r.outcome, browse::RenameOutcome::Renamed);
  EXPECT_EQ(r.stored.FIRSTNAME, "Anne");
  EXPECT_EQ(messageCopies(), before);

  r = browse::renamePerson(*ctx, person(ann), "Leighton-Barrow", "Anne");
  ASSERT_EQ(r.outcome, browse::RenameOutcome::Renamed);
  const auto after = messageCopies();
  const std::string a = std::to_string(ann) + "/Leighton-B";
  EXPECT_EQ(after.at(1), a + ">" + std::to_string(bob) + "/Ray");
  EXPECT_EQ(after.at(2), std::to_string(bob) + "/Ray>" + a);
  EXPECT_EQ(after.at(3).substr(0, a.size() + 1), a + ">");
  // The sender's messages are found under the new name.
  const auto first = browse::firstMessageFrom(*ctx, ann);
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->fromAlpha, "Leighton-B");
  MessageContext handed;  // to the browse and its companions
  EXPECT_EQ(ctx->lib.contexts.exchange(ContextMode::Fetch, handed), 1u);
  EXPECT_EQ(handed.view, 4);
  EXPECT_EQ(+handed.MSGNUMBER, first->number);
  EXPECT_EQ(handed.FROMALPHA, "Leighton-B");

  // A form opened on the old record is refused and shows what is stored.
  Person stale = person(ann);
  stale.LASTNAME = "Lee";
  r = browse::renamePerson(*ctx, stale, "Other", "");
  EXPECT_EQ(r.outcome, browse::RenameOutcome::ChangedMeanwhile);
  EXPECT_TRUE(shown("The record has just been changed by another user!\r\nTry again!"));
  EXPECT_EQ(r.stored.LASTNAME, "Leighton-Barrow");
  EXPECT_EQ(messageCopies(), after);
}

TEST_F(PersonsTest, RenamingInAMailDatabaseRewritesPartnerCopiesAndTheOwnerRenamesTheDatabase) {
  const std::uint32_t db = addMail("Jane Smith", "jane@example.org");
  importMail(db, kMailbox);
  const std::uint32_t bob = personId("BOB RAY BOB@EXAMPLE.ORG");
  const std::uint32_t jane = ctx->mem.PersonID;

  ASSERT_EQ(browse::renamePerson(*ctx, person(bob), "Raymond", "Bob").outcome, browse::RenameOutcome::Renamed);
  int bobsMails = 0;
  for (const auto& [id, copies] : mailCopies()) {
    EXPECT_EQ(copies.find("/Ray "), std::string::npos) << copies;
    if (copies.find(std::to_string(bob) + "/Raymond") != std::string::npos) {
      EXPECT_NE(copies.find(" pair " + std::to_string(bob) + "/Raymond"), std::string::npos) << copies;
      ++bobsMails;
    }
  }
  EXPECT_EQ(bobsMails, 2);

  ASSERT_EQ(browse::renamePerson(*ctx, person(jane), "Miller", "Jane").outcome, browse::RenameOutcome::Renamed);
  EXPECT_EQ(ctx->mem.Description, "Jane Miller");
  EXPECT_EQ(openDatabase(db).DESCRIPTION, "Jane Miller");
  TableUse use(*ctx, {REF::FileNo});
  ctx->fileOf<REF>().set();
  ASSERT_EQ(ctx->fileOf<REF>().next(), Err::Ok);
  EXPECT_EQ(ctx->ref.DESCRIPTION, "Jane Miller");
}

TEST_F(PersonsTest, AnAliasSwapSavesOnlyARealChangeAndNeverTheMailDefaultAddress) {
  const std::uint32_t db = addMail("Jane Smith", "jane@example.org");
  importMail(db, kMailbox);
  const std::uint32_t bob = personId("BOB RAY BOB@EXAMPLE.ORG");
  const Person before = person(bob);

  ui.clear();
  EXPECT_EQ(browse::swapAlias(*ctx, bob, "Bob Ray bob@example.org"), browse::SwapOutcome::Unchanged);
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(person(bob).PERSONSTRING, before.PERSONSTRING);

  EXPECT_EQ(browse::swapAlias(*ctx, ctx->mem.PersonID, "JANE SMITH JANE@WORK.EXAMPLE"), browse::SwapOutcome::Refused);
  EXPECT_TRUE(shown("You are not allowed to change the mail default address!"));

  // An alias of someone else cannot be swapped in.
  ui.clear();
  EXPECT_EQ(browse::swapAlias(*ctx, bob, "NOBODY NOBODY@EXAMPLE.ORG"), browse::SwapOutcome::Failed);
  EXPECT_TRUE(shown("Failed to swap address!"));
  EXPECT_EQ(person(bob).PERSONSTRING, before.PERSONSTRING);

  // A real swap exchanges the strings and takes the alias's address.
  const std::uint32_t carl = personId("CARL FOX CARL@EXAMPLE.ORG");
  ASSERT_TRUE(browse::mergePersons(*ctx, bob, {carl}).merged == std::vector<std::uint32_t>{carl});
  ASSERT_EQ(browse::swapAlias(*ctx, bob, "CARL FOX CARL@EXAMPLE.ORG"), browse::SwapOutcome::Swapped);
  EXPECT_EQ(person(bob).PERSONSTRING, "CARL FOX CARL@EXAMPLE.ORG");
  EXPECT_EQ(person(bob).ADDRESS, "CARL@EXAMPLE.ORG");
  EXPECT_EQ(aliases(bob), (std::set<std::string>{"BOB RAY BOB@EXAMPLE.ORG"}));
}

TEST_F(PersonsTest, MergingMovesMessagesAndAliasesAndAddsTheMergedStringOnce) {
  forum(kClub);
  const std::uint32_t ann = personId("ANN LEE 70001,1");
  const std::uint32_t bob = personId("BOB RAY 70001,2");
  const std::uint32_t carl = personId("CARL FOX 70001,3");
  const std::uint32_t silent = addPersonWithoutMessages("Sam Sly", "70001,9");
  EXPECT_FALSE(browse::firstMessageFrom(*ctx, silent).has_value());
  EXPECT_TRUE(shown("No messages from address 70001,9"));

  // A person without messages only leaves its string behind as an alias.
  auto s = browse::mergePersons(*ctx, bob, {silent});
  EXPECT_EQ(s.merged, std::vector<std::uint32_t>{silent});
  EXPECT_FALSE(s.failed);
  EXPECT_FALSE(browse::findPerson(*ctx, silent).has_value());
  EXPECT_EQ(aliases(bob), (std::set<std::string>{"SAM SLY 70001,9"}));

  // Bob (with that alias) and Carl into Ann; Ann listed too, and Bob twice.
  s = browse::mergePersons(*ctx, ann, {bob, ann, carl, bob});
  EXPECT_EQ(s.merged, (std::vector<std::uint32_t>{bob, carl}));
  EXPECT_FALSE(s.failed);
  EXPECT_EQ(aliases(ann), (std::set<std::string>{"SAM SLY 70001,9", "BOB RAY 70001,2", "CARL FOX 70001,3"}));
  EXPECT_TRUE(aliases(bob).empty());
  const std::string a = std::to_string(ann) + "/Lee";
  for (const auto& [number, copies] : messageCopies()) EXPECT_EQ(copies, a + ">" + a) << number;
  const Person kept = person(ann);
  EXPECT_EQ(+kept.FROMCOUNT, 3u);
  EXPECT_EQ(+kept.TOCOUNT, 3u);
}

TEST_F(PersonsTest, TheMailOwnerIsNeverMergedAwayButMayKeep) {
  const std::uint32_t db = addMail("Jane Smith", "jane@example.org");
  importMail(db, kMailbox);
  const std::uint32_t jane = ctx->mem.PersonID;
  const std::uint32_t bob = personId("BOB RAY BOB@EXAMPLE.ORG");
  const std::uint32_t carl = personId("CARL FOX CARL@EXAMPLE.ORG");

  auto s = browse::mergePersons(*ctx, bob, {jane, carl});
  EXPECT_EQ(s.refused, std::vector<std::uint32_t>{jane});
  EXPECT_EQ(s.merged, std::vector<std::uint32_t>{carl});
  EXPECT_TRUE(shown("You are not allowed to change the mail default address!"));
  EXPECT_TRUE(browse::findPerson(*ctx, jane).has_value());
  const std::string b = std::to_string(bob) + "/Ray";
  const std::string j = std::to_string(jane) + "/Smith";
  for (const auto& [id, copies] : mailCopies()) {
    EXPECT_EQ(copies.find(std::to_string(carl) + "/"), std::string::npos) << copies;
    EXPECT_NE(copies.find(" pair " + b), std::string::npos) << copies;
  }
  const Person kept = person(bob);
  EXPECT_EQ(+kept.FROMCOUNT, 2u);
  EXPECT_EQ(+kept.TOCOUNT, 1u);

  // The owner as the kept person.
  s = browse::mergePersons(*ctx, jane, {bob});
  EXPECT_EQ(s.merged, std::vector<std::uint32_t>{bob});
  for (const auto& [id, copies] : mailCopies()) EXPECT_EQ(copies, j + ">" + j + " pair " + j) << id;
}

}  // namespace
}  // namespace qv::test
