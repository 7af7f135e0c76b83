#include "readers/capture/capture_format.h"

#include <array>

#include "readers/capture/capture_text.h"
#include "text/cserve_text.h"
#include "text/date_text.h"
#include "store/dates.h"
#include "store/domain.h"
#include "store/names.h"

namespace qv::capture {
namespace {

constexpr std::size_t kPartyMax = 60;  // NHR:S_NAME, NHR:S_CISADRESS and the receiver's twins

constexpr std::array<FormatRules, 7> kRules = {{
    {.name = "TAPCIS 5.x", .detect = Detect::ByChoice, .mail = MailLayout::Tapcis5, .oem850 = true, .tapcis5 = true},
    {.name = "TAPCIS 6.x", .detect = Detect::ByChoice, .mail = MailLayout::Tapcis6, .oem850 = true},
    {.name = "AUTOSIG", .detect = Detect::ByChoice, .mail = MailLayout::Tapcis6, .oem850 = true},
    {.name = "OzWin I", .detect = Detect::ByLines, .mail = MailLayout::Oz, .forumInParens = true},
    {.name = "OzWin II", .detect = Detect::ByLines, .mail = MailLayout::Oz, .forumInParens = true, .parLine = true,
     .ozWin2 = true},
    {.name = "OzCIS", .detect = Detect::ByLines, .mail = MailLayout::Oz, .oem850 = true},
    {.name = "GoldenCompass", .detect = Detect::ByChoice, .mail = MailLayout::Tapcis5, .tapcis5 = true,
     .goldenCompass = true},
}};
constexpr FormatRules kNavCis = {.name = "NavCIS Save format", .detect = Detect::NavCis};

const std::string& lineAt(std::span<const TextLine> lines, std::size_t i) {
  static const std::string kNone;
  return i < lines.size() ? lines[i].text : kNone;
}

// The party text of a "Fm:" or "To:" line from position 5: a trailing "(X)"
// and, for TAPCIS 5.x, a trailing "@b" removed.
std::string partyText(const FormatRules& rules, std::string_view line) {
  std::string_view t = trimmed(from(line, 4));
  if (t.ends_with("(X)")) t = trimmed(t.substr(0, t.size() - 3));
  if (rules.tapcis5) t = withoutSoftEnd(t);
  return std::string(t);
}

void splitForumParty(std::string_view text, std::string& name, std::string& address) {
  FindCISAdress(kCisForum, text, address, kPartyMax, name, kPartyMax);
}

// The date of a TAPCIS 5.x date line: the first "D-MMM-YY" or "DD-MMM-YY"
// anywhere on it; `end` is set past the year.
std::int32_t flexibleDate(std::string_view line, std::size_t& end) {
  for (std::size_t dash = line.find('-'); dash != std::string_view::npos; dash = line.find('-', dash + 1)) {
    if (dash == 0 || !isDigit(line[dash - 1]) || dash + 6 >= line.size() || line[dash + 4] != '-') continue;
    const int day = dash >= 2 && isDigit(line[dash - 2]) ? numberIn(line.substr(dash - 2, 2)) : line[dash - 1] - '0';
    const int year = numberIn(line.substr(dash + 5, 2));
    if (year < 0) continue;
    end = dash + 7;
    return dateFromParts(day, year, line.substr(dash + 1, 3));
  }
  end = line.size();
  return 0;
}

// The first clock time "H:MM" or "HH:MM:SS" from `at` on.
std::int32_t firstClock(std::string_view line, std::size_t at) {
  for (std::size_t colon = line.find(':', at); colon != std::string_view::npos; colon = line.find(':', colon + 1)) {
    if (colon == 0 || !isDigit(line[colon - 1]) || colon + 2 >= line.size()) continue;
    const std::size_t start = colon >= 2 && isDigit(line[colon - 2]) ? colon - 2 : colon - 1;
    const int hours = numberIn(line.substr(start, colon - start));
    const int minutes = numberIn(line.substr(colon + 1, 2));
    if (minutes < 0) continue;
    int seconds = 0;
    if (colon + 5 < line.size() && line[colon + 3] == ':') seconds = numberIn(line.substr(colon + 4, 2));
    const std::int32_t t = dates::timeOf(hours, minutes, seconds < 0 ? 0 : seconds);
    if (t != 0) return t;
  }
  return 0;
}

// "HH:MM" (seconds 00) or, with `seconds`, "HH:MM:SS" at `at`; 0 when it is not one.
std::int32_t clockAt(std::string_view line, std::size_t at, bool seconds) {
  const std::string_view t = from(line, at);
  if (t.size() < 5 || t[2] != ':') return 0;
  const int s = seconds && t.size() >= 8 && t[5] == ':' ? numberIn(t.substr(6, 2)) : 0;
  return dates::timeOf(numberIn(t.substr(0, 2)), numberIn(t.substr(3, 2)), s);
}

}  // namespace

const FormatRules& navCisRules() { return kNavCis; }

std::string withoutSoftMarkers(std::string_view line) {
  if (line == "@l") return {};
  if (line.starts_with("@l")) line.remove_prefix(2);
  if (line.ends_with("@b")) line.remove_suffix(2);
  return std::string(line);
}

const FormatRules* captureRules(std::string_view format) {
  for (const FormatRules& r : kRules)
    if (r.name == format) return &r;
  return nullptr;
}

const std::vector<std::string_view>& captureFormats() {
  static const std::vector<std::string_view> names = [] {
    std::vector<std::string_view> out;
    for (const FormatRules& r : kRules) out.push_back(r.name);
    return out;
  }();
  return names;
}

std::int32_t dateFromParts(int day, int twoDigitYear, std::string_view month) {
  const int m = internet::monthNumber(month);
  if (m == 0 || day < 1 || twoDigitYear < 0 || twoDigitYear > 99) return 0;
  return dates::dayNumber(dates::expandTwoDigitYear(twoDigitYear), m, day);
}

std::int32_t dayMonthYear(std::string_view nine) {
  if (nine.size() < 9 || nine[2] != '-' || nine[6] != '-') return 0;
  return dateFromParts(numberIn(nine.substr(0, 2)), numberIn(nine.substr(7, 2)), nine.substr(3, 3));
}

void replyFromSubject(std::string_view text, std::uint32_t number, std::uint32_t& reference, std::string& subject) {
  reference = 0;
  std::size_t digitsAt = std::string_view::npos;
  if (!text.empty() && text[0] == '#') digitsAt = 1;
  else if (!text.empty() && isDigit(text[0])) digitsAt = 0;
  if (digitsAt != std::string_view::npos) {
    std::size_t end = digitsAt;
    while (end < text.size() && text[end] != ' ' && text[end] != '-') ++end;
    const std::string_view digits = text.substr(digitsAt, end - digitsAt);
    const std::uint64_t ref = digits.size() <= 9 ? unsignedIn(digits) : 0;
    if (ref > 0 && ref <= number && number - ref <= 30000) {
      reference = static_cast<std::uint32_t>(ref);
      // The blank or "-" that ends the number belongs to neither.
      text = end < text.size() ? text.substr(end + 1) : std::string_view{};
    }
  }
  text = trimmed(text);
  if (!text.empty() && text[0] == '#') text.remove_prefix(1);
  subject = std::string(text);
}

void splitMailParty(std::string_view text, std::string& name, std::string& address) {
  name.clear();
  address.clear();
  text = trimmed(text);
  const std::size_t at = upperView(text).find("INTERNET");
  if (at != std::string::npos) {
    std::string_view rest = text.substr(at + 8);
    if (!rest.empty() && rest[0] == ':') rest.remove_prefix(1);
    address = std::string(trimmed(rest)).substr(0, kPartyMax);
    std::string_view before = text.substr(0, at);
    while (!before.empty() && (before.back() == ' ' || before.back() == '>' || before.back() == '|'))
      before.remove_suffix(1);
    if (before.size() >= 2 && before.front() == '"' && before.back() == '"') before = before.substr(1, before.size() - 2);
    name = std::string(trimmed(before)).substr(0, kPartyMax);
    return;
  }
  FindCISAdress(kCisMail, text, address, kPartyMax, name, kPartyMax);
  if (name.empty() && !address.empty()) {
    std::string again, againName;
    FindCISAdress(kCisMail, address, again, kPartyMax, againName, kPartyMax);
    if (!againName.empty()) {
      name = againName;
      address = again;
    }
  }
}

bool readForumHeader(const FormatRules& rules, std::span<const TextLine> lines, ForumMessage& out,
                     std::size_t& body, std::string& why) {
  out = ForumMessage{};
  if (lines.size() < 5) {
    why = "the header block is incomplete";
    return false;
  }
  const std::string_view start = lines[0].text;
  // The number: from position 4 to the first blank.
  std::string_view rest = from(start, 3);
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  const std::string_view digits = rest.substr(0, rest.find(' '));
  const std::uint64_t number = digits.size() <= 12 ? unsignedIn(digits) : 0;
  if (number == 0 || number >= kForumNumberLimit) {
    why = "no message number (or one out of range) on the \"#:\" line";
    return false;
  }
  out.number = static_cast<std::uint32_t>(number);
  std::string_view section = trimmed(rest.substr(digits.size()));

  if (rules.forumInParens) {
    const std::size_t open = start.rfind('(');
    const std::size_t close = open == std::string_view::npos ? open : start.find(')', open);
    if (close != std::string_view::npos && open >= 3 + digits.size()) {
      const std::string_view forum = trimmed(cserve::withoutCisPrefix(trimmed(start.substr(open + 1, close - open - 1))));
      if (!forum.empty()) {
        out.forum = std::string(forum);
        const std::size_t sectionAt = start.size() - rest.size() + digits.size();
        section = trimmed(start.substr(sectionAt, open > sectionAt ? open - sectionAt : 0));
      }
    }
  }
  // TAPCIS names the forum after the section: "S3/Printers  [IBMPRO]".
  if (!rules.forumInParens && section.ends_with(']')) {
    const std::size_t open = section.rfind("  [");
    if (open != std::string_view::npos) section = trimmed(section.substr(0, open));
  }
  section = section.substr(0, 30);
  if (section.size() >= 4 && section[0] == '(' && section[2] == ')' && section[3] == ' ')
    section = trimmed(section.substr(4));
  if (rules.tapcis5) section = withoutSoftEnd(section);
  const std::size_t slash = section.find('/');
  const std::string_view sectionDigits =
      slash == std::string_view::npos ? from(section, 1) : (slash < 2 ? std::string_view{} : section.substr(1, slash - 1));
  const std::uint64_t sectionNumber = sectionDigits.size() <= 9 ? unsignedIn(sectionDigits) : 0;
  out.sectionNumber = static_cast<std::uint32_t>(sectionNumber);
  if (slash != std::string_view::npos) out.sectionName = std::string(trimmed(section.substr(slash + 1)));

  const std::string_view dateLine = lines[1].text;
  std::size_t ignored = 0;
  out.date = rules.tapcis5 ? flexibleDate(dateLine, ignored) : dayMonthYear(from(dateLine, 4).substr(0, 9));

  bool parFound = false;
  if (rules.parLine) {
    const std::string_view sixth = std::string_view(lineAt(lines, 5)).substr(0, 40);
    const std::size_t par = sixth.find("Par:");
    if (par != std::string_view::npos) {
      const std::uint64_t ref = unsignedIn(trimmed(from(lineAt(lines, 5), par + 4).substr(0, 8)));
      parFound = true;
      out.parent = ref <= number ? static_cast<std::uint32_t>(ref) : 0;
    }
  }
  if (!lines[2].text.starts_with("Sb:")) {
    why = "no \"Sb:\" line";
    return false;
  }
  std::string_view subject = from(lines[2].text, 4);
  if (rules.tapcis5) subject = withoutSoftEnd(trimmed(subject));
  if (parFound) {
    // A "#number-" before the subject that names the "Par:" message is the
    // reply mark, not part of the subject.
    std::uint32_t named = 0;
    std::string without;
    replyFromSubject(trimmed(subject), out.number, named, without);
    if (named != 0 && named == out.parent) {
      out.subject = without;
    } else {
      out.subject = std::string(trimmed(subject));
      if (!out.subject.empty() && out.subject[0] == '#') out.subject.erase(0, 1);
    }
  } else {
    replyFromSubject(trimmed(subject), out.number, out.parent, out.subject);
  }
  if (!lines[3].text.starts_with("Fm:") || !lines[4].text.starts_with("To:")) {
    why = "no \"Fm:\" or \"To:\" line";
    return false;
  }
  splitForumParty(partyText(rules, lines[3].text), out.senderName, out.senderAddress);
  splitForumParty(partyText(rules, lines[4].text), out.recipientName, out.recipientAddress);
  body = 6;
  return true;
}

bool readMailHeader(const FormatRules& rules, std::span<const TextLine> lines, internet::Message& out,
                    std::size_t& body, std::string& why) {
  out = internet::Message{};
  out.kind = internet::MessageKind::Mail;
  const auto bad = [&why](const char* text) {
    why = text;
    return false;
  };
  if (lines.size() < 3) return bad("the header block is incomplete");
  switch (rules.mail) {
    case MailLayout::Oz: {
      const std::string_view start = lines[0].text;
      out.date = dayMonthYear(from(start, 7).substr(0, 9));
      out.time = clockAt(start, 17, false);
      const std::string_view party = lines[1].text;
      const bool sent = party.starts_with("MgTo:");
      if (!sent && !party.starts_with("From:")) return bad("no \"MgTo:\" or \"From:\" line");
      if (!lines[2].text.starts_with("Subj:")) return bad("no \"Subj:\" line");
      out.subject = std::string(trimmed(from(lines[2].text, 7)));
      std::string name, address;
      splitMailParty(from(party, 7), name, address);
      if (sent) {
        out.direction = internet::Direction::Sent;
        out.senderIsOwner = true;
        out.recipientName = name;
        out.recipientAddress = address;
      } else {
        out.direction = internet::Direction::Received;
        out.recipientIsOwner = true;
        out.senderName = name;
        out.senderAddress = address;
      }
      body = rules.ozWin2 && !sent ? 5 : 4;
      return true;
    }
    case MailLayout::Tapcis6: {
      if (lines.size() < 5) return bad("the header block is incomplete");
      const std::string_view dateLine = lines[1].text;
      out.date = dayMonthYear(from(dateLine, 4).substr(0, 9));
      out.time = clockAt(dateLine, 15, dateLine.size() > 20 && dateLine[20] != ' ');
      if (!lines[2].text.starts_with("Sb:")) return bad("no \"Sb:\" line");
      if (!lines[3].text.starts_with("Fm:") || !lines[4].text.starts_with("To:"))
        return bad("no \"Fm:\" or \"To:\" line");
      out.subject = std::string(trimmed(from(lines[2].text, 4)));
      splitMailParty(partyText(rules, lines[3].text), out.senderName, out.senderAddress);
      splitMailParty(partyText(rules, lines[4].text), out.recipientName, out.recipientAddress);
      out.direction = internet::Direction::ByOwnAddress;
      body = 6;
      return true;
    }
    case MailLayout::Tapcis5: {
      const bool sent = lines[0].text.find("/Outbox") != std::string::npos;
      std::size_t afterDate = 0;
      out.date = flexibleDate(lines[1].text, afterDate);
      out.time = firstClock(lines[1].text, afterDate);
      if (!lines[2].text.starts_with("Sb:")) return bad("no \"Sb:\" line");
      out.subject = std::string(withoutSoftEnd(trimmed(from(lines[2].text, 4))));
      if (sent) {
        if (!lineAt(lines, 4).starts_with("To:")) return bad("no \"To:\" line");
        splitMailParty(partyText(rules, lines[4].text), out.recipientName, out.recipientAddress);
        out.direction = internet::Direction::Sent;
        out.senderIsOwner = true;
        body = 6;
      } else {
        if (!lineAt(lines, 3).starts_with("Fm:")) return bad("no \"Fm:\" line");
        splitMailParty(partyText(rules, lines[3].text), out.senderName, out.senderAddress);
        out.direction = internet::Direction::Received;
        out.recipientIsOwner = true;
        body = 5;
      }
      return true;
    }
  }
  return bad("unknown mail layout");
}

}  // namespace qv::capture
