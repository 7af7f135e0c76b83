#pragma once
// The one reading machinery of the Internet mail and news stores.
//
// A StoreReader walks a store through the block window, collects each
// message's lines into the line queue, converts them (convert.h) and hands
// the result to a sink. What differs per format is only where a message
// starts and ends: that is the Cutter the reader is given (cutters.h).
//
// Collecting lines: a line ends at CR LF (or LF in files found to be
// LF-style); a line longer than 400 characters goes on in further entries,
// all but the last marked split; an empty line is an empty entry. Every "="
// followed by an accepted quoted-printable pair becomes the decoded
// character, whatever the message's transfer encoding. Readers with soft
// line breaks also drop an "=" directly before the line end together with
// the line end, unless a "?" stands before the "=" (the end of an encoded
// header word).
//
// Bounds: the file is never read whole (two blocks in view); a message keeps
// at most kCollectMax characters of lines (the rest of a larger message is
// read over, since at most 64,000 characters of text are stored anyway); a
// call converts at most `budget` messages and reads about kBytesPerCall
// bytes before it returns, resuming where it stopped.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>

#include "import/reader.h"
#include "text/block_window.h"
#include "text/convert.h"
#include "text/message.h"
#include "readers/machinery/run_scan.h"
#include "readers/machinery/stepped_reader.h"
#include "text/line_queue.h"

namespace qv::internet {

inline constexpr std::size_t kCollectMax = 2'000'000;
inline constexpr std::uint64_t kBytesPerCall = 1'000'000;

enum class LineStyle : std::uint8_t { CrLf, Lf };

// The line-end style of an LF-tolerant reader's file, from its first bytes:
// the first LF without a CR before it makes the file LF-style, a CR LF found
// first makes it CR LF style (as does a start without any LF).
LineStyle detectLineStyle(std::string_view firstBytes);

// The window as the cutters see it.
class Scan {
 public:
  explicit Scan(BlockWindow& w) : window(w) {}

  BlockWindow& window;
  LineStyle style = LineStyle::CrLf;
  // A search for a message start stops (Found::Later) at a line start past
  // this position, so that a call does a bounded amount of reading.
  std::uint64_t budgetEnd = std::numeric_limits<std::uint64_t>::max();

  bool overBudget() const { return window.pos() >= budgetEnd; }
  // At the start of the data, or right after a line end.
  bool atLineStart() const;
  // The length of the line end `ahead` bytes past the position, 0 when none.
  std::size_t lineEndAt(std::size_t ahead) const;
  // Up to `n` bytes from the position, not past a CR or LF.
  std::string_view lineAhead(std::size_t n) const;
  // Past the next line end, or to the end of the data.
  void toNextLine();
  // Forward to the next byte that is one of `stops` (or the end of the data).
  void skipToAny(std::string_view stops);
};

// The message being collected.
struct Frame {
  std::uint64_t start = 0;                                        // its first byte
  std::uint64_t end = std::numeric_limits<std::uint64_t>::max();  // past its last byte, when the store says
  std::optional<Prefill> prefill;
  bool byRecord = false;  // binary news: begun by a record, so only the next record ends it
};

enum class Found : std::uint8_t { Message, End, Later };

struct CutterTraits {
  ConvertOptions convert;
  bool softBreaks = false;               // "=" before the line end joins the lines
  bool encodedBlankBreaks = false;       // "=20" before the line end joins them too (keeping the blank)
  bool lfTolerant = false;               // the line-end style is taken from the file
  std::array<bool, 256> midLineStops{};  // bytes at which endsAt is also asked within a line
};

// The part of a reader that knows its format.
class Cutter {
 public:
  explicit Cutter(CutterTraits traits) : traits_(traits) {}
  virtual ~Cutter() = default;
  Cutter(const Cutter&) = delete;
  Cutter& operator=(const Cutter&) = delete;

  const CutterTraits& traits() const { return traits_; }

