// Eudora mailboxes and their tables of contents.
#include <set>
#include <system_error>

#include "readers/internet/cutters.h"
#include "store/charset.h"

namespace qv::internet {
namespace {

constexpr std::string_view kSeparator = "From ???@???";
constexpr std::uint64_t kTocHeader = 104;
constexpr std::uint64_t kTocEntry = 218;

// The table of contents of `mailbox`: the name with "TOC" for its last three
// characters (when the fourth from the end is "."), found without regard to
// letter case as the mailbox's own system would.
std::unique_ptr<ByteSource> openToc(const std::filesystem::path& mailbox, const FileOpener& open) {
  std::string name = mailbox.filename().string();
  if (name.size() < 4 || name[name.size() - 4] != '.') return nullptr;
  name.replace(name.size() - 3, 3, "TOC");
  const std::filesystem::path dir = mailbox.parent_path();
  if (auto toc = open(dir / name)) return toc;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(dir.empty() ? "." : dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (upper1252(it->path().filename().string()) == upper1252(name)) return open(it->path());
  }
  return nullptr;
}

class EudoraCutter final : public SeparatorLineCutter {
 public:
  EudoraCutter() : SeparatorLineCutter(traits()) {}

  bool prepare(Scan&, const std::filesystem::path& file, const FileOpener& open, MessageSink&) override {
    std::unique_ptr<ByteSource> toc = openToc(file, open);
    if (!toc) return true;
    // Each entry begins with the byte offset of its message (32 bits, little-endian).
    for (std::uint64_t at = kTocHeader; at + 4 <= toc->size(); at += kTocEntry) {
      unsigned char b[4];
      const std::optional<std::size_t> got = toc->read(at, reinterpret_cast<char*>(b), 4);
      if (!got || *got < 4) break;
      const std::uint64_t offset =
          std::uint64_t{b[0]} | std::uint64_t{b[1]} << 8 | std::uint64_t{b[2]} << 16 | std::uint64_t{b[3]} << 24;
      starts_.insert(offset);
    }
    return true;
  }


 private:
  static CutterTraits traits() {
    CutterTraits t;
    t.convert.recogniser = Recogniser::Eudora;
    t.convert.dayNameDates = true;
    return t;
  }

  // A separator line; with a table of contents only where it lists a message.
  bool separatorAt(const Scan& scan) const override {
    if (scan.window.view(kSeparator.size()) != kSeparator) return false;
    return starts_.empty() || starts_.count(scan.window.pos()) > 0;
  }

  std::set<std::uint64_t> starts_;  // message offsets from the table of contents (0-based)
};

}  // namespace

std::unique_ptr<Cutter> makeEudoraCutter() { return std::make_unique<EudoraCutter>(); }

}  // namespace qv::internet
