#pragma once
// Parts the work windows share.

class QHBoxLayout;
class QPushButton;
class QWidget;

namespace qv::gui {

// The row at the foot of a work window: its run button (made the default)
// and "&Close", at the right. Close closes the window's sub-window frame, or
// the window itself when it stands alone.
QHBoxLayout* dialogButtons(QWidget& window, QPushButton* run);

// Closes a work window: its sub-window frame, or the window itself.
void closeWorkWindow(QWidget& window);

}  // namespace qv::gui
