#include "readers/capture/separator_reader.h"

#include "text/body/body.h"
#include "readers/capture/capture_text.h"
#include "text/convert.h"
#include "text/date_text.h"
#include "text/from_line.h"
#include "text/header_text.h"
#include "readers/machinery/store_reader.h"
#include "store/domain.h"
#include "store/names.h"

namespace qv::capture {
namespace {

constexpr std::string_view kTens = "==========";

// A forum party: an Internet address as the header split reads it, a
// CompuServe one ("Jane Doe 76543,210") by the CompuServe rules.
void splitForumParty(const std::optional<std::string>& text, bool recipient, std::string& name, std::string& address) {
  const std::string t = text.value_or("");
  if (t.find('@') != std::string::npos || upper1252(t).find("INTERNET") != std::string::npos) {
    // Cut as the CompuServe split cuts: a forum party is 60 characters at most.
    const internet::Party p = internet::splitAddressVariant(t, recipient);
    name = p.name.substr(0, 60);
    address = p.address.substr(0, 60);
    return;
  }
  FindCISAdress(kCisForum, trimmed(t), address, 60, name, 60);
}

}  // namespace

SeparatorKind newsSeparators(std::string_view firstBytes) {
  firstBytes = firstBytes.substr(0, 300);
  const std::size_t run = firstBytes.find("=====");
  if (run != std::string_view::npos && firstBytes.substr(run).starts_with("========")) return SeparatorKind::Eights;
  for (std::size_t at = 0; at < firstBytes.size();) {
    const std::size_t lf = firstBytes.find('\n', at);
    if (internet::fromSeparatorLine(firstBytes.substr(at, lf == std::string_view::npos ? lf : lf - at)))
      return SeparatorKind::FromLines;
    if (lf == std::string_view::npos) break;
    at = lf + 1;
  }
  return SeparatorKind::None;
}

bool readVaTitle(std::string_view first, std::string_view comment, VaTitle& out) {
  out = VaTitle{};
  const std::size_t slash = first.find('/');
  const std::size_t hash = slash == std::string_view::npos ? slash : first.find('#', slash);
  if (hash == std::string_view::npos) return false;
  out.forum = upper1252(trimmed(first.substr(0, slash)));
  const std::string_view section = trimmed(first.substr(slash + 1, hash - slash - 1));
  const std::size_t underscore = section.find('_');
  out.sectionNumber = static_cast<std::uint32_t>(unsignedIn(section.substr(0, underscore).substr(0, 9)));
  if (underscore != std::string_view::npos) out.sectionName = std::string(trimmed(section.substr(underscore + 1)));
  const std::string_view numberText = from(first, hash + 1);
  const std::uint64_t number = unsignedIn(trimmed(numberText.substr(0, numberText.find(','))).substr(0, 12));
  if (out.forum.empty() || number == 0 || number >= kForumNumberLimit) return false;
  out.number = static_cast<std::uint32_t>(number);
  const std::size_t chars = first.find("chars, ", hash);
  if (chars != std::string_view::npos) {
    const internet::DateTime when = internet::parseDateText(from(first, chars + 7));
    out.date = when.date;
    out.time = when.time;
  }
  if (comment.starts_with("Comment to ")) {
    std::string_view digits = from(comment, 11);
    std::size_t end = 0;
    while (end < digits.size() && end < 9 && isDigit(digits[end])) ++end;
    const std::uint64_t ref = unsignedIn(digits.substr(0, end));
    if (ref > 0 && ref <= number && number - ref <= 30000) out.reference = static_cast<std::uint32_t>(ref);
  }
  return true;
}

bool SeparatorReader::startFile(std::unique_ptr<internet::ByteSource> source, ImportRun& run) {
  RunCaptureSink sink(run);
  return open(std::move(source), sink);
}

bool SeparatorReader::convertSlice(ImportRun& run) {
  RunCaptureSink sink(run);
  return step(sink, run.budget);
}

bool SeparatorReader::isSeparator(std::string_view line) const {
  switch (separators_) {
    case SeparatorKind::Tens: return line.starts_with(kTens);
    case SeparatorKind::Eights: return line.starts_with("========");
    case SeparatorKind::FromLines: return internet::fromSeparatorLine(line);
    case SeparatorKind::None: break;
  }
  return false;
}

bool SeparatorReader::open(std::unique_ptr<internet::ByteSource> source, CaptureSink& sink) {
  done_ = true;
  source_ = std::move(source);
  if (!source_) {
    sink.skip(0, "the file cannot be read");
    return false;
  }
  if (virtualAccess_) {
    separators_ = SeparatorKind::Tens;
  } else {
    std::string first(300, '\0');
    const std::optional<std::size_t> got = source_->read(0, first.data(), first.size());
    if (!got) {
      sink.skip(0, "read error");
      return false;
    }
    first.resize(*got);
    separators_ = newsSeparators(first);
    if (separators_ == SeparatorKind::None) {
      sink.skip(0, "no message separator in the first 300 bytes");
      return false;
    }
  }
  TextLines::Options o;
  o.keep = body::kTextMax;
  o.clipBlanks = false;
  o.quotedPrintable = true;
  o.literal = [this](std::string_view line) { return isSeparator(line); };
  if (!lines_.open(*source_, o)) {
    sink.skip(0, "read error");
    return false;
  }
  done_ = false;
  return true;
}

bool SeparatorReader::step(CaptureSink& sink, int budget) {
  for (int handled = 0; !done_ && handled < std::max(budget, 1); ++handled) {
    // To the next separator: what comes before the first one is no message.
    const TextLine* line = lines_.peek();
    while (line != nullptr && !isSeparator(line->text)) {
      lines_.next();
      line = lines_.peek();
    }
    if (line == nullptr) {
      if (lines_.failed()) sink.skip(lines_.position(), "read error: the rest of the file is not read");
      done_ = true;
      break;
    }
    const std::uint64_t offset = line->offset;
    lines_.next();
    LineQueue q;
    std::size_t collected = 0;
    for (line = lines_.peek(); line != nullptr && !isSeparator(line->text); line = lines_.peek()) {
      if (collected <= internet::kCollectMax) {
        collected += line->text.size();
        appendPieces(q, line->text);
      }
      lines_.next();
    }
    if (onCollected) onCollected(q);
    if (!convert(q, offset, sink)) done_ = true;
  }
  return done_;
}

bool SeparatorReader::convert(LineQueue& q, std::uint64_t offset, CaptureSink& sink) {
  std::size_t header = 0;
  std::optional<VaTitle> title;
  if (virtualAccess_) {
    if (header < q.size() && q[header].text.starts_with(kTens)) ++header;
    for (std::size_t dashes = header + 1; dashes <= header + 2 && dashes < q.size(); ++dashes) {
      if (q[dashes].text != "----------") continue;
      VaTitle t;
      const std::string_view comment = dashes == header + 2 ? std::string_view(q[header + 1].text) : std::string_view{};
      if (readVaTitle(q[header].text, comment, t)) title = t;
      header = dashes + 1;
      break;
    }
  }
  LineQueue rest(q.begin() + static_cast<std::ptrdiff_t>(std::min(header, q.size())), q.end());
  if (!title) {
    internet::ConvertOptions options;
    options.recogniser = internet::Recogniser::News;
    options.addressVariant = virtualAccess_;
    internet::Converted c = internet::convertMessage(rest, options, nullptr);
    if (!c.message) {
      sink.skip(offset, c.rejected);
      return true;
    }
    return sink.take(*c.message, offset);
  }
  // A forum message: the title gives its place, the header its parties.
  const internet::Header h = internet::readNewsHeader(rest, nullptr);
  ForumMessage m;
  m.forum = title->forum;
  m.number = title->number;
  m.parent = title->reference;
  m.sectionNumber = title->sectionNumber;
  m.sectionName = title->sectionName;
  m.subject = internet::cleanSubject(h.subject.value_or(""));
  splitForumParty(h.from, false, m.senderName, m.senderAddress);
  splitForumParty(h.to, true, m.recipientName, m.recipientAddress);
  if (m.recipientName.empty() && m.recipientAddress.empty()) m.recipientName = "All";
  m.date = title->date;
  m.time = title->time;
  if (m.date == 0 && h.date) {
    const internet::DateTime when = internet::parseDateText(*h.date);
    m.date = when.date;
    m.time = when.time;
  }
  body::BodyKind kind = h.kind;
  if (h.multipart && h.boundary) kind = body::selectParts(rest, h.firstBody, rest.size(), *h.boundary);
  if (h.firstBody < rest.size()) m.text = body::assembleBody(kind, rest, h.firstBody, rest.size());
  return sink.takeForum(m, offset);
}

}  // namespace qv::capture
