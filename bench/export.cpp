// The message writer against the import's reading of the same files.
//
// A reader made for the benchmark fills a forum, a mail and a newsgroup
// database with N messages each (2 KB texts, 2,000 threads, 500 persons).
// Each format then exports its database whole (CopyMsg, selection "all",
// wrap on at 78); printed are the seconds, messages per second and MB/s of
// the files written. In the same run, the import's conversion of those very
// files (its reader filling the temporary message file, the merge left out)
// gives the reading side in MB/s; the ratio export/import says whether the
// export keeps up with the import (goal: 1 or more). dBase III has no reader
// of its own layout, so it has no ratio.
//
//   bench_export [messages per database] [directory]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "export/copy_msg.h"
#include "bench/bench_home.h"
#include "bench/generating_reader.h"
#include "import/driver.h"
#include "readers/registry.h"
#include "store/config.h"
#include "store/database_list.h"
#include "store/dispatcher.h"
#include "store/persons.h"
#include "store/utilities.h"

namespace {

using namespace qv;
namespace fs = std::filesystem;
using bench::Clock;
using bench::Home;

// Seconds of the import's conversion of `files` (in `dir`) in `format`.
double importReading(const fs::path& home, const std::string& format, const fs::path& dir,
                     std::vector<std::string> files, bool mail) {
  Home h(home);
  const std::uint32_t mailDb = h.addMailDatabase();
  registerAllReaders(*h.lib);
  ImportSettings s;
  s.format = format;
  s.method = kSelectFiles;
  s.path = dir;
  s.files = std::move(files);
  s.forum = s.news = true;
  s.mail = mail;
  s.mailDatabase = mailDb;
  if (!mail) {
    if (!AddForumDatabase(*h.ctx, "Bench Forum")) std::exit(5);
    s.forumDatabase = h.ctx->for_.ID;
  }
  Context ctx(*h.lib);
  ImportJob job(ctx, s);
  const auto t0 = Clock::now();
  while (!job.step())
    if (job.progress().text == "Importing messages") break;  // the conversion is over; the merge is left out
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
  const std::uint32_t count = argc > 1 ? static_cast<std::uint32_t>(std::atoi(argv[1])) : 100000;
  const fs::path dir = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "qv-bench-export";
  fs::remove_all(dir);

  Home home(dir / "home");
  const std::uint32_t mailDb = home.addMailDatabase();
  registerReader(*home.lib, "Generic Mail Type 2", [count] {
    return std::make_unique<bench::GeneratingReader>(count, bench::GeneratingReader::Kinds::ForumMailAndNews);
  });
  fs::create_directories(dir / "sources");
  {
    std::FILE* f = std::fopen((dir / "sources" / "bench.txt").c_str(), "w");
    if (f) std::fclose(f);
  }
  {
    ImportSettings s;
    s.format = "Generic Mail Type 2";
    s.method = kSelectFiles;
    s.path = dir / "sources";
    s.files = {"bench.txt"};
    s.forum = s.mail = s.news = true;
    s.mailDatabase = mailDb;
    Context ctx(*home.lib);
    ImportJob job(ctx, s);
    runToEnd(job);
    if (!job.summary().completed || job.summary().imported != 3ull * count) {
      std::fprintf(stderr, "import: %s\n", job.summary().outcome.c_str());
      return 4;
    }
  }

  struct Case {
    const char* label;
    const char* database;
    ExportFormat format;
    const char* importFormat;  // nullptr: no reader of this layout
    bool mail;
  };
  const Case cases[] = {
      {"TAPCIS (forum)", "BENCH FORUM", ExportFormat::Tapcis, "TAPCIS 6.x", false},
      {"OzWin II (forum)", "BENCH FORUM", ExportFormat::OzWin, "OzWin II", false},
      {"Eudora (mail)", "JANE SMITH", ExportFormat::Eudora, "Eudora", true},
      {"Generic Mail Type 1 (mail)", "JANE SMITH", ExportFormat::GenericMail1, "Generic Mail Type 1", true},
      {"Generic Mail Type 2 (mail)", "JANE SMITH", ExportFormat::GenericMail2, "Generic Mail Type 2", true},
      {"Unix News (newsgroup)", "BENCH.NEWS", ExportFormat::UnixNews, "Unix News", false},
      {"dBase III (forum)", "BENCH FORUM", ExportFormat::DBase3, nullptr, false},
  };
  std::printf("%u messages per database, 2 KB texts, wrap at 78\n", count);
  std::printf("%-28s %9s %12s %10s %14s %8s\n", "format", "seconds", "messages/s", "MB/s", "import MB/s", "ratio");
  int n = 0;
  for (const Case& c : cases) {
    if (!home.activate(c.database)) {
      std::fprintf(stderr, "no database %s\n", c.database);
      return 6;
    }
    exporting::CopyRequest r;
    r.format = c.format;
    r.code = exporting::SelectionCode::All;
    r.files = c.mail ? exporting::ExportFiles{"in" + std::to_string(n) + ".mbx", "out" + std::to_string(n) + ".mbx"}
                     : exporting::ExportFiles{
                           "file" + std::to_string(n) + (c.format == ExportFormat::DBase3 ? ".DBF" : ".txt"), {}};
    ++n;
    exporting::CopyMsg job(*home.ctx, r);
    const auto t0 = Clock::now();
    runToEnd(job);
    const double s = std::chrono::duration<double>(Clock::now() - t0).count();
    if (job.result() != exporting::CopyResult::Done || job.exported() != count) {
      std::fprintf(stderr, "%s: export ended with %llu messages\n", c.label,
                   static_cast<unsigned long long>(job.exported()));
      return 7;
    }
    std::uint64_t bytes = 0;
    std::vector<std::string> names;
    for (const fs::path& p : job.written()) {
      bytes += fs::file_size(p);
      const std::string ext = p.extension().string();
      if (ext != ".TOC" && ext != ".PCE") names.push_back(p.filename().string());
    }
    const double mbs = static_cast<double>(bytes) / 1e6 / s;
    if (c.importFormat == nullptr) {
      std::printf("%-28s %9.2f %12.0f %10.1f %14s %8s\n", c.label, s, count / s, mbs, "-", "-");
      continue;
    }
    std::uint64_t read = 0;
    for (const std::string& name : names) read += fs::file_size(home.ctx->mem.TempDir / name);
    const double rs =
        importReading(dir / ("import" + std::to_string(n)), c.importFormat, home.ctx->mem.TempDir, names, c.mail);
    const double imbs = static_cast<double>(read) / 1e6 / rs;
    std::printf("%-28s %9.2f %12.0f %10.1f %14.1f %8.2f\n", c.label, s, count / s, mbs, imbs, mbs / imbs);
    fs::remove_all(dir / ("import" + std::to_string(n)));
  }
  fs::remove_all(dir);
  return 0;
}
