// Writes the sample stores of the record-structured CompuServe readers into
// a folder (samples/records/ in the source tree):
//   make_record_samples DIR
// What each file holds is listed in samples/records/README.md.
#include <iostream>

#include "store/dates.h"
#include "tools/record_tables.h"

namespace {

using qv::dates::dayNumber;
namespace fs = std::filesystem;

// CISCOMM forum messages: three messages of one thread and one without a
// message number. Names and texts are code page 850 (0x82 is "é").
void cisCommForum(const fs::path& dir) {
  qv::tools::RecordTable<qv::CCO> t(dir / "CISFORUM.DBF");
  struct Row {
    std::uint32_t number, parent;
    const char* subject;
    const char* senderId;
    const char* sender;
    const char* text;
  };
  const Row rows[] = {
      {401, 0, "Printer drivers", "76543,210", "Andr\x82 Dupont", "Where do I find a driver for the LX-80?\r\nMerci, Andr\x82\r\n"},
      {402, 401, "Printer drivers", "71234,567", "Bob Ray", "Library 3 has it.\r\n\r\n"},
      {403, 402, "Printer drivers", "76543,210", "Andr\x82 Dupont", "Found it, caf\x82 for you.\r\n"},
      {0, 0, "Lost number", "71234,567", "Bob Ray", "A record without a message number.\r\n"},
  };
  for (const Row& r : rows) {
    // A reply goes to the sender of the message it answers.
    const Row* parent = nullptr;
    for (const Row& p : rows) {
      if (r.parent != 0 && p.number == r.parent) parent = &p;
    }
    t.record.MSG_NUMBER = r.number;
    t.record.MSG_PARENT = r.parent;
    t.record.MSG_DATE = dayNumber(1995, 3, 14);
    t.record.MSG_TIME = "10:15";
    t.record.MSG_SECTNO = 4;
    t.record.MSG_SECT = "Printers";
    t.record.MSG_SUBJEC = r.subject;
    t.record.MSG_SENDID = r.senderId;
    t.record.MSG_SENDER = r.sender;
    t.record.MSG_RECVID = parent == nullptr ? "" : parent->senderId;
    t.record.MSG_RECVR = parent == nullptr ? "All" : parent->sender;
    t.memo = r.text;
    t.add();
  }
}

// CISCOMM mail: one mail received from an Internet address, one sent by
// the owner (76543,210) to a CompuServe member.
void cisCommMail(const fs::path& dir) {
  qv::tools::RecordTable<qv::CMA> t(dir / "CISMAIL.DBF");
  t.record.MSG_NUMBER = 1;
  t.record.MSG_DATE = dayNumber(1995, 7, 26);
  t.record.MSG_TIME = "14:05";
  t.record.MSG_SUBJEC = "Meeting on Friday";
  t.record.MSG_SENDER = "Ann Lee";
  t.record.MSG_RECVR = "Andr\x82 Dupont";
  t.setMemo("MSG_SENDID", "INTERNET:ann@example.org");
  t.setMemo("MSG_RECVID", "76543,210");
  t.memo = "Shall we meet at ten?\r\nAnn\r\n";
  t.add();
  t.record.MSG_NUMBER = 2;
  t.record.MSG_DATE = dayNumber(1995, 7, 27);
  t.record.MSG_TIME = "09:30";
  t.record.MSG_SUBJEC = "Re: Meeting on Friday";
  t.record.MSG_SENDER = "Andr\x82 Dupont";
  t.record.MSG_RECVR = "Bob Ray";
  t.setMemo("MSG_SENDID", "76543,210");
  t.setMemo("MSG_RECVID", "71234,567");
  t.memo = "Ten is fine.\r\n";
  t.add();
}

struct NavRow {
  std::uint32_t internal;
  const char* forum;
  std::uint32_t number, parent;
  const char* subject;
  const char* sendId;
  const char* sendName;
  const char* recvId;
  const char* recvName;
  const char* date;
  const char* time;
  std::string text;
};

void navCis(const fs::path& file, const std::vector<NavRow>& rows) {
  qv::tools::RecordTable<qv::HRE> t(file);
  for (const NavRow& r : rows) {
    t.record.INTERNAL = r.internal;
    t.record.IS_MAIL = r.internal == 0 ? "T" : "F";
    t.record.FORUM_NAME = r.forum;
    t.record.SEC_NUMBER = r.internal == 0 ? 0 : 2;
    t.record.SEC_NAME = r.internal == 0 ? "" : "Hardware";
    t.record.MSG_NUMBER = r.number;
    t.record.MSG_PARENT = r.parent;
    t.record.SUBJECT = r.subject;
    t.record.SEND_ID = r.sendId;
    t.record.SEND_NAME = r.sendName;
    t.record.RECV_ID = r.recvId;
    t.record.RECV_NAME = r.recvName;
    t.record.MSG_DATE = r.date;
    t.record.MSG_TIME = r.time;
    t.memo = r.text;
    t.add();
  }
}

// NavCIS 1.6x: lines separated by NUL bytes (the text begins with one).
void navCis16(const fs::path& dir) {
  using namespace std::string_literals;
  navCis(dir / "RECV.DBF",
         {{1, "ibmhw", 1201, 0, "Disk trouble", "72000,100", "Carl Moss", "", "All", "02-Feb-96", "",
           "\0My disk makes noises.\0Any idea?\0"s},
          {1, "ibmhw", 1202, 1201, "Disk trouble", "INTERNET:dee@example.net", "Dee Park", "72000,100", "Carl Moss",
           "03-Feb-96", "", "\0Back it up first.\0Then replace it.\0"s},
          {0, "", 0, 0, "Your order", "72000,100", "Carl Moss", "76543,210", "Andr\xE9 Dupont", "04-Feb-96", "9:05",
           "\0The parts have arrived.\0"s}});
}

// NavCIS 1.7x-: mail with LF line ends, forum messages with CR LF.
void navCis17(const fs::path& dir) {
  navCis(dir / "HRECV.DBF",
         {{1, "Macintosh", 88001, 0, "System 7.5", "Internet:eve@example.com", "Eve Stone", "", "All", "11-Nov-97", "",
           "Is 7.5.3 worth it?\r\nEve\r\n"},
          {1, "Macintosh", 88002, 88001, "System 7.5", "76543,210", "Andr\xE9 Dupont", "", "Eve Stone", "12-Nov-97",
           "", "Yes, it is faster.\r\n"},
          {0, "", 0, 0, "Lunch", "INTERNET:eve@example.com", "Eve Stone", "76543,210", "Andr\xE9 Dupont", "13-Nov-97",
           "12:30:15", "Lunch at one?\nEve\n"}});
}

// OUI: a mail to the owner and two newsgroup articles (one a reply, one in
// HTML), the Internet header in MSG_EXTRA and the body in MSG_BODY.
void oui(const fs::path& dir) {
  qv::tools::RecordTable<qv::OUI> t(dir / "MESSAGE.DBF");
  struct Row {
    const char* header;
    const char* body;
  };
  const Row rows[] = {
      {"From: Fay Green <fay@example.org>\r\nTo: andre@example.com\r\nSubject: Photos\r\n"
       "Date: Mon, 6 Jan 1997 08:00:00 +0100\r\n",
       "The photos are on their way.\r\nFay\r\n"},
      {"From: Gus Hill <gus@example.net>\r\nNewsgroups: comp.sys.printers\r\nSubject: Laser toner\r\n"
       "Message-ID: <t1@example.net>\r\nDate: Tue, 7 Jan 1997 09:30:00 GMT\r\n",
       "Which toner lasts longest?\r\n"},
      {"From: Fay Green <fay@example.org>\r\nNewsgroups: comp.sys.printers\r\nSubject: Re: Laser toner\r\n"
       "Message-ID: <t2@example.org>\r\nReferences: <t1@example.net>\r\nDate: Tue, 7 Jan 1997 11:00:00 GMT\r\n"
       "Content-Type: text/html\r\n",
       "<html><body><p>The <b>original</b> one.</p></body></html>\r\n"},
  };
  std::uint32_t n = 0;
  for (const Row& r : rows) {
    t.record.MSG_NUMBER = ++n;
    t.setMemo("MSG_EXTRA", r.header);
    t.memo = r.body;
    t.add();
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_record_samples DIR\n";
    return 2;
  }
  const fs::path dir = argv[1];
  try {
    fs::create_directories(dir);
    cisCommForum(dir);
    cisCommMail(dir);
    navCis16(dir);
    navCis17(dir);
    oui(dir);
  } catch (const std::exception& e) {
    std::cerr << e.what() << '\n';
    return 1;
  }
  return 0;
}
