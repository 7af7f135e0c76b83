#pragma once
// From the collected lines of one message to a Message: the three header
// recognisers (Eudora, mail, news), then the body through part selection and
// assembly.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "text/body/body.h"
#include "text/message.h"
#include "text/line_queue.h"

namespace qv::internet {

enum class Recogniser : std::uint8_t { Eudora, Mail, News };

// What a reader demands of a header before it takes the message.
enum class Required : std::uint8_t {
  Nothing,
  FromDateTo,      // the header-scan mail readers
  AllNewsHeaders,  // Gravity: From, Date, Subject, Newsgroups and Message-ID
  ThreeOfFour,     // Outlook Express 5 Mail: three of From, Date, To and Subject
};

struct ConvertOptions {
  Recogniser recogniser = Recogniser::Mail;
  Required required = Required::Nothing;
  bool dayNameDates = false;    // Pegasus: a leading day name is dropped before the date is read
  bool addressVariant = false;  // Netscape News: the variant address split
  bool aolBody = false;         // AOL and CompuServe 2000: lines joined without line ends, AOL HTML conversion
};

// What the header of a collected message says. Texts are the values after
// the field names (leading and trailing blanks removed).
struct Header {
  std::optional<std::string> from, date, subject, to;
  body::BodyKind kind = body::BodyKind::Plain;
  bool multipart = false;
  std::optional<std::string> boundary;
  bool newsgroupsLine = false;
  std::vector<std::string> newsgroups;
  std::string messageId;
  std::string parentId;
  std::optional<long> lineCount;  // news: the Lines line
  std::size_t firstBody = 0;      // index of the first body line; lines.size() when none
};

// Eudora: From, Date, Subject, To and the body kind, up to the first empty line.
Header readEudoraHeader(const LineQueue& lines);
// The other mail readers: as Eudora, with field lengths limited, multipart
// boundaries, and Newsgroups noted (such a message is not mail).
Header readMailHeader(const LineQueue& lines);
// News stores: also Newsgroups, Message-ID, the parent reference and Lines.
// The header of a news article ends at the first empty line; that of a mail
// once From, Date and Subject, or a To line, were seen. `prefill` fills what
// the lines do not give.
Header readNewsHeader(const LineQueue& lines, const Prefill* prefill);

struct Converted {
  std::optional<Message> message;
  std::string rejected;  // why there is no message
};

// Parses the header, decides the kind and the parties, and assembles the
// body. Rejections: an empty message; a news article among mail; a header
// without what `options.required` demands. A multipart message whose
// boundary is not found is kept, its body assembled whole (no part
// selection). Lines may be drop-marked by part selection.
Converted convertMessage(LineQueue& lines, const ConvertOptions& options, const Prefill* prefill);

}  // namespace qv::internet
