#include "export/mailbox_export.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "export/batch_operation.h"
#include "export/rfc_message.h"
#include "store/dates.h"
#include "store/report.h"
#include "store/table_use.h"

namespace qv::exporting {

namespace {

std::string reason(int error) { return std::strerror(error); }

std::string cannotCreate(const std::filesystem::path& p, int error) {
  return "The file " + p.string() + " cannot be created: " + reason(error);
}

// "Wed Mar  1 10:00:00 1995", the date of an mbox "From " line.
std::string asctimeOf(std::int32_t day, std::int32_t time) {
  const dates::Ymd d = dates::fromDayNumber(day);
  if (d.year == 0) return "Thu Jan  1 00:00:00 1970";
  const std::int32_t s = dates::secondsOfDay(time);
  char buf[40];
  std::snprintf(buf, sizeof buf, "%s %s %2d %02d:%02d:%02d %d", dates::pictureWww(day).c_str(),
                dates::pictureMmm(day).c_str(), d.day, s / 3600, s / 60 % 60, s % 60, d.year);
  return buf;
}

bool writeAll(std::FILE* f, std::string_view data) {
  return std::fwrite(data.data(), 1, data.size(), f) == data.size() && std::fflush(f) == 0;
}

}  // namespace

std::string mboxrdQuoted(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 16);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    end = end == std::string_view::npos ? text.size() : end + 1;
    const std::string_view line = text.substr(start, end - start);
    const std::size_t marks = line.find_first_not_of('>');
    if (marks != std::string_view::npos && line.substr(marks).starts_with("From ")) out += '>';
    out += line;
    start = end;
  }
  return out;
}

// Where the messages go. open() makes the output; put() writes one message
// whole or not at all; close() ends the output. Each answers false after
// `error` was set to what to tell the user.
class MailboxExportJob::Sink {
 public:
  virtual ~Sink() = default;
  virtual bool open() = 0;
  virtual bool put(const RfcMessage& m, std::uint32_t id) = 0;
  virtual bool close() { return true; }
  std::string error;
};

namespace {

class MboxSink final : public MailboxExportJob::Sink {
 public:
  explicit MboxSink(std::filesystem::path p) : path_(std::move(p)) {}
  ~MboxSink() override {
    if (f_ != nullptr) std::fclose(f_);
  }
  bool open() override {
    std::error_code ec;
    if (std::filesystem::is_directory(path_, ec)) {
      error = "The mbox file " + path_.string() + " is a directory.";
      return false;
    }
    f_ = std::fopen(path_.c_str(), "ab+");
    if (f_ == nullptr) {
      error = cannotCreate(path_, errno);
      return false;
    }
    // Mail programs lock an mbox with fcntl while they write it; so does the
    // export, for its whole run, so neither writes into the other's message.
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (::fcntl(fileno(f_), F_SETLK, &lock) != 0) {
      error = "The mbox file " + path_.string() + " is being written by another program. Try again when it is done.";
      std::fclose(f_);
      f_ = nullptr;
      return false;
    }
    // An existing mailbox that does not end its last line gets the line end,
    // and one that ends a message without the empty line gets that line,
    // so the first "From " line starts a message.
    std::fseek(f_, 0, SEEK_END);
    const long size = std::ftell(f_);
    std::string tail;
    if (size > 0) {
      std::fseek(f_, size >= 2 ? size - 2 : 0, SEEK_SET);
      char buf[2] = {};
      const std::size_t n = std::fread(buf, 1, 2, f_);
      tail.assign(buf, n);
      std::fseek(f_, 0, SEEK_END);
    }
    std::string lead;
    if (!tail.empty() && !tail.ends_with('\n'))
      lead = "\n\n";
    else if (tail.size() == 2 && tail != "\n\n")
      lead = "\n";
    if (!lead.empty() && !writeAll(f_, lead)) return failed(static_cast<std::uintmax_t>(size));
    return true;
  }
  bool put(const RfcMessage& m, std::uint32_t) override {
    const long at = std::ftell(f_);
    std::string data = "From " + m.envelopeSender + " " + asctimeOf(m.date, m.time) + "\n";
    data += mboxrdQuoted(m.text);
    data += "\n";
    if (writeAll(f_, data)) return true;
    return failed(static_cast<std::uintmax_t>(at));
  }
  bool close() override {
    if (f_ == nullptr) return true;  // stopped before the file was opened
    const bool ok = std::fclose(f_) == 0;
    f_ = nullptr;
    if (!ok) error = "The file " + path_.string() + " could not be completed: " + reason(errno);
    return ok;
  }

