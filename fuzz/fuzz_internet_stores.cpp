// Arbitrary bytes through the Internet store readers. The first byte picks
// the format (and so the reader family) and the size of a call; the rest is
// the store. Every message handed on must fit the temporary message
// record's fields, and the reader must finish within a bounded number of
// calls. Eudora is also given the input as its table of contents, so the
// offset filter meets arbitrary offsets.
//
// Built once for all formats (fuzz_internet_stores) and once per reader
// family, with QV_FUZZ_FORMATS naming the family's formats ("A|B|C"), so
// that each family gets a whole run of its own.
#include <cstdint>
#include <string>
#include <string_view>

#include "readers/machinery/store_reader.h"
#include "store/tables.h"

namespace {

void require(bool ok) {
  if (!ok) __builtin_trap();
}

// Takes what the reader hands on as the import's sink would: into the
// fields of a temporary message record, whose fixed widths cut the texts.
struct CheckingSink final : qv::internet::MessageSink {
  bool take(const qv::internet::Message& m, std::uint64_t offset) override {
    require(offset <= size);
    require(m.text.size() <= qv::NewHR::MSGTEXTMax);
    require(m.messageId.size() <= 60 && m.parentId.size() <= 800);
    nhr = qv::NewHR{};
    nhr.HEADING = m.subject;
    nhr.S_CISADRESS = m.senderAddress;
    nhr.S_NAME = m.senderName;
    nhr.R_CISADRESS = m.recipientAddress;
    nhr.R_NAME = m.recipientName;
    nhr.DATE = m.date;
    nhr.TIME = m.time;
    for (const std::string& group : m.newsgroups) nhr.FOR_DESCRIPTION = group;
    ++taken;
    return true;
  }
  void skip(std::uint64_t offset, std::string why) override {
    require(offset <= size && !why.empty());
    ++skipped;
  }

  std::uint64_t size = 0;
  qv::NewHR nhr;
  std::size_t taken = 0, skipped = 0;
};

// The formats this build fuzzes: the family's, or all of them.
std::vector<std::string_view> fuzzedFormats() {
#ifdef QV_FUZZ_FORMATS
  std::vector<std::string_view> out;
  std::string_view names = QV_FUZZ_FORMATS;
  while (!names.empty()) {
    const std::size_t bar = names.find('|');
    out.push_back(names.substr(0, bar));
    names = bar == std::string_view::npos ? std::string_view{} : names.substr(bar + 1);
  }
  return out;
#else
  return qv::internet::storeFormats();
#endif
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qv::internet;
  if (size == 0) return 0;
  static const std::vector<std::string_view> formats = fuzzedFormats();
  const std::string_view format = formats[data[0] % formats.size()];
  const int budget = 1 + (data[0] >> 4);
  const std::string_view store(reinterpret_cast<const char*>(data) + 1, size - 1);

  std::unique_ptr<StoreReader> reader = makeStoreReader(format);
  require(reader != nullptr);
  CheckingSink sink;
  sink.size = store.size();
  // The store's companion (Eudora's table of contents) is the store itself.
  const FileOpener opener = [store](const std::filesystem::path&) -> std::unique_ptr<ByteSource> {
    return std::make_unique<MemorySource>(store);
  };
  if (!reader->open(std::make_unique<MemorySource>(store), "/fuzz/STORE.MBX", sink, opener)) return 0;
  // Every call reads on: a store of n bytes cannot need more than n + 2 calls.
  std::size_t calls = 0;
  while (!reader->step(sink, budget)) require(++calls <= store.size() + 2);
  return 0;
}
