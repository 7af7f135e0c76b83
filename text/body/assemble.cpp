// Joining the collected lines into the stored message text.
#include <algorithm>

#include "text/body/body.h"
#include "text/body/text_util.h"
#include "store/charset.h"

namespace qv::body {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
// A text that reaches the limit is cut here and closed with a line end, so
// that it still ends in CR LF within kTextMax characters.
constexpr std::size_t kCutAt = kTextMax - kLineEnd.size();

// A body that its header calls plain is still converted when it opens like
// an HTML document.
bool looksLikeHtml(std::string_view text) {
  return upper1252(detail::safeSub(text, 0, 8)).find("HTML") != std::string::npos;
}

}  // namespace

std::string assembleBody(BodyKind kind, const LineQueue& lines, std::size_t first, std::size_t end, bool aol) {
  end = std::min(end, lines.size());
  std::string text;
  bool started = false;
  for (std::size_t i = first; i < end; ++i) {
    const QueueLine& line = lines[i];
    if (line.text == kDropMarker) continue;
    if (!started && line.text.empty()) continue;
    started = true;
    if (text.size() + line.text.size() + kLineEnd.size() >= kTextMax) {
      // Only a text that still ends within the cut gets the last piece and
      // its line end; one that already ends at 63,998 or 63,999 characters
      // (after a full line and its CR LF) stays as it is.
      if (text.size() < kCutAt) {
        text.append(line.text, 0, kCutAt - text.size());
        if (!aol) text.append(kLineEnd);
      }
      break;
    }
    text += line.text;
    // AOL and CompuServe 2000 texts take their breaks from their markup.
    if (!aol && !line.split) text.append(kLineEnd);
  }

  if (aol) return aolHtmlToText(text);
  switch (kind) {
    case BodyKind::Enriched: return enrichedToText(text);
    case BodyKind::Html: return htmlToText(text);
    case BodyKind::Plain:
    default: return looksLikeHtml(text) ? htmlToText(text) : text;
  }
}

}  // namespace qv::body
