#pragma once
// Window places and list column widths kept among the settings: a window
// restores them when it opens and stores them when it closes. The numbers
// of windows and lists are the program's own (layouts of the main windows
// through WindowPos, of the other windows through WindowPos2, of lists
// through ListCol).

#include <array>

#include "store/context.h"

class QHeaderView;
class QWidget;

namespace qv::gui {

// The main windows' numbers in WindowPos.
enum class SavedWindow : int { Frame = 0 };
// The other windows' numbers in WindowPos2.
enum class SavedCompanion : int { ThreadTree = 0 };
// The lists' numbers in ListCol.
enum class SavedList : int { MessageBrowse = 0, MailBrowse = 1 };

// Sets the header's first columns to the saved widths, or else to `defaults`.
void restoreColumns(Context& ctx, SavedList list, QHeaderView& header, const std::array<int, 5>& defaults);
void storeColumns(Context& ctx, SavedList list, const QHeaderView& header);

// Places the window where it was, when a place was saved.
void restorePlace(Context& ctx, SavedWindow window, QWidget& widget);
void storePlace(Context& ctx, SavedWindow window, const QWidget& widget);
void restorePlace(Context& ctx, SavedCompanion window, QWidget& widget);
void storePlace(Context& ctx, SavedCompanion window, const QWidget& widget);

}  // namespace qv::gui
