// The message writer over real databases: what it exports, a fresh
// installation imports again with the same messages; mail is split by its
// owner; dBase III files open in an outside reader; bad names and a stop
// are reported.
#include "export/copy_msg.h"

#include <algorithm>
#include <fstream>
#include <map>

#include "export/batch_operation.h"
#include "readers/registry.h"
#include "store/config.h"
#include "store/dates.h"
#include "store/table_use.h"
#include "tests/store/engine/dbfread.h"
#include "tests/wordindex/index_fixture.h"

namespace qv::test {
namespace {

using namespace qv::exporting;
using engine::Err;
using Rows = std::vector<std::string>;

std::string slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void openTables(Context& ctx, std::uint32_t id, Forums& f) {
  OP_CLOSE(ctx, kOpOpen, {Forums::FileNo});
  ctx.for_ = Forums{};
  ctx.for_.ID = id;
  EXPECT_EQ(ctx.fileOf<Forums>().get(Forums::ForumKey), Err::Ok);
  f = ctx.for_;
  OP_CLOSE(ctx, kOpRelease, {Forums::FileNo});
  OP_CLOSE(ctx, kOpForceClose, {3, 4, 5, 6, 7, 13, 17, 23, 25});
  setDatabaseGlobals(ctx.mem, f);
  OP_CLOSE(ctx, kOpOpen, {3, 4, 5, 6, 7, 13, 17, 23, 25});
}

std::string personText(Context& ctx, std::uint32_t id, std::uint32_t owner) {
  if (id == owner && owner != 0) return "owner";
  ctx.per = Person{};
  ctx.per.PERSONID = id;
  if (ctx.fileOf<Person>().get(Person::PersonKey) != Err::Ok) return "?";
  return ctx.per.FIRSTNAME.str() + "/" + ctx.per.LASTNAME.str() + "/" + ctx.per.ADDRESS.str();
}

// A message's text. The line breaks at its end are left out: the readers
// keep the empty line that parts two messages in a file as the end of the
// text before it.
std::string textOf(Context& ctx, std::uint32_t number) {
  ctx.txt = MsgText{};
  ctx.txt.MSGNUMBER = number;
  ctx.txtMemo.clear();
  if (ctx.fileOf<MsgText>().get(MsgText::IdKey) != Err::Ok) return "?";
  std::string t = ctx.txtMemo;
  while (!t.empty() && (t.back() == '\r' || t.back() == '\n')) t.pop_back();
  return t;
}

// Every message of a forum or newsgroup database as one comparable line:
// number (forum only: newsgroup numbers come from the counter), the number
// it answers, section, the first message of its thread and the heading,
// sender, receiver (forum only: news names none), date and text.
Rows messages(Context& ctx, std::uint32_t id, bool keepNumbers) {
  Forums f;
  openTables(ctx, id, f);
  std::vector<MsgNmbr> all;
  engine::File& m = ctx.fileOf<MsgNmbr>();
  m.set();
  while (m.next() == Err::Ok) all.push_back(ctx.msg);
  std::map<std::uint32_t, std::uint32_t> firstOfThread;
  for (const MsgNmbr& r : all) {
    auto [it, added] = firstOfThread.emplace(+r.THREADNUMBER, +r.MSGNUMBER);
    if (!added) it->second = std::min(it->second, std::uint32_t{r.MSGNUMBER});
  }
  Rows out;
  for (const MsgNmbr& r : all) {
    ctx.sec = Sections{};
    ctx.sec.SECSYSID = r.SECSYSID;
    // Newsgroup sections are numbered by the counter.
    const std::string section =
        ctx.fileOf<Sections>().get(Sections::SysIdKey) == Err::Ok
            ? (keepNumbers ? std::to_string(ctx.sec.SECTIONNUMBER) + "/" : std::string()) + ctx.sec.DESCRIPTION.str()
            : "?";
    ctx.thr = Threads{};
    ctx.thr.THREADNUMBER = r.THREADNUMBER;
    const std::string heading = ctx.fileOf<Threads>().get(Threads::ThreadKey) == Err::Ok ? ctx.thr.HEADING() : "?";
    const std::uint32_t first = firstOfThread[+r.THREADNUMBER];
    const std::string textKey = textOf(ctx, r.MSGNUMBER);
    std::string line = keepNumbers ? std::to_string(r.MSGNUMBER) + "|" + std::to_string(r.REFNUMBER) + "|" +
                                         std::to_string(first) + "|"
                                   : std::string(r.REFNUMBER != 0 ? "reply|" : "root|");
    line += section + "|" + heading + "|" + personText(ctx, r.FROMID, 0) + "|" +
            (keepNumbers ? personText(ctx, r.TOID, 0) : std::string()) + "|" + dates::pictureD8(r.DATE) + "|" + textKey;
    out.push_back(line);
  }
  std::sort(out.begin(), out.end());
  return out;
}

// Every mail: subject, date, time, sender, receiver ("owner" for the owner), text.
Rows mails(Context& ctx, std::uint32_t id) {
  Forums f;
  openTables(ctx, id, f);
  std::vector<Mail> all;
  engine::File& m = ctx.fileOf<Mail>();
  m.set();
  while (m.next() == Err::Ok) all.push_back(ctx.mai);
  Rows out;
  for (const Mail& r : all)
    out.push_back(r.SUBJECT.str() + "|" + dates::pictureD8(r.DATE) + "|" + dates::pictureT04(r.TIME) + "|" +
                  personText(ctx, r.FROMID, f.PERSONID) + "|" + personText(ctx, r.TOID, f.PERSONID) + "|" +
                  textOf(ctx, r.MAILID));
  std::sort(out.begin(), out.end());
  return out;
}

// A second installation with the real readers, into which the exports are
// imported again.
struct Fresh {
  Fresh() {
    for (const char* d : {"CFG", "TEMP"}) std::filesystem::create_directories(home.path() / d);
    MemGroup mem;
    mem.Net = mem.FileDir = home.path();
    mem.TempDir = home.path() / "TEMP";
    lib.publish(mem, home.path());
    ctx = std::make_unique<Context>(lib);
    registerLibraryProcedures(lib);
    registerPersonProcedures(lib);
    registerAllReaders(lib);
    EXPECT_EQ(loadSettings(*ctx), 1);
  }
  ImportSummary import(const std::string& format, const std::filesystem::path& dir, std::vector<std::string> files,
                       std::uint32_t forum, std::uint32_t mail) {
    ImportSettings s;
    s.format = format;
    s.method = kSelectFiles;
    s.path = dir;
    s.files = std::move(files);
    s.forum = s.news = true;
    s.mail = mail != 0;
    s.forumDatabase = forum;
    s.mailDatabase = mail;
    Context importCtx(lib);
    ImportJob job(importCtx, s);
    runToEnd(job);
    return job.summary();
  }
  std::uint32_t forum(const std::string& name) {
    EXPECT_TRUE(AddForumDatabase(*ctx, name));
    return ctx->for_.ID;
  }
  std::uint32_t mail(const std::string& name, const std::string& address) {
    MailDatabaseForm form;
    form.name = name;
    form.address = address;
    std::uint32_t dir = NextDirNumber(*ctx);
    EXPECT_TRUE(AddMailDatabase(*ctx, form, dir));
    return ctx->for_.ID;
  }
  std::uint32_t named(const std::string& name) {
    TableUse use(*ctx, {Forums::FileNo});
    ctx->for_ = Forums{};
    ctx->for_.DESCRIPTION = name;
    return ctx->fileOf<Forums>().get(Forums::AlphaKey) == Err::Ok ? std::uint32_t{ctx->for_.ID} : 0u;
  }

