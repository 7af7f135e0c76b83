#include "readers/aol/aol_reader.h"

#include <algorithm>

#include "readers/aol/aol_items.h"
#include "text/convert.h"
#include "readers/machinery/store_reader.h"
#include "store/config.h"
#include "store/dates.h"

namespace qv::aol {
namespace {

using detail::Cursor;
using detail::HeaderFields;
using detail::ItemResult;

// A record: "RS", two zero bytes, four bytes, "AOLH".
constexpr std::string_view kRecordMark("RS\0\0", 4);
constexpr std::string_view kHeaderMark = "AOLH";
constexpr std::size_t kHeaderMarkAt = 8;
constexpr std::string_view kHeaderEnd = "AOLF";
constexpr std::string_view kPartMark = "AOLFAOLH";
constexpr std::size_t kForwardedRule = 25;

// Part kinds.
constexpr std::uint32_t kPlainPart = 0;
constexpr std::uint32_t kCompressedPart = 256;
constexpr std::uint32_t kIgnoreOn = 257;
constexpr std::uint32_t kForwardedHeader = 258;
constexpr std::uint32_t kIgnoreOff = 260;

bool skippedKind(std::uint32_t kind) {
  switch (kind) {
    case 1: case 3: case 4: case 5: case 261: case 270: case 272: case 273: case 275: case 276: case 281: return true;
    default: return false;
  }
}

bool zlibStart(std::string_view bytes) {
  return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0x78 &&
         static_cast<unsigned char>(bytes[1]) == 0x9C;
}

// The text parts of one message, joined into markup for the AOL converter.
class PartText {
 public:
  // A compressed part of `length` bytes, of which `bytes` are the first.
  // Past the buffer only the length is counted: such a stream is not inflated.
  void compressed(std::string_view bytes, std::uint64_t length) {
    if (zlibStart(bytes)) inflatePending();
    pendingLength_ += length;
    if (pending_.size() < kTextMax) pending_.append(bytes.substr(0, kTextMax - pending_.size()));
  }
  void plain(std::string_view text) { markup_ += plainToMarkup(text); }
  // Inflates the compressed bytes collected so far into the text.
  void inflatePending() {
    if (pendingLength_ > kTextMax)
      plain(kTooLargeText);
    else if (pendingLength_ > 0)
      markup_ += inflateOrWarn(pending_);
    pending_.clear();
    pendingLength_ = 0;
  }
  std::size_t size() const { return markup_.size(); }
  std::string take() {
    inflatePending();
    return std::move(markup_);
  }

 private:
  // Inflated text is markup already; a warning is plain text.
  std::string inflateOrWarn(std::string_view bytes) {
    std::string text = inflateText(bytes);
    for (std::string_view w : {kCorruptedText, kNoMemoryText, kTooLargeText, kUnexpectedText})
      if (text == w) return plainToMarkup(text);
    return text;
  }

