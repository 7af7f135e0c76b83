#include "text/cserve_text.h"

#include <array>
#include <cstdint>

#include "store/charset.h"

namespace qv::cserve {

namespace {

// Code page 850 bytes 128-255 in Windows-1252; 0x20 where the character
// has no place in stored text.
constexpr std::array<std::uint8_t, 128> kOem850 = {
    0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7, 0xEA, 0xEB, 0xE8, 0xEF, 0xEE, 0xEC, 0xC4, 0xC5,  // 128-143
    0xC9, 0xE6, 0xC6, 0xF4, 0xF6, 0xF2, 0xFB, 0xF9, 0xFF, 0xD6, 0xDC, 0xF8, 0xA3, 0xD8, 0xD7, 0x83,  // 144-159
    0xE1, 0xED, 0xF3, 0xFA, 0xF1, 0xD1, 0xAA, 0xBA, 0xBF, 0xAE, 0xAC, 0xBD, 0xBC, 0xA1, 0xAB, 0xBB,  // 160-175
    0x20, 0x20, 0x20, 0x20, 0x20, 0xC1, 0xC2, 0xC0, 0xA9, 0x20, 0x20, 0x20, 0x20, 0xA2, 0xA5, 0x20,  // 176-191
    0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0xE3, 0xC3, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0xA4,  // 192-207
    0xF0, 0xD0, 0xCA, 0xCB, 0xC8, 0x20, 0xCD, 0xCE, 0xCF, 0x20, 0x20, 0x20, 0x20, 0xA6, 0xCC, 0x20,  // 208-223
    0xD3, 0xDF, 0xD4, 0xD2, 0xF5, 0xD5, 0xB5, 0xFE, 0xDE, 0xDA, 0xDB, 0xD9, 0xFD, 0xDD, 0xAF, 0xB4,  // 224-239
    0xAD, 0xB1, 0x3D, 0xBE, 0xB6, 0xA7, 0xF7, 0x20, 0x20, 0xA8, 0xB7, 0xB9, 0xB3, 0xB2, 0x20, 0x20,  // 240-255
};

// `prefix` is given in upper case.
bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && upper1252(text.substr(0, prefix.size())) == prefix;
}

}  // namespace

char oem850To1252(char c) {
  const auto b = static_cast<std::uint8_t>(c);
  return b < 128 ? c : static_cast<char>(kOem850[b - 128]);
}

std::string oem850To1252(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = oem850To1252(c);
  return out;
}

namespace {

// The inverse of kOem850; '?' where code page 850 has no such character.
constexpr std::array<std::uint8_t, 128> kTo850 = [] {
  std::array<std::uint8_t, 128> t{};
  t.fill('?');
  for (std::size_t i = 0; i < kOem850.size(); ++i)
    if (kOem850[i] >= 128) t[kOem850[i] - 128] = static_cast<std::uint8_t>(128 + i);
  return t;
}();

}  // namespace

char w1252ToOem850(char c) {
  const auto b = static_cast<std::uint8_t>(c);
  return b < 128 ? c : static_cast<char>(kTo850[b - 128]);
}

std::string w1252ToOem850(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = w1252ToOem850(c);
  return out;
}

std::string_view withoutCisPrefix(std::string_view forum) {
  return startsWithNoCase(forum, "CIS:") ? forum.substr(4) : forum;
}

std::string_view withoutInternetPrefix(std::string_view address, bool colonOptional) {
  if (startsWithNoCase(address, "INTERNET:")) return address.substr(9);
  if (colonOptional && startsWithNoCase(address, "INTERNET")) return address.substr(8);
  return address;
}

std::string_view withoutInternetTag(std::string_view address) {
  std::string_view rest = withoutInternetPrefix(address);
  if (rest.size() == address.size()) {
    if (!startsWithNoCase(address, "INTERNET") || address.size() <= 8 || address[8] != ' ') return address;
    rest = address.substr(8);
  }
  const std::size_t first = rest.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string_view{} : rest.substr(first);
}

std::string convertLineMarks(std::string_view text) {
  if (text.starts_with("@l")) text.remove_prefix(2);
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '@' && i + 2 < text.size() && text[i + 1] == 'b' &&
        (text[i + 2] == '\n' || (text[i + 2] == '\r' && i + 3 < text.size() && text[i + 3] == '\n'))) {
      ++i;  // the mark goes; its line end is taken next
      continue;
    }
    if (c == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += c;
  }
  return out;
}

}  // namespace qv::cserve
