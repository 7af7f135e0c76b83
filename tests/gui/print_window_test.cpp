// The print window over the sample forum: a thread laid out as a PDF file
// where the path field says, and a file that cannot be made reported as a
// failure with nothing shown as written.
#include "app/gui/print_window.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/gui/browse_window.h"
#include "app/gui/selection_panel.h"
#include "tests/gui/gui_fixture.h"

namespace qv::test {
namespace {

using gui::PrintWindow;

TEST_F(GuiTest, PrintWindowWritesAThreadAsAPdfFile) {
  withSampleDatabases();
  startFrame();
  EXPECT_TRUE(entries(frame->menuNamed("&Tools")).contains("P&rint Messages..."));
  PrintWindow* window = frame->openPrint();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(frame->openPrint(), window);  // brought forward, not opened twice
  ASSERT_TRUE(frame->browse()->goTo(412350));
  // The default file is in the temporary directory.
  const QString temp = QString::fromStdString(app->ctx().mem.TempDir.string());
  EXPECT_EQ(window->pdfFile()->text(), temp + "/Messages.pdf");

  const QString pdf = QString::fromStdString((home.path() / "thread.pdf").string());
  window->pdfFile()->setText(pdf);
  ASSERT_TRUE(window->selection()->setCode(exporting::SelectionCode::Thread));
  EXPECT_EQ(window->start(), PrintWindow::Outcome::Done);
  EXPECT_TRUE(window->resultText()->text().startsWith("3 messages on 1 page written to " + pdf))
      << window->resultText()->text().toStdString();
  QFile file(pdf);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().startsWith("%PDF"));
  EXPECT_EQ(ui.last().text, "Messages printed!");

  // A directory that does not exist: the printout fails and says so.
  window->pdfFile()->setText(QString::fromStdString((home.path() / "none" / "x.pdf").string()));
  EXPECT_EQ(window->start(), PrintWindow::Outcome::Failed);
  EXPECT_TRUE(window->resultText()->text().isEmpty());
  window->pdfFile()->clear();
  EXPECT_EQ(window->start(), PrintWindow::Outcome::Refused);
  EXPECT_EQ(ui.last().text, "A file name must be given!");
}

// A print queue stand-in: an "lp" on PATH that notes the file it was given.
TEST_F(GuiTest, PrintWindowHandsThePdfToThePrintQueue) {
  withSampleDatabases();
  const std::filesystem::path bin = home.path() / "bin";
  std::filesystem::create_directories(bin);
  const std::filesystem::path noted = home.path() / "queued.txt";
  {
    std::ofstream lp(bin / "lp");
    lp << "#!/bin/sh\nprintf '%s' \"$1\" > '" << noted.string() << "'\n";
  }
  std::filesystem::permissions(bin / "lp", std::filesystem::perms::owner_all);
  const char* was = std::getenv("PATH");
  const std::string oldPath = was != nullptr ? was : "";
  setenv("PATH", (bin.string() + ":" + oldPath).c_str(), 1);
  startFrame();
  PrintWindow* window = frame->openPrint();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->queueBox()->isEnabled());
  ASSERT_TRUE(frame->browse()->goTo(412350));
  // A name the shell would split or end: it reaches lp whole.
  const std::string pdf = (home.path() / "it's a thread.pdf").string();
  window->pdfFile()->setText(QString::fromStdString(pdf));
  window->queueBox()->setChecked(true);
  const PrintWindow::Outcome outcome = window->start();
  setenv("PATH", oldPath.c_str(), 1);
  EXPECT_EQ(outcome, PrintWindow::Outcome::Done);
  EXPECT_TRUE(window->resultText()->text().endsWith("; sent to the print queue"))
      << window->resultText()->text().toStdString();
  std::ifstream in(noted);
  std::stringstream got;
  got << in.rdbuf();
  EXPECT_EQ(got.str(), pdf);
}

}  // namespace
}  // namespace qv::test
