// Opening and creating tables, and what the engine says about files that are
// missing, foreign, damaged or declared differently.
#include <sqlcipher/sqlite3.h>
#include <sys/stat.h>

#include <fstream>
#include <random>

#include "store/engine/integrity.h"
#include "tests/store/engine/test_tables.h"
#include "tests/store/engine/engine_fixture.h"

namespace qv::test {
namespace {

using engine::Err;
using engine::File;
using engine::OpenMode;

std::string readAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST_F(EngineTest, OpenTellsApartMissingFilesPathsAndNames) {
  HeaderRec r{};
  File f(session, headerDecl(), &r);
  f.setName(dir / "IDX003.TPS");
  EXPECT_EQ(f.open(), Err::FileNotFound);
  f.setName(dir / "nowhere" / "IDX003.TPS");
  EXPECT_EQ(f.open(), Err::PathNotFound);
  f.setName("");
  EXPECT_EQ(f.open(), Err::InvalidFileName);
  f.setName(dir / std::string(300, 'x'));
  EXPECT_EQ(f.open(), Err::InvalidFileName);
  EXPECT_FALSE(f.errorText().empty());
  EXPECT_EQ(session.error(), Err::InvalidFileName);
}

TEST_F(EngineTest, CreateThenOpenAndOpenTwice) {
  HeaderRec r{};
  File f(session, headerDecl(), &r);
  f.setName(dir / "IDX003.TPS");
  ASSERT_EQ(f.create(), Err::Ok);
  ASSERT_EQ(f.open(), Err::Ok);
  EXPECT_EQ(f.open(), Err::FileAlreadyOpen);
  EXPECT_TRUE(f.isOpen());
  EXPECT_EQ(f.records(), 0);
  f.close();
  EXPECT_FALSE(f.isOpen());
  EXPECT_EQ(f.records(), -1);
  EXPECT_EQ(f.error(), Err::FileNotOpen);
}

TEST_F(EngineTest, ReadOnlyFileRefusesReadWriteOpen) {
  if (::geteuid() == 0) GTEST_SKIP() << "root ignores file permissions";
  HeaderRec r{};
  File f(session, headerDecl(), &r);
  f.setName(dir / "IDX003.TPS");
  ASSERT_EQ(f.create(), Err::Ok);
  std::filesystem::permissions(dir / "IDX003.TPS", std::filesystem::perms::owner_read);
  EXPECT_EQ(f.open(), Err::AccessDenied);
  EXPECT_EQ(f.open(OpenMode::ReadOnlyShared), Err::Ok);
  fillHeader(r, 1);
  EXPECT_EQ(f.add(), Err::AccessDenied);
}

TEST_F(EngineTest, ExclusiveOpenExcludesOtherSessions) {
  HeaderRec r1{}, r2{};
  engine::Session other(engine);
  File a(session, headerDecl(), &r1), b(other, headerDecl(), &r2);
  a.setName(dir / "IDX003.TPS");
  b.setName(dir / "IDX003.TPS");
  ASSERT_EQ(a.create(), Err::Ok);
  ASSERT_EQ(a.open(OpenMode::Exclusive), Err::Ok);
  EXPECT_EQ(b.open(), Err::AccessDenied);
  a.close();
  ASSERT_EQ(b.open(), Err::Ok);
  EXPECT_EQ(a.open(OpenMode::Exclusive), Err::AccessDenied);
  EXPECT_EQ(a.open(), Err::Ok);
}

TEST_F(EngineTest, RandomBytesAreRefusedAndLeftUntouched) {
  const auto p = dir / "IDX003.TPS";
  std::string junk(8192, '\0');
  std::mt19937 rng(42);
  for (char& c : junk) c = static_cast<char>(rng());
  std::ofstream(p, std::ios::binary) << junk;
  HeaderRec r{};
  File f(session, headerDecl(), &r);
  f.setName(p);
  EXPECT_EQ(f.open(), Err::FileSystemError);
  EXPECT_NE(f.errorText().find("Not a table file"), std::string::npos) << f.errorText();
  EXPECT_FALSE(f.isOpen());
  EXPECT_EQ(readAll(p), junk);
}

TEST_F(EngineTest, ForeignTruncatedAndEmptyFilesAreRefused) {
  // Another program's SQLite file.
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((dir / "other.db").c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "CREATE TABLE t (a, b); INSERT INTO t VALUES (1, 2);", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  const std::string foreign = readAll(dir / "other.db");
  HeaderRec r{};
  File f(session, headerDecl(), &r);
  f.setName(dir / "other.db");
  EXPECT_EQ(f.open(), Err::FileSystemError);
  EXPECT_NE(f.errorText().find("Not a table file"), std::string::npos) << f.errorText();
  EXPECT_EQ(readAll(dir / "other.db"), foreign);
  // Our own table of another declaration: the layout differs.
  {
    NoteRec n{};
    std::string memo;
    File notes(session, noteDecl(""), &n, &memo);
    notes.setName(dir / "notes.TPS");
    ASSERT_EQ(notes.create(), Err::Ok);
  }
  f.setName(dir / "notes.TPS");
  EXPECT_EQ(f.open(), Err::LayoutDiffers);
  EXPECT_FALSE(f.isOpen());
  // A file of zero bytes and a truncated table.
  std::ofstream(dir / "empty.TPS").close();
  f.setName(dir / "empty.TPS");
  EXPECT_EQ(f.open(), Err::FileSystemError);
  f.setName(dir / "IDX003.TPS");
  ASSERT_EQ(f.create(), Err::Ok);
  ASSERT_EQ(f.open(), Err::Ok);
  for (std::uint32_t i = 1; i <= 500; ++i) {
    fillHeader(r, i);
    ASSERT_EQ(f.add(), Err::Ok);
  }
  f.close();
  std::filesystem::resize_file(dir / "IDX003.TPS", 3000);
  const std::string before = readAll(dir / "IDX003.TPS");
  const Err e = f.open();
  if (e == Err::Ok) {
    // The first pages survived; reading further must fail cleanly.
    EXPECT_EQ(f.set(HeaderKeys::DateKey), Err::Ok);
    Err walk = Err::Ok;
    for (int i = 0; i < 600 && walk == Err::Ok; ++i) walk = f.next();
    EXPECT_NE(walk, Err::Ok);
    f.close();
  } else {
    EXPECT_EQ(e, Err::FileSystemError);
  }
  EXPECT_EQ(readAll(dir / "IDX003.TPS"), before);
}

TEST_F(EngineTest, EncryptedTablesNeedTheirOwnerPasswordPlainOnesAreSqlite) {
  NoteRec n{};
  std::string memo;
  File secret(session, noteDecl(), &n, &memo);
  secret.setName(dir / "IDX013.TPS");
  ASSERT_EQ(secret.create(), Err::Ok);
  ASSERT_EQ(secret.open(), Err::Ok);
  n.ID = 1;
  n.TITLE = "Hidden words";
  memo = "nobody should read this text";
  ASSERT_EQ(secret.add(), Err::Ok);
  secret.close();
  const std::string bytes = readAll(dir / "IDX013.TPS");
  EXPECT_EQ(bytes.find("SQLite format 3"), std::string::npos);
  EXPECT_EQ(bytes.find("Hidden words"), std::string::npos);
  EXPECT_EQ(bytes.find("nobody should"), std::string::npos);
  EXPECT_TRUE(engine::checkIntegrity(dir / "IDX013.TPS", "SECRET7").ok());

  // The same declaration without the password cannot read it.
  File plainView(session, noteDecl(""), &n, &memo);
  plainView.setName(dir / "IDX013.TPS");
  EXPECT_EQ(plainView.open(), Err::FileSystemError);

  File plain(session, noteDecl(""), &n, &memo);
  plain.setName(dir / "plain.TPS");
  ASSERT_EQ(plain.create(), Err::Ok);
  ASSERT_EQ(plain.open(), Err::Ok);
  ASSERT_EQ(plain.add(), Err::Ok);
  plain.close();
  EXPECT_EQ(readAll(dir / "plain.TPS").rfind("SQLite format 3", 0), 0u);
}

// An encrypted table of its own page size is read back whole, by itself
// and by the integrity check, and leaves the engine's other encrypted
// tables and their transactions as they were; it cannot join a transaction.
TEST_F(EngineTest, EncryptedTableOfLargePagesKeepsOtherTablesReadable) {
  engine::TableDecl large = noteDecl();
  large.pageSize = engine::kLargestPageSize;
  NoteRec n{};
  std::string memo;
  File big(session, large, &n, &memo);
  big.setName(dir / "IDX010.TPS");
  ASSERT_EQ(big.create(), Err::Ok);
  ASSERT_EQ(big.open(), Err::Ok);
  for (std::uint32_t i = 1; i <= 40; ++i) {
    n.ID = i;
    n.TITLE = "Note " + std::to_string(i);
    memo.assign(1000 + 500 * i, static_cast<char>('a' + i % 26));
    ASSERT_EQ(big.append(), Err::Ok);
  }
  ASSERT_EQ(big.build(), Err::Ok);

  // A table of the engine's page size, opened and written while the large one is open.
  File small(session, noteDecl(), &n, &memo);
  small.setName(dir / "IDX013.TPS");
  ASSERT_EQ(small.create(), Err::Ok);
  ASSERT_EQ(small.open(), Err::Ok);
  HeaderRec r{};
  File header(session, headerDecl(), &r);
  header.setName(dir / "IDX001.TPS");
  ASSERT_EQ(header.create(), Err::Ok);
  ASSERT_EQ(header.open(), Err::Ok);
  ASSERT_EQ(session.logout(5, {&header, &small}), Err::Ok);
  n.ID = 7;
  n.TITLE = "Small";
  memo = "a short text";
  ASSERT_EQ(small.add(), Err::Ok);
  fillHeader(r, 1);
  ASSERT_EQ(header.add(), Err::Ok);
  ASSERT_EQ(session.commit(), Err::Ok);
  EXPECT_EQ(session.logout(5, {&header, &big}), Err::NotSupported);
  big.close();
  small.close();
  header.close();

  EXPECT_EQ(std::filesystem::file_size(dir / "IDX010.TPS") % engine::kLargestPageSize, 0u);
  EXPECT_TRUE(engine::checkIntegrity(dir / "IDX010.TPS", large).ok());
  EXPECT_TRUE(engine::checkIntegrity(dir / "IDX013.TPS", noteDecl()).ok());
  ASSERT_EQ(big.open(), Err::Ok);
  for (std::uint32_t i : {1u, 17u, 40u}) {
    n.ID = i;
    ASSERT_EQ(big.get(NoteKeys::IdKey), Err::Ok) << i;
    EXPECT_EQ(memo, std::string(1000 + 500 * i, static_cast<char>('a' + i % 26))) << i;
  }
  ASSERT_EQ(small.open(), Err::Ok);
  n.ID = 7;
  ASSERT_EQ(small.get(NoteKeys::IdKey), Err::Ok);
  EXPECT_EQ(memo, "a short text");
  // The engine's page size does not read it.
  File wrongSize(session, noteDecl(), &n, &memo);
  wrongSize.setName(dir / "IDX010.TPS");
  EXPECT_EQ(wrongSize.open(), Err::FileSystemError);
}

TEST_F(EngineTest, DeclarationChangeIsReportedWithTheStoredDataSize) {
  HeaderRec r{};
  File f(session, headerDecl(), &r);
  f.setName(dir / "IDX001.TPS");
  ASSERT_EQ(f.create(), Err::Ok);
  ASSERT_EQ(f.open(), Err::Ok);
  for (std::uint32_t i = 1; i <= 10; ++i) {
    fillHeader(r, i);
    ASSERT_EQ(f.add(), Err::Ok);
  }
  f.close();
  engine::TableDecl changed = headerDecl();
  changed.key("Extra", engine::kDuplicates, {"REF"});
  File g(session, changed, &r);
  g.setName(dir / "IDX001.TPS");
  EXPECT_EQ(g.open(), Err::LayoutDiffers);
  EXPECT_EQ(g.storedDataBytes(), 10u * 60u);
}

}  // namespace
}  // namespace qv::test
