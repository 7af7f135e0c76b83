#pragma once
// What the capture-family formats have in common and where they differ, and
// the reading of their header blocks into forum messages and mail. The
// positions named below count from 1, as the capture files are laid out.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "readers/capture/capture_sink.h"
#include "readers/capture/text_lines.h"

namespace qv::capture {

// How the readers tell a capture file's content before converting it.
enum class Detect : std::uint8_t {
  ByLines,   // OzWin, OzCIS: the first "#:" or "Date:  " header block decides
  ByChoice,  // TAPCIS, AUTOSIG, GoldenCompass: a "#:" line, mail when mail is what the import takes
  NavCis,    // NavCIS save files: the labelled header lines decide
};

// Which layout a mail header block has.
enum class MailLayout : std::uint8_t {
  Oz,       // "Date:  " start line, "MgTo:" or "From:", "Subj:"
  Tapcis6,  // "#:", date and time, "Sb:", "Fm:", "To:"; the own-address check decides
  Tapcis5,  // "#:" with "/Outbox" for sent mail; "Sb:", then "Fm:" or "To:"
};

struct FormatRules {
  std::string_view name;
  Detect detect = Detect::ByChoice;
  MailLayout mail = MailLayout::Tapcis6;
  bool oem850 = false;         // lines are code page 850
  bool forumInParens = false;  // OzWin: the "#:" line ends with "(forum)"
  bool tapcis5 = false;        // one-digit days, trailing "@b" on subjects, sections and names
  bool parLine = false;        // OzWin II: "Par:" on the sixth line gives the reply number
  bool ozWin2 = false;         // OzWin II: received mail has one more header line
  bool goldenCompass = false;  // "@l"/"@b" soft markers; lines of any length
};

// The rules of "NavCIS Save format" (its own header reader, the same slices).
const FormatRules& navCisRules();

// The rules of a capture-family format; null for another name.
const FormatRules* captureRules(std::string_view format);
// The formats the capture and GoldenCompass readers serve.
const std::vector<std::string_view>& captureFormats();

// A day number from a day, a two-digit year (system century rule) and an
// English or German month name of three letters ("Dez", "OKT", "Mär"); 0
// when any part is out of range.
std::int32_t dateFromParts(int day, int twoDigitYear, std::string_view month);
// "DD-MMM-YY" (blanks allowed for a leading zero); 0 when it is not one.
std::int32_t dayMonthYear(std::string_view nine);

// The forum message whose header block is lines[0..]: number, section,
// forum (OzWin), date, reply number, subject and parties. The first body
// line's index goes to `body`. False with `why` when a header line is
// missing or malformed or the number is 0 or not below 9,000,000.
bool readForumHeader(const FormatRules& rules, std::span<const TextLine> lines, ForumMessage& out,
                     std::size_t& body, std::string& why);
// The mail whose header block is lines[0..] in the format's mail layout.
bool readMailHeader(const FormatRules& rules, std::span<const TextLine> lines, internet::Message& out,
                    std::size_t& body, std::string& why);

// A mail party text ("Name INTERNET:addr", "Name 76543,210"): at "INTERNET"
// (with or without ":") the address is what follows and the name what
// precedes, without trailing blanks, ">" and "|" and enclosing quotes;
// otherwise FindCISAdress in mail mode, once more on the address alone when
// that gives no name.
void splitMailParty(std::string_view text, std::string& name, std::string& address);

// The reply number a forum subject ("#123400-Topic", "123400 Topic") names,
// taken only when it is above 0, not above `number` and at most 30,000 below
// it; the subject without it. Without one, the whole text (less a leading
// "#") is the subject and the reference is 0.
// The header blocks of a NavCIS save file (labelled lines "Subject:  ",
// "   From:  ", "     To:  ", "  Forum: " with "Sec: ", "   Date:  ").
bool readSaveForumHeader(std::span<const TextLine> lines, ForumMessage& out, std::size_t& body, std::string& why);
bool readSaveMailHeader(std::span<const TextLine> lines, internet::Message& out, std::size_t& body,
                        std::string& why);

// A GoldenCompass line without its soft markers: a line of only "@l" is
// empty, a leading "@l" and a trailing "@b" are dropped.
std::string withoutSoftMarkers(std::string_view line);

void replyFromSubject(std::string_view text, std::uint32_t number, std::uint32_t& reference, std::string& subject);

}  // namespace qv::capture
