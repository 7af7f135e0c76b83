#include "store/config_store.h"

#include <cstring>
#include <string_view>

#include "store/config.h"
#include "store/config_texts.h"
#include "store/dispatcher.h"
#include "store/records.h"
#include "store/report.h"

namespace qv::config {

using engine::Err;

namespace {

constexpr std::size_t kNeoBytes = sizeof(Neo::NEOFIELD);
static_assert(std::string_view(kSaveErrorTitle).size() <= kNeoBytes);
static_assert(std::string_view(kSaveErrorText).size() <= kNeoBytes);

// Keeps a table opened through the dispatcher for the length of a scope.
class Opened {
 public:
  Opened(Context& ctx, int fileNo) : ctx_(ctx), fileNo_(fileNo) { OP_CLOSE(ctx_, kOpOpen, {fileNo_}); }
  ~Opened() { OP_CLOSE(ctx_, kOpRelease, {fileNo_}); }
  Opened(const Opened&) = delete;
  Opened& operator=(const Opened&) = delete;

 private:
  Context& ctx_;
  int fileNo_;
};

// A handle of a configuration table on a session of its own.
template <class Record>
struct OwnHandle {
  explicit OwnHandle(Context& ctx) : session(ctx.lib.engine), file(session, Record::decl(), &record) {
    file.setName(BuildFileName(ctx, Record::FileNo));
  }
  ~OwnHandle() {
    if (session.inTransaction()) session.rollback();
    file.close();
  }
  OwnHandle(const OwnHandle&) = delete;
  OwnHandle& operator=(const OwnHandle&) = delete;

