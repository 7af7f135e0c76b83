// A message held whole in memory, read through the store machinery.
#include "readers/machinery/store_reader.h"

namespace qv::internet {
namespace {

// The whole data is one message.
class WholeTextCutter final : public Cutter {
 public:
  using Cutter::Cutter;
  Found seek(Scan& scan, Frame& frame, MessageSink&) override {
    if (taken_ || scan.window.atEnd()) return Found::End;
    taken_ = true;
    frame.start = scan.window.pos();
    return Found::Message;
  }
  bool endsAt(const Scan&, const Frame&, bool, bool) const override { return false; }

 private:
  bool taken_ = false;
};

// Moves what the inner reader says to where the message lies in the container.
class OffsetSink final : public MessageSink {
 public:
  OffsetSink(MessageSink& inner, std::uint64_t offset) : inner_(inner), offset_(offset) {}
  bool take(const Message& message, std::uint64_t at) override {
    ok_ = inner_.take(message, offset_ + at);
    return ok_;
  }
  void skip(std::uint64_t at, std::string why) override { inner_.skip(offset_ + at, std::move(why)); }
  bool ok() const { return ok_; }

 private:
  MessageSink& inner_;
  std::uint64_t offset_;
  bool ok_ = true;
};

}  // namespace

bool convertWholeText(std::string_view text, const CutterTraits& traits, MessageSink& sink, std::uint64_t offset) {
  OffsetSink shifted(sink, offset);
  StoreReader reader(std::make_unique<WholeTextCutter>(traits));
  if (!reader.open(std::make_unique<MemorySource>(text), {}, shifted)) return shifted.ok();
  // The text is at most a few blocks long: one call reads it, but the
  // reader may still ask for another.
  while (!reader.step(shifted, 1)) {
  }
  return shifted.ok();
}

}  // namespace qv::internet
