// Writing the dBase III export files: the bytes other programs read, read
// back by Debian's python3-dbfread, and the .NDX index checked page by page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <sstream>

#include "store/dates.h"
#include "store/tables.h"
#include "tests/store/engine/dbase_bytes.h"
#include "tests/store/engine/dbfread.h"
#include "tests/store/engine/engine_fixture.h"

namespace qv::test {
namespace {

using engine::Err;
using engine::File;

std::uint32_t le32(const std::string& s, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 4; i-- > 0;) v = v << 8 | static_cast<unsigned char>(s[at + i]);
  return v;
}
std::uint32_t le16(const std::string& s, std::size_t at) {
  return static_cast<unsigned char>(s[at]) | static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 1])) << 8;
}

class DbaseWriteTest : public EngineTest {
 protected:
  DBF dbf{};
  std::string body;
  const std::string longText = std::string(63990, 'a') + "0123456789" + "cut off here";

  // A forum message export of three records: a memo with a 0x1A in it, no
  // memo, and one longer than the 64,000 bytes a memo holds.
  void writeExport(const std::filesystem::path& p) {
    File f(session, DBF::decl(), &dbf, &body);
    f.setName(p);
    ASSERT_EQ(f.create(), Err::Ok) << f.errorText();
    ASSERT_EQ(f.open(), Err::Ok) << f.errorText();
    dbf = DBF{};
    dbf.MSGNUMBER = 123;
    dbf.REFNUMBER = 0;
    dbf.FORUM = "IBM Users";
    dbf.SECTIONNO = 7;
    dbf.SECTIONNAME = "Hardware \xE9t\xE9";
    dbf.SUBJECT = "Disk trouble";
    dbf.MSG_DATE = "03-09-1996";
    dbf.S_LNAME = "Smith";
    dbf.S_ADDRESS = "76543,210";
    body = "Line one\r\nline two \x1A end";
    ASSERT_EQ(f.add(), Err::Ok) << f.errorText();
    dbf.MSGNUMBER = 4000000000.0;
    dbf.REFNUMBER = 123;
    dbf.SUBJECT = "Re: Disk trouble";
    body.clear();
    ASSERT_EQ(f.add(), Err::Ok) << f.errorText();
    dbf.MSGNUMBER = 5;
    body = longText;
    ASSERT_EQ(f.add(), Err::Ok) << f.errorText();
    EXPECT_EQ(f.records(), 3);
  }
};

