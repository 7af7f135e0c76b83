#pragma once
// The contract between the import driver and the format readers.
//
// A reader converts one source file into records of the temporary message
// file (NewHR, with carbon copies in CCT and message identifiers in TempID).
// The driver calls it with ReaderPhase::Open (open and prepare the file), for
// the filing cabinet also ReaderPhase::FirstPass, then repeatedly
// ReaderPhase::Convert (convert the next slice); each call does a bounded
// slice (about ImportRun::budget messages or records), adds what it consumed
// to ImportRun::progress, and answers true when the file is finished. A
// message the reader cannot read is counted as skipped with where and why,
// and reading goes on.
//
// Readers are registered with the Library by format name (registerReader);
// the driver creates one reader per file.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "import/settings.h"
#include "import/targets.h"
#include "store/context.h"

namespace qv {

// The phases of a reader's work on one file, with the numbers the import
// has always called them by.
enum class ReaderPhase : int {
  Open = 199,       // open and prepare the file
  FirstPass = 171,  // the filing cabinet's pass that lists its objects
  Convert = 99,     // convert the next slice
};

// What a capture-text reader found in its file during the open phase.
enum class ContentKind { None, Forum, Mail };

struct SourceFile {
  std::filesystem::path name;
  std::uint32_t size = 0;
};

// One damaged or unreadable message, for the log.
struct SkippedMessage {
  std::filesystem::path file;
  std::uint64_t offset = 0;  // where in the file
  std::string why;
};

// The import as a reader sees it. The driver owns it; a reader test can make
// one of its own.
class ImportRun {
 public:
  ImportRun(Context& context, const ImportSettings& values, TargetList& list)
      : ctx(context), settings(values), targets(list) {}

  Context& ctx;  // record buffers: nhr, nhrMemo, cct, tid; tables NewHR, CCT, TempID open
  const ImportSettings& settings;
  TargetList& targets;
  SourceFile file;               // the file being converted
  std::uint32_t runCounter = 0;  // the next mail or newsgroup message number
  std::uint64_t progress = 0;    // bytes or records consumed so far in the run
  int budget = 25;               // messages or records per call
  std::int32_t runDate = 0;      // when the import started (the same for all its messages)
  std::int32_t runTime = 0;

  std::uint64_t converted = 0;   // records appended to NewHR
  std::uint64_t appendedBytes = 0;  // what the appends to the temporary tables wrote (records and texts)
  bool failed = false;           // a write failed (reported): the run ends
  std::vector<SkippedMessage> skipped;

  // A number for a mail or newsgroup message (or a referenced one).
  std::uint32_t nextRunNumber() { return runCounter++; }

  // The target database of that name and wanted type (3 newsgroup, else
  // forum), found or added to the run's target list; a new one takes its
  // identifier from the run counter. Null when none can be had.
  TargetDatabase* target(std::string_view name, std::uint8_t wantedType) {
    return targets.findOrCreate(ctx, name, wantedType, &runCounter);
  }

  // Whether a message for `db` is to be converted: the database takes
  // imports, the filter is not "create only", and — for a forum message when
  // re-import is off — the pair (database, number) is not in SaveFile yet.
  bool wanted(const TargetDatabase& db, std::uint32_t forumMessageNumber = 0);

  // Appends ctx.nhr with ctx.nhrMemo (cut to 64,000 bytes) for `db` and
  // marks the database touched; fills NHR:INTERNAL. False on a write error
  // (the run then ends; reported).
  bool appendMessage(TargetDatabase& db);
  // One carbon-copy recipient of the mail just appended.
  bool appendCarbonCopy(std::string_view name, std::string_view address, std::string_view recipType);
  // A message identifier and the number it goes by in this run.
  bool appendMessageId(std::string_view idString, std::uint32_t number);

  void skip(std::uint64_t offset, std::string why) { skipped.push_back({file.name, offset, std::move(why)}); }

  // The database list record of the mail database the import names (for
  // the own-address check); null when none is named or it does not exist.
  const Forums* mailDatabase();

 private:
  // What was appended in this run, so that a message met twice (the same
  // forum message in two capture files, a recipient listed twice) is
  // converted once and the temporary file's unique keys can be built.
  std::set<std::pair<std::uint32_t, std::uint32_t>> messages_;
  std::set<std::tuple<std::uint32_t, std::string, std::string>> copies_;
  std::set<std::uint32_t> ids_;
  std::optional<Forums> mailDb_;
  bool mailDbLoaded_ = false;
};

class Reader {
 public:
  virtual ~Reader() = default;
  // Open opens and prepares `run.file`, FirstPass runs a first pass,
  // Convert converts the next slice. True when the file is finished (or
  // cannot be read: the reader has then said why, or counted it as skipped).
  virtual bool call(ReaderPhase phase, ImportRun& run) = 0;
  // Readers of capture text tell what kind of content the open phase found;
  // a file with none is not theirs and is skipped with a warning.
  virtual bool reportsContent() const { return false; }
  virtual ContentKind contentKind() const { return ContentKind::None; }
};

// Registers the reader of one format (by its catalogue name); a second
// registration under the same name replaces the first.
void registerReader(Library& lib, std::string_view format, ReaderFactory factory);
// A new reader for the format; null when none is registered.
std::unique_ptr<Reader> makeReader(Library& lib, std::string_view format);

}  // namespace qv
