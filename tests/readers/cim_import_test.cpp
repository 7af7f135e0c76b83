// The CompuServe client stores as the import driver converts them: the
// temporary records with the recipient rules, and the samples imported end
// to end into forum and mail databases.
#include <algorithm>
#include <fstream>
#include <sstream>

#include "readers/registry.h"
#include "tests/import/import_fixture.h"
#include "tests/readers/cim_writer.h"

namespace qv::test {
namespace {

using engine::Err;
using namespace qv::test::cim;

struct Converted {
  std::vector<NewHR> records;
  std::vector<std::string> texts;
  std::vector<CCT> copies;
  std::vector<SkippedMessage> skipped;
};

class CimImport : public ImportTest {
 protected:
  CimImport() { registerAllReaders(lib); }

  // Converts one source file the way the driver does and returns what went
  // into the temporary files.
  Converted convert(const std::string& format, const std::string& name, const ImportSettings& s) {
    Converted out;
    OP_CLOSE(*ctx, kOpRemove, {NewHR::FileNo, CCT::FileNo, TempID::FileNo});
    OP_CLOSE(*ctx, kOpOpen, {NewHR::FileNo, CCT::FileNo, TempID::FileNo, SaveFile::FileNo});
    TargetList targets;
    targets.load(*ctx);
    ImportRun run(*ctx, s, targets);
    run.file.name = sources / name;
    run.file.size = static_cast<std::uint32_t>(std::filesystem::file_size(run.file.name));
    run.runCounter = 300000;
    std::unique_ptr<Reader> reader = makeReader(lib, format);
    EXPECT_NE(reader, nullptr);
    bool done = reader->call(ReaderPhase::Open, run);
    if (!done && format == "CompuServe 3 and 4")
      while (!reader->call(ReaderPhase::FirstPass, run)) {
      }
    for (int calls = 0; !done && calls < 100; ++calls) done = reader->call(ReaderPhase::Convert, run);
    EXPECT_TRUE(done);
    out.skipped = run.skipped;
    ctx->fileOf<NewHR>().set();
    while (ctx->fileOf<NewHR>().next() == Err::Ok) {
      out.records.push_back(ctx->nhr);
      out.texts.push_back(ctx->nhrMemo);
    }
    ctx->fileOf<CCT>().set();
    while (ctx->fileOf<CCT>().next() == Err::Ok) out.copies.push_back(ctx->cct);
    OP_CLOSE(*ctx, kOpRemove, {NewHR::FileNo, CCT::FileNo, TempID::FileNo});
    OP_CLOSE(*ctx, kOpRelease, {SaveFile::FileNo});
    return out;
  }

  ImportSettings mailSettings(const std::string& format, const std::string& file, std::uint32_t mailDb) {
    ImportSettings s = settings(format, {file});
    s.mail = true;
    s.forum = true;
    s.mailDatabase = mailDb;
    return s;
  }

