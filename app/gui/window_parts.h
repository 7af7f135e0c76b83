#pragma once
// Parts the work windows share: the button rows at their foot, the topic
// choice, the date-range fields, and fitting a form's frame to what it shows.

#include <optional>

#include "export/selection.h"
#include "store/context.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QString;
class QWidget;

namespace qv::gui {

// The row at the foot of a work window: its run button (made the default)
// and "&Close", at the right. Close closes the window's sub-window frame, or
// the window itself when it stands alone.
QHBoxLayout* dialogButtons(QWidget& window, QPushButton* run);

// The row of a window run once per session: the start button, and the end
// button that takes its place when the run begins and closes the window.
QHBoxLayout* sessionButtons(QWidget& window, QPushButton* start, QPushButton* end);
// The run begins: the start button goes, the end button shows, disabled until the run has ended.
void beginSession(QPushButton& start, QPushButton& end);

// A form row of a path field with a button beside it ("Browse..."); the
// label names the field, so its shortcut shows and works.
struct PathRow {
  QLineEdit* field = nullptr;
  QPushButton* button = nullptr;
};
PathRow addPathRow(QFormLayout& form, QWidget& parent, const QString& label, const QString& button);

// Closes a work window: its sub-window frame, or the window itself.
void closeWorkWindow(QWidget& window);

// A form shown in a frame of its own size grows to show what a run added
// (results, panels); a maximized window stays as it is.
void fitWorkWindow(QWidget& window);

// Fills `box` with the database's topics (their identifiers as item data),
// keeping the chosen one when it is still there.
void fillTopics(QComboBox& box, Context& ctx);
// Chooses the item of `box` with `text`; false when there is none.
bool chooseItem(QComboBox& box, const QString& text);

// The date-range option: "&Date range", from and to, the fields enabled
// only while the option is ticked.
struct DateRangeFields {
  QCheckBox* on = nullptr;
  QLineEdit* from = nullptr;
  QLineEdit* to = nullptr;
  QHBoxLayout* row = nullptr;
};
DateRangeFields makeDateRange(QWidget& parent);
// The range entered, none while the option is off. A date the parser does
// not take counts as none, so the library's range check names the field.
std::optional<exporting::DateRange> dateRangeOf(const DateRangeFields& fields);

}  // namespace qv::gui
