#pragma once
// Windows-1252 letter case, as the stored texts use it.
//
// Keys compare text without regard to case, accented letters included
// (é = É, š = Š, ÿ = Ÿ), and identifying strings of persons are stored in
// upper case; both use the one table here.

#include <string>
#include <string_view>

namespace qv {

// Upper case of one Windows-1252 byte; bytes without a case are unchanged.
char upper1252(char c);
// Lower case of one Windows-1252 byte.
char lower1252(char c);
std::string upper1252(std::string_view s);
std::string lower1252(std::string_view s);

// Compares two texts as keys do: letter case ignored, trailing blanks ignored.
// Returns <0, 0 or >0.
int compareKeyText(std::string_view a, std::string_view b);

}  // namespace qv