  // The format's start work, once the line style is fixed, at the start of
  // the data. False: the data is not a store of this format (the reason went
  // to the sink) and the reader is finished.
  virtual bool prepare(Scan& scan, const std::filesystem::path& file, const FileOpener& open, MessageSink& sink);
  // From the position on, finds the next message start and leaves the window
  // at its first byte with `frame` filled (start, and end or prefill where the
  // format has them). End: no message is left. Later: the search went past
  // scan.budgetEnd; it goes on from the position at the next call. Bytes
  // that start no message are passed over; damaged records may be reported
  // to the sink as skipped.
  virtual Found seek(Scan& scan, Frame& frame, MessageSink& sink) = 0;
  // Whether the message being collected ends at the position. Asked at
  // every line start (`lineStart`) and, within lines, at the bytes of
  // midLineStops; never at the message's first byte. `inBody`: an empty line
  // has been collected, so the header is over.
  virtual bool endsAt(const Scan& scan, const Frame& frame, bool lineStart, bool inBody) const = 0;

 private:
  CutterTraits traits_;
};

// A store whose messages each begin with a separator line ("From …"): a
// message starts at such a line and ends where the next one stands.
class SeparatorLineCutter : public Cutter {
 public:
  using Cutter::Cutter;
  Found seek(Scan& scan, Frame& frame, MessageSink& sink) override;
  bool endsAt(const Scan& scan, const Frame& frame, bool lineStart, bool inBody) const override;

 protected:
  // Whether a separator line starts at the position (a line start).
  virtual bool separatorAt(const Scan& scan) const = 0;
};

class StoreReader final : public SteppedReader {
 public:
  explicit StoreReader(std::unique_ptr<Cutter> cutter);

  bool open(std::unique_ptr<ByteSource> source, const std::filesystem::path& name, MessageSink& sink,
            const FileOpener& opener = openFileSource) override;
  bool step(MessageSink& sink, int budget) override;

  // Called with each message's lines as collected, before conversion (tests
  // and fuzz targets check the collection through it).
  std::function<void(const LineQueue&)> onCollected;

 private:
  enum class State : std::uint8_t { Seeking, Collecting, Done };
  enum class Collect : std::uint8_t { Line, MessageEnd };

  Collect collectLine();
  bool equalsSign();  // at "=": a soft break or a pair was read
  int peekInMessage(std::size_t ahead) const;
  std::size_t lineEndInMessage(std::size_t ahead) const;
  void append(char c);
  void appendPlainRun();
  void recycleQueue();
  void closeLine();
  void push(bool split);
  bool finishMessage(MessageSink& sink);
  void finish(MessageSink& sink);

  std::unique_ptr<Cutter> cutter_;
  Scan scan_{window_};
  State state_ = State::Done;
  Frame frame_;
  LineQueue queue_;
  std::string line_;  // the entry being filled
  std::vector<std::string> spare_;    // texts of earlier queue entries, kept for reuse
  std::array<bool, 256> runStops_{};  // bytes that end a run of plain line bytes
  RunScan runScan_;                   // finds them
  std::size_t collected_ = 0;
  bool lineBegun_ = false;  // bytes of the current physical line were read
  bool lineStart_ = true;
  bool inBody_ = false;
  int prevRaw_ = -1;            // the byte read before the current one
  std::uint64_t seekFrom_ = 0;  // where the search for the current message began
};

// A reader of one of the formats of this family ("Eudora", "IE Mail" …);
// null for any other format name.
std::unique_ptr<StoreReader> makeStoreReader(std::string_view format);

// The format names this family reads.
const std::vector<std::string_view>& storeFormats();

// Registers a StoreReader for each of them.
void registerInternetReaders(Library& lib);

}  // namespace qv::internet

namespace qv::internet {

// One message that a container reader has gathered whole (an Outlook
// Express 5 block chain): its lines are collected as in a store read with
// `traits` (pairs decoded, soft breaks joined where the traits say),
// converted, and handed to `sink` — as found at `offset` in the container,
// for the sink's log. False when the sink's write failed.
bool convertWholeText(std::string_view text, const CutterTraits& traits, MessageSink& sink, std::uint64_t offset);

}  // namespace qv::internet
