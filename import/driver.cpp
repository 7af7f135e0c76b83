// The import driver's state machine: start, conversion and the end of a run.
#include "import/driver.h"

#include <system_error>

#include "import/formats.h"
#include "import/source_selection.h"
#include "store/charset.h"
#include "store/config.h"
#include "store/dates.h"
#include "store/dispatcher.h"
#include "store/records.h"
#include "store/report.h"

namespace qv {

using engine::Err;

namespace {
const char* const kTempDiskText =
    "This may be too little for the temporary importfile. Running out of diskspace may corrupt the currently "
    "accessed data file(s).Press OK if you want to continue and Cancel if you want to abort the import!";
const char* const kInterruptedTitle = "Import process interrupted";
const char* const kUnsuccessfulText = "Import unsuccessful!";

// A message shortened to what a summary line can hold: its first line, and
// of that the first sentence (the disk warnings are one long line).
std::string outcomeOf(std::string_view text) {
  text = text.substr(0, text.find_first_of("\r\n"));
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if ((text[i] == '.' || text[i] == '!' || text[i] == '?') && text[i + 1] == ' ') {
      text = text.substr(0, i + 1);
      break;
    }
  }
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}
}  // namespace

ImportJob::ImportJob(Context& ctx, ImportSettings settings)
    : ctx_(ctx),
      settings_(std::move(settings)),
      scheduled_(ctx.unattended()),
      run_(ctx_, settings_, targets_) {
  savedMem_ = ctx_.mem;
}

ImportJob::~ImportJob() {
  if (state_ != State::Ended) end(false);
}

bool ImportJob::step() {
  if (state_ == State::Ended) return true;
  // What ends the run in this step is what it reports in this step.
  ctx_.lastReported = {};
  if (cancelRequested()) {
    if (cancelHere()) {
      endBecause(kInterruptedTitle);
      return true;
    }
  }
  switch (state_) {
    case State::Start: start(); break;
    case State::NextFile: nextFile(); break;
    case State::Convert: convert(); break;
    case State::ConversionDone: conversionDone(); break;
    case State::NextDatabase: nextDatabase(); break;
    case State::Merge: mergeSlice(); break;
    case State::CountPersons: {
      const bool mail = databaseType(ctx_.mem.ForumType) == DatabaseType::Mail;
      countStep(mail ? State::DatabaseDone : State::CountThreads, &DatabaseMerge::addPersonCounts,
                mail ? "Importing messages" : "Counting messages per thread");
      break;
    }
    case State::CountThreads: {
      const bool forum = databaseType(ctx_.mem.ForumType) == DatabaseType::Forum;
      countStep(forum ? State::CountSections : State::DatabaseDone, &DatabaseMerge::addThreadCounts,
                forum ? "Counting messages per section" : "Importing messages");
      break;
    }
    case State::CountSections: countStep(State::DatabaseDone, &DatabaseMerge::addSectionCounts, "Importing messages"); break;
    case State::DatabaseDone: databaseDone(); break;
    case State::SaveFileIndex: saveFileIndex(); break;
    case State::Finished: finish(); break;
    case State::Ended: break;
  }
  return state_ == State::Ended;
}

void ImportJob::say(const std::string& title, const std::string& text, MessageKind kind) {
  inform(ctx_, title, text, kind);
}

void ImportJob::setText(const std::string& text) {
  stepText_ = text;
  const bool merging = state_ >= State::NextDatabase;
  report(ctx_.ui, merging ? merged_ : static_cast<std::int64_t>(perFileProgress_ ? nextFile_ : run_.progress),
         merging ? tempRecords_ : range_, text);
}

bool ImportJob::cancelHere() {
  clearCancel();
  // Converting writes nothing to a database: stop at once. While merging,
  // the counts of the database would be left incomplete: ask first.
  if (state_ < State::NextDatabase || scheduled_) return true;
  return ask(ctx_, kInterruptedTitle,
             "Stopping at this stage will cause message counts \r\nper section, thread and person to be incorrect.\r\n"
             "If you do quit, please run the Count Messages process to correct the numbers! Are you sure you want to "
             "quit?",
             kYes | kNo, kNo) == kYes;
}