 private:
  // A failed write: the file is cut back to where the message began.
  bool failed(std::uintmax_t at) {
    error = "Writing " + path_.string() + " failed: " + reason(errno);
    std::fclose(f_);
    f_ = nullptr;
    std::error_code ec;
    std::filesystem::resize_file(path_, at, ec);
    return false;
  }
  std::filesystem::path path_;
  std::FILE* f_ = nullptr;
};

// Writes `data` to `tmp` and renames it to `final`; on any failure nothing
// is left under either name.
bool writeThenRename(const std::filesystem::path& tmp, const std::filesystem::path& final, std::string_view data,
                     std::string& error) {
  std::FILE* f = std::fopen(tmp.c_str(), "wb");
  if (f == nullptr) {
    error = cannotCreate(tmp, errno);
    return false;
  }
  const bool wrote = writeAll(f, data) && ::fsync(fileno(f)) == 0;
  const int writeErrno = errno;
  const bool closed = std::fclose(f) == 0;
  std::error_code ec;
  if (!wrote || !closed) {
    error = "Writing " + tmp.string() + " failed: " + reason(wrote ? errno : writeErrno);
    std::filesystem::remove(tmp, ec);
    return false;
  }
  std::filesystem::rename(tmp, final, ec);
  if (ec) {
    error = "The file " + final.string() + " cannot be created: " + ec.message();
    std::filesystem::remove(tmp, ec);
    return false;
  }
  return true;
}

class MaildirSink final : public MailboxExportJob::Sink {
 public:
  MaildirSink(std::filesystem::path p, std::uint32_t database) : path_(std::move(p)), database_(database) {
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0 || host[0] == '\0') std::strcpy(host, "localhost");
    for (char* c = host; *c != '\0'; ++c)
      if (*c == '/' || *c == ':') *c = '_';
    host_ = host;
    epoch_ =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
  }
  bool open() override {
    for (const char* sub : {"tmp", "new", "cur"}) {
      std::error_code ec;
      std::filesystem::create_directories(path_ / sub, ec);
      if (ec || !std::filesystem::is_directory(path_ / sub)) {
        error = "The Maildir " + path_.string() + " cannot be made: " + (ec ? ec.message() : "not a directory");
        return false;
      }
    }
    return true;
  }
  bool put(const RfcMessage& m, std::uint32_t id) override {
    // time.M<sequence>P<process>Q<database>_<message>.host: unique within a
    // run by the sequence, across runs by the time and process.
    const std::string name = std::to_string(epoch_) + ".M" + std::to_string(sequence_++) + "P" +
                             std::to_string(::getpid()) + "Q" + std::to_string(database_) + "_" + std::to_string(id) +
                             "." + host_;
    return writeThenRename(path_ / "tmp" / name, path_ / "new" / name, m.text, error);
  }

 private:
  std::filesystem::path path_;
  std::uint32_t database_;
  std::string host_;
  std::int64_t epoch_ = 0;
  std::uint64_t sequence_ = 0;
};

class EmlSink final : public MailboxExportJob::Sink {
 public:
  explicit EmlSink(std::filesystem::path p) : path_(std::move(p)) {}
  bool open() override {
    std::error_code ec;
    if (std::filesystem::is_directory(path_, ec)) {
      error = "The file " + path_.string() + " is a directory.";
      return false;
    }
    return true;
  }
  bool put(const RfcMessage& m, std::uint32_t) override {
    std::string data;
    data.reserve(m.text.size() + m.text.size() / 20);
    for (char c : m.text) {
      if (c == '\n') data += '\r';
      data += c;
    }
    std::filesystem::path tmp = path_;
    tmp += ".part";
    return writeThenRename(tmp, path_, data, error);
  }

 private:
  std::filesystem::path path_;
};

}  // namespace

