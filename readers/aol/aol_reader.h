#pragma once
// The reader of AOL and CompuServe 2000 stores: a tagged binary file whose
// message texts are mostly zlib-compressed (README.md beside this file gives
// the layout).
//
// A message is a record found by its marks; its header items give the
// date, sender, recipient and subject, which become header lines for the
// mail recogniser, and its text parts are joined into one markup text that
// the AOL HTML converter turns into the stored text. A record with a header
// tag not known here is skipped (counted); an unknown part kind ends the
// message's parts, keeping what was read. Damaged compressed text is stored
// as a warning in its place, never as the raw bytes.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "store/domain.h"
#include "text/date_text.h"
#include "readers/machinery/stepped_reader.h"

namespace qv::aol {

inline constexpr std::string_view kFileMagic = "AOLVM100";
inline constexpr std::size_t kTextMax = kMessageTextMax;  // the most compressed or inflated bytes of one message

inline constexpr std::string_view kCorruptedText = "WARNING! Compressed message text corrupted for this message!";
inline constexpr std::string_view kNoMemoryText = "WARNING! Not enough memory to decode this message text!";
inline constexpr std::string_view kTooLargeText = "WARNING! Message text larger than 64 kB!";
inline constexpr std::string_view kUnexpectedText = "WARNING! Unexpected error during message decompression!";
inline constexpr std::string_view kTooLongText = "Too long text (more than 64 kB)";

using DateOrder = internet::NumericOrder;

// The value of the "Date: " line of a message: "DD Mmm YYYY" and the time.
// The day comes from `sentSeconds` (seconds since 1 January 1980) when it
// lies strictly between 1 January 1995 and 1 January 2009 and is not after
// `today`; otherwise from the date text, whose numbers are separated by
// "/", "-" or "." and read in `order` (a four-digit first number is always
// a year, then month and day). The time is the date text after its first
// blank, "00:00:00" when there is none. A date that cannot be read leaves
// the date text as it is.
std::string dateLine(std::optional<std::uint32_t> sentSeconds, std::string_view dateText, DateOrder order,
                     std::int32_t today);

// Inflates one zlib stream into at most kTextMax bytes: the text, or the
// warning that takes its place (corrupted, out of memory, larger than 64 kB,
// anything else).
std::string inflateText(std::string_view compressed);

// Plain text made markup for the AOL converter: line ends (CR LF, or a lone
// CR or LF) become "<BR>", "<" and ">" become "&lt;" and "&gt;".
std::string plainToMarkup(std::string_view text);

class AolReader final : public internet::SteppedReader {
 public:
  explicit AolReader(DateOrder order = DateOrder::MonthDayYear) : order_(order) {}

  void prepare(ImportRun& run) override;
  // False also for a file that does not begin with "AOLVM100" (said to the sink).
  bool open(std::unique_ptr<internet::ByteSource> source, const std::filesystem::path& name,
            internet::MessageSink& sink, const internet::FileOpener& opener = internet::openFileSource) override;
  bool step(internet::MessageSink& sink, int budget) override;

  // The day the send times are checked against (today unless a test says).
  std::int32_t today = 0;

 private:
  bool atRecord() const;
  // Reads the record at the position into the sink. The offset to go on
  // from: past the record when it was read whole, else just past its mark.
  std::uint64_t readRecord(internet::MessageSink& sink, bool& writeFailed);

  DateOrder order_;
  bool done_ = true;
};

void registerAolReaders(Library& lib);

}  // namespace qv::aol
