#pragma once
// The installation's settings: loaded once at start-up from the settings
// records of the Control table (CFG/IDX008.TPS) into memory, read and
// changed there through numbered items, and written back on request (the
// configuration window's "Save changes").
//
// The settings live in Library::settings and are shared by every thread of
// work; every procedure here may be called from any thread. The identifier
// counter in Control record 1 belongs to NextNr: saving the general settings
// re-reads the record inside a transaction and keeps the counter it finds,
// so a save never moves the counter back. Every write runs in a short
// transaction on a session of its own; a thread that holds a transaction
// over Control must not save settings (the save would wait for it and fail).
//
// A stored 0 means "the default": the defaults below are what a fresh
// installation gets, and a load writes them into the records at once.
//
// Common outcomes:
// - An item number an operation does not know: the stop message "Internal
//   Error - invalid xType =" followed by the number, asked as a question so
//   that the user may end the program there (Yes: Halt is thrown) or go on
//   (No, and always when unattended: the call gives 0 and changes nothing).
// - A failed save shows the message of Neo texts 27 (title) and 28 (text),
//   gives 0, and leaves the settings in memory as they were set.
// - A failed load (the Control table cannot be read or written) shows what
//   failed and gives 0; the start-up then ends. A Control file that cannot
//   be opened at all ends the program in the table dispatcher.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "store/context.h"

