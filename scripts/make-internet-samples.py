#!/usr/bin/env python3
"""Writes samples/internet/: a small store of every Internet mail and news
format Quorvel imports, binary ones included.

    scripts/make-internet-samples.py [OUTPUT_DIR]

The output is deterministic (no clock, no randomness), so running it again
gives the committed files byte for byte. Texts are Windows-1252.

The mail belongs to one mailbox owner, Jane Smith <jane@example.org> (also
writing as jane@work.example); every store holds mail of its own days, so
all of them can go into one mail database without one store's mail being
taken for another's duplicate. News goes to three newsgroups.
"""
import datetime
import os
import struct
import sys

OWNER = ("Jane Smith", "jane@example.org")
OWNER_WORK = "jane@work.example"
DAYS = ["Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"]
MONTHS = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]

PEOPLE = [
    ("Bob Ray", "bob@example.net"),
    ("Ann Lee", "ann.lee@example.com"),
    ("J\u00fcrgen M\u00fcller", "jmueller@example.de"),
    ("Chlo\u00e9 Martin", "chloe@example.fr"),
]

# One topic per store: its first message's subject and a line of its body.
TOPICS = {
    "eudora-in": ("Garden plans", "The roses by the fence need cutting back before the frost."),
    "eudora-out": ("Train tickets", "I booked the 8:15 to Leeds for the three of us."),
    "ie-mail": ("Book club", "Next month we read \u201cThe Shipping News\u201d \u2013 bring snacks."),
    "oe4-mail": ("Budget 2000", "The spreadsheet is attached to the copy on the server."),
    "netscape-mail": ("Modem trouble", "The 56k modem drops the line every evening at nine."),
    "pegasus": ("Choir rehearsal", "Rehearsal moves to the church hall on Thursday."),
    "thebat": ("Holiday photos", "The scans of the Lake District photos came out well."),
    "generic1": ("Allotment rota", "Your turn at the water butts is the second week."),
    "becky": ("Kitchen quote", "The fitter quoted \u20ac2,400 for the whole kitchen."),
    "agent": ("Chess club", "The Tuesday ladder starts again in September."),
    "generic2": ("Conference hotel", "The hotel near the station still has rooms."),
    "poco": ("Piano lessons", "Lessons are on Saturdays at ten, \u00a312 each."),
}


def weekday(d):
    return DAYS[d.weekday()]


def rfc_date(d):
    return "%s, %d %s %d %02d:%02d:%02d +0100" % (
        weekday(d), d.day, MONTHS[d.month - 1], d.year, d.hour, d.minute, d.second)


def from_line_date(d):
    # The date of mbox "From " lines: Www Mmm DD HH:MM:SS YYYY.
    return "%s %s %2d %02d:%02d:%02d %d" % (
        weekday(d), MONTHS[d.month - 1], d.day, d.hour, d.minute, d.second, d.year)


def eudora_date(d):
    # Eudora's separator date: Www Mmm DD HH:MM:SS YYYY, the day with two digits.
    return "%s %s %02d %02d:%02d:%02d %d" % (
        weekday(d), MONTHS[d.month - 1], d.day, d.hour, d.minute, d.second, d.year)


def address(person):
    return "%s <%s>" % person


class Mail:
    def __init__(self, sender, to, subject, date, msgid, body, headers=(), sent_by_owner=False):
        self.sender, self.to, self.subject, self.date = sender, to, subject, date
        self.msgid, self.body, self.headers = msgid, body, list(headers)
        self.sent_by_owner = sent_by_owner

    def lines(self, with_date=True):
        out = []
        out.append("From: " + address(self.sender))
        out.append("To: " + address(self.to))
        out.append("Subject: " + self.subject)
        if with_date:
            out.append("Date: " + rfc_date(self.date))
        out.append("Message-ID: " + self.msgid)
        out.extend(self.headers)
        out.append("")
        out.extend(self.body)
        return out


