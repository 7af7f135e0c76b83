// The named domain values are the bytes stored in existing databases: a
// renumbered enumerator would silently reinterpret every stored record.

#include <gtest/gtest.h>

#include "store/domain.h"
#include "store/tables.h"

namespace qv {
namespace {

TEST(DomainValues, KeepTheStoredNumbers) {
  EXPECT_EQ(stored(DatabaseType::Forum), 1);
  EXPECT_EQ(stored(DatabaseType::Mail), 2);
  EXPECT_EQ(stored(DatabaseType::Newsgroup), 3);
  EXPECT_EQ(stored(Status::Normal), 0);
  EXPECT_EQ(stored(Status::Keep), 1);
  EXPECT_EQ(stored(Status::Delete), 2);
  EXPECT_EQ(stored(MailDirection::InBox), 1);
  EXPECT_EQ(stored(MailDirection::OutBox), 2);

  // Both task modes with a task running are unattended; no other byte is.
  for (int b = 0; b < 256; ++b)
    EXPECT_EQ(isUnattended(taskMode(static_cast<std::uint8_t>(b))), b == 2 || b == 6) << b;
}

template <class Record>
void expectStatusInDummy() {
  Record r{};
  for (Status s : {Status::Keep, Status::Delete, Status::Normal}) {
    setStatus(r, s);
    EXPECT_EQ(r.DUMMY, stored(s));
    EXPECT_EQ(statusOf(r), s);
  }
}

TEST(DomainValues, StatusAndDirectionLiveInTheDocumentedFields) {
  expectStatusInDummy<MsgNmbr>();
  expectStatusInDummy<Mail>();
  expectStatusInDummy<Threads>();
  expectStatusInDummy<Sections>();
  expectStatusInDummy<Person>();
  expectStatusInDummy<Forums>();
  expectStatusInDummy<NewHR>();

  NewHR n{};
  n.MAILTYPE = 2;
  EXPECT_EQ(mailDirectionOf(n), MailDirection::OutBox);
  setMailDirection(n, MailDirection::InBox);
  EXPECT_EQ(n.MAILTYPE, 1);
}

}  // namespace
}  // namespace qv
