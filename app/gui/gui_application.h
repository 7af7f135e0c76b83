#pragma once
// The desktop program's QApplication: where the library stops the program
// (Halt, after its own message) inside an event handler, the event loop ends
// with the program's "stopped" status instead of unwinding through Qt.

#include <QApplication>

namespace qv::gui {

inline constexpr int kExitStopped = 3;  // the library halted the program
inline constexpr int kExitFailure = 1;

class GuiApplication : public QApplication {
 public:
  GuiApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace qv::gui
