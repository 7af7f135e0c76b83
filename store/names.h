#pragma once
// Name and address rules of persons, and the text helpers the readers share.
//
// All texts are Windows-1252 bytes. Every function here accepts any length
// and any byte content (NUL and 0xFF included) and never reads outside its
// input. Byte 179 is a box-drawing vertical bar in the code page of the old
// capture files; the address split treats it as a blank.

#include <cstddef>
#include <string>
#include <string_view>

namespace qv {

// Length of PER:PERSONSTRING and PLI:PERSONSTRING.
inline constexpr std::size_t kPersonStringSize = 100;

// The identifying string of a person: the upper case (Windows-1252) of the
// name without trailing blanks, one blank, and the address, cut to 100
// characters. The result never ends in a blank: it is stored in a
// blank-padded field whose keys ignore trailing blanks, so blanks at the end
// of the address, or left at the end by the cut, identify nothing. Dropping
// them makes two strings that the keys would treat as one compare equal in
// memory too (the import's own lookup of persons relies on that). A blank
// name gives the address behind a leading blank, as stored.
std::string personString(std::string_view name, std::string_view address);

// Splits a name into last and first name, as persons store them.
// The name is taken without trailing blanks. The last name is the word after
// the last blank that is not the name's first character; the first name is
// everything before that blank. When that last word is a generational suffix
// ("I", "II", "III", "IV", "V", or the look-alikes "l", "ll", "lll", "lV"
// written with a lower-case L; compared exactly) the word before it goes
// with it ("John Smith III" -> "Smith III" / "John"). A run of blanks counts
// as one separator when looking for that word. Without a usable blank the
// whole name is the last name and the first name is blank ("Smith", "John III").
// Both results are cut to their sizes and carry no trailing blanks; a name
// that starts with blanks keeps them in its first (or only) part.
void ParseName(std::string_view name, std::string& last, std::size_t lastSize, std::string& first,
               std::size_t firstSize);

// FindCISAdress modes.
inline constexpr int kCisForum = 1;
inline constexpr int kCisMail = 2;

// Splits a sender or receiver field of a CompuServe message into name and
// address. Any mode other than 2 (mail) works as 1 (forum). The text is taken
// without trailing blanks and 179s. Results are cut to their sizes and carry
// no trailing blanks or 179s. Rules, first that applies:
// 1. Mail: the whole word "CSINET" (case as written; not part of a longer word
//    of letters and digits): name = the text before it; address = the text
//    after "CSINET:" (after "CSINET" and any one character when no colon
//    follows), cut before its first "@" when it has 5 or more characters and
//    that "@" is not its first character ("CSINET:jsmith@host" -> "jsmith").
// 2. The last "," or "." between the second and the third-last character
//    announces a service number ("John Smith 76543,210", "John Smith
//    76543.210", "Jo > [76543, 210]"). When the part after it (without a
//    closing "]" that ends the text, and without one blank right after the
//    separator) is all digits, and the part between the last blank before the
//    separator and the separator (without a "[" right after that blank) is all
//    digits, the address is "first,second" and the name is the text before
//    that blank without trailing ">" and blanks. With no blank before the
//    separator, a text that is all digits up to the separator (after an
//    optional "[") gives that address and a blank name. Otherwise rule 4.
// 3. Mail, no "," or "." in that range: split at the last blank after the first
//    character: address after, name before (trailing ">" and blanks dropped);
//    an address with a ":" before its last character keeps only what follows
//    its first ":" ("INTERNET:x@y" -> "x@y"). No such blank: the whole text
//    is the address, the name blank.
// 4. Otherwise, forum: name = the whole text, address blank; mail: split at
//    the last blank after the first character (address after, name before,
//    prefix kept), or the whole text is the address and the name blank.
// Rule 4 works on the text as given: the "." -> "," and blank joining of rule
// 2 only apply to an address rule 2 accepts.
void FindCISAdress(int mode, std::string_view text, std::string& address, std::size_t addressSize,
                   std::string& name, std::size_t nameSize);

// StripChar kinds (the kind of message the text belongs to).
inline constexpr int kStripForum = 1;
inline constexpr int kStripMail = 2;

// Cleans an imported message text for storage. For both kinds:
// - every byte below 0x20 except TAB, LF and CR is removed (NUL, the Ctrl-Z
//   end marker 0x1A, form feeds, escapes ...), and so is DEL (0x7F);
//   bytes 0x80-0xFF are Windows-1252 text and stay;
// - then trailing blank lines go: the text ends with the last character of
//   its last line that holds anything other than blanks and tabs, so the line
//   break after that line goes as well; a line's own trailing blanks stay.
//   CR LF, a lone LF and a lone CR all count as line breaks. A text with no
//   such line becomes "".
// Forum and mail texts are cleaned the same way today. The kind is kept
// because every reader passes its message kind, so a rule that only one kind
// needs can be added here without touching the readers.
std::string StripChar(std::string_view text, int kind);

// The rule by which two message texts count as the same: trailing blanks are
// removed from both; they are the same when the shorter equals the start of
// the longer and the lengths differ by less than 20 characters. The
// comparison is exact (letter case counts). Two empty texts are the same; an
// empty text is the same as any text of fewer than 20 characters without
// trailing blanks.
bool sameText(std::string_view a, std::string_view b);

}  // namespace qv
