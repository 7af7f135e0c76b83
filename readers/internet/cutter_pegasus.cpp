// Pegasus folders: each message runs from its first header line to a Ctrl-Z.
#include "readers/internet/cutters.h"
#include "text/header_text.h"

namespace qv::internet {
namespace {

constexpr int kCtrlZ = 0x1A;

class PegasusCutter final : public Cutter {
 public:
  PegasusCutter() : Cutter(traits()) {}

  Found seek(Scan& scan, Frame& frame, MessageSink&) override {
    BlockWindow& w = scan.window;
    // A message starts at a line start or right after the Ctrl-Z of the one before.
    bool candidate = scan.atLineStart() || w.prev() == kCtrlZ;
    while (!w.atEnd()) {
      if (candidate) {
        if (classifyHeaderLine(scan.lineAhead(50)) != kNotHeader) {
          frame.start = w.pos();
          return Found::Message;
        }
        if (scan.overBudget()) return Found::Later;
      }
      if (const std::size_t n = scan.lineEndAt(0)) {
        w.advance(n);
        candidate = true;
      } else {
        candidate = w.peek() == kCtrlZ;
        w.advance();
      }
    }
    return Found::End;
  }

  // CR LF 0x1A, CR 0x1A or LF 0x1A.
  bool endsAt(const Scan& scan, const Frame&, bool lineStart, bool) const override {
    const int c = scan.window.peek();
    if (lineStart && c == kCtrlZ) return true;
    return (c == '\r' || c == '\n') && scan.window.peek(1) == kCtrlZ;
  }

 private:
  static CutterTraits traits() {
    CutterTraits t;
    t.convert.recogniser = Recogniser::Mail;
    t.convert.dayNameDates = true;
    t.softBreaks = true;
    t.midLineStops['\r'] = true;
    t.midLineStops['\n'] = true;
    return t;
  }
};

}  // namespace

std::unique_ptr<Cutter> makePegasusCutter() { return std::make_unique<PegasusCutter>(); }

}  // namespace qv::internet