TEST_F(DbaseWriteTest, ExportFileHasTheDocumentedColumnsRecordsAndMemoBlocks) {
  writeExport(dir / "FORUM.DBF");
  const std::string t = dbf::load(dir / "FORUM.DBF");
  ASSERT_GT(t.size(), 32u);
  EXPECT_EQ(static_cast<unsigned char>(t[0]), 0x83u);
  const dates::Ymd today = dates::fromDayNumber(dates::today());
  EXPECT_EQ(t[1], static_cast<char>(today.year - 1900));
  EXPECT_EQ(t[2], static_cast<char>(today.month));
  EXPECT_EQ(t[3], static_cast<char>(today.day));
  EXPECT_EQ(le32(t, 4), 3u);
  const std::size_t headerLength = le16(t, 8), recordLength = le16(t, 10);
  EXPECT_EQ(headerLength, 32u + 14 * 32 + 1);
  EXPECT_EQ(recordLength, 364u);
  std::string columns;
  for (std::size_t at = 32; t[at] != '\x0D'; at += 32) {
    columns += t.substr(at, std::strlen(t.c_str() + at)) + "=" + t[at + 11] +
               std::to_string(static_cast<unsigned char>(t[at + 16]));
    if (t[at + 17] != 0) columns += "." + std::to_string(t[at + 17]);
    columns += " ";
  }
  EXPECT_EQ(columns,
            "MSGNUMBER=N10 REFNUMBER=N10 FORUM=C20 SECTIONNO=N3 SECTIONNAM=C20 SUBJECT=C60 MSG_DATE=C10 "
            "R_LNAME=C25 R_FNAME=C25 R_ADDRESS=C60 S_LNAME=C25 S_FNAME=C25 S_ADDRESS=C60 M_BODY=M10 ");
  ASSERT_EQ(t.size(), headerLength + 3 * recordLength + 1);
  EXPECT_EQ(t.back(), '\x1A');
  const std::string first = t.substr(headerLength, recordLength);
  EXPECT_EQ(first.substr(0, 24), "        123         0IBM");
  EXPECT_EQ(first.substr(41, 3), "  7");
  EXPECT_EQ(first.substr(354), "         1");  // the memo's block
  const std::string second = t.substr(headerLength + recordLength, recordLength);
  EXPECT_EQ(second.substr(1, 10), "4000000000");
  EXPECT_EQ(second.substr(354), std::string(10, ' '));  // no memo
  EXPECT_EQ(t.substr(headerLength + 2 * recordLength + 354, 10), "         2");

  const std::string m = dbf::load(dir / "FORUM.DBT");
  ASSERT_EQ(m.size() % 512, 0u);
  EXPECT_EQ(le32(m, 0), m.size() / 512);  // the next free block
  EXPECT_EQ(m.substr(512, 26), "Line one\r\nline two   end\x1A\x1A");
  EXPECT_EQ(m.substr(1024, 64000), longText.substr(0, 64000));
  EXPECT_EQ(m.substr(1024 + 64000, 2), "\x1A\x1A");
}

TEST_F(DbaseWriteTest, ExportFileReadsBackThroughTheDriver) {
  writeExport(dir / "forum.dbf");
  EXPECT_TRUE(std::filesystem::exists(dir / "forum.dbt"));
  EXPECT_TRUE(std::filesystem::exists(dir / "forum.ndx"));
  File f(session, DBF::decl(), &dbf, &body);
  f.setName(dir / "forum.dbf");
  ASSERT_EQ(f.open(engine::OpenMode::ReadOnlyShared), Err::Ok) << f.errorText();
  ASSERT_EQ(f.next(), Err::Ok);
  const double number = dbf.MSGNUMBER, section = dbf.SECTIONNO;
  EXPECT_EQ(number, 123.0);
  EXPECT_EQ(section, 7.0);
  EXPECT_EQ(dbf.SECTIONNAME, "Hardware \xE9t\xE9");
  EXPECT_EQ(body, "Line one\r\nline two   end");
  ASSERT_EQ(f.next(), Err::Ok);
  const double big = dbf.MSGNUMBER;
  EXPECT_EQ(big, 4000000000.0);
  EXPECT_EQ(body, "");
  ASSERT_EQ(f.next(), Err::Ok);
  EXPECT_EQ(body, longText.substr(0, 64000));
  EXPECT_EQ(f.next(), Err::RecordNotAvailable);
}

TEST_F(DbaseWriteTest, ValueThatDoesNotFitItsColumnIsRefusedAndNothingIsWritten) {
  DBA dba{};
  File f(session, DBA::decl(), &dba);
  f.setName(dir / "ADDR.DBF");
  ASSERT_EQ(f.create(), Err::Ok);
  ASSERT_EQ(f.open(), Err::Ok);
  dba.ID = 123456789;  // "ID=N(8.0)"
  EXPECT_EQ(f.add(), Err::FileSystemError);
  EXPECT_NE(f.errorText().find("does not fit the column ID N(8)"), std::string::npos) << f.errorText();
  EXPECT_EQ(f.records(), 0);
  dba.ID = 12345678;
  EXPECT_EQ(f.add(), Err::Ok);
  EXPECT_EQ(f.records(), 1);
}

