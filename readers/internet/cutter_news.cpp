// News stores: IE News and Outlook Express 4 News (0xBC records with the
// article's header fields, or bare articles) and Netscape News (bare
// articles).
#include "readers/internet/cutters.h"
#include "text/header_text.h"

namespace qv::internet {
namespace {

constexpr int kRecordMark = 0xBC;
constexpr std::size_t kFirstString = 22;  // from the mark to the Message-ID's "<"
constexpr std::size_t kFieldMax = 400;

std::string cut(std::string s, std::size_t n) {
  if (s.size() > n) s.resize(n);
  return s;
}

class NewsCutter final : public Cutter {
 public:
  explicit NewsCutter(bool records) : Cutter(traits(records)), records_(records) {}

  Found seek(Scan& scan, Frame& frame, MessageSink& sink) override {
    BlockWindow& w = scan.window;
    const std::string_view stops = records_ ? std::string_view("\n\xBC", 2) : std::string_view("\n", 1);
    while (!w.atEnd()) {
      if (recordAt(scan)) {
        const std::uint64_t at = w.pos();
        if (readRecord(scan, frame)) return Found::Message;
        // The window stands at the record that cut this one short, or at the end.
        sink.skip(at, "an article header without its text");
        continue;
      }
      if (scan.atLineStart()) {
        if (articleLineAt(scan)) {
          frame.start = w.pos();
          return Found::Message;
        }
        if (scan.overBudget()) return Found::Later;
      }
      const int c = w.peek();
      w.advance();
      if (c != '\n') {
        scan.skipToAny(stops);
        if (w.peek() == '\n') w.advance();
      }
    }
    return Found::End;
  }

  // A record ends at the next record; an article begun by its lines also at
  // the next article line after its header.
  bool endsAt(const Scan& scan, const Frame& frame, bool lineStart, bool inBody) const override {
    if (recordAt(scan)) return true;
    return !frame.byRecord && lineStart && inBody && articleLineAt(scan);
  }

 private:
  static CutterTraits traits(bool records) {
    CutterTraits t;
    t.convert.recogniser = Recogniser::News;
    t.convert.addressVariant = !records;  // Netscape News
    t.lfTolerant = !records;              // Netscape News on Unix and the Mac writes LF line ends
    t.midLineStops[kRecordMark] = records;
    return t;
  }

  bool recordAt(const Scan& scan) const {
    return records_ && scan.window.peek() == kRecordMark && scan.window.peek(kFirstString) == '<';
  }

  // A line that begins with a capital letter and reads "From:" or "Date:",
  // or "Newsg", "Subje" or "Messa" with a ":" in its first 50 characters.
  static bool articleLineAt(const Scan& scan) {
    const std::string_view line = scan.lineAhead(50);
    if (line.empty() || line[0] < 'A' || line[0] > 'Z') return false;
    if (startsWithUpper(line, "FROM:") || startsWithUpper(line, "DATE:")) return true;
    return (startsWithUpper(line, "NEWSG") || startsWithUpper(line, "SUBJE") || startsWithUpper(line, "MESSA")) &&
           line.find(':') != std::string_view::npos;
  }

  // One field of a record: up to `stop` (or a NUL, or for `lineField` a line
  // end), at most 400 characters. Its end mark is passed over and returned;
  // -1 when a record start or the end of the data cuts the field.
  int readField(Scan& scan, std::string& out, int stop, bool lineField) const {
    BlockWindow& w = scan.window;
    out.clear();
    while (out.size() < kFieldMax) {
      if (w.atEnd() || recordAt(scan)) return -1;
      const int c = w.peek();
      if (c == stop || c == 0 || (lineField && (c == '\r' || c == '\n'))) {
        w.advance();
        return c;
      }
      out += static_cast<char>(c);
      w.advance();
    }
    return stop;
  }

  // At a record mark: reads the header fields into the frame's prefill and
  // finds the article's first line. False when the record has no text.
  bool readRecord(Scan& scan, Frame& frame) const {
    BlockWindow& w = scan.window;
    w.advance(kFirstString);
    Prefill p;
    std::string field;
    if (readField(scan, field, 0, false) < 0) return false;
    p.messageId = cut(field, 60);
    if (readField(scan, field, 0, false) < 0) return false;
    p.subject = cut(field, 100);
    if (readField(scan, field, 0, false) < 0) return false;
    p.from = cut(field, 100);
    if (w.peek() != 0) {
      if (readField(scan, field, 0, false) < 0) return false;
      const std::size_t last = field.rfind('<');
      p.references = last == std::string::npos ? field : field.substr(last);
    } else {
      w.advance();
    }
    // "server group:number": the word is passed over, the group kept.
    const int end = readField(scan, field, ' ', true);
    if (end < 0) return false;
    if (end == ' ') {
      if (readField(scan, field, ':', true) < 0) return false;
      p.newsgroups = cut(field, 100);
    }
    // The article's text begins at its first From or Newsgroups line.
    const std::string_view stops("\n\0\xBC", 3);
    while (!w.atEnd()) {
      if (recordAt(scan)) return false;
      if (scan.atLineStart() || w.prev() == 0) {
        const std::string_view line = scan.lineAhead(11);
        if (startsWithUpper(line, "FROM:") || startsWithUpper(line, "NEWSGROUPS:")) {
          frame.start = w.pos();
          frame.prefill = std::move(p);
          frame.byRecord = true;
          return true;
        }
      }
      const int c = w.peek();
      w.advance();
      if (c != '\n' && c != 0) {
        scan.skipToAny(stops);
        if (w.peek() == '\n' || w.peek() == 0) w.advance();
      }
    }
    return false;
  }

  bool records_;
};

}  // namespace

std::unique_ptr<Cutter> makeNewsCutter(bool records) { return std::make_unique<NewsCutter>(records); }

}  // namespace qv::internet
