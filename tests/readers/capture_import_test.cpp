// The capture samples (samples/capture) imported end to end through the
// import driver into forum, mail and newsgroup databases.
#include <algorithm>
#include <fstream>
#include <map>
#include <set>

#include "readers/registry.h"
#include "tests/import/import_fixture.h"

namespace qv::test {
namespace {

using engine::Err;

const std::filesystem::path kSamples = std::filesystem::path(QV_SOURCE_DIR) / "samples" / "capture";

struct Stored {
  std::uint32_t thread = 0;
  std::uint32_t reference = 0;
  std::string section;
  std::string sender;  // the sender's address
};

class CaptureImport : public ImportTest {
 protected:
  CaptureImport() {
    registerAllReaders(lib);
    forum = addForum("Capture Club");
    mail = addMail("Tom Owner", "70000,100");
  }

  void copySample(const std::string& name) {
    std::ifstream in(kSamples / name, std::ios::binary);
    ASSERT_TRUE(in) << name;
    writeSource(name, std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
  }

  ImportSummary importSample(const std::string& format, const std::string& name, bool asMail) {
    copySample(name);
    ImportSettings s = settings(format, {name});
    s.forum = !asMail;
    s.mail = asMail;
    s.news = true;
    s.forumDatabase = forum;
    s.mailDatabase = mail;
    return run(s);
  }

  std::uint32_t databaseNamed(const std::string& name) {
    OP_CLOSE(*ctx, kOpOpen, {Forums::FileNo});
    ctx->for_.DESCRIPTION = name;
    const bool found = ctx->fileOf<Forums>().get(Forums::AlphaKey) == Err::Ok;
    const std::uint32_t id = ctx->for_.ID;
    OP_CLOSE(*ctx, kOpRelease, {Forums::FileNo});
    return found ? id : 0;
  }

  std::string addressOf(std::uint32_t person) {
    ctx->per.PERSONID = person;
    return ctx->fileOf<Person>().get(Person::PersonKey) == Err::Ok ? ctx->per.ADDRESS.str() : "?";
  }

  std::map<std::uint32_t, Stored> forumMessages(std::uint32_t id) {
    openDatabase(id);
    std::map<std::uint32_t, Stored> out;
    ctx->fileOf<MsgNmbr>().set();
    while (ctx->fileOf<MsgNmbr>().next() == Err::Ok) {
      const MsgNmbr m = ctx->msg;
      Stored s{m.THREADNUMBER, m.REFNUMBER, "?", addressOf(m.FROMID)};
      ctx->sec.SECSYSID = m.SECSYSID;
      if (ctx->fileOf<Sections>().get(Sections::SysIdKey) == Err::Ok) s.section = ctx->sec.DESCRIPTION.str();
      out[+m.MSGNUMBER] = s;
    }
    return out;
  }

  // Mails as "subject|sender|receiver", "owner" for the owner's side.
  std::vector<std::string> mails() {
    const Forums f = openDatabase(mail);
    std::vector<std::string> out;
    ctx->fileOf<Mail>().set(Mail::DateKey);
    while (ctx->fileOf<Mail>().next() == Err::Ok) {
      const Mail m = ctx->mai;
      out.push_back(m.SUBJECT.str() + "|" + (m.FROMID == f.PERSONID ? "owner" : addressOf(m.FROMID)) + "|" +
                    (m.TOID == f.PERSONID ? "owner" : addressOf(m.TOID)));
    }
    std::sort(out.begin(), out.end());
    return out;
  }

  std::uint32_t forum = 0;
  std::uint32_t mail = 0;
};

// The five forum messages of the "#:" samples: a thread of three in
// Printers, one in Modems, and one whose reference is dropped.
// OzWin II names the parent on its "Par:" line: that reference is kept.
void expectForumThreads(const std::map<std::uint32_t, Stored>& m, std::size_t count = 5, std::uint32_t far = 0) {
  ASSERT_EQ(m.size(), count);
  EXPECT_EQ(m.at(412350).thread, m.at(412345).thread);
  EXPECT_EQ(m.at(412360).thread, m.at(412345).thread);
  EXPECT_EQ(m.at(412350).reference, 412345u);
  EXPECT_NE(m.at(412400).thread, m.at(412345).thread);
  EXPECT_EQ(m.at(412345).section, "Printers");
  EXPECT_EQ(m.at(412400).section, "Modems");
  EXPECT_EQ(m.at(412345).sender, "76543,210");
  if (count == 5) {
    EXPECT_EQ(m.at(440000).reference, far);
  }
}

using Sample = std::pair<std::string, std::string>;  // format, file
class CaptureSample : public CaptureImport, public ::testing::WithParamInterface<Sample> {};

class HashForumSample : public CaptureSample {};
TEST_P(HashForumSample, GoesToTheImportsForumWithThreadsAndSections) {
  const auto& [format, file] = GetParam();
  const ImportSummary r = importSample(format, file, false);
  EXPECT_TRUE(r.completed) << r.outcome;
  EXPECT_EQ(r.imported, 5u);
  expectForumThreads(forumMessages(forum));
  // Imported once: a second run finds them all in SaveFile.
  EXPECT_EQ(importSample(format, file, false).imported, 0u);
}
INSTANTIATE_TEST_SUITE_P(Capture, HashForumSample,
                         ::testing::Values(Sample{"TAPCIS 6.x", "TAPCIS6-FORUM.MSG"}, Sample{"AUTOSIG", "AUTOSIG-FORUM.ATO"},
                                           Sample{"TAPCIS 5.x", "TAPCIS5-FORUM.MSG"}, Sample{"OzCIS", "OZCIS-FORUM.MSG"}));

class NamedForumSample : public CaptureSample {};
TEST_P(NamedForumSample, GoesToTheForumTheFileNames) {
  const auto& [format, file] = GetParam();
  const ImportSummary r = importSample(format, file, false);
  EXPECT_TRUE(r.completed) << r.outcome;
  EXPECT_EQ(r.databases, std::vector<std::string>{"IBMPRO"});
  const std::uint32_t ibmpro = databaseNamed("IBMPRO");
  ASSERT_NE(ibmpro, 0u);
  expectForumThreads(forumMessages(ibmpro), format == "NavCIS Save format" ? 4 : 5, format == "OzWin II" ? 1234 : 0);
}
INSTANTIATE_TEST_SUITE_P(Capture, NamedForumSample,
                         ::testing::Values(Sample{"OzWin I", "OZWIN1-FORUM.MSG"}, Sample{"OzWin II", "OZWIN2-FORUM.MSG"},
                                           Sample{"NavCIS Save format", "NAVCIS-FORUM.SAV"}));

class MailSample : public CaptureSample {};
TEST_P(MailSample, FilesInBoxAndOutBoxMail) {
  const auto& [format, file] = GetParam();
  const ImportSummary r = importSample(format, file, true);
  EXPECT_TRUE(r.completed) << r.outcome;
  EXPECT_EQ(r.imported, 3u);
  EXPECT_EQ(mails(), (std::vector<std::string>{"Conference schedule|carl@example.org|owner",
                                               "Lunch on Friday|76543,210|owner", "Re: Lunch on Friday|owner|76543,210"}));
}
INSTANTIATE_TEST_SUITE_P(
    Capture, MailSample,
    ::testing::Values(Sample{"TAPCIS 6.x", "TAPCIS6-MAIL.MSG"}, Sample{"AUTOSIG", "AUTOSIG-MAIL.ATO"},
                      Sample{"TAPCIS 5.x", "TAPCIS5-MAIL.MSG"}, Sample{"OzWin I", "OZWIN1-MAIL.MSG"},
                      Sample{"OzWin II", "OZWIN2-MAIL.MSG"}, Sample{"OzCIS", "OZCIS-MAIL.MSG"},
                      Sample{"GoldenCompass", "GOLDENCOMPASS-MAIL.MSG"}, Sample{"NavCIS Save format", "NAVCIS-MAIL.SAV"}));

class NewsSample : public CaptureSample {};
TEST_P(NewsSample, RepliesJoinTheFirstArticlesThread) {
  const auto& [format, file] = GetParam();
  const ImportSummary r = importSample(format, file, false);
  EXPECT_TRUE(r.completed) << r.outcome;
  EXPECT_EQ(r.imported, 3u);
  const std::map<std::uint32_t, Stored> m = forumMessages(databaseNamed("comp.periphs.printers"));
  ASSERT_EQ(m.size(), 3u);
  std::set<std::uint32_t> threads;
  for (const auto& entry : m) threads.insert(entry.second.thread);
  EXPECT_EQ(threads.size(), 1u);
}
INSTANTIATE_TEST_SUITE_P(Capture, NewsSample,
                         ::testing::Values(Sample{"Agent News", "AGENT-NEWS.TXT"}, Sample{"Unix News", "UNIX-NEWS.TXT"}));

TEST_F(CaptureImport, GoldenCompassAndVirtualAccessForums) {
  EXPECT_EQ(importSample("GoldenCompass", "GOLDENCOMPASS-FORUM.MSG", false).imported, 4u);
  expectForumThreads(forumMessages(forum), 4);
  const ImportSummary va = importSample("VirtualAccess", "VIRTUALACCESS.TXT", false);
  EXPECT_EQ(va.imported, 5u);  // four forum messages and the article; the mail is not taken
  expectForumThreads(forumMessages(databaseNamed("IBMPRO")), 4);
  EXPECT_NE(databaseNamed("comp.periphs.printers"), 0u);
}

TEST_F(CaptureImport, BinaryFileIsNotAForumMessageOrMailFile) {
  std::string binary;
  for (int i = 0; i < 3000; ++i) binary += static_cast<char>((i * 131) % 256);
  writeSource("binary.msg", binary);
  ImportSettings s = settings("TAPCIS 6.x", {"binary.msg"});
  s.forum = true;
  s.forumDatabase = forum;
  const ImportSummary r = run(s);
  EXPECT_TRUE(shown("Not a Forum message or mail file!\r\nMessages will not be imported!"));
  EXPECT_EQ(r.imported, 0u);
}

}  // namespace
}  // namespace qv::test
