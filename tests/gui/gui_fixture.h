#pragma once
// A data home with a forum database ("Capture Club", the TAPCIS sample's
// five messages) and a mail database ("Tom Owner", the Eudora sample's
// three mails), set up through the command line, and the desktop program's
// frame over it, with a recording UI port.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "tests/support/cli_in_process_run.h"
#include "app/gui/main_window.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace qv::test {

class GuiTest : public ::testing::Test {
 protected:
  static constexpr std::uint32_t kForum = 250000;
  static constexpr std::uint32_t kMail = 250002;

  // The command line in this process; true when it succeeded.
  bool cli(std::vector<std::string> args) {
    const std::string command = args.empty() ? std::string() : args.front();
    const CliRun r = runCliInProcess(home.path(), std::move(args));
    if (r.status != 0) ADD_FAILURE() << "quorvel " << command << ": " << r.err;
    return r.status == 0;
  }

  static std::string samples(const std::string& folder) { return std::string(QV_SOURCE_DIR) + "/samples/" + folder; }

  // The two sample databases; the forum is active when the frame starts.
  void withSampleDatabases() {
    ASSERT_TRUE(cli({"db", "add-forum", "Capture Club"}));
    ASSERT_TRUE(cli({"db", "add-mail", "Tom Owner", "70000,100"}));
    ASSERT_TRUE(cli({"import", "--format", "TAPCIS 5.x", "--method", "files", "--path", samples("capture"), "--file",
                     "TAPCIS5-FORUM.MSG", "--forum", "--forum-db", std::to_string(kForum), "--no-index"}));
    ASSERT_TRUE(cli({"import", "--format", "Eudora", "--method", "files", "--path", samples("internet/eudora"),
                     "--file", "In.mbx", "--mail", "--mail-db", std::to_string(kMail), "--no-index"}));
    ASSERT_TRUE(cli({"db", "activate", std::to_string(kForum)}));
  }

  void startFrame() {
    app = std::make_unique<app::Application>(ui);
    app->start(home.path());
    frame = std::make_unique<gui::MainWindow>(*app, ui);
    frame->resize(1280, 800);
    frame->show();
  }

  void TearDown() override {
    frame.reset();
    app.reset();
  }

  // The texts of a menu's entries, without the separators.
  static QStringList entries(const QMenu* menu) {
    QStringList out;
    if (menu == nullptr) return out;
    for (const QAction* a : menu->actions())
      if (!a->isSeparator()) out << a->text();
    return out;
  }

  TempDir home;
  RecordingUi ui;
  std::unique_ptr<app::Application> app;
  std::unique_ptr<gui::MainWindow> frame;
};

}  // namespace qv::test