bool ImportJob::enoughSpace(const std::filesystem::path& dir, std::uint64_t need, const std::string& why) {
  const std::optional<FreeSpace> free = freeSpace(dir);
  if (!free || free->bytes >= need) return true;
  std::string bytes = formatFreeBytes(free->bytes);
  bytes.erase(0, bytes.find_first_not_of(' '));
  const std::string text = "You have only " + bytes + " bytes free on disk " + free->mountPoint.string() + " " + why;
  // A warning that would ask ends a scheduled run.
  if (!scheduled_) {
    beep(ctx_);
    if (ask(ctx_, "Warning", text, kOk | kCancel, kCancel) == kOk) return true;
  }
  summary_.outcome = outcomeOf(text);
  return false;
}

void ImportJob::start() {
  started_ = std::chrono::steady_clock::now();
  // Before anything is touched: another run may be working in the
  // temporary tables this one would re-create.
  const ImportLockAttempt lock = lock_.acquire(ctx_.mem.TempDir);
  if (lock.state == ImportLockState::Busy) {
    say(kImportBusyTitle, importBusyText(lock.ownerPid));
    end(false);
    return;
  }
  if (lock.state == ImportLockState::Unavailable) {
    say(kImportLockErrorTitle, importLockErrorText(ctx_.mem.TempDir, lock.error), MessageKind::Error);
    end(false);
    return;
  }
  run_.runDate = dates::today();
  run_.runTime = dates::clockNow();
  run_.budget = std::max(1, SpeedVal(ctx_, kSpeedGet, kItemSpeedReading));
  batch_ = std::max(1, SpeedVal(ctx_, 3, kItemSpeedImport));
  settings_.formatNumber = settings_.formatNumber != 0 ? settings_.formatNumber : formatNumber(settings_.format);
  if (settings_.format.empty()) settings_.format = formatName(settings_.formatNumber);

  // The run counter: the counter's value now, held for the whole conversion.
  OP_CLOSE(ctx_, kOpOpen, {Control::FileNo, SaveFile::FileNo});
  engine::File& control = ctx_.fileOf<Control>();
  ctx_.ctl = Control{};
  ctx_.ctl.ID = 1;
  if (control.lock(10) != Err::Ok || control.get(Control::IdKey) != Err::Ok || ctx_.ctl.NEXTNUMBER == 0) {
    control.unlock();
    say("Warning!", "No access to Control File!\r\nImport will not proceed!\r\n");
    end(false);
    return;
  }
  controlLocked_ = true;
  run_.runCounter = ctx_.ctl.NEXTNUMBER;

  targets_.load(ctx_);

  // Fresh temporary files, written behind.
  OP_CLOSE(ctx_, kOpRemove, {NewHR::FileNo, CCT::FileNo, TempID::FileNo});
  OP_CLOSE(ctx_, kOpOpen, {NewHR::FileNo, CCT::FileNo, TempID::FileNo});
  tempOpen_ = true;
  ctx_.fileOf<NewHR>().lock(1);
  for (int no : {NewHR::FileNo, CCT::FileNo, TempID::FileNo}) ctx_.file(no).stream();

  if (selectsFolders(settings_.formatNumber)) {
    if (startFolders()) state_ = State::NextFile;
    return;
  }
  SourceList sources = buildSourceList(settings_);
  if (sources.status != SourceStatus::Ok) {
    say(" Import Error ", "The directory " + settings_.path.string() + " does not exist!", MessageKind::Error);
    end(false);
    return;
  }
  files_ = std::move(sources.files);
  perFileProgress_ = progressPerFile(settings_.formatNumber);
  range_ = perFileProgress_ ? static_cast<std::int64_t>(files_.size()) : static_cast<std::int64_t>(sources.totalBytes);
  state_ = State::NextFile;
}

bool ImportJob::startFolders() {
  folders_ = makeFolderSource(ctx_.lib, settings_.format);
  if (!folders_) {
    say("Warning!", "Files of the format \"" + settings_.format + "\" cannot be imported by this version.",
        MessageKind::Error);
    end(false);
    return false;
  }
  if (const std::string refusal = folders_->start(settings_.files); !refusal.empty()) {
    say("Warning!", refusal, MessageKind::Error);
    end(false);
    return false;
  }
  files_ = folders_->sources();
  perFileProgress_ = false;
  range_ = static_cast<std::int64_t>(folders_->items());
  return true;
}

