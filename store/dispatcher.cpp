#include "store/dispatcher.h"

#include <map>
#include <string>
#include <system_error>

#include "store/charset.h"
#include "store/private_directories.h"
#include "store/report.h"

namespace qv {

namespace {

using engine::Err;

const std::string kProduct = "Quorvel";

// Smallest stored record data (records × record size) of the tables whose
// outdated files are simply replaced; a file at or above its limit holds
// too much to throw away.
std::uint64_t discardLimit(int fileNo) {
  static const std::map<int, std::uint64_t> limits = {{1, 1030}, {9, 770},  {18, 770},  {22, 1290}, {26, 1290},
                                                      {27, 770}, {33, 140}, {34, 1030}, {35, 770}};
  auto it = limits.find(fileNo);
  return it == limits.end() ? 0 : it->second;
}

bool passedOver(int fileNo) { return fileNo == 28 || fileNo == 29 || fileNo == 30 || fileNo == 32; }

// The files of other programs that the readers take messages from: opened
// read-only (a store on read-only media must be readable) and never created
// (a missing one must not reappear empty in the user's folder).
bool sourceTable(int fileNo) {
  return fileNo == HRE::FileNo || fileNo == DOS::FileNo || fileNo == CCO::FileNo || fileNo == CMA::FileNo ||
         fileNo == OUI::FileNo || fileNo == AOL::FileNo;
}

std::string shown(const std::filesystem::path& p) { return std::string(clip(p.string())); }

engine::File& tableFile(Context& ctx, int fileNo) {
  engine::File* f = ctx.findFile(fileNo);
  if (f == nullptr || tableInfo(fileNo) == nullptr)
    stop(ctx, "Program Failure!", "File no " + std::to_string(fileNo) + " not defined!\r\n" + "Quorvel will terminate!");
  return *f;
}

// Opens a table, repairing what can be repaired; stops the program otherwise.
void openWithRepair(Context& ctx, int fileNo, engine::OpenMode mode) {
  engine::File& f = tableFile(ctx, fileNo);
  f.setName(BuildFileName(ctx, fileNo));
  const std::string name = shown(f.name());
  // Each repair changes the file; a file that keeps failing the same way
  // after several repairs is not repairable here.
  for (int attempt = 0; attempt < 8; ++attempt) {
    const Err e = f.open(mode);
    switch (e) {
      case Err::Ok:
      case Err::FileAlreadyOpen:
        return;
      case Err::FileNotFound:
        if (sourceTable(fileNo) || f.create() != Err::Ok)
          stop(ctx, "File Open Error",
               "The file " + name + " is missing!\r\n" + "This file cannot be created by the program\r\n" + "and " +
                   kProduct + " will terminate.");
        continue;
      case Err::PathNotFound:
        stop(ctx, "Path Not Found",
             "The path " + shown(f.name().parent_path()) + " does not exist.\r\n" + "Quorvel will terminate.",
             "Check your directory setup in Preferences and run File/Rebuild.");
      case Err::AccessDenied:
        stop(ctx, " File Open Error - Access denied",
             "The file " + name + " cannot be opened!\r\n" + "Quorvel will terminate.",
             "Check your network access rights or the possible need for SHARE or VSHARE");
      case Err::InvalidFileName:
        stop(ctx, "Invalid File Name Error",
             "The file " + name + " cannot be opened.\r\n" + "The filename is not a valid DOS file name \r\n" +
                 "Quorvel will terminate.");
      case Err::BadKeys:
        inform(ctx, "File Open Error - Bad keys",
               "The file " + name + " cannot be opened\r\n" + "due to corrupted indices.\r\n" +
                   "Automatic rebuild will take place.");
        if (f.build() != Err::Ok) {
          f.close();
          stop(ctx, "File Rebuild Error", "The file " + name + " cannot be rebuilt.\r\n" + "Quorvel will terminate.");
        }
        f.close();
        continue;
      case Err::LayoutDiffers: {
        // Outdated small files are replaced by empty ones of the declared
        // layout; the search results always are.
        const std::uint64_t limit = discardLimit(fileNo);
        if (fileNo == Search::FileNo || (limit > 0 && f.storedDataBytes() < limit)) {
          f.close();
          if (f.remove() == Err::Ok) continue;
        }
        stop(ctx, " File Open Error - Invalid record declaration",
             "The file " + name + " cannot be opened\r\n" + "as the file definition is incorrect.\r\n" +
                 "Quorvel will terminate.");
      }
      default:
        break;
    }
    stop(ctx, "File Open Error",
         "The file " + name + " cannot be opened.\r\n" + "Error no " + std::to_string(engine::code(e)) + kCrLf.data() +
             f.errorText() + kCrLf.data() + "Quorvel will terminate.");
  }
  stop(ctx, "File Open Error",
       "The file " + name + " cannot be opened.\r\n" + "Error no " + std::to_string(engine::code(f.error())) +
           kCrLf.data() + f.errorText() + kCrLf.data() + "Quorvel will terminate.");
}

void emptyOrPack(Context& ctx, int fileNo, bool pack) {
  engine::File& f = tableFile(ctx, fileNo);
  f.close();
  openWithRepair(ctx, fileNo, engine::OpenMode::Exclusive);
  const Err e = pack ? f.pack() : f.empty();
  if (e != Err::Ok && !pack) {
    f.close();
    stop(ctx, "File Empty Error",
         "The file " + shown(f.name()) + " cannot be emptied.\r\n" + "Exclusive access not granted \r\n" +
             "Quorvel will terminate.");
  }
  f.close();
  ctx.useCount[static_cast<std::size_t>(fileNo)] = 0;
}

}  // namespace

bool samePath(const std::filesystem::path& a, const std::filesystem::path& b) {
  auto norm = [](const std::filesystem::path& p) {
    std::string s(clip(p.string()));
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return upper1252(s);
  };
  return norm(a) == norm(b);
}

std::filesystem::path BuildFileName(Context& ctx, int fileNo) {
  const TableInfo* t = tableInfo(fileNo);
  if (t == nullptr) tableFile(ctx, fileNo);  // stops
  std::filesystem::path p;
  const std::string file = tableFileName(fileNo);
  switch (t->place) {
    case Place::Database:
      if (!ctx.mem.FileDir.empty()) p = ctx.mem.FileDir / ctx.mem.Dirnamn / file;
      break;
    case Place::WordIndex:
      if (!ctx.MasIdxPath.empty()) {
        if ((fileNo == 28 || fileNo == 29 || fileNo == 33) && !samePath(ctx.MasIdxPath, ctx.mem.FileDir))
          ExistPath(ctx, kPathCreate, ctx.MasIdxPath / ctx.mem.Dirnamn, {}, true);
        p = ctx.MasIdxPath / ctx.mem.Dirnamn / file;
      }
      break;
    case Place::Config:
      if (!ctx.mem.Net.empty()) p = ctx.mem.Net / "CFG" / file;
      break;
    case Place::Temp:
      if (!ctx.mem.TempDir.empty()) p = ctx.mem.TempDir / file;
      break;
    case Place::CallerName:
      p = ctx.FileTmpName;
      break;
  }
  ctx.FileName = p;
  if (clip(p.string()).empty())
    stop(ctx, "Invalid File Name Error",
         "The file " + shown(p) + " cannot be opened.\r\n" +
             "The filename is not a valid DOS file name or the path does not exist \r\n" + "Quorvel will terminate.");
  return p;
}

void InitWinXP(Context& ctx) { ctx.useCount.fill(0); }

void OP_CLOSE(Context& ctx, int op, std::initializer_list<int> fileNos) {
  for (int no : fileNos) {
    if (passedOver(no)) continue;
    engine::File& f = tableFile(ctx, no);
    std::uint32_t& count = ctx.useCount[static_cast<std::size_t>(no)];
    switch (op) {
      case kOpRelease:
        if (count > 0) --count;
        if (count == 0) f.close();
        break;
      case kOpOpen:
      case kOpOpenExclusive:
        if (count == 0) {
          const bool readOnly = op == kOpOpen && sourceTable(no);
          openWithRepair(ctx, no,
                         op == kOpOpenExclusive ? engine::OpenMode::Exclusive
                         : readOnly             ? engine::OpenMode::ReadOnlyShared
                                                : engine::OpenMode::ReadWriteShared);
        }
        ++count;
        break;
      case kOpEmpty:
        emptyOrPack(ctx, no, false);
        break;
      case kOpPack:
        emptyOrPack(ctx, no, true);
        break;
      case kOpForceClose:
        count = 0;
        f.close();
        break;
      case kOpRemove:
        count = 0;
        f.close();
        f.setName(BuildFileName(ctx, no));
        f.remove();
        break;
      case kOpProbe:
        f.close();
        f.setName(BuildFileName(ctx, no));
        if (f.open(engine::OpenMode::Exclusive) == Err::LayoutDiffers) {
          ++ctx.lib.IndexingInProgress;
          ++ctx.probeRaised;
        }
        f.close();
        count = 0;
        break;
      default:
        break;
    }
  }
}

ExistPathResult ExistPath(Context& ctx, int mode, const std::filesystem::path& path, std::string_view extra,
                          bool quiet) {
  if ((mode == kPathTest || mode == kPathCreate) && !path.is_absolute()) return kPathMissing;
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return kPathExists;
  const std::string shownPath = shown(path);
  if (!quiet && !ctx.unattended()) {
    beep(ctx);
    show(ctx, " Path Not Found", "The specified path " + shownPath + " does not exist.\r\n" + std::string(extra),
         MessageKind::Warning);
  }
  if (mode == kPathCreate || mode == kTableDirCreate) {
    if (!createPrivateDirectories(path, ec) || !std::filesystem::is_directory(path)) {
      ctx.ui.beep();
      stop(ctx, " Directory Creation Error",
           "The specified directory " + shownPath + " could not be created.\r\n" + "Quorvel will be halted.",
           "Probable access rights violation");
    }
  }
  return kPathMissing;
}

ExistPathResult ExistPath(Context& ctx, int mode, int fileNo, std::string_view extra, bool quiet) {
  const std::filesystem::path dir = BuildFileName(ctx, fileNo).parent_path();
  return ExistPath(ctx, mode == kTableDirTest ? kPathTest : kPathCreate, dir, extra, quiet);
}

}  // namespace qv
