// Saved window positions (WindowPos, WindowPos2) and list column layouts
// (ListCol): a default record and a current record each.
#include "app/windows/window_layouts.h"

#include "store/config_store.h"

namespace qv {

using namespace config;

namespace {

// One kind of layout: its pair of records and the shape of a slot.
struct LayoutKind {
  int defaultId;
  int currentId;
  int slots;
  std::size_t slotBytes;
};

constexpr LayoutKind kMainWindows{kRecMainWindowsDefault, kRecMainWindows, kWindowSlots, kWindowSlotBytes};
constexpr LayoutKind kOtherWindows{kRecOtherWindowsDefault, kRecOtherWindows, kWindowSlots, kWindowSlotBytes};
constexpr LayoutKind kListColumns{kRecListColumnsDefault, kRecListColumns, kListSlots, kListSlotBytes};

bool slotEmpty(const Image& image, std::size_t at, std::size_t bytes) {
  for (std::size_t i = 0; i < bytes; ++i)
    if (image[at + i] != 0) return false;
  return true;
}

// Runs the operation for one slot; `put` writes the caller's values into an
// image at an offset, `take` reads them back.
template <class Put, class Take>
SettingsResult layout(Context& ctx, const LayoutKind& kind, int op, int index, Put put, Take take) {
  switch (op) {
    case kLayoutLoad:
      return loadPair(ctx, kind.defaultId, kind.currentId);
    case kLayoutReset: {
      if (ensureLoaded(ctx, kind.currentId) != kSettingsDone) return kSettingsNotDone;
      {
        std::lock_guard lock(ctx.lib.settings.mutex);
        auto& records = ctx.lib.settings.records;
        records[kind.currentId] = records[kind.defaultId];
      }
      return saveRecord(ctx, kind.currentId);
    }
    case kLayoutStore:
    case kLayoutRead:
      break;
    default:
      return unknownOperation(ctx, op);
  }
  if (index < 0 || index >= kind.slots) return unknownItem(ctx, index);
  const std::size_t at = static_cast<std::size_t>(index) * kind.slotBytes;
  if (op == kLayoutStore) {
    if (ensureLoaded(ctx, kind.currentId) != kSettingsDone) return kSettingsNotDone;
    changeImage(ctx, kind.currentId, [&](Image& image) { put(image, at); });
    return saveRecord(ctx, kind.currentId);
  }
  std::lock_guard lock(ctx.lib.settings.mutex);
  const auto& records = ctx.lib.settings.records;
  for (int id : {kind.currentId, kind.defaultId}) {
    const auto it = records.find(id);
    if (it != records.end() && !slotEmpty(it->second, at, kind.slotBytes)) {
      take(it->second, at);
      return kSettingsDone;
    }
  }
  return kSettingsNotDone;
}

SettingsResult windowLayout(Context& ctx, const LayoutKind& kind, int op, int window, WindowPlace& place) {
  return layout(
      ctx, kind, op, window,
      [&](Image& image, std::size_t at) {
        writeInt16(image, at, place.x);
        writeInt16(image, at + 2, place.y);
        writeInt16(image, at + 4, place.width);
        writeInt16(image, at + 6, place.height);
      },
      [&](const Image& image, std::size_t at) {
        place.x = readInt16(image, at);
        place.y = readInt16(image, at + 2);
        place.width = readInt16(image, at + 4);
        place.height = readInt16(image, at + 6);
      });
}

}  // namespace

SettingsResult WindowPos(Context& ctx, int op, int window, WindowPlace& place) {
  return windowLayout(ctx, kMainWindows, op, window, place);
}

SettingsResult WindowPos2(Context& ctx, int op, int window, WindowPlace& place) {
  return windowLayout(ctx, kOtherWindows, op, window, place);
}

SettingsResult ListCol(Context& ctx, int op, int list, ListColumns& widths) {
  return layout(
      ctx, kListColumns, op, list,
      [&](Image& image, std::size_t at) {
        for (std::size_t i = 0; i < widths.size(); ++i)
          writeInt16(image, at + 2 * i, static_cast<std::int16_t>(widths[i]));
      },
      [&](const Image& image, std::size_t at) {
        for (std::size_t i = 0; i < widths.size(); ++i)
          widths[i] = static_cast<std::uint16_t>(readInt16(image, at + 2 * i));
      });
}

SettingsResult loadWindowLayouts(Context& ctx) {
  WindowPlace place;
  ListColumns widths{};
  const bool loaded = WindowPos(ctx, kLayoutLoad, 0, place) == kSettingsDone &&
                      WindowPos2(ctx, kLayoutLoad, 0, place) == kSettingsDone &&
                      ListCol(ctx, kLayoutLoad, 0, widths) == kSettingsDone;
  return loaded ? kSettingsDone : kSettingsNotDone;
}

}  // namespace qv
