// The import's merge against plain adds of the same records.
//
// A reader made for the benchmark converts 100,000 forum messages (2,000
// threads, 500 persons, 2 KB texts) and 100,000 mails into the temporary
// message file; the import driver then merges them into a forum and a mail
// database. The baseline, in the same run: plain engine adds of the same
// message and text records (and mail and text records) into fresh tables,
// with the same commits every 400 records, without any lookup. Printed:
// messages per second of each and the merge/baseline ratio (goal: 3).
//
//   bench_import_merge [messages per kind] [directory]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/bench_home.h"
#include "bench/generating_reader.h"
#include "import/driver.h"
#include "store/config.h"
#include "store/database_list.h"
#include "store/dates.h"
#include "store/dispatcher.h"
#include "store/persons.h"
#include "store/utilities.h"

namespace {

using namespace qv;
namespace fs = std::filesystem;
using bench::Clock;
using bench::Home;

// Plain adds of message (or mail) and text records, committed every 400.
double baseline(Context& ctx, std::uint32_t count, bool mail) {
  const int table = mail ? Mail::FileNo : MsgNmbr::FileNo;
  OP_CLOSE(ctx, kOpOpen, {table, MsgText::FileNo});
  engine::File& headers = ctx.file(table);
  engine::File& texts = ctx.fileOf<MsgText>();
  const auto t0 = Clock::now();
  for (std::uint32_t i = 0; i < count; ++i) {
    if (i % 200 == 0) ctx.session.logout(5, {&headers, &texts});
    const std::uint32_t who = (i * 7) % 500;
    if (mail) {
      ctx.mai = Mail{};
      ctx.mai.MAILID = 500000 + i;
      ctx.mai.DATE = 70000 + static_cast<std::int32_t>(i / 50);
      ctx.mai.TIME = 1 + static_cast<std::int32_t>(i % 1440) * 6000;
      ctx.mai.SUBJECT = "Mail subject " + std::to_string(i);
      ctx.mai.FROMID = 300000 + who;
      ctx.mai.FROMALPHA = "Jones";
      ctx.mai.PAIRALPHA = "Jones";
    } else {
      ctx.msg = MsgNmbr{};
      ctx.msg.MSGNUMBER = i + 1;
      ctx.msg.THREADNUMBER = 400000 + i % 2000;
      ctx.msg.THREADALPHA = "Thread num";
      ctx.msg.FROMID = 300000 + who;
      ctx.msg.FROMALPHA = "Smith";
      ctx.msg.DATE = 70000 + static_cast<std::int32_t>(i / 50);
    }
    ctx.txt = MsgText{};
    ctx.txt.MSGNUMBER = mail ? 500000 + i : i + 1;
    ctx.txtMemo = bench::benchText(i);
    if (headers.add() != engine::Err::Ok || texts.add() != engine::Err::Ok) std::exit(3);
    if (i % 200 == 199 || i + 1 == count) ctx.session.commit();
  }
  const double s = std::chrono::duration<double>(Clock::now() - t0).count();
  OP_CLOSE(ctx, kOpRelease, {table, MsgText::FileNo});
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  const std::uint32_t count = argc > 1 ? static_cast<std::uint32_t>(std::atoi(argv[1])) : 100000;
  const fs::path dir = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "qv-bench-import";
  fs::remove_all(dir);

  // The baseline: fresh tables in a directory of their own.
  double plainForum = 0, plainMail = 0;
  {
    Home base(dir / "baseline");
    base.addMailDatabase();
    base.ctx->mem.Dirnamn = "F1";
    plainForum = baseline(*base.ctx, count, false);
    base.ctx->mem.Dirnamn = "F2";
    fs::create_directories(dir / "baseline" / "F2");
    plainMail = baseline(*base.ctx, count, true);
  }

  Home home(dir / "import");
  const std::uint32_t mailDb = home.addMailDatabase();
  registerReader(*home.lib, "Generic Mail Type 2", [count] {
    return std::make_unique<bench::GeneratingReader>(count, bench::GeneratingReader::Kinds::ForumAndMail);
  });
  fs::create_directories(dir / "sources");
  { std::FILE* f = std::fopen((dir / "sources" / "bench.txt").c_str(), "w"); if (f) std::fclose(f); }
  ImportSettings s;
  s.format = "Generic Mail Type 2";
  s.method = kSelectFiles;
  s.path = dir / "sources";
  s.files = {"bench.txt"};
  s.forum = s.mail = true;
  s.mailDatabase = mailDb;
  Context ctx(*home.lib);
  ImportJob job(ctx, s);
  const auto t0 = Clock::now();
  Clock::time_point mergeStart = t0;
  while (!job.step()) {
    if (mergeStart == t0 && job.progress().text == "Importing messages") mergeStart = Clock::now();
  }
  const auto t1 = Clock::now();
  const ImportSummary& r = job.summary();
  if (!r.completed || r.imported != 2ull * count) {
    std::fprintf(stderr, "import: %s, %llu imported\n", r.outcome.c_str(), static_cast<unsigned long long>(r.imported));
    return 4;
  }
  const double convert = std::chrono::duration<double>(mergeStart - t0).count();
  const double merge = std::chrono::duration<double>(t1 - mergeStart).count();
  const double plain = plainForum + plainMail;
  std::printf("%u forum messages and %u mails, 2 KB texts, commits every 400 records\n", count, count);
  std::printf("%-28s %9s %12s\n", "", "seconds", "messages/s");
  std::printf("%-28s %9.2f %12.0f\n", "conversion (reader + temp)", convert, 2.0 * count / convert);
  std::printf("%-28s %9.2f %12.0f\n", "merge", merge, 2.0 * count / merge);
  std::printf("%-28s %9.2f %12.0f\n", "baseline: plain adds", plain, 2.0 * count / plain);
  std::printf("merge / baseline: %.2f (goal 3.0)\n", merge / plain);
  fs::remove_all(dir);
  return 0;
}
