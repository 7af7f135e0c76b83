// The address export window: the formats each database type offers, a
// TAPCIS and an Eudora address list written into the temporary directory,
// and the refusals (a path in the name, a topic filter without a topic).
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>

#include "app/gui/address_export_window.h"
#include "tests/gui/gui_fixture.h"

namespace qv::test {
namespace {

using gui::AddressExportWindow;

QStringList itemsOf(const QComboBox& box) {
  QStringList items;
  for (int i = 0; i < box.count(); ++i) items << box.itemText(i);
  return items;
}

QByteArray contentOf(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST_F(GuiTest, AddressExportWritesTheForumMembersAndRefusesBadInput) {
  withSampleDatabases();
  startFrame();
  EXPECT_TRUE(entries(frame->menuNamed("&Tools")).contains("Export &Addresses..."));
  AddressExportWindow* window = frame->openAddressExport();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(itemsOf(*window->formatBox()), QStringList({"OzWin II", "TAPCIS"}));
  EXPECT_EQ(window->fileName()->text(), "Address.Ab");
  ASSERT_TRUE(window->chooseFormat("TAPCIS"));
  EXPECT_EQ(window->fileName()->text(), "Address.Txt");

  window->fileName()->setText(QString::fromStdString((home.path() / "a.txt").string()));
  EXPECT_EQ(window->start(), AddressExportWindow::Outcome::Refused);
  EXPECT_EQ(ui.last().title, "Filename error");
  window->fileName()->setText("Members.Txt");
  window->topicFilter()->setChecked(true);
  EXPECT_EQ(window->start(), AddressExportWindow::Outcome::Refused);  // the sample has no topics
  EXPECT_EQ(ui.last().title, "Selection error");
  EXPECT_EQ(ui.last().text, "No topic selected!");
  window->topicFilter()->setChecked(false);

  EXPECT_EQ(window->start(), AddressExportWindow::Outcome::Done);
  const QString path = QString::fromStdString((app->ctx().mem.TempDir / "Members.Txt").string());
  EXPECT_TRUE(window->resultText()->text().endsWith(path)) << window->resultText()->text().toStdString();
  EXPECT_EQ(ui.last().title, " Address export");
  const QByteArray file = contentOf(path);
  const qsizetype lines = file.count("|\r\n");
  EXPECT_GT(lines, 0) << file.toStdString();
  EXPECT_EQ(lines, file.count("\r\n"));
  EXPECT_TRUE(window->resultText()->text().startsWith(QString::number(lines) + " addresses written to file."));
}

TEST_F(GuiTest, AddressExportOfAMailDatabaseWritesEudoraAliases) {
  withSampleDatabases();
  startFrame();
  ASSERT_TRUE(frame->activateDatabase(kMail));
  AddressExportWindow* window = frame->openAddressExport();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(itemsOf(*window->formatBox()), QStringList({"Eudora", "OzWin II", "TAPCIS", "Generic Mail", "dBase III"}));
  ASSERT_TRUE(window->chooseFormat("Eudora"));
  EXPECT_EQ(window->start(), AddressExportWindow::Outcome::Done);
  const QByteArray file = contentOf(QString::fromStdString((app->ctx().mem.TempDir / "Address.Txt").string()));
  EXPECT_TRUE(file.startsWith("alias ")) << file.toStdString();
  EXPECT_EQ(file.count("alias "), file.count("\r\n"));
  EXPECT_TRUE(file.contains("@"));
}

}  // namespace
}  // namespace qv::test
