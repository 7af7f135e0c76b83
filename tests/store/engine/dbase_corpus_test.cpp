// Real dBase, FoxPro and damaged tables from ../shared/corpus/dbase (skipped
// where that folder is absent): each opens or is refused with a clear
// reason, gives its header's record count, reads without crash, and agrees
// with the expected-value files beside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "tests/store/engine/dbase_bytes.h"
#include "tests/store/engine/engine_fixture.h"

namespace qv::test {
namespace {

using engine::Err;
using engine::File;
namespace fs = std::filesystem;

const fs::path kCorpus = fs::path(QV_SOURCE_DIR) / ".." / "shared" / "corpus" / "dbase";

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::vector<fs::path> corpusTables() {
  std::vector<fs::path> out;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(kCorpus, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec))
    if (upper(it->path().extension().string()) == ".DBF") out.push_back(it->path());
  std::sort(out.begin(), out.end());
  return out;
}

// Files the driver refuses to open, and the words of the reason.
const std::map<std::string, std::string> kRefused = {
    {"dbase_02.dbf", "dBase II"},                   // a dBase II (FoxBase) table
    {"dbase_83_missing_memo.dbf", "is missing"},   // memo columns, no memo file
    {"no_memofile.dbf", "is missing"},
    {"books.dbf", "is missing"},
    {"student.dbf", "is missing"},
    {"dbase_8c.dbf", "is missing"},
};

// Files with damage the driver reports: bad records, and memos that cannot
// be read (their records read, File::memo fails).
struct Damage {
  int badRecords = 0;
  int badMemos = 0;
};
const std::map<std::string, Damage> kDamaged = {
    {"mazovia.dbf", {2, 0}},                // 0x00 where the deleted flag belongs
    {"myfileafter-corrupted.dbf", {1, 0}},  // likewise
    {"bug102.dbf", {12, 24}},               // its .dbt holds only a header
};

// A declaration for any table: every column of the file as a text field of
// 64 bytes, the memo columns as memos readable by name.
struct AnyTable {
  engine::TableDecl decl;
  std::vector<unsigned char> record;
  std::string memo;

