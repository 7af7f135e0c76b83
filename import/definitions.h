#pragma once
// Import definitions: a stored choice of format, source files, message types
// and targets that the scheduler (or the user) runs again later. One BAT
// record per definition (BAT:TYPE 1) and one FLI record per mask (selection
// methods 0 and 1) or chosen file (method 2; mail folders for "Outlook
// Mail"), keyed by the definition's identifier and the text.
//
// The FLI key ignores letter case and trailing blanks, so "*.msg" and
// "*.MSG" are one specification: saving keeps the first of such twins.
// Specifications come back in key order (letter case ignored), not in the
// order they were saved.
//
// Every change runs in one transaction over the tables it touches: a failed
// write rolls all of it back (reported), so a definition is never left
// without its file specifications or with half of them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "import/settings.h"
#include "store/context.h"

namespace qv {

inline constexpr std::uint32_t kImportDefinitionType = 1;  // BAT:TYPE of an import definition
inline constexpr std::size_t kFileSpecWidth = 254;          // FLI:FILESPEC, BAT:IMPPATH

// The start of the description of a definition saved from a wizard run,
// followed by the date, a blank and the time of the save.
inline constexpr std::string_view kWizardRunDescription = "Saved from ImportWizard  ";

struct ImportDefinition {
  std::uint32_t id = 0;     // BAT:ID; 0 for one not stored yet
  std::string description;  // BAT:DESCRIPTION, at most 50 characters are kept
  ImportSettings settings;  // masks for methods 0 and 1, files for method 2
};

// One line of the definition list.
struct DefinitionEntry {
  std::uint32_t id = 0;
  std::string description;
  int formatNumber = 0;
};

// The working values a BAT record holds. The format name is looked up from
// the number ("" for a number with no format); masks and files are left as
// they are (they live in FLI).
void definitionToSettings(const BAT& bat, ImportSettings& settings);
// The reverse; TYPE is set to 1, ID and DESCRIPTION are left alone.
void settingsToDefinition(const ImportSettings& settings, BAT& bat);

// The definition `id` with its file specifications: masks for methods 0 and
// 1, files for method 2. Nothing when there is no such definition (no
// message: a caller such as the scheduler decides what that means) or when
// the tables cannot be read (reported).
std::optional<ImportDefinition> loadDefinition(Context& ctx, std::uint32_t id);

// Stores a definition: a new one (id 0) gets an identifier from NextNr,
// which is written back into `def.id`; an existing one is held and
// rewritten. Its FLI records are replaced by the masks (methods 0, 1) or
// files (method 2) of the settings. All in one transaction. The identifier
// on success; 0 when nothing was stored (reported): the definition does not
// exist any more, the path or a specification is longer than 254
// characters (it would be cut into another name), or a write failed.
std::uint32_t saveDefinition(Context& ctx, ImportDefinition& def);

// Removes the definition with its FLI records and its links to tasks (TIM),
// in one transaction. A task left without definitions stays; it is simply
// never due. True when removed, also when it did not exist.
bool removeDefinition(Context& ctx, std::uint32_t id);

// The import definitions (BAT:TYPE 1) in key order. Read errors are reported
// and end the list early.
std::vector<DefinitionEntry> listDefinitions(Context& ctx);

// What a definition stores as file specifications, in key order.
std::vector<std::string> fileSpecifications(Context& ctx, std::uint32_t id);

// The file specifications as one text: mode 0 or 1 joins them with ";" (the
// mask string), mode 2 with "##" (the file list), or with ";" when
// `semicolons` is set. Empty when the definition has none.
std::string loadFileSpecifications(Context& ctx, std::uint32_t id, int mode, bool semicolons = false);

// Replaces the FLI records of definition `id` by `specs` in a transaction
// of its own. True on success; false (reported, nothing changed) when a
// specification is too long or a record cannot be written.
bool saveFileSpecifications(Context& ctx, std::uint32_t id, const std::vector<std::string>& specs);

// "Key Build Error!": the engine's text, a line break and "Import file list
// can not be built!". Shown when the file specifications of a definition
// cannot be stored (any failure other than a duplicate specification).
void reportFileListError(Context& ctx, std::string_view engineText);

struct SavedWizardRun {
  std::uint32_t definitionId = 0;
  std::uint32_t taskId = 0;
  std::string description;
};

// The description of a wizard run saved at `date` / `time`:
// "Saved from ImportWizard  " + the date and the time in the configured
// display formats, with a blank between.
std::string wizardRunDescription(Context& ctx, std::int32_t date, std::int32_t time);

// Saves the working values of a wizard run as a new definition (with its
// FLI records) and a new task of the same description that runs it: task
// with duplicate elimination, purging and word indexing on (counting is part
// of purging), no run dates, not active, linked to the definition (TIM).
// Both identifiers from NextNr; all in one transaction. Nothing (reported)
// when it could not be stored; then nothing of it is.
std::optional<SavedWizardRun> saveWizardRun(Context& ctx, const ImportSettings& settings);
std::optional<SavedWizardRun> saveWizardRun(Context& ctx, const ImportSettings& settings, std::int32_t date,
                                            std::int32_t time);

}  // namespace qv