  TempDir home;
  RecordingUi ui;
  Library lib{ui};
  std::unique_ptr<Context> ctx;
};

class CopyMsgTest : public IndexTest {
 protected:
  void importMail(const std::string& lines) {
    mailDb = addMail("Tom Owner", "tom@example.org");
    writeSource("mail.txt", lines);
    ImportSettings s = settings("Generic Mail Type 2", {"mail.txt"});
    s.mail = true;
    s.mailDatabase = mailDb;
    ASSERT_TRUE(run(s).completed);
    Forums f;
    openTables(*ctx, mailDb, f);
  }
  void importNews(const std::string& lines) {
    writeSource("news.txt", lines);
    ImportSettings s = settings("Unix News", {"news.txt"});
    s.news = true;
    ASSERT_TRUE(run(s).completed);
  }
  CopyResult exportAll(ExportFormat format, ExportFiles files = {}, bool convert = true) {
    CopyRequest r;
    r.format = format;
    r.code = SelectionCode::All;
    r.files = std::move(files);
    r.lines = LineSettings{.wrap = false};
    r.convert = convert;
    CopyMsg job(*ctx, std::move(r));
    runToEnd(job);
    written = job.written();
    return job.result();
  }
  std::filesystem::path temp(const std::string& name) const { return home.path() / "TEMP" / name; }

