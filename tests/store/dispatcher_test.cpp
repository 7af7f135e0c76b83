// The table dispatcher: use counts, the opening ladder's repairs and its
// messages, and the path check.
#include "store/dispatcher.h"

#include <fstream>
#include <random>

#include "store/engine/integrity.h"
#include "store/halt.h"
#include "tests/store/store_fixture.h"

namespace qv::test {
namespace {

using engine::Err;

class DispatcherTest : public StoreTest {
 protected:
  std::filesystem::path dbFile(const char* name) { return home.path() / "F1" / name; }

  // Writes a table file under `path` with an outdated layout: `records`
  // records of `size` bytes each.
  void writeOutdated(const std::filesystem::path& path, std::size_t size, int records) {
    engine::TableDecl d = makeDecl("Codes", "COD", 1, engine::Driver::TopSpeed, size);
    d.fields = {engine::FieldDecl{"OLD", 0, size, engine::FieldType::Raw}};
    std::vector<unsigned char> rec(size, 0);
    engine::Session s(lib.engine);
    engine::File f(s, d, rec.data());
    f.setName(path);
    ASSERT_EQ(f.remove(), Err::Ok);  // create() never replaces a table
    ASSERT_EQ(f.create(), Err::Ok);
    ASSERT_EQ(f.open(), Err::Ok);
    for (int i = 0; i < records; ++i) {
      rec[0] = static_cast<unsigned char>(i);
      ASSERT_EQ(f.add(), Err::Ok);
    }
  }