TEST_F(DbaseWriteTest, DebianDbfreadReadsTheExportFieldForField) {
  writeExport(dir / "FORUM.DBF");
  const std::string dump = dbfreadDump(dir / "FORUM.DBF", dir.path());
  if (dump.empty()) GTEST_SKIP() << "python3 cannot import dbfread: install the Debian package python3-dbfread";
  std::istringstream lines(dump);
  std::string fields, r1, r2, r3;
  std::getline(lines, fields);
  std::getline(lines, r1);
  std::getline(lines, r2);
  std::getline(lines, r3);
  EXPECT_EQ(fields,
            "MSGNUMBER=N10.0 REFNUMBER=N10.0 FORUM=C20.0 SECTIONNO=N3.0 SECTIONNAM=C20.0 SUBJECT=C60.0 "
            "MSG_DATE=C10.0 R_LNAME=C25.0 R_FNAME=C25.0 R_ADDRESS=C60.0 S_LNAME=C25.0 S_FNAME=C25.0 "
            "S_ADDRESS=C60.0 M_BODY=M10.0")
      << dump;
  EXPECT_EQ(r1, "MSGNUMBER=123 REFNUMBER=0 FORUM=" + hex("IBM Users") + " SECTIONNO=7 SECTIONNAM=" +
                    hex("Hardware \xE9t\xE9") + " SUBJECT=" + hex("Disk trouble") + " MSG_DATE=" + hex("03-09-1996") +
                    " R_LNAME= R_FNAME= R_ADDRESS= S_LNAME=" + hex("Smith") + " S_FNAME= S_ADDRESS=" +
                    hex("76543,210") + " M_BODY=" + hex("Line one\r\nline two   end"))
      << dump;
  EXPECT_NE(r2.find("MSGNUMBER=4000000000 REFNUMBER=123 "), std::string::npos) << r2;
  EXPECT_NE(r2.find(" M_BODY=None"), std::string::npos) << r2;
  EXPECT_NE(r3.find(" M_BODY=" + hex(longText.substr(0, 64000))), std::string::npos);
}

// The index as the NDX layout describes it, read without the driver: every
// leaf entry in key order, each interior key the highest key below it, all
// leaves equally deep.
struct NdxTree {
  bool numeric = false;
  std::size_t keyLength = 0, entrySize = 0;
  std::vector<std::pair<std::string, std::uint32_t>> leaves;  // key bytes, record number
  int leafDepth = -1;
  int pages = 0;

  static double number(const std::string& key) {
    double v = 0;
    std::memcpy(&v, key.data(), sizeof v);
    return v;
  }
  bool less(const std::string& a, const std::string& b) const { return numeric ? number(a) < number(b) : a < b; }

  std::string visit(const std::string& ndx, std::uint32_t page, int depth) {
    EXPECT_LT(std::size_t{page} * 512 + 512, ndx.size() + 1) << "page " << page << " outside the file";
    if (std::size_t{page} * 512 + 512 > ndx.size() || depth > 20) return {};
    ++pages;
    const std::string p = ndx.substr(std::size_t{page} * 512, 512);
    const std::uint32_t count = le32(p, 0);
    EXPECT_LE(4 + count * entrySize, 512u);
    if (le32(p, 4) == 0) {
      if (leafDepth < 0) leafDepth = depth;
      EXPECT_EQ(depth, leafDepth) << "leaf page " << page;
      for (std::uint32_t i = 0; i < count; ++i)
        leaves.emplace_back(p.substr(4 + i * entrySize + 8, keyLength), le32(p, 4 + i * entrySize + 4));
      return count == 0 ? std::string() : leaves.back().first;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::string key = p.substr(4 + i * entrySize + 8, keyLength);
      EXPECT_EQ(visit(ndx, le32(p, 4 + i * entrySize), depth + 1), key) << "interior key of page " << page;
    }
    return visit(ndx, le32(p, 4 + count * entrySize), depth + 1);
  }

