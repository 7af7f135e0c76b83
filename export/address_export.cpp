#include "export/address_export.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#include "store/charset.h"
#include "store/engine/dbase/dbase_file.h"
#include "store/report.h"
#include "store/table_use.h"
#include "store/topic_links.h"

namespace qv::exporting {

using engine::Err;

std::string_view addressFormatLabel(AddressFormat f) {
  switch (f) {
    case AddressFormat::Tapcis: return "TAPCIS";
    case AddressFormat::Eudora: return "Eudora";
    case AddressFormat::GenericMail: return "Generic Mail";
    case AddressFormat::OzWin2: return "OzWin II";
    case AddressFormat::DBase3: return "dBase III";
  }
  return {};
}

std::string_view defaultAddressFile(AddressFormat f) {
  switch (f) {
    case AddressFormat::OzWin2: return "Address.Ab";
    case AddressFormat::DBase3: return "Address.Dbf";
    default: return "Address.Txt";
  }
}

std::string addressCountText(std::uint64_t count) { return std::to_string(count) + " addresses written to file."; }

bool isPlaceholderPerson(const Person& p) {
  const std::string first = p.FIRSTNAME.str(), last = p.LASTNAME.str();
  const std::string full = first.empty() ? last : last.empty() ? first : first + " " + last;
  return compareKeyText(full, kNameUnknown) == 0;
}

std::string addressName(const Person& p) {
  if (isPlaceholderPerson(p)) return {};
  const std::string first = p.FIRSTNAME.str(), last = p.LASTNAME.str();
  if (first.empty() && last.empty()) return "Unknown";
  if (first.empty()) return last;
  if (last.empty()) return first;
  return first + " " + last;
}

namespace {

// The address with a service identifier's "," made "." and the service's
// Internet mail domain appended; an Internet address as it is.
std::string internetAddress(const std::string& address) {
  if (address.find('@') != std::string::npos) return address;
  std::string a = address;
  for (char& c : a)
    if (c == ',') c = '.';
  return a + "@" + lower1252(kServiceMailDomain);
}

}  // namespace

std::optional<std::string> addressText(AddressFormat f, const Person& p) {
  const std::string address = p.ADDRESS.str();
  switch (f) {
    case AddressFormat::DBase3: return address.empty() ? std::string() : internetAddress(address);
    case AddressFormat::Tapcis:
    case AddressFormat::OzWin2:
      if (address.empty()) return std::nullopt;
      return address.find('@') != std::string::npos ? "INTERNET:" + address : address;
    case AddressFormat::Eudora:
    case AddressFormat::GenericMail: {
      // Without an address there is nothing to write to (the domain alone is no address).
      if (address.empty()) return std::nullopt;
      const std::string first = p.FIRSTNAME.str(), last = p.LASTNAME.str();
      const bool placeholder = isPlaceholderPerson(p);
      if (!placeholder && !first.empty() && !last.empty())
        return "\"" + first + " " + last + "\" " + internetAddress(address);
      if (!placeholder && !last.empty()) return last + " " + internetAddress(address);
      return internetAddress(address);
    }
  }
  return std::nullopt;
}

std::string addressEntry(AddressFormat f, std::string_view name, std::string_view address) {
  switch (f) {
    case AddressFormat::Eudora: return "alias " + std::string(address) + "\r\n";
    case AddressFormat::GenericMail: return std::string(address) + "\r\n";
    case AddressFormat::Tapcis: return std::string(name) + " " + std::string(address) + "|\r\n";
    case AddressFormat::OzWin2: {
      // Length bytes hold at most 255; names and addresses are far shorter.
      const std::string_view n = name.substr(0, 255), a = address.substr(0, 255);
      std::string r;
      r += static_cast<char>(n.size());
      r += n;
      r += static_cast<char>(a.size());
      r += a;
      r += std::string(2, '\0');
      return r;
    }
    case AddressFormat::DBase3: break;
  }
  return {};
}

// Where the entries go: a temporary file that becomes the export file at
// finish(); dropped (with its companions) otherwise.
class AddressExportJob::Output {
 public:
  virtual ~Output() = default;
  virtual bool open() = 0;
  // Writes the person's entry: 1 written, 0 left out, -1 failed.
  virtual int put(const Person& p) = 0;
  virtual bool finish() = 0;
  std::string error;
};

namespace {

std::filesystem::path temporaryOf(const std::filesystem::path& final) {
  return final.parent_path() / (final.stem().string() + "~" + final.extension().string());
}

// A text format: entries collected in a buffer of kAddressBufferBytes; a
// full buffer is appended to the file and the rest of the entry starts the
// next one.
class TextOutput final : public AddressExportJob::Output {
 public:
  TextOutput(AddressFormat f, std::filesystem::path final) : format_(f), final_(std::move(final)) {
    tmp_ = temporaryOf(final_);
  }
  ~TextOutput() override {
    if (f_ != nullptr) {
      std::fclose(f_);
      std::error_code ec;
      std::filesystem::remove(tmp_, ec);
    }
  }
  bool open() override {
    f_ = std::fopen(tmp_.c_str(), "wb");
    if (f_ == nullptr) error = "The file " + tmp_.string() + " cannot be created: " + std::strerror(errno);
    buffer_.reserve(kAddressBufferBytes);
    return f_ != nullptr;
  }
  int put(const Person& p) override {
    const std::optional<std::string> address = addressText(format_, p);
    if (!address) return 0;
    std::string_view entry;
    const std::string e = addressEntry(format_, addressName(p), *address);
    entry = e;
    while (!entry.empty()) {
      const std::size_t room = kAddressBufferBytes - buffer_.size();
      buffer_.append(entry.substr(0, room));
      entry.remove_prefix(std::min(room, entry.size()));
      if (buffer_.size() == kAddressBufferBytes && !flush()) return -1;
    }
    return 1;
  }
  bool finish() override {
    if (!flush()) return false;
    const bool closed = std::fclose(f_) == 0;
    f_ = nullptr;
    std::error_code ec;
    if (closed) std::filesystem::rename(tmp_, final_, ec);
    if (!closed || ec) {
      error = "The file " + final_.string() +
              " could not be completed: " + (closed ? ec.message() : std::string(std::strerror(errno)));
      std::filesystem::remove(tmp_, ec);
      return false;
    }
    return true;
  }

