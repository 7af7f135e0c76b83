// HTML character entities, as far as Windows-1252 can hold them.
#include <algorithm>

#include "text/body/text_util.h"
#include "store/charset.h"

namespace qv::body::detail {
namespace {

// At most this many characters after the "&" are looked at: the longest
// name ("eacute", "ccedil", …) and its ";".
constexpr std::size_t kExamined = 7;

struct Named {
  std::string_view name;  // upper case, without "&" and ";"
  unsigned char upper;    // when the name's first letter is written in upper case
  unsigned char lower;    // when it is written in lower case
};

// Names compare without regard to case; for letters the case of the first
// letter chooses the character ("Eacute" É, "eacute" é).
constexpr Named kNamed[] = {
    {"GT", '>', '>'},         {"LT", '<', '<'},         {"AMP", '&', '&'},        {"QUOT", '"', '"'},
    {"NBSP", ' ', ' '},       {"SHY", '-', '-'},        {"COPY", 0xA9, 0xA9},     {"REG", 0xAE, 0xAE},
    {"ETH", 0xD0, 0xF0},      {"SZLIG", 0xDF, 0xDF},    {"THORN", 0xDE, 0xFE},    {"AELIG", 0xC6, 0xE6},
    {"CCEDIL", 0xC7, 0xE7},   {"OSLASH", 0xD8, 0xF8},   {"ARING", 0xC5, 0xE5},
    {"AUML", 0xC4, 0xE4},     {"EUML", 0xCB, 0xEB},     {"IUML", 0xCF, 0xEF},     {"OUML", 0xD6, 0xF6},
    {"UUML", 0xDC, 0xFC},
    // Windows-1252 has the capital of ÿ at 0x9F.
    {"YUML", 0x9F, 0xFF},
    {"ACIRC", 0xC2, 0xE2},    {"ECIRC", 0xCA, 0xEA},    {"ICIRC", 0xCE, 0xEE},    {"OCIRC", 0xD4, 0xF4},
    {"UCIRC", 0xDB, 0xFB},
    {"AACUTE", 0xC1, 0xE1},   {"EACUTE", 0xC9, 0xE9},   {"IACUTE", 0xCD, 0xED},   {"OACUTE", 0xD3, 0xF3},
    {"UACUTE", 0xDA, 0xFA},   {"YACUTE", 0xDD, 0xFD},
    {"AGRAVE", 0xC0, 0xE0},   {"EGRAVE", 0xC8, 0xE8},   {"IGRAVE", 0xCC, 0xEC},   {"OGRAVE", 0xD2, 0xF2},
    {"UGRAVE", 0xD9, 0xF9},
    {"ATILDE", 0xC3, 0xE3},   {"NTILDE", 0xD1, 0xF1},   {"OTILDE", 0xD5, 0xF5},
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<char> lookupName(std::string_view name) {
  if (name.empty()) return std::nullopt;
  const std::string upper = upper1252(name);
  for (const Named& n : kNamed) {
    if (n.name == upper) {
      const bool lowerFirst = name.front() >= 'a' && name.front() <= 'z';
      return static_cast<char>(lowerFirst ? n.lower : n.upper);
    }
  }
  return std::nullopt;
}

// "#" and a decimal code of two or three digits; codes outside one byte
// (and 0) are not characters of the stored text.
std::optional<char> lookupCode(std::string_view digits) {
  if (digits.size() < 2 || digits.size() > 3) return std::nullopt;
  int code = 0;
  for (char d : digits) {
    if (!isDigit(d)) return std::nullopt;
    code = code * 10 + (d - '0');
  }
  if (code <= 0 || code > 255) return std::nullopt;
  return static_cast<char>(static_cast<unsigned char>(code));
}

}  // namespace

std::optional<Entity> matchEntity(std::string_view afterAmpersand) {
  const std::string_view head = afterAmpersand.substr(0, std::min(afterAmpersand.size(), kExamined));
  const std::size_t semicolon = head.find(';');
  if (semicolon != std::string_view::npos && semicolon > 0) {
    const std::string_view name = head.substr(0, semicolon);
    std::optional<char> c = name.front() == '#' ? lookupCode(name.substr(1)) : lookupName(name);
    if (c) return Entity{*c, semicolon + 1};
  }
  // "nbsp" followed by a blank, as some mailers wrote it.
  if (head.size() >= 5 && head[4] == ' ' && upper1252(head.substr(0, 4)) == "NBSP") return Entity{' ', 5};
  // "#" and three digits without ";" (a fourth digit makes it no code at all).
  if (head.size() >= 4 && head[0] == '#' && (head.size() == 4 || !isDigit(head[4]))) {
    if (auto c = lookupCode(head.substr(1, 3))) return Entity{*c, 4};
  }
  return std::nullopt;
}

}  // namespace qv::body::detail
