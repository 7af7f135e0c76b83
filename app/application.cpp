#include "app/application.h"

#include <system_error>

#include "app/windows/window_layouts.h"
#include "readers/registry.h"
#include "store/config.h"
#include "store/dispatcher.h"
#include "store/database_list.h"
#include "store/persons.h"
#include "store/report.h"
#include "store/table_use.h"
#include "store/data_path.h"
#include "store/utilities.h"

namespace qv::app {

namespace {
constexpr std::int32_t kVersion = 470;
constexpr std::int32_t kFirstVersionWithLayouts = 430;
}  // namespace

Application::Application(UiPort& ui) : lib_(std::make_unique<Library>(ui)) {
  registerLibraryProcedures(*lib_);
  registerPersonProcedures(*lib_);
  registerAllReaders(*lib_);
}

Application::~Application() {
  settingsTable_.reset();
  ctx_.reset();
  lib_.reset();
}

void Application::start(const std::filesystem::path& home) {
  namespace fs = std::filesystem;
  // 1. The globals, from the data home.
  MemGroup mem;
  mem.Net = home;
  mem.TempDir = home / "TEMP";
  mem.FileDir = home;
  mem.Dirnamn = "CFG";
  lib_->publish(mem, home);
  ctx_ = std::make_unique<Context>(*lib_);
  Context& ctx = *ctx_;
  InitWinXP(ctx);

  // 2. The configuration directory; an existing installation has its settings file.
  ExistPath(ctx, kPathCreate, home / "CFG", {}, true);
  std::error_code ec;
  existing_ = fs::exists(home / "CFG" / tableFileName(Control::FileNo), ec);

  // 3. The stored paths. The settings table stays open from here through
  // the settings (4): one open instead of one per settings record.
  settingsTable_.emplace(ctx, std::initializer_list<int>{Control::FileNo});
  fs::path path;
  if (AutoPath(ctx, kAutoPathLoad, 0, 0, path) == kSettingsNotDone) throw Halt("The directory settings cannot be read");
  fs::path temp;
  AutoPath(ctx, kAutoPathGet, kItemTempDir, 0, temp);
  if (temp.empty() || !fs::is_directory(temp, ec)) {
    temp = home / "TEMP";
    AutoPath(ctx, kAutoPathSet, kItemTempDir, 0, temp);
    AutoPath(ctx, kAutoPathSave, 0, 0, temp);
    ExistPath(ctx, kPathCreate, temp, {}, true);
  }
  ctx.mem.TempDir = temp;
  fs::path data;
  AutoPath(ctx, kAutoPathGet, kItemDataDir, 0, data);
  if (!fs::is_directory(data, ec)) {
    show(ctx, "Path not found!", "The path to your data files cannot be found!\r\nUpdate file path on next screen\r\n",
         MessageKind::Warning);
    if (NewPath(ctx, 1) == kPathGivenUp) throw Halt("No path to the data files");
  } else {
    ctx.mem.FileDir = data;
  }
  fs::path index;
  AutoPath(ctx, kAutoPathGet, kItemIndexDir, 0, index);
  ctx.MasIdxPath = index.empty() ? ctx.mem.FileDir : index;

  // 4. The settings.
  if (loadSettings(ctx) == kSettingsNotDone || loadWindowLayouts(ctx) == kSettingsNotDone)
    throw Halt("The settings cannot be loaded");
  if (!keepSettings_) settingsTable_.reset();

  // 5. The upgrade reset of window layouts.
  if (generalSetting(ctx, kItemProgramVersion) < kFirstVersionWithLayouts) {
    if (existing_)
      show(ctx, "Upgrading to version 4.70",
           "This new version needs new default values! All window positions, window sizes and list box column "
           "widths will be reset to default!");
    WindowPlace none;
    ListColumns widths{};
    WindowPos(ctx, kLayoutReset, 0, none);
    WindowPos2(ctx, kLayoutReset, 0, none);
    ListCol(ctx, kLayoutReset, 0, widths);
  }
  // The version of the stored data; written when it changes (not on every
  // start, which would make each command write the configuration).
  std::int32_t version = kVersion;
  std::string unused;
  if (generalSetting(ctx, kItemProgramVersion) != version) {
    Konfig(ctx, kKonfigSetGeneral, kItemProgramVersion, version, 0, unused);
    Konfig(ctx, kKonfigSaveGeneral, 0, version, 0, unused);
  }

  // 6. A due task may start once no work window is open.
  lowerWorkWindows();

  lib_->publish(ctx.mem, ctx.MasIdxPath);
  // 7. The frame, with the database the configuration names.
  windows_.TmCreate(windows::kFrameGroup, windows::kFrame);
  if (const std::int32_t start = generalSetting(ctx, kItemStartDatabase); start > 0)
    activate(static_cast<std::uint32_t>(start));
}

bool Application::activate(std::uint32_t id) {
  Context& ctx = *ctx_;
  OP_CLOSE(ctx, kOpOpen, {Forums::FileNo});
  ctx.for_ = Forums{};
  ctx.for_.ID = id;
  const bool found = ctx.fileOf<Forums>().get(Forums::ForumKey) == engine::Err::Ok;
  const Forums record = ctx.for_;
  OP_CLOSE(ctx, kOpRelease, {Forums::FileNo});
  if (!found) return false;
  const std::string dir = "F" + std::to_string(record.DIRNUMBER);
  std::error_code ec;
  if (!std::filesystem::is_directory(ctx.mem.FileDir / dir, ec)) return false;
  // The previous database's tables are named after its directory: let go of
  // them before the globals change.
  OP_CLOSE(ctx, kOpForceClose, {9, 1, 17, 13, 7, 6, 5, 4, 3, 22, 23, 25, 33});
  setDatabaseGlobals(ctx.mem, record);
  lib_->publish(ctx.mem, ctx.MasIdxPath);
  return true;
}

std::string Application::frameTitle() {
  const Context& ctx = *ctx_;
  if (ctx.mem.ForumNumber == 0) return "Quorvel - [No Active Database]";
  return "Quorvel - " + ctx.mem.Description.str();
}

std::vector<std::string> Application::personsMenu() const {
  switch (databaseType(ctx_->mem.ForumType)) {
    case DatabaseType::Mail: return {"&Browse Mail Partners", "&Merge Duplicate Mail Partners"};
    case DatabaseType::Newsgroup: return {"&Browse Newsgroup Participants", "&Merge Duplicate Newsgroup Participants"};
    case DatabaseType::Forum: break;
  }
  return {"&Browse Forum Members", "&Merge Duplicate Forum Members"};
}

bool Application::requestShutdown() {
  Context& ctx = *ctx_;
  if (lib_->IndexingInProgress.load() != 0) {
    show(ctx, "Exit Not Allowed", "You May NOT Exit until Indexing Is Done.\r\nThis is to Avoid Corruption.",
         MessageKind::Warning);
    return false;
  }
  for (std::string_view group : {windows::kFindGroup, windows::kNotToolsGroup, windows::kImportGroup})
    windows_.TmDestroyGroup(group);
  for (int no = 1; no <= kHighestFileNo; ++no) {
    if (engine::File* f = ctx.findFile(no)) {
      ctx.useCount[static_cast<std::size_t>(no)] = 0;
      f->close();
    }
  }
  return true;
}

void Application::importFinished() {
  if (const WindowId frame = windows_.TmGetId(windows::kFrameGroup, windows::kFrame))
    windows_.post(frame, WindowEvent::importMeny());
}

void Application::lowerWorkWindows() {
  std::atomic<int>& count = lib_->workWindows;
  int n = count.load();
  while (n > 0 && !count.compare_exchange_weak(n, n - 1)) {
  }
}

}  // namespace qv::app