def conversation(key, start, multipart=True, decoded=False):
    """Four mails of one store: a received one with Windows-1252 text, the
    owner's reply, a quoted-printable one with an encoded-word subject, and
    a multipart/alternative one (a plain one in stores where a part's header
    would start a new message). `decoded`: the store keeps bodies decoded
    (Eudora), so the quoted-printable mail is stored as plain text."""
    subject, line = TOPICS[key]
    a, b = PEOPLE[len(key) % 4], PEOPLE[(len(key) + 1) % 4]
    d = datetime.datetime(*start)
    first = "<%s.1@%s>" % (key, a[1].split("@")[1])
    mails = [
        Mail(a, OWNER, subject, d, first,
             ["Hello Jane,", "", line, "Caf\u00e9 afterwards? \u2013 " + a[0].split()[0], ""]),
        Mail(OWNER, a, "Re: " + subject, d + datetime.timedelta(hours=3, minutes=5),
             "<%s.2@example.org>" % key,
             ["> " + line, "", "Sounds good \u2013 count me in.", "", "Jane", ""],
             headers=["In-Reply-To: " + first], sent_by_owner=True),
        Mail(b, OWNER, "=?ISO-8859-1?Q?Gr=FC=DFe_zum_Wochenende?=", d + datetime.timedelta(days=1, hours=1),
             "<%s.3@%s>" % (key, b[1].split("@")[1]),
             ["Dear Jane,", "", "the r=E9sum=E9 you asked for is below; it is a long line that the sender's=",
              " program broke with a soft line break.", "", "Regards", ""],
             headers=["MIME-Version: 1.0", "Content-Type: text/plain; charset=iso-8859-1",
                      "Content-Transfer-Encoding: quoted-printable"]),
    ]
    if decoded:
        mails[2].body = ["Dear Jane,", "", "the r\u00e9sum\u00e9 you asked for is below; it is a long line that the "
                         "sender's program broke with a soft line break.", "", "Regards", ""]
        mails[2].headers = ["MIME-Version: 1.0", "Content-Type: text/plain; charset=iso-8859-1"]
    if multipart:
        boundary = "----=_NextPart_%s" % key.upper().replace("-", "_")
        mails.append(Mail(a, OWNER, "Re: " + subject, d + datetime.timedelta(days=2, hours=2),
                          "<%s.4@%s>" % (key, a[1].split("@")[1]),
                          ["This is a multi-part message in MIME format.", "",
                           "--" + boundary, "Content-Type: text/plain; charset=windows-1252", "",
                           "Thanks, Jane \u2013 see you on Friday.", "",
                           "--" + boundary, "Content-Type: text/html; charset=windows-1252", "",
                           "<html><body><p>Thanks, Jane &ndash; see you on <b>Friday</b>.</p></body></html>", "",
                           "--" + boundary + "--", ""],
                          headers=["In-Reply-To: " + mails[1].msgid, "MIME-Version: 1.0",
                                   "Content-Type: multipart/alternative;",
                                   '\tboundary="%s"' % boundary]))
    else:
        mails.append(Mail(a, OWNER, "Re: " + subject, d + datetime.timedelta(days=2, hours=2),
                          "<%s.4@%s>" % (key, a[1].split("@")[1]),
                          ["Thanks, Jane \u2013 see you on Friday.", ""],
                          headers=["In-Reply-To: " + mails[1].msgid]))
    return mails


def encode(lines, eol="\r\n"):
    return "".join(l + eol for l in lines).encode("cp1252")


# --- news ---

GROUPS = ["comp.os.ms-windows.misc", "rec.arts.books", "alt.folklore.computers"]


class Article:
    def __init__(self, sender, group, subject, date, msgid, refs, body):
        self.sender, self.group, self.subject, self.date = sender, group, subject, date
        self.msgid, self.refs, self.body = msgid, refs, body

    def lines(self, path=True):
        out = []
        if path:
            out.append("Path: news.example.net!not-for-mail")
        out.append("From: " + address(self.sender))
        out.append("Newsgroups: " + self.group)
        out.append("Subject: " + self.subject)
        out.append("Date: " + rfc_date(self.date))
        out.append("Message-ID: " + self.msgid)
        if self.refs:
            out.append("References: " + " ".join(self.refs))
        out.append("Lines: %d" % len(self.body))
        out.append("")
        out.extend(self.body)
        return out


