#pragma once
// The catalogue of import source formats: each format's name and number,
// its default file masks, which databases its messages go to, and the
// groups of formats the wizard and the import driver treat alike.
//
// The numbers are stored in import definitions (BAT:FILETYPE) and in the
// settings (the default import format), so they never change. Entries 41 to
// 50 are placeholders named "Reserv"; they are no format and never offered.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

inline constexpr int kCatalogueEntries = 50;
inline constexpr int kCatalogueEntryWidth = 25;  // 22 characters of name, 3 digits of number
inline constexpr int kFormatNameWidth = 22;

// The format taken when none is configured (0).
inline constexpr int kDefaultImportFormat = 17;  // "WinCIM"

// Formats the code refers to by number.
inline constexpr int kFormatNavCis16 = 10;      // "NavCIS 1.6x"
inline constexpr int kFormatNavCis17 = 11;      // "NavCIS 1.7x-"
inline constexpr int kFormatOutlookMail = 33;   // "Outlook Mail"

// The record reader's variant codes for the two NavCIS stores.
inline constexpr int kNavCis16Variant = 62;
inline constexpr int kNavCis17Variant = 76;

// Which databases a format's messages go to.
enum class SourceKind {
  CompuServe,  // forum messages to forum databases, CompuServe mail to the chosen mail database
  Mail,        // the chosen mail database
  News,        // newsgroup databases
};

struct FormatEntry {
  int number = 0;
  std::string name;
  friend bool operator==(const FormatEntry&, const FormatEntry&) = default;
};

// The catalogue as one text: 50 entries of 25 characters.
std::string_view catalogueText();

// A format number with 0 ("none configured") replaced by 17.
int effectiveFormatNumber(int number);

// The name of format `number` (0 counts as 17, "WinCIM"). Empty for a number
// with no format: the placeholders 41-50, and anything outside 0-50.
std::string formatName(int number);

// The number of the format with that name, trailing blanks ignored and
// letter case ignored ("eudora" finds 6); every other character must match,
// so "NavCIS 1.7x" without its hyphen finds nothing. 0 when no offered format
// has that name ("Reserv" included).
int formatNumber(std::string_view name);

// The offered formats (1-40) in catalogue order, for a drop-down.
std::vector<FormatEntry> offeredFormats();

// The default mask string of a format ("*.MSG;*.OLD"). Nothing for "Outlook
// Mail", whose sources are mail client folders, and for a number with no
// format; the caller then leaves its masks as they are.
std::optional<std::string_view> defaultMaskString(int number);

// The masks of a mask string: split at each ";", blanks around a mask
// removed, empty pieces dropped. A mask is kept whole whatever its length.
std::vector<std::string> splitMasks(std::string_view maskString);
// The masks joined by ";".
std::string joinMasks(const std::vector<std::string>& masks);

// Which databases the format feeds; nothing for a number with no format.
std::optional<SourceKind> sourceKind(int number);

// The formats that skip the wizard's method page and always use file
// selection: "AUTOSIG", "CISCOMM", "GoldenCompass", "OzCIS", "TAPCIS 5.x",
// "TAPCIS 6.x", "CompuServe 3 and 4", "NavCIS 1.6x", "NavCIS 1.7x-", "OUI".
bool skipsMethodPage(int number);

// The formats whose files do not name the forum their messages belong to:
// "AUTOSIG", "CISCOMM", "GoldenCompass", "OzCIS", "TAPCIS 5.x", "TAPCIS 6.x".
// Their forum messages go to the forum database of the import.
bool filesNameNoForum(int number);

// The formats whose conversion progress is counted per file instead of by
// bytes against the total size of the files: "AUTOSIG", "OzCIS", "OzWin I",
// "OzWin II", "TAPCIS 5.x", "TAPCIS 6.x", "NavCIS Save format", "CompuServe
// 3 and 4", "GoldenCompass", "CISCOMM", "NavCIS 1.6x", "NavCIS 1.7x-", "OUI".
bool progressPerFile(int number);

// "Outlook Mail": folders of the mail client are chosen instead of files.
bool selectsFolders(int number);

// The record reader's variant for the NavCIS stores: 62 for "NavCIS 1.6x",
// 76 for "NavCIS 1.7x-", 0 for every other format.
int navcisVariant(int number);

}  // namespace qv