void ImportJob::nextFile() {
  if (nextFile_ >= files_.size()) {
    state_ = State::ConversionDone;
    return;
  }
  run_.file = files_[nextFile_++];
  const std::string name = run_.file.name.string();
  setText(name);
  std::error_code ec;
  if (!folders_ && !std::filesystem::is_regular_file(run_.file.name, ec)) {
    say(" Import Error ", "The file " + name + " does not exist and will be skipped!");
    return;
  }
  if (folders_)
    reader_ = folders_->reader(nextFile_ - 1);
  else
    reader_ = makeReader(ctx_.lib, settings_.format);
  if (!reader_) {
    say("Warning!", "Files of the format \"" + settings_.format + "\" cannot be imported by this version.",
        MessageKind::Error);
    end(false);
    return;
  }
  ++summary_.files;
  const bool finished = reader_->call(ReaderPhase::Open, run_);
  if (run_.failed) {
    end(false);
    return;
  }
  const bool cabinet = settings_.format == "CompuServe 3 and 4";
  if (cabinet && finished) {
    say("Warning!", name + " is not a CompuServe 3 or 4 file!\r\nThis file will be skipped!");
    reader_.reset();
    return;
  }
  if (reader_->reportsContent() && reader_->contentKind() == ContentKind::None) {
    say("Warning!", "Not a Forum message or mail file!\r\nMessages will not be imported!");
    reader_.reset();
    return;
  }
  if (finished) {
    reader_.reset();
    return;
  }
  phase_ = cabinet ? ReaderPhase::FirstPass : ReaderPhase::Convert;
  if (cabinet) setText("Pre-import first pass");
  state_ = State::Convert;
}

void ImportJob::convert() {
  const bool finished = reader_->call(phase_, run_);
  if (run_.failed) {
    end(false);
    return;
  }
  setText(stepText_);
  if (!finished) {
    if (spaceCheckDue() && !enoughSpace(ctx_.mem.TempDir, kLowDiskBytes, kTempDiskText)) end(false);
    return;
  }
  if (phase_ == ReaderPhase::FirstPass) {
    phase_ = ReaderPhase::Convert;
    setText("Pre-import message conversion");
    return;
  }
  reader_.reset();
  state_ = State::NextFile;
  if (onFileConverted) onFileConverted(run_.file);
}

bool ImportJob::spaceCheckDue() {
  // Asking the file system costs about as much as converting a message: the
  // disk is looked at after the first slice and then whenever the
  // temporary tables have grown by kSpaceCheckBytes, well within the
  // kLowDiskBytes the warning keeps free.
  if (spaceCheckedAt_ && run_.appendedBytes - *spaceCheckedAt_ < kSpaceCheckBytes) return false;
  spaceCheckedAt_ = run_.appendedBytes;
  return true;
}

