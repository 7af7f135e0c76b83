#pragma once
// The sample stores under samples/containers/, as the project's writers make
// them. qv_container_samples writes them; a test checks that the committed
// files are still what these functions give.

#include <map>
#include <string>

#include "tests/readers/container_writers.h"

namespace qv::test {

inline std::string crlfText(std::string text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// Outlook Express 5 mail: four messages for Jane Smith <jane@example.org>,
// one of them sent by her, one spread over blocks that interleave with the
// next message's, one multipart/alternative; and one block chain without
// enough header lines (skipped).
inline std::string oe5MailSample() {
  Oe5Writer w;
  w.message(crlfText("From: Ann Lee <ann@example.org>\nTo: Jane Smith <jane@example.org>\n"
                     "Date: Mon, 3 Jan 2000 09:15:00 +0100\nSubject: Meeting on Friday\n\n"
                     "Hello Jane,\n\nshall we meet on Friday at ten?\n\nAnn\n"));
  const std::string longText = crlfText(
      "From: Bob Ray <bob@example.org>\nTo: jane@example.org\nDate: Tue, 4 Jan 2000 14:00:00\n"
      "Subject: Minutes\n\n" +
      std::string("The minutes of the last meeting follow, as long as they were.\n") + std::string(12, '\n') +
      "Item one: the budget. " + std::string(300, '.') + "\nItem two: the summer trip. " + std::string(300, '.') +
      "\nItem three: any other business. " + std::string(200, '.') + "\nBob\n");
  const std::string shortText = crlfText("From: Jane Smith <jane@example.org>\nTo: Carl Diaz <carl@example.org>\n"
                                         "Date: Tue, 4 Jan 2000 16:30:00\nSubject: Re: Trip\n\nSee you there.\n"
                                         "Jane\n" + std::string(500, ' ') + "\n");
  const std::uint32_t at = w.end(), span = Oe5Writer::kSpan;
  w.block(at, longText.substr(0, 512), at + 2 * span);
  w.block(at + span, shortText.substr(0, 512), at + 3 * span);
  w.block(at + 2 * span, longText.substr(512, 512), at + 4 * span);
  w.block(at + 3 * span, shortText.substr(512), 0);
  w.block(at + 4 * span, longText.substr(1024), 0);
  w.message(crlfText("From: \"Dora Fox\" <dora@example.org>\nTo: jane@example.org\n"
                     "Date: Wed, 5 Jan 2000 08:00:00\nSubject: Photos\nMIME-Version: 1.0\n"
                     "Content-Type: multipart/alternative; boundary=\"sep\"\n\n--sep\n"
                     "Content-Type: text/plain; charset=iso-8859-1\n\nThe photos are on the server, caf=E9 incl=\nuded.\n"
                     "--sep\nContent-Type: text/html\n\n<p>The photos</p>\n--sep--\n"));
  w.message(crlfText("From: someone@example.org\nX-Note: a draft without date, recipient or subject\n\nDraft\n"));
  return w.bytes;
}

// Outlook Express 5 news: three articles of two newsgroups, one a reply.
inline std::string oe5NewsSample() {
  Oe5Writer w;
  w.message(crlfText("From: Ann Lee <ann@example.org>\nNewsgroups: comp.archivers\nSubject: Old stores\n"
                     "Message-ID: <a1@example.org>\nDate: 10 Feb 2000 12:00\n\nWho still reads old stores?\n"));
  w.message(crlfText("From: Bob Ray <bob@example.org>\nNewsgroups: comp.archivers\nSubject: Re: Old stores\n"
                     "Message-ID: <b1@example.org>\nReferences: <a1@example.org>\nDate: 11 Feb 2000 08:30\n\n"
                     "We do.\n"));
  w.message(crlfText("From: Carl Diaz <carl@example.org>\nNewsgroups: rec.travel\nSubject: Trains\n"
                     "Message-ID: <c1@example.org>\nDate: 12 Feb 2000 18:45\n\nNight trains are back.\n"));
  return w.bytes;
}

// AOL: three mails for Jane Smith (screen name JaneSmith): compressed
// markup, a plain part with a forwarded message, compressed text over two
// parts; and one with a damaged compressed text, stored as the warning.
inline std::string aolSample() {
  AolWriter w;
  w.record();
  w.header(1, "03/01/2000 10:00:00", "AnnLee", "JaneSmith", "Spring plans", aolSeconds(7365));
  w.part(256, zlibCompress("<HTML><FONT FACE=\"Arial\">Hi Jane,<BR><BR>the garden needs <B>work</B>."
                           "<BR>Ann</FONT></HTML>"));
  w.bytes.append(16, '\0');
  w.record();
  w.header(2, "03/02/2000 11:30:00", "JaneSmith", "BobRay", "Fwd: Tickets");
  w.part(258, AolWriter::forwarded("02/28/2000 09:00:00", "Tickets Inc", "JaneSmith", "Your tickets"));
  w.part(0, "Two seats, row 5.\r\nPrice < 40 > 30.");
  w.record();
  w.header(2, "03/03/2000 07:45:00", "CarlDiaz", "JaneSmith", "Long letter");
  const std::string letter = zlibCompress("Dear Jane,<BR>" + std::string(40, 'x') + "<BR>Carl");
  w.part(256, letter.substr(0, letter.size() / 2));
  w.part(256, letter.substr(letter.size() / 2));
  w.record();
  w.header(1, "03/04/2000 12:00:00", "DoraFox", "JaneSmith", "Broken");
  std::string broken = zlibCompress("this text was damaged on the disk");
  broken[6] = static_cast<char>(broken[6] ^ 0x3C);
  broken[7] = static_cast<char>(broken[7] ^ 0x3C);
  w.part(256, broken);
  return w.bytes;
}

inline std::map<std::string, std::string> containerSamples() {
  return {{"INBOX.DBX", oe5MailSample()}, {"NEWS.DBX", oe5NewsSample()}, {"JANE.AOL", aolSample()}};
}

}  // namespace qv::test
