#include "app/gui/window_parts.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace qv::gui {

void closeWorkWindow(QWidget& window) {
  if (QWidget* frame = window.parentWidget()) frame->close();
  else window.close();
}

QHBoxLayout* dialogButtons(QWidget& window, QPushButton* run) {
  auto* row = new QHBoxLayout();
  run->setDefault(true);
  auto* close = new QPushButton("&Close", &window);
  row->addStretch(1);
  row->addWidget(run);
  row->addWidget(close);
  QObject::connect(close, &QPushButton::clicked, &window, [&window] { closeWorkWindow(window); });
  return row;
}

}  // namespace qv::gui
