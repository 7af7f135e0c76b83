// Today's mail files as other programs read them: an mbox export parsed by
// Python's mailbox and email modules, a Maildir export indexed by notmuch,
// forum threads and newsgroup articles as reply chains, and one EML file.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "export/batch_operation.h"
#include "export/mail_text.h"
#include "export/mailbox_export.h"
#include "export/rfc_message.h"
#include "tests/wordindex/index_fixture.h"
#include "topics/codes.h"

namespace qv::test {
namespace {

using namespace qv::exporting;

std::string load(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool haveCommand(const std::string& probe) { return std::system((probe + " >/dev/null 2>&1").c_str()) == 0; }

// Runs a shell command; its standard output and error.
std::string capture(const std::string& command, const std::filesystem::path& work) {
  const std::filesystem::path out = work / "captured.txt";
  std::system((command + " > '" + out.string() + "' 2>&1").c_str());
  return load(out);
}

class MailboxTest : public IndexTest {
 protected:
  std::uint32_t importMail(const std::string& lines) {
    const std::uint32_t db = addMail("Jane Smith", "jane@example.org");
    writeSource("mail.txt", lines);
    ImportSettings s = settings("Generic Mail Type 2", {"mail.txt"});
    s.mail = true;
    s.mailDatabase = db;
    EXPECT_TRUE(run(s).completed);
    activate("JANE SMITH");
    return db;
  }
  MailboxResult exportTo(MailboxFormat format, SelectionCode code, const std::filesystem::path& path,
                         SelectionStart start = {}) {
    MailboxExportJob job(*ctx, {.format = format, .code = code, .start = std::move(start), .path = path});
    runToEnd(job);
    written = job.written();
    return job.result();
  }
  std::filesystem::path out = home.path() / "out";
  std::uint64_t written = 0;
};

TEST_F(MailboxTest, AnMboxExportParsesInPythonWithItsDatesSendersSubjectsAndUtf8Bodies) {
  if (!haveCommand("python3 -c 'import mailbox, email'")) GTEST_SKIP() << "python3 is missing";
  // Windows-1252 names, subject and text; body lines that read as mbox separators.
  importMail(
      "M|Gr\xfc\xdf"
      "e|J\xfcrgen M\xfcller|jm@example.de|Jane Smith|jane@example.org|1999-05-01|09:05|"
      "Hallo \x80 5\\nFrom x to y\\n>From z\\nEnde\n"
      "M|Lunch, today?|Ann Lee|70001,1|Jane Smith|jane@example.org|1999-05-02|12:30|Noon?\n");
  std::filesystem::create_directories(out);
  const std::filesystem::path mbox = out / "jane.mbox";
  ASSERT_EQ(exportTo(MailboxFormat::Mbox, SelectionCode::All, mbox), MailboxResult::Done);
  EXPECT_EQ(written, 2u);

  std::ofstream(out / "read.py") << R"(import mailbox, re, sys
from email.header import decode_header, make_header
from email.utils import parsedate_to_datetime
for m in mailbox.mbox(sys.argv[1]):
    body = m.get_payload(decode=True).decode('utf-8')
    body = re.sub(r'(?m)^>(>*From )', r'\1', body)
    print(parsedate_to_datetime(m['Date']).strftime('%Y-%m-%d %H:%M'), '|', str(make_header(decode_header(m['From']))),
          '|', str(make_header(decode_header(m['Subject']))), '|', m['X-Quorvel-Database'], '|', repr(body))
)";
  const std::string parsed = capture("python3 '" + (out / "read.py").string() + "' '" + mbox.string() + "'", out);
  EXPECT_EQ(parsed,
            "1999-05-02 12:30 | Ann Lee <70001.1@compuserve.com> | Lunch, today? | Jane Smith | 'Noon?\\n'\n"
            "1999-05-01 09:05 | J\xc3\xbcrgen M\xc3\xbcller <jm@example.de> | Gr\xc3\xbc\xc3\x9f"
            "e | Jane Smith | "
            "'Hallo \xe2\x82\xac 5\\nFrom x to y\\n>From z\\nEnde\\n'\n");
  // In the file itself the separators are quoted, one ">" more each.
  const std::string raw = load(mbox);
  EXPECT_NE(raw.find("\n>From x to y\n>>From z\n"), std::string::npos);

  // A second export appends; a file that cannot be made fails with the reason and leaves nothing.
  ASSERT_EQ(exportTo(MailboxFormat::Mbox, SelectionCode::All, mbox), MailboxResult::Done);
  EXPECT_EQ(
      capture("python3 -c 'import mailbox, sys; print(len(mailbox.mbox(sys.argv[1])))' '" + mbox.string() + "'", out),
      "4\n");
  EXPECT_EQ(exportTo(MailboxFormat::Mbox, SelectionCode::All, out / "missing" / "x.mbox"), MailboxResult::Failed);
  EXPECT_EQ(ui.last().title, kExportErrorTitle);
  EXPECT_NE(ui.last().text.find("missing/x.mbox cannot be created"), std::string::npos) << ui.last().text;
  EXPECT_FALSE(std::filesystem::exists(out / "missing"));

  // An mbox another program holds locked is left as it is.
  const std::string before = load(mbox);
  int ready[2], release[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(release), 0);
  const pid_t holder = fork();
  if (holder == 0) {
    const int fd = ::open(mbox.c_str(), O_RDWR);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    char c = fd >= 0 && ::fcntl(fd, F_SETLK, &lock) == 0 ? 'y' : 'n';
    if (::write(ready[1], &c, 1) != 1 || ::read(release[0], &c, 1) != 1) _exit(1);
    _exit(0);
  }
  char locked = 0;
  ASSERT_EQ(::read(ready[0], &locked, 1), 1);
  ASSERT_EQ(locked, 'y');
  EXPECT_EQ(exportTo(MailboxFormat::Mbox, SelectionCode::All, mbox), MailboxResult::Failed);
  EXPECT_NE(ui.last().text.find("is being written by another program"), std::string::npos) << ui.last().text;
  EXPECT_EQ(::write(release[1], "x", 1), 1);
  ::waitpid(holder, nullptr, 0);
  EXPECT_EQ(load(mbox), before);
}

TEST_F(MailboxTest, AMaildirExportIndexesInNotmuchWithTheSameCountAndAStopKeepsWholeMessages) {
  std::string lines;
  for (int i = 1; i <= 205; ++i)
    lines += "M|Note " + std::to_string(i) + "|Ann Lee|ann@example.org|Jane Smith|jane@example.org|1999-05-" +
             std::to_string(10 + i % 20) + "|10:00|Text " + std::to_string(i) + "\n";
  importMail(lines);
  auto files = [](const std::filesystem::path& dir) {
    std::size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir)) n += e.is_regular_file() ? 1 : 0;
    return n;
  };