 private:
  bool flush() {
    if (std::fwrite(buffer_.data(), 1, buffer_.size(), f_) != buffer_.size()) {
      error = "Writing " + tmp_.string() + " failed: " + std::strerror(errno);
      return false;
    }
    buffer_.clear();
    return true;
  }
  AddressFormat format_;
  std::filesystem::path final_, tmp_;
  std::FILE* f_ = nullptr;
  std::string buffer_;
};

// The dBase III table DBA and its index, opened through the dispatcher on
// the temporary name.
class DbaseOutput final : public AddressExportJob::Output {
 public:
  DbaseOutput(Context& ctx, std::filesystem::path final) : ctx_(ctx), final_(std::move(final)) {
    tmp_ = temporaryOf(final_);
  }
  ~DbaseOutput() override {
    if (open_) OP_CLOSE(ctx_, kOpRelease, {DBA::FileNo});
    if (!finished_) removeTemporary();
  }
  bool open() override {
    removeTemporary();  // a leftover would be appended to
    ctx_.FileTmpName = tmp_;
    OP_CLOSE(ctx_, kOpOpen, {DBA::FileNo});
    open_ = ctx_.fileOf<DBA>().isOpen();
    if (!open_) error = "The file " + tmp_.string() + " cannot be created.";
    return open_;
  }
  int put(const Person& p) override {
    ctx_.dba = DBA{};
    ctx_.dba.ID = static_cast<double>(p.PERSONID);
    if (isPlaceholderPerson(p)) {
      ctx_.dba.LNAME = "Unknown";
      ctx_.dba.FNAME = "";
    } else {
      ctx_.dba.LNAME = p.LASTNAME.view();
      ctx_.dba.FNAME = p.FIRSTNAME.view();
    }
    ctx_.dba.ADDRESS = addressText(AddressFormat::DBase3, p).value_or("");
    engine::File& f = ctx_.fileOf<DBA>();
    if (f.add() != Err::Ok) {
      error = "Writing " + tmp_.string() + " failed: " + f.errorText();
      return -1;
    }
    return 1;
  }
  bool finish() override {
    OP_CLOSE(ctx_, kOpRelease, {DBA::FileNo});
    open_ = false;
    const std::filesystem::path index = engine::dbase::findCompanion(tmp_, "NDX");
    std::error_code ec;
    std::filesystem::rename(tmp_, final_, ec);
    if (!ec && !index.empty())
      std::filesystem::rename(index, final_.parent_path() / (final_.stem().string() + index.extension().string()), ec);
    if (ec) {
      error = "The file " + final_.string() + " could not be completed: " + ec.message();
      return false;
    }
    finished_ = true;
    return true;
  }

