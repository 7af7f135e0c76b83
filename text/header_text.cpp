#include "text/header_text.h"

#include <array>

#include "store/charset.h"

namespace qv::internet {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view trimmed(std::string_view s) {
  const std::size_t first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const std::size_t last = s.find_last_not_of(kBlanks);
  return s.substr(first, last - first + 1);
}

// Fields that are header lines whatever follows their name.
constexpr std::array<std::string_view, 17> kOtherFields = {
    "APPROVED-BY:", "COMMENTS:",     "CONTENT-CONVERSION:", "CONVERSION:",  "IMPORTANCE:",
    "IN-REPLY-TO:", "MIME-VERSION:", "ORGANIZATION:",       "PATH:",        "PRIORITY:",
    "RECEIVED:",    "REFERENCES:",   "REPLY-TO:",           "RETURN-PATH:", "SENDER:",
    "STATUS:",      "URL:"};
// Families of fields: the prefix, then ": " within the next 40 characters.
constexpr std::array<std::string_view, 7> kFieldFamilies = {"ALTERNATE-", "CONTENT-", "DISCLOSE-", "LIST-",
                                                            "ORIGINAL-",  "X-",       "X400-"};

std::string cleanParty(std::string_view text, bool recipient) {
  std::string_view t = trimmed(text);
  if (recipient && t.size() >= 3 && t.substr(t.size() - 3) == "(X)") t = trimmed(t.substr(0, t.size() - 3));
  return std::string(t);
}

std::string unenclosed(std::string_view name) {
  name = trimmed(name);
  if (name.size() >= 2 && ((name.front() == '"' && name.back() == '"') || (name.front() == '(' && name.back() == ')')))
    name = name.substr(1, name.size() - 2);
  return std::string(name);
}

// Rules 3 and 4: "address (Name)", "Name address", or the whole text.
Party splitAtBlank(std::string_view t) {
  const std::size_t at = t.find('@');
  if (const std::size_t after = t.find(' ', at); after != std::string_view::npos)
    return {lower1252(t.substr(0, after)), unenclosed(t.substr(after + 1))};
  if (const std::size_t before = t.rfind(' ', at); before != std::string_view::npos)
    return {lower1252(t.substr(before + 1)), unenclosed(t.substr(0, before))};
  return {lower1252(t), {}};
}

}  // namespace

bool startsWithUpper(std::string_view text, std::string_view upperPrefix) {
  if (text.size() < upperPrefix.size()) return false;
  for (std::size_t i = 0; i < upperPrefix.size(); ++i)
    if (upper1252(text[i]) != upperPrefix[i]) return false;
  return true;
}

HeaderClass classifyHeaderLine(std::string_view text) {
  const std::string u = upper1252(text.substr(0, 50));
  const std::string_view v(u);
  if (v.starts_with("FROM:")) return kFromHeader;
  if (v.starts_with("DATE:")) return kDateHeader;
  if (v.starts_with("TO:")) return kToHeader;
  if (v.starts_with("SUBJECT:")) return kSubjectHeader;
  if (v.starts_with("NEWSGROUPS:")) return kNewsgroupsHeader;
  if (v.starts_with("MESSAGE-ID:")) return kMessageIdHeader;
  for (std::string_view field : kOtherFields)
    if (v.starts_with(field)) return kOtherHeader;
  for (std::string_view family : kFieldFamilies)
    if (v.starts_with(family) && v.substr(family.size(), 41).find(": ") != std::string_view::npos) return kOtherHeader;
  if (v.starts_with("FROM ")) {
    const std::string_view rest = v.substr(5);
    // A separator line: "From - date" (Netscape) or "From address date".
    if (rest.starts_with("- ") || rest.starts_with(" - ")) return kOtherHeader;
    if (rest.substr(0, 44).find('@') != std::string_view::npos) return kOtherHeader;
  }
  return kNotHeader;
}

bool looksLikeHeaderLine(std::string_view line) {
  if (line.empty() || line[0] == ' ' || line[0] == '\t') return false;
  for (std::size_t i = 2; i < line.size() && i < 49; ++i)
    if (line[i] == ' ' || line[i] == '\t') return line[i - 1] == ':';
  return false;
}

std::string headerValue(std::string_view line, std::size_t nameLength) {
  if (nameLength >= line.size()) return {};
  return std::string(trimmed(line.substr(nameLength)));
}

std::string cleanSubject(std::string_view text) {
  std::string_view s = trimmed(text);
  if (startsWithUpper(s, "RE:")) s = trimmed(s.substr(3));
  return std::string(s);
}

Party splitAddress(std::string_view text, bool recipient) {
  const std::string t = cleanParty(text, recipient);
  if (t.find('@') == std::string::npos) return {lower1252(t), {}};
  if (t.back() == '>') {
    const std::size_t open = t.rfind('<');
    if (open == std::string::npos) return {lower1252(t), {}};
    return {lower1252(trimmed(std::string_view(t).substr(open + 1, t.size() - open - 2))),
            unenclosed(std::string_view(t).substr(0, open))};
  }
  return splitAtBlank(t);
}

Party splitAddressVariant(std::string_view text, bool recipient) {
  const std::string t = cleanParty(text, recipient);
  if (t.find('@') == std::string::npos) return {lower1252(t), {}};
  const std::string_view v(t);
  if (const std::size_t open = v.find('<'); open != std::string_view::npos) {
    std::string_view inside = v.substr(open + 1, 60);
    if (const std::size_t close = inside.find('>'); close != std::string_view::npos) inside = inside.substr(0, close);
    return {lower1252(trimmed(inside)), unenclosed(v.substr(0, open))};
  }
  const std::string upper = upper1252(v);
  if (const std::size_t p = upper.find("INTERNET"); p != std::string::npos) {
    std::size_t rest = p + 8;
    if (rest < v.size() && v[rest] == ':') ++rest;
    return {lower1252(trimmed(v.substr(rest))), unenclosed(v.substr(0, p))};
  }
  return splitAtBlank(v);
}

}  // namespace qv::internet
