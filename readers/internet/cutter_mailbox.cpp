// Mailboxes whose messages follow a separator: the marker mailboxes of IE
// Mail and Outlook Express 4 Mail, Netscape's "From - " folders, and the
// "From " mailboxes.
#include "readers/internet/cutters.h"
#include "text/from_line.h"
#include "text/header_text.h"

namespace qv::internet {
namespace {

constexpr std::string_view kMarker{"\x7F\x00\x7F", 3};
constexpr std::string_view kNetscapeSeparator = "From - ";

// The first line of a message after a separator.
bool messageHeaderAt(const Scan& scan) {
  const std::string_view line = scan.lineAhead(8);
  return startsWithUpper(line, "FROM:") || startsWithUpper(line, "DATE:") || startsWithUpper(line, "TO:") ||
         startsWithUpper(line, "SUBJECT:");
}

CutterTraits mailTraits() {
  CutterTraits t;
  t.convert.recogniser = Recogniser::Mail;
  return t;
}

class MarkerCutter final : public Cutter {
 public:
  MarkerCutter() : Cutter(traits()) {}

  Found seek(Scan& scan, Frame& frame, MessageSink&) override {
    bool afterMarker = false;
    while (!scan.window.atEnd()) {
      if (markerAt(scan)) {
        scan.window.advance(kMarker.size());
        inRecord_ = afterMarker = true;
        continue;
      }
      if (inRecord_ && (afterMarker || scan.atLineStart()) && messageHeaderAt(scan)) {
        inRecord_ = false;
        frame.start = scan.window.pos();
        return Found::Message;
      }
      if (scan.overBudget()) return Found::Later;
      afterMarker = false;
      scan.window.advance();
      scan.skipToAny(std::string_view("\n\x7F", 2));
      if (scan.window.peek() == '\n') scan.window.advance();
    }
    return Found::End;
  }

  bool endsAt(const Scan& scan, const Frame&, bool, bool) const override { return markerAt(scan); }

 private:
  static CutterTraits traits() {
    CutterTraits t = mailTraits();
    t.softBreaks = true;
    t.encodedBlankBreaks = true;
    t.midLineStops[0x7F] = true;
    return t;
  }
  static bool markerAt(const Scan& scan) { return scan.window.view(kMarker.size()) == kMarker; }

  bool inRecord_ = false;  // a marker was passed and its message's first line not found yet
};

class NetscapeMailCutter final : public Cutter {
 public:
  NetscapeMailCutter() : Cutter(traits()) {}

  Found seek(Scan& scan, Frame& frame, MessageSink&) override {
    while (!scan.window.atEnd()) {
      if (scan.atLineStart()) {
        if (separatorAt(scan)) {
          inRecord_ = true;
        } else if (inRecord_ && messageHeaderAt(scan)) {
          inRecord_ = false;
          frame.start = scan.window.pos();
          return Found::Message;
        } else if (scan.overBudget()) {
          return Found::Later;
        }
      }
      scan.toNextLine();
    }
    return Found::End;
  }

  bool endsAt(const Scan& scan, const Frame&, bool lineStart, bool) const override {
    return lineStart && separatorAt(scan);
  }

 private:
  // The Unix and Mac versions of Netscape write LF line ends, the Windows
  // version CR LF.
  static CutterTraits traits() {
    CutterTraits t = mailTraits();
    t.lfTolerant = true;
    return t;
  }
  static bool separatorAt(const Scan& scan) {
    return scan.window.view(kNetscapeSeparator.size()) == kNetscapeSeparator;
  }

  bool inRecord_ = false;  // a separator was passed and its message's first line not found yet
};

class FromLineCutter final : public SeparatorLineCutter {
 public:
  explicit FromLineCutter(bool news) : SeparatorLineCutter(traits(news)) {}

 private:
  static CutterTraits traits(bool news) {
    CutterTraits t;
    t.convert.recogniser = news ? Recogniser::News : Recogniser::Mail;
    t.softBreaks = true;
    t.lfTolerant = true;
    return t;
  }
  // "From " and an "@" within the line's first 100 characters, or a line
  // ending in the mailbox date (from_line.h). One character more than the
  // longest date line is looked at, so that a longer line is seen as such.
  bool separatorAt(const Scan& scan) const override {
    if (scan.window.view(5) != "From ") return false;
    return fromSeparatorLine(scan.lineAhead(kFromLineDateMax + 1));
  }
};

}  // namespace

std::unique_ptr<Cutter> makeMarkerCutter() { return std::make_unique<MarkerCutter>(); }
std::unique_ptr<Cutter> makeNetscapeMailCutter() { return std::make_unique<NetscapeMailCutter>(); }
std::unique_ptr<Cutter> makeFromLineCutter(bool news) { return std::make_unique<FromLineCutter>(news); }

}  // namespace qv::internet
