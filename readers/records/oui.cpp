// OUI: one message table whose memos hold an Internet message: MSG_EXTRA
// its header lines, MSG_BODY its body. The header is read with the news
// recogniser of the Internet readers and the body assembled by the same
// machinery, as if header and body stood in one news store.
#include "text/convert.h"
#include "readers/machinery/run_sink.h"
#include "readers/records/record_loop.h"
#include "readers/records/record_text.h"

namespace qv::records {

namespace {

class OuiReader final : public RecordReader {
 public:
  OuiReader() : RecordReader("OUI") {}

 private:
  int tableFor(ImportRun&, const engine::dbase::Header*) override { return OUI::FileNo; }

  Outcome convert(ImportRun& run, engine::File& table, std::uint64_t offset) override {
    std::string extra;
    if (table.memo("MSG_EXTRA", extra) != engine::Err::Ok) return Outcome::Bad;
    LineQueue lines = ouiMessageLines(extra, run.ctx.ouiMemo);
    if (lines.empty()) {
      run.skip(offset, "a message without header lines");
      return Outcome::Done;
    }
    internet::Converted c = internet::convertMessage(lines, {.recogniser = internet::Recogniser::News}, nullptr);
    if (!c.message) {
      run.skip(offset, c.rejected);
      return Outcome::Done;
    }
    internet::RunSink sink(run);
    return sink.take(*c.message, offset) ? Outcome::Done : Outcome::WriteFailed;
  }
};

}  // namespace

std::unique_ptr<Reader> makeOuiReader() { return std::make_unique<OuiReader>(); }

}  // namespace qv::records