  explicit AnyTable(const std::string& bytes) {
    decl.label = "ANY";
    decl.driver = engine::Driver::FoxPro;
    const bool dbase7 = !bytes.empty() && (bytes[0] == '\x04' || bytes[0] == '\x8C');
    const std::size_t start = dbase7 ? 68 : 32, step = dbase7 ? 48 : 32;
    const std::size_t headerLength =
        bytes.size() >= 10 ? static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8 : 0;
    for (std::size_t at = start; at + step <= std::min(headerLength, bytes.size()) && bytes[at] != '\x0D'; at += step) {
      std::string name(bytes.c_str() + at, strnlen(bytes.c_str() + at, dbase7 ? 32 : 11));
      const char type = bytes[at + (dbase7 ? 32 : 11)];
      if (name.empty()) continue;
      if (type == 'M' || type == 'G' || type == 'P') {
        if (decl.memoName.empty())
          decl.memoName = name;
        else
          decl.extraMemos.push_back(name);
      } else {
        decl.fields.push_back(engine::FieldDecl{name, decl.fields.size() * 64, 64, engine::FieldType::String});
      }
    }
    decl.recordSize = std::max<std::size_t>(decl.fields.size() * 64, 1);
    record.assign(decl.recordSize, 0);
  }
};

class DbaseCorpusTest : public EngineTest {
 protected:
  void SetUp() override {
    if (!fs::is_directory(kCorpus)) GTEST_SKIP() << "no corpus at " << kCorpus;
  }
};

TEST_F(DbaseCorpusTest, EveryTableOpensWithItsHeaderCountOrIsRefusedWithAReason) {
  int opened = 0;
  std::string report;  // one line per file, shown when something differs
  for (const fs::path& p : corpusTables()) {
    SCOPED_TRACE(p.string());
    const std::string bytes = dbf::load(p);
    AnyTable any(bytes);
    File f(session, any.decl, any.record.data(), &any.memo);
    f.setName(p);
    const Err e = f.open(engine::OpenMode::ReadOnlyShared);
    const std::string name = p.filename().string();
    if (auto it = kRefused.find(name); it != kRefused.end()) {
      EXPECT_EQ(e, Err::FileSystemError);
      EXPECT_NE(f.errorText().find(it->second), std::string::npos) << f.errorText();
      continue;
    }
    if (e != Err::Ok) {
      report += name + ": refused: " + f.errorText() + "\n";
      continue;
    }
    ++opened;
    ASSERT_GE(bytes.size(), 8u);
    std::int64_t count = 0;
    for (int i = 7; i >= 4; --i) count = count << 8 | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
    EXPECT_EQ(f.records(), count);
    int good = 0;
    Damage seen;
    std::string firstError;
    ASSERT_EQ(f.set(), Err::Ok);
    for (std::int64_t i = 0; i <= count + 1; ++i) {
      const Err r = f.next();
      if (r == Err::RecordNotAvailable) break;
      if (r != Err::Ok) {
        EXPECT_EQ(r, Err::FileSystemError) << f.errorText();
        ++seen.badRecords;
        if (firstError.empty()) firstError = f.errorText();
        continue;
      }
      ++good;
      std::string text;
      for (const std::string& m : any.decl.extraMemos) {
        if (f.memo(m, text) == Err::Ok) continue;
        EXPECT_EQ(f.error(), Err::FileSystemError) << f.errorText();
        ++seen.badMemos;
        if (firstError.empty()) firstError = f.errorText();
      }
    }
    EXPECT_EQ(f.error(), Err::RecordNotAvailable) << "the walk did not end";
    EXPECT_LE(good + seen.badRecords, count);
    auto it = kDamaged.find(name);
    const Damage expected = it == kDamaged.end() ? Damage{} : it->second;
    if (seen.badRecords != expected.badRecords || (seen.badMemos > 0) != (expected.badMemos > 0))
      report += name + ": " + std::to_string(good) + " read, " + std::to_string(seen.badRecords) + " bad records, " +
                std::to_string(seen.badMemos) + " bad memos; " + firstError + "\n";
  }
  EXPECT_EQ(report, "");
  EXPECT_GT(opened, 40);
}

TEST_F(DbaseCorpusTest, RecordCountsAgreeWithTheSummaries) {
  int compared = 0;
  for (const fs::path& p : corpusTables()) {
    const fs::path summary = p.parent_path() / (p.stem().string() + "_summary.txt");
    if (!fs::exists(summary) || kRefused.count(p.filename().string()) != 0) continue;
    SCOPED_TRACE(p.string());
    std::ifstream in(summary);
    std::string line;
    std::int64_t expected = -1;
    while (std::getline(in, line))
      if (line.rfind("Records: ", 0) == 0) expected = std::stoll(line.substr(9));
    AnyTable any(dbf::load(p));
    File f(session, any.decl, any.record.data(), &any.memo);
    f.setName(p);
    ASSERT_EQ(f.open(engine::OpenMode::ReadOnlyShared), Err::Ok) << f.errorText();
    EXPECT_EQ(f.records(), expected);
    ++compared;
  }
  EXPECT_GE(compared, 9);
}

// The items of a YAML list as the expected-value files write them: plain,
// 'single-quoted' or "double-quoted" with escapes, folded over lines.
std::vector<std::string> yamlList(const fs::path& p) {
  std::ifstream in(p);
  std::string line, all;
  std::vector<std::string> items;
  std::getline(in, line);  // ---
  while (std::getline(in, line)) {
    const std::size_t dash = line.find_first_not_of(' ');
    if (dash != std::string::npos && line.compare(dash, 2, "- ") == 0) {
      items.push_back(line.substr(dash + 2));
    } else if (dash != std::string::npos && line == line.substr(0, dash) + "-") {
      items.emplace_back();
    } else if (!items.empty() && dash != std::string::npos) {
      items.back() += " " + line.substr(dash);  // a folded line break is a blank
    }
  }
  for (std::string& v : items) {
    if (v.size() >= 2 && v.front() == '\'') {
      v = v.substr(1, v.size() - 2);
    } else if (v.size() >= 2 && v.front() == '"') {
      std::string out;
      for (std::size_t i = 1; i + 1 < v.size(); ++i) {
        if (v[i] == '\\' && i + 2 < v.size()) {
          const char c = v[++i];
          out += c == 'r' ? '\r' : c == 'n' ? '\n' : c;
        } else {
          out += v[i];
        }
      }
      v = out;
    }
  }
  return items;
}

#pragma pack(push, 1)
struct ProductRec {
  std::uint32_t ID, CATCOUNT, AGRPCOUNT, PGRPCOUNT, ORDER;
  FixedString<50> CODE;
  FixedString<100> NAME;
  FixedString<254> THUMBNAIL, IMAGE;
  double PRICE, COST, WEIGHT;
  FixedString<1> TAXABLE, ACTIVE;
};
#pragma pack(pop)

TEST_F(DbaseCorpusTest, DBase3RecordsAgreeWithTheExpectedValues) {
  engine::TableDecl d;
  d.label = "PRODUCT";
  d.driver = engine::Driver::DBase3;
  d.recordSize = sizeof(ProductRec);
  d.fields = {QV_FIELD(ProductRec, ID),        QV_FIELD(ProductRec, CATCOUNT), QV_FIELD(ProductRec, AGRPCOUNT),
              QV_FIELD(ProductRec, PGRPCOUNT), QV_FIELD(ProductRec, ORDER),    QV_FIELD(ProductRec, CODE),
              QV_FIELD(ProductRec, NAME),      QV_FIELD(ProductRec, THUMBNAIL), QV_FIELD(ProductRec, IMAGE),
              QV_FIELD(ProductRec, PRICE),     QV_FIELD(ProductRec, COST),     QV_FIELD(ProductRec, WEIGHT),
              QV_FIELD(ProductRec, TAXABLE),   QV_FIELD(ProductRec, ACTIVE)};
  d.memoName = "DESC";
  d.memoMax = 64000;
  ProductRec r{};
  std::string desc;
  File f(session, d, &r, &desc);
  const fs::path fixtures = kCorpus / "infused_dbf" / "spec" / "fixtures";
  f.setName(fixtures / "dbase_83.dbf");
  ASSERT_EQ(f.open(engine::OpenMode::ReadOnlyShared), Err::Ok) << f.errorText();
  for (int index : {0, 9}) {
    SCOPED_TRACE(index);
    const std::vector<std::string> v = yamlList(fixtures / ("dbase_83_record_" + std::to_string(index) + ".yml"));
    ASSERT_EQ(v.size(), 15u);
    ASSERT_EQ(f.getPosition(index + 1), Err::Ok) << f.errorText();
    const std::uint32_t ints[5] = {r.ID, r.CATCOUNT, r.AGRPCOUNT, r.PGRPCOUNT, r.ORDER};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(std::to_string(ints[i]), v[static_cast<std::size_t>(i)]);
    EXPECT_EQ(r.CODE, v[5]);
    EXPECT_EQ(r.NAME, v[6]);
    EXPECT_EQ(r.THUMBNAIL, v[7]);
    EXPECT_EQ(r.IMAGE, v[8]);
    const double price = r.PRICE, cost = r.COST, weight = r.WEIGHT;
    EXPECT_DOUBLE_EQ(price, std::stod(v[9]));
    EXPECT_DOUBLE_EQ(cost, std::stod(v[10]));
    EXPECT_EQ(desc, v[11]);
    EXPECT_DOUBLE_EQ(weight, std::stod(v[12]));
    EXPECT_EQ(r.TAXABLE, v[13] == "true" ? "T" : "F");
    EXPECT_EQ(r.ACTIVE, v[14] == "true" ? "T" : "F");
  }
}

}  // namespace
}  // namespace qv::test
