// Internet stores imported end to end: the readers as the import driver
// calls them, into mail and newsgroup databases.
#include "import/formats.h"
#include "readers/machinery/store_reader.h"
#include "tests/readers/internet_import_fixture.h"

namespace qv::test {
namespace {

using engine::Err;

const std::string kMailbox =
    "From bob@example.org Sat May  1 12:00:00 1999\n"
    "From: Bob Ray <Bob@Example.org>\nTo: Jane Smith <jane@example.org>\n"
    "Date: Sat, 1 May 1999 12:00:00 +0200\nSubject: Lunch\n\nNoon?\n"
    "From jane@work.example Sat May  1 12:30:00 1999\n"
    "From: Jane <jane@WORK.example>\nTo: bob@example.org\nDate: Sat, 1 May 1999 12:30:00\n"
    "Subject: Re: Lunch\n\nYes=20please, soft=\nline\n"
    "From carl@example.org Sat May  1 13:00:00 1999\n"
    "From: carl@example.org\nNewsgroups: comp.lunch\nSubject: Lunch news\n\nAn article\n";

TEST_F(InternetImport, LfOnlyAndCrLfTwinsOfAGenericMailType2FileImportTheSame) {
  std::vector<std::string> stored[2];
  const std::uint32_t databases[2] = {addMail("Jane Smith", "jane@example.org", "jane@work.example"),
                                      addMail("Jane Twin", "jane@example.org", "jane@work.example")};
  for (int twin = 0; twin < 2; ++twin) {
    const std::uint32_t mail = databases[twin];
    writeSource("twin.mbx", twin == 0 ? kMailbox : crlf(kMailbox));
    ImportSettings s = settings("Generic Mail Type 2", {"twin.mbx"});
    s.mail = true;
    s.mailDatabase = mail;
    const ImportSummary r = run(s);
    EXPECT_TRUE(r.completed) << r.outcome;
    EXPECT_EQ(r.imported, 2u);
    ASSERT_EQ(r.unreadable.size(), 1u);  // the article among the mail
    EXPECT_EQ(r.unreadable[0].why, "a news article among mail (Newsgroups line)");
    stored[twin] = mails(mail);
  }
  EXPECT_EQ(stored[0], stored[1]);
  const std::string day = std::to_string(dates::dayNumber(1999, 5, 1));
  ASSERT_EQ(stored[0].size(), 2u);
  EXPECT_EQ(stored[0][0],
            "Lunch|" + day + "|" + std::to_string(dates::timeOf(12, 0, 0)) + "|bob@example.org|owner|Noon?\r\n");
  // From the owner's alternative address: sent, the owner on the sender's side.
  EXPECT_EQ(stored[0][1], "Lunch|" + day + "|" + std::to_string(dates::timeOf(12, 30, 0)) +
                              "|owner|bob@example.org|Yes please, softline\r\n");
}

// A multipart mail whose Content-Type names no boundary is stored with its
// whole body and counted as imported: a malformed MIME header loses no mail.
TEST_F(InternetImport, MultipartMailWithoutBoundaryIsStoredWhole) {
  const std::uint32_t mail = addMail("Jane Smith", "jane@example.org");
  writeSource("parts.mbx",
              "From bob@example.org Sat May  1 12:00:00 1999\nFrom: bob@example.org\nTo: jane@example.org\n"
              "Date: Sat, 1 May 1999 12:00:00\nSubject: Photos\nMIME-Version: 1.0\nContent-Type: multipart/mixed\n\n"
              "See below.\n--x\nContent-Type: text/plain\n\nHello\n--x--\n");
  ImportSettings s = settings("Generic Mail Type 2", {"parts.mbx"});
  s.mail = true;
  s.mailDatabase = mail;
  const ImportSummary r = run(s);
  EXPECT_TRUE(r.completed) << r.outcome;
  EXPECT_EQ(r.imported, 1u);
  EXPECT_EQ(r.skipped, 0u);
  EXPECT_TRUE(r.unreadable.empty());
  EXPECT_EQ(mails(mail), std::vector<std::string>{"Photos|" + std::to_string(dates::dayNumber(1999, 5, 1)) + "|" +
                                                  std::to_string(dates::timeOf(12, 0, 0)) +
                                                  "|bob@example.org|owner|See below.\r\n--x\r\n"
                                                  "Content-Type: text/plain\r\n\r\nHello\r\n--x--\r\n"});
}

TEST_F(InternetImport, EudoraWithItsTableOfContentsAndSentMail) {
  const std::uint32_t mail = addMail("Jane Smith", "me@y.org");
  const std::string first =
      "From ???@??? Sat Jan 01 10:00:00 2000\r\nFrom: Ann <ann@x.org>\r\nTo: me@y.org\r\nSubject: One\r\n"
      "Date: Sat, 1 Jan 2000 10:00:00\r\n\r\nBody one\r\nFrom ???@??? Sun Jan 02 11:00:00 2000\r\nquoted\r\n";
  const std::string second =
      "From ???@??? Mon Jan 03 12:30:45 2000\r\nFrom: me@y.org\r\nTo: Bob <bob@x.org>\r\nSubject: Two\r\n\r\nSent\r\n";
  writeSource("In.mbx", first + second);
  std::string toc(104, '\0');
  for (std::uint32_t offset : {0u, static_cast<std::uint32_t>(first.size())}) {
    std::string entry;
    putLe32(entry, offset);
    entry.resize(218, '\0');
    toc += entry;
  }
  writeSource("In.toc", toc);  // found whatever the letter case of its extension
  ImportSettings s = settings("Eudora", {"In.mbx"});
  s.mail = true;
  s.mailDatabase = mail;
  const ImportSummary r = run(s);
  EXPECT_TRUE(r.completed) << r.outcome;
  const std::vector<std::string> stored = mails(mail);
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0], "One|" + std::to_string(dates::dayNumber(2000, 1, 1)) + "|" +
                           std::to_string(dates::timeOf(10, 0, 0)) +
                           "|ann@x.org|owner|Body one\r\nFrom ???@??? Sun Jan 02 11:00:00 2000\r\nquoted\r\n");
  EXPECT_EQ(stored[1], "Two|" + std::to_string(dates::dayNumber(2000, 1, 3)) + "|" +
                           std::to_string(dates::timeOf(12, 30, 0)) + "|owner|bob@x.org|Sent\r\n");
}

