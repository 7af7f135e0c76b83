// Arbitrary text cut into words, by the default delimiter set and by a set
// made of the input's first bytes: every word lies inside the text, in order,
// is the upper case of the bytes it covers, and fits the word list.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "store/charset.h"
#include "wordindex/word_cutter.h"

namespace {

void check(std::string_view text, const qv::wordindex::DelimiterSet& set, bool noNumbers, bool noTagLines) {
  qv::wordindex::CutOptions options;
  options.excludeNumbers = noNumbers;
  options.excludeTagLines = noTagLines;
  qv::wordindex::WordCutter cutter(text, set, options);
  std::size_t after = 0;
  for (qv::wordindex::WordHit hit; cutter.next(hit);) {
    if (hit.start < after || hit.start + hit.length > text.size()) std::abort();
    if (hit.length == 0 || hit.length > qv::wordindex::kWordMax) std::abort();
    if (hit.word != qv::upper1252(text.substr(hit.start, hit.length))) std::abort();
    if (!set.starts(static_cast<unsigned char>(text[hit.start]))) std::abort();
    after = hit.start + hit.length;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  check(text, qv::wordindex::defaultDelimiters(), false, false);
  // Eight bytes choose characters and the marks they get.
  if (size < 8) return 0;
  qv::wordindex::DelimiterSet set = qv::wordindex::defaultDelimiters();
  for (std::size_t i = 0; i + 1 < 8; i += 2) {
    const std::uint8_t c = data[i];
    const std::uint8_t marks = data[i + 1];
    set.startWord[c] = marks & 1;
    set.inWord[c] = (marks >> 1) & 1;
    set.endWord[c] = (marks >> 2) & 1;
    set.isJunk[c] = (marks >> 3) & 1;
  }
  check(text.substr(8), set, (data[1] & 0x10) != 0, (data[1] & 0x20) != 0);
  return 0;
}
