// Arbitrary bytes through every body decoder: as one text (HTML, AOL HTML,
// enriched, header fields, Base64, pairs, boundary lines) and split into
// queue lines (header scan, part selection, assembly). Every output must
// stay within its fixed bound, and part selection may only mark lines.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "text/body/body.h"
#include "store/charset.h"

namespace {

void require(bool ok) {
  if (!ok) __builtin_trap();
}

// Lines as a reader collects them: at LF (a CR before it dropped), entries
// of at most 400 characters, all but the last piece of a line marked split.
qv::LineQueue linesOf(std::string_view text) {
  qv::LineQueue lines;
  for (;;) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    do {
      qv::QueueLine entry;
      entry.text = line.substr(0, qv::kQueueLineMax);
      line.remove_prefix(entry.text.size());
      entry.split = !line.empty();
      lines.push_back(std::move(entry));
    } while (!line.empty());
    if (end == std::string_view::npos) return lines;
    text.remove_prefix(end + 1);
  }
}

// Part selection leaves a line as it was or marks it dropped.
void requireOnlyMarked(const qv::LineQueue& before, const qv::LineQueue& after) {
  require(before.size() == after.size());
  for (std::size_t i = 0; i < before.size(); ++i)
    require(after[i].text == before[i].text || after[i].text == qv::kDropMarker);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qv::body;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::uint8_t selector = size > 0 ? data[0] : 0;

  require(htmlToText(input).size() <= kTextMax);
  require(aolHtmlToText(input).size() <= kTextMax);
  require(enrichedToText(input).size() <= kTextMax);
  require(decodeEncodedWord(input).size() <= size);
  require(decodeBase64(input, false).size() <= 100);
  require(decodeBase64(input, true).size() <= 100);
  for (std::size_t i = 0; i + 1 < size; ++i) (void)decodePair(input[i], input[i + 1]);
  for (std::uint8_t c : std::string_view(input.substr(0, 256))) (void)fromLatin2(c);

  const std::string upper = qv::upper1252(input);
  if (auto boundary = extractBoundary(upper, input, selector % 40)) {
    require(!boundary->empty() && boundary->size() <= 100);
  }
  (void)extractBoundary(upper, input.substr(size / 2), selector);  // texts of different lengths

  const qv::LineQueue original = linesOf(input);
  qv::LineQueue lines = original;
  const std::size_t start = original.empty() ? 0 : selector % (original.size() + 1);
  const HeaderScan scan = scanHeaderAndSelectParts(lines, start);
  require(scan.firstBody <= lines.size());
  requireOnlyMarked(original, lines);
  require(assembleBody(scan.kind, lines, scan.firstBody, lines.size()).size() <= kTextMax);
  require(assembleBody(scan.kind, lines, scan.firstBody, lines.size(), true).size() <= kTextMax);
  require(assembleBody(BodyKind::Enriched, lines, 0, lines.size()).size() <= kTextMax);

  // Part selection with the first line as the boundary, over any range.
  lines = original;
  const std::size_t first = (selector >> 4) % (original.size() + 1);
  const BodyKind kind = selectParts(lines, first, first + selector, original.front().text);
  requireOnlyMarked(original, lines);
  require(assembleBody(kind, lines, first, first + selector).size() <= kTextMax);

  // Now and then the input repeated beyond the text limit, for the cuts.
  if ((selector & 0x0F) == 0x0F) {
    std::string big;
    while (big.size() <= kTextMax + 6000) big.append(input);
    require(htmlToText(big).size() <= kTextMax);
    require(aolHtmlToText(big).size() <= kTextMax);
    require(enrichedToText(big).size() <= kTextMax);
    const qv::LineQueue bigLines = linesOf(big);
    for (BodyKind k : {BodyKind::Plain, BodyKind::Html, BodyKind::Enriched})
      require(assembleBody(k, bigLines, 0, bigLines.size()).size() <= kTextMax);
    require(assembleBody(BodyKind::Plain, bigLines, 0, bigLines.size(), true).size() <= kTextMax);
  }
  return 0;
}
