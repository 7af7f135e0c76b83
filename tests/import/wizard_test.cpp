// The Import Wizard's rules: pages by format, the fall-back of a cancelled
// file selection, and every refusal before an import starts.
#include "import/wizard.h"

#include <gtest/gtest.h>

#include <functional>

#include "store/config.h"
#include "store/database_list.h"
#include "tests/store/store_fixture.h"

namespace qv::test {
namespace {

class WizardTest : public StoreTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(AddForumDatabase(*ctx, "Computer Club"));
    forumId = ctx->for_.ID;
    MailDatabaseForm form;
    form.name = "Jane Smith";
    form.address = "jane@example.org";
    std::uint32_t dir = NextDirNumber(*ctx);
    ASSERT_TRUE(AddMailDatabase(*ctx, form, dir));
    mailId = ctx->for_.ID;
    ui.clear();
  }
  // An import that may start: Eudora mail from one directory.
  ImportSettings eudora() const {
    ImportSettings s;
    s.formatNumber = 6;
    s.method = kSelectDirectory;
    s.path = "/srv/mail";
    s.masks = {"*.MBX"};
    s.mail = true;
    s.mailDatabase = mailId;
    return s;
  }
  void setConfigured(int format, const std::string& importPath) {
    std::int32_t value = format;
    std::string text;
    ASSERT_EQ(Konfig(*ctx, kKonfigSetGeneral, kItemImportFormat, value, 0, text), 1);
    text = importPath;
    ASSERT_EQ(Konfig(*ctx, kKonfigSetImportPath, kItemImportPath, value, 0, text), 1);
  }
  std::uint32_t forumId = 0;
  std::uint32_t mailId = 0;
};

struct Refusal {
  const char* what;
  std::function<void(ImportSettings&, std::uint32_t forumId, std::uint32_t mailId)> change;
  StartFrom from;
  std::string title;
  std::string text;
};

TEST_F(WizardTest, EveryRefusalShowsItsMessageAndStopsTheStart) {
  const std::vector<Refusal> cases = {
      {"no message type", [](ImportSettings& s, auto, auto) { s.mail = false; }, StartFrom::Wizard, "Warning!",
       "No message type is selected!\r\nChoose mail, forum or newsgroup messages to import."},
      {"mail without database", [](ImportSettings& s, auto, auto) { s.mailDatabase = 0; }, StartFrom::Wizard,
       "Warning!", "Mail messages are to be imported,\r\nbut no mail database is selected!"},
      {"mail database gone", [](ImportSettings& s, auto, auto) { s.mailDatabase = 999999; }, StartFrom::Wizard,
       "Warning!", "The mail database selected for this import does not exist!"},
      {"forum database as mail database",
       [](ImportSettings& s, std::uint32_t forum, auto) { s.mailDatabase = forum; }, StartFrom::Wizard, "Warning!",
       "The database selected for mail messages is not a mail database!"},
      {"forum without database for a format naming no forum",
       [](ImportSettings& s, auto, auto) {
         s.formatNumber = 1;
         s.mail = false;
         s.forum = true;
         s.files = {"cis.ato"};
       },
       StartFrom::Wizard, "Warning!",
       "Forum messages are to be imported, but no forum database is selected!\r\nThe files of AUTOSIG do not name "
       "the forum they come from."},
      {"mail database as forum database",
       [](ImportSettings& s, auto, std::uint32_t mail) {
         s.formatNumber = 15;
         s.forum = true;
         s.forumDatabase = mail;
         s.files = {"cis.msg"};
       },
       StartFrom::Definition, "Warning!", "The database selected for forum messages is not a forum database!"},
      {"tree without masks",
       [](ImportSettings& s, auto, auto) {
         s.method = kSelectTree;
         s.masks.clear();
       },
       StartFrom::Wizard, "Warning!", "No file extension(s) specified"},
      {"directory without masks", [](ImportSettings& s, auto, auto) { s.masks.clear(); }, StartFrom::Definition,
       "Warning!", "No file extension(s) specified"},
      {"file selection without files", [](ImportSettings& s, auto, auto) { s.method = kSelectFiles; },
       StartFrom::Wizard, "Warning!", "No file(s) selected"},
      {"file selection without files in the editor", [](ImportSettings& s, auto, auto) { s.method = kSelectFiles; },
       StartFrom::Definition, " File specification error!",
       "When using the file selection method you must select which file(s) to import!"},
      {"a format that always selects files, given masks only",
       [](ImportSettings& s, auto, auto) { s.formatNumber = 15; }, StartFrom::Wizard, "Warning!",
       "No file(s) selected"},
      {"Outlook Mail without the mail client",
       [](ImportSettings& s, auto, auto) {
         s.formatNumber = 33;
         s.files = {"Inbox"};
       },
       StartFrom::Wizard, "Warning!", "Outlook Is Not Installed"},
      {"a reserved format number", [](ImportSettings& s, auto, auto) { s.formatNumber = 45; }, StartFrom::Wizard,
       "Warning!", "The import format 45 is not known!"},
      {"an unknown method", [](ImportSettings& s, auto, auto) { s.method = 3; }, StartFrom::Wizard, "Warning!",
       "Unknown file selection method 3!"},
  };
  for (const Refusal& c : cases) {
    SCOPED_TRACE(c.what);
    ui.clear();
    ImportSettings s = eudora();
    c.change(s, forumId, mailId);
    EXPECT_FALSE(validateForStart(*ctx, s, c.from));
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.last().title, c.title);
    EXPECT_EQ(ui.last().text, c.text);
  }

  // While a scheduled task runs the start is refused without a message.
  ui.clear();
  ctx->mem.DoTask = 2;
  ImportSettings s = eudora();
  s.mail = false;
  EXPECT_FALSE(validateForStart(*ctx, s, StartFrom::Wizard));
  EXPECT_TRUE(ui.shown.empty());
}

