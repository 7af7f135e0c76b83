#pragma once
// Saved window positions and list column widths: the program's windows ask
// for their place and columns here when they open and store them when the
// user moves or sizes them. Each kind has a default record and a current
// record among the settings.

#include <array>
#include <cstdint>

#include "store/config.h"
#include "store/context.h"

namespace qv {

// A saved window position. All zero: nothing saved.
struct WindowPlace {
  std::int16_t x = 0;
  std::int16_t y = 0;
  std::int16_t width = 0;
  std::int16_t height = 0;
  bool empty() const { return x == 0 && y == 0 && width == 0 && height == 0; }
  friend bool operator==(const WindowPlace&, const WindowPlace&) = default;
};

// Column widths of one list.
using ListColumns = std::array<std::uint16_t, 5>;

enum LayoutOp : int { kLayoutLoad = 1, kLayoutStore = 2, kLayoutRead = 3, kLayoutReset = 4 };

// Saved positions of the main windows (WindowPos: records 2 default, 3
// current) and of the other windows (WindowPos2: records 7, 8), and column
// widths of lists (ListCol: records 5, 6). Windows are numbered 0-31 and
// lists 0-19; the program gives each window and list its number.
// - 1 loads the default and current records; a missing default record is
//   created empty (nothing saved), a missing current record as a copy of
//   the default one.
// - 2 stores a window's position (a list's widths) as current and saves
//   the current record at once.
// - 3 reads it: the current one, else the default one; kSettingsNotDone
//   when neither is saved (`place` unchanged: the window keeps its own layout).
// - 4 makes every current position (width) the default one
//   again and saves: "Reset all window positions to default".
// A number outside the range is an unknown item (the stop question).
SettingsResult WindowPos(Context& ctx, int op, int window, WindowPlace& place);
SettingsResult WindowPos2(Context& ctx, int op, int window, WindowPlace& place);
SettingsResult ListCol(Context& ctx, int op, int list, ListColumns& widths);

// The start-up's layout load, after the settings: WindowPos 1, WindowPos2 1
// and ListCol 1, in that order, stopping at the first failure.
// kSettingsDone when all succeeded.
SettingsResult loadWindowLayouts(Context& ctx);

}  // namespace qv
