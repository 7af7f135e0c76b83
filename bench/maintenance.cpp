// Counting, purging and duplicate elimination against a large archive.
//
// A fresh data home gets a forum database and a mail database of N records
// each (default 1,000,000; the shape of browse_data.h) with a share of the
// messages and mails marked Delete (default 10 %). Every measurement then
// runs in a child process of its own on a fresh copy of that home, so each
// starts from the same data and its peak memory (VmHWM) is its own:
//
// - walk by number: one plain walk of the messages (mails) by number;
// - walk of count's keys: one plain walk of every key the count reads
//   (messages by sender, by receiver and by thread; threads by section;
//   mails by sender and by receiver);
// - count, purge (which counts at its end) and duplicate elimination, each
//   stepped as the front ends step them.
//
// Printed per measurement: wall and CPU seconds, records per second and the
// peak resident memory; then the count's time against both walks. Goal: a
// count within 2x the walk of the same keys, and memory that does not grow
// with N beyond the purge's list of deleted messages.
//
//   bench_maintenance [--messages N] [--delete-per-thousand D] [--seed S] [--dir DIR] [--keep]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "bench/bench_home.h"
#include "bench/browse_data.h"
#include "maintenance/duplicate_persons.h"
#include "maintenance/purge_mess.h"

namespace {

using namespace qv;
namespace fs = std::filesystem;
using bench::Clock;
using bench::Home;

// What a child process reports back through its pipe.
struct Figures {
  double wallSeconds = 0;
  double cpuSeconds = 0;
  std::int64_t records = 0;  // records read or handled
  long peakKb = 0;
  bool ok = false;
};

long peakKb() { return std::atol(bench::statusLine("VmHWM:").c_str()); }

double cpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Runs `work` on database `db` of the home in `dir`, in a child process.
Figures inChild(const fs::path& dir, std::uint32_t db, const std::function<std::int64_t(Context&)>& work) {
  Figures f;
  int fds[2];
  if (pipe(fds) != 0) return f;
  std::fflush(stdout);
  const pid_t child = fork();
  if (child < 0) return f;
  if (child == 0) {
    close(fds[0]);
    Figures mine;
    {
      Home home(dir);
      home.activate(db);
      const auto t0 = Clock::now();
      const double cpu0 = cpuSeconds();
      mine.records = work(*home.ctx);
      mine.wallSeconds = bench::msSince(t0) / 1000;
      mine.cpuSeconds = cpuSeconds() - cpu0;
      mine.ok = mine.records >= 0;
    }
    mine.peakKb = peakKb();
    const bool sent = write(fds[1], &mine, sizeof mine) == static_cast<ssize_t>(sizeof mine);
    close(fds[1]);
    _exit(sent ? 0 : 4);
  }
  close(fds[1]);
  const bool got = read(fds[0], &f, sizeof f) == static_cast<ssize_t>(sizeof f);
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!got || !WIFEXITED(status) || WEXITSTATUS(status) != 0) f.ok = false;
  return f;
}

// Walks `file` in the order of each key; the records read, or -1.
std::int64_t walkKeys(engine::File& file, std::initializer_list<engine::KeyRef> keys) {
  std::int64_t n = 0;
  for (const engine::KeyRef key : keys) {
    if (file.set(key) != engine::Err::Ok) return -1;
    engine::Err e;
    while ((e = file.next()) == engine::Err::Ok) ++n;
    if (e != engine::Err::RecordNotAvailable) return -1;
  }
  return n;
}

std::int64_t purgeOrCount(Context& ctx, maintenance::PurgeMode mode, std::int64_t records) {
  maintenance::PurgeOptions options;
  options.mode = mode;
  maintenance::PurgeMess job(ctx, options);
  runToEnd(job);
  return job.result() == maintenance::PurgeResult::Done ? records : -1;
}

std::int64_t duplicates(Context& ctx, std::int64_t records) {
  maintenance::DuplicatesJob job(ctx);
  runToEnd(job);
  return job.result() == maintenance::DuplicatesResult::Done ? records : -1;
}

void print(const char* name, const Figures& f) {
  if (!f.ok) {
    std::printf("  %-26s FAILED\n", name);
    return;
  }
  std::printf("  %-26s %8.2f %8.2f %12.0f %10.1f\n", name, f.wallSeconds, f.cpuSeconds,
              f.cpuSeconds > 0 ? static_cast<double>(f.records) / f.cpuSeconds : 0.0,
              static_cast<double>(f.peakKb) / 1024);
  std::fflush(stdout);
}

// A fresh copy of the made home for a measurement that writes.
fs::path freshCopy(const fs::path& base, const fs::path& run) {
  fs::remove_all(run);
  fs::copy(base, run, fs::copy_options::recursive);
  return run;
}

