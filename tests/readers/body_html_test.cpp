// HTML (mail and AOL) and enriched text to plain text.
#include <gtest/gtest.h>

#include <string>

#include "text/body/body.h"

namespace qv::test {
namespace {

// The text of a run between two tags, as the mail converter writes it.
std::string run(const std::string& html) { return body::htmlToText("<html>" + html + "</html>"); }

TEST(BodyHtml, BreaksAndWhatIsNotPartOfTheDocument) {
  EXPECT_EQ(body::htmlToText("<P>Hello<BR>World</P>"), "Hello\r\nWorld\r\n\r\n");
  // Before the first "<" and after the last tag: MIME matter, not text.
  EXPECT_EQ(body::htmlToText("Preamble\r\n<html><p>Body text<p>trailing"), "Body text\r\n\r\n");
  EXPECT_EQ(body::htmlToText("<html>Inside</html>outside<p>more</p>"), "Inside");
  EXPECT_EQ(body::htmlToText("<h1>Title</h1><div>a</div><table><tr><td>cell</td></tr></table>x<p>"),
            "Title\r\n\r\na\r\ncell\r\n\r\nx\r\n\r\n");
  // A blank before an inline tag keeps words apart; B, I and U separate.
  EXPECT_EQ(run("Hello <span class=x>dear</span> <font>reader</font>,<b>bold</b><I>it</I>"),
            "Hello dear reader, bold it");
  EXPECT_EQ(run("Line one\r\n   line\ttwo"), "Line one linetwo");
}

TEST(BodyHtml, LinkTargetFollowsTheLinkTextOnceInLowerCase) {
  EXPECT_EQ(run("See <A HREF=\"HTTP://Example.COM/Page\">the <B>site</B></A> now"),
            "See the site [http://example.com/page] now");
  EXPECT_EQ(run("<a href = 'Mailto:A@B.C'>mail</a>; <a name=\"x\">anchor</a>; <a href=Plain.htm>p</a>"),
            "mail [mailto:a@b.c] ; anchor; p [plain.htm]");
  EXPECT_EQ(run("<a href=\"x\"><img src=y></a>no text, no target"), "no text, no target");
}

TEST(BodyHtml, Entities) {
  EXPECT_EQ(run("&eacute;&Eacute;&EACUTE;&auml;&Ouml;&ntilde;&szlig;&THORN;&yuml;&Yuml;"),
            "\xE9\xC9\xC9\xE4\xD6\xF1\xDF\xDE\xFF\x9F");
  EXPECT_EQ(run("&lt;b&gt; &amp;&quot;&copy;&reg;&shy;"), "<b> &\"\xA9\xAE-");
  EXPECT_EQ(run("&#233;&#65;&#233x &#2345; &#300; &#9;"), "\xE9" "A\xE9x &#2345; &#300; &#9;");
  EXPECT_EQ(run("a&nbsp b&nbsp;c"), "a b c");
  EXPECT_EQ(run("&unknown; &eacute &amp"), "&unknown; &eacute &amp");
  EXPECT_EQ(run("=3D=E9=41=e9"), "=\xE9=41=e9");
  EXPECT_EQ(body::htmlToText("<p>x&"), "");  // "&" at the very end, after the last tag
  EXPECT_EQ(run("at end &"), "at end &");
}

TEST(BodyHtml, ListsDefinitionsPreformattedAndTitle) {
  EXPECT_EQ(run("<title>Not shown</title>Items:<ul><li>one<li>two</ul>"),
            "Items:\r\n\r\n* one\r\n\r\n* two");
  EXPECT_EQ(run("<dl><dt>Term<dd>Defined <b>here</b></dl>"), "Term   Defined here");
  EXPECT_EQ(run("<pre>a  b\r\n\tc</pre> d  e"), "a  b\r\n\tc d e");
}

TEST(BodyHtml, UnclosedAndHugeInputStayBounded) {
  EXPECT_EQ(run("<p>a < b and c</p>"), "a < b and c\r\n\r\n");
  EXPECT_EQ(body::htmlToText(std::string(64000, '<')), "");
  // Input beyond the limit is not read: the B tag is never closed.
  EXPECT_EQ(body::htmlToText("<p>x<b>" + std::string(70000, 'y') + "</b>z"), "x");
  // Paragraph breaks make the text longer than its source; it stops at the limit.
  std::string paragraphs;
  for (int i = 0; i < 16000; ++i) paragraphs += "x<p>";
  EXPECT_EQ(run(paragraphs).size(), body::kTextMax);
  // Text copied in long pieces is cut at the very character of the limit.
  std::string words = "<p>";
  std::string expected;
  while (expected.size() < body::kTextMax + 100) {
    words += "abcdefghij<p>";
    expected += "abcdefghij\r\n\r\n";
  }
  EXPECT_EQ(body::htmlToText(words), expected.substr(0, body::kTextMax));
}

TEST(BodyAolHtml, DiffersFromMail) {
  EXPECT_EQ(body::aolHtmlToText("<b>"), "<b>");          // shorter than five characters
  EXPECT_EQ(body::aolHtmlToText("<b></b>"), "<b></b>");  // no text: stored as collected
  EXPECT_EQ(body::aolHtmlToText("Hi <<you>> <FONT COLOR=\"#0000ff\"<BR>x</HTML>after <i>all"),
            "Hi <you>>\r\nxafter all");
  EXPECT_EQ(body::aolHtmlToText("<HTML><FONT <SIZE=2>y</FONT></HTML>"), "y");
  EXPECT_EQ(body::aolHtmlToText(std::string(64000, '<')), std::string(32000, '<'));
  EXPECT_EQ(body::aolHtmlToText("text then <unclosed"), "text then <unclosed");
}

TEST(BodyEnriched, CommandsLiteralsAndParam) {
  EXPECT_EQ(body::enrichedToText("<bold>Hi</bold> <<there>\r\n<color><param>red</param>done</color>"),
            "Hi <there>\r\ndone");
  EXPECT_EQ(body::enrichedToText("<PARAM>a<b>b</b></Param>x"), "x");
  EXPECT_EQ(body::enrichedToText("a<b<c>d"), "a<bd");
  EXPECT_EQ(body::enrichedToText("x<unclosed"), "x<unclosed");
  EXPECT_EQ(body::enrichedToText(std::string(64000, '<')), std::string(32000, '<'));
}

}  // namespace
}  // namespace qv::test
