// The catalogue of import source formats.
#include "import/formats.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "store/fixed_string.h"

namespace qv {

namespace {

// Name blank-padded to 22 characters, then the 3-digit number.
constexpr char kCatalogue[] =
    "AUTOSIG               001"
    "CISCOMM               002"
    "CompuServe 3 and 4    003"
    "CSNav                 004"
    "DOSCIM                005"
    "Eudora                006"
    "GoldenCompass         007"
    "IE Mail               008"
    "IE News               009"
    "NavCIS 1.6x           010"
    "NavCIS 1.7x-          011"
    "OzCIS                 012"
    "OzWin I               013"
    "OzWin II              014"
    "TAPCIS 5.x            015"
    "VirtualAccess         016"
    "WinCIM                017"
    "Agent News            018"
    "TAPCIS 6.x            019"
    "Pegasus               020"
    "Netscape News         021"
    "Netscape Mail         022"
    "Outlook Express 4 Mail023"
    "Outlook Express 4 News024"
    "NavCIS Save format    025"
    "Generic Mail Type 1   026"
    "Becky Mail            027"
    "Unix News             028"
    "Gravity               029"
    "Agent Mail            030"
    "OUI                   031"
    "Outlook Express 5 Mail032"
    "Outlook Mail          033"
    "Outlook Express 5 News034"
    "Generic Mail Type 2   035"
    "AOL                   036"
    "Winvn                 037"
    "CompuServe 2000       038"
    "Poco Mail             039"
    "TheBat                040"
    "Reserv                041"
    "Reserv                042"
    "Reserv                043"
    "Reserv                044"
    "Reserv                045"
    "Reserv                046"
    "Reserv                047"
    "Reserv                048"
    "Reserv                049"
    "Reserv                050";
static_assert(sizeof kCatalogue - 1 == kCatalogueEntries * kCatalogueEntryWidth);

constexpr std::string_view kReserved = "Reserv";

// Default masks and kind by format number (index 0 unused). Empty masks:
// "Outlook Mail", which has none.
struct FormatTraits {
  std::string_view masks;
  SourceKind kind;
};
constexpr SourceKind CS = SourceKind::CompuServe;
constexpr SourceKind ML = SourceKind::Mail;
constexpr SourceKind NW = SourceKind::News;
constexpr std::array<FormatTraits, 41> kTraits{{
    {"", CS},
    {"*.ATO", CS},              // 1 AUTOSIG
    {"*.DBF", CS},              // 2 CISCOMM
    {"FCABINET.DAT", CS},       // 3 CompuServe 3 and 4
    {"*.THD;*.MSG;*.PLX", CS},  // 4 CSNav
    {"*.THD;*.MSG;*.PLX", CS},  // 5 DOSCIM
    {"*.MBX", ML},              // 6 Eudora
    {"*.MSG", CS},              // 7 GoldenCompass
    {"*.MBX", ML},              // 8 IE Mail
    {"*.NCH", NW},              // 9 IE News
    {"RECV.DBF", CS},           // 10 NavCIS 1.6x
    {"HRECV.DBF", CS},          // 11 NavCIS 1.7x-
    {"*.MSG;*.PRG;*.OBS", CS},  // 12 OzCIS
    {"*.MSG;*.PRG;*.OBS", CS},  // 13 OzWin I
    {"*.MSG;*.PRG;*.OBS", CS},  // 14 OzWin II
    {"*.MSG;*.OLD", CS},        // 15 TAPCIS 5.x
    {"*.", CS},                 // 16 VirtualAccess
    {"*.THD;*.MSG;*.PLX", CS},  // 17 WinCIM
    {"*.*", NW},                // 18 Agent News
    {"*.MSG;*.OLD", CS},        // 19 TAPCIS 6.x
    {"*.PMM", ML},              // 20 Pegasus
    {"*.SNM", NW},              // 21 Netscape News
    {"*.*", ML},                // 22 Netscape Mail
    {"*.MBX", ML},              // 23 Outlook Express 4 Mail
    {"*.NCH", NW},              // 24 Outlook Express 4 News
    {"*.SAV", CS},              // 25 NavCIS Save format
    {"*.*", ML},                // 26 Generic Mail Type 1
    {"*.MBX", ML},              // 27 Becky Mail
    {"*.*", NW},                // 28 Unix News
    {"*.*", NW},                // 29 Gravity
    {"*.*", ML},                // 30 Agent Mail
    {"MESSAGE.DBF", CS},        // 31 OUI
    {"*.DBX", ML},              // 32 Outlook Express 5 Mail
    {"", ML},                   // 33 Outlook Mail: folders, no masks
    {"*.DBX", NW},              // 34 Outlook Express 5 News
    {"*.*", ML},                // 35 Generic Mail Type 2
    {"*.*", ML},                // 36 AOL
    {"*.*", NW},                // 37 Winvn
    {"*.*", ML},                // 38 CompuServe 2000
    {"*.MBX", ML},              // 39 Poco Mail
    {"*.TBB", ML},              // 40 TheBat
}};

struct CatalogueEntry {
  std::string_view name;
  int number = 0;
};

CatalogueEntry entryAt(int index) {
  const std::string_view all(kCatalogue, sizeof kCatalogue - 1);
  const std::string_view entry = all.substr(static_cast<std::size_t>(index * kCatalogueEntryWidth),
                                            static_cast<std::size_t>(kCatalogueEntryWidth));
  const std::string_view digits = entry.substr(kFormatNameWidth);
  int number = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), number);
  return {clip(entry.substr(0, kFormatNameWidth)), number};
}

