// The export window over the sample forum: a thread written as TAPCIS into
// the temporary directory, a path refused as the file name, and an mbox
// written where its path says.
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>

#include "app/gui/browse_window.h"
#include "app/gui/export_window.h"
#include "app/gui/selection_panel.h"
#include "tests/gui/gui_fixture.h"

namespace qv::test {
namespace {

using gui::ExportWindow;

class ExportWindowTest : public GuiTest {
 protected:
  void SetUp() override {
    withSampleDatabases();
    startFrame();
    window = frame->openExport();
    ASSERT_NE(window, nullptr);
    ASSERT_NE(frame->browse(), nullptr);
    ASSERT_TRUE(frame->browse()->goTo(412350));
  }
  static QByteArray contentOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  ExportWindow* window = nullptr;
};

TEST_F(ExportWindowTest, ExportsAThreadAsTapcisIntoTheTemporaryDirectory) {
  EXPECT_EQ(window->windowTitle(), "Export messages");
  // A forum offers its three formats and the mailbox formats.
  QStringList formats;
  for (int i = 0; i < window->formatBox()->count(); ++i) formats << window->formatBox()->itemText(i);
  EXPECT_EQ(formats, QStringList({"OzWin II", "TAPCIS", "dBase III", "mbox", "Maildir", "EML"}));
  ASSERT_TRUE(window->chooseFormat("TAPCIS"));
  EXPECT_EQ(window->inFile()->text(), "SaveMsg.Txt");
  EXPECT_FALSE(window->outFile()->isEnabled());

  ASSERT_TRUE(window->selection()->setCode(exporting::SelectionCode::Thread));
  window->inFile()->setText("THREAD.TXT");
  window->startButton()->click();
  const QString temp = QString::fromStdString(app->ctx().mem.TempDir.string());
  EXPECT_EQ(window->resultText()->text().left(QString("Messages exported to " + temp).size()),
            "Messages exported to " + temp);
  EXPECT_EQ(window->writtenFiles()->toPlainText(), temp + "/THREAD.TXT");

  const QByteArray file = contentOf(temp + "/THREAD.TXT");
  for (const char* header : {"#: 412345 S", "#: 412350 S", "#: 412360 S"}) EXPECT_TRUE(file.contains(header)) << header;
  EXPECT_TRUE(file.contains("Sb: Laser printer fonts")) << file.toStdString();
  EXPECT_TRUE(file.contains("[Capture Club]"));
  EXPECT_FALSE(file.contains("#: 440000"));  // another thread
  EXPECT_FALSE(file.contains("#: 412400"));
  // The format is remembered for forum databases.
  EXPECT_EQ(exporting::configuredFormat(app->ctx(), DatabaseType::Forum), ExportFormat::Tapcis);
}

TEST_F(ExportWindowTest, ANameWithAPathIsRefusedAndAnMboxGoesWhereItsPathSays) {
  ASSERT_TRUE(window->chooseFormat("TAPCIS"));
  window->inFile()->setText(QString::fromStdString((home.path() / "out.txt").string()));
  EXPECT_EQ(window->start(), ExportWindow::Outcome::Refused);
  EXPECT_EQ(ui.last().title, "Filename error");
  EXPECT_EQ(ui.last().text, "Do not include the path, just the filename!");
  EXPECT_TRUE(window->resultText()->text().isEmpty());

  ASSERT_TRUE(window->chooseFormat("mbox"));
  EXPECT_TRUE(window->inFile()->text().isEmpty());
  EXPECT_EQ(window->start(), ExportWindow::Outcome::Refused);  // no path given
  const QString mbox = QString::fromStdString((home.path() / "club.mbox").string());
  window->inFile()->setText(mbox);
  ASSERT_TRUE(window->selection()->setCode(exporting::SelectionCode::All));
  EXPECT_EQ(window->start(), ExportWindow::Outcome::Done);
  EXPECT_EQ(window->writtenFiles()->toPlainText(), mbox);
  EXPECT_EQ(contentOf(mbox).count("\nFrom ") + (contentOf(mbox).startsWith("From ") ? 1 : 0), 5);
}

TEST_F(ExportWindowTest, AMailDatabaseOffersItsFormatsAndWritesEudoraToTwoFiles) {
  ASSERT_TRUE(frame->activateDatabase(kMail));
  QApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(frame->windowNamed(app::windows::kFindGroup, app::windows::kExportProc), nullptr);  // closed with the browse
  window = frame->openExport();
  ASSERT_NE(window, nullptr);
  QStringList formats;
  for (int i = 0; i < window->formatBox()->count(); ++i) formats << window->formatBox()->itemText(i);
  EXPECT_EQ(formats, QStringList({"Eudora", "OzWin II", "TAPCIS", "Generic Mail Type 1", "Generic Mail Type 2",
                                  "dBase III", "mbox", "Maildir", "EML"}));
  ASSERT_TRUE(window->chooseFormat("Eudora"));
  EXPECT_EQ(window->inFile()->text(), "InBox.MBX");
  EXPECT_EQ(window->outFile()->text(), "OutBox.MBX");
  EXPECT_TRUE(window->outFile()->isEnabled());

  // Equal names are refused; nothing is written.
  window->outFile()->setText("inbox.mbx");
  ASSERT_TRUE(window->selection()->setCode(exporting::SelectionCode::All));
  EXPECT_EQ(window->start(), ExportWindow::Outcome::Refused);
  EXPECT_EQ(ui.last().text, "The in-file and the out-file must have different names!");

  window->outFile()->setText("OutBox.MBX");
  EXPECT_EQ(window->start(), ExportWindow::Outcome::Done);
  const QString temp = QString::fromStdString(app->ctx().mem.TempDir.string());
  const QStringList written = window->writtenFiles()->toPlainText().split("\n");
  EXPECT_TRUE(written.contains(temp + "/InBox.MBX")) << written.join("|").toStdString();
  // One "From " line (weekday, month) per mail; a body line that happens to start alike does not count.
  const QRegularExpression separator(R"(^From \?\?\?@\?\?\? [A-Z][a-z]{2} [A-Z][a-z]{2} )",
                                     QRegularExpression::MultilineOption);
  const QString both = QString::fromLatin1(contentOf(temp + "/InBox.MBX") + contentOf(temp + "/OutBox.MBX"));
  EXPECT_EQ(both.count(separator), 3) << both.toStdString();
}

}  // namespace
}  // namespace qv::test
