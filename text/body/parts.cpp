// MIME part selection on the collected lines of a message.
//
// Nothing is copied: lines that are not to be stored are overwritten with
// the drop marker, and assembly skips them. What stays is the text before
// the first boundary, then the first text/plain or text/html part without
// its part header; other parts before it, every boundary line and
// everything after the kept part are dropped.
#include <algorithm>

#include "text/body/body.h"
#include "text/body/text_util.h"
#include "store/charset.h"
#include "store/fixed_string.h"

namespace qv::body {
namespace {

using detail::safeSub;
using detail::startsWith;

// A boundary is at most this long; a longer one is cut, which still finds
// the delimiter lines because they are matched anywhere in the line.
constexpr std::size_t kBoundaryMax = 100;

// The type of a part header is read from this window of its Content-Type
// line (after "Content-Type", where the type normally stands).
constexpr std::size_t kTypeWindowStart = 12;
constexpr std::size_t kTypeWindowLength = 23;

// Header lines shorter than this cannot carry a boundary parameter.
constexpr std::size_t kBoundaryLineMin = 10;

constexpr std::string_view kHeaderHtml = "CONTENT-TYPE: TEXT/HTML";
constexpr std::string_view kHeaderMultipart = "CONTENT-TYPE: MULTIPART";
// On the Content-Type line of the message header the boundary is looked for
// after the type name, when the line is long enough to hold it there.
constexpr std::size_t kHeaderBoundaryColumn = kHeaderMultipart.size();
constexpr std::size_t kHeaderBoundaryLineMin = 33;

void drop(QueueLine& line) { line.text.assign(kDropMarker); }

// A delimiter line that closes the multipart body ("--boundary--") opens no
// further part.
bool isClosingDelimiter(std::string_view line, std::size_t at, std::size_t boundaryLength) {
  return safeSub(line, at + boundaryLength, 2) == "--";
}

}  // namespace

std::optional<std::string> extractBoundary(std::string_view upperLine, std::string_view line,
                                           std::size_t startColumn) {
  static constexpr std::string_view kKey = "BOUNDARY=";
  if (startColumn >= upperLine.size()) return std::nullopt;
  const std::size_t at = upperLine.find(kKey, startColumn);
  if (at == std::string_view::npos) return std::nullopt;
  std::string_view value = clip(safeSub(line, at + kKey.size()));
  if (value.size() > 2 && value.front() == '"') {
    value.remove_prefix(1);
    const std::size_t close = value.find('"');
    if (close != std::string_view::npos && close > 0) {
      // A quoted value ends at its closing quote, whatever parameters follow.
      value = value.substr(0, close);
    } else {
      while (value.size() > 2 && (value.back() == '"' || value.back() == ';')) value.remove_suffix(1);
    }
  } else if (value.empty() || value.front() != '"') {
    // An unquoted value cannot hold ";" or blanks: it ends at the next parameter.
    value = value.substr(0, value.find_first_of("; \t"));
  }
  if (value.empty()) return std::nullopt;
  return std::string(value.substr(0, kBoundaryMax));
}

BodyKind selectParts(LineQueue& lines, std::size_t first, std::size_t end, std::string boundary) {
  // Without a boundary every line would "contain" it; the text is then
  // assembled without part selection.
  if (boundary.empty()) return BodyKind::Plain;
  end = std::min(end, lines.size());

  bool inPartHeader = false;
  bool partTyped = false;  // the current part header had a Content-Type line
  bool plainTaken = false;
  bool htmlTaken = false;
  bool finished = false;
  bool dropping = false;
  bool waitingForInner = false;

  for (std::size_t i = first; i < end; ++i) {
    QueueLine& line = lines[i];
    if (line.text == kDropMarker) continue;  // dropped already: not part of the message
    if (finished) {
      drop(line);
      continue;
    }
    if (inPartHeader) {
      if (line.text.empty()) {
        inPartHeader = false;
        waitingForInner = false;
        // A part without a Content-Type line is text/plain by MIME's rule.
        if (!partTyped) {
          plainTaken = true;
          dropping = false;
        }
      } else {
        const std::string upper = upper1252(line.text);
        if (startsWith(upper, "CONTENT-TYPE")) {
          partTyped = true;
          const std::string_view window = safeSub(upper, kTypeWindowStart, kTypeWindowLength);
          std::size_t typeAt = std::string_view::npos;
          std::size_t typeLength = 0;
          if (window.find("TEXT/PLAIN") != std::string_view::npos) {
            plainTaken = true;
            dropping = false;
          } else if (window.find("TEXT/HTML") != std::string_view::npos) {
            htmlTaken = true;
            dropping = false;
          } else if ((typeAt = window.find("MULTIPART/ALTERNATIVE")) != std::string_view::npos) {
            typeLength = std::string_view("MULTIPART/ALTERNATIVE").size();
          } else if ((typeAt = window.find("MULTIPART/RELATED")) != std::string_view::npos) {
            typeLength = std::string_view("MULTIPART/RELATED").size();
          }
          if (typeAt != std::string_view::npos) {
            // A nested alternative or related body: its parts are delimited
            // by its own boundary from here on.
            if (auto inner = extractBoundary(upper, line.text, kTypeWindowStart + typeAt + typeLength)) {
              boundary = std::move(*inner);
              waitingForInner = false;
            } else {
              waitingForInner = true;
            }
          }
        } else if (waitingForInner && line.text.size() >= kBoundaryLineMin) {
          if (auto inner = extractBoundary(upper, line.text, 0)) {
            boundary = std::move(*inner);
            waitingForInner = false;
          }
        }
      }
      drop(line);
      continue;
    }
    const std::size_t at = line.text.find(boundary);
    if (at != std::string::npos) {
      if (plainTaken || htmlTaken) {
        finished = true;
      } else {
        inPartHeader = !isClosingDelimiter(line.text, at, boundary.size());
        partTyped = false;
        dropping = true;
      }
      drop(line);
      continue;
    }
    if (dropping) drop(line);
  }
  return htmlTaken ? BodyKind::Html : BodyKind::Plain;
}

HeaderScan scanHeaderAndSelectParts(LineQueue& lines, std::size_t start) {
  HeaderScan scan;
  bool multipart = false;
  std::optional<std::string> boundary;
  std::size_t i = start;
  for (; i < lines.size() && !lines[i].text.empty(); ++i) {
    const std::string& text = lines[i].text;
    const std::string upper = upper1252(text);
    if (startsWith(upper, kHeaderHtml)) scan.kind = BodyKind::Html;
    if (startsWith(upper, kHeaderMultipart)) {
      multipart = true;
      if (!boundary && text.size() >= kHeaderBoundaryLineMin)
        boundary = extractBoundary(upper, text, kHeaderBoundaryColumn);
    } else if (multipart && !boundary && text.size() >= kBoundaryLineMin) {
      boundary = extractBoundary(upper, text, 0);
    }
  }
  while (i < lines.size() && lines[i].text.empty()) ++i;
  scan.firstBody = std::min(i, lines.size());

  if (boundary) {
    scan.kind = selectParts(lines, scan.firstBody, lines.size(), *boundary);
  } else if (scan.kind == BodyKind::Plain && scan.firstBody < lines.size()) {
    const std::string head = upper1252(safeSub(lines[scan.firstBody].text, 0, 20));
    if (head.find("HTML") != std::string::npos) scan.kind = BodyKind::Html;
  }
  return scan;
}

}  // namespace qv::body
