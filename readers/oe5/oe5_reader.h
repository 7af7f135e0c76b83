#pragma once
// The reader of Outlook Express 5 stores ("Outlook Express 5 Mail" and
// "Outlook Express 5 News"): a file of linked blocks, each message a chain
// of blocks (README.md beside this file gives the layout).
//
// The store's own index is not read: a message is found where a block
// stands whose first word is its own offset and whose text opens like a
// message, and its chain is followed through the next offsets wherever the
// blocks lie. A chain goes forward only (a next offset must lie past the
// block), so following one always ends. Blocks taken into a chain are not
// taken again as the start of another message.
//
// The gathered text (at most 64,000 characters; the rest of a longer chain
// is followed but not kept) is read as a message of an Internet store:
// quoted-printable pairs and soft line breaks, then the mail recogniser
// (which demands three of From, Date, To and Subject, else the message is
// skipped) or the news recogniser, part selection and body assembly.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

#include "readers/machinery/stepped_reader.h"
#include "store/domain.h"
#include "readers/machinery/store_reader.h"

namespace qv::oe5 {

inline constexpr std::size_t kBlockHeader = 16;
inline constexpr std::uint32_t kBlockText = 512;   // the most text bytes a block holds
inline constexpr std::uint32_t kBlockSpan = 528;   // a block's header and text: the least step of a chain
inline constexpr std::size_t kGatherMax = kMessageTextMax;  // the most text kept of one message

struct BlockHeader {
  std::uint32_t own = 0;      // the block's own file offset
  std::uint32_t size = 0;     // 512 in the first block of a message
  std::uint32_t textLength = 0;
  std::uint32_t next = 0;     // the next block of the message, 0 in the last
};

// The header of the block at `at` (16 bytes at least), and whether it may
// stand in a chain there: its own offset is `at`, it holds at most 512 text
// bytes, and its next offset is 0 or lies at least 528 bytes further on.
BlockHeader readBlockHeader(std::string_view bytes);
bool acceptableBlock(const BlockHeader& b, std::uint64_t at);

class Oe5Reader final : public internet::SteppedReader {
 public:
  explicit Oe5Reader(bool news);

  bool open(std::unique_ptr<internet::ByteSource> source, const std::filesystem::path& name,
            internet::MessageSink& sink, const internet::FileOpener& opener = internet::openFileSource) override;
  bool step(internet::MessageSink& sink, int budget) override;

 private:
  // At the position: the first block of a message. Its header when so.
  std::optional<BlockHeader> messageStart() const;
  // Follows the chain from the first block at the position; the text of the
  // accepted blocks, up to kGatherMax characters.
  std::string gather(const BlockHeader& first);

  internet::CutterTraits traits_;
  std::unordered_set<std::uint64_t> chained_;  // blocks already read as part of a chain
  bool done_ = true;
};

void registerOe5Readers(Library& lib);

}  // namespace qv::oe5
