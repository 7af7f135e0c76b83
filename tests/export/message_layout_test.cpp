// The layouts of the export formats without a database: headers, party
// texts, the wrap rule, the date pictures and the DOS code page.
#include "export/message_layout.h"

#include <gtest/gtest.h>

#include "export/export_format.h"
#include "store/dates.h"
#include "text/cserve_text.h"

namespace qv::test {
namespace {

using namespace qv::exporting;
using Lines = std::vector<std::string>;

ExportMessage forumReply() {
  ExportMessage m;
  m.type = DatabaseType::Forum;
  m.number = 412350;
  m.reference = 412345;
  m.sectionNumber = 3;
  m.sectionName = "Printers";
  m.database = "IBMPRO";
  m.subject = "Laser fonts";
  m.date = dates::dayNumber(1995, 1, 3);
  m.sender = {"John", "Smith", "71234,567"};
  m.receiver = {"Carl", "Meyer", "<carl@example.org>"};
  return m;
}

TEST(MessageLayout, ForumHeadersMarkRepliesAndNameTheForum) {
  const ExportMessage m = forumReply();
  EXPECT_EQ(headerLines(m, ExportFormat::Tapcis),
            (Lines{"#: 412350 S3/Printers  [IBMPRO]", "    03-Jan-95 00:00:00 ", "Sb: #412345-Laser fonts",
                   "Fm: John Smith 71234,567", "To: Carl Meyer >INTERNET:carl@example.org"}));
  const Lines oz = headerLines(m, ExportFormat::OzWin);
  ASSERT_EQ(oz.size(), 6u);
  EXPECT_EQ(oz[0], "#: 412350 S3/Printers  (CIS:IBMPRO)");
  EXPECT_EQ(oz[2], "Sb: #412345-Laser fonts");
  EXPECT_EQ(oz[5], "Replies:      TID:           Par:412345     Chd:           Sib:");
  ExportMessage root = m;
  root.reference = 0;
  EXPECT_EQ(headerLines(root, ExportFormat::Tapcis)[2], "Sb: Laser fonts");
  EXPECT_EQ(headerLines(root, ExportFormat::OzWin)[5],
            "Replies:      TID:           Par:           Chd:           Sib:");
  EXPECT_EQ(plainLines(m).back(), "MsgNo: 412350 (reply to 412345)");
}

TEST(MessageLayout, MailHeadersOfEachFormat) {
  ExportMessage m;
  m.type = DatabaseType::Mail;
  m.number = 250123;
  m.subject = "Lunch";
  m.date = dates::dayNumber(1995, 1, 5);  // a Thursday
  m.time = dates::timeOf(9, 5, 0);
  m.sender = {"Jane", "Doe", "76543,210"};
  m.receiver = {"Name", "Unknown", "<tom@example.org>"};
  EXPECT_EQ(headerLines(m, ExportFormat::GenericMail1),
            (Lines{"From: Jane Doe <76543.210@compuserve.com>", "Date: Thu, 05 Jan 1995 9:05:00", "Subject: Lunch",
                   "To: tom@example.org"}));
  EXPECT_EQ(headerLines(m, ExportFormat::GenericMail2)[0], "From ???@??? Thu Jan 05 09:05:00 1995");
  EXPECT_EQ(headerLines(m, ExportFormat::Eudora),
            (Lines{"From ???@??? Thu Jan 05 09:05:00 1995", "Date: Thu, 05 Jan 1995 9:05:00",
                   "From: Jane Doe <76543.210@compuserve.com>", "To: tom@example.org", "Subject: Lunch"}));
  EXPECT_EQ(headerLines(m, ExportFormat::Tapcis),
            (Lines{"#: 250123 S0/CompuServe Mail  [MAIL]", "    05-Jan-95  09:05:00", "Sb: Lunch",
                   "Fm: Jane Doe 76543,210", "To: >INTERNET:tom@example.org"}));
  EXPECT_EQ(headerLines(m, ExportFormat::OzWin)[0],
            "Date:  05-Jan-95 09:05:00  MsgID:             ToID: >INTERNET:tom@example.org");
  m.outgoing = true;
  EXPECT_EQ(headerLines(m, ExportFormat::Eudora)[1], "To: tom@example.org");
  EXPECT_EQ(headerLines(m, ExportFormat::OzWin),
            (Lines{"Date:  05-Jan-95 09:05:00  MsgID: OUTBOX", "MgTo:  >INTERNET:tom@example.org", "Subj:  Lunch"}));
}

TEST(MessageLayout, NewsHeaderCarriesIdentifiersAndReferences) {
  ExportMessage m;
  m.type = DatabaseType::Newsgroup;
  m.database = "comp.lang.c";
  m.subject = "Pointers";
  m.date = dates::dayNumber(2049, 12, 31);
  m.sender = {"Ann", "Lee", "ann@example.com"};
  m.messageId = "<2@host>";
  m.referenceId = "<1@host>";
  EXPECT_EQ(
      headerLines(m, ExportFormat::UnixNews),
      (Lines{"From ???@??? Fri Dec 31 00:00:00 2049", "From: Ann Lee <ann@example.com>", "Newsgroups: comp.lang.c",
             "Date: 31-Dec-2049 00:00:00 ", "Subject: Pointers", "Message-ID: <2@host>", "References: <1@host>"}));
}

TEST(MessageLayout, WrapBreaksAtTheLastBlankWithinTheWidthAndNeverCutsAWord) {
  const std::string solid(80, 'x');
  EXPECT_EQ(textLines(solid, {}), (Lines{solid}));  // no blank allows a break
  const std::string words = std::string(70, 'a') + " " + std::string(5, 'b') + " " + std::string(10, 'c');
  EXPECT_EQ(textLines(words, {}), (Lines{std::string(70, 'a') + " " + std::string(5, 'b'), std::string(10, 'c')}));
  const std::string longWord = std::string(90, 'd') + " end";
  EXPECT_EQ(textLines(longWord, {}), (Lines{std::string(90, 'd'), "end"}));
  EXPECT_EQ(textLines(words, {.wrap = false}), (Lines{words}));
  const std::string body =
      "one\r\n\r\nFrom here on\r\nFrom ann@example.org Sat Jan  1 10:00:00 2000\r\nFrom ???@??? x\r\n";
  EXPECT_EQ(textLines(body, {.separators = Separators::FromLines}),
            (Lines{"one", "", "From here on", ">From ann@example.org Sat Jan  1 10:00:00 2000", ">From ???@??? x"}));
  EXPECT_EQ(textLines(body, {.separators = Separators::Eudora}),
            (Lines{"one", "", "From here on", "From ann@example.org Sat Jan  1 10:00:00 2000", ">From ???@??? x"}));
}

TEST(MessageLayout, PicturesAndTheDosCodePage) {
  const std::int32_t day = dates::dayNumber(1995, 3, 5);
  EXPECT_EQ(dates::pictureD7(day), "05-Mar-95");
  EXPECT_EQ(dates::pictureD8(day), "05-Mar-1995");
  EXPECT_EQ(dates::pictureWww(day), "Sun");
  EXPECT_EQ(dates::pictureT04(dates::timeOf(9, 5, 7)), "09:05:07");
  EXPECT_EQ(dates::pictureT4(dates::timeOf(9, 5, 7)), "9:05:07");
  EXPECT_EQ(dates::pictureT04(0), "00:00:00");
  EXPECT_EQ(dates::pictureD7(0), "");
  // Every character the DOS readers' table gives comes back as its byte.
  for (int b = 128; b < 256; ++b) {
    const char oem = static_cast<char>(b);
    const char w = cserve::oem850To1252(oem);
    if (w != ' ' && w != '=') {
      EXPECT_EQ(cserve::w1252ToOem850(w), oem) << b;
    }
  }
  EXPECT_EQ(cserve::w1252ToOem850("\x80"), "?");  // the euro sign is not in code page 850
}

TEST(ExportFormats, NamesAndTheirRefusals) {
  EXPECT_EQ(offeredList(DatabaseType::Mail),
            "Eudora|OzWin II|TAPCIS|Generic Mail Type 1|Generic Mail Type 2|dBase III");
  EXPECT_EQ(formatLabel(ExportFormat::UnixNews, DatabaseType::Newsgroup), "Unix News");
  EXPECT_EQ(defaultFiles(ExportFormat::OzWin, DatabaseType::Forum, "PC/Users Forum").in, "PC_Users.SAV");
  EXPECT_EQ(unnamedFiles(ExportFormat::Eudora, DatabaseType::Mail).out, "OutBox.Mbx");
  EXPECT_EQ(checkFileNames({"InBox.MBX", "inbox.mbx"}, true), FileNameError::SameNames);
  EXPECT_EQ(checkFileNames({"../InBox.MBX", "OutBox.MBX"}, true), FileNameError::HasPath);
  EXPECT_EQ(checkFileNames({"/tmp/SaveMsg.Txt", {}}, false), FileNameError::HasPath);
  EXPECT_EQ(checkFileNames({"SaveMsg.Txt", {}}, false), FileNameError::None);
}

}  // namespace
}  // namespace qv::test
