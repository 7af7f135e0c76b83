// The sample stores under samples/internet imported end to end, one import
// per format as scripts/demo.sh runs them: how many messages each file
// gives, and what a user sees of them (subjects with encoded words, the
// Windows-1252 texts, quoted-printable and multipart bodies, who sent what).
#include <fstream>
#include <map>
#include <set>

#include "tests/readers/internet_import_fixture.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

const fs::path kSamples = fs::path(QV_SOURCE_DIR) / "samples" / "internet";

struct Sample {
  const char* format;
  const char* folder;
  std::vector<std::string> files;
  bool news;
  std::uint64_t imported;
  std::size_t skipped;     // what the reader could not or would not read
  int sent;                // mail: from the owner
  bool softBreaks;         // mail: "=" at a line end joins the lines
  std::array<int, 3> day;  // mail: the first mail's date; news: the first article's
  const char* newsgroup;   // news: the database the articles go to
};

// Stores where a header line in a body would start a new message hold no
// multipart mail (its parts have header lines). Eudora's In.mbx holds the
// received mail, its Out.mbx the sent mail (no Date lines; dated by their
// separators). The news stores with records hold one record of a header
// whose text was never fetched. Netscape Mail keeps a soft line break as
// it is ("=" at the end of the line), the other mail stores join the lines.
const std::vector<Sample> kSampleStores = {
    {"Eudora", "eudora", {"In.mbx", "Out.mbx"}, false, 7, 0, 4, true, {1998, 3, 2}, ""},
    {"IE Mail", "ie-mail", {"Inbox.mbx"}, false, 4, 0, 1, true, {1999, 4, 6}, ""},
    {"Outlook Express 4 Mail", "oe4-mail", {"Inbox.mbx"}, false, 4, 0, 1, true, {1999, 9, 13}, ""},
    {"Netscape Mail", "netscape-mail", {"Inbox"}, false, 4, 0, 1, false, {1999, 11, 3}, ""},
    {"Pegasus", "pegasus", {"FOL00001.PMM"}, false, 4, 0, 1, true, {2000, 2, 14}, ""},
    {"TheBat", "thebat", {"messages.tbb"}, false, 4, 0, 1, true, {2001, 8, 20}, ""},
    {"Generic Mail Type 1", "generic-mail-1", {"mail.txt"}, false, 4, 0, 1, true, {2002, 5, 7}, ""},
    {"Becky Mail", "becky", {"Inbox.mbx"}, false, 4, 0, 1, true, {2002, 10, 1}, ""},
    {"Agent Mail", "agent", {"AGENT.TXT"}, false, 4, 0, 1, true, {2003, 1, 28}, ""},
    {"Generic Mail Type 2", "generic-mail-2", {"mbox"}, false, 4, 0, 1, true, {2003, 6, 2}, ""},
    {"Poco Mail", "poco", {"Inbox.mbx"}, false, 4, 0, 1, true, {2003, 11, 10}, ""},
    {"Winvn", "winvn", {"ALTFOLK.TXT"}, true, 3, 0, 0, false, {1997, 6, 1}, "alt.folklore.computers"},
    {"Gravity", "gravity", {"rec.arts.books.txt"}, true, 3, 0, 0, false, {1999, 1, 17}, "rec.arts.books"},
    {"IE News", "ie-news", {"news.example.net.nch"}, true, 3, 1, 0, false, {1998, 12, 1}, "comp.os.ms-windows.misc"},
    {"Outlook Express 4 News",
     "oe4-news",
     {"rec.arts.books.nch"},
     true,
     3,
     1,
     0,
     false,
     {1999, 7, 22},
     "rec.arts.books"},
    {"Netscape News",
     "netscape-news",
     {"comp.os.ms-windows.misc.snm"},
     true,
     3,
     0,
     0,
     false,
     {1998, 10, 5},
     "comp.os.ms-windows.misc"},
};

// Test names and failure messages show the format, not the bytes.
void PrintTo(const Sample& sample, std::ostream* out) { *out << sample.format; }

