// Persons: finding and adding them, their message counts, and the text
// comparison of duplicate messages.
#include "store/persons.h"

#include "store/dispatcher.h"
#include "store/names.h"
#include "tests/store/store_fixture.h"

namespace qv::test {
namespace {

using engine::Err;
using namespace std::string_literals;

// Three persons whose last names agree in their first 10 characters, so all
// their name copies are "Richardson", and D ("Nobody"), whose copy no message carries.
constexpr std::uint32_t kC = 299, kA = 300, kB = 301, kD = 500;
struct Sent {
  std::uint32_t id, from, to;
  const char* fromAlpha;
} const kSent[] = {{1, kA, kB, "Richardson"},
                   {2, kA, kC, "Richardson"},
                   {3, kA, kB, "Richardson"},
                   {4, kB, kA, "Richardson"},
                   {5, kC, kB, "Richardson"},
                   {6, kB, kC, "Richardson"},
                   // Name copies from other last names: not the person's records.
                   {7, kA, kB, "Richards"},
                   {8, kB, kD, "Rick"}};

class PersonsTest : public StoreTest {
 protected:
  PersonsTest() {
    OP_CLOSE(*ctx, kOpOpen,
             {Person::FileNo, PLINK::FileNo, Control::FileNo, Mail::FileNo, MsgNmbr::FileNo, MsgText::FileNo});
  }
  engine::File& persons() { return ctx->fileOf<Person>(); }
  engine::File& aliases() { return ctx->fileOf<PLINK>(); }

