#include "app/gui/saved_layout.h"

#include <QHeaderView>
#include <QWidget>
#include <algorithm>
#include <limits>

#include "app/windows/window_layouts.h"

namespace qv::gui {

namespace {

template <class T>
T clampTo(int value) {
  return static_cast<T>(std::clamp<int>(value, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

}  // namespace

void restoreColumns(Context& ctx, SavedList list, QHeaderView& header, const std::array<int, 5>& defaults) {
  ListColumns saved{};
  const bool have = ListCol(ctx, kLayoutRead, static_cast<int>(list), saved) == kSettingsDone;
  for (int c = 0; c < std::min(header.count(), static_cast<int>(saved.size())); ++c) {
    const int width = have && saved[static_cast<std::size_t>(c)] > 0 ? saved[static_cast<std::size_t>(c)]
                                                                     : defaults[static_cast<std::size_t>(c)];
    header.resizeSection(c, width);
  }
}

void storeColumns(Context& ctx, SavedList list, const QHeaderView& header) {
  ListColumns widths{};
  for (int c = 0; c < std::min(header.count(), static_cast<int>(widths.size())); ++c)
    widths[static_cast<std::size_t>(c)] = clampTo<std::uint16_t>(header.sectionSize(c));
  ListCol(ctx, kLayoutStore, static_cast<int>(list), widths);
}

namespace {

using PlaceRecord = SettingsResult (*)(Context&, int, int, WindowPlace&);

void restoreFrom(PlaceRecord record, Context& ctx, int window, QWidget& widget) {
  WindowPlace place;
  if (record(ctx, kLayoutRead, window, place) != kSettingsDone || place.empty()) return;
  widget.setGeometry(place.x, place.y, place.width, place.height);
}

void storeIn(PlaceRecord record, Context& ctx, int window, const QWidget& widget) {
  const QRect r = widget.geometry();
  WindowPlace place{clampTo<std::int16_t>(r.x()), clampTo<std::int16_t>(r.y()), clampTo<std::int16_t>(r.width()),
                    clampTo<std::int16_t>(r.height())};
  record(ctx, kLayoutStore, window, place);
}

}  // namespace

void restorePlace(Context& ctx, SavedWindow window, QWidget& widget) {
  restoreFrom(&WindowPos, ctx, static_cast<int>(window), widget);
}

void storePlace(Context& ctx, SavedWindow window, const QWidget& widget) {
  storeIn(&WindowPos, ctx, static_cast<int>(window), widget);
}

void restorePlace(Context& ctx, SavedCompanion window, QWidget& widget) {
  restoreFrom(&WindowPos2, ctx, static_cast<int>(window), widget);
}

void storePlace(Context& ctx, SavedCompanion window, const QWidget& widget) {
  storeIn(&WindowPos2, ctx, static_cast<int>(window), widget);
}

}  // namespace qv::gui
