#include "export/copy_msg.h"

#include <optional>
#include <system_error>

#include "export/batch_operation.h"
#include "store/dates.h"
#include "store/dispatcher.h"
#include "store/report.h"
#include "store/table_use.h"
#include "text/cserve_text.h"

namespace qv::exporting {

using engine::Err;

namespace {

constexpr std::size_t kSlice = 400;  // messages written per step
// About what a dBase record takes beside its memo text, for the byte count.
constexpr std::size_t kDBaseRecordBytes = 300;

std::string ymd(std::int32_t day) {
  const dates::Ymd d = dates::fromDayNumber(day);
  if (d.year == 0) return {};
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
  return buf;
}

// "hh:mm"; no time is "00:00".
std::string hoursMinutes(std::int32_t time) { return dates::pictureT04(time).substr(0, 5); }

// A party's names as the dBase columns take them: "Name Unknown" is no name.
void names(const Party& p, std::string& last, std::string& first) {
  const bool unknown = (p.first + " " + p.last) == kNameUnknown;
  last = unknown ? std::string() : p.last;
  first = unknown ? std::string() : p.first;
}

}  // namespace

CopyMsg::CopyMsg(Context& ctx, CopyRequest request) : ctx_(ctx), request_(std::move(request)) {}

CopyMsg::~CopyMsg() {
  if (result_ == CopyResult::Running) close();
}

std::uint64_t CopyMsg::selected() const { return selection_ ? selection_->ids().size() : 0; }

void CopyMsg::refuse(std::string_view title, std::string_view text) {
  show(ctx_, title, text, MessageKind::Error);
  result_ = CopyResult::Refused;
}

void CopyMsg::fail(std::string_view text) {
  show(ctx_, kExportTitle, text, MessageKind::Error);
  close();
  result_ = CopyResult::Failed;
}

void CopyMsg::end(CopyResult r) {
  if (!close() && r == CopyResult::Done) r = CopyResult::Failed;
  result_ = r;
  if (r == CopyResult::Done) report(ctx_.ui, 1, 1, std::string(kExportFinished) + ctx_.mem.TempDir.string());
  if (r == CopyResult::Cancelled) inform(ctx_, kExportTitle, kProcessAborted, MessageKind::Warning);
}

bool CopyMsg::step() {
  if (result_ != CopyResult::Running) return true;
  if (cancelRequested()) {
    end(CopyResult::Cancelled);
    return true;
  }
  if (!setUp_) {
    setUp_ = true;
    if (!setUp()) return true;
    report(ctx_.ui, 0, 1, std::string(kExportRunning));
    return false;
  }
  if (!collected_) {
    collected_ = selection_->step();
    if (collected_ && selection_->result() != SelectionResult::Ok) {
      close();
      refuse(kSelectionErrorTitle, selection_->result() == SelectionResult::NoMessage
                                       ? "The current message does not exist."
                                       : "This selection is not offered here.");
    }
    return result_ != CopyResult::Running;
  }
  writeSlice();
  return result_ != CopyResult::Running;
}

bool CopyMsg::setUp() {
  if (ctx_.mem.ForumNumber == kNoIdentifier) {
    refuse(kExportTitle, "No database is active.");
    return false;
  }
  type_ = databaseType(ctx_.mem.ForumType);
  plain_ = request_.code == SelectionCode::Plain;
  const bool named = !request_.files.in.empty() || !request_.files.out.empty();
  format_ = request_.format ? *request_.format : configuredFormat(ctx_, type_);
  if (!plain_ && !isOffered(format_, type_)) {
    refuse(kExportTitle, std::string(formatLabel(format_, type_)) +
                             " is not offered for this database; choose one of " + offeredList(type_) + ".");
    return false;
  }
  const bool twoFiles = !plain_ && writesTwoFiles(format_, type_);
  files_ = named ? request_.files : plain_ ? ExportFiles{"SaveMsg.Txt", {}} : unnamedFiles(format_, type_);
  if (!twoFiles) files_.out.clear();
  const FileNameError e = checkFileNames(files_, twoFiles);
  if (e != FileNameError::None) {
    refuse(e == FileNameError::SameNames ? kExportTitle : kFilenameErrorTitle, fileNameErrorText(e));
    return false;
  }
  if (request_.range) {
    const DateRangeError r = checkDateRange(*request_.range);
    if (r != DateRangeError::None) {
      refuse(kDateRangeTitle, dateRangeText(r));
      return false;
    }
  }
  const LineSettings lines = request_.lines ? *request_.lines : configuredLines(ctx_);
  layout_.wrap = lines.wrap;
  layout_.width = lines.width;
  // The formats whose readers start a message at a "From " line.
  if (!plain_ && format_ == ExportFormat::Eudora) layout_.separators = Separators::Eudora;
  if (!plain_ && format_ == ExportFormat::GenericMail2 && type_ != DatabaseType::Forum)
    layout_.separators = Separators::FromLines;

  std::error_code ec;
  std::filesystem::create_directories(ctx_.mem.TempDir, ec);
  const bool mail = type_ == DatabaseType::Mail;
  tables_ = std::make_unique<TableUse>(
      ctx_, mail ? std::initializer_list<int>{Mail::FileNo, MsgText::FileNo, Person::FileNo}
                 : std::initializer_list<int>{MsgNmbr::FileNo, MsgText::FileNo, Person::FileNo, Sections::FileNo,
                                              Threads::FileNo, MsgString::FileNo});
  if (!plain_ && format_ == ExportFormat::DBase3) {
    ctx_.FileTmpName = ctx_.mem.TempDir / files_.in;
    const int table = mail ? DBM::FileNo : type_ == DatabaseType::Newsgroup ? DBN::FileNo : DBF::FileNo;
    dbase_ = std::make_unique<TableUse>(ctx_, std::initializer_list<int>{table});
    engine::File& f = ctx_.file(table);
    if (!f.isOpen()) {
      dbase_.reset();
      fail("The file " + ctx_.FileTmpName.string() + " could not be opened.");
      return false;
    }
    // The numbers already in the file: their messages are not added again.
    f.set();
    while (f.next() == Err::Ok) {
      // Copied field by field: the records are packed.
      double n = 0;
      if (mail)
        n = ctx_.dbm.ID;
      else if (type_ == DatabaseType::Newsgroup)
        n = ctx_.dbn.ID;
      else
        n = ctx_.dbf.MSGNUMBER;
      if (n >= 0 && n < 4294967296.0) inDBase_.insert(static_cast<std::uint32_t>(n));
    }
  } else {
    if (!openOutput(in_, files_.in)) return false;
    if (twoFiles && !openOutput(out_, files_.out)) return false;
  }
  selection_ = std::make_unique<SelectionCollector>(ctx_, request_.code, request_.start, request_.range);
  return true;
}

bool CopyMsg::openOutput(Output& o, const std::string& name) {
  o.path = ctx_.mem.TempDir / name;
  o.file.open(o.path, std::ios::binary | std::ios::trunc);
  if (!o.file) {
    fail("The file " + o.path.string() + " could not be written.");
    return false;
  }
  return true;
}

void CopyMsg::writeSlice() {
  const std::vector<std::uint32_t>& ids = selection_->ids();
  const std::size_t stop = std::min(ids.size(), at_ + kSlice);
  // The slice's reads share one read transaction per table instead of a
  // lock and a journal check each.
  std::optional<engine::ReadBurst> burst;
  if (type_ == DatabaseType::Mail)
    burst.emplace(std::initializer_list<engine::File*>{&ctx_.fileOf<Mail>(), &ctx_.fileOf<MsgText>(),
                                                        &ctx_.fileOf<Person>()});
  else
    burst.emplace(std::initializer_list<engine::File*>{&ctx_.fileOf<MsgNmbr>(), &ctx_.fileOf<MsgText>(),
                                                        &ctx_.fileOf<Person>(), &ctx_.fileOf<Sections>(),
                                                        &ctx_.fileOf<Threads>(), &ctx_.fileOf<MsgString>()});
  for (; at_ < stop; ++at_) {
    ExportMessage m;
    if (!load(ids[at_], m)) continue;  // gone meanwhile
    const bool ok = !plain_ && format_ == ExportFormat::DBase3 ? writeDBase(m) : writeText(m);
    if (!ok) return;
    ++exported_;
  }
  report(ctx_.ui, static_cast<std::int64_t>(at_), static_cast<std::int64_t>(std::max<std::size_t>(ids.size(), 1)),
         std::string(kExportRunning));
  if (at_ >= ids.size()) end(CopyResult::Done);
}

bool CopyMsg::load(std::uint32_t id, ExportMessage& m) {
  m.type = type_;
  m.database = ctx_.mem.Description.str();
  std::uint32_t from = 0, to = 0;
  if (type_ == DatabaseType::Mail) {
    ctx_.mai = Mail{};
    ctx_.mai.MAILID = id;
    if (ctx_.fileOf<Mail>().get(Mail::IdKey) != Err::Ok) return false;
    const Mail mail = ctx_.mai;
    m.number = mail.MAILID;
    m.subject = mail.SUBJECT.str();
    m.date = mail.DATE;
    m.time = mail.TIME;
    from = mail.FROMID;
    to = mail.TOID;
    m.outgoing = ctx_.mem.PersonID != kNoIdentifier && from == ctx_.mem.PersonID;
  } else {
    ctx_.msg = MsgNmbr{};
    ctx_.msg.MSGNUMBER = id;
    if (ctx_.fileOf<MsgNmbr>().get(MsgNmbr::IdKey) != Err::Ok) return false;
    const MsgNmbr msg = ctx_.msg;
    m.number = msg.MSGNUMBER;
    m.reference = msg.REFNUMBER;
    m.date = msg.DATE;
    from = msg.FROMID;
    to = msg.TOID;
    const std::uint32_t section = msg.SECSYSID;
    auto s = sections_.find(section);
    if (s == sections_.end()) {
      ctx_.sec = Sections{};
      ctx_.sec.SECSYSID = section;
      std::pair<std::uint32_t, std::string> value{0, {}};
      if (ctx_.fileOf<Sections>().get(Sections::SysIdKey) == Err::Ok)
        value = {std::uint32_t{ctx_.sec.SECTIONNUMBER}, ctx_.sec.DESCRIPTION.str()};
      s = sections_.emplace(section, std::move(value)).first;
    }
    m.sectionNumber = s->second.first;
    m.sectionName = s->second.second;
    const std::uint32_t thread = msg.THREADNUMBER;
    auto t = threads_.find(thread);
    if (t == threads_.end()) {
      ctx_.thr = Threads{};
      ctx_.thr.THREADNUMBER = thread;
      std::string heading;
      if (ctx_.fileOf<Threads>().get(Threads::ThreadKey) == Err::Ok) {
        heading = ctx_.thr.HEADING();
        while (!heading.empty() && heading.back() == ' ') heading.pop_back();
      }
      t = threads_.emplace(thread, std::move(heading)).first;
    }
    m.subject = t->second;
    if (type_ == DatabaseType::Newsgroup) {
      const auto idString = [this](std::uint32_t n) {
        ctx_.mst = MsgString{};
        ctx_.mst.MSGNUMBER = n;
        return n != 0 && ctx_.fileOf<MsgString>().get(MsgString::IDKey) == Err::Ok ? ctx_.mst.IDSTRING.str()
                                                                                   : std::string();
      };
      m.messageId = idString(m.number);
      m.referenceId = idString(m.reference);
    }
  }
  m.sender = party(from);
  m.receiver = party(to);
  ctx_.txt = MsgText{};
  ctx_.txt.MSGNUMBER = m.number;
  ctx_.txtMemo.clear();
  if (ctx_.fileOf<MsgText>().get(MsgText::IdKey) == Err::Ok) m.text = ctx_.txtMemo;
  return true;
}

Party CopyMsg::party(std::uint32_t personId) {
  const auto found = persons_.find(personId);
  if (found != persons_.end()) return found->second;
  ctx_.per = Person{};
  ctx_.per.PERSONID = personId;
  Party p;  // a person that is gone: no name, no address
  if (personId != kNoIdentifier && ctx_.fileOf<Person>().get(Person::PersonKey) == Err::Ok)
    p = Party{ctx_.per.FIRSTNAME.str(), ctx_.per.LASTNAME.str(), ctx_.per.ADDRESS.str()};
  persons_.emplace(personId, p);
  return p;
}

bool CopyMsg::writeText(const ExportMessage& m) {
  Output& o = type_ == DatabaseType::Mail && m.outgoing && out_.file.is_open() ? out_ : in_;
  std::string chunk;
  const auto add = [&chunk](const std::string& line) {
    chunk += line;
    chunk += "\r\n";
  };
  for (const std::string& line : plain_ ? plainLines(m) : headerLines(m, format_)) add(line);
  add({});
  for (const std::string& line : textLines(m.text, layout_)) add(line);
  add({});
  if (!plain_ && format_ == ExportFormat::Tapcis && request_.convert) chunk = cserve::w1252ToOem850(chunk);
  o.file.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
  if (!o.file) {
    fail("The file " + o.path.string() + " could not be written.");
    return false;
  }
  if (!plain_ && format_ == ExportFormat::Eudora) {
    const std::vector<std::string> header = headerLines(m, format_);
    TocEntry e{o.size,
               chunk.size(),
               m.date,
               m.time,
               header.size() > 1 && !m.outgoing ? header[1].substr(6) : "",
               partyText(m.outgoing ? m.receiver : m.sender, PartyStyle::Internet),
               m.subject};
    o.toc.push_back(std::move(e));
  }
  o.size += chunk.size();
  bytes_ += chunk.size();
  return true;
}

namespace {

// The sender's name and address columns every dBase layout has.
template <class Row>
void setSender(Row& row, const ExportMessage& m) {
  std::string last, first;
  names(m.sender, last, first);
  row.S_LNAME = last;
  row.S_FNAME = first;
  row.S_ADDRESS = m.sender.address;
}

// The receiver's columns of the forum and mail layouts.
template <class Row>
void setReceiver(Row& row, const ExportMessage& m) {
  std::string last, first;
  names(m.receiver, last, first);
  row.R_LNAME = last;
  row.R_FNAME = first;
  row.R_ADDRESS = m.receiver.address;
}

}  // namespace

bool CopyMsg::writeDBase(const ExportMessage& m) {
  if (!inDBase_.insert(m.number).second) return true;  // in the file already
  Err e = Err::Ok;
  switch (type_) {
    case DatabaseType::Forum: {
      engine::File& f = ctx_.fileOf<DBF>();
      ctx_.dbf = DBF{};
      ctx_.dbf.MSGNUMBER = m.number;
      ctx_.dbf.REFNUMBER = m.reference;
      ctx_.dbf.FORUM = m.database;
      ctx_.dbf.SECTIONNO = m.sectionNumber;
      ctx_.dbf.SECTIONNAME = m.sectionName;
      ctx_.dbf.SUBJECT = m.subject;
      ctx_.dbf.MSG_DATE = dates::pictureD7(m.date);
      setReceiver(ctx_.dbf, m);
      setSender(ctx_.dbf, m);
      ctx_.dbfMemo = m.text;
      e = f.add();
      break;
    }
    case DatabaseType::Mail: {
      engine::File& f = ctx_.fileOf<DBM>();
      ctx_.dbm = DBM{};
      ctx_.dbm.ID = m.number;
      ctx_.dbm.SUBJECT = m.subject;
      ctx_.dbm.MSG_DATE = ymd(m.date);
      ctx_.dbm.MSG_TIME = hoursMinutes(m.time);
      setReceiver(ctx_.dbm, m);
      setSender(ctx_.dbm, m);
      ctx_.dbmMemo = m.text;
      e = f.add();
      break;
    }
    case DatabaseType::Newsgroup: {
      engine::File& f = ctx_.fileOf<DBN>();
      ctx_.dbn = DBN{};
      ctx_.dbn.ID = m.number;
      ctx_.dbn.MSGID = m.messageId;
      ctx_.dbn.REFID = m.referenceId;
      ctx_.dbn.NEWSGROUP = m.database;
      ctx_.dbn.SUBJECT = m.subject;
      ctx_.dbn.MSG_DATE = ymd(m.date);
      setSender(ctx_.dbn, m);
      ctx_.dbnMemo = m.text;
      e = f.add();
      break;
    }
  }
  if (e != Err::Ok) {
    fail("The file " + ctx_.FileTmpName.string() + " could not be written.");
    return false;
  }
  bytes_ += m.text.size() + kDBaseRecordBytes;
  return true;
}

bool CopyMsg::close() {
  bool complete = true;
  const auto finish = [this, &complete](Output& o, bool outgoing) {
    if (!o.file.is_open()) return;
    o.file.close();  // writes what is still buffered: a full disk shows here
    if (o.file.fail()) {
      complete = false;
      show(ctx_, kExportTitle, "The file " + o.path.string() + " could not be completed.", MessageKind::Error);
      return;
    }
    written_.push_back(o.path);
    if (!plain_ && format_ == ExportFormat::Eudora) {
      if (CreateTOC(o.path, outgoing, o.toc))
        written_.push_back(tocPath(o.path));
      else
        show(ctx_, kExportTitle, "The file " + tocPath(o.path).string() + " could not be written.", MessageKind::Error);
    }
  };
  const bool eudora = !plain_ && format_ == ExportFormat::Eudora && in_.file.is_open();
  finish(in_, false);
  finish(out_, true);
  if (eudora && complete) {
    std::filesystem::path map;
    std::vector<std::string> boxes = {files_.in};
    if (!files_.out.empty()) boxes.push_back(files_.out);
    if (CreateDeskMap(ctx_.mem.TempDir, boxes, map)) written_.push_back(map);
  }
  if (dbase_) {
    dbase_.reset();
    const std::filesystem::path dbf = ctx_.mem.TempDir / files_.in;
    written_.push_back(dbf);
    for (const char* ext : {".DBT", ".NDX"}) {
      std::filesystem::path p = dbf;
      p.replace_extension(ext);
      if (std::filesystem::exists(p)) written_.push_back(p);
    }
  }
  tables_.reset();
  return complete;
}

}  // namespace qv::exporting
