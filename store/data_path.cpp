#include "store/data_path.h"

#include <string>

#include "store/config.h"
#include "store/dispatcher.h"
#include "store/report.h"

namespace qv {

NewPathResult NewPath(Context& ctx, int mode) {
  if (mode != 1) return kPathGivenUp;
  static constexpr std::string_view kTitle = " Path to database files";
  std::filesystem::path saved;
  AutoPath(ctx, kAutoPathGet, kItemDataDir, 0, saved);
  std::string entered = saved.string();
  for (;;) {
    const std::optional<std::string> answer = ctx.ui.askText(
        kTitle, "Directory under which to place database directory tree",
        "The previously saved path to your data files is no longer valid. Please enter the appropriate top "
        "directory below which your database files reside and press TAB to enable the OK button. ",
        entered);
    if (!answer) return kPathGivenUp;
    entered = std::string(clip(*answer));
    std::filesystem::path path(entered);
    if (ExistPath(ctx, kPathTest, path, {}, true) == kPathMissing) {
      show(ctx, kTitle, "This path does not exist!\r\nPlease enter a valid path\r\n", MessageKind::Warning);
      continue;
    }
    // "Save changes".
    if (AutoPath(ctx, kAutoPathSet, kItemDataDir, 0, path) == kSettingsNotDone) continue;
    if (!samePath(path, ctx.mem.FileDir)) ExistPath(ctx, kPathCreate, path, {}, true);
    ctx.mem.FileDir = path;
    AutoPath(ctx, kAutoPathSave, 0, 0, path);
    return kPathChosen;
  }
}

}  // namespace qv
