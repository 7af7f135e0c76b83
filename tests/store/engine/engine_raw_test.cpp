// The raw block (DOS) and text line (ASCII) drivers.
#include <fstream>

#include "tests/store/engine/engine_fixture.h"

namespace qv::test {
namespace {

using engine::Err;
using engine::File;

TEST_F(EngineTest, BlocksAreReadInDeclaredSizesWithAShortLastOne) {
  std::string content;
  for (int i = 0; i < 250; ++i) content += static_cast<char>(i);
  std::ofstream(dir / "source.bin", std::ios::binary) << content;
  BlockRec blk{};
  File f(session, blockDecl(), &blk);
  f.setName(dir / "source.bin");
  ASSERT_EQ(f.open(engine::OpenMode::ReadOnlyShared), Err::Ok);
  EXPECT_EQ(f.records(), 3);
  ASSERT_EQ(f.set(), Err::Ok);
  std::string back;
  std::vector<std::size_t> sizes;
  while (f.next() == Err::Ok) {
    back.append(blk.CHAR, f.bytes());
    sizes.push_back(f.bytes());
  }
  EXPECT_EQ(f.error(), Err::RecordNotAvailable);
  EXPECT_EQ(back, content);
  EXPECT_EQ(sizes, (std::vector<std::size_t>{100, 100, 50}));
  ASSERT_EQ(f.getPosition(120), Err::Ok);
  EXPECT_EQ(static_cast<unsigned char>(blk.CHAR[0]), 120u);
  EXPECT_EQ(f.bytes(), 100u);
  EXPECT_EQ(f.add(), Err::AccessDenied);  // opened read-only
}

TEST_F(EngineTest, BlocksAreWrittenWithTheirLength) {
  BlockRec blk{};
  File f(session, blockDecl(), &blk);
  f.setName(dir / "out.bin");
  ASSERT_EQ(f.create(), Err::Ok);
  ASSERT_EQ(f.open(), Err::Ok);
  std::memcpy(blk.CHAR, "hello world", 11);
  ASSERT_EQ(f.add(5), Err::Ok);
  ASSERT_EQ(f.add(11), Err::Ok);
  f.close();
  std::ifstream in(dir / "out.bin", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "hellohello world");
}

TEST_F(EngineTest, TextLinesWithEitherLineEndAndOverlongLines) {
  const std::string longLine(100, 'L');
  std::ofstream(dir / "capture.txt", std::ios::binary) << "first\r\nsecond\n\r\n" << longLine << "\nlast";
  LineRec line{};
  File f(session, lineDecl(), &line);
  f.setName(dir / "capture.txt");
  f.setOptions("QUICKSCAN=ON");
  ASSERT_EQ(f.open(engine::OpenMode::ReadOnlyShared), Err::Ok);
  EXPECT_EQ(f.records(), 5);
  ASSERT_EQ(f.set(), Err::Ok);
  std::vector<std::string> lines;
  std::vector<engine::Position> starts;
  while (f.next() == Err::Ok) {
    lines.push_back(std::string(line.LINE.raw().substr(0, f.bytes())));
    starts.push_back(f.position());
  }
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], "first");
  EXPECT_EQ(lines[1], "second");
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(lines[3], std::string(80, 'L'));  // the field holds 80; the rest follows
  EXPECT_EQ(lines[4], std::string(20, 'L'));
  EXPECT_EQ(lines[5], "last");
  ASSERT_EQ(f.getPosition(starts[1]), Err::Ok);
  EXPECT_EQ(line.LINE, "second");

  File out(session, lineDecl(), &line);
  out.setName(dir / "export.txt");
  ASSERT_EQ(out.create(), Err::Ok);
  ASSERT_EQ(out.open(), Err::Ok);
  line.LINE = "one  ";
  ASSERT_EQ(out.add(), Err::Ok);
  line.LINE = "two";
  ASSERT_EQ(out.add(), Err::Ok);
  out.close();
  std::ifstream in(dir / "export.txt", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "one\r\ntwo\r\n");
}

TEST_F(EngineTest, UnregisteredDriversRefuseEveryOperation) {
  engine::TableDecl d = blockDecl();
  d.driver = static_cast<engine::Driver>(99);  // every named kind has a driver by default
  BlockRec blk{};
  File f(session, d, &blk);
  f.setName(dir / "store.dbf");
  EXPECT_EQ(f.open(), Err::NotSupported);
  EXPECT_EQ(f.next(), Err::FileNotOpen);
}

}  // namespace
}  // namespace qv::test
