// The message files of "WinCIM", "DOSCIM" and "CSNav": one saved message per
// file, a mail, a forum message, or a forum message in the thread layout.
#include "readers/cim/cim_readers.h"
#include "readers/cim/cim_run_sink.h"
#include "readers/cim/field_cursor.h"
#include "text/cserve_text.h"
#include "store/dates.h"
#include "store/domain.h"
#include "store/names.h"

namespace qv::cim {
namespace {

constexpr std::string_view kSignature{"VIS000\x1A", 7};
constexpr std::uint64_t kHeaderStart = 15;  // the kind byte, first of the header
constexpr std::size_t kString = 50;
constexpr std::uint8_t kMailFile = 1;
constexpr std::uint8_t kForumFile = 2;
constexpr std::uint8_t kThreadFile = 3;
constexpr int kListsEnd = 4;  // after the TO lists: no CC or BC lists follow

// A date of three bytes: day, month, years since 1970. It goes through a
// two-digit year, as the clients wrote it, and back by the century rule.
std::int32_t dateOf(FieldCursor& c) {
  const int day = c.byte();
  const int month = c.byte();
  const int year = dates::expandTwoDigitYear((1970 + c.byte()) % 100);
  return dates::dayNumber(year, month, day);
}

// A time of three bytes: hours, minutes, seconds.
std::int32_t timeOf(FieldCursor& c) {
  const int h = c.byte();
  const int m = c.byte();
  return dates::timeOf(h, m, c.byte());
}

void readList(FieldCursor& c, std::uint32_t count, std::string_view type, Message& m) {
  for (std::uint32_t i = 0; i < count && c.ok(); ++i) {
    Recipient r;
    r.name = c.string(40);
    r.address = c.string(60);
    r.type = type;
    c.skip(4);
    if (c.ok()) m.recipients.push_back(std::move(r));
  }
}

void readMail(FieldCursor& c, Message& m) {
  m.kind = Kind::Mail;
  m.copiesKeepListType = true;
  c.skip(16);
  for (int i = 0; i < 4; ++i) c.string(kString);
  c.word();
  m.time = timeOf(c);
  m.date = dateOf(c);
  c.skip(6);
  m.subject = c.string(kString);
  m.senderName = c.string(kString);
  m.senderAddress = c.string(kString);
  readList(c, c.byte(), kRecipientTo, m);
  c.skip(2);
  readList(c, c.word(), kRecipientTo, m);
  c.word();
  if (c.peek() == kListsEnd) {
    c.skip(1);
  } else {
    readList(c, c.byte(), kRecipientCc, m);
    readList(c, c.byte(), kRecipientBc, m);
    readList(c, c.word(), kRecipientCc, m);
    readList(c, c.word(), kRecipientBc, m);
  }
}

// The forum layout: a block of the given length with the date and the
// parties, then the numbers, the section and forum, and the text.
void readForum(FieldCursor& c, std::uint64_t headerEnd, Message& m) {
  m.kind = Kind::Forum;
  c.skipTo(headerEnd);
  const std::uint16_t blockLength = c.word();
  FieldCursor b = c.part(blockLength);
  b.skip(4);
  m.date = dateOf(b);
  b.skip(6);
  m.subject = b.string(kString);
  m.senderName = b.string(kString);
  m.senderAddress = b.string(kString);
  b.byte();
  m.recipientName = b.string(kString);
  m.recipientAddress = b.string(kString);
  if (!b.ok()) {
    c.fail();  // the block ends before its fields: so does the message
    return;
  }
  c.skipTo(b.end());
  c.skip(2);
  m.number = c.dword();
  m.parent = c.dword();
  c.skip(8);
  c.byte();
  m.sectionNumber = c.byte();
  m.sectionName = c.string(kString);
  m.forum = c.string(kString);
  c.byte();
  c.dword();
  c.dword();
  c.skip(c.byte());
}

// The thread layout: section and forum in the header part, then numbers,
// date, parties and a text of the given length.
std::uint64_t readThread(FieldCursor& c, std::uint64_t headerEnd, Message& m) {
  m.kind = Kind::Forum;
  c.skipTo(headerEnd);
  c.skip(2);
  m.sectionNumber = c.byte();
  m.forum = c.string(kString);
  c.skip(2);
  m.number = c.dword();
  m.parent = c.dword();
  c.skip(8);
  c.byte();
  c.skip(4);
  m.date = dateOf(c);
  c.skip(6);
  m.senderName = c.string(kString);
  m.senderAddress = c.string(kString);
  m.recipientName = c.string(kString);
  m.recipientAddress = c.string(kString);
  c.byte();
  return c.word();
}

}  // namespace

bool MessageFileReader::open(std::unique_ptr<internet::ByteSource> source) {
  source_ = std::move(source);
  return source_ && window_.open(*source_) && window_.view(kSignature.size()) == kSignature;
}

bool MessageFileReader::convert(CimSink& sink) {
  FieldCursor c(window_, window_.size());
  c.skip(kSignature.size() + 6);
  const std::uint64_t headerEnd = kHeaderStart + c.word();
  const std::uint8_t kind = c.byte();
  if (!c.ok()) {
    sink.skip(0, "the file ends before its fields");
    return true;
  }
  Message m;
  std::uint64_t textLength = 0;
  switch (kind) {
    case kMailFile: readMail(c, m); break;
    case kForumFile: readForum(c, headerEnd, m); break;
    case kThreadFile: textLength = readThread(c, headerEnd, m); break;
    default: sink.skip(0, "a message file of kind " + std::to_string(kind)); return true;
  }
  if (!c.ok()) {
    sink.skip(0, "the file ends before its fields");
    return true;
  }
  if (kind != kThreadFile) {
    textLength = c.remaining();  // the text runs to the end of the file
  } else if (textLength > c.remaining()) {
    sink.skip(0, "the text runs past the end of the file");
    return true;
  }
  const std::string text = c.bytes(textLength, kMessageTextMax);
  m.text = StripChar(cserve::convertLineMarks(text), m.kind == Kind::Forum ? kStripForum : kStripMail);
  return sink.take(m, 0);
}

bool MessageFileReader::call(ReaderPhase phase, ImportRun& run) {
  CimRunSink sink(run);
  if (phase == ReaderPhase::Open) {
    if (open(internet::openFileSource(run.file.name))) return false;
    sink.skip(0, source_ ? "not a message file (no VIS000 signature)" : "the file cannot be read");
    run.progress += run.file.size;
    return true;
  }
  convert(sink);
  run.progress += run.file.size;
  return true;
}

void registerCimReaders(Library& lib) {
  registerReader(lib, "CompuServe 3 and 4", [] { return std::make_unique<CabinetReader>(); });
  for (const char* format : {"WinCIM", "DOSCIM", "CSNav"})
    registerReader(lib, format, [] { return std::make_unique<MessageFileReader>(); });
}

}  // namespace qv::cim
