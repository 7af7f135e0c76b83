#include "export/message_layout.h"

#include "store/dates.h"
#include "text/from_line.h"

namespace qv::exporting {
namespace {

std::string trimmedText(std::string_view s) {
  const std::size_t first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const std::size_t last = s.find_last_not_of(' ');
  return std::string(s.substr(first, last - first + 1));
}

std::string nameOf(const Party& p) {
  const std::string first = trimmedText(p.first), last = trimmedText(p.last);
  std::string name = first.empty() ? last : last.empty() ? first : first + " " + last;
  return name == kNameUnknown ? std::string() : name;
}

std::string addressOf(const Party& p) {
  std::string a = trimmedText(p.address);
  if (a.size() >= 2 && a.front() == '<' && a.back() == '>')
    a = trimmedText(std::string_view(a).substr(1, a.size() - 2));
  return a;
}

bool isDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

std::string number(std::uint32_t n) { return std::to_string(n); }

// "Www Mmm dd" of a day, as the "From " separator lines write it.
std::string separatorDay(std::int32_t day) {
  const dates::Ymd d = dates::fromDayNumber(day);
  char dd[8];
  std::snprintf(dd, sizeof dd, "%02d", d.day);
  return dates::pictureWww(day) + " " + dates::pictureMmm(day) + " " + dd;
}

std::string yearOf(std::int32_t day) {
  const dates::Ymd d = dates::fromDayNumber(day);
  char y[8];
  std::snprintf(y, sizeof y, "%04d", d.year);
  return y;
}

// "Www, dd Mmm yyyy T4" of the Date lines of the mail formats.
std::string mailDate(const ExportMessage& m) {
  const dates::Ymd d = dates::fromDayNumber(m.date);
  char dd[8];
  std::snprintf(dd, sizeof dd, "%02d", d.day);
  return dates::pictureWww(m.date) + ", " + dd + " " + dates::pictureMmm(m.date) + " " + yearOf(m.date) + " " +
         dates::pictureT4(m.time);
}

// The "From " separator line. Its readers take the date, the clock and the
// year at fixed columns, so the day and the hour always have two digits.
std::string fromSeparator(const ExportMessage& m, const std::string& clock) {
  return "From ???@??? " + separatorDay(m.date) + " " + clock + " " + yearOf(m.date);
}

std::vector<std::string> genericMail1(const ExportMessage& m) {
  return {"From: " + partyText(m.sender, PartyStyle::Internet), "Date: " + mailDate(m), "Subject: " + m.subject,
          "To: " + partyText(m.receiver, PartyStyle::Internet)};
}

std::vector<std::string> forumHeader(const ExportMessage& m, bool ozWin) {
  const std::string cs = partyText(m.sender, PartyStyle::CompuServe);
  const std::string cr = partyText(m.receiver, PartyStyle::CompuServe);
  std::string first = "#: " + number(m.number) + " S" + number(m.sectionNumber) + "/" + m.sectionName;
  first += ozWin ? "  (CIS:" + m.database + ")" : "  [" + m.database + "]";
  std::vector<std::string> lines = {first, "    " + dates::pictureD7(m.date) + " 00:00:00 ",
                                    "Sb: " + replySubject(m.subject, m.reference), "Fm: " + cs, "To: " + cr};
  if (ozWin) {
    std::string parent = m.reference != 0 ? number(m.reference) : std::string();
    parent.resize(11, ' ');
    lines.push_back("Replies:      TID:           Par:" + parent + "Chd:           Sib:");
  }
  return lines;
}

std::vector<std::string> mailHeader(const ExportMessage& m, ExportFormat format) {
  const std::string from = partyText(m.sender, PartyStyle::Internet);
  const std::string to = partyText(m.receiver, PartyStyle::Internet);
  switch (format) {
    case ExportFormat::Tapcis:
      return {"#: " + number(m.number) + " S0/CompuServe Mail  [MAIL]",
              "    " + dates::pictureD7(m.date) + "  " + dates::pictureT04(m.time), "Sb: " + m.subject,
              "Fm: " + partyText(m.sender, PartyStyle::CompuServe),
              "To: " + partyText(m.receiver, PartyStyle::CompuServe)};
    case ExportFormat::OzWin: {
      const std::string date = "Date:  " + dates::pictureD7(m.date) + " " + dates::pictureT04(m.time);
      if (m.outgoing)
        return {date + "  MsgID: OUTBOX", "MgTo:  " + partyText(m.receiver, PartyStyle::CompuServe),
                "Subj:  " + m.subject};
      return {date + "  MsgID:             ToID: " + partyText(m.receiver, PartyStyle::CompuServe),
              "From:  " + partyText(m.sender, PartyStyle::CompuServe), "Subj:  " + m.subject,
              "Chrg:          Imp:        Sens:        Receipt:       Parts:"};
    }
    case ExportFormat::Eudora: {
      const std::string separator = fromSeparator(m, dates::pictureT04(m.time));
      if (m.outgoing) return {separator, "To: " + to, "From: " + from, "Subject: " + m.subject};
      return {separator, "Date: " + mailDate(m), "From: " + from, "To: " + to, "Subject: " + m.subject};
    }
    case ExportFormat::GenericMail1: return genericMail1(m);
    case ExportFormat::GenericMail2: {
      std::vector<std::string> lines = {fromSeparator(m, dates::pictureT04(m.time))};
      for (std::string& l : genericMail1(m)) lines.push_back(std::move(l));
      return lines;
    }
    case ExportFormat::DBase3: break;
  }
  return {};
}

std::vector<std::string> newsHeader(const ExportMessage& m) {
  std::vector<std::string> lines = {fromSeparator(m, "00:00:00"), "From: " + partyText(m.sender, PartyStyle::Internet),
                                    "Newsgroups: " + m.database,  "Date: " + dates::pictureD8(m.date) + " 00:00:00 ",
                                    "Subject: " + m.subject,      "Message-ID: " + m.messageId};
  if (!m.referenceId.empty()) lines.push_back("References: " + m.referenceId);
  return lines;
}

}  // namespace

std::string internetAddress(std::string_view address) {
  const std::size_t comma = address.find(',');
  if (comma == std::string_view::npos || !isDigits(address.substr(0, comma)) || !isDigits(address.substr(comma + 1)))
    return std::string(address);
  return std::string(address.substr(0, comma)) + "." + std::string(address.substr(comma + 1)) + "@compuserve.com";
}

std::string partyText(const Party& party, PartyStyle style) {
  const std::string name = nameOf(party);
  std::string address = addressOf(party);
  const auto joined = [&name](const std::string& a) { return name.empty() ? a : a.empty() ? name : name + " " + a; };
  if (style == PartyStyle::CompuServe) {
    if (address.find('@') != std::string::npos) return joined(">INTERNET:" + address);
    return joined(address);
  }
  address = internetAddress(address);
  if (address.find('@') != std::string::npos && !name.empty()) return name + " <" + address + ">";
  return joined(address);
}

std::string replySubject(std::string_view subject, std::uint32_t reference) {
  if (reference == 0) return std::string(subject);
  return "#" + number(reference) + "-" + std::string(subject);
}

std::vector<std::string> headerLines(const ExportMessage& m, ExportFormat format) {
  switch (m.type) {
    case DatabaseType::Forum:
      if (format == ExportFormat::Tapcis || format == ExportFormat::OzWin)
        return forumHeader(m, format == ExportFormat::OzWin);
      return {};
    case DatabaseType::Newsgroup: return format == ExportFormat::UnixNews ? newsHeader(m) : std::vector<std::string>{};
    case DatabaseType::Mail: return mailHeader(m, format);
  }
  return {};
}

std::vector<std::string> plainLines(const ExportMessage& m) {
  switch (m.type) {
    case DatabaseType::Forum: {
      std::string no = "MsgNo: " + number(m.number);
      if (m.reference != 0) no += " (reply to " + number(m.reference) + ")";
      return {"Subject: " + m.subject,
              "From: " + partyText(m.sender, PartyStyle::CompuServe),
              "To: " + partyText(m.receiver, PartyStyle::CompuServe),
              "Date: " + dates::pictureD7(m.date),
              "Forum: " + m.database,
              no};
    }
    case DatabaseType::Newsgroup: {
      std::vector<std::string> lines = {
          " From: " + partyText(m.sender, PartyStyle::Internet), " Newsgroups: " + m.database,
          " Date: " + dates::pictureD8(m.date) + " 00:00:00 ", " Subject: " + m.subject, " Message-ID: " + m.messageId};
      if (!m.referenceId.empty()) lines.push_back(" References: " + m.referenceId);
      return lines;
    }
    case DatabaseType::Mail: return genericMail1(m);
  }
  return {};
}

std::vector<std::string> textLines(std::string_view text, const TextLayout& layout) {
  std::vector<std::string> out;
  const auto emit = [&out, &layout](std::string_view line) {
    const bool separator = layout.separators == Separators::Eudora      ? line.starts_with("From ???@???")
                           : layout.separators == Separators::FromLines ? internet::fromSeparatorLine(line)
                                                                        : false;
    if (separator) {
      out.push_back(">" + std::string(line));
    } else {
      out.emplace_back(line);
    }
  };
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    at = next;
    while (layout.wrap && layout.width > 0 && line.size() > layout.width) {
      std::size_t blank = line.rfind(' ', layout.width);
      if (blank == 0 || blank == std::string_view::npos) blank = line.find(' ', layout.width);
      if (blank == 0 || blank == std::string_view::npos) break;
      emit(line.substr(0, blank));
      line.remove_prefix(blank + 1);
    }
    emit(line);
  }
  return out;
}

}  // namespace qv::exporting
