#pragma once
// The import driver: one import from start to end, as a job.
//
// Conversion: the source files are taken one by one and handed to the
// format's reader, which fills the temporary message file (NewHR, CCT,
// TempID). Merge: database by database, the temporary records are merged
// into the databases that received messages, then the counts of persons,
// threads and sections and the database list's message count are updated.
// Each step() does one bounded slice (one reader call; up to the import/merge
// batch of records), so the run can be watched and cancelled.
//
// Interactive runs report through the Context's UI port; a scheduled run
// (Mem:DoTask 2) shows nothing, and a warning that would ask the user ends
// it instead. Whatever happens, databases hold only whole transactions:
// cancelling before the merge leaves them unchanged, cancelling during the
// merge keeps what was merged, and a run killed at any moment can be run
// again to completion.
//
// Only one run at a time works in a temporary directory: a run takes the
// import lock (import/import_lock.h) at its start, before it touches any
// table, and holds it until it ends, whatever the outcome. A run that finds
// the lock taken is refused: it shows why (kImportBusyTitle,
// importBusyText) and ends, having changed nothing.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "import/import_lock.h"
#include "import/merge.h"
#include "import/reader.h"
#include "import/settings.h"
#include "import/targets.h"
#include "import/folder_source.h"
#include "store/job.h"
#include "store/utilities.h"

namespace qv {

struct ImportSummary {
  std::uint64_t files = 0;      // source files converted
  std::uint64_t converted = 0;  // temporary records written
  std::uint64_t imported = 0;   // messages stored
  std::uint64_t skipped = 0;    // messages not stored (duplicates, already imported, unreadable)
  std::vector<std::string> databases;  // names of the databases that received messages
  std::vector<std::uint32_t> databaseIds;  // and their identifiers, in the same order
  double seconds = 0;
  double conversionSeconds = 0;  // of which the conversion (reading the sources)
  bool completed = false;  // reached its end (not cancelled, not failed)
  // How the run ended: "The import process has finished!" or "No messages
  // to import!" when it reached its end; otherwise what ended it — the first
  // line (first sentence) of the message that said so, the title and the
  // error for a key build error, "Import process interrupted" for a cancel,
  // and "Import unsuccessful!" when no message gave a reason.
  std::string outcome;
  std::vector<SkippedMessage> unreadable;  // what the readers could not read
};

class ImportJob final : public Job {
 public:
  // `ctx` is the import's own thread of work; its globals name the data
  // directories. The settings are copied.
  ImportJob(Context& ctx, ImportSettings settings);
  ~ImportJob() override;

  bool step() override;

  const ImportSummary& summary() const { return summary_; }
  // Called once when the run ends, whatever the outcome (the program posts
  // "ImportMeny" to its frame from here).
  std::function<void()> onFinished;
  // How much disk is free where; tests replace it.
  FreeSpaceQuery freeSpace = queryFreeSpace;
  // Called when a source file has been converted, inside the step that
  // finished it: a test can stop stepping (or block) here to hold the run
  // at a known point.
  std::function<void(const SourceFile&)> onFileConverted;

 private:
  enum class State {
    Start, NextFile, Convert, ConversionDone, NextDatabase, Merge, CountPersons, CountThreads,
    CountSections, DatabaseDone, SaveFileIndex, Finished, Ended
  };

  void start();
  // A format that reads a client's folders: starts the client and takes
  // the chosen folders as the sources. False when the run ended (reported).
  bool startFolders();
  void nextFile();
  void convert();
  void conversionDone();
  void nextDatabase();
  void mergeSlice();
  void countStep(State next, bool (DatabaseMerge::*add)(), const char* nextText);
  void databaseDone();
  void saveFileIndex();
  void finish();

  // Ends the run: commits what is open, releases the control file, deletes
  // the temporary files, lets go of the import lock, and reports. A run
  // that did not complete and has no outcome yet takes the message that
  // ended it (the Context's last report within this step) as its outcome.
  void end(bool completed);
  // Ends a run that did not complete, for the reason given.
  void endBecause(std::string outcome);
  bool cancelHere();
  // The free-space check with one of the three warning texts; false: stop.
  bool enoughSpace(const std::filesystem::path& dir, std::uint64_t need, const std::string& why);
  // Whether the conversion looks at the free disk space after this slice.
  bool spaceCheckDue();
  bool beginTransaction();
  bool commit();
  void restoreGlobals();
  void say(const std::string& title, const std::string& text, MessageKind kind = MessageKind::Warning);
  void setText(const std::string& text);

  Context& ctx_;
  ImportSettings settings_;
  ImportLock lock_;
  bool scheduled_;
  TargetList targets_;
  ImportRun run_;
  State state_ = State::Start;
  std::string stepText_;
  std::chrono::steady_clock::time_point started_;

  // Conversion.
  std::vector<SourceFile> files_;
  std::size_t nextFile_ = 0;
  std::unique_ptr<Reader> reader_;
  ReaderPhase phase_ = ReaderPhase::Convert;
  std::int64_t range_ = 0;
  bool perFileProgress_ = false;
  std::optional<std::uint64_t> spaceCheckedAt_;  // run_.appendedBytes at the last disk-space check
  bool controlLocked_ = false;
  bool tempOpen_ = false;
  std::unique_ptr<FolderSource> folders_;  // a format that reads a client's folders only

  // Merge.
  std::vector<TargetDatabase*> databases_;
  std::size_t nextDatabase_ = 0;
  TargetDatabase* current_ = nullptr;
  std::unique_ptr<DatabaseMerge> merge_;
  std::vector<int> tables_;
  std::int64_t merged_ = 0;
  std::int64_t tempRecords_ = 0;
  int batch_ = 50;
  MemGroup savedMem_;
  ImportSummary summary_;
};

}  // namespace qv
