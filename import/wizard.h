#pragma once
// The Import Wizard's rules, without windows: the command line (and later
// the GUI) fills in the pages — format, selection method, path and masks or
// files, message types and targets — and asks to start. The same checks
// guard the start from the import definition editor.
//
// Pages: the format decides whether the method page is shown at all (the
// formats that always use file selection skip it) and whether files or the
// mail client's folders ("Outlook Mail") are chosen. Cancelling the file
// selection puts back the configured default import path and the format's
// default masks.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "import/settings.h"
#include "store/context.h"

namespace qv {

// Where the start was asked for: the Import Wizard (and the command line,
// which stands in for it) or the import definition editor. The two word the
// missing-file refusal differently.
enum class StartFrom { Wizard, Definition };
using Editor = StartFrom;

// Whether the Outlook mail client can be driven by automation. Empty: the
// folder source registered for the format asks its client (none is
// installed on this system).
using OutlookAvailable = std::function<bool()>;

// Messages of the refusals.
inline constexpr const char* kNoMaskTitle = "Warning!";
inline constexpr const char* kNoMaskText = "No file extension(s) specified";
inline constexpr const char* kNoFilesTitle = "Warning!";
inline constexpr const char* kNoFilesText = "No file(s) selected";
inline constexpr const char* kNoFilesEditorTitle = " File specification error!";
inline constexpr const char* kNoFilesEditorText =
    "When using the file selection method you must select which file(s) to import!";
inline constexpr const char* kOutlookMissingText = "Outlook Is Not Installed";

// Whether an import with these working values may start. When it may not,
// the reason is shown through the UI port (not while a scheduled task runs)
// and false is answered. Checked in this order, the first failing one
// reported:
// - the format number names a format of the catalogue (0 counts as 17);
// - at least one message type is switched on;
// - mail switched on: a mail database is chosen, and it exists as a mail
//   database;
// - forum messages switched on for a format whose files name no forum: a
//   forum database is chosen, and it exists as a forum database;
// - "Outlook Mail": the mail client can be driven ("Outlook Is Not
//   Installed"), and at least one folder is chosen ("No file(s) selected");
// - the formats that always use file selection count as method 2; method 0
//   or 1 needs a mask ("Warning!" / "No file extension(s) specified"),
//   method 2 a file ("No file(s) selected", or from the definition editor
//   " File specification error!" / "When using the file selection method
//   you must select which file(s) to import!"); any other method is refused.
bool validateForStart(Context& ctx, const ImportSettings& settings, StartFrom from,
                      const OutlookAvailable& outlookAvailable = {});

// Settles the working values for the driver: the format name from the
// number, file selection for the formats that always use it (and for
// "Outlook Mail"), and the record reader's variant (62 for "NavCIS 1.6x",
// 76 for "NavCIS 1.7x-", else 0). False, changing nothing, for a number
// with no format.
bool prepareForStart(ImportSettings& settings);

class ImportWizard {
 public:
  // Starts on the configured default import format (17 when none), the
  // configured default import path and that format's default masks.
  explicit ImportWizard(Context& ctx, OutlookAvailable outlookAvailable = {});

  ImportSettings& settings() { return settings_; }
  const ImportSettings& settings() const { return settings_; }

  // Chooses the format: its default masks replace the masks (not for
  // "Outlook Mail", which has none), chosen files and folders are dropped,
  // and the formats without a method page get file selection. False,
  // changing nothing, for a number that names no offered format, and for
  // "Outlook Mail" when the mail client cannot be driven (after showing
  // "Outlook Is Not Installed").
  bool chooseFormat(int number);

  // Whether the method page is shown: not for the formats that always use
  // file selection, nor for "Outlook Mail".
  bool offersMethodPage() const;
  // Whether folders of the mail client are chosen instead of files.
  bool choosesFolders() const;

  // Chooses the selection method (0 tree, 1 directory, 2 files). False,
  // changing nothing, for another number, or for another method than 2 when
  // the format has no method page.
  bool chooseMethod(int method);

  // The directory and the mask string (split at ";") of methods 0 and 1.
  void setDirectory(const std::filesystem::path& dir, std::string_view maskString);
  // The file selection's result: the directory and the names chosen in it.
  void chooseFiles(const std::filesystem::path& dir, std::vector<std::string> names);
  // The folder selection's result for "Outlook Mail".
  void chooseFolders(std::vector<std::string> folders);
  // The file selection was cancelled: the path goes back to the configured
  // default import path, the masks to the format's default, and no file is
  // chosen.
  void cancelFileSelection();

  // The chosen files (or folders) joined by "##", as the wizard keeps them.
  std::string fileListText() const;

  // Checks the pages (validateForStart, as the wizard) and settles the
  // working values for the driver (prepareForStart). True when the import
  // may start.
  bool start();

 private:
  bool outlookAvailable() const;
  std::filesystem::path defaultImportPath() const;

  Context& ctx_;
  OutlookAvailable outlookAvailable_;
  ImportSettings settings_;
};

}  // namespace qv
