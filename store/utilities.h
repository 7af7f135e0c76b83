#pragma once
// The small shared procedures beside the record writes: the form save of the
// browses' record forms, the queue error report, the stopwatch, the file
// helpers, the progress scaling and the free-disk-space check, and the
// launcher of procedures by code (SemaFore) with the library's own in-place
// codes.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "store/context.h"

namespace qv {

// ---------------------------------------------------------------------------
// Procedures by code

// The in-place codes the library itself answers.
inline constexpr int kSemaClearDefinitions = 209;
inline constexpr int kSemaTransactionCheck = 212;

// Runs the procedure registered for `code` (Library::registerProcedure) on
// this context and answers its result (each procedure's own named result,
// passed on as its number); a code with nothing registered does
// nothing and answers 0. Windows that run in threads of their own are
// registered by the program, whose procedure starts the thread and returns.
std::uint8_t SemaFore(Context& ctx, int code);

// Registers the library's own in-place procedures: 209 ClearFromDefinitions
// and 212 TransactionCheck.
void registerLibraryProcedures(Library& lib);

// What TransactionCheck answers.
enum TransactionCheckResult : std::uint8_t { kTransactionStarted = 0, kTransactionFailed = 1 };

// Checks the start of a transaction, right after Session::logout, from the
// session's last error: kTransactionStarted when it started; otherwise,
// unless unattended, "Transaction Frame Error!\r\n" + the engine's text is
// shown under "Warning!", a transaction still running is rolled back, and
// kTransactionFailed answered.
TransactionCheckResult TransactionCheck(Context& ctx);

// Before the active database (ctx.mem.ForumNumber) is removed: every import
// definition whose BAT:DATABASE names it gets DATABASE 0 and FORUMMSG 0,
// every one whose BAT:MAILBOX names it MAILBOX 0 and MAILMSG 0, each
// rewritten through UppDat in mode 7. kDefinitionsCleared when all of them
// were cleared (also when none named it); kDefinitionsNotCleared when the
// definitions could not be read through or one could not be held or
// rewritten (each reported). With no active
// database (0) nothing is touched: 0 is "none" in those fields, not a
// database. BAT is opened through OP_CLOSE (which stops the program when it
// cannot be) and released again.
enum ClearDefinitionsResult : std::uint8_t { kDefinitionsCleared = 0, kDefinitionsNotCleared = 1 };
ClearDefinitionsResult ClearFromDefinitions(Context& ctx);

// ---------------------------------------------------------------------------
// Form save

// The list behind a browse whose record form is being saved. The queue knows
// which of its lines the form was opened on; SaveRec only tells it what to
// show there.
class ListQueue {
 public:
  virtual ~ListQueue() = default;
  // A line for a record just stored at `position`.
  virtual void insertLine(std::span<const unsigned char> record, engine::Position position) = 0;
  // The form's line now shows these record values.
  virtual void updateLine(std::span<const unsigned char> record) = 0;
  // The form's record is gone from the table.
  virtual void removeLine() = 0;
  virtual void redraw() = 0;
};

// The requests of a form (GlobalRequest).
enum FormRequest : int { kInsertRecord = 1, kChangeRecord = 2, kDeleteRecord = 3 };

// What SaveRec answers: "OK", a blank text, or 0.
enum class SaveOutcome {
  Blank,   // insert done; or nothing written (another user changed the record)
  Ok,      // "OK": the change or deletion is stored
  Failed,  // 0: the record could not be held, rewritten or deleted (already reported)
};

struct SaveResult {
  SaveOutcome outcome = SaveOutcome::Failed;
  // Insert: where the new record is stored, for later change and delete
  // requests of the same form. Otherwise the position the caller gave.
  engine::Position position = 0;
};

// Saves a record form of a browse. `buffer` is the table's record buffer
// (the one bound to `table`, e.g. ctx.cod for Codes), `form` the values the
// user edited and `saved` the copy taken when the form opened; all three are
// table.decl().recordSize bytes (std::invalid_argument otherwise).
//
// - Insert: the form has stored the new record itself from the table's
//   buffer (UppDat add); SaveRec adds a line with the buffer's values at the
//   table's last written position, takes them as `saved`, redraws, and
//   answers Blank with that position.
// - Change, delete: the stored record at `position` is read and held again
//   (HoldRec, which reports why it cannot be: Failed, nothing changed).
//   When it differs from `saved`, another user changed it: "Warning!" / "The
//   record has just been changed by another user!\r\nTry again!" is shown,
//   the stored values go into `form`, `saved` and the queue line, the hold
//   is released, and the answer is Blank — so the user's retry is compared
//   with what is stored now, not again with the stale copy. Otherwise the
//   form's values are rewritten (change) or the record is deleted, through
//   UppDat in mode 7: Ok, after which the queue line is updated (or removed)
//   and `saved` holds what is stored; Failed when UppDat failed (reported
//   there, hold released), with the queue line still showing the stored
//   values and the form keeping the user's edits for another try.
// - Any other request: Failed, nothing touched.
//
// The memo of a table with one is neither compared nor written here.
SaveResult SaveRec(Context& ctx, engine::File& table, std::span<unsigned char> buffer, std::span<unsigned char> form,
                   std::span<unsigned char> saved, ListQueue& queue, int request, engine::Position position);

template <class Record>
SaveResult SaveRec(Context& ctx, engine::File& table, Record& buffer, Record& form, Record& saved, ListQueue& queue,
                   int request, engine::Position position) {
  auto bytes = [](Record& r) { return std::span<unsigned char>(reinterpret_cast<unsigned char*>(&r), sizeof r); };
  return SaveRec(ctx, table, bytes(buffer), bytes(form), bytes(saved), queue, request, position);
}

// ---------------------------------------------------------------------------
// Queue error report

// Reports the outcome of the last operation on an in-memory queue, given as
// an engine error number and text (0: it succeeded).
// - 0, and 30 (entry not found — an expected answer of a search): kQueueOk,
//   silent.
// - Otherwise kQueueError. Mode 7 shows "Queue access error\r\n" + detail under the
//   severity; mode 8 rolls the session's transaction back and shows
//   "Queue access error\r\n" + detail + "\r\nThe last transaction is rolled
//   back." under "Fatal error". Detail and severity: 8 "Insufficient
//   memory!" / "Fatal error!", 75 "Invalid field type descriptor!" / "Fatal
//   error!", any other the given text (the engine's standard text when it is
//   empty) / "Warning!". Unattended nothing is shown (the rollback still
//   happens); other modes neither show nor roll back.
enum QErrorResult : std::uint8_t { kQueueOk = 0, kQueueError = 1 };
QErrorResult QError(Context& ctx, int mode, int errorCode, std::string_view errorText);

// ---------------------------------------------------------------------------
// Stopwatch

enum StartStopOp : int { kStopwatchClear = 0, kStopwatchStart = 1, kStopwatchStop = 2 };
inline constexpr int kStopwatchSlots = 20;

// Slots are numbered 1 to 20. Operation 0 clears all slots; 1 notes the
// current date and clock in the slot; 2 notes them as the stop and answers
// the whole seconds since the start, over midnight and over several days.
// Answers 0 for operations 0 and 1, for a slot outside 1-20 or an unknown
// operation (nothing changes), for a slot that was never started, and when
// the stop lies before the start (the clock was set back). Elapsed times
// beyond the LONG range answer its maximum.
std::int32_t StartStop(Context& ctx, int op, int slot);
// The same at a given date (day number) and clock (hundredths + 1).
std::int32_t StartStop(Context& ctx, int op, int slot, std::int32_t date, std::int32_t clock);

// ---------------------------------------------------------------------------
// File helpers

enum DOSFuncOp : int { kDosRemoveFile = 3, kDosRemoveMask = 4, kDosExists = 5 };

// File operations by name. `name` is taken inside `directory` when that is
// given (leading "\" or "/" of the name are dropped, so a mask written
// "\*.TPS" works), else as it stands.
// - 3 removes one file: kDosDone when it is gone (also when it never
//   existed); kDosNotDone when it cannot be removed, after "No access rights - the file " + name
//   + " cannot be removed" (permission denied, read-only file system) or
//   "The file " + name + " is open and cannot be removed" (title "File
//   Deletion Error!"). "Open" means: a table file that a handle of any
//   process has open (its lock companion's open mark is taken), or a file
//   the system refuses as busy. Any other failure (a directory of that name,
//   an I/O error) shows "The file " + name + " cannot be removed\r\n" and the
//   system's reason under the same title. The engine's companions of a
//   removed file (lock file, rollback journal, files of an unfinished
//   create) go with it, so a table created later under the same name cannot
//   meet a stale journal.
// - 4 removes every file matching the mask `name` in `directory`, each as in
//   3; when any removal failed (or the directory could not be read) it also
//   shows "One or more files have not been \r\nremoved in subdirectory " +
//   directory (same title) and answers kDosNotDone, else kDosDone.
//   Directories are never removed.
// - 5 answers kDosDone when any regular file matches the name or mask.
// - Other operations, and an empty name: kDosNotDone. Messages are not shown while
//   unattended.
enum DosFuncResult : std::uint8_t { kDosNotDone = 0, kDosDone = 1 };
DosFuncResult DOSFunc(Context& ctx, int op, std::string_view name, const std::filesystem::path& directory);

// Total size in bytes of the regular files (not directories) that match the
// name or mask (its last component may hold "*" and "?"); 0 when none
// matches. Sums above 4294967295 answer 4294967295.
std::uint32_t GetFSize(const std::filesystem::path& nameOrMask);

// ---------------------------------------------------------------------------
// Progress scaling

struct CalcMaxResult {
  std::int32_t n = 1;       // count in steps of n ...
  std::int16_t scaled = 0;  // ... so that the range x / n stays within 32767
};

// The smallest n >= 1 with x / n <= 32767, and x / n truncated. Not-a-number
// gives {1, 0}; negative counts {1, x} (held at -32768); counts too large for
// a LONG divisor hold n at its maximum and the scaled value at 32767.
CalcMaxResult CalcMax(double x);

// ---------------------------------------------------------------------------
// Free disk space

struct FreeSpace {
  std::uint64_t bytes = 0;           // available to this user
  std::filesystem::path mountPoint;  // top of the file system that holds the path
};

// How much is free on the file system holding `path` (or its nearest
// existing parent), by statvfs (f_bavail x f_frsize). The mount point is
// found by walking up from the canonical path while the device number stays
// the same: the top of that file system as this process sees it. (A bind
// mount of a directory onto the same file system is not told apart from
// it; the walk goes on above it.) Empty when nothing of the path exists or
// the system cannot say.
std::optional<FreeSpace> queryFreeSpace(const std::filesystem::path& path);

using FreeSpaceQuery = std::function<std::optional<FreeSpace>(const std::filesystem::path&)>;

// kSpaceStop = do not go on, kSpaceGoOn = go on. When the file system holding `path` has fewer
// free bytes than needed: while a scheduled task runs (unattended) 1 without
// a question; otherwise a beep and the question "You have only " + the free
// bytes (13 characters, right-aligned, with thousands separators) + " bytes
// free on disk " + the file system's mount point + " This may be too little
// ..." under "Warning", OK answering 0 and Cancel 1. When the free space
// cannot be determined (nothing of the path exists) there is no check: 0.
// The mount point named is the one of the file system measured, so the
// question never names another disk than the one it counted.
enum CheckSpaceResult : std::uint8_t { kSpaceGoOn = 0, kSpaceStop = 1 };
CheckSpaceResult CheckSpace(Context& ctx, std::uint64_t bytesNeeded, const std::filesystem::path& path);
CheckSpaceResult CheckSpace(Context& ctx, std::uint64_t bytesNeeded, const std::filesystem::path& path,
                            const FreeSpaceQuery& query);

// "1,234,567" right-aligned in 13 characters; longer numbers are not cut.
std::string formatFreeBytes(std::uint64_t bytes);

}  // namespace qv
