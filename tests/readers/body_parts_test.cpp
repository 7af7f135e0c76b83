// Part selection and body assembly, as a reader without a Content-Type
// parser of its own uses them: header scan, then assembly from the first
// body line.
#include <gtest/gtest.h>

#include <string>

#include "text/body/body.h"
#include "store/charset.h"
#include "tests/readers/body_test_support.h"

namespace qv::test {
namespace {

using body::BodyKind;

struct Stored {
  BodyKind kind;
  std::string text;
};

Stored store(std::string_view message) {
  LineQueue lines = queueOf(message);
  const body::HeaderScan scan = body::scanHeaderAndSelectParts(lines, 0);
  return {scan.kind, body::assembleBody(scan.kind, lines, scan.firstBody, lines.size())};
}

TEST(BodyParts, AlternativeKeepsThePlainPartWithoutPartHeaderOrBoundaries) {
  const Stored s = store(
      "Subject: x\nContent-Type: multipart/alternative; boundary=\"=_b1\"\n\n"
      "Preamble\n--=_b1\nContent-Type: text/plain; charset=us-ascii\n\nPlain text\n"
      "--=_b1\nContent-Type: text/html\n\n<p>Html text</p>\n--=_b1--\n");
  EXPECT_EQ(s.kind, BodyKind::Plain);
  EXPECT_EQ(s.text, "Preamble\r\nPlain text\r\n");
}

TEST(BodyParts, MixedDropsAnAttachmentBeforeTheTextAndEverythingAfterIt) {
  // The boundary parameter on a continuation line of the header.
  const Stored s = store(
      "Content-Type: multipart/mixed;\n\tboundary=----=_NextPart_000\n\nBefore the parts\n"
      "------=_NextPart_000\nContent-Type: application/octet-stream; name=\"a.bin\"\n\nQUJD\n"
      "------=_NextPart_000\nContent-Type: text/plain\n\nThe text\n\nsecond paragraph\n"
      "------=_NextPart_000\nContent-Type: image/gif\n\nR0lG\n------=_NextPart_000--\nEpilogue\n");
  EXPECT_EQ(s.text, "Before the parts\r\nThe text\r\n\r\nsecond paragraph\r\n");
}

TEST(BodyParts, NestedRelatedHtmlPartIsTakenAndConverted) {
  const Stored s = store(
      "Content-Type: multipart/mixed; boundary=\"outer\"\n\n--outer\n"
      "Content-Type: multipart/related;\n boundary=\"inner\"\n\n--inner\n"
      "Content-Type: text/html\n\n<html><p>Nested &eacute;t&eacute;</p></html>\n--inner\n"
      "Content-Type: image/png\n\niVBOR\n--inner--\n--outer\nContent-Type: text/plain\n\nLater\n--outer--\n");
  EXPECT_EQ(s.kind, BodyKind::Html);
  EXPECT_EQ(s.text, "Nested \xE9t\xE9\r\n\r\n");
}

TEST(BodyParts, PartWithoutContentTypeIsText) {
  const Stored s = store(
      "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Transfer-Encoding: 7bit\n\nUntyped text\n"
      "--b\nContent-Type: text/plain\n\nSecond\n--b--\n");
  EXPECT_EQ(s.text, "Untyped text\r\n");
}

TEST(BodyParts, PlainHeaderWithHtmlBodyIsConvertedAsHtml) {
  const Stored s = store("From: a@b.c\n\n\n<HTML><BODY>Hello <FONT SIZE=2>world</FONT><P></BODY></HTML>\n");
  EXPECT_EQ(s.kind, BodyKind::Html);
  EXPECT_EQ(s.text, "Hello world\r\n\r\n");
  LineQueue lines = queueOf("<html>Hi there<p>");  // assembly looks at the text itself
  EXPECT_EQ(body::assembleBody(BodyKind::Plain, lines, 0, lines.size()), "Hi there\r\n\r\n");
}

TEST(BodyParts, MultipartWithoutBoundaryIsLeftWhole) {
  const Stored s = store("Content-Type: multipart/mixed\n\nline one\n--x\nline two");
  EXPECT_EQ(s.text, "line one\r\n--x\r\nline two\r\n");
  LineQueue lines = queueOf("a\nb");
  EXPECT_EQ(body::selectParts(lines, 0, lines.size(), ""), BodyKind::Plain);
  EXPECT_EQ(lines[1].text, "b");
}

TEST(BodyBoundary, QuotedUnquotedAndFollowedByParameters) {
  auto boundary = [](std::string_view line) { return body::extractBoundary(upper1252(line), line, 0); };
  EXPECT_EQ(boundary("Content-Type: multipart/mixed; boundary=\"AbC-1\";"), "AbC-1");
  EXPECT_EQ(boundary("Content-Type: multipart/mixed; boundary=AbC-1"), "AbC-1");
  EXPECT_EQ(boundary("  BOUNDARY=\"AbC-1\"   "), "AbC-1");
  EXPECT_EQ(boundary("boundary=\"x\"; type=\"text/html\""), "x");
  EXPECT_EQ(boundary("boundary=AbC-1; charset=x"), "AbC-1");
  EXPECT_EQ(boundary("Content-Type: multipart/mixed; boundary=   "), std::nullopt);
  EXPECT_EQ(boundary("Content-Type: multipart/mixed"), std::nullopt);
  EXPECT_EQ(body::extractBoundary("BOUNDARY=X", "boundary=x", 1), std::nullopt);  // before the start column
  EXPECT_EQ(body::extractBoundary("BOUNDARY=X", "", 0), std::nullopt);           // mismatched texts
  EXPECT_EQ(boundary("boundary=" + std::string(300, 'z'))->size(), 100u);
}

TEST(BodyAssembly, SkipsDropMarkersAndLeadingEmptyLinesAndRejoinsSplitLines) {
  LineQueue lines = queueOf("\n\n" + std::string(450, 'a') + "\n" + std::string(kDropMarker) + "\n\nend");
  EXPECT_EQ(body::assembleBody(BodyKind::Plain, lines, 0, lines.size()), std::string(450, 'a') + "\r\n\r\nend\r\n");
  EXPECT_EQ(body::assembleBody(BodyKind::Plain, lines, 4, 99), "end\r\n");  // end past the queue
  EXPECT_EQ(body::assembleBody(BodyKind::Plain, lines, 99, 2), "");
}

TEST(BodyAssembly, LongBodyIsCutTo63998CharactersAndALineEnd) {
  std::string big(70000, ' ');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('a' + i % 26);
  LineQueue lines = queueOf(big);
  const std::string text = body::assembleBody(BodyKind::Plain, lines, 0, lines.size());
  EXPECT_EQ(text, big.substr(0, 63998) + "\r\n");

  // Full lines that end exactly one character short of the limit: nothing
  // more fits, and the text stays within it.
  lines.clear();
  for (int i = 0; i < 159; ++i) lines.push_back({std::string(398, 'x'), false});
  lines.push_back({std::string(397, 'y'), false});
  lines.push_back({"z", false});
  const std::string edge = body::assembleBody(BodyKind::Plain, lines, 0, lines.size());
  EXPECT_EQ(edge.size(), 63999u);
  EXPECT_EQ(edge.substr(edge.size() - 3), "y\r\n");
}

TEST(BodyAssembly, AolTextsGetNoLineEndsAndAreConvertedAsHtml) {
  LineQueue lines = queueOf("Hello<BR>\nworld &amp; all");
  EXPECT_EQ(body::assembleBody(BodyKind::Plain, lines, 0, lines.size(), true), "Hello\r\nworld & all");
}

}  // namespace
}  // namespace qv::test
