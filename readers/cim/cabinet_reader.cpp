// The filing cabinet of "CompuServe 3 and 4": a first pass lists the
// objects, the conversion reads each one's forum message or mail.
#include <algorithm>

#include "readers/cim/cim_readers.h"
#include "readers/cim/cim_run_sink.h"
#include "readers/cim/field_cursor.h"
#include "text/cserve_text.h"
#include "store/dates.h"
#include "store/domain.h"
#include "store/names.h"

namespace qv::cim {
namespace {

constexpr std::string_view kMagic = "FCAB";
constexpr std::uint64_t kFileHeader = 12;  // "FCAB" and 8 bytes
constexpr std::string_view kMarker = "~CS~FCR~";
constexpr std::uint64_t kSmallestObject = 121;  // objects of 120 bytes or less hold no message
constexpr std::uint64_t kPassSlice = 50000;
constexpr std::size_t kString = 75;
constexpr std::uint8_t kForumObject = 2;
constexpr std::uint8_t kMailObject = 9;

// Offsets from the object's marker.
constexpr std::uint64_t kZeroAt = 11;
constexpr std::uint64_t kKindAt = 106;
constexpr std::uint64_t kStampAt = 111;
constexpr std::uint64_t kStringsAt = 119;

// The stamp: low 16 bits the time (seconds / 2 in bits 0-4, minutes 5-10,
// hours 11-15), high 16 bits the date (day 0-4, month 5-8, years since 1970
// 9-15). A part out of range gives no date or no time.
void unpackStamp(std::uint32_t stamp, Message& m) {
  const std::uint32_t t = stamp & 0xFFFF;
  const std::uint32_t d = stamp >> 16;
  m.time = dates::timeOf(static_cast<int>(t >> 11), static_cast<int>((t >> 5) & 0x3F), static_cast<int>(t & 0x1F) * 2);
  m.date = dates::dayNumber(1970 + static_cast<int>(d >> 9), static_cast<int>((d >> 5) & 0x0F), static_cast<int>(d & 0x1F));
}

}  // namespace

bool CabinetReader::open(std::unique_ptr<internet::ByteSource> source) {
  source_ = std::move(source);
  objects_.clear();
  inObject_ = passDone_ = rewound_ = false;
  next_ = 0;
  if (!source_ || !window_.open(*source_) || window_.view(kMagic.size()) != kMagic) return false;
  window_.seek(kFileHeader);
  return true;
}

void CabinetReader::markerAt(std::uint64_t at) {
  if (inObject_ && at - objectStart_ >= kSmallestObject) objects_.push_back({objectStart_, at});
  inObject_ = true;
  objectStart_ = at;
}

bool CabinetReader::firstPass() {
  if (passDone_) return true;
  std::uint64_t budget = std::max<std::uint64_t>(1, std::min(window_.size() / 10, kPassSlice));
  while (budget > 0 && !window_.atEnd()) {
    // A marker may start anywhere in the slice and run on past it.
    const std::string_view ahead = window_.view(internet::kBlockSize + kMarker.size() - 1);
    std::size_t step = static_cast<std::size_t>(std::min<std::uint64_t>({ahead.size(), budget, internet::kBlockSize}));
    const std::size_t at = ahead.find(kMarker);
    if (at != std::string_view::npos && at < step) {
      markerAt(window_.pos() + at);
      step = at + kMarker.size();
    }
    window_.advance(step);
    budget -= std::min<std::uint64_t>(step, budget);
  }
  if (!window_.atEnd()) return false;
  // The end of the data (of the file, or where a read failed) closes the last object.
  markerAt(window_.pos());
  inObject_ = false;
  passDone_ = true;
  return true;
}

bool CabinetReader::convert(CimSink& sink, int count) {
  if (!rewound_) {
    rewound_ = true;
    if (!window_.open(*source_)) {
      sink.skip(0, "read error");
      next_ = objects_.size();
    }
  }
  for (int done = 0; done < count && next_ < objects_.size(); ++done)
    if (!convertObject(objects_[next_++], sink)) {
      next_ = objects_.size();
      return true;
    }
  return next_ >= objects_.size();
}

bool CabinetReader::convertObject(const ObjectSpan& object, CimSink& sink) {
  window_.seek(object.start);
  if (window_.pos() != object.start) {
    sink.skip(object.start, "read error");
    return true;
  }
  FieldCursor c(window_, object.end);
  c.skip(kZeroAt);
  if (c.byte() != 0) {
    sink.skip(object.start, c.ok() ? "not a message object" : "the object ends before its fields");
    return true;
  }
  Message m;
  c.skipTo(kKindAt + object.start);
  const std::uint8_t kind = c.byte();
  c.skipTo(kStampAt + object.start);
  unpackStamp(c.dword(), m);
  c.skipTo(kStringsAt + object.start);
  m.subject = c.string(kString);
  m.senderName = c.string(kString);
  m.senderAddress = c.string(kString);
  m.sectionName = c.string(kString);
  m.forum = c.string(kString);
  c.string(1);
  c.string(1);
  std::uint64_t textLength = 0;
  bool hasText = true;
  std::string shortText;
  if (kind == kForumObject) {
    m.kind = Kind::Forum;
    c.skip(2);
    c.string(32);
    m.sectionNumber = c.byte();
    c.skip(4);
    m.recipientName = c.string(kString);
    m.recipientAddress = c.string(kString);
    c.skip(4);
    m.number = c.dword();
    m.parent = c.dword();
    c.skip(10);
    textLength = c.dword();
  } else if (kind == kMailObject) {
    m.kind = Kind::Mail;
    c.skip(2);
    c.string(32);
    const std::uint8_t entries = c.byte();
    for (int i = 0; i < entries && c.ok(); ++i) {
      c.byte();
      c.dword();
      c.string(32);
      shortText = c.string(60);
    }
    c.skip(12 + 3);
    const std::uint8_t recipients = c.byte();
    for (int i = 0; i < recipients && c.ok(); ++i) {
      Recipient r;
      r.name = c.string(40);
      r.address = c.string(60);
      r.type = kRecipientTo;
      m.recipients.push_back(std::move(r));
    }
    hasText = c.remaining() >= 4;
    if (hasText) textLength = c.dword();
  } else if (c.ok()) {
    sink.skip(object.start, "an object of kind " + std::to_string(kind));
    return true;
  }
  if (!c.ok()) {
    sink.skip(object.start, "the object ends before its fields");
    return true;
  }
  std::string text = shortText;
  if (hasText) {
    if (c.pos() + textLength > window_.size()) {
      sink.skip(object.start, "the text runs past the end of the file");
      return true;
    }
    // A length past the object's end would take in the next object: the
    // text ends with its own object.
    text = c.bytes(std::min(textLength, c.remaining()), kMessageTextMax);
  }
  m.text = StripChar(cserve::convertLineMarks(text), m.kind == Kind::Forum ? kStripForum : kStripMail);
  return sink.take(m, object.start);
}

bool CabinetReader::startFile(std::unique_ptr<internet::ByteSource> source, ImportRun& run) {
  if (!source) {
    run.skip(0, "the file cannot be read");
    return false;
  }
  return open(std::move(source));
}

bool CabinetReader::firstPassSlice(ImportRun&) { return firstPass(); }

bool CabinetReader::convertSlice(ImportRun& run) {
  CimRunSink sink(run);
  if (!passDone_) {  // a driver that skips the first pass gets it all at once
    while (!firstPass()) {
    }
  }
  return convert(sink);
}

}  // namespace qv::cim
