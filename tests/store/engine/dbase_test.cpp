// Reading dBase III, dBase IV and FoxPro tables with their memo files, built
// byte by byte in dbase_bytes.h.
#include <gtest/gtest.h>

#include "store/dates.h"
#include "tests/store/engine/dbase_bytes.h"
#include "tests/store/engine/engine_fixture.h"

namespace qv::test {
namespace {

using engine::Err;
using engine::File;

class DbaseReadTest : public EngineTest {
 protected:
  dbf::MsgRec rec{};
  std::string text;

  // Three records (the second deleted) whose memos are TEXT and HEADERS;
  // `none` is the pointer of no memo.
  std::vector<std::string> rows(const std::vector<std::string>& pointers, const std::string& none) {
    const auto cols = dbf::msgColumns(static_cast<int>(pointers[0].size()));
    return {dbf::row(cols, {"        12", "First subject", "19960813", "T", "    12.75", "    -40", pointers[0],
                            pointers[1]}),
            dbf::row(cols, {"        13", "Gone", "19960814", "F", "", "", pointers[2], none}, '*'),
            dbf::row(cols, {"4294967299", "Third", "        ", "N", "", "  99999", pointers[3], none})};
  }

  // Walks the table forward, collecting numbers, TEXT memos and HEADERS memos.
  void expectThreeMessages(File& f, const std::string& firstHeaders) {
    ASSERT_EQ(f.records(), 3);
    ASSERT_EQ(f.set(), Err::Ok);
    ASSERT_EQ(f.next(), Err::Ok) << f.errorText();
    EXPECT_EQ(f.position(), 1);
    const std::uint32_t number = rec.NUMBER;
    EXPECT_EQ(number, 12u);
    EXPECT_EQ(rec.SUBJECT, "First subjec");  // cut to the field's 12
    const std::int32_t when = rec.WHEN;
    EXPECT_EQ(when, dates::dayNumber(1996, 8, 13));
    EXPECT_EQ(rec.KEEP, "T");
    const double price = rec.PRICE;
    EXPECT_DOUBLE_EQ(price, 12.75);
    const std::int16_t small = rec.SMALL;
    EXPECT_EQ(small, -40);
    EXPECT_EQ(rec.ABSENT, "");
    EXPECT_EQ(text, "First memo\r\nsecond line");
    std::string headers;
    ASSERT_EQ(f.memo("HEADERS", headers), Err::Ok);
    EXPECT_EQ(headers, firstHeaders);

    // The deleted record is passed over, but can be read by its number.
    ASSERT_EQ(f.next(), Err::Ok);
    EXPECT_EQ(f.position(), 3);
    const std::uint32_t clamped = rec.NUMBER;
    EXPECT_EQ(clamped, 4294967295u);  // 4294967299 does not fit: the largest ULONG
    const std::int32_t noDate = rec.WHEN;
    EXPECT_EQ(noDate, 0);
    EXPECT_EQ(rec.KEEP, "F");
    const std::int16_t small3 = rec.SMALL;
    EXPECT_EQ(small3, 32767);
    EXPECT_EQ(text, std::string(100, 'x'));  // cut to the declared 100
    EXPECT_EQ(f.memo("HEADERS", headers), Err::Ok);
    EXPECT_EQ(headers, "");
    EXPECT_EQ(f.next(), Err::RecordNotAvailable);

    ASSERT_EQ(f.getPosition(2), Err::Ok);
    EXPECT_EQ(rec.SUBJECT, "Gone");
    EXPECT_EQ(text, "Deleted but readable");
    EXPECT_EQ(f.getPosition(4), Err::RecordNotFound);
    EXPECT_EQ(f.getPosition(0), Err::RecordNotFound);

    // Backwards from the end, and from a position.
    ASSERT_EQ(f.set(), Err::Ok);
    ASSERT_EQ(f.previous(), Err::Ok);
    EXPECT_EQ(f.position(), 3);
    ASSERT_EQ(f.previous(), Err::Ok);
    EXPECT_EQ(f.position(), 1);
    EXPECT_EQ(f.previous(), Err::RecordNotAvailable);
    ASSERT_EQ(f.setPosition(2), Err::Ok);
    ASSERT_EQ(f.next(), Err::Ok);
    EXPECT_EQ(f.position(), 3);
  }
};

TEST_F(DbaseReadTest, DBase3WithDbtMemos) {
  std::vector<std::uint32_t> b;
  const std::string memo = dbf::dbt3({"First memo\r\nsecond line", "From: someone", "Deleted but readable",
                                      std::string(700, 'x')},
                                     &b);
  EXPECT_EQ(b[3], 4u);  // the 700-byte memo needs two blocks
  dbf::save(dir / "CIS.DBF",
            dbf::table(0x83, dbf::msgColumns(),
                       rows({dbf::pointer10(b[0]), dbf::pointer10(b[1]), dbf::pointer10(b[2]), dbf::pointer10(b[3])}, "")));
  dbf::save(dir / "cis.dbt", memo);  // found whatever its letter case
  File f(session, dbf::msgDecl(engine::Driver::DBase3), &rec, &text);
  f.setName(dir / "CIS.DBF");
  ASSERT_EQ(f.open(engine::OpenMode::ReadOnlyShared), Err::Ok) << f.errorText();
  expectThreeMessages(f, "From: someone");
}

TEST_F(DbaseReadTest, FoxPro2WithFptMemosOfSmallBlocks) {
  std::vector<std::uint32_t> b;
  const std::string memo =
      dbf::fpt(64, {"First memo\r\nsecond line", "Path: a!b", "Deleted but readable", std::string(700, 'x')}, &b);
  EXPECT_EQ(b[0], 8u);  // after the 512-byte header
  dbf::save(dir / "nav.dbf",
            dbf::table(0xF5, dbf::msgColumns(),
                       rows({dbf::pointer10(b[0]), dbf::pointer10(b[1]), dbf::pointer10(b[2]), dbf::pointer10(b[3])}, "")));
  dbf::save(dir / "nav.fpt", memo);
  File f(session, dbf::msgDecl(), &rec, &text);
  f.setName(dir / "nav.dbf");
  ASSERT_EQ(f.open(engine::OpenMode::ReadOnlyShared), Err::Ok) << f.errorText();
  expectThreeMessages(f, "Path: a!b");
}

TEST_F(DbaseReadTest, VisualFoxProWithBinaryMemoPointers) {
  std::vector<std::uint32_t> b;
  const std::string memo =
      dbf::fpt(32, {"First memo\r\nsecond line", "X-Extra: 1", "Deleted but readable", std::string(700, 'x')}, &b);
  auto bin = [](std::uint32_t v) { return dbf::le(v, 4); };
  dbf::save(dir / "oui.dbf",
            dbf::table(0x30, dbf::msgColumns(4), rows({bin(b[0]), bin(b[1]), bin(b[2]), bin(b[3])}, bin(0)), -1, 263));
  dbf::save(dir / "OUI.FPT", memo);
  File f(session, dbf::msgDecl(), &rec, &text);
  f.setName(dir / "oui.dbf");
  ASSERT_EQ(f.open(engine::OpenMode::ReadOnlyShared), Err::Ok) << f.errorText();
  expectThreeMessages(f, "X-Extra: 1");
}

TEST_F(DbaseReadTest, DBase4WithDeclaredBlockSize) {
  std::vector<std::uint32_t> b;
  const std::string memo =
      dbf::dbt4(1024, {"First memo\r\nsecond line", "Re: x", "Deleted but readable", std::string(700, 'x')}, &b);
  dbf::save(dir / "d4.dbf",
            dbf::table(0x8B, dbf::msgColumns(),
                       rows({dbf::pointer10(b[0]), dbf::pointer10(b[1]), dbf::pointer10(b[2]), dbf::pointer10(b[3])}, "")));
  dbf::save(dir / "d4.dbt", memo);
  File f(session, dbf::msgDecl(), &rec, &text);
  f.setName(dir / "d4.dbf");
  ASSERT_EQ(f.open(engine::OpenMode::ReadOnlyShared), Err::Ok) << f.errorText();
  expectThreeMessages(f, "Re: x");
}

TEST_F(DbaseReadTest, ReadingOnlyNeedsTheDeclaredNamesAndNoMemoFileWithoutMemoColumns) {
  const std::vector<dbf::Col> cols = {{"SUBJECT", 'C', 5}, {"OTHER", 'C', 3}};
  dbf::save(dir / "plain.dbf", dbf::table(0x03, cols, {dbf::row(cols, {"Hello", "abc"})}));
  File f(session, dbf::msgDecl(), &rec, &text);
  f.setName(dir / "plain.dbf");
  ASSERT_EQ(f.open(engine::OpenMode::ReadOnlyShared), Err::Ok) << f.errorText();
  ASSERT_EQ(f.next(), Err::Ok);
  EXPECT_EQ(rec.SUBJECT.raw(), "Hello       ");  // blank-padded to the field's 12
  const std::uint32_t number = rec.NUMBER;
  EXPECT_EQ(number, 0u);
  EXPECT_EQ(text, "");
  std::string headers = "stale";
  EXPECT_EQ(f.memo("HEADERS", headers), Err::Ok);
  EXPECT_EQ(headers, "");
  EXPECT_THROW(f.memo("NOT_DECLARED", headers), std::logic_error);
}

}  // namespace
}  // namespace qv::test
