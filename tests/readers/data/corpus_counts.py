#!/usr/bin/env python3
"""Independent counts for the real-file tests, from Python's mailbox and
email modules. One line per file, tab-separated, the path last:

A PATH that is a folder stands for the files under it (names beginning
with "." left out).

  mbox PATH...   python's message count, the "From " lines that separate
                 messages in Quorvel's "From " mailboxes (an "@" in their
                 first 100 characters, or the mailbox date at their end:
                 see from_date below), path
  single PATH... 1 when the message has From, Date and To lines (news:
                 Newsgroups and Message-ID), its subject's first 40
                 characters without one leading "Re:", path
"""
import email
import email.policy
import mailbox
import os
import re
import sys

DAYS = {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"}
MONTHS = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"}


def zone(word):
    return re.fullmatch(rb"[+-][0-9]{4}|[A-Z]{1,5}", word) is not None


def from_date(rest):
    """Whether the words of `rest` end in "Www Mmm dd hh:mm[:ss] yyyy", with
    one optional zone word before or after the year."""
    w = [word for word in re.split(rb"[ \t]+", rest) if word]
    if len(w) >= 2 and zone(w[-1]) and re.fullmatch(rb"[0-9]{4}", w[-2]):
        w = w[:-1]
    elif len(w) >= 2 and zone(w[-2]) and re.fullmatch(rb"[0-9]{4}", w[-1]):
        w = w[:-2] + w[-1:]
    if len(w) < 5 or not re.fullmatch(rb"[0-9]{4}", w[-1]):
        return False
    day, month, mday, time = w[-5], w[-4], w[-3], w[-2]
    return (re.fullmatch(rb"[0-9]{2}:[0-9]{2}(:[0-9]{2})?", time) is not None
            and re.fullmatch(rb"[0-9]{1,2}", mday) is not None
            and month.upper().decode("latin-1") in MONTHS and day.upper().decode("latin-1") in DAYS)


def separator(line):
    line = line.rstrip(b"\r")
    if not line.startswith(b"From "):
        return False
    return b"@" in line[:100] or (len(line) <= 400 and from_date(line[5:]))


def files(paths):
    for p in paths:
        if not os.path.isdir(p):
            yield p
            continue
        for root, dirs, names in os.walk(p):
            for n in sorted(names):
                if not n.startswith("."):
                    yield os.path.join(root, n)


def subject(msg):
    s = str(msg.get("Subject", "") or "").strip()
    if s[:3].upper() == "RE:":
        s = s[3:].strip()
    return s[:40].replace("\t", " ").replace("\n", " ").replace("\r", " ")


def main():
    mode, paths = sys.argv[1], sys.argv[2:]
    for p in files(paths):
        if mode == "mbox":
            count = len(mailbox.mbox(p, create=False))
            rule = 0
            with open(p, "rb") as f:
                for line in f.read().split(b"\n"):
                    rule += separator(line)
            print("%d\t%d\t%s" % (count, rule, p))
        else:
            with open(p, "rb") as f:
                msg = email.message_from_binary_file(f, policy=email.policy.compat32)
            news = msg["Newsgroups"] is not None
            needed = ("Newsgroups", "Message-ID") if news else ("From", "Date", "To")
            complete = all(msg[h] is not None for h in needed)
            print("%d\t%s\t%s" % (complete, subject(msg), p))


if __name__ == "__main__":
    main()