bool isReserved(std::string_view name) { return name.substr(0, kReserved.size()) == kReserved; }

// The traits of an offered format; null for any other number.
const FormatTraits* traitsOf(int number) {
  const int n = effectiveFormatNumber(number);
  if (n < 1 || n >= static_cast<int>(kTraits.size())) return nullptr;
  return &kTraits[static_cast<std::size_t>(n)];
}

bool named(int number, std::initializer_list<std::string_view> names) {
  const std::string name = formatName(number);
  return !name.empty() && std::find(names.begin(), names.end(), name) != names.end();
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::string_view catalogueText() { return {kCatalogue, sizeof kCatalogue - 1}; }

int effectiveFormatNumber(int number) { return number == 0 ? kDefaultImportFormat : number; }

std::string formatName(int number) {
  const int n = effectiveFormatNumber(number);
  for (int i = 0; i < kCatalogueEntries; ++i) {
    const CatalogueEntry e = entryAt(i);
    if (e.number == n) return isReserved(e.name) ? std::string() : std::string(e.name);
  }
  return {};
}

int formatNumber(std::string_view name) {
  name = clip(name);
  if (name.empty()) return 0;
  for (int i = 0; i < kCatalogueEntries; ++i) {
    const CatalogueEntry e = entryAt(i);
    if (!isReserved(e.name) && equalIgnoringCase(e.name, name)) return e.number;
  }
  return 0;
}

std::vector<FormatEntry> offeredFormats() {
  std::vector<FormatEntry> list;
  for (int i = 0; i < kCatalogueEntries; ++i) {
    const CatalogueEntry e = entryAt(i);
    if (!isReserved(e.name)) list.push_back({e.number, std::string(e.name)});
  }
  return list;
}

std::optional<std::string_view> defaultMaskString(int number) {
  const FormatTraits* t = traitsOf(number);
  if (t == nullptr || t->masks.empty()) return std::nullopt;
  return t->masks;
}

std::vector<std::string> splitMasks(std::string_view maskString) {
  std::vector<std::string> masks;
  while (true) {
    const std::size_t cut = maskString.find(';');
    const std::string_view mask = trimBlanks(maskString.substr(0, cut));
    if (!mask.empty()) masks.emplace_back(mask);
    if (cut == std::string_view::npos) break;
    maskString.remove_prefix(cut + 1);
  }
  return masks;
}

std::string joinMasks(const std::vector<std::string>& masks) {
  std::string joined;
  for (const std::string& m : masks) {
    if (!joined.empty()) joined += ';';
    joined += m;
  }
  return joined;
}

std::optional<SourceKind> sourceKind(int number) {
  const FormatTraits* t = traitsOf(number);
  if (t == nullptr) return std::nullopt;
  return t->kind;
}

bool skipsMethodPage(int number) {
  return named(number, {"AUTOSIG", "CISCOMM", "GoldenCompass", "OzCIS", "TAPCIS 5.x", "TAPCIS 6.x",
                        "CompuServe 3 and 4", "NavCIS 1.6x", "NavCIS 1.7x-", "OUI"});
}

bool filesNameNoForum(int number) {
  return named(number, {"AUTOSIG", "CISCOMM", "GoldenCompass", "OzCIS", "TAPCIS 5.x", "TAPCIS 6.x"});
}

bool progressPerFile(int number) {
  return named(number, {"AUTOSIG", "OzCIS", "OzWin I", "OzWin II", "TAPCIS 5.x", "TAPCIS 6.x", "NavCIS Save format",
                        "CompuServe 3 and 4", "GoldenCompass", "CISCOMM", "NavCIS 1.6x", "NavCIS 1.7x-", "OUI"});
}

bool selectsFolders(int number) { return named(number, {"Outlook Mail"}); }

int navcisVariant(int number) {
  if (named(number, {"NavCIS 1.6x"})) return kNavCis16Variant;
  if (named(number, {"NavCIS 1.7x-"})) return kNavCis17Variant;
  return 0;
}

}  // namespace qv