 private:
  void removeTemporary() {
    std::error_code ec;
    for (const char* ext : {"NDX", "DBT"}) {
      const std::filesystem::path c = engine::dbase::findCompanion(tmp_, ext);
      if (!c.empty()) std::filesystem::remove(c, ec);
    }
    std::filesystem::remove(tmp_, ec);
  }
  Context& ctx_;
  std::filesystem::path final_, tmp_;
  bool open_ = false;
  bool finished_ = false;
};

bool hasPath(std::string_view name) {
  return name.find('/') != std::string_view::npos || name.find('\\') != std::string_view::npos || name == "." ||
         name == "..";
}

}  // namespace

AddressExportJob::AddressExportJob(Context& ctx, AddressRequest request) : ctx_(ctx), request_(std::move(request)) {
  mail_ = databaseType(ctx_.mem.ForumType) == DatabaseType::Mail;
  if (request_.fileName.empty()) request_.fileName = defaultAddressFile(request_.format);
  if (hasPath(request_.fileName)) {
    refuse(kFilenameErrorTitle, kFilenameErrorText);
    return;
  }
  path_ = ctx_.mem.TempDir / request_.fileName;
  if (request_.topicId != kNoIdentifier) {
    TableUse use(ctx_, {Codes::FileNo});
    const std::optional<Codes> topic = findCode(ctx_, request_.topicId);
    if (!topic || topic->TYPE != static_cast<std::uint8_t>(CodeType::Topic)) {
      refuse("Selection error", "No topic selected!");
      return;
    }
  }
  if (request_.range) {
    const DateRangeError e = checkDateRange(*request_.range);
    if (e != DateRangeError::None) {
      refuse(kDateRangeTitle, dateRangeText(e));
      return;
    }
  }
  phase_ = request_.topicId != kNoIdentifier ? Phase::Topic : request_.range ? Phase::Dates : Phase::Persons;
}

AddressExportJob::~AddressExportJob() = default;

void AddressExportJob::refuse(std::string_view title, std::string_view text) {
  show(ctx_, title, text, MessageKind::Error);
  result_ = AddressResult::Refused;
}

void AddressExportJob::end(AddressResult r) {
  result_ = r;
  switch (r) {
    case AddressResult::Done: inform(ctx_, kAddressExportTitle, addressCountText(written_)); break;
    case AddressResult::NoneSelected: inform(ctx_, kNoAddressesTitle, kNoAddressesPassed, MessageKind::Warning); break;
    case AddressResult::Cancelled:
      inform(ctx_, kAddressAbortedTitle, kAddressExportAborted, MessageKind::Warning);
      break;
    case AddressResult::Failed: show(ctx_, kAddressExportTitle, out_ ? out_->error : "", MessageKind::Error); break;
    default: break;
  }
  out_.reset();  // an unfinished file goes with it
}

void AddressExportJob::addParties(std::uint32_t message) {
  std::uint32_t from = 0, to = 0;
  if (mail_) {
    ctx_.mai = Mail{};
    ctx_.mai.MAILID = message;
    if (ctx_.fileOf<Mail>().get(Mail::IdKey) != Err::Ok) return;
    from = ctx_.mai.FROMID;
    to = ctx_.mai.TOID;
  } else {
    ctx_.msg = MsgNmbr{};
    ctx_.msg.MSGNUMBER = message;
    if (ctx_.fileOf<MsgNmbr>().get(MsgNmbr::IdKey) != Err::Ok) return;
    from = ctx_.msg.FROMID;
    to = ctx_.msg.TOID;
  }
  for (std::uint32_t id : {from, to})
    if (id != kNoIdentifier && fillingSeen_->insert(id).second) filling_->push_back(id);
}

// The senders and receivers of the topic's messages; true when the walk is done.
bool AddressExportJob::collectTopic() {
  filling_ = &topicList_;
  fillingSeen_ = &topicSeen_;
  TableUse use(ctx_, {SIndex::FileNo, mail_ ? Mail::FileNo : MsgNmbr::FileNo});
  engine::File& links = ctx_.fileOf<SIndex>();
  ctx_.sin = SIndex{};
  ctx_.sin.ID = request_.topicId;
  ctx_.sin.MSGNUMBER = resume_ ? lastId_ : std::numeric_limits<std::uint32_t>::max();  // message numbers descend
  if (links.setFrom(SIndex::IdKey) != Err::Ok) return true;
  std::size_t rows = 0;
  while (links.next() == Err::Ok && ctx_.sin.ID == request_.topicId) {
    const std::uint32_t message = ctx_.sin.MSGNUMBER;
    if (resume_ && message >= lastId_) continue;
    addParties(message);
    if (++rows == kRowsPerStep) {
      resume_ = true;
      lastId_ = message;
      return false;
    }
  }
  resume_ = false;
  return true;
}

// The senders and receivers of the messages of the date range, walked by
// date from the to-date down; true when the walk is done.
bool AddressExportJob::collectDates() {
  filling_ = &dateList_;
  fillingSeen_ = &dateSeen_;
  TableUse use(ctx_, {mail_ ? Mail::FileNo : MsgNmbr::FileNo});
  std::size_t rows = 0;
  if (mail_) {
    engine::File& f = ctx_.fileOf<Mail>();
    ctx_.mai = Mail{};
    ctx_.mai.DATE = resume_ ? lastDate_ : request_.range->to;
    ctx_.mai.TIME = resume_ ? lastTime_ : std::numeric_limits<std::int32_t>::max();
    ctx_.mai.MAILID = resume_ ? lastId_ : std::numeric_limits<std::uint32_t>::max();
    if (f.setFrom(Mail::DateKey) != Err::Ok) return true;
    while (f.next() == Err::Ok && ctx_.mai.DATE >= request_.range->from) {
      const Mail m = ctx_.mai;
      if (resume_ && m.MAILID == lastId_ && m.DATE == lastDate_ && m.TIME == lastTime_) continue;
      for (std::uint32_t id : {std::uint32_t{m.FROMID}, std::uint32_t{m.TOID}})
        if (id != kNoIdentifier && dateSeen_.insert(id).second) dateList_.push_back(id);
      if (++rows == kRowsPerStep) {
        resume_ = true;
        lastId_ = m.MAILID;
        lastDate_ = m.DATE;
        lastTime_ = m.TIME;
        return false;
      }
    }
  } else {
    engine::File& f = ctx_.fileOf<MsgNmbr>();
    ctx_.msg = MsgNmbr{};
    ctx_.msg.DATE = resume_ ? lastDate_ : request_.range->to;
    ctx_.msg.MSGNUMBER = resume_ ? lastId_ : std::numeric_limits<std::uint32_t>::max();
    if (f.setFrom(MsgNmbr::DateKey) != Err::Ok) return true;
    while (f.next() == Err::Ok && ctx_.msg.DATE >= request_.range->from) {
      const MsgNmbr m = ctx_.msg;
      if (resume_ && m.MSGNUMBER == lastId_ && m.DATE == lastDate_) continue;
      for (std::uint32_t id : {std::uint32_t{m.FROMID}, std::uint32_t{m.TOID}})
        if (id != kNoIdentifier && dateSeen_.insert(id).second) dateList_.push_back(id);
      if (++rows == kRowsPerStep) {
        resume_ = true;
        lastId_ = m.MSGNUMBER;
        lastDate_ = m.DATE;
        return false;
      }
    }
  }
  resume_ = false;
  return true;
}

// Every person in the key order of the person table; true when done.
bool AddressExportJob::collectPersons() {
  TableUse use(ctx_, {Person::FileNo});
  engine::File& f = ctx_.fileOf<Person>();
  ctx_.per = Person{};
  ctx_.per.PERSONID = resume_ ? lastId_ + 1 : 0;
  if (f.setFrom(Person::PersonKey) != Err::Ok) return true;
  std::size_t rows = 0;
  while (f.next() == Err::Ok) {
    persons_.push_back(std::uint32_t{ctx_.per.PERSONID});
    if (++rows == kRowsPerStep) {
      resume_ = true;
      lastId_ = ctx_.per.PERSONID;
      return false;
    }
  }
  resume_ = false;
  return true;
}

void AddressExportJob::startWriting() {
  phase_ = Phase::Write;
  if (request_.topicId != kNoIdentifier && request_.range) {
    for (std::uint32_t id : topicList_)
      if (dateSeen_.contains(id)) persons_.push_back(id);
  } else if (request_.topicId != kNoIdentifier) {
    persons_ = topicList_;
  } else if (request_.range) {
    persons_ = dateList_;
  }
  if (persons_.empty()) return end(AddressResult::NoneSelected);
  if (request_.format == AddressFormat::DBase3)
    out_ = std::make_unique<DbaseOutput>(ctx_, path_);
  else
    out_ = std::make_unique<TextOutput>(request_.format, path_);
  if (!out_->open()) end(AddressResult::Failed);
}

void AddressExportJob::writeSlice() {
  TableUse use(ctx_, {Person::FileNo});
  engine::File& f = ctx_.fileOf<Person>();
  const std::size_t stop = std::min(persons_.size(), at_ + kRowsPerStep);
  for (; at_ < stop; ++at_) {
    ctx_.per = Person{};
    ctx_.per.PERSONID = persons_[at_];
    if (f.get(Person::PersonKey) != Err::Ok) continue;  // gone meanwhile
    const Person p = ctx_.per;
    const int r = out_->put(p);
    if (r < 0) return end(AddressResult::Failed);
    written_ += static_cast<std::uint64_t>(r);
  }
  report(ctx_.ui, static_cast<std::int64_t>(at_), static_cast<std::int64_t>(persons_.size()),
         std::string(kAddressExportTitle));
  if (at_ < persons_.size()) return;
  if (!out_->finish()) return end(AddressResult::Failed);
  end(AddressResult::Done);
}

bool AddressExportJob::step() {
  if (result_ != AddressResult::Running) return true;
  if (cancelRequested()) {
    end(AddressResult::Cancelled);
    return true;
  }
  switch (phase_) {
    case Phase::Topic:
      if (collectTopic()) {
        if (topicList_.empty())
          end(AddressResult::NoneSelected);
        else if (request_.range)
          phase_ = Phase::Dates;
        else
          startWriting();
      }
      break;
    case Phase::Dates:
      if (collectDates()) startWriting();
      break;
    case Phase::Persons:
      if (collectPersons()) startWriting();
      break;
    case Phase::Write: writeSlice(); break;
  }
  return result_ != AddressResult::Running;
}

AddressResult CopyAddress(Context& ctx, const AddressRequest& request) {
  AddressExportJob job(ctx, request);
  runToEnd(job);
  return job.result();
}

}  // namespace qv::exporting
