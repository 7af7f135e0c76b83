#pragma once
// Stored texts (Windows-1252, CR LF) and Qt's strings, at the desktop
// program's edges.

#include <QString>
#include <string>
#include <string_view>

#include "text/text_encoding.h"

namespace qv::gui {

// A stored text for a label, title or text pane: Unicode, "\n" line breaks.
inline QString fromStored(std::string_view stored) {
  return QString::fromStdString(displayLineBreaks(utf8From1252(stored)));
}
// Display text already in UTF-8 (the window models' cells).
inline QString fromUtf8(const std::string& utf8) { return QString::fromStdString(utf8); }
// What the user typed, as the library stores it.
inline std::string toStored(const QString& typed) { return storedLineBreaks(cp1252FromUtf8(typed.toStdString())); }

}  // namespace qv::gui
