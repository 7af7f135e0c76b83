// The desktop program of Quorvel.
#include <QCommandLineParser>
#include <QMessageBox>
#include <optional>

#include "app/application.h"
#include "app/cli/leak_suppressions.h"
#include "app/gui/gui_application.h"
#include "app/gui/gui_ui.h"
#include "app/gui/main_window.h"
#include "app/home.h"
#include "app/version.h"
#include "store/halt.h"

int main(int argc, char** argv) {
  qv::gui::GuiApplication qapp(argc, argv);
  QApplication::setApplicationVersion(QString::fromStdString(std::string(qv::app::version())));
  QCommandLineParser options;
  options.setApplicationDescription("Quorvel, the message archiver: the desktop program.");
  options.addHelpOption();
  options.addVersionOption();
  const QCommandLineOption home("home", "The data home (default: $QUORVEL_HOME, else ~/.local/share/quorvel).",
                                "DIR");
  options.addOption(home);
  options.process(qapp);

  qv::gui::GuiUi ui;
  qv::app::Application app(ui);
  try {
    std::optional<std::filesystem::path> chosen;
    if (options.isSet(home)) chosen = options.value(home).toStdString();
    app.start(qv::app::resolveHome(chosen));
  } catch (const qv::Halt&) {
    return qv::gui::kExitStopped;
  } catch (const std::exception& e) {
    QMessageBox::critical(nullptr, "Quorvel", QString("Quorvel cannot start: %1").arg(e.what()));
    return qv::gui::kExitFailure;
  }
  qv::gui::MainWindow frame(app, ui);
  ui.setParent(&frame);
  frame.resize(1280, 800);
  frame.show();
  if (app.ctx().mem.ForumNumber != 0) frame.openBrowse();
  return QApplication::exec();
}