MailboxExportJob::MailboxExportJob(Context& ctx, MailboxRequest request) : ctx_(ctx), request_(std::move(request)) {
  if (request_.path.empty()) {
    refuse(kExportErrorTitle, "No file or directory to export to was given.");
    return;
  }
  request_.path = std::filesystem::absolute(request_.path).lexically_normal();
  if (request_.range) {
    const DateRangeError e = checkDateRange(*request_.range);
    if (e != DateRangeError::None) {
      refuse(kDateRangeTitle, dateRangeText(e));
      return;
    }
  }
  if (request_.format == MailboxFormat::Eml && request_.code != SelectionCode::Current &&
      request_.code != SelectionCode::Plain) {
    refuse(kExportErrorTitle, "An EML file holds the current message alone.");
    return;
  }
  switch (request_.format) {
    case MailboxFormat::Mbox: sink_ = std::make_unique<MboxSink>(request_.path); break;
    case MailboxFormat::Maildir: sink_ = std::make_unique<MaildirSink>(request_.path, ctx_.mem.ForumNumber); break;
    case MailboxFormat::Eml: sink_ = std::make_unique<EmlSink>(request_.path); break;
  }
  selection_ = std::make_unique<SelectionCollector>(ctx_, request_.code, request_.start, request_.range);
}

MailboxExportJob::~MailboxExportJob() = default;

std::uint64_t MailboxExportJob::selected() const { return selection_ ? selection_->ids().size() : 0; }

void MailboxExportJob::refuse(std::string_view title, std::string_view text) {
  show(ctx_, title, text, MessageKind::Error);
  result_ = MailboxResult::Refused;
}

void MailboxExportJob::fail(const std::string& text) {
  show(ctx_, kExportErrorTitle, text, MessageKind::Error);
  result_ = MailboxResult::Failed;
}

void MailboxExportJob::end(MailboxResult r) {
  if (sink_ && !sink_->close() && r == MailboxResult::Done) return fail(sink_->error);
  result_ = r;
  if (r == MailboxResult::Done) report(ctx_.ui, 1, 1, std::string(kExportFinished) + request_.path.string());
  if (r == MailboxResult::Cancelled) inform(ctx_, "", kProcessAborted, MessageKind::Warning);
}

bool MailboxExportJob::step() {
  if (result_ != MailboxResult::Running) return true;
  if (cancelRequested()) {
    end(MailboxResult::Cancelled);
    return true;
  }
  if (!collected_) {
    report(ctx_.ui, 0, 1, std::string(kExportRunning));
    collected_ = selection_->step();
    if (!collected_) return false;
    if (selection_->result() != SelectionResult::Ok) {
      refuse(kSelectionErrorTitle, selection_->result() == SelectionResult::NoMessage
                                       ? "The current message does not exist."
                                       : "This selection is not offered here.");
      return true;
    }
    if (!sink_->open()) {
      const std::string error = sink_->error;
      sink_.reset();
      fail(error);
    }
    return result_ != MailboxResult::Running;
  }
  writeSlice();
  return result_ != MailboxResult::Running;
}

void MailboxExportJob::writeSlice() {
  const std::vector<std::uint32_t>& ids = selection_->ids();
  const std::vector<int> tables = RfcComposer::tables(databaseType(ctx_.mem.ForumType));
  for (int n : tables) OP_CLOSE(ctx_, kOpOpen, {n});
  struct Release {
    Context& ctx;
    const std::vector<int>& tables;
    ~Release() {
      for (auto it = tables.rbegin(); it != tables.rend(); ++it) OP_CLOSE(ctx, kOpRelease, {*it});
    }
  } release{ctx_, tables};
  RfcComposer composer(ctx_);
  RfcMessage m;
  const std::size_t stop = std::min(ids.size(), at_ + kMessagesPerStep);
  for (; at_ < stop; ++at_) {
    switch (composer.compose(ids[at_], m)) {
      case ComposeResult::Gone: ++skipped_; continue;
      case ComposeResult::Failed: return fail("Message " + std::to_string(ids[at_]) + " could not be read.");
      case ComposeResult::Ok: break;
    }
    if (!sink_->put(m, ids[at_])) return fail(sink_->error);
    ++written_;
  }
  report(ctx_.ui, static_cast<std::int64_t>(at_), static_cast<std::int64_t>(ids.size()), std::string(kExportRunning));
  if (at_ >= ids.size()) end(MailboxResult::Done);
}

}  // namespace qv::exporting