  // Stopped after its first writing step: those messages stay, each whole.
  const std::filesystem::path stopped = out / "Stopped";
  MailboxExportJob job(*ctx, {.format = MailboxFormat::Maildir, .code = SelectionCode::All, .path = stopped});
  ASSERT_FALSE(job.step());  // collected
  ASSERT_FALSE(job.step());  // the first messages written
  job.requestCancel();
  ASSERT_TRUE(job.step());
  EXPECT_EQ(job.result(), MailboxResult::Cancelled);
  EXPECT_EQ(ui.last().text, kProcessAborted);
  EXPECT_EQ(files(stopped / "new"), MailboxExportJob::kMessagesPerStep);
  EXPECT_EQ(files(stopped / "tmp"), 0u);

  // Stopped before anything was opened: nothing is made, nothing breaks.
  MailboxExportJob early(*ctx, {.format = MailboxFormat::Mbox, .code = SelectionCode::All, .path = out / "early.mbox"});
  early.requestCancel();
  ASSERT_TRUE(early.step());
  EXPECT_EQ(early.result(), MailboxResult::Cancelled);
  EXPECT_FALSE(std::filesystem::exists(out / "early.mbox"));

  const std::filesystem::path maildir = out / "Mail";
  ASSERT_EQ(exportTo(MailboxFormat::Maildir, SelectionCode::All, maildir), MailboxResult::Done);
  EXPECT_EQ(files(maildir / "new"), 205u);
  EXPECT_EQ(files(maildir / "tmp"), 0u);
  EXPECT_TRUE(std::filesystem::is_directory(maildir / "cur"));

  if (!haveCommand("notmuch --version")) GTEST_SKIP() << "notmuch is missing: the Maildir was not indexed";
  std::ofstream(out / "notmuch-config") << "[database]\npath=" << maildir.string() << "\n[new]\ntags=new\n";
  const std::string env = "NOTMUCH_CONFIG='" + (out / "notmuch-config").string() + "' ";
  capture(env + "notmuch new", out);
  EXPECT_EQ(capture(env + "notmuch count '*'", out), "205\n");
  EXPECT_EQ(capture(env + "notmuch count 'subject:\"Note 3\" and from:ann@example.org'", out), "1\n");
}

