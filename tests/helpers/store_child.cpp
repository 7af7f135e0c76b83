// A second process for the store's tests.
//
//   store_child nextnr HOME COUNT
//       takes COUNT identifiers from the counter of the data home HOME and
//       prints each on a line of its own.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "store/context.h"
#include "store/records.h"

namespace {

class SilentUi : public qv::UiPort {
 public:
  void message(std::string_view title, std::string_view text, qv::MessageKind) override {
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(title.size()), title.data(), static_cast<int>(text.size()),
                 text.data());
  }
  qv::Button ask(std::string_view, std::string_view, unsigned, qv::Button safe) override { return safe; }
  void progress(const qv::ProgressReport&) override {}
  void beep() override {}
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || std::string(argv[1]) != "nextnr") {
    std::fprintf(stderr, "usage: store_child nextnr HOME COUNT\n");
    return 2;
  }
  SilentUi ui;
  qv::Library lib(ui);
  qv::MemGroup mem;
  mem.Net = argv[2];
  mem.FileDir = argv[2];
  mem.TempDir = std::string(argv[2]) + "/TEMP";
  lib.publish(mem, argv[2]);
  qv::Context ctx(lib);
  const int count = std::atoi(argv[3]);
  for (int i = 0; i < count; ++i) {
    const std::uint32_t id = qv::NextNr(ctx);
    if (id == 0) return 3;
    std::printf("%u\n", id);
  }
  std::printf("done\n");
  return 0;
}
