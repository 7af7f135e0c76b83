#include "text/convert.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "text/date_text.h"
#include "text/header_text.h"
#include "store/charset.h"

namespace qv::internet {
namespace {

using body::BodyKind;

// "CONTENT-TYPE: MULTIPART" is 23 characters: the boundary is searched after it.
constexpr std::size_t kBoundaryColumn = 23;
constexpr std::size_t kReferencesMax = 800;

// An entry that carries on the physical line of the entry before it.
bool continuesLine(const LineQueue& lines, std::size_t i) { return i > 0 && lines[i - 1].split; }

std::size_t skipEmpty(const LineQueue& lines, std::size_t i) {
  while (i < lines.size() && lines[i].text.empty()) ++i;
  return i;
}

std::string cut(std::string s, std::size_t n) {
  if (s.size() > n) s.resize(n);
  return s;
}

void setOnce(std::optional<std::string>& field, std::string value) {
  if (!field) field = std::move(value);
}

// The boundary of the multipart Content-Type line `i`: on the line itself
// when it is long enough to hold one, and else (or when it is not there) on
// the following header lines. A boundary on the folded line after
// "Content-Type: multipart/alternative;" is the common case, so the search
// goes on past a long first line.
std::optional<std::string> findBoundary(const LineQueue& lines, std::size_t i) {
  const std::string& first = lines[i].text;
  if (first.size() > 32)
    if (auto b = body::extractBoundary(upper1252(first), first, kBoundaryColumn)) return b;
  for (std::size_t j = i + 1; j < lines.size() && !lines[j].text.empty(); ++j) {
    const std::string& t = lines[j].text;
    if (t.size() > 9)
      if (auto b = body::extractBoundary(upper1252(t), t, 0)) return b;
  }
  return std::nullopt;
}

// Reads a multipart Content-Type line into the header (digests are not split).
void noteMultipart(std::string_view upper, const LineQueue& lines, std::size_t i, Header& h) {
  if (!upper.starts_with("CONTENT-TYPE: MULTIPART") || upper.starts_with("CONTENT-TYPE: MULTIPART/DIGEST")) return;
  h.multipart = true;
  if (!h.boundary) h.boundary = findBoundary(lines, i);
}

// The references value with the rest of its physical line and its folded
// continuation lines, at most 800 characters.
std::string referencesValue(const LineQueue& lines, std::size_t i, std::size_t nameLength) {
  std::string value = headerValue(lines[i].text, nameLength);
  std::size_t j = i + 1;
  for (; j < lines.size() && continuesLine(lines, j) && value.size() < kReferencesMax; ++j) value += lines[j].text;
  for (; j < lines.size() && value.size() < kReferencesMax; ++j) {
    const std::string& t = lines[j].text;
    if (continuesLine(lines, j)) {
      value += t;
    } else if (!t.empty() && (t[0] == ' ' || t[0] == '\t')) {
      value += ' ';
      value += headerValue(t, 0);
    } else {
      break;
    }
  }
  return cut(std::move(value), kReferencesMax);
}

// The parent reference: the last blank-separated word of the value — the
// last one in angle brackets when a comment follows the identifier.
std::string parentOf(std::string_view value) {
  std::string_view last, lastBracketed;
  std::size_t p = 0;
  while (p < value.size()) {
    p = value.find_first_not_of(" \t", p);
    if (p == std::string_view::npos) break;
    const std::size_t end = std::min(value.find_first_of(" \t", p), value.size());
    last = value.substr(p, end - p);
    if (last.front() == '<') lastBracketed = last;
    p = end;
  }
  return std::string(lastBracketed.empty() ? last : lastBracketed);
}

std::vector<std::string> splitGroups(std::string_view list) {
  std::vector<std::string> groups;
  std::size_t p = 0;
  while (p <= list.size()) {
    const std::size_t comma = std::min(list.find(',', p), list.size());
    std::string name = headerValue(list.substr(p, comma - p), 0);
    if (!name.empty()) groups.push_back(std::move(name));
    p = comma + 1;
  }
  return groups;
}

bool allEmpty(const LineQueue& lines) {
  return std::all_of(lines.begin(), lines.end(), [](const QueueLine& l) { return l.text.empty(); });
}

}  // namespace

namespace {

// Walks the header lines up to the first empty line, which gives the first
// body line; `field` sees each line with an upper-cased copy of its start.
template <class Field>
Header readHeaderLines(const LineQueue& lines, Field field) {
  Header h;
  h.firstBody = lines.size();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (continuesLine(lines, i)) continue;
    const std::string& t = lines[i].text;
    if (t.empty()) {
      h.firstBody = skipEmpty(lines, i + 1);
      break;
    }
    const std::string upper = upper1252(std::string_view(t).substr(0, 40));
    field(h, t, std::string_view(upper), i);
  }
  return h;
}

}  // namespace