  std::string markup_;
  std::string pending_;
  std::uint64_t pendingLength_ = 0;
};

// The header of a forwarded message, as lines above its text.
std::string forwardedHeader(Cursor& c) {
  HeaderFields h;
  while (c.left() > 0) {
    const std::optional<detail::Item> item = detail::readItem(c);
    if (!item || detail::readHeaderItem(c, *item, h) != ItemResult::Read) break;
  }
  return "Date: " + h.date + "\r\nFrom: " + h.sender + "\r\nTo: " + h.to() + "\r\nSubject: " + h.subject + "\r\n" +
         std::string(kForwardedRule, '-') + "\r\n\r\n";
}

// Reads the text parts that follow the header. False when the record is
// damaged (a part runs past the end of the file); the parts read so far
// are in `text` either way.
bool readParts(Cursor& c, std::optional<std::uint32_t> count, PartText& text) {
  bool ignoring = false;
  for (std::uint32_t n = 0; !count || n < *count; ++n) {
    if (!c.ahead(kPartMark)) break;
    if (!c.skip(kPartMark.size() + 4)) return false;  // the mark and a value of no use here
    const std::optional<detail::Item> kind = detail::readItem(c);
    if (!kind || kind->tag != 12 || kind->type != 2) break;
    const std::optional<detail::Item> length = detail::readItem(c);
    if (!length || length->tag != 13 || length->type != 7) break;
    if (kind->value != kCompressedPart) text.inflatePending();
    if (length->value > c.left()) return false;
    const std::uint64_t partEnd = c.pos() + length->value;
    switch (kind->value) {
      case kCompressedPart: {
        const std::optional<std::string> bytes = c.bytes(std::min<std::uint64_t>(length->value, kTextMax + 1));
        if (!bytes) return false;
        text.compressed(*bytes, length->value);
        break;
      }
      case kPlainPart:
        if (ignoring) break;
        if (text.size() + length->value > kTextMax) {
          text.plain(std::string(kTooLongText) + "\r\n");
        } else if (const std::optional<std::string> bytes = c.bytes(length->value)) {
          text.plain(*bytes);
        } else {
          return false;
        }
        break;
      case kIgnoreOn: ignoring = true; break;
      case kIgnoreOff: ignoring = false; break;
      case kForwardedHeader: {
        Cursor items = c.within(length->value);
        text.plain(forwardedHeader(items));
        break;
      }
      default:
        if (!skippedKind(kind->value)) return true;  // an unknown kind ends the parts
        break;
    }
    c.skip(partEnd - c.pos());
  }
  return true;
}

}  // namespace

void AolReader::prepare(ImportRun& run) { order_ = internet::numericOrderOf(displaySetting(run.ctx, kItemImportDateOrder)); }

bool AolReader::open(std::unique_ptr<internet::ByteSource> source, const std::filesystem::path&,
                     internet::MessageSink& sink, const internet::FileOpener&) {
  done_ = true;
  if (today == 0) today = dates::today();
  if (!openSource(std::move(source), sink)) return false;
  if (window_.view(kFileMagic.size()) != kFileMagic) {
    sink.skip(0, "not an AOL or CompuServe 2000 store (it does not begin with AOLVM100)");
    return false;
  }
  window_.advance(kFileMagic.size());
  done_ = false;
  return true;
}

bool AolReader::atRecord() const {
  const std::string_view v = window_.view(kHeaderMarkAt + kHeaderMark.size());
  return v.size() == kHeaderMarkAt + kHeaderMark.size() && v.starts_with(kRecordMark) &&
         v.substr(kHeaderMarkAt) == kHeaderMark;
}

std::uint64_t AolReader::readRecord(internet::MessageSink& sink, bool& writeFailed) {
  const std::uint64_t at = window_.pos();
  const std::uint64_t pastMark = at + kRecordMark.size();
  Cursor c(*source_, at + kHeaderMarkAt + kHeaderMark.size(), window_.size());
  HeaderFields h;
  while (!c.ahead(kHeaderEnd)) {
    const std::optional<detail::Item> item = detail::readItem(c);
    const ItemResult r = item ? detail::readHeaderItem(c, *item, h) : ItemResult::Damaged;
    if (r == ItemResult::UnknownTag) {
      sink.skip(at, "a message with the unknown header tag " + std::to_string(item->tag));
      return pastMark;
    }
    if (r == ItemResult::Damaged) {
      sink.skip(at, "a damaged message header");
      return pastMark;
    }
  }
  PartText text;
  const bool whole = readParts(c, h.partCount, text);

  LineQueue lines;
  for (std::string line : {"Date: " + dateLine(h.sentSeconds, h.date, order_, today), "From: " + h.sender,
                           "To: " + h.to(), "Subject: " + h.subject, std::string()})
    lines.push_back({std::move(line), false});
  const std::string markup = text.take();
  for (std::size_t i = 0; i < markup.size(); i += kQueueLineMax)
    lines.push_back({markup.substr(i, kQueueLineMax), i + kQueueLineMax < markup.size()});
  internet::ConvertOptions options;
  options.aolBody = true;
  internet::Converted converted = internet::convertMessage(lines, options, nullptr);
  if (!converted.message) {
    sink.skip(at, converted.rejected);
  } else if (!sink.take(*converted.message, at)) {
    writeFailed = true;
  }
  return whole ? std::max(c.pos(), pastMark) : pastMark;
}

bool AolReader::step(internet::MessageSink& sink, int budget) {
  if (done_) return true;
  const std::uint64_t budgetEnd = window_.pos() + internet::kBytesPerCall;
  int handled = 0;
  while (!window_.atEnd()) {
    if (handled >= std::max(budget, 1) || window_.pos() >= budgetEnd) return false;
    if (!atRecord()) {
      window_.advance();
      continue;
    }
    bool writeFailed = false;
    const std::uint64_t next = readRecord(sink, writeFailed);
    ++handled;
    if (writeFailed) break;
    window_.seek(next);
  }
  reportReadError(sink);
  done_ = true;
  return true;
}

void registerAolReaders(Library& lib) {
  for (std::string_view format : {"AOL", "CompuServe 2000"})
    registerReader(lib, format, [] { return std::make_unique<AolReader>(); });
}

}  // namespace qv::aol
