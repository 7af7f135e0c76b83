#pragma once
// The library's state: what the whole process shares (Library) and what one
// thread of work — a window, a job, a command — has for itself (Context):
// the shared globals (Mem:ForumNumber → ctx.mem.ForumNumber,
// MasIdxPath, FileName, FileTmpName …), one current-record buffer and one
// table handle per table, and the dispatcher's use counts.
//
// A Context belongs to one thread. The active database a new Context starts
// with is the one the program last published (Library::publish).

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "store/context_records.h"
#include "store/domain.h"
#include "store/engine/engine.h"
#include "store/engine/file.h"
#include "store/engine/session.h"
#include "store/keyed_register.h"
#include "store/settings.h"
#include "store/tables.h"
#include "store/ui_port.h"

namespace qv {

class Reader;
// Makes a reader for one source file of a format (import/reader.h).
using ReaderFactory = std::function<std::unique_ptr<Reader>()>;
class FolderSource;
// Makes the folder source of a format that reads a mail client's folders
// (import/folder_source.h).
using FolderSourceFactory = std::function<std::unique_ptr<FolderSource>()>;

// The Mem: group of shared globals.
struct MemGroup {
  std::filesystem::path Net;      // the data home
  std::filesystem::path FileDir;  // below it lie the database directories F<n>
  std::filesystem::path TempDir;
  std::string Dirnamn = "CFG";    // the active database's directory name, "F" + number
  FixedString<100> Description;
  std::uint32_t ForumNumber = 0;  // 0: no active database
  std::uint8_t ForumType = 0;     // DatabaseType
  std::uint8_t TargetNG = 0;
  std::uint8_t ForumCheck = 0;  // the active database's Status
  std::uint32_t PersonID = 0;
  std::int32_t WordListIndexNeedsUpdate = 0;
  std::uint8_t DoTask = 0;  // TaskMode
};

class Context;

class Library {
 public:
  explicit Library(UiPort& port) : ui(port) {}
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  UiPort& ui;
  engine::Engine engine;
  Settings settings;
  // Word indexing runs: the program may not end, and the index tables are busy.
  std::atomic<int> IndexingInProgress{0};
  // Open work windows as the scheduler counts them: a due task starts only
  // when none is open. Never below 0.
  std::atomic<int> workWindows{0};
  // The current message of the browses, for their companion windows.
  ContextRecords contexts;

  // The globals new contexts start with.
  void publish(const MemGroup& mem, const std::filesystem::path& masIdxPath);
  MemGroup published(std::filesystem::path* masIdxPath = nullptr) const;

  // Procedures started by code through SemaFore; codes whose windows belong
  // to the program are registered by it.
  using Procedure = std::function<std::uint8_t(Context&)>;
  void registerProcedure(int code, Procedure p);
  Procedure procedure(int code) const;

  // The format readers of the import, by format name (import/reader.h).
  void registerReaderFactory(const std::string& format, ReaderFactory factory);
  ReaderFactory readerFactory(const std::string& format) const;
  // The folder sources of the formats that read a client's folders.
  void registerFolderSourceFactory(const std::string& format, FolderSourceFactory factory);
  FolderSourceFactory folderSourceFactory(const std::string& format) const;

 private:
  mutable std::mutex mutex_;
  MemGroup published_;
  std::filesystem::path publishedMasIdxPath_;
  KeyedRegister<int, Procedure> procedures_;
  KeyedRegister<std::string, ReaderFactory> readers_;
  KeyedRegister<std::string, FolderSourceFactory> folderSources_;
};

class Context {
 public:
  explicit Context(Library& lib);
  ~Context();
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  Library& lib;
  UiPort& ui;
  MemGroup mem;
  std::filesystem::path MasIdxPath;
  std::filesystem::path FileName;     // the name of the table being opened
  std::filesystem::path FileTmpName;  // the name of tables whose name the caller chooses
  std::uint8_t GlobalRequest = 0;     // 1 insert, 2 change, 3 delete
  std::uint8_t GlobalResponse = 0;    // 1 done, 2 cancelled
  engine::Session session;

  // The last message or question given to the user through show, inform,
  // ask or stop (store/report.h) — kept also when an unattended run does not
  // show it — so that work a message ended can name the reason afterwards.
  struct Reported {
    std::string title;
    std::string text;
  } lastReported;

  // Unattended: a scheduled task runs; information and warnings are not
  // shown and questions take their safe answer.
  bool unattended() const { return isUnattended(taskMode(mem.DoTask)); }

  // Record buffers, named after each table's prefix.
  Codes cod{};
  Forums for_{};
  MsgNmbr msg{};
  MsgText txt{};
  std::string txtMemo;  // TXT:MsgText
  Person per{};
  Sections sec{};
  Threads thr{};
  Control ctl{};
  SIndex sin{};
  NewHR nhr{};
  std::string nhrMemo;  // NHR:MSGTEXT
  HRE hre{};
  std::string hreMemo;  // HRE:MSG_TEXT
  DOS dos{};
  Mail mai{};
  CCR ccr{};
  SaveFile imp{};
  CCT cct{};
  CCO cco{};
  std::string ccoMemo;  // CCO:MSG_TEXT
  CMA cma{};
  std::string cmaMemo;  // CMA:MSG_TEXT
  REF ref{};
  PLINK pli{};
  TempID tid{};
  MsgString mst{};
  TAS tas{};
  FLI fli{};
  WordList wor{};
  MasIdx mas{};
  STO sto{};
  TOC toc{};
  Search sea{};
  PUR pur{};
  BAT bat{};
  TIM tim{};
  WD wd{};
  OUI oui{};
  std::string ouiMemo;  // OUI:MSG_BODY
  TLO tlo{};
  TLI tli{};
  Neo neo{};
  DBM dbm{};
  std::string dbmMemo;  // DBM:M_BODY
  DBA dba{};
  DBF dbf{};
  std::string dbfMemo;  // DBF:M_BODY
  DBN dbn{};
  std::string dbnMemo;  // DBN:M_BODY
  AOL aol{};

  // The handle of a table by file number; null for a number that names none.
  engine::File* findFile(int fileNo);
  engine::File& file(int fileNo);
  template <class T>
  engine::File& fileOf() {
    return file(T::FileNo);
  }

  // Use counts of the table dispatcher, by file number.
  std::array<std::uint32_t, kHighestFileNo + 1> useCount{};
  // How many times this context's table probes raised IndexingInProgress
  // (a table of another layout): the probe's caller lowers it again once it
  // has dealt with the file, so the program can still end.
  int probeRaised = 0;

  // Stopwatch slots (StartStop).
  struct Stopwatch {
    std::int32_t startClock = 0, startDate = 0, stopClock = 0, stopDate = 0;
  };
  std::array<Stopwatch, 20> stopwatch{};

  // The typed-ahead locator (IncrementStep).
  struct Locator {
    std::string text;
    std::int64_t lastKeyMs = 0;  // steady clock, milliseconds
    int delayTenths = 15;
  } locator;

 private:
  std::array<std::unique_ptr<engine::File>, kHighestFileNo + 1> files_;
};

}  // namespace qv