Header readEudoraHeader(const LineQueue& lines) {
  return readHeaderLines(lines, [](Header& h, const std::string& t, std::string_view v, std::size_t) {
    if (v.starts_with("FROM:"))
      setOnce(h.from, headerValue(t, 5));
    else if (v.starts_with("DATE:"))
      setOnce(h.date, headerValue(t, 5));
    else if (v.starts_with("SUBJECT:"))
      setOnce(h.subject, headerValue(t, 8));
    else if (v.starts_with("TO:"))
      setOnce(h.to, headerValue(t, 3));
    else if (v.starts_with("CONTENT-TYPE: TEXT/HTML"))
      h.kind = BodyKind::Html;
    else if (v.starts_with("CONTENT-TYPE: TEXT/ENRI"))
      h.kind = BodyKind::Enriched;
    else if (v.starts_with("CONTENT-TYPE: MULTIPART/ALTERNATIVE"))
      h.kind = BodyKind::Html;
  });
}

Header readMailHeader(const LineQueue& lines) {
  return readHeaderLines(lines, [&lines](Header& h, const std::string& t, std::string_view v, std::size_t i) {
    if (v.starts_with("FROM:"))
      setOnce(h.from, cut(headerValue(t, 5), 95));
    else if (v.starts_with("DATE:"))
      setOnce(h.date, cut(headerValue(t, 5), 95));
    else if (v.starts_with("SUBJECT:"))
      setOnce(h.subject, cut(headerValue(t, 8), 92));
    else if (v.starts_with("TO:"))
      setOnce(h.to, cut(headerValue(t, 3), 97));
    else if (v.starts_with("NEWSGROUPS:"))
      h.newsgroupsLine = true;
    else if (v.starts_with("CONTENT-TYPE: TEXT/HTML"))
      h.kind = BodyKind::Html;
    else if (v.starts_with("CONTENT-TYPE: TEXT/ENRI"))
      h.kind = BodyKind::Enriched;
    else
      noteMultipart(v, lines, i, h);
  });
}

Header readNewsHeader(const LineQueue& lines, const Prefill* prefill) {
  Header h;
  h.firstBody = lines.size();
  std::optional<std::size_t> firstEmpty;
  bool referencesSeen = false;
  const bool prefilledGroup = prefill != nullptr && !prefill->newsgroups.empty();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (continuesLine(lines, i)) continue;
    const std::string& t = lines[i].text;
    if (t.empty()) {
      const bool news = h.newsgroupsLine || prefilledGroup;
      if (news || (h.from && h.date && h.subject) || h.to) {
        h.firstBody = skipEmpty(lines, i + 1);
        firstEmpty.reset();
        break;
      }
      // A mail whose header is not complete yet reads on; should it never be,
      // the first empty line ends it after all (below), so no body is lost.
      if (!firstEmpty) firstEmpty = i;
      continue;
    }
    const std::string u = upper1252(std::string_view(t).substr(0, 40));
    const std::string_view v(u);
    if (v.starts_with("NEWSGROUPS:")) {
      if (!h.newsgroupsLine) h.newsgroups = splitGroups(headerValue(t, 11));
      h.newsgroupsLine = true;
    } else if (v.starts_with("MESSAGE-ID:")) {
      if (h.messageId.empty()) h.messageId = cut(headerValue(t, 11), 60);
    } else if (v.starts_with("REFERENCES:")) {
      // The last References word names the parent; it wins over In-Reply-To.
      if (!referencesSeen) h.parentId = parentOf(referencesValue(lines, i, 11));
      referencesSeen = true;
    } else if (v.starts_with("IN-REPLY-TO:")) {
      if (h.parentId.empty()) h.parentId = parentOf(referencesValue(lines, i, 12));
    } else if (v.starts_with("LINES:")) {
      if (t.size() > 8) {
        const std::string n = headerValue(t, 6);
        if (!n.empty() && n[0] >= '0' && n[0] <= '9') h.lineCount = std::strtol(n.c_str(), nullptr, 10);
      }
    } else if (v.starts_with("FROM:")) {
      setOnce(h.from, headerValue(t, 5));
    } else if (v.starts_with("DATE:")) {
      setOnce(h.date, headerValue(t, 5));
    } else if (v.starts_with("SUBJECT:")) {
      setOnce(h.subject, headerValue(t, 8));
    } else if (v.starts_with("SUBJ:")) {
      setOnce(h.subject, headerValue(t, 5));
    } else if (v.starts_with("TO:")) {
      setOnce(h.to, headerValue(t, 3));
    } else if (v.starts_with("CONTENT-TYPE: TEXT/HTML")) {
      h.kind = BodyKind::Html;
    } else {
      noteMultipart(v, lines, i, h);
    }
  }
  if (firstEmpty) h.firstBody = skipEmpty(lines, *firstEmpty + 1);
  if (prefill != nullptr) {
    if (h.messageId.empty()) h.messageId = cut(prefill->messageId, 60);
    if (h.parentId.empty()) h.parentId = parentOf(prefill->references);
    if (h.newsgroups.empty()) h.newsgroups = splitGroups(prefill->newsgroups);
    if (!h.subject && !prefill->subject.empty()) h.subject = prefill->subject;
    if (!h.from && !prefill->from.empty()) h.from = prefill->from;
  }
  return h;
}