  engine::Session session;
  Record record{};
  engine::File file;
};

void copyIn(Control& rec, const Image& image) { std::memcpy(rec.CTLFIELD, image.data(), kGroupBytes); }

}  // namespace

Read readRecord(Context& ctx, int id, Image& image, std::uint32_t* counter) {
  Opened opened(ctx, Control::FileNo);
  engine::File& f = ctx.fileOf<Control>();
  ctx.ctl = Control{};
  ctx.ctl.ID = static_cast<std::uint8_t>(id);
  const Err e = f.get(Control::IdKey);
  if (e == Err::RecordNotFound) {
    image.fill(0);
    if (counter != nullptr) *counter = 0;
    return Read::Missing;
  }
  if (e != Err::Ok) {
    show(ctx, "Configuration Load Error",
         "The settings cannot be read from " + std::string(clip(f.name().string())) + kCrLf.data() + f.errorText(),
         MessageKind::Error);
    return Read::Failed;
  }
  std::memcpy(image.data(), ctx.ctl.CTLFIELD, kGroupBytes);
  if (counter != nullptr) *counter = ctx.ctl.NEXTNUMBER;
  return Read::Found;
}

bool writeRecord(Context& ctx, int id, const Image& image, bool raiseCounter) {
  OwnHandle<Control> h(ctx);
  if (h.file.openOrCreate() != Err::Ok) return false;
  if (h.session.logout(5, {&h.file}) != Err::Ok) return false;
  Control& rec = h.record;
  rec = Control{};
  rec.ID = static_cast<std::uint8_t>(id);
  Err e = h.file.get(Control::IdKey);
  if (e == Err::Ok) {
    copyIn(rec, image);
    if (id == kRecGeneral && raiseCounter && rec.NEXTNUMBER < kCounterFloor) rec.NEXTNUMBER = kCounterFloor;
    e = h.file.put();
  } else if (e == Err::RecordNotFound) {
    // A record 1 made here starts the counter at the floor, also on a save:
    // the counter was at least that since the load, and starting it lower
    // would hand out identifiers that are in use.
    rec = Control{};
    rec.ID = static_cast<std::uint8_t>(id);
    rec.NEXTNUMBER = id == kRecGeneral ? kCounterFloor : 0;
    copyIn(rec, image);
    e = h.file.add();
  }
  if (e != Err::Ok) return false;
  return h.session.commit() == Err::Ok;
}

std::uint32_t storedCounter(Context& ctx) {
  // A handle of its own, without the dispatcher's repairs: showing the
  // counter is no reason to stop the program when the file is busy.
  OwnHandle<Control> h(ctx);
  if (h.file.open(engine::OpenMode::ReadOnlyShared) != Err::Ok) return 0;
  h.record.ID = kRecGeneral;
  return h.file.get(Control::IdKey) == Err::Ok ? static_cast<std::uint32_t>(h.record.NEXTNUMBER) : 0;
}

void reportSaveFailure(Context& ctx) {
  std::string title(clip(CallNeo(ctx, kNeoSaveErrorTitle)));
  std::string text(clip(CallNeo(ctx, kNeoSaveErrorText)));
  // The message must reach the user even when Neo itself is what failed.
  if (title.empty()) title = kSaveErrorTitle;
  if (text.empty()) text = kSaveErrorText;
  inform(ctx, title, text, MessageKind::Error);
}

bool ensureNeoTexts(Context& ctx) {
  Opened opened(ctx, Neo::FileNo);
  engine::File& f = ctx.fileOf<Neo>();
  bool ok = true;
  for (const auto& [n, text] : {std::pair{kNeoSaveErrorTitle, std::string_view(kSaveErrorTitle)},
                                std::pair{kNeoSaveErrorText, std::string_view(kSaveErrorText)}}) {
    ctx.neo = Neo{};
    ctx.neo.ID = n;
    if (f.get(Neo::IDKey) != Err::RecordNotFound) continue;
    ctx.neo = Neo{};
    ctx.neo.ID = n;
    std::memset(ctx.neo.NEOFIELD, ' ', kNeoBytes);
    std::memcpy(ctx.neo.NEOFIELD, text.data(), text.size());
    if (UppDat(ctx, f, kUppAdd, kReport) != kUppDatDone) ok = false;
  }
  return ok;
}

// Asked rather than shown through stop(): the user chooses whether the
// program ends here.
SettingsResult unknownItem(Context& ctx, int item) {
  const std::string stopText = text::kInvalidItem + std::to_string(item);
  if (ask(ctx, "Internal Error", stopText + "\r\nEnd the program?", kYes | kNo, kNo) == kYes) throw Halt(stopText);
  return kSettingsNotDone;
}

SettingsResult unknownOperation(Context& ctx, int op) {
  const std::string stopText = "Internal Error - invalid operation =" + std::to_string(op);
  if (ask(ctx, "Internal Error", stopText + "\r\nEnd the program?", kYes | kNo, kNo) == kYes) throw Halt(stopText);
  return kSettingsNotDone;
}

SettingsResult loadRecord(Context& ctx, int id, bool (*fill)(Image&)) {
  Image image{};
  std::uint32_t counter = 0;
  const Read read = readRecord(ctx, id, image, &counter);
  if (read == Read::Failed) return kSettingsNotDone;
  bool write = read == Read::Missing;
  if (id == kRecGeneral && counter < kCounterFloor) write = true;
  if (fill != nullptr && fill(image)) write = true;
  changeImage(ctx, id, [&](Image& held) { held = image; });
  if (write && !writeRecord(ctx, id, image, true)) {
    reportSaveFailure(ctx);
    return kSettingsNotDone;
  }
  return kSettingsDone;
}

SettingsResult loadPair(Context& ctx, int defaultId, int currentId) {
  Image defaults{};
  Image current{};
  const Read readDefaults = readRecord(ctx, defaultId, defaults);
  if (readDefaults == Read::Failed) return kSettingsNotDone;
  const Read readCurrent = readRecord(ctx, currentId, current);
  if (readCurrent == Read::Failed) return kSettingsNotDone;
  if (readCurrent == Read::Missing) current = defaults;
  {
    std::lock_guard lock(ctx.lib.settings.mutex);
    ctx.lib.settings.records[defaultId] = defaults;
    ctx.lib.settings.records[currentId] = current;
  }
  bool written = true;
  if (readDefaults == Read::Missing) written = writeRecord(ctx, defaultId, defaults);
  if (written && readCurrent == Read::Missing) written = writeRecord(ctx, currentId, current);
  if (!written) {
    reportSaveFailure(ctx);
    return kSettingsNotDone;
  }
  return kSettingsDone;
}

SettingsResult ensureLoaded(Context& ctx, int id) {
  {
    std::lock_guard lock(ctx.lib.settings.mutex);
    if (ctx.lib.settings.records.contains(id)) return kSettingsDone;
  }
  switch (id) {
    case kRecGeneral: return loadRecord(ctx, id, fillGeneralDefaults);
    case kRecDisplay: return loadRecord(ctx, id, fillDisplayDefaults);
    case kRecMainWindowsDefault:
    case kRecMainWindows: return loadPair(ctx, kRecMainWindowsDefault, kRecMainWindows);
    case kRecListColumnsDefault:
    case kRecListColumns: return loadPair(ctx, kRecListColumnsDefault, kRecListColumns);
    case kRecOtherWindowsDefault:
    case kRecOtherWindows: return loadPair(ctx, kRecOtherWindowsDefault, kRecOtherWindows);
    default: return loadRecord(ctx, id);
  }
}

bool saveQuietly(Context& ctx, int id) {
  if (ensureLoaded(ctx, id) != kSettingsDone) return false;
  const Image image = readImage(ctx, id, [](const Image& held) { return held; });
  return writeRecord(ctx, id, image);
}

SettingsResult saveRecord(Context& ctx, int id) {
  if (saveQuietly(ctx, id)) return kSettingsDone;
  reportSaveFailure(ctx);
  return kSettingsNotDone;
}

std::filesystem::path normalDir(const std::filesystem::path& p) {
  std::filesystem::path n = p.lexically_normal();
  if (n.has_relative_path() && !n.has_filename()) n = n.parent_path();  // "/a/b/" → "/a/b"
  return n;
}

std::filesystem::path effectivePath(const Context& ctx, const StoredPaths& paths, int item) {
  const std::string& stored = paths[static_cast<std::size_t>(item - kItemTempDir)];
  if (!stored.empty()) return std::filesystem::path(stored);
  switch (item) {
    case kItemTempDir: return normalDir(ctx.mem.Net / "TEMP");
    case kItemDataDir: return normalDir(ctx.mem.Net);
    default: return effectivePath(ctx, paths, kItemDataDir);
  }
}

std::string planDirectories(const Context& ctx, StoredPaths& paths,
                            const std::map<int, std::filesystem::path>& changes) {
  // The database directory first: the word-index directory is stored as
  // "the default" when it is the (new) database directory.
  for (int item : {18, 17, 19}) {
    const auto change = changes.find(item);
    if (change == changes.end()) continue;
    std::string& stored = paths[static_cast<std::size_t>(item - kItemTempDir)];
    stored.clear();
    if (change->second.empty()) continue;
    if (!change->second.is_absolute())
      return "The directory " + change->second.string() + " must be given as an absolute path.";
    const std::filesystem::path given = normalDir(change->second);
    if (given != effectivePath(ctx, paths, item)) stored = given.string();
  }
  std::size_t used = 0;
  for (const std::string& p : paths) used += p.size();
  if (used <= kPathRoom) return {};
  if (changes.size() == 1) {
    const std::string& mine = paths[static_cast<std::size_t>(changes.begin()->first - 17)];
    return "The directory " + mine + " cannot be stored: it has " + std::to_string(mine.size()) +
           " characters, and the directory settings have room for " + std::to_string(kPathRoom - (used - mine.size())) +
           ".";
  }
  return "The directories cannot be stored: together they have " + std::to_string(used) +
         " characters, and the directory settings have room for " + std::to_string(kPathRoom) + ".";
}

std::string setDirectories(Context& ctx, const std::map<int, std::filesystem::path>& changes) {
  if (ensureLoaded(ctx, kRecPaths) != kSettingsDone) return "The directory settings cannot be read.";
  std::lock_guard lock(ctx.lib.settings.mutex);
  Image& image = ctx.lib.settings.records[kRecPaths];
  StoredPaths paths = decodePaths(image);
  if (std::string why = planDirectories(ctx, paths, changes); !why.empty()) return why;
  encodePaths(paths, image);  // fits: planDirectories measured it
  return {};
}

std::string typefaceRefusal(std::string_view face) {
  if (face.size() <= kTypefaceBytes) return {};
  return "The typeface name " + std::string(face) + " is too long: it may have at most " +
         std::to_string(kTypefaceBytes) + " characters.";
}

std::string importPathRefusal(std::string_view path) {
  if (path.size() <= kImportPathBytes) return {};
  return "The path " + std::string(path) + " is too long: the default path of import files may have at most " +
         std::to_string(kImportPathBytes) + " characters.";
}

}  // namespace qv::config

namespace qv {

std::string CallNeo(Context& ctx, std::uint32_t n) {
  std::string text(config::kNeoBytes, ' ');
  config::OwnHandle<Neo> h(ctx);
  if (h.file.open(engine::OpenMode::ReadOnlyShared) != engine::Err::Ok) return text;
  h.record.ID = n;
  if (h.file.get(Neo::IDKey) == engine::Err::Ok)
    text.assign(reinterpret_cast<const char*>(h.record.NEOFIELD), config::kNeoBytes);
  return text;
}

}  // namespace qv
