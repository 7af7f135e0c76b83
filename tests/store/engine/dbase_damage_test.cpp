// Damaged dBase tables and memo files: a clear open error, or bad records
// that the walk steps past, never a crash or a walk without end.
#include <gtest/gtest.h>

#include "tests/store/engine/dbase_bytes.h"
#include "tests/store/engine/engine_fixture.h"

namespace qv::test {
namespace {

using engine::Err;
using engine::File;

const std::vector<dbf::Col> kCols = {{"NUMBER", 'N', 4}, {"TEXT", 'M', 10}};

std::vector<std::string> numbered(int n, const std::vector<std::string>& pointers = {}) {
  std::vector<std::string> rows;
  for (int i = 1; i <= n; ++i) {
    std::string num = std::to_string(i);
    rows.push_back(dbf::row(kCols, {std::string(4 - num.size(), ' ') + num,
                                    static_cast<std::size_t>(i) <= pointers.size() ? pointers[i - 1] : ""}));
  }
  return rows;
}

class DbaseDamageTest : public EngineTest {
 protected:
  dbf::MsgRec rec{};
  std::string text;
  File f{session, dbf::msgDecl(), &rec, &text};
  std::string lastBad;  // the text of the last bad record the walk met

  Err openTable(const std::string& bytes, const std::string* memo = nullptr) {
    dbf::save(dir / "t.dbf", bytes);
    if (memo != nullptr) dbf::save(dir / "t.dbt", *memo);
    f.setName(dir / "t.dbf");
    return f.open(engine::OpenMode::ReadOnlyShared);
  }