  void read(const std::string& ndx) {
    ASSERT_GE(ndx.size(), 1024u);
    keyLength = le16(ndx, 12);
    numeric = le16(ndx, 16) == 1;
    entrySize = le32(ndx, 18);
    EXPECT_EQ(entrySize, 8 + (keyLength + 3) / 4 * 4);
    EXPECT_EQ(le16(ndx, 14), (512 - 4) / entrySize);
    EXPECT_EQ(le32(ndx, 4) * 512, ndx.size());  // the page count
    visit(ndx, le32(ndx, 0), 0);
    EXPECT_EQ(static_cast<std::uint32_t>(pages + 1), le32(ndx, 4));  // every page is in the tree
    for (std::size_t i = 1; i < leaves.size(); ++i) {
      EXPECT_FALSE(less(leaves[i].first, leaves[i - 1].first)) << "leaf entry " << i;
      if (!less(leaves[i - 1].first, leaves[i].first)) {
        EXPECT_LT(leaves[i - 1].second, leaves[i].second);
      }
    }
  }
};

TEST_F(DbaseWriteTest, NumericIndexStaysAValidTreeAcrossAddsAndReopening) {
  DBA dba{};
  File f(session, DBA::decl(), &dba);
  f.setName(dir / "addr.dbf");
  ASSERT_EQ(f.create(), Err::Ok);
  ASSERT_EQ(f.open(), Err::Ok);
  std::mt19937 rng(7);
  std::map<std::uint32_t, double> ids;  // record number → ID
  for (std::uint32_t n = 1; n <= 1500; ++n) {
    if (n == 700) {  // an index that already exists is added to, not rebuilt
      f.close();
      ASSERT_EQ(f.open(), Err::Ok);
    }
    dba.ID = static_cast<double>(rng() % 400);  // many duplicates
    dba.LNAME = "Name " + std::to_string(n);
    ASSERT_EQ(f.add(), Err::Ok) << f.errorText();
    ids[n] = dba.ID;
  }
  f.close();
  NdxTree tree;
  tree.read(dbf::load(dir / "addr.ndx"));
  EXPECT_TRUE(tree.numeric);
  EXPECT_EQ(tree.keyLength, 8u);
  EXPECT_GE(tree.leafDepth, 2);
  ASSERT_EQ(tree.leaves.size(), ids.size());
  std::map<std::uint32_t, double> indexed;
  for (const auto& [key, recno] : tree.leaves) indexed[recno] = NdxTree::number(key);
  EXPECT_EQ(indexed, ids);
}

TEST_F(DbaseWriteTest, CharacterIndexIsRebuiltWhenMissing) {
  DBN dbn{};
  std::string text;
  engine::TableDecl byGroup = DBN::decl();
  // The same file with its index on the newsgroup column, which comes first.
  std::swap(byGroup.fields[0], byGroup.fields[3]);
  byGroup.keys.clear();
  byGroup.key("GroupKey", engine::kDuplicates, {"NEWSGROUP"});
  File f(session, byGroup, &dbn, &text);
  f.setName(dir / "NEWS.DBF");
  ASSERT_EQ(f.create(), Err::Ok);
  ASSERT_EQ(f.open(), Err::Ok);
  std::vector<std::string> groups;
  for (int n = 0; n < 300; ++n) {
    groups.push_back("comp.group." + std::to_string((n * 37) % 101));
    dbn.NEWSGROUP = groups.back();
    dbn.ID = n;
    ASSERT_EQ(f.add(), Err::Ok) << f.errorText();
  }
  f.close();
  std::filesystem::remove(dir / "NEWS.NDX");
  ASSERT_EQ(f.open(), Err::Ok) << f.errorText();  // builds it anew
  f.close();
  NdxTree tree;
  tree.read(dbf::load(dir / "NEWS.NDX"));
  EXPECT_FALSE(tree.numeric);
  EXPECT_EQ(tree.keyLength, 100u);
  ASSERT_EQ(tree.leaves.size(), groups.size());
  for (const auto& [key, recno] : tree.leaves) EXPECT_EQ(key, FixedString<100>(groups[recno - 1]).raw());
}

}  // namespace
}  // namespace qv::test
