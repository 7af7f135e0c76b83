// Arbitrary bytes offered as a NavCIS, CISCOMM or OUI table with its memo
// file: the tables are walked with the stores' declarations as the record
// readers walk them, and every record's fields and memos go through the
// readers' text rules (line-end repair, dates, times, addresses, the OEM
// table) and, for OUI, the memo lines and the Internet message conversion.
// Nothing may crash, hang, leak or read outside a buffer.
//
// Input: byte 0 chooses the table (0 NavCIS, 1 CISCOMM forum, 2 CISCOMM
// mail, 3 OUI) and the memo kind (bit 2: .FPT); bytes 1-2 (little-endian)
// the length of the table part, taken modulo what follows; then the table,
// then the memo file.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "text/cserve_text.h"
#include "text/convert.h"
#include "readers/records/record_text.h"
#include "store/engine/engine.h"
#include "store/engine/file.h"
#include "store/engine/session.h"
#include "store/names.h"
#include "store/tables.h"

namespace {

namespace rec = qv::records;

void save(const std::filesystem::path& p, const std::uint8_t* data, std::size_t n) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(n));
}

template <class R, class Each>
void walk(const std::filesystem::path& file, Each each) {
  qv::engine::Engine engine;
  qv::engine::Session session(engine);
  R r{};
  std::string memo;
  qv::engine::File f(session, R::decl(), &r, &memo);
  f.setName(file);
  if (f.open(qv::engine::OpenMode::ReadOnlyShared) != qv::engine::Err::Ok) return;
  const std::int64_t records = f.records();
  f.set();
  for (std::int64_t i = 0; i <= records + 1 && i < 400; ++i) {
    const qv::engine::Err e = f.next();
    if (e == qv::engine::Err::RecordNotAvailable) break;
    if (e == qv::engine::Err::Ok) each(f, r, memo);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::temp_directory_path() / ("qv-fuzz-records-" + std::to_string(::getpid()));
    std::filesystem::create_directories(d);
    return d;
  }();
  const int table = data[0] & 3;
  const bool fpt = (data[0] & 4) != 0;
  const std::size_t rest = size - 3;
  const std::size_t tableLength = rest == 0 ? 0 : (static_cast<std::size_t>(data[1]) | data[2] << 8) % (rest + 1);
  for (const char* name : {"T.DBF", "T.DBT", "T.FPT"}) std::filesystem::remove(dir / name);
  save(dir / "T.DBF", data + 3, tableLength);
  save(dir / (fpt ? "T.FPT" : "T.DBT"), data + 3 + tableLength, rest - tableLength);
  const std::filesystem::path file = dir / "T.DBF";

  switch (table) {
    case 0:
      walk<qv::HRE>(file, [](qv::engine::File&, const qv::HRE& h, const std::string& memo) {
        for (int variant : {62, 76})
          qv::StripChar(rec::repairNavcisLineEnds(memo, variant, h.INTERNAL == 0), qv::kStripMail);
        rec::navcisDate(h.MSG_DATE.view());
        rec::navcisTime(h.MSG_TIME.view());
        rec::cleanAddress(rec::withoutTrailingCrLf(h.SEND_ID.view()));
      });
      break;
    case 1:
      walk<qv::CCO>(file, [](qv::engine::File&, const qv::CCO& c, const std::string& memo) {
        qv::StripChar(qv::cserve::oem850To1252(memo), qv::kStripForum);
        qv::cserve::oem850To1252(c.MSG_SENDER.view());
        rec::cleanAddress(c.MSG_SENDID.view());
      });
      break;
    case 2:
      walk<qv::CMA>(file, [](qv::engine::File& f, const qv::CMA& c, const std::string& memo) {
        std::string address;
        if (f.memo("MSG_SENDID", address) == qv::engine::Err::Ok) rec::cleanAddress(address);
        rec::hhmmTime(c.MSG_TIME.view());
        qv::StripChar(qv::cserve::oem850To1252(memo), qv::kStripMail);
      });
      break;
    default:
      walk<qv::OUI>(file, [](qv::engine::File& f, const qv::OUI&, const std::string& memo) {
        std::string extra;
        if (f.memo("MSG_EXTRA", extra) != qv::engine::Err::Ok) return;
        qv::LineQueue lines = rec::ouiMessageLines(extra, memo);
        if (!lines.empty()) qv::internet::convertMessage(lines, {.recogniser = qv::internet::Recogniser::News}, nullptr);
      });
      break;
  }
  return 0;
}
