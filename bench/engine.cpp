// The record-file engine against hand-written SQLite on the same work.
//
// 200,000 records shaped like forum message headers (60 bytes, seven keys,
// some descending) are added in transactions of 400 records (as long work
// commits), then fetched by 200,000 random gets on the unique key, then
// walked in full along a descending key. The same work is done with prepared
// statements on a plain SQLite table with the same indexes, in the same run,
// with the same page size, cache and sync settings. Printed: seconds for
// each, and the engine/SQLite ratio.
//
//   bench_engine [records] [directory]
#include <benchmark/benchmark.h>
#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "store/engine/engine.h"
#include "store/engine/file.h"
#include "store/engine/session.h"
#include "store/fixed_string.h"

namespace {

using namespace qv;
using engine::Err;
namespace fs = std::filesystem;

#pragma pack(push, 1)
struct Header {
  std::uint32_t MSGNUMBER, SECSYSID, REFNUMBER, THREADNUMBER;
  FixedString<10> THREADALPHA;
  std::uint32_t FROMID;
  FixedString<10> FROMALPHA;
  std::uint32_t TOID;
  FixedString<10> TOALPHA;
  std::int32_t DATE;
  std::uint8_t DUMMY, FG;
};
#pragma pack(pop)
static_assert(sizeof(Header) == 60);

engine::TableDecl declaration() {
  engine::TableDecl t;
  t.label = "MsgNmbr";
  t.prefix = "MSG";
  t.fileNo = 3;
  t.recordSize = sizeof(Header);
  t.fields = {QV_FIELD(Header, MSGNUMBER), QV_FIELD(Header, SECSYSID),    QV_FIELD(Header, REFNUMBER),
              QV_FIELD(Header, THREADNUMBER), QV_FIELD(Header, THREADALPHA), QV_FIELD(Header, FROMID),
              QV_FIELD(Header, FROMALPHA), QV_FIELD(Header, TOID),        QV_FIELD(Header, TOALPHA),
              QV_FIELD(Header, DATE),      QV_FIELD(Header, DUMMY),       QV_FIELD(Header, FG)};
  t.key("IdKey", engine::kUnique, {"-MSGNUMBER"});
  t.key("Threadkey", engine::kDuplicates, {"THREADALPHA", "THREADNUMBER", "MSGNUMBER"});
  t.key("SECkey", engine::kDuplicates, {"SECSYSID", "THREADALPHA", "THREADNUMBER", "MSGNUMBER"});
  t.key("FromKey", engine::kDuplicates, {"FROMALPHA", "FROMID", "-MSGNUMBER"});
  t.key("ToKey", engine::kDuplicates, {"TOALPHA", "TOID", "-MSGNUMBER"});
  t.key("DateKey", engine::kDuplicates, {"-DATE", "-MSGNUMBER"});
  t.key("StatusKey", engine::kDuplicates, {"DUMMY"});
  return t;
}

const char* const kSurnames[] = {"Smith", "Jones", "Miller", "Brown", "Davis", "Garcia", "Wilson", "Moore",
                                  "Taylor", "Anderson", "Thomas", "Jackson", "White", "Harris", "Martin"};

// The same pseudo-random messages for both sides.
Header makeHeader(std::uint32_t number, std::mt19937& rng) {
  Header h{};
  h.MSGNUMBER = number;
  h.THREADNUMBER = 250000 + static_cast<std::uint32_t>(rng() % 2000);
  h.SECSYSID = 260000 + h.THREADNUMBER % 20;
  h.THREADALPHA = "Thread " + std::to_string(h.THREADNUMBER);
  h.FROMID = 270000 + static_cast<std::uint32_t>(rng() % 500);
  h.FROMALPHA = kSurnames[h.FROMID % 15];
  h.TOID = 270000 + static_cast<std::uint32_t>(rng() % 500);
  h.TOALPHA = kSurnames[h.TOID % 15];
  h.DATE = static_cast<std::int32_t>(70000 + rng() % 9000);
  h.DUMMY = static_cast<std::uint8_t>(rng() % 3);
  return h;
}

double seconds(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

struct Times {
  double add = 0, get = 0, walk = 1e9;
};

// The engine side: one table through the record-file engine.
class EngineSide {
 public:
  EngineSide(const fs::path& dir, const engine::Tuning& tuning) : decl_(declaration()) {
    eng_.tuning() = tuning;
    f_.setName(dir / "IDX003.TPS");
    if (f_.create() != Err::Ok || f_.open() != Err::Ok) fail();
  }
  double add(std::uint32_t n) {
    std::mt19937 rng(7);
    const auto t0 = std::chrono::steady_clock::now();
    for (std::uint32_t i = 1; i <= n; ++i) {
      if (i % 400 == 1 && s_.logout(5, {&f_}) != Err::Ok) fail();
      h_ = makeHeader(i, rng);
      if (f_.add() != Err::Ok) fail();
      if ((i % 400 == 0 || i == n) && s_.commit() != Err::Ok) fail();
    }
    return seconds(t0);
  }
  double get(const std::vector<std::uint32_t>& probes) {
    const auto t0 = std::chrono::steady_clock::now();
    std::uint64_t sum = 0;
    for (std::uint32_t p : probes) {
      h_.MSGNUMBER = p;
      if (f_.get({3, 0}) != Err::Ok) fail();
      sum += h_.FROMID;
    }
    benchmark::DoNotOptimize(sum);
    return seconds(t0);
  }
  double walk(std::uint32_t n) {
    const auto t0 = std::chrono::steady_clock::now();
    std::uint64_t sum = 0;
    std::uint32_t count = 0;
    f_.set({3, 5});  // DateKey: date and number descending
    while (f_.next() == Err::Ok) {
      ++count;
      sum += h_.MSGNUMBER;
    }
    benchmark::DoNotOptimize(sum);
    if (count != n) fail();
    return seconds(t0);
  }

 private:
  [[noreturn]] void fail() {
    std::fprintf(stderr, "engine: %s\n", f_.errorText().c_str());
    std::exit(1);
  }
  engine::Engine eng_;
  engine::Session s_{eng_};
  engine::TableDecl decl_;
  Header h_{};
  engine::File f_{s_, decl_, &h_};
};

// The baseline: the same table in plain SQLite through prepared statements,
// every column read back into the record as a program would use it.
class SqliteSide {
 public:
  SqliteSide(const fs::path& dir, const engine::Tuning& tuning) {
    const fs::path p = dir / "plain.db";
    check(sqlite3_open_v2(p.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr));
    const std::string pragmas = "PRAGMA page_size=" + std::to_string(tuning.pageSize) + "; PRAGMA cache_size=-" +
                                std::to_string(tuning.cacheKiB) + "; PRAGMA synchronous=" +
                                std::to_string(tuning.synchronous) +
                                "; PRAGMA secure_delete=OFF; PRAGMA journal_mode=" + tuning.journalMode + ";";
    check(sqlite3_exec(db_, pragmas.c_str(), nullptr, nullptr, nullptr));
    check(sqlite3_exec(db_,
                       "CREATE TABLE m (pos INTEGER PRIMARY KEY, MSGNUMBER INTEGER, SECSYSID INTEGER, REFNUMBER "
                       "INTEGER, THREADNUMBER INTEGER, THREADALPHA TEXT COLLATE NOCASE, FROMID INTEGER, FROMALPHA "
                       "TEXT COLLATE NOCASE, TOID INTEGER, TOALPHA TEXT COLLATE NOCASE, DATE INTEGER, DUMMY INTEGER, "
                       "FG INTEGER);"
                       "CREATE UNIQUE INDEX i1 ON m (MSGNUMBER DESC);"
                       "CREATE INDEX i2 ON m (THREADALPHA, THREADNUMBER, MSGNUMBER);"
                       "CREATE INDEX i3 ON m (SECSYSID, THREADALPHA, THREADNUMBER, MSGNUMBER);"
                       "CREATE INDEX i4 ON m (FROMALPHA, FROMID, MSGNUMBER DESC);"
                       "CREATE INDEX i5 ON m (TOALPHA, TOID, MSGNUMBER DESC);"
                       "CREATE INDEX i6 ON m (DATE DESC, MSGNUMBER DESC);"
                       "CREATE INDEX i7 ON m (DUMMY);",
                       nullptr, nullptr, nullptr));
    check(sqlite3_prepare_v2(db_, "INSERT INTO m VALUES (NULL, ?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)",
                             -1, &ins_, nullptr));
    check(sqlite3_prepare_v2(db_, "SELECT * FROM m WHERE MSGNUMBER = ?1", -1, &get_, nullptr));
    check(sqlite3_prepare_v2(db_, "SELECT * FROM m ORDER BY DATE DESC, MSGNUMBER DESC, pos", -1, &walk_, nullptr));
  }
  ~SqliteSide() {
    sqlite3_finalize(ins_);
    sqlite3_finalize(get_);
    sqlite3_finalize(walk_);
    sqlite3_close(db_);
  }
  double add(std::uint32_t n) {
    std::mt19937 rng(7);
    const auto t0 = std::chrono::steady_clock::now();
    for (std::uint32_t i = 1; i <= n; ++i) {
      if (i % 400 == 1) check(sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr));
      const Header h = makeHeader(i, rng);
      sqlite3_bind_int64(ins_, 1, h.MSGNUMBER);
      sqlite3_bind_int64(ins_, 2, h.SECSYSID);
      sqlite3_bind_int64(ins_, 3, h.REFNUMBER);
      sqlite3_bind_int64(ins_, 4, h.THREADNUMBER);
      text(ins_, 5, h.THREADALPHA);
      sqlite3_bind_int64(ins_, 6, h.FROMID);
      text(ins_, 7, h.FROMALPHA);
      sqlite3_bind_int64(ins_, 8, h.TOID);
      text(ins_, 9, h.TOALPHA);
      sqlite3_bind_int64(ins_, 10, h.DATE);
      sqlite3_bind_int64(ins_, 11, h.DUMMY);
      sqlite3_bind_int64(ins_, 12, h.FG);
      check(sqlite3_step(ins_));
      sqlite3_reset(ins_);
      if (i % 400 == 0 || i == n) check(sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr));
    }
    return seconds(t0);
  }
  double get(const std::vector<std::uint32_t>& probes) {
    const auto t0 = std::chrono::steady_clock::now();
    std::uint64_t sum = 0;
    for (std::uint32_t p : probes) {
      sqlite3_bind_int64(get_, 1, p);
      if (sqlite3_step(get_) != SQLITE_ROW) std::exit(6);
      const Header h = load(get_);
      sum += h.FROMID;
      sqlite3_reset(get_);
    }
    benchmark::DoNotOptimize(sum);
    return seconds(t0);
  }
  double walk(std::uint32_t n) {
    const auto t0 = std::chrono::steady_clock::now();
    std::uint64_t sum = 0;
    std::uint32_t count = 0;
    while (sqlite3_step(walk_) == SQLITE_ROW) {
      ++count;
      sum += load(walk_).MSGNUMBER;
    }
    sqlite3_reset(walk_);
    benchmark::DoNotOptimize(sum);
    if (count != n) std::exit(7);
    return seconds(t0);
  }