  // AddPers in a transaction of its own, as the forms and the import run it.
  std::uint8_t addPers(std::string_view address, std::string_view name) {
    EXPECT_EQ(ctx->session.logout(5, {&persons(), &aliases(), &ctx->fileOf<Control>()}), Err::Ok);
    const std::uint8_t r = AddPers(*ctx, address, name);
    if (r == 0) {
      EXPECT_EQ(ctx->session.commit(), Err::Ok);
    }
    return r;
  }
  bool readPerson(std::uint32_t id) {
    ctx->per.PERSONID = id;
    return persons().get(Person::PersonKey) == Err::Ok;
  }
  void addAlias(const std::string& string, std::uint32_t id) {
    ctx->pli.PERSONSTRING = string;
    ctx->pli.PERSONID = id;
    ASSERT_EQ(aliases().add(), Err::Ok);
  }
  // kSent as mails (later numbers later dates) and as forum messages.
  void storeSent() {
    for (const Sent& m : kSent) {
      ctx->mai = Mail{};
      ctx->mai.MAILID = m.id;
      ctx->mai.DATE = static_cast<std::int32_t>(m.id * 10);
      ctx->mai.FROMID = ctx->msg.FROMID = m.from;
      ctx->mai.FROMALPHA = ctx->msg.FROMALPHA = m.fromAlpha;
      ctx->mai.TOID = ctx->msg.TOID = m.to;
      ctx->mai.TOALPHA = ctx->msg.TOALPHA = "Richardson";
      ctx->msg.MSGNUMBER = m.id;
      ASSERT_EQ(ctx->fileOf<Mail>().add(), Err::Ok);
      ASSERT_EQ(ctx->fileOf<MsgNmbr>().add(), Err::Ok);
    }
  }
  // A person in the buffer, where the counts take it from.
  void setPerson(std::uint32_t id, std::string_view last, std::uint32_t from, std::uint32_t to) {
    ctx->per = Person{};
    ctx->per.PERSONID = id;
    ctx->per.LASTNAME = last;
    ctx->per.FROMCOUNT = from;
    ctx->per.TOCOUNT = to;
  }
  void addText(std::uint32_t number, std::string text) {
    ctx->txt.MSGNUMBER = number;
    ctx->txtMemo = std::move(text);
    ASSERT_EQ(ctx->fileOf<MsgText>().add(), Err::Ok);
  }
};

TEST_F(PersonsTest, NewPersonsAreStoredWithTheirNameSplit) {
  const char* cases[][3] = {
      {"John Smith", "Smith", "John"}, {"John Smith III", "Smith III", "John"}, {"Plato", "Plato", ""}};
  for (auto& c : cases) {
    SCOPED_TRACE(c[0]);
    ASSERT_EQ(addPers("76543,210", c[0]), 0);
    ASSERT_TRUE(readPerson(ctx->per.PERSONID));
    EXPECT_EQ(ctx->per.LASTNAME.str(), c[1]);
    EXPECT_EQ(ctx->per.FIRSTNAME.str(), c[2]);
    EXPECT_EQ(ctx->per.ADDRESS.str(), "76543,210");
    EXPECT_EQ(ctx->per.PERSONSTRING.str(), personString(c[0], "76543,210"));
    EXPECT_EQ(+ctx->per.FROMCOUNT + ctx->per.TOCOUNT + ctx->per.DUMMY, 0u);
  }
  EXPECT_EQ(persons().records(), 3);
  EXPECT_TRUE(ui.shown.empty());
}

TEST_F(PersonsTest, AKnownNameAndAddressOrAliasFindsTheSamePerson) {
  ASSERT_EQ(addPers("76543,210", "John Smith"), 0);
  const std::uint32_t john = ctx->per.PERSONID;
  for (const char* name : {"John Smith", "JOHN SMITH"}) {
    ASSERT_EQ(addPers("76543,210", name), 0);
    EXPECT_EQ(+ctx->per.PERSONID, john);
  }
  addAlias(personString("J. Smith", "jsmith@example.com"), john);
  ASSERT_EQ(addPers("jsmith@example.com", "J. Smith"), 0);
  EXPECT_EQ(+ctx->per.PERSONID, john);
  ASSERT_EQ(addPers("70000,1", "John Smith"), 0);  // another address, another person
  EXPECT_NE(+ctx->per.PERSONID, john);
  EXPECT_EQ(persons().records(), 2);
}

TEST_F(PersonsTest, AnAliasOfAMissingPersonIsReplacedByANewPerson) {
  addAlias(personString("Jane Doe", "jane@example.com"), 999);
  ASSERT_EQ(addPers("jane@example.com", "Jane Doe"), 0);
  const std::uint32_t jane = ctx->per.PERSONID;
  EXPECT_NE(jane, 999u);
  EXPECT_EQ(aliases().records(), 0);
  ASSERT_TRUE(readPerson(jane));
  EXPECT_EQ(ctx->per.PERSONSTRING.str(), "JANE DOE JANE@EXAMPLE.COM");
}

TEST_F(PersonsTest, NoNewIdentifierRollsTheTransactionBack) {
  // Another window holds the counter's file exclusively.
  OP_CLOSE(*ctx, kOpRelease, {Control::FileNo});
  auto other = newContext();
  OP_CLOSE(*other, kOpOpenExclusive, {Control::FileNo});
  for (std::uint8_t doTask : {std::uint8_t{0}, std::uint8_t{2}}) {
    ui.clear();
    ctx->mem.DoTask = doTask;
    ASSERT_EQ(ctx->session.logout(5, {&persons(), &aliases()}), Err::Ok);
    addAlias("EARLIER WRITE", 1);
    EXPECT_EQ(AddPers(*ctx, "76543,210", "John Smith"), 1);
    EXPECT_FALSE(ctx->session.inTransaction());
    EXPECT_EQ(persons().records() + aliases().records(), 0);  // the earlier write went too
    if (doTask == 0) {
      ASSERT_EQ(ui.shown.size(), 2u);
      EXPECT_EQ(ui.shown[0].title, "Control File Error");
      EXPECT_EQ(ui.last().title, persons().name().string());
      EXPECT_EQ(ui.last().text, "A new person ID could not be generated \r\nThe last transaction is rolled back.");
    } else {
      EXPECT_TRUE(ui.shown.empty());
    }
  }
}

TEST_F(PersonsTest, LongNamesAndAnyBytesAreCutToTheirFields) {
  const std::string name = "Ann\0" + std::string(150, 'x') + " \xFF" + std::string(150, 'y');
  const std::string address = std::string(299, '7') + "\0"s;
  ASSERT_EQ(addPers(address, name), 0);
  const std::uint32_t ann = ctx->per.PERSONID;
  ASSERT_TRUE(readPerson(ann));
  EXPECT_EQ(ctx->per.PERSONSTRING.str(), personString(name, address));
  EXPECT_EQ(ctx->per.LASTNAME.str(), "\xFF" + std::string(24, 'y'));
  EXPECT_EQ(ctx->per.FIRSTNAME.str(), name.substr(0, 25));
  EXPECT_EQ(ctx->per.ADDRESS.str(), std::string(60, '7'));
  EXPECT_EQ(+ctx->per.FROMCOUNT + ctx->per.TOCOUNT + ctx->per.DUMMY + ctx->per.LASTDATE, 0u);
  ASSERT_EQ(addPers(address, name), 0);
  EXPECT_EQ(+ctx->per.PERSONID, ann);
  // A NUL does not end a name: what follows it still tells persons apart.
  ASSERT_EQ(addPers("1,1", "Ann\0A"s), 0);
  const std::uint32_t a = ctx->per.PERSONID;
  ASSERT_EQ(addPers("1,1", "Ann\0B"s), 0);
  EXPECT_NE(+ctx->per.PERSONID, a);
}

TEST_F(PersonsTest, CountsTakeOnlyThePersonsOwnMessages) {
  storeSent();
  registerPersonProcedures(lib);
  const Library::Procedure forumCount = lib.procedure(kSemaForumFromToCount);
  ASSERT_TRUE(forumCount);
  for (int forum = 0; forum < 2; ++forum) {
    SCOPED_TRACE(forum);
    auto count = [&](int mode) { return forum ? forumCount(*ctx) : std::uint8_t{CFromToMail(*ctx, mode)}; };
    setPerson(kA, "Richardson", 0, 0);
    EXPECT_EQ(count(kCountOther), kCountsChanged);
    EXPECT_EQ(+ctx->per.FROMCOUNT, 3u);
    EXPECT_EQ(+ctx->per.TOCOUNT, 1u);
    EXPECT_EQ(count(kCountOther), kCountsUnchanged);
    setPerson(kB, "Richardsonian", 2, 4);
    EXPECT_EQ(count(kCountOther), kCountsUnchanged);
    setPerson(kC, "Richardsons", 1, 1);
    EXPECT_EQ(count(kCountOwner), kCountsChanged);
    EXPECT_EQ(+ctx->per.TOCOUNT, 2u);
    setPerson(kD, "Nobody", 5, 5);
    EXPECT_EQ(count(kCountOwner), forum ? kPersonUnused : kCountsChanged);
    EXPECT_EQ(+ctx->per.FROMCOUNT + ctx->per.TOCOUNT, forum ? 10u : 0u);
  }
  // A mail person without mail: removable, or left alone in other modes.
  setPerson(kD, "Nobody", 5, 5);
  EXPECT_EQ(CFromToMail(*ctx, kCountOther), kPersonUnused);
  EXPECT_EQ(CFromToMail(*ctx, 4), kCountsUnchanged);
  EXPECT_EQ(+ctx->per.FROMCOUNT, 5u);
}

TEST_F(PersonsTest, AnUnreadableTableNeverMakesAPersonRemovable) {
  OP_CLOSE(*ctx, kOpForceClose, {Mail::FileNo, MsgNmbr::FileNo});
  setPerson(kA, "Richardson", 3, 1);
  EXPECT_EQ(CFromToMail(*ctx, kCountOther), kCountsUnchanged);
  EXPECT_EQ(ForumFromToCount(*ctx), kCountsUnchanged);
  EXPECT_EQ(ui.shown.size(), 2u);
}

TEST_F(PersonsTest, DupStringComparesTextsAndNeverMatchesAMissingOne) {
  const std::string text = "Hello all,\r\nthe meeting is on Monday.";
  addText(10, text);
  addText(11, text + "\r\n-- \r\nA");  // 6 characters longer
  addText(12, text + std::string(20, '!'));
  addText(13, "Hi");
  EXPECT_EQ(DupString(*ctx, kDupImported, 10, 0, text + "   "), 1);
  EXPECT_EQ(DupString(*ctx, kDupImported, 10, 0, text.substr(0, text.size() - 8)), 1);
  EXPECT_EQ(DupString(*ctx, kDupImported, 10, 0, "Goodbye"), 0);
  EXPECT_EQ(DupString(*ctx, kDupStored, 10, 11), 1);
  EXPECT_EQ(DupString(*ctx, kDupStored, 11, 10), 1);
  EXPECT_EQ(DupString(*ctx, kDupStored, 10, 12), 0);
  // The imported text may lie in the buffer that the stored text is read into.
  ctx->txtMemo = "Bye, see you";
  EXPECT_EQ(DupString(*ctx, kDupImported, 13, 0, ctx->txtMemo), 0);
  // No stored text (99) is not the same as a short or empty one.
  EXPECT_EQ(DupString(*ctx, kDupImported, 99, 0, "Hi"), 0);
  EXPECT_EQ(DupString(*ctx, kDupImported, 99, 0, ""), 0);
  EXPECT_EQ(DupString(*ctx, kDupStored, 13, 99), 0);
  EXPECT_EQ(DupString(*ctx, kDupStored, 99, 13), 0);
  EXPECT_TRUE(ui.shown.empty());
}

}  // namespace
}  // namespace qv::test
