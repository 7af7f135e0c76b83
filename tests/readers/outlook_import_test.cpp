// "Outlook Mail": the client driven through its automation interface, here
// an in-memory client, from the driver's start to the stored mail.
#include <algorithm>

#include "import/formats.h"
#include "import/wizard.h"
#include "readers/outlook/outlook_folders.h"
#include "readers/outlook/outlook_reader.h"
#include "readers/registry.h"
#include "tests/import/import_fixture.h"
#include "tests/readers/outlook_memory.h"

namespace qv::test {
namespace {

using engine::Err;

class OutlookImport : public ImportTest {
 protected:
  OutlookImport() {
    registerAllReaders(lib);
    outlook::registerOutlookFolders(lib, [this] { return std::make_unique<MemoryOutlook>(client); });
    mailDb = addMail("Jane Smith", "jane@y.org");
    const int top = client->folder(0, "Personal Folders");
    inbox = client->folder(top, "Inbox");
    client->folder(top, "Calendar", 1);
    client->folder(top, "Drafts");  // no items: not offered
    const int archive = client->folder(inbox, "Archive");
    client->item(archive, "Old", "Al", "archived\r\n", "12/30/1999 23:59:59", "al@x.org", "Al");
  }

  ImportSummary runOutlook(std::vector<std::string> folders) {
    ImportSettings s = settings("Outlook Mail", std::move(folders));
    s.mail = true;
    s.mailDatabase = mailDb;
    Context importCtx(lib);
    ImportJob job(importCtx, s);
    runToEnd(job);
    return job.summary();
  }

  // subject|sender address|sender name|recipient address|recipient name|date|time|text, sorted.
  std::vector<std::string> mails() {
    openDatabase(mailDb);
    std::vector<std::string> out;
    ctx->fileOf<Mail>().set(Mail::DateKey);
    while (ctx->fileOf<Mail>().next() == Err::Ok) {
      const Mail m = ctx->mai;
      auto person = [&](std::uint32_t id) {
        ctx->per.PERSONID = id;
        return ctx->fileOf<Person>().get(Person::PersonKey) == Err::Ok
                   ? ctx->per.ADDRESS.str() + "|" + ctx->per.FIRSTNAME.str() + ctx->per.LASTNAME.str()
                   : std::string("?|?");
      };
      ctx->txt.MSGNUMBER = m.MAILID;
      const std::string text = ctx->fileOf<MsgText>().get(MsgText::IdKey) == Err::Ok ? ctx->txtMemo : "?";
      out.push_back(m.SUBJECT.str() + "|" + person(m.FROMID) + "|" + person(m.TOID) + "|" +
                    std::to_string(m.DATE) + "|" + std::to_string(m.TIME) +
                    "|" + text);
    }
    std::sort(out.begin(), out.end());
    return out;
  }