 private:
  void check(int rc) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
      std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db_));
      std::exit(5);
    }
  }
  template <class Fixed>
  static void text(sqlite3_stmt* st, int i, const Fixed& fixed) {
    const std::string_view v = fixed.view();
    sqlite3_bind_text(st, i, v.data(), static_cast<int>(v.size()), SQLITE_STATIC);
  }
  template <class Fixed>
  static void column(sqlite3_stmt* st, int i, Fixed& out) {
    out.assign(std::string_view(reinterpret_cast<const char*>(sqlite3_column_text(st, i)),
                                static_cast<std::size_t>(sqlite3_column_bytes(st, i))));
  }
  static Header load(sqlite3_stmt* st) {
    Header h;
    h.MSGNUMBER = static_cast<std::uint32_t>(sqlite3_column_int64(st, 1));
    h.SECSYSID = static_cast<std::uint32_t>(sqlite3_column_int64(st, 2));
    h.REFNUMBER = static_cast<std::uint32_t>(sqlite3_column_int64(st, 3));
    h.THREADNUMBER = static_cast<std::uint32_t>(sqlite3_column_int64(st, 4));
    column(st, 5, h.THREADALPHA);
    h.FROMID = static_cast<std::uint32_t>(sqlite3_column_int64(st, 6));
    column(st, 7, h.FROMALPHA);
    h.TOID = static_cast<std::uint32_t>(sqlite3_column_int64(st, 8));
    column(st, 9, h.TOALPHA);
    h.DATE = static_cast<std::int32_t>(sqlite3_column_int64(st, 10));
    h.DUMMY = static_cast<std::uint8_t>(sqlite3_column_int64(st, 11));
    h.FG = static_cast<std::uint8_t>(sqlite3_column_int64(st, 12));
    return h;
  }
  sqlite3* db_ = nullptr;
  sqlite3_stmt* ins_ = nullptr;
  sqlite3_stmt* get_ = nullptr;
  sqlite3_stmt* walk_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  const std::uint32_t n = argc > 1 ? static_cast<std::uint32_t>(std::atoi(argv[1])) : 200000;
  const fs::path dir = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "qv-bench-engine";
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::mt19937 rng(11);
  std::vector<std::uint32_t> probes(n);
  for (auto& probe : probes) probe = 1 + static_cast<std::uint32_t>(rng() % n);

  engine::Engine defaults;
  // Settings can be tried out without rebuilding.
  if (const char* v = std::getenv("QV_SYNC")) defaults.tuning().synchronous = std::atoi(v);
  if (const char* v = std::getenv("QV_JOURNAL")) defaults.tuning().journalMode = v;
  if (const char* v = std::getenv("QV_CACHE_KIB")) defaults.tuning().cacheKiB = std::atoi(v);
  // Each phase runs on both sides back to back, so both meet the same state
  // of the machine; the short walks are repeated and the best run counts.
  SqliteSide sqlite(dir, defaults.tuning());
  EngineSide eng(dir, defaults.tuning());
  Times sq, en;
  sq.add = sqlite.add(n);
  en.add = eng.add(n);
  sq.get = sqlite.get(probes);
  en.get = eng.get(probes);
  for (int round = 0; round < 3; ++round) {
    sq.walk = std::min(sq.walk, sqlite.walk(n));
    en.walk = std::min(en.walk, eng.walk(n));
  }
  std::printf("%u records, transactions of 400, synchronous=%d, journal %s, page %d, cache %d KiB\n", n,
              defaults.tuning().synchronous, defaults.tuning().journalMode.c_str(), defaults.tuning().pageSize, defaults.tuning().cacheKiB);
  std::printf("%-6s %10s %10s %8s %6s\n", "", "engine s", "sqlite s", "ratio", "goal");
  std::printf("%-6s %10.3f %10.3f %8.2f %6s\n", "add", en.add, sq.add, en.add / sq.add, "1.5");
  std::printf("%-6s %10.3f %10.3f %8.2f %6s\n", "get", en.get, sq.get, en.get / sq.get, "1.5");
  std::printf("%-6s %10.3f %10.3f %8.2f %6s\n", "walk", en.walk, sq.walk, en.walk / sq.walk, "2.0");
  fs::remove_all(dir);
  return 0;
}
