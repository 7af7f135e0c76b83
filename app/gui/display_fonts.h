#pragma once
// The fonts of the display settings (list boxes, the thread tree, entry
// fields, text boxes) as Qt fonts.

#include <QFont>

#include "store/context.h"

namespace qv::gui {

// The font of display setting `item` (kItemListFont …); the program's
// default font when none is stored.
QFont displayFont(Context& ctx, int item);

}  // namespace qv::gui