  std::string personAddress(std::uint32_t id) {
    ctx->per.PERSONID = id;
    return ctx->fileOf<Person>().get(Person::PersonKey) == Err::Ok ? ctx->per.ADDRESS.str() : "?";
  }
};

TEST_F(CimImport, CabinetMailRecipientRules) {
  const std::uint32_t mail = addMail("Jane Smith", "jane@example.org");
  CabinetMail received;  // from bob to three people: one record to the owner, three carbon copies
  received.subject = "Copy of: Lunch";
  received.senderName = "\"bob@example.org\"";
  received.recipients = {{"Jane Smith", "INTERNET:jane@example.org"}, {"\"Cy Dunn\"", "70000,303"},
                         {"Dee Fox", "INTERNET dee@example.org"}};
  CabinetMail sent;  // from the owner to two people: two records with consecutive numbers
  sent.subject = "Agenda";
  sent.senderAddress = "INTERNET:Jane@Example.org";
  sent.recipients = {{"Ann Lee", "70000,101"}, {"Bob Ray", "INTERNET:Bob@Example.org"}};
  CabinetMail noSender;  // without sender address: sent by the owner; no recipient: not written
  noSender.senderAddress = "";
  CabinetMail lone;  // received, no recipient listed: addressed to the owner
  lone.subject = "Lone";
  writeSource("FCABINET.DAT", cabinet({object(received), object(sent), object(noSender), object(lone)}));
  const Converted c = convert("CompuServe 3 and 4", "FCABINET.DAT", mailSettings("CompuServe 3 and 4", "FCABINET.DAT", mail));

  ASSERT_EQ(c.records.size(), 4u);
  const NewHR& r = c.records[0];
  EXPECT_EQ(r.HEADING.str(), "Lunch");
  EXPECT_EQ(r.MAILTYPE, 1);
  EXPECT_EQ(r.S_CISADRESS.str(), "bob@example.org");
  EXPECT_EQ(r.S_NAME.str(), "");  // the name was the address
  EXPECT_EQ(r.R_CISADRESS.str(), "jane@example.org");
  EXPECT_EQ(r.R_NAME.str(), "Jane Smith");
  EXPECT_EQ(r.RECIPTYPE.str(), "TO");
  EXPECT_EQ(r.FOR_DESCRIPTION.str(), "Jane Smith");
  EXPECT_EQ(+r.MSGNUMBER, +r.REFNUMBER);
  EXPECT_EQ(c.texts[0], "Mail text");
  ASSERT_EQ(c.copies.size(), 3u);
  for (const CCT& cc : c.copies) {
    EXPECT_EQ(+cc.MAILID, +r.MSGNUMBER);
    EXPECT_EQ(cc.RECIPTYPE.str(), "CC");
  }
  EXPECT_EQ(c.copies[0].R_CISADRESS.str(), "jane@example.org");
  EXPECT_EQ(c.copies[1].R_NAME.str(), "Cy Dunn");
  EXPECT_EQ(c.copies[2].R_CISADRESS.str(), "dee@example.org");

  for (int i : {1, 2}) {
    const NewHR& s = c.records[static_cast<std::size_t>(i)];
    EXPECT_EQ(s.MAILTYPE, 2);
    EXPECT_EQ(s.S_CISADRESS.str(), "jane@example.org");
    EXPECT_EQ(s.S_NAME.str(), "Jane Smith");
    EXPECT_EQ(s.HEADING.str(), "Agenda");
  }
  EXPECT_EQ(c.records[1].R_CISADRESS.str(), "70000,101");
  EXPECT_EQ(c.records[2].R_CISADRESS.str(), "bob@example.org");
  EXPECT_EQ(c.records[2].R_NAME.str(), "Bob Ray");
  EXPECT_EQ(+c.records[2].MSGNUMBER, c.records[1].MSGNUMBER + 1);
  EXPECT_EQ(c.records[3].HEADING.str(), "Lone");
  EXPECT_EQ(c.records[3].R_NAME.str(), "Jane Smith");
  ASSERT_EQ(c.skipped.size(), 1u);
  EXPECT_EQ(c.skipped[0].why, "a sent mail without recipient");
}

TEST_F(CimImport, MessageFileMailCopiesKeepTheirListTypes) {
  const std::uint32_t mail = addMail("Jane Smith", "jane@example.org");
  MailFile m;
  m.to = {{"Jane Smith", "jane@example.org"}};
  m.cc = {{"Bob Ray", "INTERNET:bob@example.org"}, {"Cy Dunn", "70000,303"}};
  writeSource("MAIL.MSG", file(m));
  const Converted c = convert("WinCIM", "MAIL.MSG", mailSettings("WinCIM", "MAIL.MSG", mail));
  ASSERT_EQ(c.records.size(), 1u);
  EXPECT_EQ(c.records[0].MAILTYPE, 1);
  EXPECT_EQ(c.records[0].S_NAME.str(), "Carl Dee");  // quotes removed
  EXPECT_EQ(c.records[0].S_CISADRESS.str(), "carl@example.org");
  EXPECT_EQ(c.records[0].R_CISADRESS.str(), "jane@example.org");
  ASSERT_EQ(c.copies.size(), 3u);
  EXPECT_EQ(c.copies[0].RECIPTYPE.str(), "TO");
  EXPECT_EQ(c.copies[1].RECIPTYPE.str(), "CC");
  EXPECT_EQ(c.copies[2].RECIPTYPE.str(), "CC");
  EXPECT_EQ(c.copies[1].R_CISADRESS.str(), "bob@example.org");

  // Mail switched off: counted as skipped, nothing written.
  ImportSettings off = mailSettings("WinCIM", "MAIL.MSG", mail);
  off.mail = false;
  const Converted none = convert("WinCIM", "MAIL.MSG", off);
  EXPECT_TRUE(none.records.empty());
  ASSERT_EQ(none.skipped.size(), 1u);
  EXPECT_EQ(none.skipped[0].why, "mail is not imported this time");
}

TEST_F(CimImport, ForumNamesLoseTheirCisPrefixOnly) {
  CabinetForum prefixed;
  CabinetForum plain;
  plain.forum = "CISCO USERS";
  plain.number = 1002;
  writeSource("FCABINET.DAT", cabinet({object(prefixed), object(plain)}));
  ImportSettings s = settings("CompuServe 3 and 4", {"FCABINET.DAT"});
  s.forum = true;
  const Converted c = convert("CompuServe 3 and 4", "FCABINET.DAT", s);
  ASSERT_EQ(c.records.size(), 2u);
  EXPECT_EQ(c.records[0].FOR_DESCRIPTION.str(), "TESTFORUM");
  EXPECT_EQ(+c.records[0].MSGNUMBER, 1001u);
  EXPECT_EQ(+c.records[0].SECTIONNUMBER, 3u);
  EXPECT_EQ(c.records[0].SEC_DESCRIPTION.str(), "General");
  EXPECT_EQ(c.records[1].FOR_DESCRIPTION.str(), "CISCO USERS");
}

TEST_F(CimImport, ANonCabinetFileIsRefusedWithTheDriversMessage) {
  writeSource("FCABINET.DAT", "not a filing cabinet at all");
  ImportSettings s = settings("CompuServe 3 and 4", {"FCABINET.DAT"});
  s.forum = true;
  const ImportSummary r = run(s);
  EXPECT_FALSE(r.completed);
  EXPECT_TRUE(shown((sources / "FCABINET.DAT").string() +
                    " is not a CompuServe 3 or 4 file!\r\nThis file will be skipped!"));
}

// The committed samples, imported the way scripts/demo.sh does.
TEST_F(CimImport, SamplesImportIntoTheirForumAndMailDatabases) {
  const std::filesystem::path samples = std::filesystem::path(QV_SOURCE_DIR) / "samples" / "cim";
  ASSERT_TRUE(std::filesystem::exists(samples / "FCABINET.DAT"));
  const std::uint32_t mail = addMail("Jane Smith", "jane@example.org");

  ImportSettings cab = mailSettings("CompuServe 3 and 4", "FCABINET.DAT", mail);
  cab.path = samples;
  const ImportSummary c = run(cab);
  EXPECT_TRUE(c.completed) << c.outcome;
  EXPECT_EQ(c.imported, 7u);  // 3 forum messages, 4 mails
  EXPECT_EQ(c.databases, (std::vector<std::string>{"Jane Smith", "SAMPLEFORUM"}));

  ImportSettings msgs = settings("WinCIM", {});
  msgs.method = kSelectDirectory;
  msgs.path = samples / "messages";
  msgs.masks = {"*.THD", "*.MSG", "*.PLX"};
  msgs.mail = msgs.forum = true;
  msgs.mailDatabase = mail;
  const ImportSummary m = run(msgs);
  EXPECT_TRUE(m.completed) << m.outcome;
  EXPECT_EQ(m.imported, 4u);
  EXPECT_EQ(m.databases, (std::vector<std::string>{"Jane Smith", "MODEMFORUM"}));

  // The mailbox: 6 mails (newest first); the carbon copies that are not the owner's own.
  openDatabase(mail);
  std::vector<std::string> subjects;
  ctx->fileOf<Mail>().set(Mail::DateKey);
  while (ctx->fileOf<Mail>().next() == Err::Ok) subjects.push_back(ctx->mai.SUBJECT.str());
  EXPECT_EQ(subjects, (std::vector<std::string>{"Re: Project plan", "Project plan", "Thanks", "Agenda", "Agenda",
                                                "Lunch"}));
  std::vector<std::string> copies;
  ctx->fileOf<CCR>().set();
  while (ctx->fileOf<CCR>().next() == Err::Ok)
    copies.push_back(ctx->ccr.R_CISADRESS.str() + " " + ctx->ccr.RECIPTYPE.str());
  std::sort(copies.begin(), copies.end());
  EXPECT_EQ(copies, (std::vector<std::string>{"70000,303 CC", "70000,303 CC", "bob@example.org CC",
                                              "dee@example.org CC"}));

  // The forum of the message files: the reply in the thread layout joins
  // the thread of the message it answers.
  OP_CLOSE(*ctx, kOpOpen, {Forums::FileNo});
  ctx->for_.DESCRIPTION = "MODEMFORUM";
  ASSERT_EQ(ctx->fileOf<Forums>().get(Forums::AlphaKey), Err::Ok);
  const std::uint32_t forum = ctx->for_.ID;
  OP_CLOSE(*ctx, kOpRelease, {Forums::FileNo});
  openDatabase(forum);
  ctx->msg.MSGNUMBER = 2002;
  ASSERT_EQ(ctx->fileOf<MsgNmbr>().get(MsgNmbr::IdKey), Err::Ok);
  const std::uint32_t thread = ctx->msg.THREADNUMBER;
  EXPECT_EQ(+ctx->msg.REFNUMBER, 2001u);
  EXPECT_EQ(+ctx->msg.DATE, dates::dayNumber(2001, 1, 2));
  ctx->msg.MSGNUMBER = 2001;
  ASSERT_EQ(ctx->fileOf<MsgNmbr>().get(MsgNmbr::IdKey), Err::Ok);
  EXPECT_EQ(+ctx->msg.THREADNUMBER, thread);
  ctx->txt.MSGNUMBER = 2002;
  ASSERT_EQ(ctx->fileOf<MsgText>().get(MsgText::IdKey), Err::Ok);
  EXPECT_EQ(ctx->txtMemo, "AT&F1 works for me.");
}

}  // namespace
}  // namespace qv::test
