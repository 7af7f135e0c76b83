#include "app/gui/gui_application.h"

#include <QMessageBox>
#include <cstdio>

#include "store/halt.h"

namespace qv::gui {

GuiApplication::GuiApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName("Quorvel");
  setApplicationDisplayName("Quorvel");
  setOrganizationName("Quorvel");
  setDesktopFileName("quorvel-gui");
}

bool GuiApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const Halt& h) {
    // The library has shown why already.
    std::fprintf(stderr, "Quorvel stopped: %s\n", h.what());
    exit(kExitStopped);
  } catch (const std::exception& e) {
    QMessageBox::critical(nullptr, "Quorvel", QString("Quorvel stopped: %1").arg(e.what()));
    exit(kExitFailure);
  }
  return false;
}

}  // namespace qv::gui
