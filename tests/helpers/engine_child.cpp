// A second process for the engine's tests.
//
//   engine_child hold DIR POSITION SECONDS
//       opens DIR/IDX003.TPS, holds the record at POSITION, prints "held"
//       and keeps the hold for SECONDS.
//   engine_child writer DIR
//       forever: one transaction over DIR/A.TPS, B.TPS and C.TPS (C encrypted)
//       adding the same counter to each; prints "committed" after its first
//       transaction. Meant to be killed.
//   engine_child create DIR ROUNDS TAG
//       the creators' race: for each round, each of four tables R<round>-<k>
//       missing from DIR is created when not found, opened and given one
//       record numbered TAG. Exit 0 when every table could be used.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "store/engine/engine.h"
#include "store/engine/file.h"
#include "store/engine/session.h"
#include "tests/store/engine/create_race.h"
#include "tests/store/engine/test_tables.h"

using namespace qv;
using engine::Err;

namespace {

int hold(const std::string& dir, long pos, int seconds) {
  engine::Engine e;
  engine::Session s(e);
  test::HeaderRec r{};
  engine::File f(s, test::headerDecl(), &r);
  f.setName(dir + "/IDX003.TPS");
  if (f.open() != Err::Ok) return 2;
  f.hold(0);
  if (f.getPosition(pos) != Err::Ok) return 3;
  std::printf("held\n");
  std::fflush(stdout);
  sleep(static_cast<unsigned>(seconds));
  return 0;
}

int writer(const std::string& dir) {
  engine::Engine e;
  engine::Session s(e);
  test::HeaderRec a{}, b{};
  test::NoteRec c{};
  std::string memo;
  engine::File fa(s, test::headerDecl(), &a), fb(s, test::headerDecl(), &b), fc(s, test::noteDecl(), &c, &memo);
  fa.setName(dir + "/A.TPS");
  fb.setName(dir + "/B.TPS");
  fc.setName(dir + "/C.TPS");
  if (fa.open() != Err::Ok || fb.open() != Err::Ok || fc.open() != Err::Ok) return 2;
  // Continue from what the files hold.
  std::uint32_t n = static_cast<std::uint32_t>(fa.records());
  const std::uint32_t first = n + 1;
  for (;;) {
    ++n;
    if (s.logout(5, {&fa, &fb, &fc}) != Err::Ok) return 4;
    a = test::HeaderRec{};
    a.NUMBER = n;
    a.FROMALPHA = "Writer";
    b = a;
    c.ID = n;
    c.TITLE = "note " + std::to_string(n);
    memo.assign(200 + n % 3000, static_cast<char>('a' + n % 26));
    if (fa.add() != Err::Ok || fb.add() != Err::Ok || fc.add() != Err::Ok) return 5;
    // Rewrite an earlier record too, so commits touch old pages.
    if (n > 10) {
      a.NUMBER = n - 10;
      if (fa.get(test::HeaderKeys::IdKey) == Err::Ok) {
        a.DUMMY = static_cast<std::uint8_t>(n % 3);
        if (fa.put() != Err::Ok) return 6;
      }
    }
    if (s.commit() != Err::Ok) return 7;
    if (n == first) {
      std::printf("committed\n");
      std::fflush(stdout);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 5 && std::string(argv[1]) == "hold") return hold(argv[2], std::atol(argv[3]), std::atoi(argv[4]));
  if (argc >= 3 && std::string(argv[1]) == "writer") return writer(argv[2]);
  if (argc >= 5 && std::string(argv[1]) == "create") {
    engine::Engine e;
    const std::string failure =
        test::createAndUseTables(e, argv[2], std::atoi(argv[3]), static_cast<std::uint32_t>(std::atol(argv[4])));
    if (!failure.empty()) std::fprintf(stderr, "%s\n", failure.c_str());
    return failure.empty() ? 0 : 1;
  }
  std::fprintf(stderr, "usage: engine_child hold DIR POSITION SECONDS | writer DIR | create DIR ROUNDS TAG\n");
  return 2;
}
