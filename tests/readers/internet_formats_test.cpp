// Where each Internet store format starts and ends a message, and what the
// recognisers make of it.
#include <gtest/gtest.h>

#include <random>

#include "store/dates.h"
#include "tests/readers/internet_helpers.h"

namespace qv::test {
namespace {

using namespace qv::internet;

std::string theBatRecord(const std::string& text, std::uint32_t magic = 0x19700921) {
  std::string r;
  putLe32(r, magic);
  putLe32(r, 48);
  r.append(28, '\0');
  putLe32(r, static_cast<std::uint32_t>(text.size()));
  r.append(8, '\0');
  return r + text;
}

std::string theBatFile(const std::vector<std::string>& records) {
  std::string f;
  putLe32(f, 0x19790620);
  putLe32(f, 12);  // the file header's length
  putLe32(f, 0);
  for (const std::string& r : records) f += r;
  return f;
}

// An IE News record: the mark, 21 bytes, the header strings, then the text.
std::string newsRecord(const std::string& id, const std::string& subject, const std::string& from,
                       const std::string& references, const std::string& xref, const std::string& text) {
  std::string r = "\xBC";
  r.append(21, '\x01');
  for (const std::string* s : {&id, &subject, &from}) {
    r += *s;
    r += '\0';
  }
  r += references;
  r += '\0';
  r += xref;
  r += '\0';
  r += "\x05\x06\r\n";
  return r + text;
}

const std::string kEudora =
    "From ???@??? Sat Jan 01 10:00:00 2000\r\n"
    "From: Ann <ann@x.org>\r\nTo: me@y.org\r\nSubject: One\r\nDate: Sat, 1 Jan 2000 10:00:00 +0100\r\n\r\n"
    "Body one\r\n> quoted:\r\n";
const std::string kQuoted = "From ???@??? Sun Jan 02 11:00:00 2000\r\nmore body\r\n";
const std::string kEudoraSent =
    "From ???@??? Mon Jan 03 12:30:45 2000\r\n"
    "From: me@y.org\r\nTo: Bob <bob@x.org>\r\nSubject: Two\r\n\r\nSent body\r\n";

std::string eudoraToc(std::initializer_list<std::uint32_t> offsets) {
  std::string toc(104, '\0');
  for (std::uint32_t o : offsets) {
    std::string entry;
    putLe32(entry, o);
    entry.resize(218, '\0');
    toc += entry;
  }
  return toc;
}

TEST(EudoraReader, TheTableOfContentsDecidesWhichSeparatorsCount) {
  const std::string mailbox = kEudora + kQuoted + kEudoraSent;
  const auto sent = static_cast<std::uint32_t>(kEudora.size() + kQuoted.size());

  StoreRun r = readStore("Eudora", mailbox, 1000, {{"store.toc", eudoraToc({0, sent})}});
  ASSERT_EQ(r.sink.messages.size(), 2u);
  const Message& one = r.sink.messages[0];
  EXPECT_EQ(one.direction, Direction::Received);
  EXPECT_EQ(one.date, dates::dayNumber(2000, 1, 1));
  EXPECT_EQ(one.senderAddress, "ann@x.org");
  EXPECT_EQ(one.text, "Body one\r\n> quoted:\r\n" + crlf("From ???@??? Sun Jan 02 11:00:00 2000\nmore body\n"));
  // Without a Date line the mail was sent; the separator line dates it.
  const Message& two = r.sink.messages[1];
  EXPECT_EQ(two.direction, Direction::Sent);
  EXPECT_EQ(two.date, dates::dayNumber(2000, 1, 3));
  EXPECT_EQ(two.time, dates::timeOf(12, 30, 45));
  EXPECT_EQ(two.recipientAddress, "bob@x.org");
  EXPECT_EQ(two.recipientName, "Bob");

  // Without the table every separator line starts a message.
  r = readStore("Eudora", mailbox);
  ASSERT_EQ(r.sink.messages.size(), 3u);
  EXPECT_EQ(r.sink.messages[0].text, "Body one\r\n> quoted:\r\n");
  EXPECT_EQ(r.sink.messages[2].subject, "Two");
}

TEST(SeparatorMailboxes, MarkerAndNetscapeMailboxesSkipWhatComesBeforeTheFirstHeaderLine) {
  const std::string marker{"\x7F\x00\x7F", 3};
  StoreRun r = readStore("Outlook Express 4 Mail",
                         "JMF6 index" + marker + "\x01\x02 binary\r\n" +
                             "From: a@x.org\r\nSubject: One\r\n\r\nline=20\r\njoined soft=\r\nbreak\r\n" + marker +
                             "From: b@x.org\r\nSubject: Two\r\n\r\nText two");
  ASSERT_EQ(r.sink.messages.size(), 2u);
  EXPECT_EQ(r.sink.messages[0].text, "line joined softbreak\r\n");
  EXPECT_EQ(r.sink.messages[1].senderAddress, "b@x.org");
  EXPECT_EQ(r.sink.messages[1].text, "Text two\r\n");

  r = readStore("Netscape Mail",
                "From - Sat Jan 01 10:00:00 2000\r\nX-Mozilla-Status: 0001\r\nFrom: a@x.org\r\nSubject: One\r\n\r\n"
                "Body=\r\n\r\nFrom - Sun Jan 02 10:00:00 2000\r\nX-Mozilla-Status: 0001\r\nSubject: Two\r\n"
                "From: b@x.org\r\n\r\nBody2\r\n");
  ASSERT_EQ(r.sink.messages.size(), 2u);
  EXPECT_EQ(r.sink.messages[0].text, "Body=\r\n\r\n");  // no soft breaks in Netscape folders
  EXPECT_EQ(r.sink.messages[1].subject, "Two");
}

// Mailing-list archives write the sender as "guido at python.org", local
// mail as "MAILER-DAEMON": the mailbox date at the end of the line makes such
// a line a separator; a body line that begins with "From " is none.
TEST(FromLineMailboxes, DateEndedLinesStartMessagesWithOrWithoutAnAddress) {
  const std::string archive =
      "From guido at python.org  Mon Sep  1 10:11:12 2003\n"
      "From: guido at python.org (Guido)\nDate: Mon, 01 Sep 2003 10:11:12 -0400\nSubject: One\n\n"
      "From here on we go\nto the end.\n\n"
      "From MAILER-DAEMON Tue Sep  2 08:00:00 2003 -0700\nFrom: mailer-daemon@x.org\nSubject: Two\n\nReturned\n"
      "From tim@x.org Wed Sep  3 09:00:00 2003\nFrom: tim@x.org\nSubject: Three\n\nLast\n";
  for (std::string_view format : {"Generic Mail Type 2", "Poco Mail", "Winvn"}) {
    for (const std::string& bytes : {archive, crlf(archive)}) {
      const StoreRun r = readStore(format, bytes);
      ASSERT_EQ(r.sink.messages.size(), 3u) << format;
      EXPECT_TRUE(r.sink.skipped.empty());
      EXPECT_EQ(r.sink.messages[0].subject, "One");
      EXPECT_EQ(r.sink.messages[0].date, dates::dayNumber(2003, 9, 1));
      EXPECT_EQ(r.sink.messages[0].text, "From here on we go\r\nto the end.\r\n\r\n");
      EXPECT_EQ(r.sink.messages[1].subject, "Two");
      EXPECT_EQ(r.sink.messages[1].text, "Returned\r\n");
      EXPECT_EQ(r.sink.messages[2].text, "Last\r\n");
    }
  }
  // A quoted separator or a "From " line with other words after the date stays in the body.
  const StoreRun r = readStore("Generic Mail Type 2",
                               "From a at x.org  Mon Sep  1 10:11:12 2003\nSubject: One\n\nBody\n"
                               ">From b at x.org  Mon Sep  1 10:11:12 2003\n"
                               "From b at x.org  Mon Sep  1 10:11:12 2003, he wrote\n");
  ASSERT_EQ(r.sink.messages.size(), 1u);
  EXPECT_EQ(r.sink.messages[0].text,
            "Body\r\n>From b at x.org  Mon Sep  1 10:11:12 2003\r\nFrom b at x.org  Mon Sep  1 10:11:12 2003, he "
            "wrote\r\n");
}

// The Unix and Mac versions of Netscape keep their mail and news folders
// with LF line ends: such a folder gives what its CR LF twin gives. A CR LF
// folder (its first line end decides) keeps a lone LF as text.
TEST(NetscapeFolders, LfOnlyFoldersGiveTheMessagesOfTheirCrLfTwins) {
  const std::string mail =
      "From - Sat Jan 01 10:00:00 2000\nX-Mozilla-Status: 0001\nFrom: a@x.org\nSubject: One\n\nBody one\n\n"
      "From - Sun Jan 02 10:00:00 2000\nX-Mozilla-Status: 0001\nSubject: Two\nFrom: b@x.org\n\nBody two\n";
  const std::string news =
      "Newsgroups: comp.a\nFrom: Jane <Jane@X.org>\nSubject: One\nMessage-ID: <n1@x>\n\nText one\n\n"
      "Newsgroups: comp.a\nFrom: k@x.org\nSubject: Two\nMessage-ID: <n2@x>\nReferences: <n1@x>\n\nText two\n";
  for (const auto& [format, folder] : {std::pair{"Netscape Mail", mail}, std::pair{"Netscape News", news}}) {
    const StoreRun lf = readStore(format, folder);
    const StoreRun twin = readStore(format, crlf(folder));
    ASSERT_EQ(lf.sink.messages.size(), 2u) << format;
    ASSERT_EQ(twin.sink.messages.size(), 2u) << format;
    EXPECT_TRUE(lf.sink.skipped.empty());
    for (std::size_t i = 0; i < 2; ++i) {
      const Message& a = lf.sink.messages[i];
      const Message& b = twin.sink.messages[i];
      EXPECT_EQ(a.subject, i == 0 ? "One" : "Two") << format;
      EXPECT_EQ(a.subject, b.subject);
      EXPECT_EQ(a.senderAddress, b.senderAddress);
      EXPECT_EQ(a.newsgroups, b.newsgroups);
      EXPECT_EQ(a.parentId, b.parentId);
      EXPECT_EQ(a.text, b.text);
    }
    EXPECT_EQ(lf.sink.messages[1].text, format == std::string_view("Netscape Mail") ? "Body two\r\n" : "Text two\r\n");
  }
  const StoreRun r = readStore("Netscape Mail", crlf("From - Sat Jan 01 10:00:00 2000\nFrom: a@x.org\n\nBody") +
                                                    "\nFrom - Sun Jan 02 10:00:00 2000\nFrom: b@x.org\r\n");
  ASSERT_EQ(r.sink.messages.size(), 1u);
  EXPECT_EQ(r.sink.messages[0].text, "Body\nFrom - Sun Jan 02 10:00:00 2000\nFrom: b@x.org\r\n");
}

TEST(PegasusReader, MessagesEndAtEachFormOfCtrlZ) {
  const StoreRun r = readStore("Pegasus",
                               "junk\r\nFrom: a@x.org\r\nDate: Wed, 5 Jan 2000 09:30\r\nSubject: One\r\n\r\n"
                               "Body one\r\n\x1A"
                               "Received: x\r\nFrom: b@x.org\r\nSubject: Two\r\n\r\nBody two\r\x1A"
                               "\r\nFrom: c@x.org\r\nSubject: Three\r\n\r\nBody three\n\x1A");
  ASSERT_EQ(r.sink.messages.size(), 3u);
  EXPECT_EQ(r.sink.messages[0].date, dates::dayNumber(2000, 1, 5));
  EXPECT_EQ(r.sink.messages[0].time, dates::timeOf(9, 30, 0));
  for (std::size_t i = 0; i < 3; ++i)
    EXPECT_EQ(r.sink.messages[i].text, std::string("Body ") + (i == 0 ? "one" : i == 1 ? "two" : "three") + "\r\n");
}

TEST(TheBatReader, RecordsOfKnownLengthAndWrongMagicNumbers) {
  const std::string ok = "From: a@x.org\r\nSubject: One\r\n\r\nFirst text";
  const std::string news = "From: n@x.org\r\nNewsgroups: comp.x\r\n\r\nAn article";
  const std::string file = theBatFile(
      {theBatRecord(ok), theBatRecord(news), theBatRecord(ok), theBatRecord("x", 0x12345678), theBatRecord(ok)});
  StoreRun r = readStore("TheBat", file);
  ASSERT_EQ(r.sink.messages.size(), 2u);  // the record with another magic number ends the file
  EXPECT_EQ(r.sink.messages[0].text, "First text\r\n");
  ASSERT_EQ(r.sink.skipped.size(), 2u);
  EXPECT_EQ(r.sink.skipped[0].second, "a news article among mail (Newsgroups line)");
  EXPECT_EQ(r.sink.skipped[1].second, "a record with another magic number: the rest of the file is not read");

  // A record cut short keeps what is there.
  r = readStore("TheBat", theBatFile({theBatRecord(ok)}).substr(0, 12 + 48 + 35));
  ASSERT_EQ(r.sink.messages.size(), 1u);
  EXPECT_EQ(r.sink.messages[0].subject, "One");

  // A record header whose length runs past the end of the file: reported
  // at the record, inside the file.
  std::string beyond = theBatRecord("From: b@x.org\r\n\r\nText");
  beyond[6] = '\x10';  // a header of 0x100030 bytes
  const std::string bad = theBatFile({theBatRecord(ok), beyond});
  r = readStore("TheBat", bad);
  ASSERT_EQ(r.sink.messages.size(), 1u);
  ASSERT_EQ(r.sink.skipped.size(), 1u);
  EXPECT_EQ(r.sink.skipped[0],
            std::make_pair(std::uint64_t{12 + 48 + ok.size()}, std::string("a truncated message record")));

  r = readStore("TheBat", "not a message base at all");
  EXPECT_TRUE(r.sink.messages.empty());
  ASSERT_EQ(r.sink.skipped.size(), 1u);
  EXPECT_EQ(r.sink.skipped[0].second, "not a TheBat message base (magic number)");
}

TEST(HeaderScanReader, CandidatesWithoutFromDateAndToAreSkipped) {
  const StoreRun r = readStore("Becky Mail",
                               "From: a@x.org\nTo: b@y.org\nDate: 05-Jan-00 09:30:15\nSubject: One\n\nBody one\n"
                               "Received: junk\nSubject: orphan\n\nOrphan body\n"
                               "From: c@x.org\nTo: d@y.org\nDate: 06-Jan-00 10:00\nSubject: Two\n\nBody two\n");
  ASSERT_EQ(r.sink.messages.size(), 2u);
  EXPECT_EQ(r.sink.messages[0].text, "Body one\r\n");
  EXPECT_EQ(r.sink.messages[0].time, dates::timeOf(9, 30, 15));
  EXPECT_EQ(r.sink.messages[1].subject, "Two");
  ASSERT_EQ(r.sink.skipped.size(), 1u);
  EXPECT_EQ(r.sink.skipped[0].second, "no From, Date and To lines");
}

// A multipart mail whose Content-Type names no boundary is kept, its body
// whole: without a boundary no part can be told from another.
TEST(MailRecogniser, NewsIsRejectedBoundlessMultipartKeptWholeFoldedBoundariesFound) {
  const std::string from = "From a@x.org Sat Jan  1 00:00:00 2000\r\nFrom: a@x.org\r\n";
  const std::string broken = "--XYZ\r\nContent-Type: text/plain\r\n\r\nNo parts\r\n--XYZ--\r\n";
  const StoreRun r =
      readStore("Generic Mail Type 2",
                from + "Newsgroups: comp.x\r\nSubject: News\r\n\r\nArticle\r\n" +  //
                    from + "Content-Type: multipart/mixed\r\nSubject: Broken\r\n\r\n" + broken + from +
                    "Subject: Parts\r\nContent-Type: multipart/alternative;\r\n\tboundary=\"XYZ\"\r\n\r\n" +
                    "--XYZ\r\nContent-Type: text/plain\r\n\r\nPlain part\r\n--XYZ\r\nContent-Type: text/html\r\n\r\n"
                    "<p>Html part</p>\r\n--XYZ--\r\n");
  ASSERT_EQ(r.sink.messages.size(), 2u);
  EXPECT_EQ(r.sink.messages[0].subject, "Broken");
  EXPECT_EQ(r.sink.messages[0].text, broken);
  EXPECT_EQ(r.sink.messages[1].text, "Plain part\r\n");
  ASSERT_EQ(r.sink.skipped.size(), 1u);
  EXPECT_EQ(r.sink.skipped[0].second, "a news article among mail (Newsgroups line)");
}

TEST(NewsReaders, RecordsFillWhatTheLinesLackAndRepliesGoToUnknown) {
  const std::string file =
      newsRecord("<a1@x>", "First", "Ann <ann@x.org>", "", "srv comp.test:1",
                 "From: Ann <ann@x.org>\r\nSubject: First\r\nDate: Wed, 5 Jan 2000 09:30\r\n\r\nHello all\r\n") +
      newsRecord("<b1@x>", "Cached only", "b@x.org", "", "srv comp.test:2", "") +
      newsRecord("<c1@x>", "Re: First", "bob@y.org (Bob)", "<a0@x> <a1@x>", "srv comp.test:3",
                 "Newsgroups: comp.other\r\nFrom: bob@y.org (Bob)\r\nSubject: Re: First\r\n\r\nReply\r\n");
  const StoreRun r = readStore("IE News", file);
  ASSERT_EQ(r.sink.messages.size(), 2u);
  const Message& first = r.sink.messages[0];
  EXPECT_EQ(first.kind, internet::MessageKind::News);
  EXPECT_EQ(first.newsgroups, std::vector<std::string>{"comp.test"});
  EXPECT_EQ(first.messageId, "<a1@x>");
  EXPECT_EQ(first.recipientName, "All");
  EXPECT_EQ(first.text, "Hello all\r\n");
  const Message& reply = r.sink.messages[1];
  EXPECT_EQ(reply.newsgroups, std::vector<std::string>{"comp.other"});  // the line wins over the record
  EXPECT_EQ(reply.messageId, "<c1@x>");
  EXPECT_EQ(reply.parentId, "<a1@x>");
  EXPECT_EQ(reply.recipientName, "Unknown");
  EXPECT_EQ(reply.subject, "First");
  EXPECT_EQ(reply.senderName, "Bob");
  ASSERT_EQ(r.sink.skipped.size(), 1u);
  EXPECT_EQ(r.sink.skipped[0].second, "an article header without its text");
}

TEST(NewsReaders, NetscapeArticlesSplitAfterTheirHeaderWithTheVariantAddresses) {
  const StoreRun r =
      readStore("Netscape News",
                "\x01\x02 binary\r\nNewsgroups: comp.a, comp.b\r\nFrom: Jane <Jane@X.org> (at home)\r\nSubject: One\r\n"
                "Message-ID: <n1@x>\r\n\r\nText one\r\n\r\n"
                "Newsgroups: comp.a\r\nFrom: k@x.org\r\nSubject: Two\r\nMessage-ID: <n2@x>\r\nReferences: <n0@x>\r\n"
                "\t<n1@x>\r\n\r\nText two\r\n");
  ASSERT_EQ(r.sink.messages.size(), 2u);
  EXPECT_EQ(r.sink.messages[0].newsgroups, (std::vector<std::string>{"comp.a", "comp.b"}));
  EXPECT_EQ(r.sink.messages[0].senderAddress, "jane@x.org");
  EXPECT_EQ(r.sink.messages[0].senderName, "Jane");
  EXPECT_EQ(r.sink.messages[0].text, "Text one\r\n\r\n");
  EXPECT_EQ(r.sink.messages[1].parentId, "<n1@x>");  // from the folded References line
}

TEST(NewsReaders, GravityNeedsAllFiveHeadersAndWinvnMailIsTheOwners) {
  const std::string article =
      "From: a@x.org\r\nDate: 5 Jan 2000\r\nSubject: S\r\nNewsgroups: comp.g\r\nMessage-ID: <g1@x>\r\n\r\nText\r\n";
  StoreRun r = readStore("Gravity", article +
                                        "From: b@x.org\r\nDate: 5 Jan 2000\r\nSubject: S\r\n"
                                        "Newsgroups: comp.g\r\n\r\nNo id\r\n");
  ASSERT_EQ(r.sink.messages.size(), 1u);
  ASSERT_EQ(r.sink.skipped.size(), 1u);
  EXPECT_EQ(r.sink.skipped[0].second, "not all of From, Date, Subject, Newsgroups and Message-ID");

  r = readStore("Winvn",
                "From jane@x.org Sat Jan  1 00:00:00 2000\nFrom: You\nSubject: note\nDate: 05-Jan-00 09:30\n\nMine\n"
                "From x@y.org Sat Jan  1 00:00:00 2000\nFrom: x@y.org\n\nBody kept\n");
  ASSERT_EQ(r.sink.messages.size(), 2u);
  EXPECT_EQ(r.sink.messages[0].kind, internet::MessageKind::Mail);
  EXPECT_TRUE(r.sink.messages[0].senderIsOwner);
  EXPECT_TRUE(r.sink.messages[0].recipientIsOwner);
  EXPECT_EQ(r.sink.messages[0].text, "Mine\r\n");
  // A mail header that never becomes complete still ends at its first empty line.
  EXPECT_FALSE(r.sink.messages[1].senderIsOwner);
  EXPECT_EQ(r.sink.messages[1].text, "Body kept\r\n");
}

// Every reader on a store holding every format's separators: whole, cut at
// every length and with bytes flipped. Each must finish with every entry
// within 400 characters and every text within 64,000.
TEST(AllInternetReaders, SurviveTruncatedAndDamagedStores) {
  std::string sample = theBatFile({theBatRecord("From: a@x.org\r\n\r\nT"), theBatRecord("\x7F")}) + kEudora +
                       kEudoraSent + std::string("\x7F\x00\x7F", 3) + "From: q=\r\n\r\nx=E9=\r\n?=\r\n" +
                       newsRecord("<a@x>", "s", "f", "<r@x>", "h g:1", "From: f\r\nLines: 2\r\n\r\nb\r\n") +
                       "From - x\r\nFrom: b@x.org\r\n\x1A\n\x1A" + "Content-Type: multipart/mixed; boundary=q\r\n" +
                       "Newsgroups: a,,b\r\nReferences: \r\n\r\n--q\r\n";
  sample += std::string(450, 'L') + "\r\n";
  std::mt19937 random(7);
  for (std::string_view format : storeFormats()) {
    const auto check = [&](const std::string& bytes) {
      const StoreRun r = readStore(format, bytes, 2);
      for (const LineQueue& q : r.lines)
        for (const QueueLine& l : q) ASSERT_LE(l.text.size(), kQueueLineMax) << format;
      for (const Message& m : r.sink.messages) ASSERT_LE(m.text.size(), body::kTextMax) << format;
    };
    for (std::size_t n = 0; n <= sample.size(); ++n) check(sample.substr(0, n));
    for (int i = 0; i < 100; ++i) {
      std::string damaged = sample;
      for (int k = 0; k < 8; ++k) damaged[random() % damaged.size()] = static_cast<char>(random() & 0xFF);
      check(damaged);
    }
  }
}

}  // namespace
}  // namespace qv::test
