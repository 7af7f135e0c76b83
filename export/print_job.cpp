#include "export/print_job.h"

#include "browse/browse_lines.h"
#include "export/batch_operation.h"
#include "store/dates.h"
#include "store/table_use.h"
#include "wordindex/message_texts.h"

namespace qv::exporting {

namespace {

// Messages laid out per step: a slice of reads, like the batch operations'.
constexpr std::size_t kMessagesPerStep = 200;
// A message starts on a fresh page unless its heading and a few lines of
// text still fit on this one.
constexpr std::size_t kKeepTogether = 8;

bool isMailDatabase(const Context& ctx) { return databaseType(ctx.mem.ForumType) == DatabaseType::Mail; }

// The lines of a stored text: its line ends are CR LF, LF alone or CR alone.
std::vector<std::string_view> textLines(std::string_view text) {
  std::vector<std::string_view> out;
  std::size_t at = 0;
  while (at <= text.size()) {
    const std::size_t end = text.find_first_of("\r\n", at);
    if (end == std::string_view::npos) {
      if (at < text.size()) out.push_back(text.substr(at));
      break;
    }
    out.push_back(text.substr(at, end - at));
    at = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return out;
}

}  // namespace

std::vector<std::string> breakLine(std::string_view line, std::size_t width) {
  std::vector<std::string> out;
  if (width == 0) width = 1;
  while (line.size() > width) {
    // A blank at the very start would make an empty line: cut the word instead.
    const std::size_t blank = line.rfind(' ', width);
    const bool atBlank = blank != std::string_view::npos && blank != 0;
    out.emplace_back(line.substr(0, atBlank ? blank : width));
    line.remove_prefix(atBlank ? blank + 1 : width);
  }
  out.emplace_back(line);
  return out;
}

PrintJob::PrintJob(Context& ctx, PrintRequest request, PageSink& sink)
    : ctx_(ctx), request_(std::move(request)), sink_(sink) {
  if (request_.range) {
    const DateRangeError e = checkDateRange(*request_.range);
    if (e != DateRangeError::None) {
      refuse(kDateRangeTitle, dateRangeText(e));
      return;
    }
  }
  if (isMailDatabase(ctx_) && request_.code == SelectionCode::Section) {
    refuse(kSelectionErrorTitle, "Mail databases have no sections.");
    return;
  }
  selection_ = std::make_unique<SelectionCollector>(ctx_, request_.code, request_.start, request_.range);
}

PrintJob::~PrintJob() = default;

std::uint64_t PrintJob::selected() const { return selection_ ? selection_->ids().size() : 0; }

void PrintJob::refuse(std::string_view title, std::string_view text) {
  ctx_.ui.message(title, text, MessageKind::Error);
  result_ = PrintResult::Refused;
}

void PrintJob::end(PrintResult r) {
  result_ = r;
  texts_.reset();
  lines_.reset();
  if (r == PrintResult::Done) ctx_.ui.message("Print", kPrintedText, MessageKind::Information);
  if (r == PrintResult::Stopped) ctx_.ui.message("Print", kProcessAborted, MessageKind::Information);
}

bool PrintJob::step() {
  if (result_ != PrintResult::Running) return true;
  if (cancelRequested()) {
    // What was laid out so far still makes its page: the printout ends
    // with the last whole message.
    if (!page_.lines.empty() && !flushPage()) return true;
    end(PrintResult::Stopped);
    return true;
  }
  if (!collected_) {
    report(ctx_.ui, 0, 1, std::string(kPrintingText));
    collected_ = selection_->step();
    if (collected_ && selection_->result() != SelectionResult::Ok) {
      refuse(kSelectionErrorTitle, selection_->result() == SelectionResult::NoMessage
                                       ? "The current message does not exist."
                                       : "This selection is not offered here.");
    }
    return result_ != PrintResult::Running;
  }
  printSlice();
  return result_ != PrintResult::Running;
}

void PrintJob::printSlice() {
  const std::vector<std::uint32_t>& ids = selection_->ids();
  if (!texts_) {
    texts_ = std::make_unique<wordindex::MessageTexts>(ctx_);
    lines_ = std::make_unique<browse::LineComposer>(ctx_);
  }
  const bool mail = isMailDatabase(ctx_);
  TableUse use(ctx_, {mail ? Mail::FileNo : MsgNmbr::FileNo});
  const std::size_t stop = std::min(ids.size(), at_ + kMessagesPerStep);
  for (; at_ < stop; ++at_)
    if (!addMessage(ids[at_])) return;
  report(ctx_.ui, static_cast<std::int64_t>(at_), static_cast<std::int64_t>(ids.size()), std::string(kPrintingText));
  if (at_ < ids.size()) return;
  if (!page_.lines.empty() && !flushPage()) return;
  end(PrintResult::Done);
}

// Lays out one message; a message gone since the selection was taken is
// passed over. False when the printout has ended.
bool PrintJob::addMessage(std::uint32_t id) {
  const bool mail = isMailDatabase(ctx_);
  std::vector<std::string> head;
  std::string heading;
  if (mail) {
    ctx_.mai = Mail{};
    ctx_.mai.MAILID = id;
    if (ctx_.fileOf<Mail>().get(Mail::IdKey) != engine::Err::Ok) return true;
    const browse::MailLine l = lines_->mail(ctx_.mai);
    const std::string when = dates::formatDate(l.date, dates::kDateYyyyMmDd) + " " +
                             dates::formatTime(l.time, dates::kTimeHhMm);
    heading = when + "  " + l.from;
    head = {"Mail " + std::to_string(id) + "   " + when, "From: " + l.from, "To: " + l.to, "Subject: " + l.subject};
  } else {
    ctx_.msg = MsgNmbr{};
    ctx_.msg.MSGNUMBER = id;
    if (ctx_.fileOf<MsgNmbr>().get(MsgNmbr::IdKey) != engine::Err::Ok) return true;
    const browse::MessageLine l = lines_->message(ctx_.msg);
    const std::string when = dates::formatDate(l.date, dates::kDateYyyyMmDd);
    heading = "#" + std::to_string(id) + "  " + when + "  " + l.thread;
    head = {"Message #" + std::to_string(id) + "   " + when, "From: " + l.sender, "To: " + l.receiver,
            "Section: " + l.section, "Subject: " + l.thread};
  }
  wordindex::MessageText text;
  switch (texts_->read(id, text)) {
    case wordindex::TextRead::Failed: end(PrintResult::Failed); return false;
    case wordindex::TextRead::End: return true;
    case wordindex::TextRead::Found: break;
  }
  const std::size_t left = request_.layout.linesPerPage - page_.lines.size();
  if (!page_.lines.empty() && left < head.size() + kKeepTogether && !flushPage()) return false;
  if (!page_.lines.empty() && !addLine(std::string(request_.layout.width, '-'), heading)) return false;
  for (std::string& line : head)
    for (std::string& part : breakLine(line, request_.layout.width))
      if (!addLine(std::move(part), heading)) return false;
  if (!addLine({}, heading)) return false;
  for (const std::string_view line : textLines(text.text))
    for (std::string& part : breakLine(line, request_.layout.width))
      if (!addLine(std::move(part), heading)) return false;
  ++printed_;
  return true;
}

bool PrintJob::addLine(std::string line, const std::string& heading) {
  if (page_.lines.size() >= request_.layout.linesPerPage && !flushPage()) return false;
  if (page_.lines.empty()) page_.header = ctx_.mem.Description.str() + "   " + heading;
  page_.lines.push_back(std::move(line));
  return true;
}

bool PrintJob::flushPage() {
  page_.number = ++pageNumber_;
  if (!sink_.page(page_)) {
    end(PrintResult::Failed);
    return false;
  }
  page_ = PrintedPage{};
  return true;
}

}  // namespace qv::exporting