TEST_F(InternetImport, NewsArticlesGoToTheirFirstNewsgroupWithAllOrUnknownAsRecipient) {
  writeSource("news.snm",
              "Newsgroups: comp.test, comp.other\r\nFrom: Ann Lee <ann@x.org>\r\nSubject: Hello\r\n"
              "Message-ID: <a1@x>\r\nDate: 5 Jan 2000 09:30\r\n\r\nHi all\r\n"
              "Newsgroups: comp.test\r\nFrom: Bob Ray <bob@x.org>\r\nSubject: Re: Elsewhere\r\n"
              "Message-ID: <b1@x>\r\nReferences: <missing@x>\r\nDate: 6 Jan 2000 10:00\r\n\r\nAnswer\r\n");
  ImportSettings s = settings("Netscape News", {"news.snm"});
  s.news = true;
  const ImportSummary r = run(s);
  EXPECT_TRUE(r.completed) << r.outcome;
  EXPECT_EQ(r.imported, 2u);
  ASSERT_EQ(r.databases, std::vector<std::string>{"comp.test"});
  OP_CLOSE(*ctx, kOpOpen, {Forums::FileNo});
  ctx->for_.DESCRIPTION = "comp.test";
  ASSERT_EQ(ctx->fileOf<Forums>().get(Forums::AlphaKey), Err::Ok);
  const std::uint32_t id = ctx->for_.ID;
  OP_CLOSE(*ctx, kOpRelease, {Forums::FileNo});
  openDatabase(id);
  std::vector<std::pair<std::int32_t, std::string>> recipients;  // by date
  ctx->fileOf<MsgNmbr>().set();
  while (ctx->fileOf<MsgNmbr>().next() == Err::Ok) {
    const MsgNmbr m = ctx->msg;
    ctx->per.PERSONID = m.TOID;
    ASSERT_EQ(ctx->fileOf<Person>().get(Person::PersonKey), Err::Ok);
    recipients.emplace_back(+m.DATE, ctx->per.LASTNAME.str());
  }
  std::sort(recipients.begin(), recipients.end());
  ASSERT_EQ(recipients.size(), 2u);
  EXPECT_EQ(recipients[0].second, "All");      // the article that answers nothing
  EXPECT_EQ(recipients[1].second, "Unknown");  // the reply (its parent is not here)
}

TEST_F(InternetImport, EveryInternetStoreFormatOfTheCatalogueHasItsReader) {
  for (int number : {6, 8, 9, 20, 21, 22, 23, 24, 26, 27, 29, 30, 35, 37, 39, 40}) {
    const std::string name = formatName(number);
    std::unique_ptr<Reader> reader = makeReader(lib, name);
    EXPECT_NE(dynamic_cast<internet::StoreReader*>(reader.get()), nullptr) << name;
  }
  EXPECT_EQ(internet::storeFormats().size(), 16u);
}

TEST_F(InternetImport, ProgressAddsUpToTheFileSizeOverSeveralCalls) {
  std::string mailbox;
  for (int i = 0; i < 9; ++i) mailbox += kMailbox;
  writeSource("progress.mbx", mailbox);
  ImportSettings s = settings("Generic Mail Type 2", {"progress.mbx"});  // mail off: nothing is written
  TargetList targets;
  ImportRun run(*ctx, s, targets);
  run.file.name = sources / "progress.mbx";
  run.budget = 4;
  std::unique_ptr<Reader> reader = makeReader(lib, "Generic Mail Type 2");
  ASSERT_FALSE(reader->call(ReaderPhase::Open, run));
  int calls = 0;
  std::uint64_t before = 0;
  while (!reader->call(ReaderPhase::Convert, run)) {
    EXPECT_GT(run.progress, before);  // every call reads on
    before = run.progress;
    ASSERT_LT(++calls, 100);
  }
  EXPECT_EQ(calls, 6);  // 27 messages, 4 a call
  EXPECT_EQ(run.progress, mailbox.size());
  EXPECT_EQ(run.skipped.size(), 27u);  // mail is not imported this time
  EXPECT_EQ(run.converted, 0u);

  // A file that is not there is finished at once, and said so.
  run.file.name = sources / "missing.mbx";
  reader = makeReader(lib, "Generic Mail Type 2");
  EXPECT_TRUE(reader->call(ReaderPhase::Open, run));
  EXPECT_EQ(run.skipped.back().why, "the file cannot be read");
}

}  // namespace
}  // namespace qv::test
