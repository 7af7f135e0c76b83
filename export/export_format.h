#pragma once
// The export formats as the user meets them: their labels, which formats a
// database type offers, the default file names, the configured format of
// each database type, and the file-name rules.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/context.h"
#include "store/domain.h"

namespace qv::exporting {

// The label of a format in a database of type `type` ("TAPCIS", "Eudora",
// "Generic Mail Type 1", "OzWin II", "Generic Mail Type 2" or "Unix News",
// "dBase III").
std::string_view formatLabel(ExportFormat format, DatabaseType type);

// The formats a database type offers, in the order of its list: forum
// "OzWin II|TAPCIS|dBase III", mail "Eudora|OzWin II|TAPCIS|Generic Mail
// Type 1|Generic Mail Type 2|dBase III", newsgroup "Unix News|dBase III".
const std::vector<ExportFormat>& offeredFormats(DatabaseType type);
bool isOffered(ExportFormat format, DatabaseType type);
// The list text of the formats offered, joined by "|".
std::string offeredList(DatabaseType type);

// Whether a format writes incoming and outgoing mail to two files: every
// mail format except TAPCIS and dBase III.
bool writesTwoFiles(ExportFormat format, DatabaseType type);

// The files of one export: `out` is empty for a one-file format.
struct ExportFiles {
  std::string in;
  std::string out;
};

// The names offered when the user chooses a format. OzWin II names a
// forum's file after the database: its description's first 8 characters,
// trailing blanks removed, with ".SAV"; a character a file name cannot hold
// ("/", "\", ":", NUL) becomes "_".
ExportFiles defaultFiles(ExportFormat format, DatabaseType type, std::string_view description);

// The names the writer takes when it is given none: "SaveMsg.Txt" or
// "SaveMsg.DBF" (forum, newsgroup), "SaveMail.Txt" (mail, TAPCIS),
// "Mail.DBF" (mail, dBase III), "InBox.Mbx" and "OutBox.Mbx" (the other
// mail formats).
ExportFiles unnamedFiles(ExportFormat format, DatabaseType type);

// The format configured for a database type (the format last used, settings
// 61 mail, 62 forum, 63 newsgroup); a value 0, unknown or not offered for
// the type gives the default: forum and mail TAPCIS, newsgroup Unix News.
ExportFormat configuredFormat(Context& ctx, DatabaseType type);
// Keeps `format` as the one last used for the database type (saved).
void rememberFormat(Context& ctx, DatabaseType type, ExportFormat format);

// The wrap setting (display item 59): 1 (and 0, the default) wraps the
// text at the configured width (item 58; 0 or less means 78), 2 writes
// each line as it is.
inline constexpr std::int32_t kWrapOn = 1;
inline constexpr std::int32_t kWrapOff = 2;
inline constexpr std::size_t kDefaultWidth = 78;
// The narrowest width a wrap may take; the widest is a whole stored text.
inline constexpr std::size_t kMinWidth = 20;
struct LineSettings {
  bool wrap = true;
  std::size_t width = kDefaultWidth;
};
LineSettings configuredLines(Context& ctx);

inline constexpr std::string_view kFilenameErrorTitle = "Filename error";
inline constexpr std::string_view kPathInName = "Do not include the path, just the filename!";
inline constexpr std::string_view kSameNames = "The in-file and the out-file must have different names!";
inline constexpr std::string_view kNoName = "A file name must be given!";

enum class FileNameError { None, Missing, HasPath, SameNames };

// Checks the names of an export: each must be given and be a plain file
// name (no "/" or "\", not "." or ".."); the two files of a two-file format
// must differ, letter case ignored, since the mail programs (and the
// readers of this system) find their files without regard to case.
FileNameError checkFileNames(const ExportFiles& files, bool twoFiles);
std::string_view fileNameErrorText(FileNameError error);

}  // namespace qv::exporting
