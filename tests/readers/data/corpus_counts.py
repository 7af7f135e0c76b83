#!/usr/bin/env python3
"""Independent counts for the real-file tests, from Python's mailbox and
email modules. One line per file, tab-separated, the path last:

A PATH that is a folder stands for the files under it (names beginning
with "." left out).

  mbox PATH...   python's message count, the "From " lines holding an "@"
                 in their first 100 characters, path
  single PATH... 1 when the message has From, Date and To lines (news:
                 Newsgroups and Message-ID), its subject's first 40
                 characters without one leading "Re:", path
"""
import email
import email.policy
import mailbox
import os
import sys


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
                    rule += line.startswith(b"From ") and b"@" in line[:100]
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
