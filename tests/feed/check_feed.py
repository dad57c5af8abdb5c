#!/usr/bin/env python3
"""The Atom feed of a built archive, read with xml.etree: the elements
RFC 4287 requires, the 50 newest messages newest first, escaping of "<" and
"&", text of Shift_JIS and UTF-8 mail, and entry ids that stay the same
when an append adds messages.

Usage: check_feed.py VORN_HTM_BINARY
"""
import base64
import os
import shutil
import sys
import tempfile
import xml.etree.ElementTree as ET

from harness import check, finish, program, run

ATOM = "{http://www.w3.org/2005/Atom}"
BASE = "https://example.org/ml/"


def word(text, charset):
    return "=?%s?B?%s?=" % (charset, base64.b64encode(text.encode(charset)).decode("ascii"))


def message(n, subject, body, charset="ISO-2022-JP", sender=None):
    day, hour = 1 + n // 24, n % 24
    sender = sender or "Sender %d <s%d@example.jp>" % (n, n)
    head = [
        "Date: %02d Jan 2004 %02d:07:00 +0900" % (day, hour),
        "From: " + sender,
        "Subject: " + subject,
        "Message-ID: <m%d@example.jp>" % n,
        "MIME-Version: 1.0",
        "Content-Type: text/plain; charset=" + charset,
        "Content-Transfer-Encoding: base64",
    ]
    encoded = base64.encodebytes(body.encode(charset)).decode("ascii")
    return ("\r\n".join(head) + "\r\n\r\n" + encoded.replace("\n", "\r\n") + ".\r\n").encode("ascii")


def entries(out):
    tree = ET.parse(os.path.join(out, "feed.xml"))
    return tree.getroot(), tree.getroot().findall(ATOM + "entry")


def main():
    work = tempfile.mkdtemp(prefix="vorn_feed.")
    try:
        app = program(work, sys.argv[1], b"NAV_LNK=1\r\nBAS_URL=https://example.org/ml\r\n")
        out = os.path.join(work, "out")
        # 60 messages, page k dated hour k: the newest are pages 60 down to 11.
        mails = [message(n, "plain %d" % n, "line one of %d\nline two" % n) for n in range(1, 57)]
        mails.append(message(57, word("a < b & c", "UTF-8"), "x < y && z\n", "UTF-8"))
        mails.append(message(58, word("日本語の件名ソ表", "Shift_JIS"), "本文です。\n", "Shift_JIS",
                             sender=word("山田 太郎", "Shift_JIS") + " <taro@example.jp>"))
        mails.append(message(59, word("ユニコード☃", "UTF-8"), "雪だるま☃です\n", "UTF-8"))
        mails.append(message(60, "last", "the newest\n"))
        first = os.path.join(work, "first.mbx")
        with open(first, "wb") as f:
            f.write(b"".join(mails))
        run(app, first, out, "y")

        root, items = entries(out)
        check(root.tag == ATOM + "feed", "root is atom:feed")
        for name in ("id", "title", "updated"):
            check(root.find(ATOM + name) is not None and root.find(ATOM + name).text, "feed has " + name)
        check(root.find(ATOM + "id").text == BASE, "feed id is the address")
        check(root.find(ATOM + "updated").text == "2004-01-03T12:07:00+09:00", "feed updated is the newest date")
        check(any(l.get("rel") == "self" and l.get("href") == BASE + "feed.xml" for l in root.findall(ATOM + "link")),
              "feed links itself")
        check(len(items) == 50, "50 entries, got %d" % len(items))
        pages = [e.find(ATOM + "id").text for e in items]
        check(pages == [BASE + "m%07d.htm" % k for k in range(60, 10, -1)], "the 50 newest, newest first")
        for e in items:
            for name in ("id", "title", "updated", "author/" + ATOM + "name", "summary"):
                check(e.find(ATOM + name) is not None, "entry has " + name)
            link = e.find(ATOM + "link")
            check(link is not None and link.get("href") == e.find(ATOM + "id").text, "entry link is its page")
        by_page = {e.find(ATOM + "id").text[len(BASE):]: e for e in items}
        check(by_page["m0000057.htm"].find(ATOM + "title").text == "a < b & c", "title '<' and '&' read back")
        check("x < y && z" in by_page["m0000057.htm"].find(ATOM + "summary").text, "summary '<' and '&'")
        check(by_page["m0000058.htm"].find(ATOM + "title").text == "日本語の件名ソ表", "Shift_JIS subject")
        check(by_page["m0000058.htm"].find(ATOM + "author/" + ATOM + "name").text == "山田 太郎", "Shift_JIS sender")
        check("本文です。" in by_page["m0000058.htm"].find(ATOM + "summary").text, "Shift_JIS body")
        check(by_page["m0000059.htm"].find(ATOM + "title").text == "ユニコード☃", "UTF-8 subject")
        check(by_page["m0000060.htm"].find(ATOM + "updated").text == "2004-01-03T12:07:00+09:00", "entry date")
        check(by_page["m0000060.htm"].find(ATOM + "summary").text.strip() == "the newest", "summary is the text")
        with open(os.path.join(out, "menu.html"), "rb") as f:
            check(b'<link rel="alternate" type="application/atom+xml"' in f.read(), "the list links the feed")

        # An append: the older entries keep their ids.
        second = os.path.join(work, "second.mbx")
        with open(second, "wb") as f:
            f.write(message(61, "later", "appended\n"))
        run(app, second, out, "n")
        _, after = entries(out)
        ids = [e.find(ATOM + "id").text for e in after]
        check(ids[0] == BASE + "m0000061.htm", "the appended message comes first")
        check(ids[1:] == pages[:49], "entry ids stay across an append")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return finish()


if __name__ == "__main__":
    sys.exit(main())