namespace qv {

// Konfig operations.
enum KonfigOp : int {
  kKonfigLoadGeneral = 1,
  kKonfigSetGeneral = 2,
  kKonfigGetGeneral = 3,
  kKonfigSaveGeneral = 4,
  kKonfigLoadDisplay = 6,
  kKonfigSetDisplay = 7,
  kKonfigGetDisplay = 8,
  kKonfigSaveDisplay = 9,
  kKonfigLoadImportPath = 23,
  kKonfigSetImportPath = 24,
  kKonfigGetImportPath = 25,
  kKonfigSaveImportPath = 26,
};

// Item numbers. General settings (Konfig 2 and 3), with their defaults:
inline constexpr int kItemToolTips = 2;         // 1 yes, any other value no; 1
inline constexpr int kItemLocatorDelay = 3;     // tenths of a second, 1-35 (others count as 15); 15
inline constexpr int kItemTreeFloating = 4;     // tree window floats: 1 yes, other no; 1
inline constexpr int kItemStartDatabase = 6;    // FOR:ID of the database shown at start-up; 0 none
inline constexpr int kItemGeneral9 = 9;         // kept and saved; 1
inline constexpr int kItemDateFormat = 10;      // 2, 6, 10 or 17 (dates.h); 17
inline constexpr int kItemProgramVersion = 11;  // version of the stored data (470 = 4.70); 0
inline constexpr int kItemImportFormat = 12;    // format number of the import catalogue; 17
inline constexpr int kItemTimeFormat = 13;      // 1, 3 or 7 (dates.h); 7
inline constexpr int kItemTreeItemFormat = 16;  // 1-5; 2
inline constexpr int kItemMailDatabase = 19;    // FOR:ID of the default mail database; 0 none
inline constexpr int kItemExportMail = 61;      // export format last used for mail; 1
inline constexpr int kItemExportForum = 62;     // for forums; 1
inline constexpr int kItemExportNews = 63;      // for newsgroups; 5
inline constexpr int kItemFrameOpenMode = 66;   // open mode of the frame window; 1
// The import path (Konfig 24 and 25).
inline constexpr int kItemImportPath = 14;
// Display settings (Konfig 7 and 8):
inline constexpr int kItemTabColour = 22;       // colours: 24-bit, red in the low byte; 255
inline constexpr int kItemReadOnlyColour = 23;  // 12632256
inline constexpr int kItemKeepColour = 24;      // 8388608
inline constexpr int kItemDeleteColour = 25;    // 255
inline constexpr int kItemSpeedDuplicates = 26; // speed choices 1-7; 4 each
inline constexpr int kItemSpeedPurge = 27;
inline constexpr int kItemSpeedIndexing = 28;
inline constexpr int kItemSpeedFind = 29;
inline constexpr int kItemSpeedImport = 30;
inline constexpr int kItemSpeedReading = 31;    // SpeedVal kind only: follows the import choice
inline constexpr int kItemImportTiming = 32;    // 1: show the time an import took; 0
inline constexpr int kItemListFont = 33;        // fonts: typeface (20 characters) and size; "Arial", 8
inline constexpr int kItemTreeFont = 34;
inline constexpr int kItemEntryFont = 35;
inline constexpr int kItemTextFont = 36;
inline constexpr int kItemMessagePersons = 38;  // person display, message browse: 2 "Name+address", other "Name"; 2
inline constexpr int kItemMailPersons = 39;     // the same for the mail browse; 2
inline constexpr int kItemTaskPeriodStart = 46; // task restriction period, times (dates.h); 0 none
inline constexpr int kItemTaskPeriodEnd = 47;
inline constexpr int kItemTasksOff = 48;        // 1: all scheduled tasks deactivated; 0
inline constexpr int kItemExportWidth = 58;     // line width of the text export; 78
inline constexpr int kItemExportWrap = 59;      // 1
inline constexpr int kItemImportDateOrder = 64; // date order of imported date texts: 1 (or 0) month-day-year,
                                                // 2 day-month-year, 3 year-month-day
// Display items 37, 40, 42, 57, 60 and 65 are kept and saved; their default is 0.
// Directory items (AutoPath):
inline constexpr int kItemTempDir = 17;   // temporary files; default data home/TEMP
inline constexpr int kItemDataDir = 18;   // the directory holding the database directories; default the data home
inline constexpr int kItemIndexDir = 19;  // word-index files (MasIdxPath); default the database directory (item 18)

// Neo texts of the message shown when settings cannot be saved.
inline constexpr std::uint32_t kNeoSaveErrorTitle = 27;
inline constexpr std::uint32_t kNeoSaveErrorText = 28;

// What the settings procedures answer (Konfig, AutoPath, WindowPos,
// WindowPos2, ListCol, loadSettings and the settings window's save).
enum SettingsResult : std::uint8_t { kSettingsNotDone = 0, kSettingsDone = 1 };

// General settings, display settings and the import path.
// - 1, 6, 23 load the record (created when missing, zeros replaced by the
//   defaults, written back at once; for record 1 a counter below 250000 is
//   raised to 250000). Op 1 also writes Neo texts 27 and 28 when Neo lacks
//   them. kSettingsDone on success.
// - 2, 7 set an item from `value`; font items (33-36) take the typeface from
//   `text` and the size from `value`; a typeface over 20 characters is
//   refused with a message (kSettingsNotDone, nothing changed). Colour 0 is black.
//   24 sets item 14 from `text`; a path over 254 characters is refused.
// - 3, 8 get an item into `value` (fonts: typeface into `text`); 25 gets
//   item 14 into `text`. A text longer than `size` (when not 0) is refused,
//   never cut: kSettingsNotDone, `text` unchanged.
// - 4, 9, 26 save the record.
// Sets change memory only; nothing reaches the file before a save.
SettingsResult Konfig(Context& ctx, int op, int item, std::int32_t& value, std::size_t size, std::string& text);

// Shorthands for readers of a single setting: Konfig 3 or 8 (0 after the
// question for an unknown item).
std::int32_t generalSetting(Context& ctx, int item);
std::int32_t displaySetting(Context& ctx, int item);
// The locator delay in tenths of a second (values outside 1-35 count as 15).
std::int32_t locatorDelay(Context& ctx);

enum AutoPathOp : int { kAutoPathLoad = 1, kAutoPathSet = 2, kAutoPathGet = 3, kAutoPathSave = 4 };

// The directories (record 4), items 17, 18 and 19.
// - 1 loads the record, creating it when missing with the defaults
//   (data home/TEMP, the data home, and the database directory for 19).
// - 2 sets an item. An empty path restores the default; a path equal to the
//   default is stored as the default (so it follows the data home). A path
//   that is not absolute, or that does not fit the room the three paths
//   share (254 bytes together), is refused with a message: kSettingsNotDone, nothing
//   changed. A path is never cut.
// - 3 gets an item (its default when none is stored); longer than `size`
//   (when not 0): kSettingsNotDone, `path` unchanged.
// - 4 saves the record.
SettingsResult AutoPath(Context& ctx, int op, int item, std::size_t size, std::filesystem::path& path);

enum SpeedValOp : int { kSpeedCompute = 2, kSpeedGet = 3 };

// Speed options. Op 2 computes the batch sizes of kinds 26 to 31 from the
// five speed choices (display items 26-30) and gives kSettingsDone; op 3
// gives the batch size of a kind 26 to 31. An unknown kind or operation
// gives kSettingsNotDone after the stop question. Before op 2 the sizes are
// those of choice 4.
std::int32_t SpeedVal(Context& ctx, int op, int kind);

// The configured date display format (item 10): `name` gets its name as the
// user sees it ("mm-dd-yyyy", "dd-mm-yyyy", "yyyy-mm-dd", "Windows setting"),
// `picture` the format number to pass to dates::formatDate. The result is
// the item's value; a value without a format of its own shows as the
// system's setting.
std::int32_t SetDate(Context& ctx, std::string& name, int& picture);
// The same for the time display format (item 13; "hh:mm", "hh:mmXM",
// "Windows setting"; dates::formatTime).
std::int32_t SetTime(Context& ctx, std::string& name, int& picture);

// The text of Neo record n: its 100 bytes, or 100 blanks when there is no
// such record or the table cannot be read (a text is never a reason to stop).
std::string CallNeo(Context& ctx, std::uint32_t n);

// The start-up's configuration load after the directories: AutoPath 1,
// Konfig 1, 6 and 23 and SpeedVal 2, in that order, stopping at the first
// failure. kSettingsDone when all succeeded. The program's window layouts are loaded
// after it by the program itself (app/windows/window_layouts.h).
SettingsResult loadSettings(Context& ctx);

}  // namespace qv
