// Creating, changing and removing databases, and their descriptions.
#include "store/database_list.h"

#include "store/dispatcher.h"
#include "store/persons.h"
#include "store/utilities.h"
#include "tests/store/store_fixture.h"

namespace qv::test {
namespace {

using engine::Err;

class DatabaseListTest : public StoreTest {
 protected:
  DatabaseListTest() {
    registerLibraryProcedures(lib);
    // No database yet: the fixture's F1 is not one.
    std::filesystem::remove(home.path() / "F1");
  }

  Forums readForum(std::uint32_t id) {
    OP_CLOSE(*ctx, kOpOpen, {Forums::FileNo});
    ctx->for_ = Forums{};
    ctx->for_.ID = id;
    EXPECT_EQ(ctx->fileOf<Forums>().get(Forums::ForumKey), Err::Ok);
    OP_CLOSE(*ctx, kOpRelease, {Forums::FileNo});
    return ctx->for_;
  }
  REF readRef(const std::string& dir) {
    const std::string keep = ctx->mem.Dirnamn;
    ctx->mem.Dirnamn = dir;
    OP_CLOSE(*ctx, kOpOpen, {REF::FileNo});
    engine::File& f = ctx->fileOf<REF>();
    EXPECT_EQ(f.records(), 1);
    f.set();
    EXPECT_EQ(f.next(), Err::Ok);
    OP_CLOSE(*ctx, kOpRelease, {REF::FileNo});
    ctx->mem.Dirnamn = keep;
    return ctx->ref;
  }
  std::int64_t persons(const std::string& dir) {
    const std::string keep = ctx->mem.Dirnamn;
    ctx->mem.Dirnamn = dir;
    OP_CLOSE(*ctx, kOpOpen, {Person::FileNo});
    const std::int64_t n = ctx->fileOf<Person>().records();
    OP_CLOSE(*ctx, kOpRelease, {Person::FileNo});
    ctx->mem.Dirnamn = keep;
    return n;
  }
  MailDatabaseForm janeForm() {
    MailDatabaseForm form;
    form.name = "Jane Smith";
    form.address = "jane@example.org";
    form.alternatives[0] = "76543,210";
    form.alternatives[1] = "jane@work.example";
    return form;
  }
};

TEST_F(DatabaseListTest, ForumDatabaseGetsItsDirectoryAndDescription) {
  EXPECT_EQ(NextDirNumber(*ctx), 1u);
  ASSERT_TRUE(AddForumDatabase(*ctx, "Computer Club"));
  const std::uint32_t id = ctx->for_.ID;
  EXPECT_TRUE(std::filesystem::is_directory(home.path() / "F1"));
  const Forums f = readForum(id);
  EXPECT_EQ(f.TYPE, 1);
  EXPECT_EQ(+f.DIRNUMBER, 1u);
  EXPECT_EQ(+f.WORDLISTINDEXNEEDSUPDATE, 1);
  EXPECT_EQ(f.INDEXTYPE, 1);
  EXPECT_GT(+f.CREATED, 0);
  const REF r = readRef("F1");
  EXPECT_EQ(r.TYPE, 1);
  EXPECT_EQ(r.DESCRIPTION, "Computer Club");
  // The globals stay on the active database.
  EXPECT_EQ(ctx->mem.Dirnamn, "F1");  // the fixture's name, unchanged
  EXPECT_EQ(NextDirNumber(*ctx), 2u);

  // A name that differs only in letter case is refused, with the reason.
  EXPECT_FALSE(AddForumDatabase(*ctx, "COMPUTER CLUB"));
  EXPECT_EQ(ui.last().text, "Record add error!\r\nA record with identical key already exists!");
  EXPECT_FALSE(std::filesystem::exists(home.path() / "F2"));
}

TEST_F(DatabaseListTest, MailDatabaseAddsOwnerRecordAndDescriptionTogether) {
  std::uint32_t dir = NextDirNumber(*ctx);
  ASSERT_TRUE(AddMailDatabase(*ctx, janeForm(), dir));
  EXPECT_EQ(dir, 2u);
  const Forums f = readForum(ctx->for_.ID);
  EXPECT_EQ(f.TYPE, 2);
  EXPECT_EQ(f.MAILADDRESS, "jane@example.org");
  EXPECT_EQ(f.ALTADDRESS[1], "jane@work.example");
  EXPECT_NE(+f.PERSONID, 0u);
  EXPECT_EQ(persons("F1"), 1);
  const REF r = readRef("F1");
  EXPECT_EQ(r.TYPE, 2);
  EXPECT_EQ(+r.PERSONID, static_cast<std::int32_t>(f.PERSONID));
  EXPECT_EQ(r.MAILADDRESS, "jane@example.org");
  EXPECT_EQ(r.ALTADDRESS[0], "76543,210");
  EXPECT_TRUE(r.ALTADDRESS[2].blank());

  // The same name again: nothing of the attempt stays.
  std::uint32_t second = NextDirNumber(*ctx);
  EXPECT_FALSE(AddMailDatabase(*ctx, janeForm(), second));
  EXPECT_EQ(second, 2u);
  EXPECT_EQ(ui.last().text,
            "Record add error!\r\nA record with identical key already exists!\r\nThe last transaction is rolled back.");
  EXPECT_EQ(persons("F2"), 0);
  EXPECT_FALSE(ctx->session.inTransaction());
  EXPECT_EQ(ctx->mem.Dirnamn, "F1");
}

TEST_F(DatabaseListTest, MailAddressesAndImportPermissionChange) {
  std::uint32_t dir = 1;
  ASSERT_TRUE(AddMailDatabase(*ctx, janeForm(), dir));
  const std::uint32_t id = ctx->for_.ID;
  MailDatabaseForm changed = janeForm();
  changed.name = "Jane Smith-Jones";
  changed.address = "ignored@example.org";  // the default address cannot be changed here
  changed.alternatives = {};
  changed.alternatives[0] = "jsj@example.org";
  ASSERT_TRUE(UpdateMailDatabase(*ctx, id, changed));
  const Forums f = readForum(id);
  EXPECT_EQ(f.DESCRIPTION, "Jane Smith-Jones");
  EXPECT_EQ(f.MAILADDRESS, "jane@example.org");
  EXPECT_EQ(f.ALTADDRESS[0], "jsj@example.org");
  EXPECT_TRUE(f.ALTADDRESS[1].blank());
  const REF r = readRef("F1");
  EXPECT_EQ(r.DESCRIPTION, "Jane Smith-Jones");
  EXPECT_EQ(r.ALTADDRESS[0], "jsj@example.org");
  EXPECT_TRUE(r.ALTADDRESS[1].blank());

  ASSERT_TRUE(SetImportAllowed(*ctx, id, false));
  EXPECT_EQ(readForum(id).NOIMPORT, 1);
  ASSERT_TRUE(SetImportAllowed(*ctx, id, true));
  EXPECT_EQ(readForum(id).NOIMPORT, 0);
  EXPECT_FALSE(SetImportAllowed(*ctx, 999, true));
}

TEST_F(DatabaseListTest, RemovingADatabaseTakesItsFilesAndDefinitionsAlong) {
  ASSERT_TRUE(AddForumDatabase(*ctx, "Old Forum"));
  const std::uint32_t oldId = ctx->for_.ID;
  ASSERT_TRUE(AddForumDatabase(*ctx, "Kept Forum"));
  const std::uint32_t keptId = ctx->for_.ID;
  // Some tables in the old database, and a definition that imports into it.
  ctx->mem.Dirnamn = "F1";
  OP_CLOSE(*ctx, kOpOpen, {MsgNmbr::FileNo, MsgText::FileNo, BAT::FileNo});
  OP_CLOSE(*ctx, kOpRelease, {MsgNmbr::FileNo, MsgText::FileNo});
  ctx->bat = BAT{};
  ctx->bat.ID = 7;
  ctx->bat.DATABASE = oldId;
  ctx->bat.FORUMMSG = 1;
  ctx->bat.MAILBOX = keptId;
  ctx->bat.MAILMSG = 1;
  ASSERT_EQ(ctx->fileOf<BAT>().add(), Err::Ok);
  OP_CLOSE(*ctx, kOpRelease, {BAT::FileNo});

  ctx->mem.ForumNumber = keptId;
  ASSERT_TRUE(RemoveDatabase(*ctx, oldId));
  EXPECT_FALSE(std::filesystem::exists(home.path() / "F1"));
  EXPECT_TRUE(std::filesystem::exists(home.path() / "F2"));
  EXPECT_EQ(ctx->mem.ForumNumber, keptId);
  OP_CLOSE(*ctx, kOpOpen, {Forums::FileNo, BAT::FileNo});
  EXPECT_EQ(ctx->fileOf<Forums>().records(), 1);
  ctx->bat.ID = 7;
  ASSERT_EQ(ctx->fileOf<BAT>().get(BAT::IDKEY), Err::Ok);
  EXPECT_EQ(+ctx->bat.DATABASE, 0u);
  EXPECT_EQ(ctx->bat.FORUMMSG, 0);
  EXPECT_EQ(+ctx->bat.MAILBOX, keptId);  // the other database's entry stays
  EXPECT_EQ(ctx->bat.MAILMSG, 1);
  OP_CLOSE(*ctx, kOpRelease, {Forums::FileNo, BAT::FileNo});
  // Directory numbers are not reused while a higher one exists.
  EXPECT_EQ(NextDirNumber(*ctx), 3u);
  EXPECT_FALSE(RemoveDatabase(*ctx, oldId));
}

}  // namespace
}  // namespace qv::test