Converted convertMessage(LineQueue& lines, const ConvertOptions& options, const Prefill* prefill) {
  Converted out;
  if (allEmpty(lines)) {
    out.rejected = "empty message";
    return out;
  }
  Header h;
  switch (options.recogniser) {
    case Recogniser::Eudora: h = readEudoraHeader(lines); break;
    case Recogniser::Mail: h = readMailHeader(lines); break;
    case Recogniser::News: h = readNewsHeader(lines, prefill); break;
  }
  if (options.recogniser == Recogniser::Mail && h.newsgroupsLine) {
    out.rejected = "a news article among mail (Newsgroups line)";
    return out;
  }
  if (options.required == Required::FromDateTo && !(h.from && h.date && h.to)) {
    out.rejected = "no From, Date and To lines";
    return out;
  }
  if (options.required == Required::ThreeOfFour &&
      int{h.from.has_value()} + int{h.date.has_value()} + int{h.to.has_value()} + int{h.subject.has_value()} < 3) {
    out.rejected = "fewer than three of From, Date, To and Subject";
    return out;
  }
  if (options.required == Required::AllNewsHeaders &&
      !(h.from && h.date && h.subject && h.newsgroupsLine && !h.messageId.empty())) {
    out.rejected = "not all of From, Date, Subject, Newsgroups and Message-ID";
    return out;
  }

  Message m;
  m.subject = cleanSubject(h.subject.value_or(""));
  const auto split = [&](const std::string& text, bool recipient) {
    return options.addressVariant ? splitAddressVariant(text, recipient) : splitAddress(text, recipient);
  };
  const auto readDate = [&](const std::string& text) {
    return options.dayNameDates ? parseDayNameDateText(text) : parseDateText(text);
  };
  DateTime when;
  if (h.date) when = readDate(*h.date);

  if (options.recogniser == Recogniser::News && !h.newsgroups.empty()) {
    m.kind = MessageKind::News;
    const Party sender = split(h.from.value_or(""), false);
    m.senderAddress = sender.address;
    m.senderName = sender.name;
    m.recipientName = h.parentId.empty() ? "All" : "Unknown";
    m.newsgroups = std::move(h.newsgroups);
    m.messageId = std::move(h.messageId);
    m.parentId = std::move(h.parentId);
  } else {
    m.kind = MessageKind::Mail;
    if (options.recogniser == Recogniser::News && h.from && h.from->starts_with("You")) {
      m.senderIsOwner = true;
    } else {
      const Party sender = split(h.from.value_or(""), false);
      m.senderAddress = sender.address;
      m.senderName = sender.name;
    }
    if (options.recogniser == Recogniser::News && !h.to) {
      m.recipientIsOwner = true;
    } else {
      const Party recipient = split(h.to.value_or(""), true);
      m.recipientAddress = recipient.address;
      m.recipientName = recipient.name;
    }
    if (options.recogniser == Recogniser::Eudora) {
      // Eudora keeps no Date line on the mail it sent; the separator line
      // carries the date then.
      m.direction = h.date ? Direction::Received : Direction::Sent;
      if (!h.date) when = parseSeparatorDate(lines.front().text);
    }
  }
  m.date = when.date;
  m.time = when.time;

  // A multipart mail whose boundary was not found keeps its whole body:
  // without a boundary no part can be told from another.
  BodyKind kind = h.kind;
  if (options.recogniser != Recogniser::Eudora && h.multipart && h.boundary)
    kind = body::selectParts(lines, h.firstBody, lines.size(), *h.boundary);
  if (h.firstBody < lines.size()) m.text = body::assembleBody(kind, lines, h.firstBody, lines.size(), options.aolBody);
  out.message = std::move(m);
  return out;
}

}  // namespace qv::internet
