#include "store/names.h"

#include <array>
#include <utility>

#include "store/charset.h"
#include "store/fixed_string.h"

namespace qv {
namespace {

constexpr std::size_t npos = std::string_view::npos;
constexpr unsigned char kBoxBar = 179;

bool isBlank(char c) { return c == ' ' || static_cast<unsigned char>(c) == kBoxBar; }

bool isDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// Letters (of any case pair in Windows-1252, and the sharp s) and digits: the
// characters that would make "CSINET" part of a longer word.
bool isWordChar(char c) {
  if (c >= '0' && c <= '9') return true;
  return upper1252(c) != lower1252(c) || static_cast<unsigned char>(c) == 0xDF;
}

std::string_view trimBlanksAndBars(std::string_view s) {
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// A name in front of an address, written as "Name > address" in some files.
std::string_view trimNameEnd(std::string_view s) {
  while (!s.empty() && (isBlank(s.back()) || s.back() == '>')) s.remove_suffix(1);
  return s;
}

// Position of the last blank or 179 in s[from, to); npos when there is none.
std::size_t lastBlank(std::string_view s, std::size_t from, std::size_t to) {
  for (std::size_t i = to; i > from; --i)
    if (isBlank(s[i - 1])) return i - 1;
  return npos;
}

void put(std::string& target, std::string_view value, std::size_t size) {
  target = trimBlanksAndBars(value.substr(0, size));
}

bool isGenerationalSuffix(std::string_view word) {
  static constexpr std::array<std::string_view, 9> kSuffixes = {"I", "II", "III", "IV", "V",
                                                                 "l", "ll", "lll", "lV"};
  for (std::string_view s : kSuffixes)
    if (word == s) return true;
  return false;
}

// Rule 1 of FindCISAdress: the position of the whole word "CSINET", or npos.
std::size_t findCsinet(std::string_view t) {
  constexpr std::string_view kWord = "CSINET";
  for (std::size_t pos = t.find(kWord); pos != npos; pos = t.find(kWord, pos + 1)) {
    const std::size_t end = pos + kWord.size();
    const bool startsWord = pos == 0 || !isWordChar(t[pos - 1]);
    const bool endsWord = end >= t.size() || !isWordChar(t[end]);
    if (startsWord && endsWord) return pos;
  }
  return npos;
}

// Rule 2 of FindCISAdress: a service number "user,second" ending the text.
// Fills address and name and returns true when the text has one.
bool splitServiceNumber(std::string_view t, std::size_t sep, std::string& address, std::string& name) {
  const bool bracketed = t.back() == ']';
  // sep is at most the third-last position, so this is never negative.
  std::string_view second = t.substr(sep + 1, t.size() - sep - 1 - (bracketed ? 1 : 0));
  if (!second.empty() && isBlank(second.front())) second.remove_prefix(1);
  if (!isDigits(second)) return false;

  const std::size_t blank = lastBlank(t, 0, sep);
  std::size_t start = blank == npos ? 0 : blank + 1;
  // The opening bracket of "[76543,210]" is skipped; any other character is
  // part of the number and is kept.
  if (bracketed && start < sep && t[start] == '[') ++start;
  const std::string_view user = t.substr(start, sep - start);
  if (!isDigits(user)) return false;

  address.assign(user);
  address += ',';
  address.append(second);
  name = blank == npos ? std::string_view() : trimNameEnd(t.substr(0, blank));
  return true;
}

}  // namespace

std::string personString(std::string_view name, std::string_view address) {
  std::string s(clip(name));
  s += ' ';
  s.append(address);
  if (s.size() > kPersonStringSize) s.resize(kPersonStringSize);
  return std::string(clip(upper1252(s)));
}

void ParseName(std::string_view name, std::string& last, std::size_t lastSize, std::string& first,
               std::size_t firstSize) {
  const std::string_view n = clip(name);
  std::string_view lastPart = n;
  std::string_view firstPart;
  // A blank in the first position never splits (it would leave no first name).
  const std::size_t split = lastBlank(n, 1, n.size());
  if (split != npos) {
    lastPart = n.substr(split + 1);
    firstPart = n.substr(0, split);
    if (isGenerationalSuffix(lastPart)) {
      // Back over the blanks before the suffix to the end of the word before it.
      std::size_t wordEnd = split;
      while (wordEnd > 0 && n[wordEnd - 1] == ' ') --wordEnd;
      const std::size_t before = lastBlank(n, 1, wordEnd);
      if (before == npos) {
        lastPart = n;
        firstPart = {};
      } else {
        lastPart = n.substr(before + 1);
        firstPart = n.substr(0, before);
      }
    }
  }
  last = clip(lastPart.substr(0, lastSize));
  first = clip(firstPart.substr(0, firstSize));
}

void FindCISAdress(int mode, std::string_view text, std::string& address, std::size_t addressSize,
                   std::string& name, std::size_t nameSize) {
  const bool mail = mode == kCisMail;
  const std::string_view t = trimBlanksAndBars(text);
  std::string_view a;
  std::string_view n;
  std::string number;  // the joined service number of rule 2
  std::string numberName;

  if (const std::size_t pos = mail ? findCsinet(t) : npos; pos != npos) {
    n = t.substr(0, pos);
    // The character after the word is the colon of "CSINET:" or a separator;
    // either way it is not part of the address.
    const std::size_t from = pos + 6 + 1;
    a = from < t.size() ? t.substr(from) : std::string_view();
    if (a.size() >= 5) {
      const std::size_t at = a.find('@');
      if (at != npos && at >= 1) a = a.substr(0, at);
    }
    put(address, a, addressSize);
    put(name, n, nameSize);
    return;
  }

  std::size_t sep = npos;
  for (std::size_t i = t.size() >= 4 ? t.size() - 2 : 1; i > 1; --i) {
    if (t[i - 1] == ',' || t[i - 1] == '.') {
      sep = i - 1;
      break;
    }
  }

  if (sep != npos) {
    if (splitServiceNumber(t, sep, number, numberName)) {
      put(address, number, addressSize);
      put(name, numberName, nameSize);
      return;
    }
  } else if (mail) {
    const std::size_t blank = lastBlank(t, 1, t.size());
    if (blank == npos) {
      a = t;
    } else {
      a = t.substr(blank + 1);
      n = trimNameEnd(t.substr(0, blank));
      const std::size_t colon = a.find(':');
      if (colon != npos && colon + 1 < a.size()) a = a.substr(colon + 1);
    }
    put(address, a, addressSize);
    put(name, n, nameSize);
    return;
  }

  // Fallback, on the text as given.
  if (!mail) {
    n = t;
  } else if (const std::size_t blank = lastBlank(t, 1, t.size()); blank != npos) {
    a = t.substr(blank + 1);
    n = t.substr(0, blank);
  } else {
    a = t;
  }
  put(address, a, addressSize);
  put(name, n, nameSize);
}

std::string StripChar(std::string_view text, int /*kind*/) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if ((u < 0x20 && u != '\t' && u != '\n' && u != '\r') || u == 0x7F) continue;
    out += c;
  }

  std::size_t end = out.size();
  for (;;) {
    std::size_t lineStart = end;
    while (lineStart > 0 && out[lineStart - 1] != '\r' && out[lineStart - 1] != '\n') --lineStart;
    for (std::size_t i = lineStart; i < end; ++i)
      if (out[i] != ' ' && out[i] != '\t') {
        out.resize(end);
        return out;
      }
    if (lineStart == 0) return {};
    // Drop this blank line and the line break before it (CR LF, LF or CR).
    end = lineStart - 1;
    if (out[end] == '\n' && end > 0 && out[end - 1] == '\r') --end;
  }
}

bool sameText(std::string_view a, std::string_view b) {
  a = clip(a);
  b = clip(b);
  if (a.size() > b.size()) std::swap(a, b);
  return b.size() - a.size() < 20 && b.substr(0, a.size()) == a;
}

}  // namespace qv
