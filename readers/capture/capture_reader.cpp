#include "readers/capture/capture_reader.h"

#include "text/body/body.h"
#include "readers/capture/capture_text.h"
#include "text/cserve_text.h"
#include "text/convert.h"
#include "text/header_text.h"

namespace qv::capture {
namespace {

TextLines::Options lineOptions(const FormatRules& rules) {
  TextLines::Options o;
  const bool capture = rules.detect != Detect::NavCis && !rules.goldenCompass;
  o.keep = capture ? 1200 : body::kTextMax;
  // NavCIS labels end in blanks ("Subject:  "): its lines are kept whole.
  o.clipBlanks = rules.detect != Detect::NavCis;
  return o;
}

bool navCisStart(const TextLine& line, const TextLine* next) {
  return line.text.starts_with("Subject:  ") && next != nullptr && next->text.starts_with("   From:  ");
}

// The physical lines [first, end) as queue entries of at most 400 characters.
LineQueue piecesOf(std::span<const TextLine> lines, std::size_t first) {
  LineQueue q;
  for (std::size_t i = first; i < lines.size(); ++i) appendPieces(q, lines[i].text);
  return q;
}

}  // namespace

ContentKind detectContent(const FormatRules& rules, TextLines& lines, bool mailChosen) {
  // A short window of lines: the header block tests look up to three lines ahead.
  std::deque<std::string> window;
  const auto fill = [&](std::size_t n) {
    while (window.size() < n) {
      std::optional<TextLine> l = lines.next();
      if (!l) return;
      window.push_back(std::move(l->text));
    }
  };
  const auto at = [&](std::size_t i) -> std::string_view { return i < window.size() ? window[i] : std::string_view{}; };
  for (fill(4); !window.empty(); window.pop_front(), fill(4)) {
    const std::string_view line = window.front();
    switch (rules.detect) {
      case Detect::ByChoice:
        if (line.starts_with("#:")) return mailChosen ? ContentKind::Mail : ContentKind::Forum;
        break;
      case Detect::ByLines:
        if (line.starts_with("#:")) return at(2).starts_with("Sb:") ? ContentKind::Forum : ContentKind::None;
        if (line.starts_with("Date:  "))
          return at(1).starts_with("MgTo:") || at(1).starts_with("From:") ? ContentKind::Mail : ContentKind::None;
        break;
      case Detect::NavCis:
        if (line.starts_with("Subject:  ") && at(1).starts_with("   From:  ") && at(2).starts_with("     To:  ")) {
          if (at(3).starts_with("   Date:  ")) return ContentKind::Mail;
          if (at(3).starts_with("  Forum: ")) return ContentKind::Forum;
        }
        break;
    }
  }
  return ContentKind::None;
}

bool SliceReader::startFile(std::unique_ptr<internet::ByteSource> source, ImportRun& run) {
  RunCaptureSink sink(run);
  return open(std::move(source), run.settings.mail && !run.settings.forum, sink);
}

bool SliceReader::convertSlice(ImportRun& run) {
  RunCaptureSink sink(run);
  return step(sink);
}

bool SliceReader::open(std::unique_ptr<internet::ByteSource> source, bool mailChosen, CaptureSink& sink) {
  done_ = true;
  kind_ = ContentKind::None;
  held_.reset();
  afterMarkerLine_ = false;
  source_ = std::move(source);
  if (!source_) {
    sink.skip(0, "the file cannot be read");
    return false;
  }
  TextLines scan;
  if (!scan.open(*source_, lineOptions(rules_))) {
    sink.skip(0, "read error");
    return false;
  }
  kind_ = detectContent(rules_, scan, mailChosen);
  if (kind_ == ContentKind::None || !lines_.open(*source_, lineOptions(rules_))) return false;
  done_ = false;
  return true;
}

std::optional<TextLine> SliceReader::nextLine() {
  while (true) {
    std::optional<TextLine> line = lines_.next();
    if (!line) return line;
    if (rules_.oem850) line->text = cserve::oem850To1252(line->text);
    if (!rules_.goldenCompass) return line;
    // "@l" CR LF "@b" ends one line: the "@b" line is no line of its own.
    const bool markerLine = line->text == "@l";
    const bool skip = afterMarkerLine_ && line->text == "@b";
    afterMarkerLine_ = markerLine;
    if (skip) continue;
    line->text = withoutSoftMarkers(line->text);
    return line;
  }
}

bool SliceReader::startsMessage(const TextLine& line, const TextLine* next) const {
  if (rules_.detect == Detect::NavCis) return navCisStart(line, next);
  if (kind_ == ContentKind::Mail && rules_.mail == MailLayout::Oz) return line.text.starts_with("Date:  ");
  return line.text.starts_with("#:");
}

bool SliceReader::step(CaptureSink& sink) {
  if (done_) return true;
  slice_.clear();
  std::size_t chars = 0;
  const auto keep = [&](TextLine&& line) {
    if (chars > kSliceChars) return;  // read over: beyond what a message can store
    chars += line.text.size();
    slice_.push_back(std::move(line));
  };
  if (held_) keep(std::move(*held_));
  held_.reset();
  while (slice_.size() < kSliceLines && chars <= kSliceChars) {
    std::optional<TextLine> line = nextLine();
    if (!line) break;
    keep(std::move(*line));
  }
  // On to the next message start, which opens the next slice.
  while (std::optional<TextLine> line = nextLine()) {
    if (startsMessage(*line, lines_.peek())) {
      held_ = std::move(line);
      break;
    }
    keep(std::move(*line));
  }
  if (onSlice) onSlice(slice_.size());

  const std::span<const TextLine> all(slice_);
  std::size_t i = 0;
  const auto isStart = [&](std::size_t k) {
    const TextLine* next = k + 1 < all.size() ? &all[k + 1] : (held_ ? &*held_ : nullptr);
    return startsMessage(all[k], next);
  };
  while (i < all.size()) {
    if (!isStart(i)) {
      ++i;
      continue;
    }
    std::size_t end = i + 1;
    while (end < all.size() && !isStart(end)) ++end;
    if (!convert(all.subspan(i, end - i), sink)) {
      done_ = true;
      return true;
    }
    i = end;
  }
  slice_.clear();
  if (!held_) {
    if (lines_.failed()) sink.skip(lines_.position(), "read error: the rest of the file is not read");
    done_ = true;
  }
  return done_;
}

bool SliceReader::convert(std::span<const TextLine> message, CaptureSink& sink) {
  const std::uint64_t offset = message.front().offset;
  std::size_t body = 0;
  std::string why;
  if (kind_ == ContentKind::Forum) {
    ForumMessage m;
    const bool read = rules_.detect == Detect::NavCis ? readSaveForumHeader(message, m, body, why)
                                                      : readForumHeader(rules_, message, m, body, why);
    if (!read) {
      sink.skip(offset, why);
      return true;
    }
    m.text = bodyText(message, body, nullptr);
    return sink.takeForum(m, offset);
  }
  internet::Message m;
  const bool read = rules_.detect == Detect::NavCis ? readSaveMailHeader(message, m, body, why)
                                                    : readMailHeader(rules_, message, m, body, why);
  if (!read) {
    sink.skip(offset, why);
    return true;
  }
  m.text = bodyText(message, body, &m);
  return sink.take(m, offset);
}

std::string SliceReader::bodyText(std::span<const TextLine> lines, std::size_t first, internet::Message* mail) {
  if (first >= lines.size()) {
    if (onBody) onBody({});
    return {};
  }
  LineQueue q = piecesOf(lines, first);
  std::size_t start = 0;
  while (start < q.size() && q[start].text.empty()) ++start;
  body::BodyKind kind = body::BodyKind::Plain;
  if (mail != nullptr && start < q.size() && internet::classifyHeaderLine(q[start].text) != internet::kNotHeader) {
    // Mail that came in from the Internet keeps its header lines: they fill
    // what the capture's own header left open, and the text starts after them.
    LineQueue header(q.begin() + static_cast<std::ptrdiff_t>(start), q.end());
    const internet::Header h = internet::readMailHeader(header);
    if (mail->subject.empty() && h.subject) mail->subject = internet::cleanSubject(*h.subject);
    if (mail->senderName.empty() && !mail->senderIsOwner && h.from)
      mail->senderName = internet::splitAddressVariant(*h.from, false).name;
    kind = h.kind;
    start += h.firstBody;
    if (h.multipart && h.boundary) kind = body::selectParts(q, start, q.size(), *h.boundary);
  }
  if (onBody) onBody(q);
  return start < q.size() ? body::assembleBody(kind, q, start, q.size()) : std::string{};
}

}  // namespace qv::capture
