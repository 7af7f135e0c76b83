#pragma once
// What the in-process benchmarks share: a data home as the program starts on
// it, a UI port that answers every question with its safe answer, and the
// figures read from the process and the disk.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "store/config.h"
#include "store/context.h"
#include "store/database_list.h"
#include "store/dispatcher.h"
#include "store/persons.h"
#include "store/table_use.h"
#include "store/utilities.h"

namespace qv::bench {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

inline double msSince(Clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

class QuietUi : public UiPort {
 public:
  void message(std::string_view title, std::string_view text, MessageKind) override {
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(title.size()), title.data(), static_cast<int>(text.size()),
                 text.data());
  }
  Button ask(std::string_view, std::string_view, unsigned, Button safe) override { return safe; }
  void progress(const ProgressReport&) override {}
  void beep() override { ++beeps; }
  int beeps = 0;
};

// A data home as the program starts on it: its directories, the library's
// procedures, the settings loaded.
struct Home {
  QuietUi ui;
  std::unique_ptr<Library> lib;
  std::unique_ptr<Context> ctx;

  explicit Home(const fs::path& dir) {
    fs::create_directories(dir / "CFG");
    fs::create_directories(dir / "TEMP");
    lib = std::make_unique<Library>(ui);
    registerLibraryProcedures(*lib);
    registerPersonProcedures(*lib);
    MemGroup mem;
    mem.Net = dir;
    mem.FileDir = dir;
    mem.TempDir = dir / "TEMP";
    lib->publish(mem, dir);
    ctx = std::make_unique<Context>(*lib);
    if (loadSettings(*ctx) != 1) std::exit(1);
  }

  // Adds Jane Smith's mail database to the list; its identifier.
  std::uint32_t addMailDatabase() {
    MailDatabaseForm form;
    form.name = "Jane Smith";
    form.address = "jane@example.org";
    std::uint32_t n = NextDirNumber(*ctx);
    if (!AddMailDatabase(*ctx, form, n)) std::exit(2);
    return ctx->for_.ID;
  }

  // Makes the database of the list named `name` the active one; false when
  // there is none.
  bool activate(std::string_view name) {
    TableUse use(*ctx, {Forums::FileNo});
    ctx->for_ = Forums{};
    ctx->for_.DESCRIPTION = name;
    if (ctx->fileOf<Forums>().get(Forums::AlphaKey) != engine::Err::Ok) return false;
    setDatabaseGlobals(ctx->mem, ctx->for_);
    return true;
  }

  // Makes database `id` of the list the active one.
  void activate(std::uint32_t id) {
    TableUse use(*ctx, {Forums::FileNo});
    ctx->for_ = Forums{};
    ctx->for_.ID = id;
    if (ctx->fileOf<Forums>().get(Forums::ForumKey) != engine::Err::Ok) std::exit(2);
    setDatabaseGlobals(ctx->mem, ctx->for_);
  }
};

// A message text of 2 KB, numbered.
inline std::string benchText(std::uint32_t i) {
  std::string t = "Message " + std::to_string(i) + "\r\n";
  while (t.size() < 2048) t += "The quick brown fox jumps over the lazy dog, again and again. ";
  t.resize(2048);
  return t;
}

inline std::uintmax_t directoryBytes(const fs::path& dir) {
  std::uintmax_t n = 0;
  std::error_code ec;
  for (const auto& e : fs::recursive_directory_iterator(dir, ec))
    if (e.is_regular_file(ec)) n += e.file_size(ec);
  return n;
}

inline std::string statusLine(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(field, 0) == 0) {
      const std::size_t v = line.find_first_not_of(" \t", std::strlen(field));
      return v == std::string::npos ? line : line.substr(v);
    }
  return "?";
}

}  // namespace qv::bench
