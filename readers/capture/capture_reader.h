#pragma once
// The one reader of the line-oriented CompuServe capture files: the capture
// formats ("TAPCIS 5.x", "TAPCIS 6.x", "AUTOSIG", "OzWin I", "OzWin II",
// "OzCIS"), "GoldenCompass" and "NavCIS Save format". They differ only in
// their FormatRules: how the content is told, which header layouts are read,
// the character set and GoldenCompass's soft markers.
//
// Open: the file's content (forum messages or mail) is found from its
// lines; a file without any header block of the format has none, and the
// driver skips it with "Not a Forum message or mail file!".
//
// Each continue call reads one slice: the line held over from the last call,
// then lines up to kSliceLines, then on to the next line that starts a
// message, which is held over. A slice therefore always ends on a message
// boundary and no message is cut between two calls. Every message of the
// slice is then converted: a start line opens a header block; a block that
// cannot be read counts the message as skipped (with where and why) and the
// lines up to the next start line are passed over.
//
// Bounds: a line keeps at most 1,200 characters (capture formats, stored as
// up to three 400-character pieces) or 64,000 (GoldenCompass, NavCIS); a
// slice keeps at most kSliceChars characters: the rest of a message beyond
// that is read over, since no more than 64,000 characters of text are
// stored anyway.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "readers/capture/capture_format.h"
#include "readers/capture/capture_sink.h"
#include "readers/capture/text_lines.h"
#include "readers/machinery/file_reader.h"
#include "text/line_queue.h"

namespace qv::capture {

inline constexpr std::size_t kSliceLines = 2500;
inline constexpr std::size_t kSliceChars = 4'000'000;

// The content of a file by the format's rules, read from its start.
// `mailChosen`: the import takes mail rather than forum messages (the
// formats that cannot tell them apart).
ContentKind detectContent(const FormatRules& rules, TextLines& lines, bool mailChosen);

class SliceReader final : public FileReader {
 public:
  explicit SliceReader(const FormatRules& rules) : rules_(rules) {}

  // Driven by the import: the Open phase finds the file's content, each
  // Convert call converts the next slice.
  bool reportsContent() const override { return true; }
  ContentKind contentKind() const override { return kind_; }

  // The same without a run. False when there is nothing to convert (an
  // unreadable file, counted as skipped, or one without content).
  bool open(std::unique_ptr<internet::ByteSource> source, bool mailChosen, CaptureSink& sink);
  // Converts the next slice; true when the file is finished.
  bool step(CaptureSink& sink);
  std::uint64_t position() const override { return lines_.position(); }
  std::uint64_t fileSize() const override { return lines_.size(); }

  // Called with each message's text lines as stored pieces, before assembly
  // (tests check the pieces through it).
  std::function<void(const LineQueue&)> onBody;
  // Called with the number of lines of each slice read.
  std::function<void(std::size_t)> onSlice;

 private:
  bool startFile(std::unique_ptr<internet::ByteSource> source, ImportRun& run) override;
  bool convertSlice(ImportRun& run) override;
  std::optional<TextLine> nextLine();
  bool startsMessage(const TextLine& line, const TextLine* next) const;
  bool convert(std::span<const TextLine> message, CaptureSink& sink);
  std::string bodyText(std::span<const TextLine> lines, std::size_t first, internet::Message* mail);

  const FormatRules& rules_;
  std::unique_ptr<internet::ByteSource> source_;
  TextLines lines_;
  ContentKind kind_ = ContentKind::None;
  std::optional<TextLine> held_;
  std::vector<TextLine> slice_;
  bool afterMarkerLine_ = false;  // GoldenCompass: the line before was "@l" alone
  bool done_ = true;
};

// Registers the capture, GoldenCompass, NavCIS save and separator readers.
void registerCaptureReaders(Library& lib);

}  // namespace qv::capture
