// The thread tree built from imported forum messages: which message hangs
// where, in what order, and what each line says.
#include <gtest/gtest.h>

#include "browse/thread_tree.h"
#include "store/config.h"
#include "store/table_use.h"
#include "tests/wordindex/index_fixture.h"

namespace qv::test {
namespace {

using browse::ThreadTree;
using browse::TreeIcon;
using browse::TreeUpdate;

// A message of the thread "Printers" in section 1 of the forum "Club".
// Messages of one subject in one section share a thread at import, so
// every message below lands in the same thread whatever it answers.
std::string message(int number, int reference, const std::string& sender = "Ann Lee",
                    const std::string& subject = "Printers", const std::string& date = "1995-03-01") {
  return "F|Club|1|General|" + std::to_string(number) + "|" + std::to_string(reference) + "|" + subject + "|" +
         sender + "|70001," + std::to_string(number) + "|All||" + date + "|10:00|text of " +
         std::to_string(number) + "\n";
}

struct Node {
  std::uint32_t message;
  int level;
  TreeIcon icon;
  friend bool operator==(const Node&, const Node&) = default;
  friend std::ostream& operator<<(std::ostream& os, const Node& n) {
    return os << "{" << n.message << ", level " << n.level << ", icon " << static_cast<int>(n.icon) << "}";
  }
};

class ThreadTreeTest : public IndexTest {
 protected:
  // The tree's lines after the blank first line, which is checked here too.
  std::vector<Node> nodes(const ThreadTree& tree) {
    std::vector<Node> out;
    const auto& lines = tree.lines();
    EXPECT_FALSE(lines.empty());
    if (lines.empty()) return out;
    EXPECT_EQ(lines[0], browse::TreeLine{});
    for (std::size_t i = 1; i < lines.size(); ++i) out.push_back({lines[i].message, lines[i].level, lines[i].icon});
    return out;
  }
  // Rewrites a stored message's reference, as data from older versions
  // may hold it (the import never stores a reference to the message itself).
  void setReference(std::uint32_t number, std::uint32_t reference) {
    TableUse tables(*ctx, {MsgNmbr::FileNo});
    ctx->msg = MsgNmbr{};
    ctx->msg.MSGNUMBER = number;
    ASSERT_EQ(ctx->fileOf<MsgNmbr>().get(MsgNmbr::IdKey), engine::Err::Ok);
    ctx->msg.REFNUMBER = reference;
    ASSERT_EQ(ctx->fileOf<MsgNmbr>().put(), engine::Err::Ok);
  }
  void erasePersonOf(std::uint32_t number) {
    TableUse tables(*ctx, {MsgNmbr::FileNo, Person::FileNo});
    ctx->msg = MsgNmbr{};
    ctx->msg.MSGNUMBER = number;
    ASSERT_EQ(ctx->fileOf<MsgNmbr>().get(MsgNmbr::IdKey), engine::Err::Ok);
    ctx->per = Person{};
    ctx->per.PERSONID = ctx->msg.FROMID;
    ASSERT_EQ(ctx->fileOf<Person>().get(Person::PersonKey), engine::Err::Ok);
    ASSERT_EQ(ctx->fileOf<Person>().erase(), engine::Err::Ok);
  }
  void setGeneral(int item, std::int32_t value) {
    std::string unused;
    ASSERT_EQ(Konfig(*ctx, kKonfigSetGeneral, item, value, 0, unused), kSettingsDone);
  }
};

TEST_F(ThreadTreeTest, RepliesToMessagesOutsideTheThreadAreRootsInNumberOrder) {
  importForum(message(32, 900) + message(30, 901) + message(31, 902));
  ThreadTree tree(*ctx);
  ASSERT_EQ(tree.showThreadOf(31), TreeUpdate::Rebuilt);
  EXPECT_EQ(nodes(tree), (std::vector<Node>{{30, 0, TreeIcon::File}, {31, 0, TreeIcon::File}, {32, 0, TreeIcon::File}}));
  EXPECT_EQ(tree.deepestLevel(), 1);
}

TEST_F(ThreadTreeTest, RepliesFollowTheirMessageInNumberOrderEachWithItsSubtree) {
  // 15 answers itself and 14 a message that is not stored: both are roots.
  importForum(message(10, 0) + message(12, 10) + message(11, 10) + message(16, 12) + message(13, 11) +
              message(14, 99) + message(15, 0) + message(17, 13));
  setReference(15, 15);
  ThreadTree tree(*ctx);
  ASSERT_EQ(tree.showThreadOf(10), TreeUpdate::Rebuilt);
  EXPECT_EQ(nodes(tree), (std::vector<Node>{{10, 0, TreeIcon::File},
                                            {11, 1, TreeIcon::Folder},
                                            {13, 2, TreeIcon::Folder},
                                            {17, 3, TreeIcon::Folder},
                                            {12, 1, TreeIcon::Folder},
                                            {16, 2, TreeIcon::Folder},
                                            {14, 0, TreeIcon::File},
                                            {15, 0, TreeIcon::File}}));
  EXPECT_EQ(tree.deepestLevel(), 4);
  EXPECT_EQ(tree.lineOf(16), 6u);
  EXPECT_EQ(tree.lineOf(99), std::nullopt);
}

TEST_F(ThreadTreeTest, ReplyLoopsShowEveryMessageOnce) {
  // 40 and 41 answer each other; 50 → 52 → 51 → 50 is a ring with 53
  // answering 52. No message of either is a root by its reference.
  importForum(message(40, 41) + message(41, 40) + message(50, 52) + message(51, 50) + message(52, 51) +
              message(53, 52));
  ThreadTree tree(*ctx);
  ASSERT_EQ(tree.showThreadOf(53), TreeUpdate::Rebuilt);
  EXPECT_EQ(nodes(tree), (std::vector<Node>{{40, 0, TreeIcon::File},
                                            {41, 1, TreeIcon::Folder},
                                            {50, 0, TreeIcon::File},
                                            {51, 1, TreeIcon::Folder},
                                            {52, 2, TreeIcon::Folder},
                                            {53, 3, TreeIcon::Folder}}));
}

TEST_F(ThreadTreeTest, LineTextsFollowTheItemAndDateFormatSettings) {
  importForum(message(10, 0, "Ann Lee", "Printers", "1995-03-01") + message(11, 10, "Bob", "Printers", "1996-12-24"));
  struct Case {
    std::int32_t format;
    std::int32_t dateFormat;
    std::string root;
    std::string reply;
  };
  const Case cases[] = {
      {1, 10, "Ann Lee", " Bob"},
      {2, 10, "Ann Lee 10", " Bob 11"},
      {3, 2, "Ann Lee 03-01-1995", " Bob 12-24-1996"},
      {4, 10, "Ann Lee 10 1995-03-01", " Bob 11 1996-12-24"},
      {5, 6, "Ann Lee 01-03-1995 10", " Bob 24-12-1996 11"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("format " + std::to_string(c.format));
    setGeneral(kItemTreeItemFormat, c.format);
    setGeneral(kItemDateFormat, c.dateFormat);
    ThreadTree tree(*ctx);  // the settings are read when the tree is built
    ASSERT_EQ(tree.showThreadOf(11), TreeUpdate::Rebuilt);
    ASSERT_EQ(tree.lines().size(), 3u);
    EXPECT_EQ(tree.lines()[1].text, c.root);
    EXPECT_EQ(tree.lines()[2].text, c.reply);
  }

  // A sender whose person is gone has a blank name.
  erasePersonOf(11);
  setGeneral(kItemTreeItemFormat, 2);
  ThreadTree tree(*ctx);
  ASSERT_EQ(tree.showThreadOf(11), TreeUpdate::Rebuilt);
  EXPECT_EQ(tree.lines()[2].text, " 11");
}

TEST_F(ThreadTreeTest, MovingWithinTheThreadDoesNotRebuild) {
  importForum(message(10, 0) + message(11, 10) + message(20, 0, "Ann Lee", "Modems"));
  ThreadTree tree(*ctx);
  ASSERT_EQ(tree.showThreadOf(10), TreeUpdate::Rebuilt);
  const std::optional<std::uint32_t> printers = tree.threadNumber();
  ASSERT_TRUE(printers.has_value());
  EXPECT_EQ(tree.showThreadOf(11), TreeUpdate::SameThread);
  EXPECT_EQ(tree.lineOf(11), 2u);

  // Another thread is built; an unknown message leaves it shown.
  ASSERT_EQ(tree.showThreadOf(20), TreeUpdate::Rebuilt);
  EXPECT_NE(tree.threadNumber(), printers);
  EXPECT_EQ(nodes(tree), (std::vector<Node>{{20, 0, TreeIcon::File}}));
  EXPECT_EQ(tree.showThreadOf(12345), TreeUpdate::NoSuchMessage);
  EXPECT_EQ(nodes(tree), (std::vector<Node>{{20, 0, TreeIcon::File}}));
  EXPECT_EQ(tree.showThreadOf(10), TreeUpdate::Rebuilt);
  EXPECT_EQ(tree.threadNumber(), printers);
}

}  // namespace
}  // namespace qv::test
