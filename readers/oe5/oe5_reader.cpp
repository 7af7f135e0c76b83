#include "readers/oe5/oe5_reader.h"

#include <algorithm>
#include <array>

#include "text/header_text.h"

namespace qv::oe5 {
namespace {

std::uint32_t le32(std::string_view b, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + i])) << (8 * i);
  return v;
}

// Whether a block's text opens a message: a "From -" separator or a header
// line that the classifier knows, on its first line within 50 characters.
bool opensMessage(std::string_view text) {
  if (text.starts_with("From -")) return true;
  text = text.substr(0, 50);
  text = text.substr(0, text.find_first_of("\r\n"));
  return internet::classifyHeaderLine(text) != internet::kNotHeader;
}

}  // namespace

BlockHeader readBlockHeader(std::string_view bytes) {
  return {le32(bytes, 0), le32(bytes, 4), le32(bytes, 8), le32(bytes, 12)};
}

bool acceptableBlock(const BlockHeader& b, std::uint64_t at) {
  return b.own == at && b.textLength <= kBlockText && (b.next == 0 || b.next >= at + kBlockSpan);
}

Oe5Reader::Oe5Reader(bool news) {
  traits_.softBreaks = true;
  if (news) {
    traits_.convert.recogniser = internet::Recogniser::News;
    traits_.convert.addressVariant = true;
  } else {
    traits_.convert.recogniser = internet::Recogniser::Mail;
    traits_.convert.required = internet::Required::ThreeOfFour;
  }
}

bool Oe5Reader::open(std::unique_ptr<internet::ByteSource> source, const std::filesystem::path&,
                     internet::MessageSink& sink, const internet::FileOpener&) {
  done_ = true;
  chained_.clear();
  if (!openSource(std::move(source), sink)) return false;
  done_ = false;
  return true;
}

std::optional<BlockHeader> Oe5Reader::messageStart() const {
  const std::string_view v = window_.view(kBlockHeader + kBlockText);
  if (v.size() < kBlockHeader) return std::nullopt;
  const std::uint64_t at = window_.pos();
  // The cheap test first: most positions do not hold their own offset.
  if (le32(v, 0) != at) return std::nullopt;
  const BlockHeader b = readBlockHeader(v);
  if (b.size != kBlockText || !acceptableBlock(b, at) || chained_.contains(at)) return std::nullopt;
  if (!opensMessage(v.substr(kBlockHeader, b.textLength))) return std::nullopt;
  return b;
}

std::string Oe5Reader::gather(const BlockHeader& first) {
  const std::string_view v = window_.view(kBlockHeader + first.textLength);
  std::string text(v.substr(std::min(v.size(), kBlockHeader)));
  std::uint64_t next = first.next;
  std::array<char, kBlockSpan> block{};
  while (next != 0) {
    // A block that cannot be read whole, or does not fit the chain, ends it:
    // the message keeps the text gathered so far.
    const std::optional<std::size_t> got = source_->read(next, block.data(), block.size());
    if (!got || *got < kBlockHeader) break;
    const std::string_view bytes(block.data(), *got);
    const BlockHeader b = readBlockHeader(bytes);
    if (!acceptableBlock(b, next) || chained_.contains(next)) break;
    chained_.insert(next);
    const std::string_view blockText = bytes.substr(kBlockHeader, b.textLength);
    if (text.size() < kGatherMax) text.append(blockText.substr(0, kGatherMax - text.size()));
    next = b.next;
  }
  return text;
}

bool Oe5Reader::step(internet::MessageSink& sink, int budget) {
  if (done_) return true;
  const std::uint64_t budgetEnd = window_.pos() + internet::kBytesPerCall;
  int handled = 0;
  while (!window_.atEnd()) {
    if (handled >= std::max(budget, 1) || window_.pos() >= budgetEnd) return false;
    const std::optional<BlockHeader> first = messageStart();
    if (!first) {
      window_.advance();
      continue;
    }
    const std::uint64_t at = window_.pos();
    const std::string text = gather(*first);
    ++handled;
    window_.advance(kBlockHeader + first->textLength);
    if (!internet::convertWholeText(text, traits_, sink, at)) {
      done_ = true;
      return true;
    }
  }
  reportReadError(sink);
  done_ = true;
  return true;
}

void registerOe5Readers(Library& lib) {
  registerReader(lib, "Outlook Express 5 Mail", [] { return std::make_unique<Oe5Reader>(false); });
  registerReader(lib, "Outlook Express 5 News", [] { return std::make_unique<Oe5Reader>(true); });
}

}  // namespace qv::oe5