  std::uint32_t mailDb = 0;
  std::vector<std::filesystem::path> written;
};

const std::string kForum =
    "F|Club|1|Printers|100|0|Laser fonts|Ann Lee|70001,101|All||1995-03-01|10:00|Does anyone know?\\nThanks, Ann\n"
    "F|Club|1|Printers|101|100|Re: Laser fonts|Bob Ray|70001,202|Ann Lee|70001,101|1995-03-02|10:00|"
    "Use the switch.\\nGr\xFC\xDF"
    "e aus M\xFC"
    "nchen, Bob\n"
    "F|Club|1|Printers|103|101|Re: Laser fonts|Ann Lee|70001,101|Bob Ray|70001,202|2049-12-31|10:00|That worked.\n"
    "F|Club|2|Modems|104|0|Fax modems|Bob Ray|70001,202|Ann Lee|70001,101|1950-01-05|10:00|Which one?\n";

TEST_F(CopyMsgTest, AForumExportedAsTapcisAndOzWinIIImportsAgainTheSame) {
  importForum(kForum);
  const Rows before = messages(*ctx, ctx->mem.ForumNumber, true);
  ASSERT_EQ(before.size(), 4u);
  ASSERT_EQ(exportAll(ExportFormat::Tapcis), CopyResult::Done);
  ASSERT_EQ(written, std::vector<std::filesystem::path>{temp("SaveMsg.Txt")});
  const std::string tapcis = slurp(temp("SaveMsg.Txt"));
  EXPECT_NE(tapcis.find("Sb: #100-Laser fonts\r\n"), std::string::npos);
  EXPECT_NE(tapcis.find("Gr\x81\xE1"
                        "e"),
            std::string::npos);  // code page 850
  ASSERT_EQ(exportAll(ExportFormat::OzWin, {"CLUB.SAV", {}}), CopyResult::Done);
  ASSERT_EQ(written, std::vector<std::filesystem::path>{temp("CLUB.SAV")});

  Fresh tap;
  const std::uint32_t club = tap.forum("Club");
  const ImportSummary r = tap.import("TAPCIS 6.x", home.path() / "TEMP", {"SaveMsg.Txt"}, club, 0);
  EXPECT_EQ(r.imported, 4u) << r.outcome;
  EXPECT_EQ(messages(*tap.ctx, club, true), before);

  Fresh oz;
  const ImportSummary o = oz.import("OzWin II", home.path() / "TEMP", {"CLUB.SAV"}, 0, 0);
  EXPECT_EQ(o.imported, 4u) << o.outcome;
  ASSERT_NE(oz.named("CLUB"), 0u);
  EXPECT_EQ(messages(*oz.ctx, oz.named("CLUB"), true), before);
}

TEST_F(CopyMsgTest, ThePlainLayoutOfTheCurrentMessageFollowsTheWrapSettings) {
  importForum(kForum);
  const auto plain = [this] {
    CopyRequest r;
    r.code = SelectionCode::Plain;
    r.start.message = 101;
    CopyMsg job(*ctx, r);
    runToEnd(job);
    EXPECT_EQ(job.result(), CopyResult::Done);
    EXPECT_EQ(job.exported(), 1u);
    return slurp(temp("SaveMsg.Txt"));
  };
  std::int32_t width = 12, off = kWrapOff;
  std::string none;
  ASSERT_EQ(Konfig(*ctx, kKonfigSetDisplay, kItemExportWidth, width, 0, none), kSettingsDone);
  EXPECT_EQ(plain(),
            "Subject: Laser fonts\r\nFrom: Bob Ray 70001,202\r\nTo: Ann Lee 70001,101\r\n"
            "Date: 02-Mar-95\r\nForum: " +
                ctx->mem.Description.str() +
                "\r\nMsgNo: 101 (reply to 100)\r\n\r\nUse the\r\nswitch.\r\nGr\xFC\xDF"
                "e aus\r\nM\xFC"
                "nchen, Bob\r\n\r\n");
  ASSERT_EQ(Konfig(*ctx, kKonfigSetDisplay, kItemExportWrap, off, 0, none), kSettingsDone);
  EXPECT_NE(plain().find("\r\nUse the switch.\r\n"), std::string::npos);
}

const std::string kMail =
    "M|Lunch on Friday|Jane Doe|jane@example.com|Tom Owner|tom@example.org|1995-01-10|09:05|Tom,\\nare we on?\\nJane\n"
    "M|Conference|Tom Owner|tom@example.org|Carl Meyer|carl@example.org|2049-02-03|18:40|Carl,\\nsee you.\\nTom\n"
    "M|Minutes|Carl Meyer|carl@example.org|Tom Owner|tom@example.org|1950-06-01|23:59|From here on we vote.\n";

TEST_F(CopyMsgTest, MailExportedAsEudoraAndGenericMail2ImportsAgainTheSame) {
  importMail(kMail);
  const Rows before = mails(*ctx, mailDb);
  ASSERT_EQ(before.size(), 3u);
  ASSERT_EQ(exportAll(ExportFormat::Eudora), CopyResult::Done);
  EXPECT_EQ(written, (std::vector<std::filesystem::path>{temp("InBox.Mbx"), temp("InBox.TOC"), temp("OutBox.Mbx"),
                                                         temp("OutBox.TOC"), temp("DESCMAP.PCE")}));
  EXPECT_EQ(slurp(temp("DESCMAP.PCE")), "InBox,InBox.Mbx,S,N\r\nOutBox,OutBox.Mbx,S,N\r\n");
  EXPECT_NE(slurp(temp("InBox.Mbx")).find("\r\nFrom here on we vote.\r\n"), std::string::npos);
  Fresh eudora;
  const std::uint32_t box = eudora.mail("Tom Owner", "tom@example.org");
  const ImportSummary e = eudora.import("Eudora", home.path() / "TEMP", {"InBox.Mbx", "OutBox.Mbx"}, 0, box);
  EXPECT_EQ(e.imported, 3u) << e.outcome;
  EXPECT_EQ(mails(*eudora.ctx, box), before);

  ASSERT_EQ(exportAll(ExportFormat::GenericMail2, {"in.mbx", "out.mbx"}), CopyResult::Done);
  Fresh generic;
  const std::uint32_t box2 = generic.mail("Tom Owner", "tom@example.org");
  const ImportSummary g = generic.import("Generic Mail Type 2", home.path() / "TEMP", {"in.mbx", "out.mbx"}, 0, box2);
  EXPECT_EQ(g.imported, 3u) << g.outcome;
  EXPECT_EQ(mails(*generic.ctx, box2), before);
}

TEST_F(CopyMsgTest, ANewsgroupExportedAsUnixNewsImportsAgainTheSame) {
  importNews(
      "N|comp.lang.c|<1@host>||Pointers|Ann Lee|ann@example.com|1995-03-01|10:00|What is a pointer?\n"
      "N|comp.lang.c|<2@host>|<1@host>|Pointers|Bob Ray|bob@example.com|2049-03-02|10:00|An address.\n"
      "N|comp.lang.c|<3@host>||Arrays|Bob Ray|bob@example.com|1950-03-02|10:00|Next question.\n");
  activate("COMP.LANG.C");
  const Rows before = messages(*ctx, ctx->mem.ForumNumber, false);
  ASSERT_EQ(before.size(), 3u);
  ASSERT_EQ(exportAll(ExportFormat::UnixNews), CopyResult::Done);
  EXPECT_NE(slurp(temp("SaveMsg.Txt")).find("Message-ID: <2@host>\r\nReferences: <1@host>\r\n"), std::string::npos);
  Fresh news;
  const ImportSummary r = news.import("Unix News", home.path() / "TEMP", {"SaveMsg.Txt"}, 0, 0);
  EXPECT_EQ(r.imported, 3u) << r.outcome;
  ASSERT_NE(news.named("comp.lang.c"), 0u);
  EXPECT_EQ(messages(*news.ctx, news.named("comp.lang.c"), false), before);

  ASSERT_EQ(exportAll(ExportFormat::DBase3), CopyResult::Done);
  const std::string dump = dbfreadDump(temp("SaveMsg.DBF"), home.path());
  if (dump.empty()) GTEST_SKIP() << "python3-dbfread is not installed";
  EXPECT_NE(dump.find("MSGID=" + hex("<2@host>") + " REFID=" + hex("<1@host>") + " NEWSGROUP=" + hex("comp.lang.c") +
                      " SUBJECT=" + hex("Pointers") + " MSG_DATE=" + hex("2049-03-02") + " S_LNAME=" + hex("Ray")),
            std::string::npos)
      << dump;
  EXPECT_NE(dump.find("M_BODY=" + hex("An address.")), std::string::npos) << dump;
}

TEST_F(CopyMsgTest, OwnersMailGoesToTheOutFileExceptInTheOneFileFormats) {
  importMail(kMail);
  ASSERT_EQ(exportAll(ExportFormat::Eudora, {"InBox.MBX", "OutBox.MBX"}), CopyResult::Done);
  const std::string in = slurp(temp("InBox.MBX")), out = slurp(temp("OutBox.MBX"));
  EXPECT_EQ(out.find("Subject: Lunch on Friday"), std::string::npos);
  EXPECT_NE(out.find("From ???@??? Wed Feb 03 18:40:00 2049\r\nTo: Carl Meyer <carl@example.org>\r\n"
                     "From: Tom Owner <tom@example.org>\r\nSubject: Conference\r\n\r\nCarl,\r\n"),
            std::string::npos)
      << out;
  EXPECT_NE(in.find("Subject: Lunch on Friday"), std::string::npos);
  EXPECT_EQ(in.find("Subject: Conference"), std::string::npos);
  ASSERT_EQ(exportAll(ExportFormat::Tapcis), CopyResult::Done);
  ASSERT_EQ(written, std::vector<std::filesystem::path>{temp("SaveMail.Txt")});
  const std::string one = slurp(temp("SaveMail.Txt"));
  EXPECT_NE(one.find("Sb: Conference\r\nFm: Tom Owner >INTERNET:tom@example.org\r\n"), std::string::npos) << one;
  EXPECT_NE(one.find("Sb: Lunch on Friday"), std::string::npos);
}

TEST_F(CopyMsgTest, DBaseIIIMailOpensInDbfreadWithTimesAndMemosAndKeepsOneRecordPerMail) {
  importMail(kMail + "M|No time|Jane Doe|jane@example.com|Tom Owner|tom@example.org|1995-01-11||Undated\n");
  ASSERT_EQ(exportAll(ExportFormat::DBase3), CopyResult::Done);
  ASSERT_EQ(exportAll(ExportFormat::DBase3), CopyResult::Done);  // the same mails are not added again
  ASSERT_FALSE(written.empty());
  EXPECT_EQ(written[0], temp("Mail.DBF"));
  const std::string dump = dbfreadDump(temp("Mail.DBF"), home.path());
  if (dump.empty()) GTEST_SKIP() << "python3-dbfread is not installed";
  EXPECT_NE(dump.find("ID=N8.0 SUBJECT=C50.0 MSG_DATE=C10.0 MSG_TIME=C5.0 R_LNAME=C25.0 R_FNAME=C25.0 "
                      "R_ADDRESS=C60.0 S_LNAME=C25.0 S_FNAME=C25.0 S_ADDRESS=C60.0 M_BODY=M10.0"),
            std::string::npos)
      << dump;
  std::size_t records = 0;
  for (std::size_t at = dump.find("\nID="); at != std::string::npos; at = dump.find("\nID=", at + 1)) ++records;
  EXPECT_EQ(records, 4u) << dump;
  EXPECT_NE(dump.find("MSG_TIME=" + hex("09:05")), std::string::npos) << dump;  // five past nine
  EXPECT_NE(dump.find("MSG_TIME=" + hex("00:00")), std::string::npos) << dump;  // no time
  EXPECT_NE(dump.find("MSG_DATE=" + hex("1995-01-10")), std::string::npos) << dump;
  EXPECT_NE(dump.find("S_LNAME=" + hex("Doe") + " S_FNAME=" + hex("Jane") + " S_ADDRESS=" + hex("jane@example.com")),
            std::string::npos)
      << dump;
  EXPECT_NE(dump.find("M_BODY=" + hex("Tom,\r\nare we on?\r\nJane")), std::string::npos) << dump;
}

TEST_F(CopyMsgTest, DBaseIIIForumRecordsOpenInDbfread) {
  importForum(kForum);
  ASSERT_EQ(exportAll(ExportFormat::DBase3), CopyResult::Done);
  const std::string dump = dbfreadDump(temp("SaveMsg.DBF"), home.path());
  if (dump.empty()) GTEST_SKIP() << "python3-dbfread is not installed";
  EXPECT_NE(dump.find("MSGNUMBER=N10.0 REFNUMBER=N10.0 FORUM=C20.0 SECTIONNO=N3.0 SECTIONNAM=C20.0 SUBJECT=C60.0 "
                      "MSG_DATE=C10.0 R_LNAME=C25.0 R_FNAME=C25.0 R_ADDRESS=C60.0 S_LNAME=C25.0 S_FNAME=C25.0 "
                      "S_ADDRESS=C60.0 M_BODY=M10.0"),
            std::string::npos)
      << dump;
  EXPECT_NE(dump.find("MSGNUMBER=101 REFNUMBER=100 FORUM=" + hex(ctx->mem.Description.str()) +
                      " SECTIONNO=1 SECTIONNAM=" + hex("Printers") + " SUBJECT=" + hex("Laser fonts") +
                      " MSG_DATE=" + hex("02-Mar-95")),
            std::string::npos)
      << dump;
}

TEST_F(CopyMsgTest, BadNamesAndAStopAreReportedAndWriteNothing) {
  importMail(kMail);
  EXPECT_EQ(exportAll(ExportFormat::Eudora, {"../InBox.MBX", "OutBox.MBX"}), CopyResult::Refused);
  ASSERT_FALSE(ui.shown.empty());
  EXPECT_EQ(ui.shown.back().title, "Filename error");
  EXPECT_EQ(ui.shown.back().text, "Do not include the path, just the filename!");
  EXPECT_EQ(exportAll(ExportFormat::Eudora, {"Mail.MBX", "MAIL.mbx"}), CopyResult::Refused);
  EXPECT_EQ(ui.shown.back().text, kSameNames);
  EXPECT_TRUE(written.empty());
  EXPECT_FALSE(std::filesystem::exists(temp("OutBox.MBX")));

  CopyRequest r;
  r.format = ExportFormat::Tapcis;
  r.code = SelectionCode::All;
  CopyMsg job(*ctx, r);
  EXPECT_FALSE(job.step());  // set up
  job.requestCancel();
  runToEnd(job);
  EXPECT_EQ(job.result(), CopyResult::Cancelled);
  EXPECT_EQ(ui.shown.back().text, "Process aborted!");
  EXPECT_EQ(job.written(), std::vector<std::filesystem::path>{temp("SaveMail.Txt")});  // closed, kept
}

}  // namespace
}  // namespace qv::test