def thread(key, group, subject, start):
    """Three articles: a question, an answer, and an answer to the answer."""
    d = datetime.datetime(*start)
    ids = ["<%s.%d@news.example.net>" % (key, i) for i in (1, 2, 3)]
    a, b, c = PEOPLE[len(key) % 4], PEOPLE[(len(key) + 2) % 4], PEOPLE[(len(key) + 3) % 4]
    return [
        Article(a, group, subject, d, ids[0], [],
                ["Has anyone got this working under Windows 98?", "I tried everything \u2013 twice.", ""]),
        Article(b, group, "Re: " + subject, d + datetime.timedelta(hours=5), ids[1], [ids[0]],
                [a[0] + " wrote:", "> Has anyone got this working under Windows 98?", "",
                 "Yes: install the update first, then reboot.", ""]),
        Article(c, group, "Re: " + subject, d + datetime.timedelta(days=1), ids[2], ids[:2],
                ["> Yes: install the update first, then reboot.", "",
                 "That did it for me too. Merci \u00e0 tous!", ""]),
    ]


# --- writers, one per layout ---

def eudora(out):
    """In.mbx (received mail) with its In.toc, and Out.mbx (the owner's sent
    mail) without one."""
    mails = [m for m in conversation("eudora-in", (1998, 3, 2, 9, 15, 0), multipart=False, decoded=True) if not m.sent_by_owner]
    data = b""
    offsets = []
    for m in mails:
        offsets.append(len(data))
        data += encode(["From ???@??? " + eudora_date(m.date)] + m.lines())
        if m is mails[0]:
            # A body line that looks like a separator: the table of contents
            # keeps it inside its message.
            data = data[:-2] + encode(["From ???@??? is how Eudora starts every message.", ""])
    write(out, "eudora/In.mbx", data)
    toc = bytearray(104)
    toc[0:2] = b"\x01\x00"
    toc[8:10] = b"In"
    struct.pack_into("<H", toc, 0x66, len(offsets))
    for i, off in enumerate(offsets):
        entry = bytearray(218)
        end = offsets[i + 1] if i + 1 < len(offsets) else len(data)
        struct.pack_into("<II", entry, 0, off, end - off)
        toc += entry
    write(out, "eudora/In.toc", bytes(toc))
    # Sent mail keeps no Date line; its date is the separator's.
    sent = conversation("eudora-out", (1998, 3, 9, 18, 40, 0), multipart=False, decoded=True)
    data = b""
    for m in sent:
        m.sender, m.to = OWNER, m.sender if m.sender != OWNER else m.to
        data += encode(["From ???@??? " + eudora_date(m.date)] + m.lines(with_date=False))
    write(out, "eudora/Out.mbx", data)


def marker_mailbox(out, name, key, start, junk):
    """IE Mail and Outlook Express 4 Mail: each message follows 7F 00 7F;
    `junk` bytes and a line end may stand between marker and message."""
    data = bytes(16)  # the file header: not read
    for i, m in enumerate(conversation(key, start)):
        data += b"\x7f\x00\x7f"
        if junk:
            data += struct.pack("<HH", i + 1, 0x20) + b"\r\n"
        data += encode(m.lines())
    write(out, name, data)


def netscape_mail(out):
    data = b""
    for m in conversation("netscape-mail", (1999, 11, 3, 20, 5, 0)):
        data += encode(["From - " + from_line_date(m.date), "X-Mozilla-Status: 8001",
                        "X-Mozilla-Status2: 00000000",
                        "Return-Path: <%s>" % m.sender[1]] + m.lines())
    write(out, "netscape-mail/Inbox", data)


def pegasus(out):
    data = b""
    for m in conversation("pegasus", (2000, 2, 14, 10, 0, 0)):
        data += encode(m.lines()) + b"\x1a"
    write(out, "pegasus/FOL00001.PMM", data)


def thebat(out):
    data = struct.pack("<II", 0x19790620, 3072) + bytes(3072 - 8)
    for i, m in enumerate(conversation("thebat", (2001, 8, 20, 7, 30, 0))):
        text = encode(m.lines())
        stamp = int((m.date - datetime.datetime(1970, 1, 1)).total_seconds())
        header = struct.pack("<IIII", 0x19700921, 48, stamp, i + 1) + bytes(20) + struct.pack("<III", len(text), 0, 0)
        assert len(header) == 48
        data += header + text
    write(out, "thebat/messages.tbb", data)


def header_scan(out, name, key, start, eol, separator):
    """Bare messages one after another; `separator` adds an mbox-like
    "From " line before each."""
    data = b""
    for m in conversation(key, start, multipart=False):
        lines = m.lines()
        if separator:
            lines = ["From %s %s" % (m.sender[1], from_line_date(m.date))] + lines
        data += encode(lines, eol)
    write(out, name, data)


