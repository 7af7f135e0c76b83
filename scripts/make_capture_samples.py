#!/usr/bin/env python3
"""Writes the CompuServe capture samples under samples/capture/.

One file per capture format (forum and mail where the format has both), in
the layouts the offline readers wrote: several sections, replies, a long
line, and characters of the format's character set (code page 850 for the
DOS readers, Windows-1252 for the Windows ones). Standard library only;
the output is deterministic.
"""
import pathlib

OUT = pathlib.Path(__file__).resolve().parent.parent / "samples" / "capture"

LONG = ("This paragraph was typed without any line breaks, the way the message editor "
        "sent it when word wrap was off, and it goes on about printer drivers, font "
        "cartridges, soft fonts downloaded at boot time, the memory they take, and why "
        "the spooler sometimes stalls halfway through a page when the fonts are not "
        "resident. ") * 3


def crlf(lines):
    return "".join(line + "\r\n" for line in lines)


def write(name, text, codec):
    (OUT / name).write_bytes(text.encode(codec))


# Forum threads shared by the "#:" formats: (number, section, reply, subject, from, to, body lines)
FORUM = [
    (412345, "S3/Printers", 0, "Laser printer fonts", "Jane Doe 76543,210", "All",
     ["Does anyone know how to keep soft fonts resident on the LaserJet?",
      LONG.strip(), "", "Thanks, Jane"]),
    (412350, "S3/Printers", 412345, "Laser printer fonts", "John Smith 71234,567", "Jane Doe 76543,210",
     ["Jane,", "", "Use the permanent download switch of the font installer.", "Grüße aus München, John"]),
    (412360, "S3/Printers", 412350, "Laser printer fonts", "Jane Doe 76543,210", "John Smith 71234,567",
     ["That worked, danke schön!"]),
    (412400, "S7/Modems", 0, "14.4 modem drops carrier", "Pierre Lefèvre 70711,1234", "All",
     ["Mon modem coupe la ligne après deux minutes.", "Any ideas? Init string: AT&F&C1&D2"]),
    (440000, "S7/Modems", 1234, "old thread revisited", "Ana Núñez 72000,3001", "All",
     ["Replying to a message long gone (30,000 apart: no link)."]),
]

MAIL_IN = ("Lunch on Friday", "Jane Doe 76543,210", ["Tom,", "are we still on for Friday?", "Jane"])
MAIL_INET = ("Conference schedule", "Carl Meyer INTERNET:carl@example.org",
             ["Hello Tom,", "the schedule is attached below.", "Carl"])
MAIL_OUT = ("Re: Lunch on Friday", "Jane Doe 76543,210", ["Jane,", "Friday is fine. Café at noon?", "Tom"])
OWNER = "Tom Owner 70000,100"


def forum_block(number, section, reply, subject, frm, to, body, date, par=None, forum=None, soft=""):
    sb = f"#{reply}-{subject}" if reply else subject
    head = f"#: {number} {section}{soft}" + (f" (CIS:{forum})" if forum else "")
    lines = [head, date, f"Sb: {sb}{soft}", f"Fm: {frm}{soft}", f"To: {to}{soft}"]
    lines.append(f"Par: {reply:<8}" if par and reply else "")
    return lines + body + [""]


DATES = ["    12-Jan-95  14:32:10", "    13-Jan-95  09:05:00", "    13-Jan-95  18:40:12",
         "    02-Feb-95  07:15:00", "    20-Mar-95  21:00:30"]
GERMAN = [" 2-Dez-95 09:15", "12-Okt-95 10:00", " 3-Mär-96 11:11", "15-Mai-96 12:00", "1-Jan-97 08:00"]


def hash_forum(codec, name, par=False, forum=None, dates=DATES, soft=""):
    lines = []
    for i, (n, s, r, sb, f, t, b) in enumerate(FORUM):
        lines += forum_block(n, s, r, sb, f, t, b, dates[i], par=par, forum=forum, soft=soft)
    write(name, crlf(lines), codec)


def tapcis6_mail(codec, name):
    lines = []
    for i, (sb, frm, body) in enumerate([MAIL_IN, MAIL_INET]):
        lines += [f"#: {i + 1}", DATES[i], f"Sb: {sb}", f"Fm: {frm}", f"To: {OWNER}", ""] + body + [""]
    sb, to, body = MAIL_OUT
    lines += ["#: 3", DATES[2], f"Sb: {sb}", f"Fm: {OWNER}", f"To: {to}", ""] + body + [""]
    write(name, crlf(lines), codec)


def tapcis5_mail(name, codec, soft=""):
    lines = []
    for i, (sb, frm, body) in enumerate([MAIL_IN, MAIL_INET]):
        lines += [f"#: {i + 1} /Inbox", GERMAN[i], f"Sb: {sb}{soft}", f"Fm: {frm}{soft}", ""] + body + [""]
    sb, to, body = MAIL_OUT
    lines += ["#: 3 /Outbox", GERMAN[2], f"Sb: {sb}{soft}", f"Fm: {OWNER}{soft}", f"To: {to}{soft}", ""] + body + [""]
    write(name, crlf(lines), codec)


def oz_mail(name, codec, ozwin2=False):
    lines = []
    for i, (sb, frm, body) in enumerate([MAIL_IN, MAIL_INET]):
        lines += [f"Date:  1{i}-Jan-95 14:3{i}", f"From:  {frm}", f"Subj:  {sb}"]
        lines += ([f"To:    {OWNER}", ""] if ozwin2 else [""]) + body + [""]
    sb, to, body = MAIL_OUT
    lines += ["Date:  13-Jan-95 18:40", f"MgTo:  {to}", f"Subj:  {sb}", ""] + body + [""]
    write(name, crlf(lines), codec)