class InternetSamples : public InternetImport, public ::testing::WithParamInterface<Sample> {
 protected:
  ImportSummary importSample(const Sample& sample, std::uint32_t mailDb) {
    ImportSettings s = settings(sample.format, sample.files);
    s.path = kSamples / sample.folder;
    s.mail = !sample.news;
    s.news = sample.news;
    s.mailDatabase = mailDb;
    return run(s);
  }

  // The articles of newsgroup database `name`: "subject|sender|recipient|date|text" (persons by last name).
  std::vector<std::string> articles(const std::string& name) {
    OP_CLOSE(*ctx, kOpOpen, {Forums::FileNo});
    ctx->for_.DESCRIPTION = name;
    const bool found = ctx->fileOf<Forums>().get(Forums::AlphaKey) == engine::Err::Ok;
    const std::uint32_t id = ctx->for_.ID;
    OP_CLOSE(*ctx, kOpRelease, {Forums::FileNo});
    if (!found) return {};
    openDatabase(id);
    std::vector<std::string> out;
    ctx->fileOf<MsgNmbr>().set();
    while (ctx->fileOf<MsgNmbr>().next() == engine::Err::Ok) {
      const MsgNmbr m = ctx->msg;
      std::string line;
      ctx->thr.THREADNUMBER = m.THREADNUMBER;
      if (ctx->fileOf<Threads>().get(Threads::ThreadKey) == engine::Err::Ok) line = ctx->thr.HEADING();
      for (std::uint32_t person : {m.FROMID, m.TOID}) {
        ctx->per.PERSONID = person;
        line += "|" + (ctx->fileOf<Person>().get(Person::PersonKey) == engine::Err::Ok ? ctx->per.LASTNAME.str()
                                                                                       : std::string("?"));
      }
      line += "|" + std::to_string(m.DATE);
      ctx->txt.MSGNUMBER = m.MSGNUMBER;
      line += "|" + (ctx->fileOf<MsgText>().get(MsgText::IdKey) == engine::Err::Ok ? ctx->txtMemo : "?");
      out.push_back(std::move(line));
    }
    return out;
  }
};

bool contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