struct Kind {
  const char* title;
  std::uint32_t db;
  std::int64_t records;
  std::function<std::int64_t(Context&)> numberWalk, keyWalk;
};

void measure(const Kind& k, const fs::path& base, const fs::path& run) {
  std::printf("\n%s (%lld records)\n  %-26s %8s %8s %12s %10s\n", k.title, static_cast<long long>(k.records), "",
              "wall s", "cpu s", "records/s", "peak MB");
  const Figures number = inChild(base, k.db, k.numberWalk);
  print("walk by number", number);
  const Figures keys = inChild(base, k.db, k.keyWalk);
  print("walk of count's keys", keys);
  const Figures count = inChild(freshCopy(base, run), k.db, [&](Context& c) {
    return purgeOrCount(c, maintenance::PurgeMode::Count, k.records);
  });
  print("count", count);
  print("purge", inChild(freshCopy(base, run), k.db, [&](Context& c) {
          return purgeOrCount(c, maintenance::PurgeMode::Purge, k.records);
        }));
  print("duplicate elimination",
        inChild(freshCopy(base, run), k.db, [&](Context& c) { return duplicates(c, k.records); }));
  if (count.ok && keys.ok && number.ok && keys.cpuSeconds > 0 && number.cpuSeconds > 0)
    std::printf("  count / walk of its keys: %.2fx (goal under 2x); count / walk by number: %.1fx\n",
                count.cpuSeconds / keys.cpuSeconds, count.cpuSeconds / number.cpuSeconds);
  fs::remove_all(run);
}

}  // namespace

int main(int argc, char** argv) {
  bench::BrowseShape shape;
  shape.deletePerThousand = 100;
  bool keep = false;
  fs::path dir;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool more = i + 1 < argc;
    if (a == "--messages" && more) shape.messages = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    else if (a == "--delete-per-thousand" && more)
      shape.deletePerThousand = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    else if (a == "--seed" && more) shape.seed = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    else if (a == "--dir" && more) {
      dir = argv[++i];
      keep = true;
    } else if (a == "--keep") keep = true;
    else {
      std::fprintf(stderr,
                   "usage: bench_maintenance [--messages N] [--delete-per-thousand D] [--seed S] [--dir DIR] [--keep]\n");
      return 64;
    }
  }
  if (shape.messages < 1000 || shape.deletePerThousand + shape.keepPerThousand > 1000) {
    std::fprintf(stderr, "--messages: at least 1000; --delete-per-thousand: at most %u\n",
                 1000 - shape.keepPerThousand);
    return 64;
  }
  if (dir.empty()) dir = fs::temp_directory_path() / ("qv-bench-maintenance-" + std::to_string(getpid()));
  if (fs::exists(dir) && !fs::is_empty(dir)) {
    std::fprintf(stderr, "%s is not empty\n", dir.c_str());
    return 64;
  }
  const fs::path base = dir / "base", run = dir / "run";
  std::printf("%u forum messages and %u mails, %u.%u %% marked Delete\n", shape.messages, shape.messages,
              shape.deletePerThousand / 10, shape.deletePerThousand % 10);
  const auto t0 = Clock::now();
  bench::BrowseFacts facts;
  if (!bench::makeDatabasesInChild(base, shape, facts)) {
    std::fprintf(stderr, "the databases could not be made in %s\n", base.c_str());
    if (!keep) fs::remove_all(dir);
    return 3;
  }
  std::printf("set-up %.1f s\n", bench::msSince(t0) / 1000);
  const std::int64_t n = shape.messages;

  measure({"forum", facts.forumId, n,
           [n](Context& c) {
             TableUse use(c, {MsgNmbr::FileNo});
             return walkKeys(c.fileOf<MsgNmbr>(), {MsgNmbr::IdKey}) == n ? n : -1;
           },
           [](Context& c) {
             TableUse use(c, {MsgNmbr::FileNo, Threads::FileNo});
             const std::int64_t m =
                 walkKeys(c.fileOf<MsgNmbr>(), {MsgNmbr::FromKey, MsgNmbr::ToKey, MsgNmbr::Threadkey});
             const std::int64_t t = walkKeys(c.fileOf<Threads>(), {Threads::SecKey});
             return m < 0 || t < 0 ? -1 : m + t;
           }},
          base, run);
  measure({"mail", facts.mailId, n,
           [n](Context& c) {
             TableUse use(c, {Mail::FileNo});
             return walkKeys(c.fileOf<Mail>(), {Mail::IdKey}) == n ? n : -1;
           },
           [](Context& c) {
             TableUse use(c, {Mail::FileNo});
             return walkKeys(c.fileOf<Mail>(), {Mail::FromKey, Mail::ToKey});
           }},
          base, run);
  std::printf("\ntotal %.1f s\n", bench::msSince(t0) / 1000);
  if (!keep) fs::remove_all(dir);
  return 0;
}
