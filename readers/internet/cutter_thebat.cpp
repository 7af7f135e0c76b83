// TheBat message bases: a file header, then one binary record per message.
#include <algorithm>

#include "readers/internet/cutters.h"

namespace qv::internet {
namespace {

constexpr std::uint32_t kFileMagic = 0x19790620;
constexpr std::uint32_t kRecordMagic = 0x19700921;
constexpr std::size_t kRecordHeader = 48;

std::uint32_t littleEndian32(std::string_view b, std::size_t at) {
  const auto byte = [&](std::size_t i) { return std::uint32_t{static_cast<unsigned char>(b[at + i])}; };
  return byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
}

class TheBatCutter final : public Cutter {
 public:
  TheBatCutter() : Cutter(traits()) {}

  bool prepare(Scan& scan, const std::filesystem::path&, const FileOpener&, MessageSink& sink) override {
    const std::string_view head = scan.window.view(8);
    if (head.size() < 8 || littleEndian32(head, 0) != kFileMagic) {
      sink.skip(0, "not a TheBat message base (magic number)");
      return false;
    }
    scan.window.seek(littleEndian32(head, 4));
    return true;
  }

  Found seek(Scan& scan, Frame& frame, MessageSink& sink) override {
    BlockWindow& w = scan.window;
    if (w.atEnd()) return Found::End;
    const std::string_view head = w.view(kRecordHeader);
    if (head.size() < kRecordHeader) {
      sink.skip(w.pos(), "a truncated message record");
      return Found::End;
    }
    if (littleEndian32(head, 0) != kRecordMagic) {
      sink.skip(w.pos(), "a record with another magic number: the rest of the file is not read");
      return Found::End;
    }
    // A record header shorter than its own fixed part is damaged; reading
    // goes on after the fixed part so that the walk always advances.
    const std::uint64_t headerLength = std::max<std::uint64_t>(littleEndian32(head, 4), kRecordHeader);
    const std::uint64_t record = w.pos();
    frame.start = record + headerLength;
    frame.end = frame.start + littleEndian32(head, 36);
    w.seek(frame.start);
    // A record header that claims to run past the end of the file: its text
    // is not there.
    if (w.pos() < frame.start) {
      sink.skip(record, "a truncated message record");
      return Found::End;
    }
    return Found::Message;
  }

  bool endsAt(const Scan&, const Frame&, bool, bool) const override { return false; }

 private:
  static CutterTraits traits() {
    CutterTraits t;
    t.convert.recogniser = Recogniser::Mail;
    t.softBreaks = true;
    return t;
  }
};

}  // namespace

std::unique_ptr<Cutter> makeTheBatCutter() { return std::make_unique<TheBatCutter>(); }

}  // namespace qv::internet
