#pragma once
// Small text rules shared by the CompuServe-side readers (capture files,
// record-structured stores, the filing cabinet and the message files).

#include <string>
#include <string_view>

namespace qv::cserve {

// One byte of code page 850 (the DOS offline readers' character set) as
// Windows-1252. Bytes below 128 are unchanged; box-drawing, block and shade
// characters, dotless i, cedilla, degree sign, black square and no-break
// space become a blank, and the double low line becomes "=".
char oem850To1252(char c);
std::string oem850To1252(std::string_view text);

// The way back, for files written for the DOS offline readers: each
// Windows-1252 byte from 128 on as its code page 850 byte. A character the
// code page lacks (the euro sign, typographic quotes …) becomes "?". Every
// character oem850To1252 gives other than the blank comes back as the byte
// it came from, so a text survives the round trip when it holds only those.
char w1252ToOem850(char c);
std::string w1252ToOem850(std::string_view text);

// A forum name without a leading "CIS:" (any letter case).
std::string_view withoutCisPrefix(std::string_view forum);

// An address without a leading "INTERNET:" (any letter case). With
// colonOptional, a bare "INTERNET" prefix is removed as well.
std::string_view withoutInternetPrefix(std::string_view address, bool colonOptional = false);

// An address without its Internet tag: a leading "INTERNET:" (any letter
// case), or the word "INTERNET" when a blank follows it, with the blanks
// after either removed. An address that merely begins with those letters
// ("internetsales@example.com") is kept whole.
std::string_view withoutInternetTag(std::string_view address);

// The line marks of the CompuServe clients' saved texts, made into CR LF
// line ends. A text that begins with "@l" loses that mark. Every LF that no
// CR stands before becomes CR LF (a run of LFs gives as many line ends; an
// LF after a CR is already a line end and stays one). A "@b" mark directly
// before a line end (LF or CR LF) is removed, leaving the line end; a "@b"
// anywhere else is text.
std::string convertLineMarks(std::string_view text);

}  // namespace qv::cserve
