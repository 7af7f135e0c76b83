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

// A forum name without a leading "CIS:" (any letter case).
std::string_view withoutCisPrefix(std::string_view forum);

// An address without a leading "INTERNET:" (any letter case). With
// colonOptional, a bare "INTERNET" prefix is removed as well.
std::string_view withoutInternetPrefix(std::string_view address, bool colonOptional = false);

}  // namespace qv::cserve
