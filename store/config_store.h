#pragma once
// Reading and writing the settings records of the Control table and the
// texts of the Neo table, for the configuration code only.

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>

#include "store/config.h"
#include "store/config_records.h"
#include "store/context.h"

namespace qv::config {

enum class Read { Found, Missing, Failed };

// Reads Control record `id` through the table dispatcher into `image` (all
// zeros when the record is missing); `counter`, when given, gets
// CTL:NEXTNUMBER. The context's Control buffer holds the record afterwards.
// Failed: a read error other than "no such record", already shown. A
// Control file that cannot be opened ends the program in the dispatcher.
Read readRecord(Context& ctx, int id, Image& image, std::uint32_t* counter = nullptr);

// Writes `image` as Control record `id`, adding the record when missing.
// Runs in a short transaction on a session and handle of its own, so it
// neither joins nor disturbs a transaction of the caller, and so that the
// counter in record 1 is re-read under the write lock: the counter found
// there is kept, raised to the floor when `raiseCounter` (and set to the
// floor when the record is new). False when nothing was written; nothing is
// shown.
bool writeRecord(Context& ctx, int id, const Image& image, bool raiseCounter = false);

// The identifier counter as stored now; 0 when it cannot be read (the
// table busy or missing).
std::uint32_t storedCounter(Context& ctx);

// Shows the message of a failed settings save (Neo texts 27 and 28, or the
// built-in texts when Neo has none), unless unattended.
void reportSaveFailure(Context& ctx);

// Adds Neo texts 27 and 28 when the table lacks them. False when a text
// could not be added (reported by the write).
bool ensureNeoTexts(Context& ctx);

// The stop question for an item number (or an operation) that a procedure
// does not know: "Internal Error - invalid xType =" and the number. The
// user may end the program from it: Yes throws Halt. No, and an unattended
// run, go on: the result is kSettingsNotDone and nothing has changed.
SettingsResult unknownItem(Context& ctx, int item);
SettingsResult unknownOperation(Context& ctx, int op);

// Loads settings record `id` into memory: reads it, makes a missing record
// of zeros, lets `fill` put the defaults in place of zeros, and writes the
// record back at once when it was missing, changed by `fill`, or (record 1)
// holds a counter below the floor. kSettingsDone on success; kSettingsNotDone
// after a message (a write failure shows the save-failure message; memory
// holds the record anyway).
SettingsResult loadRecord(Context& ctx, int id, bool (*fill)(Image&) = nullptr);
// Loads a default record and its current record (window positions, list
// columns): a missing default record is made empty, a missing current one a
// copy of the default.
SettingsResult loadPair(Context& ctx, int defaultId, int currentId);
// Loads record `id` (and its partner) unless memory holds it already, so
// that a change made before the start-up load does not lead to defaults
// being saved over the stored settings.
SettingsResult ensureLoaded(Context& ctx, int id);
// Writes the memory image of record `id`; kSettingsDone on success, else
// kSettingsNotDone after the
// save-failure message.
SettingsResult saveRecord(Context& ctx, int id);
// The same without the message (for callers saving several records).
bool saveQuietly(Context& ctx, int id);

// Runs `f` on the memory image of record `id` under the settings lock. A
// record not in memory reads as zeros (the defaults) and is not added.
template <class F>
auto readImage(Context& ctx, int id, F f) {
  std::lock_guard lock(ctx.lib.settings.mutex);
  const auto& records = ctx.lib.settings.records;
  const auto it = records.find(id);
  static const Image kZeros{};
  return f(it == records.end() ? kZeros : it->second);
}
// Runs `f` on the memory image of record `id` for a change, under the lock.
template <class F>
auto changeImage(Context& ctx, int id, F f) {
  std::lock_guard lock(ctx.lib.settings.mutex);
  return f(ctx.lib.settings.records[id]);
}

// Directories (record 4): the effective path of item 17, 18 or 19 for the
// stored texts `paths` (an empty text gives the default).
std::filesystem::path effectivePath(const Context& ctx, const StoredPaths& paths, int item);
// A directory without "." and ".." steps and without a trailing separator.
std::filesystem::path normalDir(const std::filesystem::path& p);
// The stored texts `paths` after some of the directories change (item →
// path; an empty path restores the default). Empty on success; otherwise
// the reason the change cannot be stored (`paths` then undefined).
std::string planDirectories(const Context& ctx, StoredPaths& paths, const std::map<int, std::filesystem::path>& changes);
// Sets some of the directories at once (item → path; an empty path restores
// the default). Empty on success; otherwise the reason nothing was changed.
std::string setDirectories(Context& ctx, const std::map<int, std::filesystem::path>& changes);

// Why a value cannot be stored; empty when it can.
std::string typefaceRefusal(std::string_view face);
std::string importPathRefusal(std::string_view path);

// The built-in texts of Neo records 27 and 28.
inline constexpr const char* kSaveErrorTitle = "Configuration Save Error";
inline constexpr const char* kSaveErrorText =
    "The settings could not be saved.\r\nThey stay in use until Quorvel ends; try to save them again.";

}  // namespace qv::config
