#pragma once
// The separator reader of "VirtualAccess", "Agent News" and "Unix News":
// messages separated by marker lines, each an Internet-style header and its
// text; VirtualAccess puts title lines with the forum, section, number and
// date between the separator and the header.
//
// Separators: "==========" (ten equal signs) for VirtualAccess; for the news
// formats the first 300 bytes decide once: the first run of five equal
// signs, when it begins "========", makes "========" lines the separators;
// otherwise a "From " separator line as the "From " mailboxes have them (an
// "@" in its first 100 characters, or the mailbox date at its end:
// internet/from_line.h) makes such lines the separators. A news file with
// neither has no messages.
//
// Lines are read with quoted-printable soft breaks undone and "=XX" pairs
// decoded (separator lines themselves are read as they are). After a
// VirtualAccess separator: an optional second "==========" line, one or two
// title lines and a line of exactly ten "-". The header is read by the news
// recogniser, which tells newsgroup messages (a Newsgroups line) from mail;
// a message with a VirtualAccess title is a forum message.
//
// Bounds: at most `budget` messages per call; a message keeps at most
// internet::kCollectMax characters of lines, the rest is read over.

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "readers/capture/capture_sink.h"
#include "readers/capture/text_lines.h"
#include "readers/machinery/file_reader.h"
#include "text/line_queue.h"

namespace qv::capture {

enum class SeparatorKind : std::uint8_t { None, Tens, Eights, FromLines };

// The separators of a news file from its first 300 bytes.
SeparatorKind newsSeparators(std::string_view firstBytes);

// What a VirtualAccess title says.
struct VaTitle {
  std::string forum;  // upper case
  std::uint32_t sectionNumber = 0;
  std::string sectionName;
  std::uint32_t number = 0;
  std::uint32_t reference = 0;
  std::int32_t date = 0;
  std::int32_t time = 0;
};
// Reads the first title line and, when given, the "Comment to " line. False
// when the first line names no forum or message number.
bool readVaTitle(std::string_view first, std::string_view comment, VaTitle& out);

class SeparatorReader final : public FileReader {
 public:
  explicit SeparatorReader(bool virtualAccess) : virtualAccess_(virtualAccess) {}

  // Without a run; false when there is nothing to read.
  bool open(std::unique_ptr<internet::ByteSource> source, CaptureSink& sink);
  // Converts up to `budget` messages; true when the file is finished.
  bool step(CaptureSink& sink, int budget);
  std::uint64_t position() const override { return lines_.position(); }
  std::uint64_t fileSize() const override { return lines_.size(); }

  // Called with each message's lines after the separator, as collected.
  std::function<void(const LineQueue&)> onCollected;

 private:
  bool startFile(std::unique_ptr<internet::ByteSource> source, ImportRun& run) override;
  bool convertSlice(ImportRun& run) override;
  bool isSeparator(std::string_view line) const;
  bool convert(LineQueue& lines, std::uint64_t offset, CaptureSink& sink);

  bool virtualAccess_;
  SeparatorKind separators_ = SeparatorKind::None;
  std::unique_ptr<internet::ByteSource> source_;
  TextLines lines_;
  bool done_ = true;
};

}  // namespace qv::capture
