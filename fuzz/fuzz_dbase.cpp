// Arbitrary bytes offered as a dBase table and its memo file (and, for
// writes, its index): the driver must refuse the file cleanly or read and
// add what it can, and never crash, hang, leak or read outside a buffer.
//
// Input: byte 0 chooses the memo file's kind (bit 0: .FPT, else .DBT) and
// whether a record is added (bit 1); bytes 1-2 (little-endian) the length of
// the table part, taken modulo what follows; then the table, then the memo
// file, whose last third is also written as the .NDX when adding.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "store/engine/engine.h"
#include "store/engine/file.h"
#include "store/engine/session.h"
#include "store/fixed_string.h"

namespace {

#pragma pack(push, 1)
struct Rec {
  qv::FixedString<12> NAME;
  std::uint32_t NUMBER;
  std::int32_t WHEN;
  double AMOUNT;
  qv::FixedString<1> FLAG;
  std::uint8_t RAW[6];
};
#pragma pack(pop)

const qv::engine::TableDecl& decl() {
  static const qv::engine::TableDecl d = [] {
    qv::engine::TableDecl t;
    t.label = "FUZZ";
    t.fileNo = 1;
    t.driver = qv::engine::Driver::FoxPro;
    t.recordSize = sizeof(Rec);
    t.fields = {QV_FIELD(Rec, NAME), QV_FIELD(Rec, NUMBER), qv::engine::withColumn(QV_FIELD(Rec, WHEN), 'D'),
                QV_FIELD(Rec, AMOUNT), qv::engine::withColumn(QV_FIELD(Rec, FLAG), 'L'), QV_FIELD(Rec, RAW)};
    t.memoName = "TEXT";
    t.memoMax = 70000;
    t.extraMemos = {"MEMO", "NOTES"};
    t.key("NameKey", qv::engine::kDuplicates, {"NAME"});
    return t;
  }();
  return d;
}

void save(const std::filesystem::path& p, const std::uint8_t* data, std::size_t n) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(n));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::temp_directory_path() / ("qv-fuzz-dbase-" + std::to_string(::getpid()));
    std::filesystem::create_directories(d);
    return d;
  }();
  const bool fpt = (data[0] & 1) != 0;
  const bool write = (data[0] & 2) != 0;
  const std::size_t rest = size - 3;
  const std::size_t tableLength = rest == 0 ? 0 : (static_cast<std::size_t>(data[1]) | data[2] << 8) % (rest + 1);
  const std::uint8_t* table = data + 3;
  const std::uint8_t* memo = table + tableLength;
  const std::size_t memoLength = rest - tableLength;
  for (const char* name : {"T.DBF", "T.DBT", "T.FPT", "T.NDX"}) std::filesystem::remove(dir / name);
  save(dir / "T.DBF", table, tableLength);
  save(dir / (fpt ? "T.FPT" : "T.DBT"), memo, memoLength);
  if (write) save(dir / "T.NDX", memo + memoLength * 2 / 3, memoLength - memoLength * 2 / 3);

  qv::engine::Engine engine;
  qv::engine::Session session(engine);
  Rec r{};
  std::string text;
  qv::engine::File f(session, decl(), &r, &text);
  f.setName(dir / "T.DBF");
  if (f.open(write ? qv::engine::OpenMode::ReadWriteShared : qv::engine::OpenMode::ReadOnlyShared) ==
      qv::engine::Err::Ok) {
    f.records();
    std::string other;
    f.set();
    for (int i = 0; i < 300 && f.next() != qv::engine::Err::RecordNotAvailable; ++i) {
      f.memo("MEMO", other);
      f.memo("NOTES", other);
    }
    f.set();
    for (int i = 0; i < 20 && f.previous() != qv::engine::Err::RecordNotAvailable; ++i) {
    }
    f.getPosition(1);
    f.getPosition(3);
    if (write) {
      r.NAME = "fuzz";
      r.NUMBER = 7;
      r.AMOUNT = 1.5;
      text = "memo text";
      f.add();
      f.getPosition(f.records());
    }
  }
  f.close();
  return 0;
}
