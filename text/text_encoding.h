#pragma once
// Stored texts and the screen.
//
// Texts are stored as Windows-1252 bytes with CR LF line breaks, exactly as
// they were imported. A front end converts them to UTF-8 only to show them,
// and converts what the user types back before it reaches the library.
//
// Every one of the 256 bytes has a character, so every stored text survives
// the way to UTF-8 and back unchanged: the five bytes Windows-1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters
// U+0081, U+008D, U+008F, U+0090 and U+009D and come back as the same bytes.

#include <cstddef>
#include <string>
#include <string_view>

namespace qv {

// The Unicode character of one Windows-1252 byte.
char32_t unicodeOf1252(unsigned char byte);

// Windows-1252 bytes to UTF-8, byte for byte (control bytes included; line
// breaks untouched).
std::string utf8From1252(std::string_view stored);

// UTF-8 to Windows-1252. A character Windows-1252 cannot hold becomes one '?'.
// Bytes that are not valid UTF-8 (a stray lead or continuation byte, an
// overlong form, a surrogate, a value above U+10FFFF) are taken one by one as
// Windows-1252 bytes and kept unchanged, so legacy text pasted as it was
// stored comes through intact.
std::string cp1252FromUtf8(std::string_view typed);

// CR LF to "\n" for display. A CR or LF on its own is left as it is.
std::string displayLineBreaks(std::string_view text);

// "\n" to CR LF for storing typed text; CR LF already present is kept.
std::string storedLineBreaks(std::string_view text);

enum class LineBreaks {
  Keep,     // CR LF, a lone CR and a lone LF each become "\n"; tabs are kept
  AsSpace,  // every line break and tab becomes one blank (one table cell, one status line)
};

// A stored text made safe to print: converted to UTF-8, line breaks as asked,
// and every other control character (C0, DEL and the C1 range, which
// includes the five undefined bytes) replaced by U+FFFD, so that text taken
// from an imported file cannot move the cursor, clear the screen or send
// escape sequences to the terminal.
std::string displayText(std::string_view stored, LineBreaks breaks);

// Columns a UTF-8 text takes on screen: one per character. Texts that came
// from Windows-1252 hold no wide or combining characters, so counting
// characters is exact for them. Bytes that are not valid UTF-8 count one each.
std::size_t displayWidth(std::string_view utf8);

}  // namespace qv
