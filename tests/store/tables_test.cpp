// The declared tables as they reach the disk.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "store/engine/engine.h"
#include "store/engine/file.h"
#include "store/engine/session.h"
#include "store/tables.h"
#include "tests/support/temp_dir.h"

namespace qv::test {
namespace {

// Exactly the owner-protected tables are stored encrypted, under owner
// passwords of their declared lengths: the database list, the counters and
// settings, the numbered texts, the mail headers and the converted messages
// awaiting import. Every other table file is plain SQLite.
TEST(TablesTest, ExactlyTheOwnerProtectedTablesAreStoredEncrypted) {
  const std::map<int, std::size_t> passwordLength = {
      {Forums::FileNo, 7}, {Control::FileNo, 12}, {Neo::FileNo, 12}, {NewHR::FileNo, 12}, {Mail::FileNo, 7}};
  engine::Engine engine;
  engine::Session session{engine};
  TempDir dir;
  std::vector<int> encrypted;
  int files = 0;
  for (int no = 1; no <= 48; ++no) {
    const TableInfo* t = tableInfo(no);
    if (t == nullptr) continue;
    const TableDecl& d = t->decl();
    const auto expected = passwordLength.find(no);
    EXPECT_EQ(d.ownerPassword.size(), expected == passwordLength.end() ? 0u : expected->second) << d.label;
    if (d.driver != engine::Driver::TopSpeed && d.driver != engine::Driver::Dat) continue;

    std::vector<unsigned char> record(d.recordSize);
    std::string memo;
    engine::File f(session, d, record.data(), d.hasMemo() ? &memo : nullptr);
    f.setName(dir.path() / tableFileName(no));
    ASSERT_EQ(f.create(), engine::Err::Ok) << d.label;
    ++files;
    char head[16] = {};
    std::ifstream(f.name(), std::ios::binary).read(head, sizeof head);
    if (std::memcmp(head, "SQLite format 3", 16) != 0) encrypted.push_back(no);
  }
  EXPECT_GT(files, 25);
  std::vector<int> protectedTables;
  for (const auto& [no, length] : passwordLength) protectedTables.push_back(no);
  EXPECT_EQ(encrypted, protectedTables);
}

}  // namespace
}  // namespace qv::test
