#include "readers/machinery/store_reader.h"

#include <algorithm>

#include "text/body/body.h"

namespace qv::internet {

LineStyle detectLineStyle(std::string_view firstBytes) {
  const std::size_t lf = firstBytes.find('\n');
  if (lf == std::string_view::npos || (lf > 0 && firstBytes[lf - 1] == '\r')) return LineStyle::CrLf;
  return LineStyle::Lf;
}

bool Scan::atLineStart() const {
  if (window.pos() == 0) return true;
  if (window.prev(1) != '\n') return false;
  return style == LineStyle::Lf || window.prev(2) == '\r';
}

std::size_t Scan::lineEndAt(std::size_t ahead) const {
  const int c = window.peek(ahead);
  if (c == '\r') return window.peek(ahead + 1) == '\n' ? 2 : 0;
  return c == '\n' && style == LineStyle::Lf ? 1 : 0;
}

std::string_view Scan::lineAhead(std::size_t n) const {
  std::string_view v = window.view(n);
  return v.substr(0, v.find_first_of("\r\n"));
}

void Scan::toNextLine() {
  while (!window.atEnd()) {
    const std::string_view v = window.view(kBlockSize);
    const std::size_t lf = v.find('\n');
    if (lf == std::string_view::npos) {
      window.advance(v.size());
      continue;
    }
    const int before = lf > 0 ? static_cast<unsigned char>(v[lf - 1]) : window.prev(1);
    window.advance(lf + 1);
    if (style == LineStyle::Lf || before == '\r') return;
  }
}

void Scan::skipToAny(std::string_view stops) {
  while (!window.atEnd()) {
    const std::string_view v = window.view(kBlockSize);
    const std::size_t at = v.find_first_of(stops);
    if (at != std::string_view::npos) {
      window.advance(at);
      return;
    }
    window.advance(v.size());
  }
}

bool Cutter::prepare(Scan&, const std::filesystem::path&, const FileOpener&, MessageSink&) { return true; }

Found SeparatorLineCutter::seek(Scan& scan, Frame& frame, MessageSink&) {
  while (!scan.window.atEnd()) {
    if (scan.atLineStart()) {
      if (separatorAt(scan)) {
        frame.start = scan.window.pos();
        return Found::Message;
      }
      if (scan.overBudget()) return Found::Later;
    }
    scan.toNextLine();
  }
  return Found::End;
}

bool SeparatorLineCutter::endsAt(const Scan& scan, const Frame&, bool lineStart, bool) const {
  return lineStart && separatorAt(scan);
}

StoreReader::StoreReader(std::unique_ptr<Cutter> cutter) : cutter_(std::move(cutter)) {
  runStops_ = cutter_->traits().midLineStops;
  runStops_['\r'] = runStops_['\n'] = runStops_['='] = true;
  runScan_ = RunScan(runStops_);
}

bool StoreReader::open(std::unique_ptr<ByteSource> source, const std::filesystem::path& name, MessageSink& sink,
                       const FileOpener& opener) {
  state_ = State::Done;
  if (!openSource(std::move(source), sink)) return false;
  scan_.style = cutter_->traits().lfTolerant ? detectLineStyle(window_.view(kBlockSize)) : LineStyle::CrLf;
  scan_.budgetEnd = std::numeric_limits<std::uint64_t>::max();
  if (!cutter_->prepare(scan_, name, opener, sink)) return false;
  state_ = State::Seeking;
  return true;
}

bool StoreReader::step(MessageSink& sink, int budget) {
  scan_.budgetEnd = window_.pos() + kBytesPerCall;
  for (int handled = 0; handled < std::max(budget, 1); ++handled) {
    if (state_ == State::Done) return true;
    if (state_ == State::Seeking) {
      frame_ = Frame{};
      seekFrom_ = window_.pos();
      switch (cutter_->seek(scan_, frame_, sink)) {
        case Found::End: finish(sink); return true;
        case Found::Later: return false;
        case Found::Message: break;
      }
      state_ = State::Collecting;
      recycleQueue();
      line_.clear();
      collected_ = 0;
      lineBegun_ = false;
      lineStart_ = true;
      inBody_ = false;
      prevRaw_ = -1;
    }
    while (true) {
      // A long message may be left between two lines and taken up again.
      if (lineStart_ && scan_.overBudget()) return false;
      if (collectLine() == Collect::MessageEnd) break;
    }
    state_ = State::Seeking;
    if (!finishMessage(sink)) {
      state_ = State::Done;
      return true;
    }
  }
  return state_ == State::Done;
}

void StoreReader::finish(MessageSink& sink) {
  reportReadError(sink);
  state_ = State::Done;
}

int StoreReader::peekInMessage(std::size_t ahead) const {
  return window_.pos() + ahead < frame_.end ? window_.peek(ahead) : -1;
}

std::size_t StoreReader::lineEndInMessage(std::size_t ahead) const {
  const std::size_t n = scan_.lineEndAt(ahead);
  return n > 0 && window_.pos() + ahead + n <= frame_.end ? n : 0;
}

StoreReader::Collect StoreReader::collectLine() {
  const CutterTraits& traits = cutter_->traits();
  while (true) {
    const int c = peekInMessage(0);
    if (c < 0) {
      if (lineBegun_) closeLine();
      return Collect::MessageEnd;
    }
    if (window_.pos() > frame_.start) {
      if (lineStart_) {
        if (cutter_->endsAt(scan_, frame_, true, inBody_)) return Collect::MessageEnd;
      } else if (traits.midLineStops[static_cast<std::size_t>(c)] && cutter_->endsAt(scan_, frame_, false, inBody_)) {
        if (lineBegun_) closeLine();
        return Collect::MessageEnd;
      }
    }
    lineStart_ = false;
    // A byte that needs none of the tests below begins a plain run.
    if (!runStops_[static_cast<std::size_t>(c)]) {
      appendPlainRun();
      continue;
    }
    if (const std::size_t n = lineEndInMessage(0)) {
      window_.advance(n);
      prevRaw_ = '\n';
      closeLine();
      return Collect::Line;
    }
    if (c == '=' && equalsSign()) continue;
    append(static_cast<char>(c));
    prevRaw_ = c;
    window_.advance();
    appendPlainRun();
  }
}

// Within a line, the bytes up to the next CR, LF, "=" or mid-line stop need
// none of the tests above: they are taken as one run.
void StoreReader::appendPlainRun() {
  std::string_view v = window_.view(kBlockSize);
  if (frame_.end - window_.pos() < v.size()) v = v.substr(0, static_cast<std::size_t>(frame_.end - window_.pos()));
  const std::size_t n = runScan_.plainLength(v);
  if (n == 0) return;
  lineBegun_ = true;
  for (std::string_view run = v.substr(0, n); !run.empty();) {
    if (line_.size() == kQueueLineMax) push(true);
    const std::size_t take = std::min(run.size(), kQueueLineMax - line_.size());
    line_.append(run.data(), take);
    run.remove_prefix(take);
  }
  prevRaw_ = static_cast<unsigned char>(v[n - 1]);
  window_.advance(n);
}

bool StoreReader::equalsSign() {
  const CutterTraits& traits = cutter_->traits();
  if (traits.softBreaks && prevRaw_ != '?') {
    if (const std::size_t n = lineEndInMessage(1)) {
      window_.advance(1 + n);
      prevRaw_ = '\n';
      return true;
    }
    if (traits.encodedBlankBreaks && peekInMessage(1) == '2' && peekInMessage(2) == '0') {
      if (const std::size_t n = lineEndInMessage(3)) {
        append(' ');
        window_.advance(3 + n);
        prevRaw_ = '\n';
        return true;
      }
    }
  }
  const int first = peekInMessage(1);
  const int second = peekInMessage(2);
  if (first < 0 || second < 0) return false;
  const std::optional<char> decoded = body::decodePair(static_cast<char>(first), static_cast<char>(second));
  if (!decoded) return false;
  append(*decoded);
  prevRaw_ = second;
  window_.advance(3);
  return true;
}

void StoreReader::append(char c) {
  if (line_.size() == kQueueLineMax) push(true);
  line_ += c;
  lineBegun_ = true;
}

void StoreReader::closeLine() {
  if (line_.empty() && !lineBegun_) inBody_ = true;
  push(false);
  lineBegun_ = false;
  lineStart_ = true;
}

void StoreReader::push(bool split) {
  // Beyond kCollectMax the lines of a message are read over without being kept.
  if (collected_ + line_.size() <= kCollectMax) {
    collected_ += line_.size();
    // The entry takes the filled text; the line goes on in a text of an
    // earlier message's line, so that a line costs neither a copy nor, once
    // the queue has been filled once, an allocation.
    std::string next;
    if (!spare_.empty()) {
      next = std::move(spare_.back());
      spare_.pop_back();
    }
    next.clear();
    next.reserve(kQueueLineMax);
    queue_.push_back({std::move(line_), split});
    line_ = std::move(next);
    return;
  }
  line_.clear();
}

void StoreReader::recycleQueue() {
  // Enough for the lines of a long message; the texts of a huge one are let go.
  constexpr std::size_t kSpareMax = 8192;
  for (QueueLine& l : queue_) {
    if (spare_.size() == kSpareMax) break;
    spare_.push_back(std::move(l.text));
  }
  queue_.clear();
}

bool StoreReader::finishMessage(MessageSink& sink) {
  // Whatever happens, the next search starts past where this one did.
  if (window_.pos() == seekFrom_ && !window_.atEnd()) window_.advance();
  if (onCollected) onCollected(queue_);
  Converted converted = convertMessage(queue_, cutter_->traits().convert, frame_.prefill ? &*frame_.prefill : nullptr);
  recycleQueue();
  if (!converted.message) {
    sink.skip(frame_.start, converted.rejected);
    return true;
  }
  return sink.take(*converted.message, frame_.start);
}

}  // namespace qv::internet
