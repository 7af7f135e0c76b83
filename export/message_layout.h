#pragma once
// How one message looks in an export file: the header lines of each format,
// the plain layout of the current message alone, the sender and receiver
// texts, and the line wrapping of the text. Pure functions over a message
// taken out of the tables (ExportMessage), so every layout can be checked
// without a database.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/domain.h"

namespace qv::exporting {

// A sender or receiver: the person's names and address, or only the stored
// address string.
struct Party {
  std::string first;
  std::string last;
  std::string address;
};

// One message as the writer needs it, whatever table it came from.
struct ExportMessage {
  DatabaseType type = DatabaseType::Forum;
  std::uint32_t number = 0;     // message number, mail identifier
  std::uint32_t reference = 0;  // the message it answers; 0 none
  std::uint32_t sectionNumber = 0;
  std::string sectionName;
  std::string database;  // the database's description
  std::string subject;   // forum and newsgroup: the thread heading
  std::int32_t date = 0;
  std::int32_t time = 0;  // mail only; forum and newsgroup messages carry none
  Party sender;
  Party receiver;
  std::string messageId;  // newsgroup: the identifier strings
  std::string referenceId;
  bool outgoing = false;  // mail written by the database's owner
  std::string text;       // CR LF lines
};

// How a party is written.
enum class PartyStyle {
  Internet,    // "First Last <address>"; a service identifier as its Internet address
  CompuServe,  // "First Last 76543,210"; an Internet address as ">INTERNET:" + address
};

// The sender or receiver text. The name is the first and last name joined
// by a blank; "Name Unknown" counts as no name. An address enclosed in angle
// brackets loses them. Internet style: an address with "@" is written
// "Name <address>", a service identifier "76543,210" becomes
// "76543.210@compuserve.com" first; without a name the address alone.
// CompuServe style: an Internet address (one with "@") is ">INTERNET:" +
// address, with "Name " before it when there is a name; any other address
// follows the name after a blank. With neither name nor address: "".
std::string partyText(const Party& party, PartyStyle style);

// A service identifier ("76543,210") as its Internet address
// ("76543.210@compuserve.com"); any other address unchanged.
std::string internetAddress(std::string_view address);

// The subject of a forum reply in the CompuServe formats:
// "#" + referenced number + "-" + subject; the subject alone for no reply.
std::string replySubject(std::string_view subject, std::uint32_t reference);

// The header lines of a text format (dBase III has none). `format` 5 is
// Generic Mail Type 2 for mail and Unix News for newsgroup messages.
std::vector<std::string> headerLines(const ExportMessage& m, ExportFormat format);

// The plain layout of the current message alone.
std::vector<std::string> plainLines(const ExportMessage& m);

// How the text is laid out: with `wrap` every line longer than `width` is
// broken at the last blank within the width (that blank is dropped). A line
// with no blank within the width is broken at its first blank after it, so
// a word is never cut; a line without any blank stays whole. A text line
// that the format's reader would take for the start of the next message
// gets a ">" before it, so it stays text: for Eudora a line beginning
// "From ???@???", for the "From " formats a "From " separator line
// (text/from_line.h). Every other line, "From here on" included, is kept
// as it is.
enum class Separators { None, Eudora, FromLines };
struct TextLayout {
  bool wrap = true;
  std::size_t width = 78;
  Separators separators = Separators::None;
};

// The lines of a CR LF (or LF) text laid out as above. A text that ends
// with a line break gives no empty line for it; an empty text gives none.
std::vector<std::string> textLines(std::string_view text, const TextLayout& layout);

}  // namespace qv::exporting
