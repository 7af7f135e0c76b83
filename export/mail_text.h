#pragma once
// Stored texts on their way into today's mail files: Windows-1252 bytes to
// UTF-8, header values as RFC 2047 encoded words where they are not plain
// ASCII, line breaks made uniform, and quoted-printable for bodies whose
// lines are too long for a mail line.

#include <string>
#include <string_view>

#include "text/text_encoding.h"

namespace qv::exporting {

// A header value as it may stand in a header: ASCII text without control
// characters comes back unchanged; anything else becomes one or more
// "=?UTF-8?B?...?=" encoded words (each at most 75 characters, split only
// between whole characters), separated by blanks. `utf8` is UTF-8 text.
std::string encodeHeaderText(std::string_view utf8);

// A display name for an address header: plain ASCII words stand as they
// are, ASCII with specials (",", "<", "\"" …) is quoted, anything else is
// encoded as by encodeHeaderText.
std::string encodeDisplayName(std::string_view utf8);

// CR LF, a lone CR and a lone LF each become one `eol`; the text ends with
// `eol` unless it is empty.
std::string uniformLines(std::string_view text, std::string_view eol);

// Whether a body of lines ending in "\n" has a line longer than a mail line
// may be (998 bytes).
bool hasOverlongLine(std::string_view text);

// Quoted-printable of a body of lines ending in "\n" (soft breaks keep each
// encoded line within 76 characters); lines end in "\n".
std::string quotedPrintable(std::string_view text);

}  // namespace qv::exporting
