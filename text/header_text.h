#pragma once
// The small pieces of header reading every Internet store reader shares:
// which lines are header lines, subjects, and splitting a From or To text
// into an address and a name.

#include <cstddef>
#include <string>
#include <string_view>

namespace qv::internet {

// What a header line is, by the start of its upper-cased text.
enum HeaderClass : int {
  kNotHeader = 0,
  kFromHeader = 1,        // "FROM:"
  kDateHeader = 2,        // "DATE:"
  kToHeader = 3,          // "TO:"
  kSubjectHeader = 4,     // "SUBJECT:"
  kNewsgroupsHeader = 5,  // "NEWSGROUPS:"
  kMessageIdHeader = 6,   // "MESSAGE-ID:"
  kOtherHeader = 99,      // a known field, a known family prefix ("X-", "CONTENT-" …) or a "From " separator
};

// Classifies the text (at most its first 50 characters are looked at; the
// caller passes the line without its line end).
HeaderClass classifyHeaderLine(std::string_view text);

// Whether a line looks like a header line at all: its first character is not
// blank, and within characters 3 to 49 the first blank or tab directly
// follows a ":".
bool looksLikeHeaderLine(std::string_view line);

// True when `text` begins with `upperPrefix`, letters compared without
// regard to case (Windows-1252).
bool startsWithUpper(std::string_view text, std::string_view upperPrefix);

// The value of a header line: the text after the first ":" (after
// `nameLength` characters), leading blanks and tabs removed, trailing blanks
// removed.
std::string headerValue(std::string_view line, std::size_t nameLength);

// A subject as stored: leading blanks removed; one leading "RE:" (any case)
// dropped, and leading blanks removed again.
std::string cleanSubject(std::string_view text);

struct Party {
  std::string address;  // lower case
  std::string name;     // as written
};

// Splits a From text (`recipient` false) or a To text (true; a trailing
// "(X)" is removed first) into address and name:
//   no "@"                        → the whole text is the address;
//   "Name <Address>"              → the address in the angle brackets;
//   "address (Name)"              → split at the first blank after the "@";
//   "Name address"                → split at the last blank before the "@";
// a name in double quotes or parentheses loses them.
Party splitAddress(std::string_view text, bool recipient);

// The variant of the Netscape News reader (and the other readers that name
// it): an address in angle brackets ends at the first ">" within 60
// characters, whatever follows; a text without angle brackets that contains
// "INTERNET" (with or without ":") takes the rest after it as the address and
// the words before it as the name. Otherwise as splitAddress.
Party splitAddressVariant(std::string_view text, bool recipient);

}  // namespace qv::internet