def golden_compass():
    forum = []
    for i, (n, s, r, sb, f, t, b) in enumerate(FORUM[:4]):
        forum += forum_block(n, s, r, sb, f, t, [], GERMAN[i], soft="@b")
        # Paragraphs as the reader wrote them: "@l" opens one, "@b" breaks softly.
        for j, line in enumerate(b):
            forum.append(("@l" if j == 0 else "") + line + "@b")
        forum += ["@l", "@b"]
    text = "".join(line + "\r\n" for line in forum)
    (OUT / "GOLDENCOMPASS-FORUM.MSG").write_bytes(text.encode("cp1252"))
    tapcis5_mail("GOLDENCOMPASS-MAIL.MSG", "cp1252", soft="@b")


def navcis():
    forum = []
    for i, (n, s, r, sb, f, t, b) in enumerate(FORUM[:4]):
        subject = f"#{r} #{sb}" if r else sb
        number, name = s[1:].split("/")
        forum += [f"Subject:  {subject}  Msg Number: {n}", f"   From:  {f}", f"     To:  {t}",
                  f"  Forum:  CIS:IBMPRO     Sec: {number}-{name}", f"   Date:  {12 + i}-JAN-95 14:3{i}", ""]
        forum += b + [""]
    write("NAVCIS-FORUM.SAV", crlf(forum), "cp1252")
    mail = []
    for i, (sb, frm, body) in enumerate([MAIL_IN, MAIL_INET]):
        mail += [f"Subject:  {sb}", f"   From:  {frm}", f"     To:  {OWNER}", f"   Date:  1{i}-JAN-95 14:3{i}", ""]
        mail += body + [""]
    sb, to, body = MAIL_OUT
    mail += [f"Subject:  {sb}", f"   From:  {OWNER}", f"     To:  {to}", "   Date:  13-JAN-95 18:40", ""] + body + [""]
    write("NAVCIS-MAIL.SAV", crlf(mail), "cp1252")


def virtual_access():
    lines = []
    for i, (n, s, r, sb, f, t, b) in enumerate(FORUM[:4]):
        number, name = s[1:].split("/")
        lines += ["==========", f"IBMPRO/{number}_{name} #{n}, from {f.rsplit(' ', 1)[0]}, {len(' '.join(b))} chars, "
                  f"{12 + i} Jan 1995 14:3{i}"]
        if r:
            lines.append(f"Comment to {r}. ")
        lines += ["----------", f"From: {f}", f"To: {t}", f"Subject: {sb}", ""] + b
    lines += ["==========", "From: Carl Meyer <carl@example.org>", "To: tom@owner.example",
              "Date: Sat, 14 Jan 1995 10:00:00 +0100", "Subject: Conference schedule", "",
              "Hello Tom, the schedule is =", "below. Caf=E9 opens at 8.", "Carl"]
    lines += ["==========", "From: Ann Reader <ann@example.net>", "Newsgroups: comp.periphs.printers",
              "Subject: Toner smear", "Message-ID: <va1@example.net>", "Date: Sun, 15 Jan 1995 11:00:00 GMT", "",
              "Smears on the left margin only."]
    write("VIRTUALACCESS.TXT", crlf(lines), "cp1252")


NEWS = [
    ("<n1@example.net>", "", "Ann Reader <ann@example.net>", "Toner smear", "Sun, 15 Jan 1995 11:00:00 GMT",
     ["Smears on the left margin only.", LONG.strip()]),
    ("<n2@example.org>", "<n1@example.net>", "Bob Fixer <bob@example.org>", "Re: Toner smear",
     "Sun, 15 Jan 1995 13:20:00 GMT", ["> Smears on the left margin only.", "Clean the corona wire. Grüße, Bob"]),
    ("<n3@example.com>", "<n2@example.org>", "Ann Reader <ann@example.net>", "Re: Toner smear",
     "Mon, 16 Jan 1995 08:00:00 GMT", ["That did it, merci!"]),
]


def news(name, separator, lf):
    lines = []
    for mid, ref, frm, sb, date, body in NEWS:
        lines.append(separator if separator != "From" else f"From {frm.split('<')[1][:-1]} {date}")
        lines += [f"From: {frm}", "Newsgroups: comp.periphs.printers", f"Subject: {sb}", f"Date: {date}",
                  f"Message-ID: {mid}"] + ([f"References: {ref}"] if ref else []) + [""] + body
    text = "".join(line + "\n" for line in lines) if lf else crlf(lines)
    write(name, text, "cp1252")


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    hash_forum("cp850", "TAPCIS6-FORUM.MSG")
    tapcis6_mail("cp850", "TAPCIS6-MAIL.MSG")
    hash_forum("cp850", "AUTOSIG-FORUM.ATO")
    tapcis6_mail("cp850", "AUTOSIG-MAIL.ATO")
    hash_forum("cp850", "TAPCIS5-FORUM.MSG", dates=GERMAN, soft="@b")
    tapcis5_mail("TAPCIS5-MAIL.MSG", "cp850", soft="@b")
    hash_forum("cp1252", "OZWIN1-FORUM.MSG", forum="IBMPRO")
    oz_mail("OZWIN1-MAIL.MSG", "cp1252")
    hash_forum("cp1252", "OZWIN2-FORUM.MSG", par=True, forum="IBMPRO")
    oz_mail("OZWIN2-MAIL.MSG", "cp1252", ozwin2=True)
    hash_forum("cp850", "OZCIS-FORUM.MSG")
    oz_mail("OZCIS-MAIL.MSG", "cp850")
    golden_compass()
    navcis()
    virtual_access()
    news("AGENT-NEWS.TXT", "========", lf=False)
    news("UNIX-NEWS.TXT", "From", lf=True)


if __name__ == "__main__":
    main()
