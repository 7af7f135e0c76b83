// The capture-family readers on text in memory: header blocks, slices,
// character sets, soft markers, separators and bad input.
#include "store/dates.h"
#include "tests/readers/capture_helpers.h"
#include "tests/readers/internet_helpers.h"

namespace qv::test {
namespace {

std::int32_t day(int y, int m, int d) { return dates::dayNumber(y, m, d); }

std::string forumBlock(const std::string& start, const std::string& date, const std::string& subject,
                       const std::string& body = "Body text.\n") {
  return start + "\n" + date + "\nSb: " + subject + "\nFm: Jane Doe 76543,210\nTo: John Smith 71234,567\n\n" + body;
}

TEST(CaptureForum, HeaderBlockGivesNumberSectionDateReplyAndParties) {
  const CaptureRun r = readCapture("TAPCIS 6.x", crlf(forumBlock("#: 412350 S3/Printers", "    13-Jan-95  09:05:00",
                                                                 "#412345-Laser fonts") +
                                                      forumBlock("#: 40000 S7/Modems", "    02-Feb-95",
                                                                 "#1234-Old thread")));
  EXPECT_EQ(r.kind, ContentKind::Forum);
  ASSERT_EQ(r.sink.forum.size(), 2u);
  const capture::ForumMessage& m = r.sink.forum[0];
  EXPECT_EQ(m.number, 412350u);
  EXPECT_EQ(m.sectionNumber, 3u);
  EXPECT_EQ(m.sectionName, "Printers");
  EXPECT_EQ(m.date, day(1995, 1, 13));
  EXPECT_EQ(m.parent, 412345u);
  EXPECT_EQ(m.subject, "Laser fonts");
  EXPECT_EQ(m.senderName, "Jane Doe");
  EXPECT_EQ(m.senderAddress, "76543,210");
  EXPECT_EQ(m.recipientAddress, "71234,567");
  EXPECT_EQ(m.forum, "");  // the import's forum database
  EXPECT_EQ(m.text, "Body text.\r\n");
  // More than 30,000 apart: no reference, and the subject keeps its number.
  EXPECT_EQ(r.sink.forum[1].parent, 0u);
  EXPECT_EQ(r.sink.forum[1].subject, "1234-Old thread");
}

TEST(CaptureForum, NumbersZeroAndNineMillionStartNoMessage) {
  const CaptureRun r = readCapture(
      "AUTOSIG", crlf(forumBlock("#: 0 S1/General", "    01-Jan-95", "Zero") +
                      forumBlock("#: 9000000 S1/General", "    01-Jan-95", "Too big") +
                      forumBlock("#: 8999999 S1/General", "    01-Jan-95", "Largest")));
  ASSERT_EQ(r.sink.forum.size(), 1u);
  EXPECT_EQ(r.sink.forum[0].number, 8999999u);
  EXPECT_EQ(r.sink.skipped.size(), 2u);
}

TEST(CaptureForum, OzWinTakesTheForumFromParenthesesWithoutCisPrefix) {
  const CaptureRun r = readCapture("OzWin I", crlf(forumBlock("#: 100 S2/Help (cis:IbmPro)", "    01-Jan-95", "Hi") +
                                                   forumBlock("#: 101 S2/Help", "    01-Jan-95", "No forum")));
  ASSERT_EQ(r.sink.forum.size(), 2u);
  EXPECT_EQ(r.sink.forum[0].forum, "IbmPro");
  EXPECT_EQ(r.sink.forum[0].sectionName, "Help");
  EXPECT_EQ(r.sink.forum[1].forum, "");
}

TEST(CaptureForum, OzWinIIReplyNumberComesFromPar) {
  const CaptureRun r = readCapture(
      "OzWin II", crlf("#: 500 S1/General (IBMPRO)\n    01-Jan-95\nSb: #7-Topic\nFm: A 1,2\nTo: B 3,4\nPar: 490     "
                       "Rep: 0\nText\n"));
  ASSERT_EQ(r.sink.forum.size(), 1u);
  EXPECT_EQ(r.sink.forum[0].parent, 490u);
  EXPECT_EQ(r.sink.forum[0].subject, "7-Topic");
}

TEST(CaptureForum, Tapcis5DropsSoftEndsAndReadsGermanMonths) {
  // Code page 850: 0x84 is the a-umlaut of "Mär".
  const CaptureRun r = readCapture(
      "TAPCIS 5.x", crlf(forumBlock("#: 700 S4/Deutsch@b", " 2-Dez-95 09:15", "Frage@b") +
                         forumBlock("#: 701 S4/Deutsch", "12-Okt-95", "Zweite") +
                         forumBlock("#: 702 S4/Deutsch", " 3-M\x84r-96", "Dritte")));
  ASSERT_EQ(r.sink.forum.size(), 3u);
  EXPECT_EQ(r.sink.forum[0].subject, "Frage");
  EXPECT_EQ(r.sink.forum[0].sectionName, "Deutsch");
  EXPECT_EQ(r.sink.forum[0].date, day(1995, 12, 2));
  EXPECT_EQ(r.sink.forum[1].date, day(1995, 10, 12));
  EXPECT_EQ(r.sink.forum[2].date, day(1996, 3, 3));
  const CaptureRun names = readCapture(
      "TAPCIS 5.x", crlf("#: 703 S4/X\n 1-Jan-95\nSb: S@b\nFm: Jane Doe 76543,210@b\nTo: All@b\n\nT\n"));
  ASSERT_EQ(names.sink.forum.size(), 1u);
  EXPECT_EQ(names.sink.forum[0].senderAddress, "76543,210");
  EXPECT_EQ(names.sink.forum[0].recipientName, "All");
}

TEST(CaptureForum, CodePage850IsTranslatedInDosFormatsOnly) {
  const std::string body = "Gr\x81\xE1" "e \xC4\xC4 caf\x82\n";  // "Grüße", two box-drawing bars, "café"
  const CaptureRun dos = readCapture("OzCIS", crlf(forumBlock("#: 1 S1/A", "    01-Jan-95", "X", body)));
  ASSERT_EQ(dos.sink.forum.size(), 1u);
  EXPECT_EQ(dos.sink.forum[0].text, "Gr\xFC\xDF" "e    caf\xE9\r\n");
  const CaptureRun windows = readCapture("OzWin I", crlf(forumBlock("#: 1 S1/A", "    01-Jan-95", "X", body)));
  ASSERT_EQ(windows.sink.forum.size(), 1u);
  EXPECT_EQ(windows.sink.forum[0].text, crlf(body));
}

TEST(CaptureForum, ThousandCharacterLineIsStoredInThreePiecesAndJoinedAgain) {
  std::string line;
  for (int i = 0; i < 1000; ++i) line += static_cast<char>('a' + i % 26);
  const CaptureRun r = readCapture("TAPCIS 6.x", crlf(forumBlock("#: 1 S1/A", "    01-Jan-95", "X", line + "\n")));
  ASSERT_EQ(r.bodies.size(), 1u);
  const LineQueue& q = r.bodies[0];
  ASSERT_EQ(q.size(), 3u);
  EXPECT_EQ(q[0].text.size(), 400u);
  EXPECT_TRUE(q[0].split);
  EXPECT_EQ(q[1].text.size(), 400u);
  EXPECT_TRUE(q[1].split);
  EXPECT_EQ(q[2].text.size(), 200u);
  EXPECT_FALSE(q[2].split);
  ASSERT_EQ(r.sink.forum.size(), 1u);
  EXPECT_EQ(r.sink.forum[0].text, line + "\r\n");
}

TEST(CaptureSlices, MessageAcrossTheSliceBoundaryIsConvertedWhole) {
  std::string body;
  for (int i = 0; i < 3000; ++i) body += "line " + std::to_string(i) + "\n";
  const std::string capture = forumBlock("#: 1 S1/A", "    01-Jan-95", "Short") +
                              forumBlock("#: 2 S1/A", "    01-Jan-95", "Long", body) +
                              forumBlock("#: 3 S1/A", "    01-Jan-95", "After");
  const CaptureRun r = readCapture("TAPCIS 6.x", crlf(capture));
  ASSERT_EQ(r.sink.forum.size(), 3u);
  ASSERT_GE(r.slices.size(), 2u);
  EXPECT_GT(r.slices[0], 2500u);  // the first slice went on to the end of the long message
  EXPECT_EQ(r.sink.forum[1].text.substr(0, 8), "line 0\r\n");
  EXPECT_NE(r.sink.forum[1].text.find("line 2999\r\n"), std::string::npos);
  EXPECT_EQ(r.sink.forum[2].subject, "After");

  std::string save;
  for (int n = 1; n <= 3; ++n)
    save += "Subject:  Topic " + std::to_string(n) + "  Msg Number: " + std::to_string(n) +
            "\n   From:  A 1,2\n     To:  B 3,4\n  Forum:  CIS:IBMPRO  Sec: 1-General\n   Date:  01-JAN-95 10:00\n\n" +
            (n == 2 ? body : std::string("Text\n"));
  const CaptureRun s = readCapture("NavCIS Save format", crlf(save));
  ASSERT_EQ(s.sink.forum.size(), 3u);
  EXPECT_NE(s.sink.forum[1].text.find("line 2999\r\n"), std::string::npos);
  EXPECT_EQ(s.sink.forum[2].subject, "Topic 3");
}

TEST(CaptureMail, OzLayoutsGiveDirectionPartiesAndBodyStart) {
  const std::string mail =
      "Date:  12-Jan-95 14:32\nFrom:  Carl Meyer INTERNET:carl@example.org\nSubj:  Schedule\n\nRcvd:  13-Jan-95\nHello\n"
      "Date:  13-Jan-95 18:40\nMgTo:  Jane Doe 76543,210\nSubj:  Re: Lunch\n\nFine\n";
  const CaptureRun one = readCapture("OzWin I", crlf(mail));
  EXPECT_EQ(one.kind, ContentKind::Mail);
  ASSERT_EQ(one.sink.mail.size(), 2u);
  const internet::Message& in = one.sink.mail[0];
  EXPECT_EQ(in.direction, internet::Direction::Received);
  EXPECT_TRUE(in.recipientIsOwner);
  EXPECT_EQ(in.senderName, "Carl Meyer");
  EXPECT_EQ(in.senderAddress, "carl@example.org");
  EXPECT_EQ(in.date, day(1995, 1, 12));
  EXPECT_EQ(in.time, dates::timeOf(14, 32, 0));
  EXPECT_EQ(in.text, "Rcvd:  13-Jan-95\r\nHello\r\n");  // OzWin I: the body begins four lines after "Date:"
  const internet::Message& out = one.sink.mail[1];
  EXPECT_EQ(out.direction, internet::Direction::Sent);
  EXPECT_TRUE(out.senderIsOwner);
  EXPECT_EQ(out.recipientAddress, "76543,210");
  // OzWin II keeps one more header line on received mail.
  const CaptureRun two = readCapture("OzWin II", crlf(mail));
  ASSERT_EQ(two.sink.mail.size(), 2u);
  EXPECT_EQ(two.sink.mail[0].text, "Hello\r\n");
}

TEST(CaptureMail, TapcisLayoutsAndEmbeddedInternetHeaders) {
  const CaptureRun six = readCapture(
      "TAPCIS 6.x",
      crlf("#: 1\n    12-Jan-95  14:32:10\nSb: \nFm: Carl INTERNET:carl@example.org\nTo: Tom 70000,100\n\n"
           "Subject: Real subject\nFrom: Carl Meyer <carl@example.org>\n\nThe text\n"),
      true);
  EXPECT_EQ(six.kind, ContentKind::Mail);
  ASSERT_EQ(six.sink.mail.size(), 1u);
  EXPECT_EQ(six.sink.mail[0].direction, internet::Direction::ByOwnAddress);
  EXPECT_EQ(six.sink.mail[0].time, dates::timeOf(14, 32, 10));
  EXPECT_EQ(six.sink.mail[0].subject, "Real subject");
  EXPECT_EQ(six.sink.mail[0].text, "The text\r\n");

  const CaptureRun five = readCapture(
      "TAPCIS 5.x",
      crlf("#: 1 /Inbox\n 2-Dez-95 09:15\nSb: Hallo@b\nFm: Jane Doe 76543,210@b\n\nText\n"
           "#: 2 /Outbox\n 3-Dez-95 10:20:30\nSb: Antwort\nFm: Tom 70000,100\nTo: Jane Doe 76543,210\n\nAntwort\n"),
      true);
  ASSERT_EQ(five.sink.mail.size(), 2u);
  EXPECT_EQ(five.sink.mail[0].subject, "Hallo");
  EXPECT_EQ(five.sink.mail[0].senderAddress, "76543,210");
  EXPECT_EQ(five.sink.mail[0].time, dates::timeOf(9, 15, 0));
  EXPECT_EQ(five.sink.mail[1].direction, internet::Direction::Sent);
  EXPECT_EQ(five.sink.mail[1].recipientName, "Jane Doe");
  EXPECT_EQ(five.sink.mail[1].time, dates::timeOf(10, 20, 30));
}

TEST(CaptureMail, InternetPartySplit) {
  std::string name, address;
  capture::splitMailParty("\"Carl Meyer\" > INTERNET:carl@example.org", name, address);
  EXPECT_EQ(name, "Carl Meyer");
  EXPECT_EQ(address, "carl@example.org");
  capture::splitMailParty("Jane Doe 76543,210", name, address);
  EXPECT_EQ(name, "Jane Doe");
  EXPECT_EQ(address, "76543,210");
}

TEST(CaptureContent, BinaryAndForeignFilesHaveNoContent) {
  std::string binary;
  for (int i = 0; i < 5000; ++i) binary += static_cast<char>((i * 37) % 256);
  for (std::string_view format : {"TAPCIS 5.x", "OzWin I", "GoldenCompass", "NavCIS Save format"}) {
    const CaptureRun r = readCapture(format, binary);
    EXPECT_EQ(r.kind, ContentKind::None) << format;
    EXPECT_TRUE(r.sink.forum.empty() && r.sink.mail.empty()) << format;
  }
  // OzWin: a "#:" line without "Sb:" two lines on decides: no content.
  EXPECT_EQ(readCapture("OzCIS", crlf("#: 1\nx\ny\n")).kind, ContentKind::None);
  EXPECT_EQ(readCapture("NavCIS Save format",
                        crlf("Subject:  S\n   From:  A\n     To:  B\n   Date:  01-JAN-95\n\nT\n"))
                .kind,
            ContentKind::Mail);
}

TEST(CaptureContent, BrokenHeaderBlocksAreSkippedAndTheRestImported) {
  const CaptureRun r = readCapture(
      "TAPCIS 6.x",
      crlf(forumBlock("#: 1 S1/A", "    01-Jan-95", "Good one") + "#: 2 S1/A\n    01-Jan-95\nXX: no subject\n\n" +
           "#: abc S1/A\n" + forumBlock("#: 3 S1/A", "    01-Jan-95", "Good two") + "#: 4\n"));
  ASSERT_EQ(r.sink.forum.size(), 2u);
  EXPECT_EQ(r.sink.forum[1].number, 3u);
  EXPECT_EQ(r.sink.skipped.size(), 3u);
}

TEST(GoldenCompass, SoftMarkersAreRemoved) {
  const CaptureRun r = readCapture(
      "GoldenCompass", "#: 9 S1/A@b\r\n 1-Okt-95\r\nSb: S@b\r\nFm: A 1,2@b\r\nTo: B 3,4@b\r\n\r\n"
                       "@lFirst paragraph@b\nsoft continued@b\r\n@l\r\n@b\nSecond@b\r\n@l\r\nThird\r\n");
  ASSERT_EQ(r.sink.forum.size(), 1u);
  EXPECT_EQ(r.sink.forum[0].subject, "S");
  EXPECT_EQ(r.sink.forum[0].text, "First paragraph\r\nsoft continued\r\n\r\nSecond\r\n\r\nThird\r\n");
}

TEST(SaveFile, ForumAndMailHeaders) {
  const CaptureRun f = readCapture(
      "NavCIS Save format",
      crlf("Subject:  #412345 #Laser fonts  Msg Number: 412350\n   From:  Jane Doe 76543,210 (X)\n"
           "     To:  All\n  Forum:  CIS:IBMPRO     Sec: 3-Printers\n   Date:  13-jan-95 09:05\n\nText\n"
           "Subject:  not a start\nText goes on\n"));
  ASSERT_EQ(f.sink.forum.size(), 1u);
  const capture::ForumMessage& m = f.sink.forum[0];
  EXPECT_EQ(m.number, 412350u);
  EXPECT_EQ(m.parent, 412345u);
  EXPECT_EQ(m.subject, "Laser fonts");
  EXPECT_EQ(m.forum, "IBMPRO");
  EXPECT_EQ(m.sectionNumber, 3u);
  EXPECT_EQ(m.sectionName, "Printers");
  EXPECT_EQ(m.senderAddress, "76543,210");
  EXPECT_EQ(m.date, day(1995, 1, 13));
  EXPECT_EQ(m.text, "Text\r\nSubject:  not a start\r\nText goes on\r\n");

  const CaptureRun mail = readCapture(
      "NavCIS Save format",
      crlf("Subject:  Hi\n   From:  Carl INTERNET:carl@example.org\n     To:  Tom 70000,100\n"
           "   Date:  12-JAN-95 14:32\n\nMessage-ID: <x@y>\nFrom: Carl Meyer <carl@example.org>\n\nBody\n"));
  ASSERT_EQ(mail.sink.mail.size(), 1u);
  EXPECT_EQ(mail.sink.mail[0].senderAddress, "carl@example.org");
  EXPECT_EQ(mail.sink.mail[0].time, dates::timeOf(14, 32, 0));
  EXPECT_EQ(mail.sink.mail[0].text, "Body\r\n");
}

TEST(Separator, VirtualAccessTitlesGiveForumMessages) {
  const CaptureRun r = readSeparated(
      true, crlf("junk before\n==========\nIBMPRO/3_Printers #412350, from Jane, 12 chars, 13 Jan 1995 09:05\n"
                 "Comment to 412345. \n----------\nFrom: Jane Doe 76543,210\nTo: All\nSubject: Fonts\n\n"
                 "Caf=E9 and a soft=\nbreak; ==========\n"
                 "==========\nIBMPRO/3_Printers #40000, from A, 1 chars, 1 Jan 95\nComment to 1234\n----------\n"
                 "From: A 1,2\nSubject: Old\n\nT\n"
                 "==========\nFrom: Carl <carl@example.org>\nTo: tom@x.example\nSubject: Mail\n\nM\n"
                 "==========\nFrom: a@b.c\nNewsgroups: comp.x\nMessage-ID: <1@b.c>\nSubject: News\n\nN\n"));
  ASSERT_EQ(r.sink.forum.size(), 2u);
  const capture::ForumMessage& m = r.sink.forum[0];
  EXPECT_EQ(m.forum, "IBMPRO");
  EXPECT_EQ(m.number, 412350u);
  EXPECT_EQ(m.parent, 412345u);
  EXPECT_EQ(m.sectionNumber, 3u);
  EXPECT_EQ(m.sectionName, "Printers");
  EXPECT_EQ(m.date, day(1995, 1, 13));
  EXPECT_EQ(m.senderName, "Jane Doe");
  EXPECT_EQ(m.senderAddress, "76543,210");
  EXPECT_EQ(m.text, "Caf\xE9 and a softbreak; ==========\r\n");
  EXPECT_EQ(r.sink.forum[1].parent, 0u);  // 1234 is more than 30,000 below 40000
  ASSERT_EQ(r.sink.mail.size(), 2u);
  EXPECT_EQ(r.sink.mail[0].kind, internet::MessageKind::Mail);
  EXPECT_EQ(r.sink.mail[1].kind, internet::MessageKind::News);
  EXPECT_EQ(r.sink.mail[1].newsgroups, std::vector<std::string>{"comp.x"});
}

TEST(Separator, LongInternetPartiesOfForumMessagesAreCutTo60) {
  const std::string name(200, 'n');
  const CaptureRun r = readSeparated(
      true, "==========\r\nIBMPRO/3_A #5, from x, 1 chars, 1 Jan 95\r\n----------\r\nFrom: " + name +
                " ann@example.net " + name + "\r\nSubject: S\r\n\r\nT\r\n");
  ASSERT_EQ(r.sink.forum.size(), 1u);
  EXPECT_EQ(r.sink.forum[0].senderName, name.substr(0, 60));
  EXPECT_EQ(r.sink.forum[0].senderAddress.size(), 60u);
}

TEST(Separator, NewsVariantsAreDecidedFromTheFirstBytes) {
  EXPECT_EQ(capture::newsSeparators("========\r\nFrom: x"), capture::SeparatorKind::Eights);
  EXPECT_EQ(capture::newsSeparators("=====\nFrom a@b Mon\n"), capture::SeparatorKind::FromLines);
  EXPECT_EQ(capture::newsSeparators("plain text\n"), capture::SeparatorKind::None);
  const std::string article = "From: a@b.c\nNewsgroups: comp.x\nMessage-ID: <1@b.c>\nSubject: One\n\nBody\n";
  const CaptureRun eights = readSeparated(false, "========\n" + article + "========\n" + article);
  EXPECT_EQ(eights.sink.mail.size(), 2u);
  const CaptureRun from = readSeparated(false, "From a@b.c Mon Jan 1\n" + article + "From a@b.c Tue\n" + article);
  EXPECT_EQ(from.sink.mail.size(), 2u);
  EXPECT_TRUE(readSeparated(false, "no separators at all\n").sink.mail.empty());
}

// "Unix News" files whose "From " lines write no "@" but end in the mailbox
// date are cut at those lines, not at a body line beginning with "From ".
TEST(Separator, UnixNewsFromLinesEndingInTheMailboxDate) {
  const std::string first = "From news at example.org  Mon Sep  1 10:11:12 2003";
  EXPECT_EQ(capture::newsSeparators(first + "\r\n"), capture::SeparatorKind::FromLines);
  const std::string article = "From: a@b.c\nNewsgroups: comp.x\nMessage-ID: <1@b.c>\nSubject: One\n\n";
  const CaptureRun r = readSeparated(false, crlf(first + "\n" + article + "From here on we go\n" +
                                                 "From news Tue Sep  2 10:11:12 2003 EST\n" + article + "Two\n"));
  ASSERT_EQ(r.sink.mail.size(), 2u);
  EXPECT_EQ(r.sink.mail[0].text, "From here on we go\r\n");
  EXPECT_EQ(r.sink.mail[1].text, "Two\r\n");
}

TEST(Separator, ListservNotebookIsReadWithoutCrash) {
  const std::filesystem::path corpus = std::filesystem::path(QV_SOURCE_DIR) / ".." / "shared" / "corpus" / "listserv";
  if (!std::filesystem::exists(corpus)) GTEST_SKIP() << "no corpus";
  std::size_t files = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(corpus)) {
    if (!e.is_regular_file()) continue;
    ++files;
    std::ifstream in(e.path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (bool va : {true, false}) {
      const CaptureRun r = readSeparated(va, bytes, 7);
      EXPECT_TRUE(r.sink.forum.empty()) << e.path();  // no VirtualAccess title lines in a notebook
    }
  }
  EXPECT_GT(files, 0u);
}

}  // namespace
}  // namespace qv::test
