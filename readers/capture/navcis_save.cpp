// The labelled header blocks of NavCIS save files.
#include "readers/capture/capture_format.h"
#include "readers/capture/capture_text.h"
#include "text/cserve_text.h"
#include "store/dates.h"
#include "store/domain.h"
#include "store/names.h"

namespace qv::capture {
namespace {

constexpr std::size_t kPartyMax = 60;

bool labelled(std::span<const TextLine> lines, std::size_t i, std::string_view label) {
  return i < lines.size() && lines[i].text.starts_with(label);
}

// The party of a From or To line: the text after the label, a trailing
// "(X)" removed.
std::string_view partyOf(std::string_view line) {
  std::string_view t = trimmed(from(line, 10));
  if (t.ends_with("(X)")) t = trimmed(t.substr(0, t.size() - 3));
  return t;
}

std::int32_t saveDate(std::string_view line) { return dayMonthYear(from(line, 10).substr(0, 9)); }

}  // namespace

bool readSaveForumHeader(std::span<const TextLine> lines, ForumMessage& out, std::size_t& body, std::string& why) {
  out = ForumMessage{};
  if (!labelled(lines, 0, "Subject:  ") || !labelled(lines, 1, "   From:  ") || !labelled(lines, 2, "     To:  ") ||
      !labelled(lines, 3, "  Forum: ") || !labelled(lines, 4, "   Date:  ")) {
    why = "the header block is incomplete";
    return false;
  }
  const std::string_view subjectLine = lines[0].text;
  std::string_view subject = from(subjectLine, 10);
  const std::size_t numberAt = subjectLine.find("Msg Number: ", 10);
  if (numberAt != std::string_view::npos) {
    const std::uint64_t number = unsignedIn(trimmed(from(subjectLine, numberAt + 12)).substr(0, 12));
    if (number > 0 && number < kForumNumberLimit) out.number = static_cast<std::uint32_t>(number);
    subject = subjectLine.substr(10, numberAt >= 12 ? numberAt - 12 : 0);
  }
  if (out.number == 0) {
    why = "no message number on the subject line";
    return false;
  }
  if (!subject.empty() && subject[0] == '#') {
    // "#123400 #Subject": the parent's number (up to position 18), then the subject.
    std::size_t end = 1;
    while (end < subject.size() && end < 8 && isDigit(subject[end])) ++end;
    out.parent = static_cast<std::uint32_t>(unsignedIn(subject.substr(1, end - 1)));
    subject = trimmed(from(subject, end));
    if (!subject.empty() && subject[0] == '#') subject.remove_prefix(1);
  }
  out.subject = std::string(trimmed(subject));
  FindCISAdress(kCisForum, partyOf(lines[1].text), out.senderAddress, kPartyMax, out.senderName, kPartyMax);
  FindCISAdress(kCisForum, partyOf(lines[2].text), out.recipientAddress, kPartyMax, out.recipientName, kPartyMax);

  const std::string_view forumLine = lines[3].text;
  const std::size_t sec = forumLine.find("Sec: ", 9);
  const std::string_view forum = forumLine.substr(9, sec == std::string_view::npos ? std::string_view::npos : sec - 9);
  out.forum = std::string(trimmed(cserve::withoutCisPrefix(trimmed(forum))));
  if (sec != std::string_view::npos) {
    const std::string_view section = from(forumLine, sec + 5);
    const std::size_t dash = section.find('-');
    out.sectionNumber = static_cast<std::uint32_t>(unsignedIn(trimmed(section.substr(0, dash)).substr(0, 9)));
    if (dash != std::string_view::npos) out.sectionName = std::string(trimmed(section.substr(dash + 1)));
  }
  out.date = saveDate(lines[4].text);
  body = 6;
  return true;
}

bool readSaveMailHeader(std::span<const TextLine> lines, internet::Message& out, std::size_t& body,
                        std::string& why) {
  out = internet::Message{};
  out.kind = internet::MessageKind::Mail;
  if (!labelled(lines, 0, "Subject:  ") || !labelled(lines, 1, "   From:  ") || !labelled(lines, 2, "     To:  ") ||
      !labelled(lines, 3, "   Date:  ")) {
    why = "the header block is incomplete";
    return false;
  }
  out.subject = std::string(trimmed(from(lines[0].text, 10)));
  splitMailParty(partyOf(lines[1].text), out.senderName, out.senderAddress);
  splitMailParty(partyOf(lines[2].text), out.recipientName, out.recipientAddress);
  // Sent or received: the own-address check decides when the mail is taken.
  out.direction = internet::Direction::ByOwnAddress;
  const std::string_view dateLine = lines[3].text;
  out.date = saveDate(dateLine);
  const std::string_view clock = trimmed(from(dateLine, 19));
  if (clock.size() >= 5 && clock[2] == ':')
    out.time = dates::timeOf(numberIn(clock.substr(0, 2)), numberIn(clock.substr(3, 2)), 0);
  body = 5;
  return true;
}

}  // namespace qv::capture
