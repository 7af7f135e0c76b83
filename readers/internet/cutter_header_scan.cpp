// Stores of bare messages one after the other ("Generic Mail Type 1",
// Becky Mail, Agent Mail; Gravity for news): a message starts at a known
// header line and ends where, after its header, the next one starts.
#include "readers/internet/cutters.h"
#include "text/header_text.h"

namespace qv::internet {
namespace {

bool headerLineAt(const Scan& scan) { return classifyHeaderLine(scan.lineAhead(50)) != kNotHeader; }

class HeaderScanCutter final : public Cutter {
 public:
  explicit HeaderScanCutter(bool news) : Cutter(traits(news)) {}

  Found seek(Scan& scan, Frame& frame, MessageSink&) override {
    while (!scan.window.atEnd()) {
      if (scan.atLineStart()) {
        if (headerLineAt(scan)) {
          frame.start = scan.window.pos();
          return Found::Message;
        }
        if (scan.overBudget()) return Found::Later;
      }
      scan.toNextLine();
    }
    return Found::End;
  }

  // Within the header every line is a header line: only the body can end.
  bool endsAt(const Scan& scan, const Frame&, bool lineStart, bool inBody) const override {
    return lineStart && inBody && headerLineAt(scan);
  }

 private:
  static CutterTraits traits(bool news) {
    CutterTraits t;
    if (news) {  // Gravity
      t.convert.recogniser = Recogniser::News;
      t.convert.required = Required::AllNewsHeaders;
    } else {
      t.convert.recogniser = Recogniser::Mail;
      t.convert.required = Required::FromDateTo;
      t.softBreaks = true;
      t.lfTolerant = true;
    }
    return t;
  }
};

}  // namespace

std::unique_ptr<Cutter> makeHeaderScanCutter(bool news) { return std::make_unique<HeaderScanCutter>(news); }

}  // namespace qv::internet