TEST_F(MailboxTest, ForumThreadsAndNewsgroupArticlesBecomeReplyChains) {
  importForum(
      "F|Club|1|General|100|0|Modems|Ann Lee|70001,1|All||1995-03-01|10:00|a\n"
      "F|Club|1|General|101|100|Modems|Bob Ray|70001,2|Ann Lee|70001,1|1995-03-02|10:00|b\n"
      "F|Club|1|General|103|101|Modems|Ann Lee|70001,1|Bob Ray|70001,2|1995-03-04|10:00|c\n");
  const Codes topic = topics::addCode(*ctx, CodeType::Topic, "Modem talk").code;
  BatchJob tag(
      *ctx,
      {.kind = BatchKind::AttachTopic, .code = SelectionCode::Current, .start = {.message = 103}, .topicId = topic.ID});
  runToEnd(tag);
  std::filesystem::create_directories(out);
  ASSERT_EQ(exportTo(MailboxFormat::Mbox, SelectionCode::Thread, out / "club.mbox", {.message = 101}),
            MailboxResult::Done);
  const std::string db = std::to_string(ctx->mem.ForumNumber);
  auto id = [&](int n) { return "<" + std::to_string(n) + "." + db + "@quorvel.invalid>"; };
  const std::string text = load(out / "club.mbox");
  EXPECT_NE(text.find("Message-ID: " + id(100) + "\nX-Quorvel-Section: 1 General\n"), std::string::npos) << text;
  EXPECT_NE(text.find("To: All: ;\n"), std::string::npos);
  EXPECT_NE(text.find("Date: Sat, 04 Mar 1995 00:00:00 -0000\nMessage-ID: " + id(103) + "\nIn-Reply-To: " + id(101) +
                      "\nReferences: " + id(100) + " " + id(101) + "\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("X-Quorvel-Status: Normal\nX-Quorvel-Topics: Modem talk\n"), std::string::npos);

  // One message as EML: CR LF lines, no separator line; more than one is refused.
  ASSERT_EQ(exportTo(MailboxFormat::Eml, SelectionCode::Current, out / "101.eml", {.message = 101}),
            MailboxResult::Done);
  const std::string eml = load(out / "101.eml");
  EXPECT_TRUE(eml.starts_with("From: Bob Ray <70001.2@compuserve.com>\r\nTo: Ann Lee <70001.1@compuserve.com>\r\n"))
      << eml;
  EXPECT_TRUE(eml.ends_with("\r\n\r\nb\r\n"));
  EXPECT_FALSE(std::filesystem::exists(out / "101.eml.part"));
  EXPECT_EQ(exportTo(MailboxFormat::Eml, SelectionCode::Thread, out / "all.eml", {.message = 101}),
            MailboxResult::Refused);
  EXPECT_FALSE(std::filesystem::exists(out / "all.eml"));

  // Newsgroup articles keep their own identifiers.
  writeSource("news.txt",
              "N|comp.misc|<a@x>||Topic|Poster A|a@example.org|1996-01-01|09:00|first\n"
              "N|comp.misc|<b@x>|<a@x>|Re: Topic|Poster B|b@example.org|1996-01-02|09:00|reply\n");
  ImportSettings s = settings("Unix News", {"news.txt"});
  s.news = true;
  ASSERT_TRUE(run(s).completed);
  activate("COMP.MISC");
  ASSERT_EQ(exportTo(MailboxFormat::Mbox, SelectionCode::All, out / "news.mbox"), MailboxResult::Done);
  const std::string news = load(out / "news.mbox");
  EXPECT_NE(news.find("Message-ID: <b@x>\nIn-Reply-To: <a@x>\nReferences: <a@x>\nNewsgroups: comp.misc\n"),
            std::string::npos)
      << news;
}

TEST(MailText, HeadersAreEncodedAndLongLinesQuoted) {
  EXPECT_EQ(encodeHeaderText("Plain text"), "Plain text");
  EXPECT_EQ(encodeHeaderText("Gr\xc3\xbc\xc3\x9f"
                             "e"),
            "=?UTF-8?B?R3LDvMOfZQ==?=");
  // Long texts are split into encoded words of at most 75 characters, between whole characters.
  std::string longText;
  for (int i = 0; i < 40; ++i) longText += "\xc3\xbc";
  const std::string encoded = encodeHeaderText(longText);
  // 44 bytes (not 45: that would cut a character) make 60 base64 characters.
  EXPECT_EQ(encoded.find(' '), 72u);
  EXPECT_EQ(encoded.size(), 72u + 1 + 10 + 48 + 2);  // the last 36 bytes
  EXPECT_EQ(encodeDisplayName("Lee, Ann"), "\"Lee, Ann\"");
  EXPECT_EQ(utf8From1252("\x80\x81\xe9"), "\xe2\x82\xac\xc2\x81\xc3\xa9");
  EXPECT_EQ(uniformLines("a\r\nb\rc\nd", "\n"), "a\nb\nc\nd\n");
  EXPECT_EQ(mailAddressOf("INTERNET:ann@example.org"), "ann@example.org");
  EXPECT_EQ(mailAddressOf(" 70001,1 "), "70001.1@compuserve.com");
  EXPECT_EQ(mailAddressOf("a@b>\r\nBcc: c@d"), "");  // nothing that could end the header line or the address
  EXPECT_EQ(mailAddressOf("Ann Lee"), "");
  EXPECT_EQ(mboxrdQuoted("From a\n>From b\nFromage\n"), ">From a\n>>From b\nFromage\n");
  const std::string line(1200, 'x');
  ASSERT_TRUE(hasOverlongLine(line + "\n"));
  const std::string qp = quotedPrintable(line + "\n");
  std::istringstream lines(qp);
  for (std::string l; std::getline(lines, l);) EXPECT_LE(l.size(), 76u);
}

}  // namespace
}  // namespace qv::test