TEST_F(WizardTest, ImportsThatMayStartPassWithoutAMessage) {
  EXPECT_TRUE(validateForStart(*ctx, eudora(), StartFrom::Wizard));

  // WinCIM files name their forums: no forum database is needed.
  ImportSettings wincim;
  wincim.formatNumber = 17;
  wincim.forum = true;
  wincim.method = kSelectFiles;
  wincim.files = {"GAMERS.MSG"};
  EXPECT_TRUE(validateForStart(*ctx, wincim, StartFrom::Definition));

  ImportSettings autosig = wincim;
  autosig.formatNumber = 1;
  autosig.forumDatabase = forumId;
  EXPECT_TRUE(validateForStart(*ctx, autosig, StartFrom::Wizard));

  ImportSettings outlook = eudora();
  outlook.formatNumber = 33;
  outlook.masks.clear();
  outlook.files = {"Inbox"};
  EXPECT_TRUE(validateForStart(*ctx, outlook, StartFrom::Wizard, [] { return true; }));
  outlook.files.clear();
  EXPECT_FALSE(validateForStart(*ctx, outlook, StartFrom::Wizard, [] { return true; }));
  EXPECT_EQ(ui.last().text, "No file(s) selected");
  EXPECT_EQ(ui.shown.size(), 1u);
}

TEST_F(WizardTest, FormatDecidesThePagesAndTheDefaults) {
  setConfigured(6, "/srv/import");
  ImportWizard w(*ctx);
  EXPECT_EQ(w.settings().format, "Eudora");
  EXPECT_EQ(w.settings().masks, (std::vector<std::string>{"*.MBX"}));
  EXPECT_EQ(w.settings().path, "/srv/import");
  EXPECT_TRUE(w.offersMethodPage());
  EXPECT_TRUE(w.chooseMethod(kSelectTree));

  ASSERT_TRUE(w.chooseFormat(15));
  EXPECT_FALSE(w.offersMethodPage());
  EXPECT_EQ(w.settings().method, kSelectFiles);
  EXPECT_EQ(w.settings().masks, (std::vector<std::string>{"*.MSG", "*.OLD"}));
  EXPECT_FALSE(w.chooseMethod(kSelectDirectory));
  EXPECT_EQ(w.settings().method, kSelectFiles);

  EXPECT_FALSE(w.chooseFormat(41));
  EXPECT_FALSE(w.chooseFormat(0));
  EXPECT_EQ(w.settings().formatNumber, 15);

  // Without the mail client "Outlook Mail" cannot be chosen.
  EXPECT_FALSE(w.chooseFormat(33));
  EXPECT_EQ(ui.last().text, "Outlook Is Not Installed");
  EXPECT_EQ(w.settings().format, "TAPCIS 5.x");

  ImportWizard withOutlook(*ctx, [] { return true; });
  ASSERT_TRUE(withOutlook.chooseFormat(33));
  EXPECT_TRUE(withOutlook.choosesFolders());
  EXPECT_FALSE(withOutlook.offersMethodPage());
  EXPECT_EQ(withOutlook.settings().masks, (std::vector<std::string>{"*.MBX"}));  // no masks of its own
  withOutlook.chooseFolders({"Inbox", "Archive"});
  EXPECT_EQ(withOutlook.fileListText(), "Inbox##Archive");
}

TEST_F(WizardTest, CancelledFileSelectionFallsBackToTheConfiguredPathAndDefaultMasks) {
  setConfigured(17, "/srv/import");
  ImportWizard w(*ctx);
  w.setDirectory("/elsewhere", "*.TXT");
  w.chooseFiles("/elsewhere/cim", {"A.MSG", "B.THD"});
  EXPECT_EQ(w.fileListText(), "A.MSG##B.THD");
  w.cancelFileSelection();
  EXPECT_EQ(w.settings().path, "/srv/import");
  EXPECT_EQ(w.settings().masks, (std::vector<std::string>{"*.THD", "*.MSG", "*.PLX"}));
  EXPECT_TRUE(w.settings().files.empty());
}

TEST_F(WizardTest, StartSettlesFormatMethodAndNavcisVariant) {
  ImportWizard w(*ctx);
  ASSERT_TRUE(w.chooseFormat(10));
  w.chooseFiles("/srv/navcis", {"RECV.DBF"});
  w.settings().forum = true;
  ASSERT_TRUE(w.start());
  EXPECT_EQ(w.settings().format, "NavCIS 1.6x");
  EXPECT_EQ(w.settings().variant, 62);

  ASSERT_TRUE(w.chooseFormat(11));
  w.chooseFiles("/srv/navcis", {"HRECV.DBF"});
  ASSERT_TRUE(w.start());
  EXPECT_EQ(w.settings().format, "NavCIS 1.7x-");
  EXPECT_EQ(w.settings().variant, 76);

  // A definition of a format that always selects files runs as file selection.
  ImportSettings s;
  s.formatNumber = 1;
  s.method = kSelectTree;
  ASSERT_TRUE(prepareForStart(s));
  EXPECT_EQ(s.method, kSelectFiles);
  EXPECT_EQ(s.format, "AUTOSIG");
  EXPECT_EQ(s.variant, 0);
  s.formatNumber = 46;
  EXPECT_FALSE(prepareForStart(s));
  EXPECT_EQ(s.format, "AUTOSIG");
}

}  // namespace
}  // namespace qv::test
