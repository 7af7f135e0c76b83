// The system's dBase tables as the readers and the export use them: opened
// by file number on the name in FileTmpName, read and written by name.
#include <gtest/gtest.h>

#include "store/dates.h"
#include "store/dispatcher.h"
#include "tests/store/engine/dbase_bytes.h"
#include "tests/store/store_fixture.h"

namespace qv::test {
namespace {

using engine::Err;

TEST_F(StoreTest, CisCommMailIsReadByNameWithItsAddressMemos) {
  const std::vector<dbf::Col> cols = {{"MSG_NUMBER", 'N', 10}, {"MSG_DATE", 'D', 8},    {"MSG_TIME", 'C', 5},
                                      {"MSG_SUBJEC", 'C', 40}, {"MSG_SENDER", 'C', 25}, {"MSG_SENDID", 'M', 10},
                                      {"MSG_RECVR", 'C', 25},  {"MSG_RECVID", 'M', 10}, {"MSG_TEXT", 'M', 10},
                                      {"MSG_UNREAD", 'L', 1}};
  std::vector<std::uint32_t> b;
  const std::string memo = dbf::dbt3({"76543,210", "INTERNET:someone@example.com", "Hello\r\nthere"}, &b);
  const std::filesystem::path file = home.path() / "CISMAIL.DBF";
  dbf::save(file, dbf::table(0x83, cols,
                             {dbf::row(cols, {"         1", "19950726", "14:05", "Meeting", "Jones, Ann",
                                              dbf::pointer10(b[0]), "Smith, Bob", dbf::pointer10(b[1]),
                                              dbf::pointer10(b[2]), "T"})}));
  dbf::save(home.path() / "CISMAIL.DBT", memo);
  ctx->FileTmpName = file;
  OP_CLOSE(*ctx, kOpOpen, {CMA::FileNo});
  engine::File& f = ctx->fileOf<CMA>();
  ASSERT_TRUE(f.isOpen());
  EXPECT_EQ(f.records(), 1);
  ASSERT_EQ(f.next(), Err::Ok) << f.errorText();
  const std::int32_t date = ctx->cma.MSG_DATE;
  EXPECT_EQ(date, dates::dayNumber(1995, 7, 26));
  EXPECT_EQ(ctx->cma.MSG_TIME, "14:05");
  EXPECT_EQ(ctx->cma.MSG_SENDER, "Jones, Ann");
  EXPECT_EQ(ctx->cma.MSG_UNREAD, "T");
  EXPECT_EQ(ctx->cmaMemo, "Hello\r\nthere");
  std::string sender, receiver;
  ASSERT_EQ(f.memo("MSG_SENDID", sender), Err::Ok);
  ASSERT_EQ(f.memo("MSG_RECVID", receiver), Err::Ok);
  EXPECT_EQ(sender, "76543,210");
  EXPECT_EQ(receiver, "INTERNET:someone@example.com");
  EXPECT_EQ(ctx->cma.MSG_TEXT_PTR, std::to_string(b[2]));  // the block number, as the record keeps it
  EXPECT_EQ(f.next(), Err::RecordNotAvailable);
  OP_CLOSE(*ctx, kOpRelease, {CMA::FileNo});
  EXPECT_FALSE(f.isOpen());
}

TEST_F(StoreTest, ExportTablesAreCreatedOnFirstOpenAndWrittenThroughTheirBuffers) {
  ctx->FileTmpName = home.path() / "TEMP" / "MAIL.DBF";
  OP_CLOSE(*ctx, kOpOpen, {DBM::FileNo});  // a missing export file is created
  engine::File& f = ctx->fileOf<DBM>();
  ctx->dbm.ID = 250001;
  ctx->dbm.SUBJECT = "Invoice";
  ctx->dbmMemo = "Please pay.";
  ASSERT_EQ(f.add(), Err::Ok) << f.errorText();
  OP_CLOSE(*ctx, kOpRelease, {DBM::FileNo});
  EXPECT_TRUE(std::filesystem::exists(home.path() / "TEMP" / "MAIL.DBT"));
  EXPECT_TRUE(std::filesystem::exists(home.path() / "TEMP" / "MAIL.NDX"));
  OP_CLOSE(*ctx, kOpOpen, {DBM::FileNo});
  ASSERT_EQ(f.getPosition(1), Err::Ok);
  const double id = ctx->dbm.ID;
  EXPECT_EQ(id, 250001.0);
  EXPECT_EQ(ctx->dbmMemo, "Please pay.");
  OP_CLOSE(*ctx, kOpRelease, {DBM::FileNo});
}

}  // namespace
}  // namespace qv::test
