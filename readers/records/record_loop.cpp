#include "readers/records/record_loop.h"

#include <algorithm>
#include <fstream>

#include "import/formats.h"
#include "store/engine/dbase/header.h"
#include "store/report.h"

namespace qv::records {

using engine::Err;

bool BadRecordCheck::count(Context& ctx, std::int64_t read, std::int64_t total, std::string_view driverText) {
  if (++count_ < kLimit) return true;
  const std::int64_t percent = total > 0 ? read * 100 / total : 100;
  inform(ctx, driverText, message(percent), MessageKind::Warning);
  return false;
}

std::string BadRecordCheck::message(std::int64_t percent) const {
  return "Quorvel has processed " + std::to_string(percent) + " % of this " + store_ + " file " +
         "and have encountered 5 bad records! They are probably deleted records that are still " +
         "retained in the file. To ensure data integrity this file will be skipped! " + "\r\n\r\n" +
         "To physically remove deleted records from your " + store_ + " file, always use the EXIT and PACK " +
         "option when closing your " + store_ + " session after records have been purged!";
}

namespace {

// The table's header as the dBase driver reads it; nothing when it cannot
// be read (the driver then says why when the table is opened).
std::optional<engine::dbase::Header> readHeader(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string head(32, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(in.gcount()));
  head.resize(std::max<std::size_t>(engine::dbase::storedHeaderLength(head), head.size()));
  if (head.size() > 32) {
    in.read(head.data() + 32, static_cast<std::streamsize>(head.size() - 32));
    head.resize(32 + static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  }
  std::error_code ec;
  const std::uint64_t size = std::filesystem::file_size(file, ec);
  engine::dbase::Header h;
  if (ec || !engine::dbase::parseHeader(head, size, h).empty()) return std::nullopt;
  return h;
}

}  // namespace

bool RecordReader::call(ReaderPhase phase, ImportRun& run) {
  if (phase == ReaderPhase::Open) return !open(run);
  if (table_ == nullptr) return true;
  const bool finished = convertSlice(run);
  if (finished) close();
  return finished;
}

bool RecordReader::open(ImportRun& run) {
  close();
  check_.reset();
  reached_ = reads_ = 0;
  header_ = readHeader(run.file.name);
  fileNo_ = tableFor(run, header_ ? &*header_ : nullptr);
  engine::File& f = run.ctx.file(fileNo_);
  f.close();
  f.setName(run.file.name);
  const Err e = f.open(engine::OpenMode::ReadOnlyShared);
  if (e != Err::Ok) {
    inform(run.ctx, "Warning!",
           run.file.name.string() + " cannot be opened\r\n" + f.errorText() + "\r\nThis file will be skipped!",
           MessageKind::Warning);
    run.skip(0, "the table cannot be opened: " + f.errorText());
    f.close();
    return false;
  }
  table_ = &f;
  records_ = f.records();
  f.set();
  return true;
}

std::uint64_t RecordReader::offsetOf(std::int64_t record) const {
  if (!header_ || record < 1) return 0;
  return header_->headerLength + static_cast<std::uint64_t>(record - 1) * header_->recordLength;
}

void RecordReader::close() {
  if (table_ != nullptr) table_->close();
  table_ = nullptr;
}

bool RecordReader::convertSlice(ImportRun& run) {
  engine::File& f = *table_;
  for (int i = 0; i < run.budget; ++i) {
    // Every read moves the walk on by at least one record; more reads than
    // records means the table is not what its header says: stop.
    if (++reads_ > records_ + 1) return true;
    const Err e = f.next();
    if (e == Err::RecordNotAvailable) return true;
    ++run.progress;
    if (e != Err::Ok) {
      if (reached_ >= records_) return true;  // a failed read past the last record ends the file
      ++reached_;
      if (!badRecord(run, f.errorText())) return true;
      continue;
    }
    reached_ = f.position();
    switch (convert(run, f, offsetOf(reached_))) {
      case Outcome::Done: break;
      case Outcome::WriteFailed: return true;
      case Outcome::Bad:
        if (!badRecord(run, f.errorText())) return true;
        break;
    }
  }
  return false;
}

bool RecordReader::badRecord(ImportRun& run, std::string driverText) {
  run.skip(offsetOf(reached_), driverText);
  if (!checked_) return true;
  return check_.count(run.ctx, reached_, records_, driverText);
}

void registerRecordReaders(Library& lib) {
  registerReader(lib, "CISCOMM", [] { return makeCisCommReader(); });
  registerReader(lib, "NavCIS 1.6x", [] { return makeNavCisReader(kNavCis16Variant); });
  registerReader(lib, "NavCIS 1.7x-", [] { return makeNavCisReader(kNavCis17Variant); });
  registerReader(lib, "OUI", [] { return makeOuiReader(); });
}

}  // namespace qv::records
