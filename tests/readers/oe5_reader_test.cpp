// The Outlook Express 5 reader: block chains, the block checks, the header
// rule, and the text as the Internet machinery reads it.
#include <tuple>

#include "readers/oe5/oe5_reader.h"
#include "store/dates.h"
#include "tests/readers/container_helpers.h"

namespace qv::test {
namespace {

std::string mail(std::string_view subject, std::string_view body) {
  return crlf("From: Ann Lee <Ann@X.org>\nTo: me@y.org\nDate: Wed, 5 Jan 2000 09:30:00 +0100\nSubject: " +
              std::string(subject) + "\n\n" + std::string(body) + "\n");
}

std::vector<std::string> subjects(const StoreRun& r) {
  std::vector<std::string> out;
  for (const auto& m : r.sink.messages) out.push_back(m.subject);
  return out;
}

StoreRun readOe5(const std::string& bytes, bool news = false, int budget = 1000) {
  oe5::Oe5Reader reader(news);
  return readWith(reader, bytes, budget);
}

TEST(Oe5Reader, MessagesSpreadOverBlocksAreRebuiltInChainOrder) {
  // Two messages whose blocks interleave: A1 B1 A2 B2 A3. Each chain is
  // followed where its blocks lie, and the scan then goes on after A1.
  const std::string a = mail("First", std::string(600, 'a') + "\n" + std::string(500, 'b') + "\nend of a");
  const std::string b = mail("Second", std::string(700, 'c') + "\nend of b");
  ASSERT_GT(a.size(), 1024u);
  ASSERT_GT(b.size(), 512u);
  Oe5Writer w;
  const std::uint32_t at = w.end(), span = Oe5Writer::kSpan;
  w.block(at, a.substr(0, 512), at + 2 * span);                 // A1
  w.block(at + span, b.substr(0, 512), at + 3 * span);          // B1
  w.block(at + 2 * span, a.substr(512, 512), at + 4 * span);    // A2
  w.block(at + 3 * span, b.substr(512), 0);                     // B2
  w.block(at + 4 * span, a.substr(1024), 0);                    // A3
  const StoreRun r = readOe5(w.bytes);
  ASSERT_EQ(subjects(r), (std::vector<std::string>{"First", "Second"}));
  EXPECT_EQ(r.sink.messages[0].text, std::string(600, 'a') + "\r\n" + std::string(500, 'b') + "\r\nend of a\r\n");
  EXPECT_EQ(r.sink.messages[1].text, std::string(700, 'c') + "\r\nend of b\r\n");
  EXPECT_EQ(r.sink.offsets, (std::vector<std::uint64_t>{at, at + span}));
  EXPECT_TRUE(r.sink.skipped.empty());
  // A continuation block that happens to open like a header line is not
  // taken as a message of its own once its chain has read it.
  const std::string head = crlf("From: a@x.org\nTo: b@x.org\nDate: 5 Jan 2000 09:30\nSubject: Third\n\n");
  Oe5Writer w2;
  w2.message(head + std::string(512 - head.size() - 2, 'x') + "\r\nReceived: from a relay\r\nrest\r\n");
  const StoreRun r2 = readOe5(w2.bytes);
  EXPECT_EQ(subjects(r2), std::vector<std::string>{"Third"});
  EXPECT_TRUE(r2.sink.skipped.empty());
}

TEST(Oe5Reader, ChainsThatPointBackwardsOrLoopEndWhereTheyTurn) {
  const std::string text = mail("Looping", std::string(900, 'z'));
  Oe5Writer w;
  const std::uint32_t at = w.end(), span = Oe5Writer::kSpan;
  // The second block names the first as its next: not accepted, so the
  // message keeps only what came before it (and is converted once).
  w.block(at, text.substr(0, 512), at + span);
  w.block(at + span, text.substr(512), at);
  StoreRun r = readOe5(w.bytes);
  ASSERT_EQ(subjects(r), std::vector<std::string>{"Looping"});
  EXPECT_EQ(r.sink.messages[0].text.find(std::string(900, 'z')), std::string::npos);
  EXPECT_NE(r.sink.messages[0].text.find(std::string(300, 'z')), std::string::npos);

  // A first block whose own next offset points backwards starts nothing;
  // nor does one closer than a block's span, nor one that claims more
  // than 512 text bytes, nor a first block of another size than 512.
  for (const auto& [next, size, length] : {std::tuple{at - 528u, 512u, 100u}, std::tuple{at + 100u, 512u, 100u},
                                           std::tuple{0u, 512u, 513u}, std::tuple{0u, 256u, 100u}}) {
    Oe5Writer bad;
    bad.block(at, text.substr(0, 100), next, size);
    putLeAt(bad.bytes, at + 8, length);
    r = readOe5(bad.bytes);
    EXPECT_TRUE(r.sink.messages.empty()) << next << " " << size << " " << length;
  }
  // A next offset past the end of the file ends the chain there.
  Oe5Writer past;
  past.block(at, text.substr(0, 512), 0x7FFFFFF0u);
  r = readOe5(past.bytes);
  ASSERT_EQ(r.sink.messages.size(), 1u);
}

TEST(Oe5Reader, MailNeedsThreeOfFromDateToAndSubject) {
  Oe5Writer w;
  w.message(crlf("From: a@x.org\nDate: 5 Jan 2000 09:30\nSubject: Enough\n\nbody\n"));
  w.message(crlf("From: a@x.org\nSubject: Too few\nX-Mailer: something\n\nbody\n"));
  w.message(crlf("From - Wed Jan 05 09:30:00 2000\nFrom: a@x.org\nTo: b@x.org\nDate: 5 Jan 2000 09:30\n\nseparator\n"));
  w.message("not a message at all, although its block is sound");
  const StoreRun r = readOe5(w.bytes);
  EXPECT_EQ(subjects(r), (std::vector<std::string>{"Enough", ""}));
  ASSERT_EQ(r.sink.skipped.size(), 1u);
  EXPECT_EQ(r.sink.skipped[0].second, "fewer than three of From, Date, To and Subject");
}

TEST(Oe5Reader, TextIsReadAsAnInternetMessage) {
  // Soft breaks joined (not after "?"), pairs decoded, and the text part of
  // a multipart/alternative message kept in message order.
  const std::string text = crlf(
      "From: \"Ann Lee\" <ann@x.org>\nTo: me@y.org\nDate: Wed, 5 Jan 2000 09:30:00\n"
      "Subject: =?iso-8859-1?Q?Caf=E9?=\nContent-Type: multipart/alternative;\n boundary=\"b1\"\n\n"
      "--b1\nContent-Type: text/plain\n\nsoft=\nbreak caf=E9\n--b1\nContent-Type: text/html\n\n<p>html</p>\n--b1--\n");
  Oe5Writer w;
  w.message(text);
  StoreRun r = readOe5(w.bytes);
  ASSERT_EQ(r.sink.messages.size(), 1u);
  const internet::Message& m = r.sink.messages[0];
  EXPECT_EQ(m.text, "softbreak caf\xE9\r\n");
  EXPECT_EQ(m.senderAddress, "ann@x.org");
  EXPECT_EQ(m.senderName, "Ann Lee");
  // Pairs are decoded in every line as it is collected; the encoded word
  // itself is decoded at the merge.
  EXPECT_EQ(m.subject, "=?iso-8859-1?Q?Caf\xE9?=");
  EXPECT_EQ(m.date, dates::dayNumber(2000, 1, 5));

  // A message longer than 64,000 characters keeps its first 64,000.
  Oe5Writer big;
  big.message(mail("Big", std::string(70000, 'q')));
  r = readOe5(big.bytes);
  ASSERT_EQ(r.sink.messages.size(), 1u);
  EXPECT_LT(r.sink.messages[0].text.size(), 64000u);
  EXPECT_GT(r.sink.messages[0].text.size(), 63000u);
}

TEST(Oe5Reader, NewsStoresGiveArticlesWithTheirReferences) {
  Oe5Writer w;
  w.message(crlf("From: Ann <ann@x.org>\nNewsgroups: comp.test\nSubject: Hello\nMessage-ID: <a1@x>\n"
                 "Date: 5 Jan 2000 09:30\n\nHi\n"));
  w.message(crlf("From: Bob INTERNET:bob@x.org\nNewsgroups: comp.test\nSubject: Re: Hello\nMessage-ID: <b1@x>\n"
                 "References: <a1@x>\nDate: 6 Jan 2000 10:00\n\nAnswer\n"));
  const StoreRun r = readOe5(w.bytes, true, 1);
  ASSERT_EQ(r.sink.messages.size(), 2u);
  EXPECT_EQ(r.calls, 2);  // one message a call
  EXPECT_EQ(r.sink.messages[0].kind, internet::MessageKind::News);
  EXPECT_EQ(r.sink.messages[0].recipientName, "All");
  EXPECT_EQ(r.sink.messages[1].parentId, "<a1@x>");
  EXPECT_EQ(r.sink.messages[1].recipientName, "Unknown");
  EXPECT_EQ(r.sink.messages[1].senderAddress, "bob@x.org");  // the variant address split
}

TEST(Oe5Reader, DamagedStoresEndCleanly) {
  Oe5Writer w;
  w.message(mail("One", std::string(1500, 'o')));
  w.message(mail("Two", "short"));
  const std::string whole = w.bytes;
  // Cut anywhere: what is whole is read, nothing is read past the end.
  for (std::size_t cut : {std::size_t{0}, std::size_t{17}, std::size_t{0x400 + 20}, whole.size() / 2, whole.size() - 300}) {
    const StoreRun r = readOe5(whole.substr(0, cut));
    EXPECT_LE(r.sink.messages.size(), 2u) << cut;
  }
  // Flipped bytes: never more messages than blocks, never a crash.
  for (std::size_t i = 0x400; i < whole.size(); i += 97) {
    std::string flipped = whole;
    flipped[i] = static_cast<char>(flipped[i] ^ 0x5A);
    EXPECT_LE(readOe5(flipped).sink.messages.size(), 3u) << i;
  }
}

}  // namespace
}  // namespace qv::test