def from_mailbox(out, name, key, start, eol):
    data = b""
    for m in conversation(key, start):
        data += encode(["From %s %s" % (m.sender[1], from_line_date(m.date))] + m.lines() + [""], eol)
    write(out, name, data)


def winvn(out):
    data = b""
    for a in thread("winvn", GROUPS[2], "Punched cards in the attic", (1997, 6, 1, 19, 0, 0)):
        data += encode(["From %s %s" % (a.sender[1], from_line_date(a.date))] + a.lines())
    write(out, "winvn/ALTFOLK.TXT", data)


def gravity(out):
    data = b""
    for a in thread("gravity", GROUPS[1], "Favourite Dickens novel", (1999, 1, 17, 16, 20, 0)):
        data += encode(a.lines(path=False))
    write(out, "gravity/rec.arts.books.txt", data)


def news_records(out, name, key, group, subject, start):
    """IE News and Outlook Express 4 News: a record per article (0xBC, 21
    bytes, the header fields as NUL-ended strings, then the article), and
    one record of a header whose text was never fetched."""
    arts = thread(key, group, subject, start)
    data = b"\x00" * 16
    for i, a in enumerate(arts):
        text = encode(a.lines())
        fields = [a.msgid, a.subject, address(a.sender)]
        fixed = struct.pack("<III", i + 1, len(text), 0) + bytes(9)
        rec = b"\xbc" + fixed + b"\x00".join(f.encode("cp1252") for f in fields) + b"\x00"
        rec += (" ".join(a.refs).encode() if a.refs else b"") + b"\x00"
        rec += ("news.example.net %s:%d" % (group, 100 + i)).encode() + b"\x00"
        data += rec + text
    # Only the header was downloaded: no text follows.
    cached = Article(PEOPLE[0], group, "Re: " + subject, datetime.datetime(*start) + datetime.timedelta(days=2),
                     "<%s.9@news.example.net>" % key, [arts[0].msgid], [])
    data += (b"\xbc" + struct.pack("<III", 9, 0, 0) + bytes(9) + cached.msgid.encode() + b"\x00" +
             cached.subject.encode() + b"\x00" + address(cached.sender).encode() + b"\x00" +
             arts[0].msgid.encode() + b"\x00" + ("news.example.net %s:109" % group).encode() + b"\x00")
    write(out, name, data)


def netscape_news(out):
    data = b""
    for a in thread("netscape-news", GROUPS[0], "Printer driver for the LaserJet 4L",
                    (1998, 10, 5, 8, 45, 0)):
        data += encode(a.lines())
    write(out, "netscape-news/comp.os.ms-windows.misc.snm", data)


def write(out, name, data):
    path = os.path.join(out, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "samples", "internet")
    eudora(out)
    marker_mailbox(out, "ie-mail/Inbox.mbx", "ie-mail", (1999, 4, 6, 11, 0, 0), junk=False)
    marker_mailbox(out, "oe4-mail/Inbox.mbx", "oe4-mail", (1999, 9, 13, 14, 30, 0), junk=True)
    netscape_mail(out)
    pegasus(out)
    thebat(out)
    header_scan(out, "generic-mail-1/mail.txt", "generic1", (2002, 5, 7, 9, 0, 0), "\n", separator=False)
    header_scan(out, "becky/Inbox.mbx", "becky", (2002, 10, 1, 21, 10, 0), "\r\n", separator=True)
    header_scan(out, "agent/AGENT.TXT", "agent", (2003, 1, 28, 12, 0, 0), "\r\n", separator=False)
    from_mailbox(out, "generic-mail-2/mbox", "generic2", (2003, 6, 2, 8, 0, 0), "\n")
    from_mailbox(out, "poco/Inbox.mbx", "poco", (2003, 11, 10, 17, 45, 0), "\r\n")
    winvn(out)
    gravity(out)
    news_records(out, "ie-news/news.example.net.nch", "ie-news", GROUPS[0], "Screen savers eat my memory",
                 (1998, 12, 1, 10, 0, 0))
    news_records(out, "oe4-news/rec.arts.books.nch", "oe4-news", GROUPS[1], "Books about lighthouses",
                 (1999, 7, 22, 13, 0, 0))
    netscape_news(out)


if __name__ == "__main__":
    main()