  // Walks forward; "n" for a record read, "!" for a bad one; stops at the
  // end or after 50 reads (a walk without end fails the test).
  std::string walk() {
    std::string seen;
    EXPECT_EQ(f.set(), Err::Ok);
    for (int i = 0; i < 50; ++i) {
      const Err e = f.next();
      if (e == Err::RecordNotAvailable) return seen;
      if (e == Err::Ok) {
        const std::uint32_t n = rec.NUMBER;
        seen += std::to_string(n);
      } else {
        EXPECT_EQ(e, Err::FileSystemError) << f.errorText();
        lastBad = f.errorText();
        seen += "!";
      }
    }
    ADD_FAILURE() << "the walk did not end";
    return seen;
  }
};

TEST_F(DbaseDamageTest, HeaderCountingMoreRecordsThanTheFileHoldsGivesOneBadRecordThenTheEnd) {
  std::string bytes = dbf::table(0x03, {{"NUMBER", 'N', 4}}, {}, 1000000);
  for (int i = 1; i <= 3; ++i) bytes.insert(bytes.size() - 1, "    " + std::to_string(i));
  ASSERT_EQ(openTable(bytes), Err::Ok) << f.errorText();
  EXPECT_EQ(f.records(), 1000000);  // what the header says
  EXPECT_EQ(walk(), "123!");
  EXPECT_NE(lastBad.find("ends after record 3, but its header counts 1000000"), std::string::npos) << lastBad;
  EXPECT_EQ(f.getPosition(999), Err::FileSystemError);
  EXPECT_EQ(f.getPosition(1000001), Err::RecordNotFound);
  // Backwards the shortfall is met first.
  ASSERT_EQ(f.set(), Err::Ok);
  EXPECT_EQ(f.previous(), Err::FileSystemError);
  ASSERT_EQ(f.previous(), Err::Ok);
  const std::uint32_t last = rec.NUMBER;
  EXPECT_EQ(last, 3u);
}

TEST_F(DbaseDamageTest, CutOffLastRecordIsBad) {
  std::string bytes = dbf::table(0x03, {{"NUMBER", 'N', 4}}, {"    1", "    2", "    3"});
  bytes.resize(bytes.size() - 4);  // the 0x1A and three bytes of the last record
  ASSERT_EQ(openTable(bytes), Err::Ok);
  EXPECT_EQ(walk(), "12!");
}

TEST_F(DbaseDamageTest, RecordWithoutDeletedFlagIsBadAndTheWalkGoesOn) {
  ASSERT_EQ(openTable(dbf::table(0x03, {{"NUMBER", 'N', 4}}, {"    1", std::string("\0   2", 5), "    3"})), Err::Ok);
  EXPECT_EQ(walk(), "1!3");
}

TEST_F(DbaseDamageTest, HeadersThatCannotBeReadAreRefusedAtOpen) {
  const std::string good = dbf::table(0x03, {{"NUMBER", 'N', 4}}, {"    1"});
  struct Case {
    const char* what;
    std::string bytes;
    const char* says;
  } cases[] = {
      {"too short", good.substr(0, 20), "too short"},
      {"not a table", "<html>" + std::string(100, ' '), "not a dBase or FoxPro table"},
      {"dBase II", std::string("\x02", 1) + good.substr(1), "dBase II"},
      // The header says 33 bytes: the column descriptor lies past it, and
      // without it the record length does not add up.
      {"descriptors past the header", good.substr(0, 8) + dbf::le(33, 2) + good.substr(10), "take 1 bytes"},
      {"descriptors cut by the header", good.substr(0, 8) + dbf::le(50, 2) + good.substr(10), "run past its header"},
      {"record length too short", good.substr(0, 10) + dbf::le(3, 2) + good.substr(12), "take 5 bytes"},
      {"record length too long", good.substr(0, 10) + dbf::le(9, 2) + good.substr(12), "header gives 9"},
      {"record length 0", good.substr(0, 10) + dbf::le(0, 2) + good.substr(12), "record length of 0"},
      {"header longer than the file", good.substr(0, 8) + dbf::le(4000, 2) + good.substr(10), "longer than the file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    f.close();
    const Err e = openTable(c.bytes);
    EXPECT_EQ(e, Err::FileSystemError);
    EXPECT_NE(f.errorText().find(c.says), std::string::npos) << f.errorText();
    EXPECT_FALSE(f.isOpen());
  }
}

TEST_F(DbaseDamageTest, MissingOrUnusableMemoFileIsAnOpenError) {
  ASSERT_EQ(openTable(dbf::table(0x83, kCols, numbered(1, {dbf::pointer10(1)}))), Err::FileSystemError);
  EXPECT_NE(f.errorText().find("memo file t.dbt"), std::string::npos) << f.errorText();
  EXPECT_NE(f.errorText().find("is missing"), std::string::npos) << f.errorText();

  dbf::save(dir / "t.fpt", std::string("\0\0\0\x08\0\0\0\0", 8));  // block size 0
  f.setName(dir / "t.dbf");
  dbf::save(dir / "t.dbf", dbf::table(0xF5, kCols, numbered(1, {dbf::pointer10(8)})));
  EXPECT_EQ(f.open(engine::OpenMode::ReadOnlyShared), Err::FileSystemError);
  EXPECT_NE(f.errorText().find("block size of 0"), std::string::npos) << f.errorText();
}

TEST_F(DbaseDamageTest, DamagedMemosMakeBadRecordsAndTheRestIsRead) {
  std::vector<std::uint32_t> b;
  std::string memo = dbf::dbt3({"one", "two"}, &b);
  memo += std::string(60, 'z');  // a last memo whose end mark is missing: block 3
  const std::string bytes = dbf::table(
      0x83, kCols,
      numbered(6, {dbf::pointer10(b[0]), dbf::pointer10(99), "  12x     ", dbf::pointer10(3), "", dbf::pointer10(2)}));
  ASSERT_EQ(openTable(bytes, &memo), Err::Ok) << f.errorText();
  EXPECT_EQ(walk(), "1!!!56");
  ASSERT_EQ(f.getPosition(2), Err::FileSystemError);
  EXPECT_NE(f.errorText().find("Record 2 of"), std::string::npos);
  EXPECT_NE(f.errorText().find("memo TEXT points past the end of the memo file"), std::string::npos) << f.errorText();
  ASSERT_EQ(f.getPosition(4), Err::FileSystemError);
  EXPECT_NE(f.errorText().find("without its end mark"), std::string::npos) << f.errorText();
  ASSERT_EQ(f.getPosition(6), Err::Ok);
  EXPECT_EQ(text, "two");
}

TEST_F(DbaseDamageTest, FoxProMemoLongerThanItsFileIsBad) {
  std::vector<std::uint32_t> b;
  std::string memo = dbf::fpt(64, {"fine", "this one is cut"}, &b);
  memo.resize(memo.size() - 64 + 12);  // the second memo's block loses most of its text
  dbf::save(dir / "t.fpt", memo);
  ASSERT_EQ(openTable(dbf::table(0xF5, kCols, numbered(2, {dbf::pointer10(b[0]), dbf::pointer10(b[1])}))), Err::Ok);
  EXPECT_EQ(walk(), "1!");
  EXPECT_NE(lastBad.find("longer than the memo file holds"), std::string::npos) << lastBad;
}

}  // namespace
}  // namespace qv::test
