// A second process for the import's crash and lock tests: runs one import of
// the test line format into the data home HOME, reading FILE... from SOURCES.
//
//   import_child [--hold] HOME SOURCES MAILDB FILE...
//
// Forum, mail and newsgroup messages are imported; MAILDB is the mail
// database's identifier. Prints "done" when the run has ended. With --hold
// the run stops after its first file is converted, prints "held" and waits
// there until it is killed.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "import/driver.h"
#include "store/config.h"
#include "store/persons.h"
#include "store/utilities.h"
#include "tests/import/line_reader.h"

namespace {

class QuietUi : public qv::UiPort {
 public:
  void message(std::string_view, std::string_view, qv::MessageKind) override {}
  qv::Button ask(std::string_view, std::string_view, unsigned, qv::Button safe) override { return safe; }
  void progress(const qv::ProgressReport&) override {}
  void beep() override {}
};

}  // namespace

int main(int argc, char** argv) {
  const bool hold = argc > 1 && std::string(argv[1]) == "--hold";
  if (hold) {
    --argc;
    ++argv;
  }
  if (argc < 5) {
    std::fprintf(stderr, "usage: import_child [--hold] HOME SOURCES MAILDB FILE...\n");
    return 2;
  }
  QuietUi ui;
  qv::Library lib(ui);
  qv::registerLibraryProcedures(lib);
  qv::registerPersonProcedures(lib);
  qv::test::registerLineReader(lib);
  qv::MemGroup mem;
  mem.Net = argv[1];
  mem.FileDir = argv[1];
  mem.TempDir = std::string(argv[1]) + "/TEMP";
  lib.publish(mem, argv[1]);
  qv::Context ctx(lib);
  if (qv::loadSettings(ctx) != 1) return 3;
  qv::ImportSettings s;
  s.format = "Generic Mail Type 2";
  s.method = qv::kSelectFiles;
  s.path = argv[2];
  for (int i = 4; i < argc; ++i) s.files.push_back(argv[i]);
  s.forum = s.mail = s.news = true;
  s.mailDatabase = static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 10));
  qv::ImportJob job(ctx, s);
  if (hold) {
    job.onFileConverted = [](const qv::SourceFile&) {
      std::printf("held\n");
      std::fflush(stdout);
      for (;;) ::pause();
    };
  }
  qv::runToEnd(job);
  std::printf("done %llu\n", static_cast<unsigned long long>(job.summary().imported));
  return job.summary().completed ? 0 : 1;
}
