#pragma once
// Turning a collected message into the plain text that is stored: MIME part
// selection, body assembly under the 64,000-character limit, and the
// conversions of HTML and enriched text; and the small decoders the readers
// share (quoted-printable pairs, encoded words in header fields, Base64, the
// Latin-2 table).
//
// Texts are Windows-1252 bytes; no character set is converted except Latin-2
// in encoded header words. Line ranges are half-open: [first, end).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "store/domain.h"
#include "text/line_queue.h"

namespace qv::body {

enum class BodyKind : std::uint8_t { Plain = 0, Html = 1, Enriched = 2 };

// The largest text stored (NHR:MSGTEXT): the message text limit.
inline constexpr std::size_t kTextMax = kMessageTextMax;

// The character a quoted-printable pair stands for ("=3D" → '='), or
// nothing when the two characters are not an accepted pair.
std::optional<char> decodePair(char first, char second);

// The boundary parameter of a Content-Type line: "BOUNDARY=" is searched on
// `upperLine` from `startColumn` (0-based; the message header's Content-Type
// line is searched from 23, just after "CONTENT-TYPE: MULTIPART"), and the
// value is taken from `line` as read, clipped of trailing blanks. A quoted
// value ends at its closing quote (a trailing ";" or a further parameter is
// not part of it), an unquoted one at ";" or a blank. At most 100
// characters. Nothing when absent or empty.
std::optional<std::string> extractBoundary(std::string_view upperLine, std::string_view line,
                                           std::size_t startColumn);

// Marks the lines of [first, end) that do not belong to the kept part with
// kDropMarker: the text before the first boundary stays, then the first
// text/plain or text/html part without its part header (a part header
// without Content-Type counts as text/plain); boundary lines, parts before
// the kept one and everything from the boundary that closes it are dropped.
// A multipart/alternative or multipart/related part is entered by switching
// to its boundary. Returns Html when the kept part is text/html, else Plain.
// An empty boundary changes nothing (Plain).
BodyKind selectParts(LineQueue& lines, std::size_t first, std::size_t end, std::string boundary);

struct HeaderScan {
  std::size_t firstBody = 0;  // index of the first body line (lines.size() when none)
  BodyKind kind = BodyKind::Plain;
};
// For readers that do not read Content-Type themselves: scans the header
// from `start` to its first empty line, finds the first body line, and runs
// part selection when the message is multipart and its boundary was found
// (its result is then the kind). Otherwise a text/html header, or "HTML"
// within the first 20 characters of the first body line, gives Html.
HeaderScan scanHeaderAndSelectParts(LineQueue& lines, std::size_t start);

// The message text from [first, end): drop-marked lines skipped, leading
// empty lines skipped, CR LF after each line that is not split; a line that
// would reach kTextMax with its CR LF is cut at 63,998 characters and
// closed with CR LF, and nothing after it is taken. Then converted
// by kind (Plain: as HTML when "HTML" is within its first 8 characters).
// `aol`: the AOL and CompuServe 2000 form (no line ends added; always the
// AOL HTML conversion). Never longer than kTextMax.
std::string assembleBody(BodyKind kind, const LineQueue& lines, std::size_t first, std::size_t end, bool aol = false);

// The converters read at most kTextMax characters and write at most
// kTextMax; they never fail (the worst case is text left as it was).
std::string htmlToText(std::string_view html);     // mail
std::string aolHtmlToText(std::string_view html);  // AOL and CompuServe 2000
std::string enrichedToText(std::string_view text);

// A header field (subject or name) with its first encoded word decoded
// (ISO-8859-1, Windows-1252, US-ASCII, and ISO-8859-2 through the Latin-2
// table; Q or B). Any other field, and a field whose first "=?" does not
// open such a word, comes back unchanged. Never longer than `field`.
std::string decodeEncodedWord(std::string_view field);
// Base64 as encoded words use it; `latin2` transliterates bytes of 160 and
// above by the Latin-2 table. A short last group counts as padded; padding
// gives no bytes. At most 100 characters.
std::string decodeBase64(std::string_view encoded, bool latin2);
// A byte of an ISO-8859-2 text as the stored (Windows-1252) text writes it.
char fromLatin2(unsigned char c);

}  // namespace qv::body
