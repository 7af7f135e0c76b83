#include "app/gui/display_fonts.h"

#include <QApplication>
#include <string>

#include "app/gui/qt_text.h"
#include "store/config.h"

namespace qv::gui {

QFont displayFont(Context& ctx, int item) {
  std::int32_t size = 0;
  std::string face;
  QFont font = QApplication::font();
  if (Konfig(ctx, kKonfigGetDisplay, item, size, 0, face) != 1) return font;
  const QString family = fromStored(face).trimmed();
  if (!family.isEmpty()) font.setFamily(family);
  if (size > 0) font.setPointSize(size);
  return font;
}

}  // namespace qv::gui