TEST_P(InternetSamples, ImportsWithItsMessageCountAndFields) {
  const Sample& sample = GetParam();
  ASSERT_TRUE(fs::exists(kSamples / sample.folder / sample.files.front())) << "run scripts/make-internet-samples.py";
  const std::uint32_t mailDb = sample.news ? 0 : addMail("Jane Smith", "jane@example.org", "jane@work.example");
  const ImportSummary r = importSample(sample, mailDb);
  EXPECT_TRUE(r.completed) << r.outcome;
  EXPECT_EQ(r.imported, sample.imported);
  EXPECT_EQ(r.unreadable.size(), sample.skipped);
  for (const SkippedMessage& m : r.unreadable) EXPECT_EQ(m.why, "an article header without its text");
  const std::int32_t firstDay = dates::dayNumber(sample.day[0], sample.day[1], sample.day[2]);

  if (sample.news) {
    ASSERT_EQ(r.databases, std::vector<std::string>{sample.newsgroup});
    const std::vector<std::string> stored = articles(sample.newsgroup);
    ASSERT_EQ(stored.size(), 3u);
    // The question answers nothing: to "All". An answer goes to the sender
    // of the article it answers, which the import found among the others.
    std::set<std::string> senders;
    for (const std::string& a : stored)
      senders.insert(a.substr(a.find('|') + 1, a.find('|', a.find('|') + 1) - a.find('|') - 1));
    int all = 0, answers = 0;
    for (const std::string& a : stored) {
      const std::size_t to = a.find('|', a.find('|') + 1) + 1;
      const std::string recipient = a.substr(to, a.find('|', to) - to);
      if (contains(a, "|Has anyone got this working under Windows 98?\r\nI tried everything \x96 twice."))
        all += recipient == "All";
      else
        answers += senders.contains(recipient);
    }
    EXPECT_EQ(all, 1);
    EXPECT_EQ(answers, 2) << stored[0] << "\n" << stored[1] << "\n" << stored[2];
    EXPECT_TRUE(contains(stored[0] + stored[1] + stored[2], "|" + std::to_string(firstDay) + "|"));
    EXPECT_EQ(std::count_if(stored.begin(), stored.end(),
                            [](const std::string& a) { return contains(a, "Merci \xE0 tous!\r\n"); }),
              1);
    return;
  }

  // Each mail as subject, date, time, sender, recipient and text, by date.
  std::vector<std::vector<std::string>> stored;
  for (const std::string& line : mails(mailDb)) {
    std::vector<std::string> f;
    std::size_t at = 0;
    for (int i = 0; i < 5; ++i) {
      const std::size_t bar = line.find('|', at);
      f.push_back(line.substr(at, bar - at));
      at = bar + 1;
    }
    f.push_back(line.substr(at));
    stored.push_back(std::move(f));
  }
  ASSERT_EQ(stored.size(), sample.imported);
  EXPECT_EQ(stored[0][1], std::to_string(firstDay));
  int sent = 0;
  std::set<std::string> subjects;
  std::string texts;
  for (const auto& m : stored) {
    EXPECT_NE(m[3] == "owner", m[4] == "owner") << m[0];  // the owner on exactly one side
    sent += m[3] == "owner";
    subjects.insert(m[0]);
    texts += m[5];
    EXPECT_FALSE(contains(m[5], "Content-Type") || contains(m[5], "<html>") || contains(m[5], "NextPart")) << m[5];
  }
  EXPECT_EQ(sent, sample.sent);
  for (const std::string& subject : subjects) EXPECT_FALSE(subject.starts_with("Re:")) << subject;
  EXPECT_TRUE(
      subjects.contains("Gr\xFC\xDF"
                        "e zum Wochenende"));
  EXPECT_TRUE(
      contains(texts, std::string("the r\xE9sum\xE9 you asked for is below; it is a long line that the sender's") +
                          (sample.softBreaks ? "" : "=\r\n") + " program broke with a soft line break.\r\n"));
  EXPECT_TRUE(contains(texts, "Caf\xE9 afterwards? \x96 "));
  // Of the multipart mail the text before its first part and the plain part.
  EXPECT_TRUE(contains(stored.back()[5], "Thanks, Jane \x96 see you on Friday.\r\n")) << stored.back()[5];
}

// The first file of each sample cut short and with bytes changed: the
// reader finishes, a cut store gives no more messages than the whole one,
// and nothing handed on outgrows the stored text.
TEST_P(InternetSamples, DamagedCopiesReadWithoutCrash) {
  const Sample& sample = GetParam();
  const fs::path folder = kSamples / sample.folder;
  const auto bytesOf = [](const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  };
  const std::string store = bytesOf(folder / sample.files.front());
  std::map<std::string, std::string> companions;
  if (fs::exists(folder / "In.toc")) companions["In.toc"] = bytesOf(folder / "In.toc");
  const std::string name = "/samples/" + sample.files.front();
  const std::size_t whole = readStore(sample.format, store, 1000, companions, name).sink.messages.size();
  EXPECT_GE(whole, 3u);
  for (std::size_t cut : {std::size_t{5}, store.size() / 3, store.size() / 2, store.size() - 7}) {
    const StoreRun r = readStore(sample.format, store.substr(0, cut), 2, companions, name);
    EXPECT_LE(r.sink.messages.size(), whole) << cut;
  }
  for (std::size_t step : {std::size_t{13}, std::size_t{97}}) {
    std::string flipped = store;
    for (std::size_t i = step; i < flipped.size(); i += step) flipped[i] = static_cast<char>(~flipped[i]);
    const StoreRun r = readStore(sample.format, flipped, 3, companions, name);
    for (const internet::Message& m : r.sink.messages) EXPECT_LE(m.text.size(), NewHR::MSGTEXTMax);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, InternetSamples, ::testing::ValuesIn(kSampleStores),
                         [](const ::testing::TestParamInfo<Sample>& param) {
                           std::string name = param.param.format;
                           std::erase_if(name, [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); });
                           return name;
                         });

}  // namespace
}  // namespace qv::test