  // Runs `work`, which must stop the program; returns the reason.
  template <class Work>
  std::string stops(Work work) {
    try {
      work();
    } catch (const Halt& h) {
      return h.what();
    }
    ADD_FAILURE() << "the program did not stop";
    return {};
  }
};

TEST_F(DispatcherTest, OpeningCountsAndCreatesMissingFiles) {
  OP_CLOSE(*ctx, kOpOpen, {Codes::FileNo, Forums::FileNo});
  EXPECT_TRUE(std::filesystem::exists(dbFile("IDX001.TPS")));
  EXPECT_TRUE(std::filesystem::exists(home.path() / "CFG" / "IDX002.TPS"));
  EXPECT_EQ(ctx->FileName, home.path() / "CFG" / "IDX002.TPS");
  OP_CLOSE(*ctx, kOpOpen, {Codes::FileNo});
  OP_CLOSE(*ctx, kOpRelease, {Codes::FileNo});
  EXPECT_TRUE(ctx->fileOf<Codes>().isOpen());
  OP_CLOSE(*ctx, kOpRelease, {Codes::FileNo});
  EXPECT_FALSE(ctx->fileOf<Codes>().isOpen());
  // Releasing what is closed leaves it closed.
  OP_CLOSE(*ctx, kOpRelease, {Codes::FileNo});
  EXPECT_EQ(ctx->useCount[Codes::FileNo], 0u);
  // The word index's own tables are passed over.
  OP_CLOSE(*ctx, kOpOpen, {WordList::FileNo, MasIdx::FileNo});
  EXPECT_FALSE(ctx->fileOf<WordList>().isOpen());
  EXPECT_EQ(ctx->useCount[WordList::FileNo], 0u);
  EXPECT_TRUE(ui.shown.empty());
}

TEST_F(DispatcherTest, UnknownFileNumberStopsTheProgram) {
  EXPECT_EQ(stops([&] { OP_CLOSE(*ctx, kOpOpen, {14}); }), "Program Failure!");
  EXPECT_EQ(ui.last().title, "Program Failure!");
  EXPECT_EQ(ui.last().text, "File no 14 not defined!\r\nQuorvel will terminate!");
}

TEST_F(DispatcherTest, SmallOutdatedFilesAreReplacedLargerOnesStop) {
  writeOutdated(dbFile("IDX001.TPS"), 343, 3);  // 1029 bytes of records
  OP_CLOSE(*ctx, kOpOpen, {Codes::FileNo});
  EXPECT_EQ(ctx->fileOf<Codes>().records(), 0);
  EXPECT_TRUE(ui.shown.empty());
  OP_CLOSE(*ctx, kOpForceClose, {Codes::FileNo});

  writeOutdated(dbFile("IDX001.TPS"), 103, 10);  // 1030 bytes of records
  EXPECT_EQ(stops([&] { OP_CLOSE(*ctx, kOpOpen, {Codes::FileNo}); }), " File Open Error - Invalid record declaration");
  EXPECT_EQ(ui.last().text, "The file " + dbFile("IDX001.TPS").string() +
                                " cannot be opened\r\nas the file definition is incorrect.\r\nQuorvel will terminate.");
  // The file the program could not use is left as it was.
  engine::TableDecl d = makeDecl("Codes", "COD", 1, engine::Driver::TopSpeed, 103);
  d.fields = {engine::FieldDecl{"OLD", 0, 103, engine::FieldType::Raw}};
  std::vector<unsigned char> rec(103);
  engine::Session s(lib.engine);
  engine::File f(s, d, rec.data());
  f.setName(dbFile("IDX001.TPS"));
  ASSERT_EQ(f.open(), Err::Ok);
  EXPECT_EQ(f.records(), 10);
}

TEST_F(DispatcherTest, ForeignFileInADatabaseDirectoryStopsAndIsLeftAlone) {
  std::string junk(4096, '\0');
  std::mt19937 rng(3);
  for (char& c : junk) c = static_cast<char>(rng());
  std::ofstream(dbFile("IDX003.TPS"), std::ios::binary) << junk;
  OP_CLOSE(*ctx, kOpOpen, {Person::FileNo});  // a neighbour, created normally
  EXPECT_EQ(stops([&] { OP_CLOSE(*ctx, kOpOpen, {MsgNmbr::FileNo}); }), "File Open Error");
  EXPECT_EQ(ui.last().text.rfind("The file " + dbFile("IDX003.TPS").string() + " cannot be opened.\r\nError no 90\r\n", 0),
            0u)
      << ui.last().text;
  EXPECT_NE(ui.last().text.find("\r\nQuorvel will terminate."), std::string::npos);
  std::ifstream in(dbFile("IDX003.TPS"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), junk);
  EXPECT_TRUE(ctx->fileOf<Person>().isOpen());
  EXPECT_TRUE(engine::checkIntegrity(dbFile("IDX005.TPS"), "").ok());
}

TEST_F(DispatcherTest, MissingDirectoryAndBlankNamesStop) {
  ctx->mem.Dirnamn = "F9";
  EXPECT_EQ(stops([&] { OP_CLOSE(*ctx, kOpOpen, {Threads::FileNo}); }),
            "Check your directory setup in Preferences and run File/Rebuild.");
  EXPECT_EQ(ui.last().title, "Path Not Found");
  EXPECT_EQ(ui.last().text, "The path " + (home.path() / "F9").string() + " does not exist.\r\nQuorvel will terminate.");
  ctx->FileTmpName.clear();
  EXPECT_EQ(stops([&] { OP_CLOSE(*ctx, kOpOpen, {DOS::FileNo}); }), "Invalid File Name Error");
  EXPECT_EQ(ui.last().text,
            "The file  cannot be opened.\r\nThe filename is not a valid DOS file name or the path does not exist "
            "\r\nQuorvel will terminate.");
}

TEST_F(DispatcherTest, FilesInUseOrImpossibleToCreateStop) {
  // Held exclusively by another thread of work.
  auto other = newContext();
  OP_CLOSE(*other, kOpOpenExclusive, {Threads::FileNo});
  EXPECT_EQ(stops([&] { OP_CLOSE(*ctx, kOpOpen, {Threads::FileNo}); }),
            "Check your network access rights or the possible need for SHARE or VSHARE");
  EXPECT_EQ(ui.last().title, " File Open Error - Access denied");
  EXPECT_EQ(ui.last().text, "The file " + dbFile("IDX007.TPS").string() + " cannot be opened!\r\nQuorvel will terminate.");
  OP_CLOSE(*other, kOpRelease, {Threads::FileNo});
  OP_CLOSE(*ctx, kOpOpen, {Threads::FileNo});
  EXPECT_TRUE(ctx->fileOf<Threads>().isOpen());

  // A missing file that cannot be made (a directory stands where its lock
  // companion must go).
  std::filesystem::create_directories(dbFile("IDX006.TPS.lck") / "in-the-way");
  EXPECT_EQ(stops([&] { OP_CLOSE(*ctx, kOpOpen, {Sections::FileNo}); }), "File Open Error");
  EXPECT_EQ(ui.last().text, "The file " + dbFile("IDX006.TPS").string() +
                                " is missing!\r\nThis file cannot be created by the program\r\nand Quorvel will terminate.");
}

TEST_F(DispatcherTest, DamagedKeysAreRebuiltWithANoticeUnlessUnattended) {
  for (int round = 0; round < 2; ++round) {
    OP_CLOSE(*ctx, kOpOpen, {SIndex::FileNo});
    ctx->sin.ID = 5;
    ctx->sin.MSGNUMBER = static_cast<std::uint32_t>(round + 1);
    ASSERT_EQ(ctx->fileOf<SIndex>().append(), Err::Ok);  // keys left to be built
    OP_CLOSE(*ctx, kOpRelease, {SIndex::FileNo});
    ui.clear();
    ctx->mem.DoTask = round == 0 ? 0 : 2;
    OP_CLOSE(*ctx, kOpOpen, {SIndex::FileNo});
    if (round == 0) {
      ASSERT_EQ(ui.shown.size(), 1u);
      EXPECT_EQ(ui.last().title, "File Open Error - Bad keys");
      EXPECT_EQ(ui.last().text, "The file " + dbFile("IDX009.TPS").string() +
                                    " cannot be opened\r\ndue to corrupted indices.\r\nAutomatic rebuild will take place.");
    } else {
      EXPECT_TRUE(ui.shown.empty());
    }
    ctx->sin.MSGNUMBER = static_cast<std::uint32_t>(round + 1);
    EXPECT_EQ(ctx->fileOf<SIndex>().get(SIndex::IdKey), Err::Ok);
    OP_CLOSE(*ctx, kOpRelease, {SIndex::FileNo});
  }
}

TEST_F(DispatcherTest, EmptyRemoveAndProbe) {
  OP_CLOSE(*ctx, kOpOpen, {SIndex::FileNo});
  ctx->sin.ID = 1;
  ASSERT_EQ(ctx->fileOf<SIndex>().add(), Err::Ok);
  OP_CLOSE(*ctx, kOpEmpty, {SIndex::FileNo});
  EXPECT_FALSE(ctx->fileOf<SIndex>().isOpen());
  OP_CLOSE(*ctx, kOpOpen, {SIndex::FileNo});
  EXPECT_EQ(ctx->fileOf<SIndex>().records(), 0);
  OP_CLOSE(*ctx, kOpRemove, {SIndex::FileNo});
  EXPECT_FALSE(std::filesystem::exists(dbFile("IDX009.TPS")));
  EXPECT_EQ(ctx->useCount[SIndex::FileNo], 0u);

  // A probe that meets a layout it does not know marks indexing as running.
  writeOutdated(dbFile("IDX001.TPS"), 10, 1);
  EXPECT_EQ(lib.IndexingInProgress.load(), 0);
  OP_CLOSE(*ctx, kOpProbe, {Codes::FileNo});
  EXPECT_EQ(lib.IndexingInProgress.load(), 1);
  EXPECT_TRUE(std::filesystem::exists(dbFile("IDX001.TPS")));
}

TEST_F(DispatcherTest, ExistPathTestsCreatesAndIsQuietWhenAsked) {
  EXPECT_EQ(ExistPath(*ctx, kPathTest, home.path() / "F1"), 1);
  EXPECT_EQ(ExistPath(*ctx, kPathTest, std::filesystem::path("relative/dir")), 0);
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(ExistPath(*ctx, kPathTest, home.path() / "nothing", "Choose another one."), 0);
  EXPECT_EQ(ui.last().title, " Path Not Found");
  EXPECT_EQ(ui.last().text, "The specified path " + (home.path() / "nothing").string() +
                                " does not exist.\r\nChoose another one.");
  EXPECT_EQ(ui.beeps, 1);
  ui.clear();
  EXPECT_EQ(ExistPath(*ctx, kPathCreate, home.path() / "made" / "here", {}, true), 0);
  EXPECT_TRUE(std::filesystem::is_directory(home.path() / "made" / "here"));
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(ExistPath(*ctx, kTableDirTest, MsgNmbr::FileNo), 1);
}

}  // namespace
}  // namespace qv::test

namespace qv::test {
namespace {

// Another program's store is only read: a missing one is not made.
TEST_F(DispatcherTest, MissingSourceStoresAreNotCreated) {
  ctx->FileTmpName = home.path() / "RECV.DBF";
  EXPECT_THROW(OP_CLOSE(*ctx, kOpOpen, {HRE::FileNo}), Halt);
  EXPECT_FALSE(std::filesystem::exists(home.path() / "RECV.DBF"));
  EXPECT_EQ(ui.last().title, "File Open Error");
}

}  // namespace
}  // namespace qv::test