  std::shared_ptr<MemoryOutlookState> client = std::make_shared<MemoryOutlookState>();
  std::uint32_t mailDb = 0;
  int inbox = 0;
};

TEST_F(OutlookImport, ToRecipientsEachGiveARecordAndDirectorySendersAreTheOwner) {
  // Sent by the owner (a sender from the client's directory) to two To
  // recipients and one copy: a record for each To recipient.
  const int one = client->item(inbox, "Plans", "Jane", "two To, one CC\r\n", "01/05/2000 09:30:00", "/o=Org/cn=Jane",
                               "Jane S");
  client->recipient(one, 1, "Ann@X.org", "Ann");
  client->recipient(one, 1, "bob@x.org", "Bob");
  client->recipient(one, 2, "carl@x.org", "Carl");  // a copy: nothing written
  const int two = client->item(inbox, "From Dora", "Dora", "received\r\n", "01/06/2000 10:00", "dora@x.org", "Dora Fox");
  client->recipient(two, 1, "jane@y.org", "Jane");
  const int three = client->item(inbox, "No reply", "Eve", "", "", "", "");
  client->nodes[static_cast<std::size_t>(three)].properties["SUBJECT"] = std::string(outlook::kPropertyFailed);
  client->recipient(three, 1, "jane@y.org", "Jane");

  const ImportSummary r = runOutlook({"Inbox"});
  EXPECT_TRUE(r.completed) << r.outcome;
  EXPECT_EQ(r.files, 1u);  // the selected folder, not its Archive
  EXPECT_EQ(r.converted, 4u);
  EXPECT_EQ(r.imported, 4u);
  const std::string jan5 = std::to_string(dates::dayNumber(2000, 1, 5));
  const std::string jan6 = std::to_string(dates::dayNumber(2000, 1, 6));
  const std::string owner = "jane@y.org|JaneSmith";
  EXPECT_EQ(mails(), (std::vector<std::string>{
                         "From Dora|dora@x.org|DoraFox|" + owner + "|" + jan6 + "|" +
                             std::to_string(dates::timeOf(10, 0, 0)) + "|received\r\n",
                         "Plans|" + owner + "|ann@x.org|Ann|" + jan5 + "|" + std::to_string(dates::timeOf(9, 30, 0)) +
                             "|two To, one CC\r\n",
                         "Plans|" + owner + "|bob@x.org|Bob|" + jan5 + "|" + std::to_string(dates::timeOf(9, 30, 0)) +
                             "|two To, one CC\r\n",
                         // A failed property read: an empty subject; without a reply the sender
                         // name becomes the address and the name "Unknown"; no date.
                         "|eve|Unknown|" + owner + "|0|0|",
                     }));
  // Every object went back before the client was told to quit, once.
  EXPECT_EQ(client->quits, 1);
  EXPECT_EQ(client->liveAtQuit, 0u);
  EXPECT_EQ(client->badReleases, 0);
  EXPECT_EQ(client->deletedReplies, 2);
}

TEST_F(OutlookImport, TheFolderListAndTheDriversRefusals) {
  outlook::Session session(std::make_unique<MemoryOutlook>(client));
  ASSERT_EQ(session.start(), outlook::StartResult::Started);
  std::vector<std::string> names;
  for (const outlook::Folder& f : session.folders()) names.push_back(f.parentName + "\\" + f.name);
  // Mail folders with items only, a folder before its own folders.
  EXPECT_EQ(names, (std::vector<std::string>{"Inbox\\Archive"}));
  client->item(inbox, "x", "y", "z", "");
  outlook::Session again(std::make_unique<MemoryOutlook>(client));
  ASSERT_EQ(again.start(), outlook::StartResult::Started);
  ASSERT_EQ(again.folders().size(), 2u);
  EXPECT_EQ(again.folders()[0].name, "Inbox");
  EXPECT_EQ(again.folders()[0].parentName, "Personal Folders");
  EXPECT_TRUE(again.select({"Personal Folders\\Inbox", "Archive"}));
  EXPECT_EQ(again.selectedItems(), 2u);
  EXPECT_FALSE(again.select({"Inbox", "Drafts"}));
  session.close();
  again.close();
  EXPECT_EQ(client->quits, 2);
  EXPECT_EQ(client->liveAtQuit, 0u);

  ImportSummary r = runOutlook({"Inbox", "Drafts"});
  EXPECT_FALSE(r.completed);
  EXPECT_TRUE(shown(outlook::kFoldersMissingText));
  client->canRun = false;
  r = runOutlook({"Inbox"});
  EXPECT_TRUE(shown(outlook::kCannotRunText));
  client->version.clear();
  r = runOutlook({"Inbox"});
  EXPECT_TRUE(shown(outlook::kNotInitialisedText));
  EXPECT_EQ(client->liveAtQuit, 0u);

  // This system's own client is not installed: the wizard says so.
  ImportWizard wizard(*ctx);
  EXPECT_FALSE(wizard.chooseFormat(kFormatOutlookMail));
  EXPECT_TRUE(shown(kOutlookMissingText));
  ImportWizard withClient(*ctx, [this] {
    return outlook::clientInstalled([this] { return std::make_unique<MemoryOutlook>(client); });
  });
  client->version = "Outlook.Application.11";
  EXPECT_TRUE(withClient.chooseFormat(kFormatOutlookMail));
}

TEST_F(OutlookImport, ItemsAreConvertedTenACall) {
  for (int i = 0; i < 23; ++i) {
    const int it = client->item(inbox, "Item " + std::to_string(i), "Ann", "b", "01/05/2000", "ann@x.org", "Ann");
    client->recipient(it, 1, "jane@y.org", "Jane");
  }
  outlook::Session session(std::make_unique<MemoryOutlook>(client));
  ASSERT_EQ(session.start(), outlook::StartResult::Started);
  ASSERT_TRUE(session.select({"Inbox"}));
  ImportSettings s = settings("Outlook Mail", {"Inbox"});
  s.mail = true;
  s.mailDatabase = mailDb;
  TargetList targets;
  targets.load(*ctx);
  OP_CLOSE(*ctx, kOpOpen, {NewHR::FileNo, CCT::FileNo, TempID::FileNo});
  ImportRun run(*ctx, s, targets);
  outlook::OutlookReader reader(session, session.folders()[0]);
  ASSERT_FALSE(reader.call(ReaderPhase::Open, run));
  std::vector<std::uint64_t> progress;
  while (!reader.call(ReaderPhase::Convert, run)) progress.push_back(run.progress);
  progress.push_back(run.progress);
  EXPECT_EQ(progress, (std::vector<std::uint64_t>{10, 20, 23}));
  EXPECT_EQ(run.converted, 23u);
}

}  // namespace
}  // namespace qv::test
