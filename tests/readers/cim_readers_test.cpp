// The filing cabinet and message file readers over bytes in memory: what
// they find, and what they pass over in damaged files.
#include <gtest/gtest.h>

#include <filesystem>

#include "readers/cim/cim_readers.h"
#include "store/dates.h"
#include "tests/readers/cim_writer.h"

namespace qv::test {
namespace {

using namespace qv::test::cim;
using qv::cim::CabinetReader;
using qv::cim::Kind;
using qv::cim::MessageFileReader;

struct Recording final : qv::cim::CimSink {
  bool take(const qv::cim::Message& m, std::uint64_t offset) override {
    messages.push_back(m);
    offsets.push_back(offset);
    return true;
  }
  void skip(std::uint64_t offset, std::string why) override { skipped.push_back({offset, std::move(why)}); }
  std::vector<qv::cim::Message> messages;
  std::vector<std::uint64_t> offsets;
  std::vector<std::pair<std::uint64_t, std::string>> skipped;
};

struct CabinetRun {
  bool opened = false;
  int passCalls = 0;
  std::vector<qv::cim::ObjectSpan> objects;
  Recording sink;
};

CabinetRun readCabinet(const std::string& bytes) {
  CabinetRun r;
  CabinetReader reader;
  r.opened = reader.open(std::make_unique<internet::MemorySource>(bytes));
  if (!r.opened) return r;
  while (!reader.firstPass()) {
    if (++r.passCalls > 1000) {
      ADD_FAILURE() << "the first pass does not finish";
      return r;
    }
  }
  r.objects = reader.objects();
  for (int calls = 0; !reader.convert(r.sink); ++calls)
    if (calls > 1000) {
      ADD_FAILURE() << "the conversion does not finish";
      break;
    }
  return r;
}

Recording readMessageFile(const std::string& bytes, bool* opened = nullptr) {
  Recording sink;
  MessageFileReader reader;
  const bool ok = reader.open(std::make_unique<internet::MemorySource>(bytes));
  if (opened != nullptr) *opened = ok;
  if (ok) reader.convert(sink);
  return sink;
}

TEST(CabinetReaderTest, ObjectsOf120BytesOrLessAreNotListed) {
  const std::string first = object(CabinetForum{});
  std::string small = "~CS~FCR~";
  small.resize(120, 'x');
  const std::string last = object(CabinetMail{});
  const CabinetRun r = readCabinet(cabinet({first, small, last}));
  ASSERT_TRUE(r.opened);
  ASSERT_EQ(r.objects.size(), 2u);
  EXPECT_EQ(r.objects[0].start, 12u);
  EXPECT_EQ(r.objects[0].end, 12 + first.size());
  EXPECT_EQ(r.objects[1].start, 12 + first.size() + 120);
  EXPECT_EQ(r.objects[1].end, 12 + first.size() + 120 + last.size());
  EXPECT_EQ(r.sink.messages.size(), 2u);
  // One byte more and the object is a candidate (and found not to be a message).
  small += 'x';
  const CabinetRun more = readCabinet(cabinet({first, small, last}));
  EXPECT_EQ(more.objects.size(), 3u);
  ASSERT_EQ(more.sink.skipped.size(), 1u);
  EXPECT_EQ(more.sink.skipped[0].second, "not a message object");
}

TEST(CabinetReaderTest, FirstPassGoesATenthOfTheFileAtMostFiftyThousandBytesPerCall) {
  std::vector<std::string> objects;
  CabinetForum f;
  f.text = std::string(3000, 't');
  for (std::uint32_t i = 0; i < 200; ++i) {  // about 630,000 bytes
    f.number = 5000 + i;
    objects.push_back(object(f));
  }
  const std::string bytes = cabinet(objects);
  CabinetReader reader;
  ASSERT_TRUE(reader.open(std::make_unique<internet::MemorySource>(bytes)));
  std::uint64_t before = reader.position();
  int calls = 0;
  for (bool done = false; !done; ++calls) {
    done = reader.firstPass();
    EXPECT_LE(reader.position() - before, 50000u + 8);  // a marker found at the slice's end is passed whole
    before = reader.position();
  }
  EXPECT_GE(calls, static_cast<int>(bytes.size() / 50008));
  EXPECT_EQ(reader.objects().size(), 200u);
  // A small file takes a tenth of itself per call.
  CabinetRun small = readCabinet(cabinet({object(CabinetForum{})}));
  EXPECT_GE(small.passCalls, 9);
  EXPECT_LE(small.passCalls, 11);
}

TEST(CabinetReaderTest, ForumObjectFieldsAndPackedStamp) {
  CabinetForum f;
  f.text = "@lFirst@b\nSecond\n\nThird\r\n\r\n";
  f.parent = 999;
  // Year field 30 is the year 2000.
  const std::uint32_t when = stamp(2000, 2, 29, 23, 58, 46);
  ASSERT_EQ((when >> 25) & 0x7F, 30u);
  const CabinetRun r = readCabinet(cabinet({object(f, when)}));
  ASSERT_EQ(r.sink.messages.size(), 1u);
  const qv::cim::Message& m = r.sink.messages[0];
  EXPECT_EQ(m.kind, Kind::Forum);
  EXPECT_EQ(m.subject, "Hello");
  EXPECT_EQ(m.senderName, "Ann Lee");
  EXPECT_EQ(m.senderAddress, "70000,1");
  EXPECT_EQ(m.sectionName, "General");
  EXPECT_EQ(m.forum, "CIS:TESTFORUM");
  EXPECT_EQ(m.sectionNumber, 3u);
  EXPECT_EQ(m.recipientName, "All");
  EXPECT_EQ(m.number, 1001u);
  EXPECT_EQ(m.parent, 999u);
  EXPECT_EQ(m.date, dates::dayNumber(2000, 2, 29));
  EXPECT_EQ(m.time, dates::timeOf(23, 58, 46));
  EXPECT_EQ(m.text, "First\r\nSecond\r\n\r\nThird");
  EXPECT_EQ(r.sink.offsets[0], 12u);
}

TEST(CabinetReaderTest, MailObjectRecipientsAndShortText) {
  CabinetMail mail;
  mail.recipients = {{"Ann", "INTERNET:ann@x.org"}, {"Ben", "71111,1"}, {"Cy", "cy@z.org"}};
  CabinetMail noText;
  noText.withText = false;
  noText.shortText = "the short text\n";
  const CabinetRun r = readCabinet(cabinet({object(mail), object(noText)}));
  ASSERT_EQ(r.sink.messages.size(), 2u);
  const qv::cim::Message& m = r.sink.messages[0];
  EXPECT_EQ(m.kind, Kind::Mail);
  EXPECT_FALSE(m.copiesKeepListType);
  ASSERT_EQ(m.recipients.size(), 3u);
  EXPECT_EQ(m.recipients[0].address, "INTERNET:ann@x.org");
  EXPECT_EQ(m.recipients[2].name, "Cy");
  EXPECT_EQ(m.recipients[1].type, "TO");
  EXPECT_EQ(m.text, "Mail text");
  EXPECT_EQ(m.date, dates::dayNumber(1999, 2, 3));
  EXPECT_EQ(r.sink.messages[1].text, "the short text");
}

TEST(CabinetReaderTest, DamagedObjectsArePassedOverAndReadingGoesOn) {
  const std::string good = object(CabinetForum{});
  std::string notMessage = good;
  notMessage[11] = 1;
  std::string otherKind = good;
  otherKind[106] = 5;
  std::string longString = good;
  longString[119] = static_cast<char>(250);  // the subject runs past the object
  std::string cut = good.substr(0, 200);     // ends within its fields
  CabinetForum pastObject;
  pastObject.text = "kept text";
  std::string pastObjectBytes = object(pastObject);
  pastObjectBytes[pastObjectBytes.size() - pastObject.text.size() - 4] = 100;  // 100 bytes of text claimed
  std::string pastFile = object(CabinetForum{});
  pastFile[pastFile.size() - 4 - 4] = static_cast<char>(0xFF);  // text length 0xFF000004
  pastFile[pastFile.size() - 4 - 1] = 0x7F;

  const CabinetRun r = readCabinet(cabinet({notMessage, otherKind, longString, cut, pastObjectBytes, good, pastFile}));
  std::vector<std::string> why;
  for (const auto& s : r.sink.skipped) why.push_back(s.second);
  EXPECT_EQ(why, (std::vector<std::string>{"not a message object", "an object of kind 5",
                                           "the object ends before its fields", "the object ends before its fields",
                                           "the text runs past the end of the file"}));
  ASSERT_EQ(r.sink.messages.size(), 2u);
  // A text length past the object's end takes the text up to the next object only.
  EXPECT_EQ(r.sink.messages[0].text.substr(0, 9), "kept text");
  EXPECT_EQ(r.sink.messages[0].text.find("~CS~FCR~"), std::string::npos);
  EXPECT_EQ(r.sink.messages[1].text, "Text");
}

TEST(CabinetReaderTest, OnlyFilesBeginningWithFcabAreOpened) {
  EXPECT_FALSE(readCabinet("FCAX" + cabinet({object(CabinetForum{})}).substr(4)).opened);
  EXPECT_FALSE(readCabinet("FCA").opened);
  const CabinetRun empty = readCabinet("FCAB");
  EXPECT_TRUE(empty.opened);
  EXPECT_TRUE(empty.objects.empty());
}

TEST(MessageFileReaderTest, SignatureNeedsTheCtrlZ) {
  MailFile mail;
  mail.to = {{"Me", "me@x.org"}};
  std::string bytes = file(mail);
  bool opened = false;
  EXPECT_EQ(readMessageFile(bytes, &opened).messages.size(), 1u);
  EXPECT_TRUE(opened);
  bytes[6] = ' ';
  EXPECT_TRUE(readMessageFile(bytes, &opened).messages.empty());
  EXPECT_FALSE(opened);
  EXPECT_FALSE(readMessageFile("VIS000", &opened).messages.size());
  EXPECT_FALSE(opened);
}

TEST(MessageFileReaderTest, MailListsKeepTheirTypes) {
  MailFile mail;
  mail.to = {{"Me", "me@x.org"}};
  mail.cc = {{"Ann", "INTERNET:ann@x.org"}, {"Ben", "ben@x.org"}};
  mail.text = "Body@b\nline two\n";
  const Recording r = readMessageFile(file(mail));
  ASSERT_EQ(r.messages.size(), 1u);
  const qv::cim::Message& m = r.messages[0];
  EXPECT_EQ(m.kind, Kind::Mail);
  EXPECT_TRUE(m.copiesKeepListType);
  ASSERT_EQ(m.recipients.size(), 3u);
  EXPECT_EQ(m.recipients[0].type, "TO");
  EXPECT_EQ(m.recipients[1].type, "CC");
  EXPECT_EQ(m.recipients[2].type, "CC");
  EXPECT_EQ(m.recipients[1].address, "INTERNET:ann@x.org");
  EXPECT_EQ(m.subject, "Meeting");
  EXPECT_EQ(m.senderName, "\"Carl Dee\"");
  EXPECT_EQ(m.date, dates::dayNumber(2001, 6, 9));
  EXPECT_EQ(m.time, dates::timeOf(11, 22, 33));
  EXPECT_EQ(m.text, "Body\r\nline two");
  // The 16-bit TO list and the BC list are read as well.
  MailFile longList;
  longList.to = {{"A", "a@x"}, {"B", "b@x"}};
  longList.toInLongList = true;
  longList.bc = {{"C", "c@x"}};
  const Recording l = readMessageFile(file(longList));
  ASSERT_EQ(l.messages.size(), 1u);
  ASSERT_EQ(l.messages[0].recipients.size(), 3u);
  EXPECT_EQ(l.messages[0].recipients[1].name, "B");
  EXPECT_EQ(l.messages[0].recipients[2].type, "BC");
  EXPECT_EQ(l.messages[0].text, "Mail body");
}

TEST(MessageFileReaderTest, ForumAndThreadLayouts) {
  const Recording forum = readMessageFile(file(ForumFile{}));
  ASSERT_EQ(forum.messages.size(), 1u);
  const qv::cim::Message& f = forum.messages[0];
  EXPECT_EQ(f.kind, Kind::Forum);
  EXPECT_EQ(f.subject, "Question");
  EXPECT_EQ(f.senderAddress, "71000,2");
  EXPECT_EQ(f.recipientName, "All");
  EXPECT_EQ(f.number, 2002u);
  EXPECT_EQ(f.parent, 2001u);
  EXPECT_EQ(f.sectionNumber, 5u);
  EXPECT_EQ(f.sectionName, "Help");
  EXPECT_EQ(f.forum, "CIS:OTHERFORUM");
  EXPECT_EQ(f.date, dates::dayNumber(2000, 12, 31));
  EXPECT_EQ(f.text, "Forum body");

  ThreadFile t;
  t.text = "Thread body\nmore";
  const std::string bytes = file(t) + "trailing bytes beyond the text";
  const Recording thread = readMessageFile(bytes);
  ASSERT_EQ(thread.messages.size(), 1u);
  const qv::cim::Message& m = thread.messages[0];
  EXPECT_EQ(m.forum, "THREADFORUM");
  EXPECT_EQ(m.sectionNumber, 7u);
  EXPECT_EQ(m.number, 3003u);
  EXPECT_EQ(m.senderName, "Eve Gil");
  EXPECT_EQ(m.recipientName, "All");
  EXPECT_EQ(m.date, dates::dayNumber(1997, 3, 4));
  EXPECT_EQ(m.text, "Thread body\r\nmore");
}

TEST(MessageFileReaderTest, DamagedFilesArePassedOver) {
  std::string kind = file(ForumFile{});
  kind[15] = 9;
  EXPECT_EQ(readMessageFile(kind).skipped.at(0).second, "a message file of kind 9");
  ThreadFile t;
  const std::string thread = file(t);
  EXPECT_EQ(readMessageFile(thread.substr(0, thread.size() - 1)).skipped.at(0).second,
            "the text runs past the end of the file");
  std::string block = file(ForumFile{});
  block[25] = 5;  // a forum block too short for its fields
  block[26] = 0;
  EXPECT_EQ(readMessageFile(block).skipped.at(0).second, "the file ends before its fields");
}

// Every prefix and many byte flips of each layout: a message or a reason,
// never a read outside the data (the sanitizers watch).
TEST(CimReadersTest, TruncatedAndFlippedFilesNeverMisread) {
  MailFile mail;
  mail.to = {{"Me", "me@x.org"}};
  mail.cc = {{"Ann", "ann@x.org"}, {"Ben", "ben@x.org"}};
  for (const std::string& bytes : {file(mail), file(ForumFile{}), file(ThreadFile{})}) {
    for (std::size_t n = 0; n <= bytes.size(); ++n) {
      bool opened = false;
      const Recording r = readMessageFile(bytes.substr(0, n), &opened);
      if (opened) {
        EXPECT_EQ(r.messages.size() + r.skipped.size(), 1u) << n;
      }
    }
    for (std::size_t i = 7; i < bytes.size(); ++i) {
      std::string flipped = bytes;
      flipped[i] = static_cast<char>(flipped[i] ^ 0xA5);
      const Recording r = readMessageFile(flipped);
      EXPECT_EQ(r.messages.size() + r.skipped.size(), 1u) << i;
    }
  }
  CabinetMail cm;
  cm.recipients = {{"A", "a@x"}, {"B", "b@x"}};
  const std::string fcab = cabinet({object(CabinetForum{}), object(cm)});
  for (std::size_t n = 0; n <= fcab.size(); ++n) {
    const CabinetRun r = readCabinet(fcab.substr(0, n));
    EXPECT_EQ(r.sink.messages.size() + r.sink.skipped.size(), r.objects.size()) << n;
  }
  for (std::size_t i = 4; i < fcab.size(); ++i) {
    std::string flipped = fcab;
    flipped[i] = static_cast<char>(flipped[i] ^ 0x5A);
    const CabinetRun r = readCabinet(flipped);
    EXPECT_EQ(r.sink.messages.size() + r.sink.skipped.size(), r.objects.size()) << i;
  }
}

}  // namespace
}  // namespace qv::test

namespace qv::test {
namespace {

// Real stores of other programs are no filing cabinets or message files.
TEST(CimReadersTest, OtherProgramsStoresAreRefused) {
  const std::filesystem::path corpus = std::filesystem::path(QV_SOURCE_DIR) / ".." / "shared" / "corpus";
  if (!std::filesystem::exists(corpus)) GTEST_SKIP() << "no corpus folder";
  int files = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(corpus)) {
    if (!e.is_regular_file() || e.file_size() > 4'000'000) continue;
    ++files;
    auto source = qv::internet::FileSource::open(e.path());
    ASSERT_NE(source, nullptr) << e.path();
    EXPECT_FALSE(qv::cim::CabinetReader().open(qv::internet::FileSource::open(e.path()))) << e.path();
    EXPECT_FALSE(qv::cim::MessageFileReader().open(std::move(source))) << e.path();
  }
  EXPECT_GT(files, 10);
}

}  // namespace
}  // namespace qv::test