void ImportJob::conversionDone() {
  summary_.conversionSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
  setText("Building Temporary File Index!");
  summary_.converted = run_.converted;
  summary_.unreadable = run_.skipped;
  summary_.skipped += run_.skipped.size();
  // The numbers handed out in this run are taken: the counter goes on after them.
  engine::File& control = ctx_.fileOf<Control>();
  ctx_.ctl.ID = 1;
  control.hold(5);
  if (control.get(Control::IdKey) == Err::Ok) {
    if (ctx_.ctl.NEXTNUMBER < run_.runCounter) {
      ctx_.ctl.NEXTNUMBER = run_.runCounter;
      UppDat(ctx_, control, kUppPut, kReport);
    }
    control.release();
  }
  control.unlock();
  controlLocked_ = false;
  ctx_.fileOf<NewHR>().unlock();

  for (int no : {NewHR::FileNo, CCT::FileNo, TempID::FileNo}) ctx_.file(no).flush();
  for (int no : {NewHR::FileNo, TempID::FileNo, CCT::FileNo}) {
    engine::File& f = ctx_.file(no);
    const Err e = f.build();
    if (e != Err::Ok && e != Err::DuplicateKey) {
      const std::string title = no == NewHR::FileNo    ? "NewHR Key Build Error!"
                                : no == TempID::FileNo ? "TempID Key Build Error!"
                                                       : "CCT Key Build Error!";
      say(title, f.errorText() + "\r\nMessages will not be imported!", MessageKind::Error);
      // The error alone would not say which step failed.
      endBecause(title + " " + outcomeOf(f.errorText()));
      return;
    }
  }
  std::error_code ec;
  const auto tempSize = std::filesystem::file_size(ctx_.file(NewHR::FileNo).name(), ec);
  if (CheckSpace(ctx_, ec ? 0 : tempSize, ctx_.mem.FileDir) != kSpaceGoOn) {
    end(false);
    return;
  }
  // "Create only": the databases the files name are made, nothing is imported.
  if (settings_.filter == kFilterCreateOnly) {
    for (TargetDatabase* db : targets_.met())
      if (!targets_.createOnDisk(ctx_, *db)) {
        end(false);
        return;
      }
  }
  databases_ = targets_.touched();
  if (databases_.empty()) {
    if (settings_.filter != kFilterCreateOnly) say("Warning!", "No messages found in selected file(s)!\r\nImport unsuccessful!");
    summary_.outcome = settings_.filter == kFilterCreateOnly ? "No messages to import!" : "No messages found in selected file(s)!";
    end(settings_.filter == kFilterCreateOnly);
    return;
  }
  tempRecords_ = ctx_.fileOf<NewHR>().records();
  state_ = State::NextDatabase;
  setText("Importing messages");
}

void ImportJob::saveFileIndex() {
  if (!settings_.reimport) {
    setText("Building SaveFile Index!");
    engine::File& f = ctx_.fileOf<SaveFile>();
    if (f.build() != Err::Ok)
      say("Key Build Error!", f.errorText() + "\r\nMessage SaveFile can not be built!", MessageKind::Error);
  }
  state_ = State::Finished;
}

void ImportJob::finish() {
  summary_.outcome = summary_.imported > 0 ? "The import process has finished!" : "No messages to import!";
  setText(summary_.outcome);
  if (!scheduled_ && displaySetting(ctx_, kItemImportTiming) == 1) {
    const auto secs =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started_).count();
    beep(ctx_);
    say(" Import Processing ", "The time for completion was: " + std::to_string(secs) + " seconds",
        MessageKind::Information);
  }
  end(true);
}

void ImportJob::end(bool completed) {
  if (state_ == State::Ended) return;
  // The message that ended the run, before closing up can report another.
  const std::string endedBy = completed ? std::string() : outcomeOf(ctx_.lastReported.text);
  // What was merged stays; the counts of an interrupted database may lag.
  if (ctx_.session.inTransaction()) ctx_.session.commit();
  if (controlLocked_) {
    ctx_.fileOf<Control>().unlock();
    controlLocked_ = false;
  }
  for (int no : tables_) OP_CLOSE(ctx_, kOpRelease, {no});
  tables_.clear();
  merge_.reset();
  reader_.reset();
  // Every folder object goes back and the client is told to quit (after
  // the reader, which uses the client).
  folders_.reset();
  if (tempOpen_) {
    ctx_.fileOf<NewHR>().unlock();
    OP_CLOSE(ctx_, kOpRemove, {NewHR::FileNo, CCT::FileNo, TempID::FileNo});
    tempOpen_ = false;
  }
  OP_CLOSE(ctx_, kOpRelease, {Control::FileNo, SaveFile::FileNo});
  lock_.release();
  ctx_.mem = savedMem_;
  summary_.completed = completed;
  if (summary_.outcome.empty() && completed) summary_.outcome = "The import process has finished!";
  if (summary_.outcome.empty()) summary_.outcome = endedBy;
  if (summary_.outcome.empty()) summary_.outcome = kUnsuccessfulText;
  summary_.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
  state_ = State::Ended;
  if (onFinished) onFinished();
}

void ImportJob::endBecause(std::string outcome) {
  summary_.outcome = std::move(outcome);
  end(false);
}

}  // namespace qv
