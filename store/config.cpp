// Konfig, AutoPath, SpeedVal, SetDate and SetTime over the settings held in
// memory (config_store.h reads and writes their records).
#include "store/config.h"

#include <string_view>

#include "store/config_store.h"
#include "store/config_texts.h"
#include "store/dates.h"
#include "store/report.h"

namespace qv {

using namespace config;

namespace {

constexpr std::string_view kTitle = "Configuration";

// A text handed to a caller whose field holds `size` characters (0: any).
// A longer one is refused rather than cut.
SettingsResult giveText(Context& ctx, const std::string& value, std::size_t size, std::string& text) {
  if (size != 0 && value.size() > size) {
    inform(ctx, "Internal Error",
           "A value of " + std::to_string(value.size()) + " characters does not fit a field of " +
               std::to_string(size) + ".",
           MessageKind::Error);
    return kSettingsNotDone;
  }
  text = value;
  return kSettingsDone;
}

SettingsResult refuse(Context& ctx, const std::string& why) {
  inform(ctx, kTitle, why, MessageKind::Warning);
  return kSettingsNotDone;
}

SettingsResult setNumber(Context& ctx, int id, const NumberItem& slot, std::int32_t value) {
  if (ensureLoaded(ctx, id) != kSettingsDone) return kSettingsNotDone;
  changeImage(ctx, id, [&](Image& image) { writeInt32(image, slot.offset, storable(slot, value)); });
  return kSettingsDone;
}

std::int32_t getNumber(Context& ctx, int id, const NumberItem& slot) {
  return readImage(ctx, id, [&](const Image& image) { return effective(slot, readInt32(image, slot.offset)); });
}

SettingsResult general(Context& ctx, int op, int item, std::int32_t& value) {
  const NumberItem* slot = generalItem(item);
  if (slot == nullptr) return unknownItem(ctx, item);
  if (op == kKonfigSetGeneral) return setNumber(ctx, kRecGeneral, *slot, value);
  value = getNumber(ctx, kRecGeneral, *slot);
  return kSettingsDone;
}

SettingsResult display(Context& ctx, int op, int item, std::int32_t& value, std::size_t size, std::string& text) {
  if (isFontItem(item)) {
    if (op == kKonfigSetDisplay) {
      const std::string face(clip(text));
      if (const std::string why = typefaceRefusal(face); !why.empty()) return refuse(ctx, why);
      if (ensureLoaded(ctx, kRecDisplay) != kSettingsDone) return kSettingsNotDone;
      changeImage(ctx, kRecDisplay, [&](Image& image) { setFont(image, item, face, value); });
      return kSettingsDone;
    }
    const auto [face, fontSizeValue] = readImage(ctx, kRecDisplay, [&](const Image& image) {
      return std::pair{typeface(image, item), fontSize(image, item)};
    });
    if (giveText(ctx, face, size, text) != kSettingsDone) return kSettingsNotDone;
    value = fontSizeValue;
    return kSettingsDone;
  }
  const NumberItem* slot = displayItem(item);
  if (slot == nullptr) return unknownItem(ctx, item);
  if (op == kKonfigSetDisplay) return setNumber(ctx, kRecDisplay, *slot, value);
  value = getNumber(ctx, kRecDisplay, *slot);
  return kSettingsDone;
}

SettingsResult importPath(Context& ctx, int op, int item, std::size_t size, std::string& text) {
  if (item != kItemImportPath) return unknownItem(ctx, item);
  if (op == kKonfigSetImportPath) {
    const std::string path(clip(text));
    if (const std::string why = importPathRefusal(path); !why.empty()) return refuse(ctx, why);
    if (ensureLoaded(ctx, kRecImportPath) != kSettingsDone) return kSettingsNotDone;
    changeImage(ctx, kRecImportPath, [&](Image& image) { encodeImportPath(path, image); });
    return kSettingsDone;
  }
  return giveText(ctx, readImage(ctx, kRecImportPath, decodeImportPath), size, text);
}

// Batch sizes by speed choice 1-7, for kinds 26 to 31.
constexpr std::int32_t kSpeedTable[6][7] = {
    {50, 100, 250, 500, 750, 1000, 1250},  // 26 duplicate elimination
    {50, 100, 200, 275, 350, 500, 700},    // 27 count/purge
    {1, 3, 7, 10, 20, 30, 40},             // 28 keyword indexing
    {1, 3, 7, 10, 20, 30, 40},             // 29 find text
    {8, 16, 30, 50, 70, 85, 100},          // 30 import/merge
    {10, 20, 20, 25, 25, 50, 50},          // 31 reading source files, by the import/merge choice
};
// Batch sizes of kinds 26 to 30 for a choice outside 1-7.
constexpr std::int32_t kSpeedOutside[5] = {500, 300, 4, 4, 4};

}  // namespace

SettingsResult Konfig(Context& ctx, int op, int item, std::int32_t& value, std::size_t size, std::string& text) {
  switch (op) {
    case kKonfigLoadGeneral: {
      if (loadRecord(ctx, kRecGeneral, fillGeneralDefaults) != kSettingsDone) return kSettingsNotDone;
      // A fresh installation gets the texts of the save-failure message here;
      // should that fail (reported by the write), the message falls back to
      // the built-in texts, so the load itself goes on.
      ensureNeoTexts(ctx);
      return kSettingsDone;
    }
    case kKonfigSetGeneral:
    case kKonfigGetGeneral:
      return general(ctx, op, item, value);
    case kKonfigSaveGeneral:
      return saveRecord(ctx, kRecGeneral);
    case kKonfigLoadDisplay:
      return loadRecord(ctx, kRecDisplay, fillDisplayDefaults);
    case kKonfigSetDisplay:
    case kKonfigGetDisplay:
      return display(ctx, op, item, value, size, text);
    case kKonfigSaveDisplay:
      return saveRecord(ctx, kRecDisplay);
    case kKonfigLoadImportPath:
      return loadRecord(ctx, kRecImportPath);
    case kKonfigSetImportPath:
    case kKonfigGetImportPath:
      return importPath(ctx, op, item, size, text);
    case kKonfigSaveImportPath:
      return saveRecord(ctx, kRecImportPath);
    default:
      return unknownOperation(ctx, op);
  }
}

std::int32_t generalSetting(Context& ctx, int item) {
  std::int32_t value = 0;
  std::string text;
  return Konfig(ctx, kKonfigGetGeneral, item, value, 0, text) == kSettingsDone ? value : 0;
}

std::int32_t displaySetting(Context& ctx, int item) {
  std::int32_t value = 0;
  std::string text;
  return Konfig(ctx, kKonfigGetDisplay, item, value, 0, text) == kSettingsDone ? value : 0;
}

std::int32_t locatorDelay(Context& ctx) { return generalSetting(ctx, kItemLocatorDelay); }

SettingsResult AutoPath(Context& ctx, int op, int item, std::size_t size, std::filesystem::path& path) {
  const bool known = item == kItemTempDir || item == kItemDataDir || item == kItemIndexDir;
  switch (op) {
    case kAutoPathLoad:
      return loadRecord(ctx, kRecPaths);
    case kAutoPathSet: {
      if (!known) return unknownItem(ctx, item);
      const std::string why = setDirectories(ctx, {{item, path}});
      return why.empty() ? kSettingsDone : refuse(ctx, why);
    }
    case kAutoPathGet: {
      if (!known) return unknownItem(ctx, item);
      const StoredPaths paths = readImage(ctx, kRecPaths, decodePaths);
      std::string text;
      if (giveText(ctx, effectivePath(ctx, paths, item).string(), size, text) != kSettingsDone) return kSettingsNotDone;
      path = text;
      return kSettingsDone;
    }
    case kAutoPathSave:
      return saveRecord(ctx, kRecPaths);
    default:
      return unknownOperation(ctx, op);
  }
}

std::int32_t SpeedVal(Context& ctx, int op, int kind) {
  if (op == kSpeedCompute) {
    std::array<std::int32_t, 5> choices{};
    for (std::size_t i = 0; i < choices.size(); ++i)
      choices[i] = displaySetting(ctx, kItemSpeedDuplicates + static_cast<int>(i));
    std::lock_guard lock(ctx.lib.settings.mutex);
    auto& speed = ctx.lib.settings.speed;
    for (std::size_t i = 0; i < choices.size(); ++i) {
      const bool inRange = choices[i] >= 1 && choices[i] <= 7;
      speed[i] = inRange ? kSpeedTable[i][choices[i] - 1] : kSpeedOutside[i];
    }
    const std::int32_t importChoice = choices[4];
    if (importChoice >= 1 && importChoice <= 7) speed[5] = kSpeedTable[5][importChoice - 1];
    return kSettingsDone;
  }
  if (op == kSpeedGet) {
    if (kind < kItemSpeedDuplicates || kind > kItemSpeedReading) return unknownItem(ctx, kind);
    std::lock_guard lock(ctx.lib.settings.mutex);
    return ctx.lib.settings.speed[static_cast<std::size_t>(kind - kItemSpeedDuplicates)];
  }
  return unknownOperation(ctx, op);
}

std::int32_t SetDate(Context& ctx, std::string& name, int& picture) {
  const std::int32_t value = generalSetting(ctx, kItemDateFormat);
  switch (value) {
    case dates::kDateMmDdYyyy: name = text::kDateMmDdYyyy; break;
    case dates::kDateDdMmYyyy: name = text::kDateDdMmYyyy; break;
    case dates::kDateYyyyMmDd: name = text::kDateYyyyMmDd; break;
    default: name = text::kSystemSetting; break;
  }
  picture = name == text::kSystemSetting ? dates::kDateSystem : static_cast<int>(value);
  return value;
}

std::int32_t SetTime(Context& ctx, std::string& name, int& picture) {
  const std::int32_t value = generalSetting(ctx, kItemTimeFormat);
  switch (value) {
    case dates::kTimeHhMm: name = text::kTimeHhMm; break;
    case dates::kTimeHhMmXm: name = text::kTimeHhMmXm; break;
    default: name = text::kSystemSetting; break;
  }
  picture = name == text::kSystemSetting ? dates::kTimeSystem : static_cast<int>(value);
  return value;
}

SettingsResult loadSettings(Context& ctx) {
  std::int32_t value = 0;
  std::string text;
  std::filesystem::path path;
  const bool loaded = AutoPath(ctx, kAutoPathLoad, 0, 0, path) == kSettingsDone &&
                      Konfig(ctx, kKonfigLoadGeneral, 0, value, 0, text) == kSettingsDone &&
                      Konfig(ctx, kKonfigLoadDisplay, 0, value, 0, text) == kSettingsDone &&
                      Konfig(ctx, kKonfigLoadImportPath, 0, value, 0, text) == kSettingsDone &&
                      SpeedVal(ctx, kSpeedCompute, 0) == kSettingsDone;
  return loaded ? kSettingsDone : kSettingsNotDone;
}

}  // namespace qv
