#!/usr/bin/env python3
"""Writes the CompuServe client store samples under samples/cim/.

The layouts are those of readers/cim/README.md: a filing cabinet
(FCABINET.DAT) and a folder of message files (messages/). Run from the
repository root: python3 scripts/make_cim_samples.py
"""
import os
import struct

OUT = os.path.join(os.path.dirname(__file__), "..", "samples", "cim")


def s(text):
    data = text.encode("cp1252")
    return bytes([len(data)]) + data


def stamp(y, mo, d, h, mi, sec):
    return ((y - 1970) << 9 | mo << 5 | d) << 16 | (h << 11 | mi << 5 | sec // 2)


def head(kind, when, strings):
    o = bytearray(b"~CS~FCR~" + b"\x01" * 5)
    o[11] = 0
    o += b"N" * 32
    o += b"\x02" * (106 - len(o))
    o += bytes([kind]) + b"\x03" * 4 + struct.pack("<I", when) + b"\x04" * 4
    for t in strings:
        o += s(t)
    return bytes(o)


def forum_object(subject, sender, address, section_name, forum, section, recipient, number, parent, when, text):
    o = head(2, when, [subject, sender, address, section_name, forum, "Y", "N"])
    o += b"\x00\x00" + s("") + bytes([section]) + b"\x00" * 4 + s(recipient) + s("") + b"\x00" * 4
    o += struct.pack("<II", number, parent) + b"\x00" * 10
    body = text.encode("cp1252")
    return o + struct.pack("<I", len(body)) + body


def mail_object(subject, sender, address, recipients, when, text):
    o = head(9, when, [subject, sender, address, "", "", "Y", "N"])
    o += b"\x00\x00" + s("") + b"\x01" + b"\x02" + struct.pack("<I", 0) + s("entry") + s(text[:60])
    o += b"\x00" * 15 + bytes([len(recipients)])
    for name, addr in recipients:
        o += s(name) + s(addr)
    body = text.encode("cp1252")
    return o + struct.pack("<I", len(body)) + body


def cabinet():
    objects = [
        forum_object("Printer drivers", "Ann Lee", "70000,101", "Hardware", "CIS:SAMPLEFORUM", 4, "All",
                     1001, 0, stamp(1998, 7, 14, 10, 20, 30),
                     "@lWhere do I find the@b\ndrivers for my printer?\n"),
        forum_object("Printer drivers", "Bob Ray", "70000,202", "Hardware", "CIS:SAMPLEFORUM", 4, "Ann Lee",
                     1002, 1001, stamp(1998, 7, 14, 18, 5, 0),
                     "In the library of this forum.\nLook for PRINT.ZIP.\n"),
        forum_object("Meeting in May", "Cy Dunn", "70000,303", "General", "CIS:SAMPLEFORUM", 1, "All",
                     1003, 0, stamp(2000, 5, 2, 9, 0, 0), "Who comes to the meeting?\r\n"),
        # A small object (120 bytes or less) the reader does not list.
        b"~CS~FCR~" + b"\x00" * 100,
        mail_object("Lunch", "Bob Ray", "INTERNET:bob@example.org",
                    [("Jane Smith", "INTERNET:jane@example.org"), ("Cy Dunn", "70000,303"),
                     ("\"Dee Fox\"", "INTERNET dee@example.org")],
                    stamp(1999, 3, 1, 12, 0, 0), "Lunch at noon, all three of you?\n"),
        mail_object("Copy of: Agenda", "Jane Smith", "INTERNET:jane@example.org",
                    [("Ann Lee", "70000,101"), ("Bob Ray", "INTERNET:bob@example.org")],
                    stamp(1999, 3, 2, 8, 30, 0), "The agenda for Monday.\n"),
        mail_object("Thanks", "\"Ann Lee\"", "70000,101", [("Jane Smith", "INTERNET:jane@example.org")],
                    stamp(1999, 3, 3, 16, 45, 10), "Thank you for the agenda.\n"),
    ]
    return b"FCAB" + b"\x00" * 8 + b"".join(objects)


def lst(entries, count_bytes):
    out = struct.pack("<B" if count_bytes == 1 else "<H", len(entries))
    for name, addr in entries:
        out += s(name) + s(addr) + b"\x00" * 4
    return out


def file_head(kind, header_length):
    return b"VIS000\x1a" + b"\x00" * 6 + struct.pack("<H", header_length) + bytes([kind])


def date3(y, mo, d):
    return bytes([d, mo, y - 1970])


def mail_file(subject, sender, address, to, cc, when, text):
    (y, mo, d, h, mi, sec) = when
    f = file_head(1, 40) + b"\x00" * 16 + s("x") * 4 + b"\x00\x00" + bytes([h, mi, sec]) + date3(y, mo, d)
    f += b"\x00" * 6 + s(subject) + s(sender) + s(address)
    f += lst(to, 1) + b"\x00\x00" + lst([], 2) + b"\x00\x00"
    f += (lst(cc, 1) + lst([], 1) + lst([], 2) + lst([], 2)) if cc else b"\x04"
    return f + text.encode("cp1252")


def forum_file(subject, sender, address, recipient, number, parent, section, section_name, forum, when, text):
    f = file_head(2, 10) + b"\x00" * 9
    block = b"\x00" * 4 + date3(*when) + b"\x00" * 6 + s(subject) + s(sender) + s(address) + b"\x00"
    block += s(recipient) + s("")
    f += struct.pack("<H", len(block)) + block + b"\x00\x00" + struct.pack("<II", number, parent)
    f += b"\x00" * 8 + b"\x00" + bytes([section]) + s(section_name) + s(forum) + b"\x00" + b"\x00" * 8
    f += b"\x02zz"
    return f + text.encode("cp1252")


def thread_file(section, forum, number, parent, sender, address, recipient, when, text):
    f = file_head(3, 6) + b"\x00" * 5 + b"\x00\x00" + bytes([section]) + s(forum) + b"\x00\x00"
    f += struct.pack("<II", number, parent) + b"\x00" * 8 + b"\x00" + b"\x00" * 4 + date3(*when) + b"\x00" * 6
    f += s(sender) + s(address) + s(recipient) + s("") + b"\x00"
    body = text.encode("cp1252")
    return f + struct.pack("<H", len(body)) + body


def message_files():
    return {
        "MAIL1.MSG": mail_file("Project plan", "\"Eve Gil\"", "INTERNET:eve@example.org",
                               [("Jane Smith", "INTERNET:jane@example.org")],
                               [("Bob Ray", "INTERNET:bob@example.org"), ("Cy Dunn", "70000,303")],
                               (2001, 6, 9, 11, 22, 33), "The plan is attached@b\nto the next mail.\n"),
        "MAIL2.MSG": mail_file("Re: Project plan", "Jane Smith", "INTERNET:jane@example.org",
                               [("Eve Gil", "INTERNET:eve@example.org")], [],
                               (2001, 6, 10, 9, 0, 0), "Thanks, Eve.\n"),
        "FORUM1.MSG": forum_file("Modem settings", "Fay Hart", "71000,404", "All", 2001, 0, 2, "Modems",
                                 "CIS:MODEMFORUM", (2000, 12, 31), "Which init string works best?\n"),
        "THREAD1.THD": thread_file(2, "CIS:MODEMFORUM", 2002, 2001, "Gus Ives", "71000,505", "Fay Hart",
                                   (2001, 1, 2), "AT&F1 works for me.\n"),
    }


def main():
    os.makedirs(os.path.join(OUT, "messages"), exist_ok=True)
    with open(os.path.join(OUT, "FCABINET.DAT"), "wb") as f:
        f.write(cabinet())
    for name, data in message_files().items():
        with open(os.path.join(OUT, "messages", name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
