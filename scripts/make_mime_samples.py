#!/usr/bin/env python3
"""Writes the MIME sample messages of the mail tests in tests/mail/data/mime/.

Each sample is one message shaped as a real mailer of its time writes it
(header order and folding, boundary style, X-Mailer, character set and
transfer encoding), saved as NAME.eml, and beside it NAME.expect: what a mail
reader must make of it (decoded subject and sender, the date in Japan time,
the ids, the attachments with size and SHA-256, and the page text).  The
expected values are computed here from the message parsed back with Python's
`email` package, never written by hand.  A Unix mailbox (mboxrd) and a
Maildir folder hold some of the samples again, with lists of their names.

The output is deterministic (fixed dates, ids and boundaries), so running this
script again must leave `git status` clean.  Run it from anywhere:

    python3 scripts/make_mime_samples.py            # writes the files
    python3 scripts/make_mime_samples.py --check    # exits 1 if they differ

tests/mail/data/mime/README.md describes the .expect format and the rules the
expected page text follows.
"""

import argparse
import base64
import binascii
import codecs
import datetime
import email
import hashlib
import html.parser
import io
import mimetypes
import pathlib
import quopri
import re
import struct
import sys
import zlib
from email import policy
from email.generator import BytesGenerator
from email.utils import mktime_tz, parseaddr, parsedate_tz

ROOT = pathlib.Path(__file__).resolve().parent.parent
OUT = ROOT / "tests" / "mail" / "data" / "mime"

JST = datetime.timezone(datetime.timedelta(hours=9))

# ------------------------------------------------------------ character sets --

# Labels read as code page 932 (what Japanese mailers mean by Shift_JIS).
SJIS_LABELS = {"shift_jis", "shift-jis", "sjis", "x-sjis", "x_sjis", "ms_kanji", "windows-31j", "cp932", "csshiftjis"}
JIS_LABELS = {"iso-2022-jp", "iso2022jp", "csiso2022jp", "iso-2022-jp-1", "iso-2022-jp-ms"}


def sjis_to_jis(s1, s2):
    """Shift_JIS double byte -> JIS X 0208 row/cell bytes (0x21..0x7E each)."""
    if s1 >= 0xE0:
        s1 -= 0x40
    j1 = (s1 - 0x81) * 2 + 0x21
    if s2 >= 0x9F:
        return j1 + 1, s2 - 0x7E
    return j1, s2 - 0x1F - (1 if s2 >= 0x80 else 0)


def jis_to_sjis(j1, j2):
    s1 = (j1 - 0x21) // 2 + 0x81
    if s1 > 0x9F:
        s1 += 0x40
    if j1 & 1:
        return s1, j2 + 0x1F + (1 if j2 >= 0x60 else 0)
    return s1, j2 + 0x7E


def jis_encode(text):
    """ISO-2022-JP as Japanese mailers write it, through code page 932.

    Every character is taken to code page 932 first, so the NEC special
    characters (row 13: ①, ㈱, №) come out in their JIS rows as Windows mailers
    send them; half-width katakana are written after ESC ( I.  Each line goes
    back to ASCII (ESC ( B) before its line end.
    """
    out = bytearray()
    for n, line in enumerate(text.split("\n")):
        if n:
            out += b"\n"
        mode = "ascii"
        for ch in line:
            b = ch.encode("cp932")
            if len(b) == 1 and b[0] < 0x80:
                want, data = "ascii", b
            elif len(b) == 1:
                want, data = "kana", bytes([b[0] - 0x80])
            else:
                assert b[0] <= 0xEF, "no JIS code for %r" % ch
                want, data = "kanji", bytes(sjis_to_jis(b[0], b[1]))
            if want != mode:
                out += {"ascii": b"\x1b(B", "kana": b"\x1b(I", "kanji": b"\x1b$B"}[want]
                mode = want
            out += data
        if mode != "ascii":
            out += b"\x1b(B"
    return bytes(out)


def jis_decode(data):
    """ISO-2022-JP (with ESC ( I katakana and NEC rows) through code page 932."""
    sjis = bytearray()
    mode = "ascii"
    i = 0
    while i < len(data):
        if data[i] == 0x1B:
            seq = data[i:i + 3]
            mode = {b"\x1b(B": "ascii", b"\x1b(J": "ascii", b"\x1b(I": "kana", b"\x1b$B": "kanji",
                    b"\x1b$@": "kanji"}[bytes(seq)]
            i += 3
            continue
        c = data[i]
        if mode == "kanji" and 0x21 <= c <= 0x7E and i + 1 < len(data):
            sjis += bytes(jis_to_sjis(c, data[i + 1]))
            i += 2
            continue
        if mode == "kana" and 0x21 <= c <= 0x5F:
            sjis.append(c + 0x80)
        else:
            sjis.append(c)
        i += 1
    return sjis.decode("cp932")


def decode_text(data, charset):
    """Bytes of a body or an encoded word -> str, by the rules of the reader.

    Text that is not valid in its label but is UTF-8 is UTF-8 (mailers send
    UTF-8 under the label of their user's code); 7-bit text without a NUL
    byte cannot be a 16- or 32-bit form of Unicode and is read as unlabelled.
    """
    if charset is None and b"\x1b$" in data:
        charset = "iso-2022-jp"  # Japanese mail sent without MIME fields
    label = (charset or "us-ascii").strip().lower()
    if label in SJIS_LABELS:
        return data.decode("cp932")
    if label in JIS_LABELS:
        return jis_decode(data)
    name = codecs.lookup(label).name
    if name.startswith(("utf-16", "utf-32")) and b"\0" not in data and max(data, default=0) < 0x80:
        return data.decode("ascii")
    try:
        return data.decode(name)
    except UnicodeDecodeError:
        return data.decode("utf-8")


# Labels whose raw header text is not read in them: the Japanese codes,
# ASCII and UTF-8 (raw header text is then Shift_JIS, EUC-JP or UTF-8 as it
# is found to be).
HOME_LABELS = SJIS_LABELS | JIS_LABELS | {"us-ascii", "utf-8", "euc-jp"}


def valid_sjis(data):
    """Shift_JIS of code page 932 characters, none of its user-defined rows."""
    try:
        data.decode("cp932")
    except UnicodeDecodeError:
        return False
    return all(not 0xE000 <= ord(c) <= 0xF8FF for c in data.decode("cp932"))


def raw_8bit_text(data, fallback, name=False):
    """Raw 8-bit bytes of a header field, read as mail readers read them.

    UTF-8 when they are UTF-8; else the charset of the message's first text
    part (`fallback`) when it is not a Japanese one and the bytes are valid
    in it; else Shift_JIS.  Of a file name (`name`), bytes valid in none of
    these are each "_".
    """
    for codec in ["utf-8"] + ([fallback] if fallback and fallback.lower() not in HOME_LABELS else []):
        try:
            return data.decode(codec)
        except UnicodeDecodeError:
            pass
    if valid_sjis(data):
        return data.decode("cp932")
    assert name, "raw header text valid in no charset: %r" % data
    return "".join(chr(b) if b < 0x80 else "_" for b in data)


def first_text_charset(msg):
    """The charset the first text/* part names, attached messages left out."""
    if msg.is_multipart():
        if msg.get_content_type() == "message/rfc822":
            return None
        for child in msg.get_payload():
            found = first_text_charset(child)
            if found is not None:
                return found
        return None
    if msg.get_content_maintype() != "text":
        return None
    return msg.get_param("charset") or ""


# Characters that JIS text in Unicode writes one way and code page 932 the
# other; the program (through iconv) takes them for their code page 932
# twins, as Japanese readers do: the em dash is the Japanese dash, and so on.
CP932_TWINS = {"\u2014": "\u2015", "\u301c": "\uff5e", "\u2016": "\u2225", "\u2212": "\uff0d",
               "\u00a2": "\uffe0", "\u00a3": "\uffe1", "\u00ac": "\uffe2"}


def page_chars(text):
    """Writes characters that code page 932 lacks as decimal references."""
    out = []
    for ch in text:
        ch = CP932_TWINS.get(ch, ch)
        try:
            ok = ch.encode("cp932").decode("cp932") == ch
        except UnicodeError:
            ok = False
        out.append(ch if ok else "&#%d;" % ord(ch))
    return "".join(out)


# Characters whose code page 932 form differs from what JIS-based decoders
# (EUC-JP, plain Shift_JIS) give: the samples keep them out of text that is
# not decoded as code page 932, so that no converter choice changes a result.
JIS_CP932_DIFFER = "\u301c\uff5e\u2016\u2225\u2212\uff0d\u00a2\uffe0\u00a3\uffe1\u00ac\uffe2\u2014\u2015"


def jis_safe(text):
    bad = [c for c in text if c in JIS_CP932_DIFFER]
    assert not bad, "character with differing JIS mappings: %r" % bad
    return text


# --------------------------------------------------------- encoded words --

ENCODED_WORD = re.compile(r"=\?([^?*\s]+)(?:\*[^?\s]*)?\?([BbQq])\?([^?\s]*)\?=")
LINE_BREAK = re.compile(r"\r\n|\r|\n")


def unfold(value):
    """Line breaks removed; a TAB that leads a folded line is its blank."""
    return LINE_BREAK.sub("", re.sub(r"(?:\r\n|\r|\n)\t", " ", value))


def word_bytes(kind, text):
    if kind in "Bb":
        return base64.b64decode(text + "=" * (-len(text) % 4))
    return binascii.a2b_qp(text.encode("ascii"), header=True)


def decode_words(value):
    """Unfolds a field value and decodes its RFC 2047 encoded words.

    White space between two encoded words is dropped; everything else
    (quotes, "<address>", plain words) stays as written.  Adjacent words of
    one character set are joined before decoding, so a character split
    between two words still decodes.
    """
    value = unfold(value)
    pieces = []  # (charset or None, bytes or str)
    pos = 0
    for m in ENCODED_WORD.finditer(value):
        gap = value[pos:m.start()]
        follows_word = pieces and pieces[-1][0] is not None and pieces[-1][2] == pos
        if gap and not (follows_word and gap.strip(" \t") == ""):
            pieces.append((None, gap, m.start()))
        data = word_bytes(m.group(2), m.group(3))
        charset = m.group(1).lower()
        if pieces and pieces[-1][0] == charset:
            pieces[-1] = (charset, pieces[-1][1] + data, m.end())
        else:
            pieces.append((charset, data, m.end()))
        pos = m.end()
    if pos < len(value):
        pieces.append((None, value[pos:], len(value)))
    return "".join(p if cs is None else decode_text(p, cs) for cs, p, _ in pieces)


def field(msg, name, fallback=None):
    """A field's value; raw 8-bit bytes in it read by raw_8bit_text."""
    for key, value in msg.raw_items():
        if key.lower() == name.lower():
            raw = value.encode("ascii", "surrogateescape")
            if max(raw, default=0) < 0x80:
                return value
            assert fallback is not None, "8-bit bytes in the %s field" % name
            return raw_8bit_text(raw, fallback)
    return None


# ------------------------------------------------------------ page text --

BLOCK_TAGS = {"p", "div", "br", "tr", "td", "th", "table", "h1", "h2", "h3", "h4", "h5", "h6", "li", "ul", "ol",
              "blockquote", "hr", "body", "center"}
LINE_TAGS = {"p", "div", "h1", "h2", "h3", "h4", "h5", "h6", "li", "blockquote", "center"}


class HtmlText(html.parser.HTMLParser):
    """A plain rendering of an HTML body, used to choose the expected lines.

    Text inside <head>, <style> and <script> is dropped, entities are decoded,
    runs of white space become one blank, and each block element (and <br>)
    starts a new line.  `lines` holds (text, kept) where kept says that the
    line stood only in paragraph-like elements (not bare table cells), the
    lines a reader must show whole whatever it does with tables.
    """

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.stack = []
        self.skip = 0
        self.cur = []
        self.cur_ok = True
        self.lines = []
        self.tags = set()

    def flush(self):
        text = re.sub(r"[ \t\r\n]+", " ", "".join(self.cur)).strip(" ")
        if text:
            self.lines.append((text, self.cur_ok and "\xa0" not in text))
        self.cur = []
        self.cur_ok = True

    def handle_starttag(self, tag, attrs):
        self.tags.add(tag)
        if tag in ("head", "style", "script", "title"):
            self.skip += 1
        if tag in BLOCK_TAGS:
            self.flush()
        if tag not in ("br", "hr", "img", "meta", "link"):
            self.stack.append(tag)

    def handle_endtag(self, tag):
        if tag in ("head", "style", "script", "title"):
            self.skip -= 1
        if tag in BLOCK_TAGS:
            self.flush()
        if tag in self.stack:
            while self.stack.pop() != tag:
                pass

    def handle_data(self, data):
        if self.skip:
            return
        inner = [t for t in self.stack if t in BLOCK_TAGS]
        if data.strip() and (not inner or inner[-1] not in LINE_TAGS):
            self.cur_ok = False
        self.cur.append(data)


def html_expect(source):
    """body-contains lines and body-lacks strings of an HTML body."""
    r = HtmlText()
    r.feed(source)
    r.close()
    r.flush()
    contains = [page_chars(t) for t, ok in r.lines if ok]
    lacks = sorted("<" + t for t in r.tags)
    for block in re.findall(r"<style[^>]*>(.*?)</style>", source, re.S | re.I):
        lacks += sorted(set(re.findall(r"([a-z][a-z-]*[a-z])\s*:", block)))[:3]
    for block in re.findall(r"<script[^>]*>(.*?)</script>", source, re.S | re.I):
        lacks += sorted(set(m + "(" for m in re.findall(r"([A-Za-z_][\w.]*)\(", block)))[:3]
    lacks += sorted(set(re.findall(r"&[a-z]+;|&#\d+;", source)))
    shown = "\n".join(t for t, _ in r.lines)
    for s in lacks:
        assert s not in shown, s
    assert contains, "no whole line to expect"
    return contains, lacks


class Page:
    """What the reader makes of one message: text blocks and attachments."""

    def __init__(self, text_charset=None):
        self.blocks = []  # (kind, text) with kind "plain" or "html"
        self.attachments = []  # (name, data)
        self.unnamed = 0
        self.text_charset = text_charset  # of the first text part


TYPE_EXTENSIONS = {
    "image/png": ".png", "image/jpeg": ".jpg", "image/gif": ".gif", "application/pdf": ".pdf",
    "text/plain": ".txt", "text/html": ".html", "message/delivery-status": ".txt", "message/rfc822": ".eml",
    "application/octet-stream": ".bin", "application/zip": ".zip",
}

def type_extension(ctype):
    """The list above, then the media types table (Python's own copy of the
    usual table, so that the result does not depend on the machine), then .bin."""
    return TYPE_EXTENSIONS.get(ctype) or mimetypes.MimeTypes().guess_extension(ctype) or ".bin"


UU_BEGIN = re.compile(r"^begin [0-7]{3,4} (\S.*)$")


def text_lines(text):
    return LINE_BREAK.sub("\n", text)


def take_uuencode(text, page):
    """Moves "begin 644 name" ... "end" blocks out of a plain text."""
    kept = []
    lines = text.split("\n")
    i = 0
    while i < len(lines):
        m = UU_BEGIN.match(lines[i])
        if not m:
            kept.append(lines[i])
            i += 1
            continue
        data = b""
        i += 1
        while lines[i] != "end":
            # A line gives the bytes its count names, at most those its
            # characters hold; what follows the characters it needs is no data.
            n = (ord(lines[i][0]) - 32) & 63
            chars = lines[i][1:1 + (n + 2) // 3 * 4]
            data += binascii.a2b_uu(lines[i][0] + chars)[:len(chars) * 3 // 4]
            i += 1
        i += 1
        page.attachments.append((m.group(1), data))
    return "\n".join(kept)


def part_text(part):
    data = part.get_payload(decode=True)
    text = text_lines(decode_text(data, part.get_param("charset")))
    if text.endswith("\n"):
        text = text[:-1]
    return text


def attachment_name(part, page):
    name = part.get_filename()
    if name is not None and re.search("[\ufffd\udc80-\udcff]", name):
        # Python reads raw 8-bit bytes of a parameter as U+FFFD: take them
        # from the field as written.
        raw = None
        for field_name, param in (("content-disposition", "filename"), ("content-type", "name")):
            for key, value in part.raw_items():
                m = re.search(r'%s="([^"]*)"' % param, value) if key.lower() == field_name else None
                raw = raw or (m and m.group(1).encode("ascii", "surrogateescape"))
        name = raw_8bit_text(raw, part.get_param("charset") or page.text_charset, name=True)
    if name is not None:
        name = decode_words(name)
        assert name and not re.search(r"[/\\\x00-\x1f]", name) and not name.startswith("."), name
        assert page_chars(name) == name, name
        return name
    page.unnamed += 1
    return "attach%d%s" % (page.unnamed, type_extension(part.get_content_type()))


def raw_part_body(part):
    """Content of a part Python keeps as parsed blocks (delivery status)."""
    blocks = []
    for sub in part.get_payload():
        out = io.BytesIO()
        BytesGenerator(out, mangle_from_=False, policy=policy.compat32.clone(linesep="\n")).flatten(sub)
        blocks.append(out.getvalue())
    # Each block comes back with the blank line that ends a header block;
    # the last one's belongs to the boundary line that follows the part.
    data = b"".join(blocks)
    return data[:-1] if data.endswith(b"\n\n") else data


def walk(part, page):
    ctype = part.get_content_type()
    disposition = part.get_content_disposition()
    if ctype == "message/rfc822" and part.get_filename() is None and disposition != "attachment":
        inner = part.get_payload(0)
        sub = Page(page.text_charset)
        sub.unnamed = page.unnamed
        walk(inner, sub)
        page.unnamed = sub.unnamed
        assert all(kind == "plain" for kind, _ in sub.blocks)
        head = "From: %s\nDate: %s\nSubject: %s" % (decode_words(field(inner, "From")), unfold(field(
            inner, "Date")), decode_words(field(inner, "Subject")))
        page.blocks.append(("plain", head + "\n\n" + "\n\n".join(t for _, t in sub.blocks)))
        page.attachments += sub.attachments
        return
    if ctype == "message/delivery-status":
        page.attachments.append((attachment_name(part, page), raw_part_body(part)))
        return
    if part.is_multipart():
        children = part.get_payload()
        if ctype == "multipart/alternative":
            plain = [c for c in children if c.get_content_type() == "text/plain"]
            html_parts = [c for c in children if c.get_content_type() == "text/html"]
            walk((plain or html_parts or children[-1:])[0], page)
            return
        for child in children:
            walk(child, page)
        return
    if ctype.startswith("text/") and part.get_filename() is None and disposition != "attachment":
        text = part_text(part)
        if ctype == "text/html":
            page.blocks.append(("html", text))
        else:
            text = take_uuencode(text, page)
            assert not text.endswith("\n"), "text part ending in an empty line"
            page.blocks.append(("plain", text))
        return
    page.attachments.append((attachment_name(part, page), part.get_payload(decode=True)))


def first_id(value):
    m = re.search(r"<[^<>\s]+>", value or "")
    return m.group(0) if m else ""


def jst_date(value):
    """The Date in Japan time; a date without a zone (none, or only a
    comment such as "(Sunday)") is taken as written, in Japan time."""
    if value is None:
        return ""
    t = parsedate_tz(unfold(value))
    assert t is not None and t[9] is not None, value
    # Python takes a missing zone for UTC; a reader shows such a time as written.
    if ":" in re.sub(r"\([^()]*\)", " ", unfold(value)).split()[-1]:
        return datetime.datetime(*t[:6]).strftime("%Y-%m-%d %H:%M:%S")
    return datetime.datetime.fromtimestamp(mktime_tz(t), JST).strftime("%Y-%m-%d %H:%M:%S")


def expect(raw, allowed_defects=frozenset()):
    """The .expect text of one message (as bytes, UTF-8 with LF); the message
    may show only the defects named."""
    msg = email.message_from_bytes(raw, policy=policy.compat32)
    defects = {type(d).__name__ for part in msg.walk() for d in part.defects}
    assert defects <= allowed_defects, defects
    text_charset = first_text_charset(msg) or ""
    page = Page(text_charset)
    walk(msg, page)
    parent = first_id(field(msg, "In-Reply-To"))
    if not parent:
        refs = re.findall(r"<[^<>\s]+>", field(msg, "References") or "")
        parent = refs[-1] if refs else ""
    out = [
        "subject: " + page_chars(decode_words(field(msg, "Subject", text_charset) or "")),
        "from: " + page_chars(decode_words(field(msg, "From", text_charset) or "")),
        "date: " + jst_date(field(msg, "Date")),
        "message-id: " + first_id(field(msg, "Message-ID")),
        "parent-id: " + parent,
    ]
    for name, data in page.attachments:
        out.append("attach: %s\t%d\t%s" % (name, len(data), hashlib.sha256(data).hexdigest()))
    if any(kind == "html" for kind, _ in page.blocks):
        assert len(page.blocks) == 1, "HTML text beside other text"
        contains, lacks = html_expect(page.blocks[0][1])
        out += ["body-contains:"] + contains + ["body-lacks:"] + lacks
    else:
        out += ["body:", page_chars("\n\n".join(t for _, t in page.blocks))]
    return ("\n".join(out) + "\n").encode("utf-8")


# -------------------------------------------------------------- builders --

def b64_lines(data, width=76):
    enc = base64.b64encode(data).decode("ascii")
    return "\n".join(enc[i:i + width] for i in range(0, len(enc), width))


def qp_text(data):
    """Quoted-printable with soft breaks at 76 columns (LF line ends)."""
    return quopri.encodestring(data).decode("ascii")


def uu_block(name, data):
    lines = ["begin 644 " + name]
    for i in range(0, len(data), 45):
        lines.append(binascii.b2a_uu(data[i:i + 45], backtick=True).decode("ascii").rstrip("\n"))
    return "\n".join(lines + ["`", "end"])


def jis_str(text):
    return jis_encode(text).decode("ascii")


def ew(text, charset="ISO-2022-JP", kind="B", codec=None, chunk=0):
    """Encoded words for `text`; with `chunk`, one word per that many characters."""
    pieces = [text[i:i + chunk] for i in range(0, len(text), chunk)] if chunk else [text]
    words = []
    for piece in pieces:
        if charset.lower() in JIS_LABELS:
            data = jis_encode(piece)
        else:
            data = piece.encode(codec or charset)
        if kind == "B":
            enc = base64.b64encode(data).decode("ascii")
        else:
            enc = "".join(chr(b) if (0x30 <= b <= 0x39 or 0x41 <= b <= 0x5A or 0x61 <= b <= 0x7A) else
                          "_" if b == 0x20 else "=%02X" % b for b in data)
        words.append("=?%s?%s?%s?=" % (charset, kind, enc))
    return words


def ew1(text, charset="ISO-2022-JP", kind="B", codec=None):
    return ew(text, charset, kind, codec)[0]


def rfc2231_params(attr, text, width=58):
    """`attr*0*=UTF-8''...; attr*1*=...` lines, split between escaped octets."""
    tokens = [chr(b) if b < 0x80 and (chr(b).isalnum() or chr(b) in "-._") else "%%%02X" % b
              for b in text.encode("utf-8")]
    pieces = [""]
    for t in tokens:
        if len(pieces[-1]) + len(t) > width:
            pieces.append("")
        pieces[-1] += t
    pieces[0] = "UTF-8''" + pieces[0]
    return ";\n ".join("%s*%d*=%s" % (attr, i, p) for i, p in enumerate(pieces))


def stored_zlib(data):
    """A zlib stream of stored blocks: the same bytes whatever zlib is installed."""
    out = b"\x78\x01"
    for i in range(0, max(len(data), 1), 65535):
        block = data[i:i + 65535]
        last = 1 if i + 65535 >= len(data) else 0
        out += bytes([last]) + struct.pack("<HH", len(block), len(block) ^ 0xFFFF) + block
    return out + struct.pack(">I", zlib.adler32(data) & 0xFFFFFFFF)


def tiny_png(seed=0, size=16):
    """A small PNG made byte for byte; `seed` changes its colours."""
    rows = b""
    for y in range(size):
        row = b"\x00"
        for x in range(size):
            inside = size // 4 <= x < size * 3 // 4 and size // 4 <= y < size * 3 // 4
            row += bytes([(0xD0 + seed * 37) & 0xFF, (0x20 + seed * 71) & 0xFF, 0x20]) if inside else b"\xff\xff\xff"
        rows += row

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", stored_zlib(rows)) + chunk(b"IEND", b""))


def fake_jpeg(seed, length=700):
    """Bytes that start like a JFIF file; the content is a fixed pseudo-random run."""
    out = bytearray(b"\xff\xd8\xff\xe0\x00\x10JFIF\x00\x01\x01\x00\x00\x48\x00\x48\x00\x00")
    x = 0x2545F491 + seed
    while len(out) < length - 2:
        x = (x * 1103515245 + 12345) & 0x7FFFFFFF
        out.append((x >> 16) & 0xFF)
    return bytes(out + b"\xff\xd9")


def tiny_pdf(title):
    body = ("%%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n"
            "2 0 obj << /Type /Pages /Kids [] /Count 0 >> endobj\n"
            "3 0 obj << /Title (%s) >> endobj\ntrailer << /Root 1 0 R /Info 3 0 R >>\n%%%%EOF\n" % title)
    return body.encode("ascii") + bytes(range(0x80, 0x100))


def crlf(data):
    return data.replace(b"\n", b"\r\n")


def lone_cr(data):
    return data.replace(b"\n", b"\r")


def message(text, body_bytes=None):
    """A message from its text (LF lines); `body_bytes` replaces "@BODY@"."""
    if body_bytes is None:
        return text.encode("ascii")
    head, tail = text.split("@BODY@")
    return head.encode("ascii") + body_bytes + tail.encode("ascii")


# ================================================================ samples ==
#
# Every function returns the bytes of one message.  People, addresses and
# hosts are invented (example.* domains, documentation addresses); the mobile
# carriers' own domains stand in their senders' addresses.

SAMPLES = {}
# Samples of broken mail: the defects Python's email package finds in each.
DEFECTS = {}


def sample(fn):
    SAMPLES[fn.__name__] = fn
    return fn


def broken_sample(*defects):
    """A sample in which Python's email package finds these defects."""
    def register(fn):
        DEFECTS[fn.__name__] = frozenset(defects)
        return sample(fn)
    return register


# ------------------------------------------------------- legacy Japanese --

@sample
def jis_plain_becky():
    body = jis_safe("""鈴木さん

山田です。先日はありがとうございました。

来週の打ち合わせですが、水曜日の午後三時からでいかがでしょうか。
場所はいつもの会議室を押さえておきます。

よろしくお願いします。

--
山田 太郎 <taro@example.jp>
""")
    return message("""Return-Path: <taro@example.jp>
Received: from mail.example.jp (mail.example.jp [192.0.2.25])
	by mx.example.ne.jp (8.12.10/8.12.10) with ESMTP id i1B3F2aK004321
	for <hanako@example.ne.jp>; Wed, 11 Feb 2004 12:15:04 +0900
Date: Wed, 11 Feb 2004 12:15:02 +0900
From: =?ISO-2022-JP?B?GyRCOzNFRBsoQiAbJEJCQE86GyhC?= <taro@example.jp>
To: =?ISO-2022-JP?B?GyRCTmtMWhsoQiAbJEIyVjtSGyhC?= <hanako@example.ne.jp>
Subject: %s
Message-Id: <20040211121502.4E2F.TARO@example.jp>
MIME-Version: 1.0
Content-Type: text/plain; charset="ISO-2022-JP"
Content-Transfer-Encoding: 7bit
X-Mailer: Becky! ver. 2.08.01 [ja]

@BODY@""" % ew1("来週の打ち合わせについて"), jis_encode(body))


@sample
def jis_plain_almail_reply():
    body = jis_safe("""山田さん

鈴木です。

> 来週の打ち合わせですが、水曜日の午後三時からでいかがでしょうか。

大丈夫です。資料は前日までにお送りします。
""")
    return message("""Return-Path: <hanako@example.ne.jp>
Received: from pc01.example.ne.jp (pc01.example.ne.jp [198.51.100.7])
	by mail.example.jp (8.12.10/8.12.10) with SMTP id i1B5a1Qd012001
	for <taro@example.jp>; Wed, 11 Feb 2004 14:36:01 +0900
Date: Wed, 11 Feb 2004 14:35:58 +0900
From: "=?ISO-2022-JP?B?GyRCTmtMWhsoQiAbJEIyVjtSGyhC?=" <hanako@example.ne.jp>
To: taro@example.jp
Subject: %s
In-Reply-To: <20040211121502.4E2F.TARO@example.jp>
References: <20040211121502.4E2F.TARO@example.jp>
Message-Id: <200402111435.AA00123@pc01.example.ne.jp>
MIME-Version: 1.0
X-Mailer: AL-Mail32 Version 1.13
Content-Type: text/plain; charset=iso-2022-jp
Content-Transfer-Encoding: 7bit

@BODY@""" % ("Re: " + ew1("来週の打ち合わせについて")), jis_encode(body))


@sample
def sjis_8bit_plain():
    body = jis_safe("""各位

総務の佐藤です。
来月から社内ネットワークのパスワード規則が変わります。
　・８文字以上
　・英字と数字を混ぜる
　・３か月ごとに変更
ご協力をお願いします。ソフトの設定表はC:\\共有\\総務にあります。
""")
    return message("""Return-Path: <jiro@example.co.jp>
Received: from jiro-pc ([192.0.2.41])
	by mail.example.co.jp (Postfix) with ESMTP id 7A3C41F02
	for <all@example.co.jp>; Mon,  7 Jun 2004 09:02:11 +0900 (JST)
Date: Mon, 07 Jun 2004 09:02:08 +0900
From: =?Shift_JIS?B?jbKToSCOn5hZ?= <jiro@example.co.jp>
To: all@example.co.jp
Subject: %s
Message-Id: <20040607090208.6B1E.JIRO@example.co.jp>
MIME-Version: 1.0
Content-Type: text/plain; charset=Shift_JIS
Content-Transfer-Encoding: 8bit
X-Mailer: EdMax Ver2.85.5F

@BODY@""" % ew1("パスワード規則の変更", "Shift_JIS", "B", "cp932"), body.encode("cp932"))


@sample
def jis_folded_subject_attachment():
    body = jis_safe("""皆さま

田中です。第二四半期の売上集計表を添付します。
ご確認のうえ、修正があれば金曜日までにご連絡ください。
""")
    words = ew("【再送】第二四半期の売上集計表と来期の予算案について（営業部）", chunk=16)
    subject = "\n ".join(words)
    name = ew1("売上集計表.xls")
    data = b"\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1" + bytes((i * 7 + 3) & 0xFF for i in range(900))
    boundary = "------_4B2C8F1D00000000A3C1_MULTIPART_MIXED_"
    return message("""Return-Path: <kazuo@example.co.jp>
Received: from [192.0.2.88] (unknown [192.0.2.88])
	by mail.example.co.jp (Postfix) with ESMTP id 3F1A2B3C4D
	for <sales@example.co.jp>; Fri, 16 Jul 2004 18:40:33 +0900 (JST)
Date: Fri, 16 Jul 2004 18:40:29 +0900
From: =?ISO-2022-JP?B?GyRCRURDZhsoQiAbJEJPQklXGyhC?= <kazuo@example.co.jp>
To: sales@example.co.jp
Subject: %s
Message-Id: <20040716184029.8C1D.KAZUO@example.co.jp>
MIME-Version: 1.0
Content-Type: multipart/mixed;
 boundary="%s"
X-Mailer: Becky! ver. 2.10.01 [ja]

--%s
Content-Type: text/plain; charset="ISO-2022-JP"
Content-Transfer-Encoding: 7bit

%s
--%s
Content-Transfer-Encoding: base64
Content-Type: application/vnd.ms-excel;
 name="%s"
Content-Disposition: attachment;
 filename="%s"

%s

--%s--
""" % (subject, boundary, boundary, jis_str(body), boundary, name, name, b64_lines(data), boundary))


@sample
def eucjp_mew():
    body = jis_safe("""山田さん、

> 新しいサーバの設定はいつ頃終わりそうですか。

今週中には終わる予定です。/etc の下の設定ファイルは
一通り見直しました。残りはメールの転送設定だけです。

--- 高橋
""")
    return message("""Return-Path: <takahashi@lab.example.ac.jp>
Received: from localhost (ws12.lab.example.ac.jp [198.51.100.12])
	by mail.lab.example.ac.jp (8.9.3/3.7W) with ESMTP id VAA01234
	for <taro@example.jp>; Tue, 12 Sep 2000 21:03:45 +0900 (JST)
To: taro@example.jp
Subject: %s
From: Takahashi Ken <takahashi@lab.example.ac.jp>
In-Reply-To: <20000912.180102.71084531.taro@example.jp>
References: <20000912.180102.71084531.taro@example.jp>
X-Mailer: Mew version 1.94.2 on Emacs 20.7 / Mule 4.0 (HANANOEN)
Mime-Version: 1.0
Content-Type: Text/Plain; charset=euc-jp
Content-Transfer-Encoding: 8bit
Message-Id: <20000912210345O.takahashi@lab.example.ac.jp>
Date: Tue, 12 Sep 2000 21:03:45 +0900
Lines: 8

@BODY@""" % ("Re: " + ew1("サーバの設定")), body.encode("euc_jp"))


@sample
def uuencode_inline_old_mailer():
    listing = "\r\n".join(["品番,品名,数量", "A-101,ノート,20", "A-102,ボールペン,45", "B-201,封筒,300"]).encode("cp932")
    text = jis_safe("""伊藤です。

先月分の発注一覧を uuencode して付けます。

""") + uu_block("order.csv", listing) + jis_safe("""

よろしくお願いします。
""")
    return message("""Return-Path: <ito@example.or.jp>
Received: from ito.example.or.jp (ito.example.or.jp [203.0.113.30]) by mail.example.jp (8.8.8/3.6W) with SMTP id KAA00987 for <taro@example.jp>; Thu, 2 Apr 1998 10:21:07 +0900 (JST)
Date: Thu, 02 Apr 1998 10:20:55 +0900
From: ito@example.or.jp (Ito Masaru)
To: taro@example.jp
Subject: %s
Message-Id: <199804020120.KAA00321@ito.example.or.jp>
X-Mailer: Winbiff [Version 2.20 PL2]

@BODY@""" % ew1("発注一覧"), jis_encode(text))


@sample
def halfwidth_kana_jis():
    body = jis_safe("""ｺﾝﾆﾁﾊ、ﾔﾏﾀﾞです。
ｹｰﾀｲから送っているので半角ｶﾅですみません。
明日の集合は１０時にｴｷﾏｴでお願いします。
""")
    return message("""Return-Path: <yamada@example.ne.jp>
Received: from mail.example.ne.jp (mail.example.ne.jp [192.0.2.60])
	by mx.example.jp with ESMTP id j5P9a0u0001234
	for <taro@example.jp>; Sat, 25 Jun 2005 18:40:00 +0900
Date: Sat, 25 Jun 2005 18:39:52 +0900
From: yamada@example.ne.jp
To: taro@example.jp
Subject: %s
Message-ID: <20050625183952.77E1.YAMADA@example.ne.jp>
MIME-Version: 1.0
Content-Type: text/plain; charset=ISO-2022-JP
Content-Transfer-Encoding: 7bit
X-Mailer: Shuriken Pro3 3.0.1

@BODY@""" % ew1("ｱｼﾀﾉｼｭｳｺﾞｳ"), jis_encode(body))


@sample
def nec_specials_jis():
    body = """お取引先各位

㈱サンプル商事の中村です。
下記のとおり移転いたします。

① 新住所：東京都千代田区…（No.は№１２）
② 電話番号：℡ 03-0000-0000
③ 移転日：平成１６年８月２日（月）

㍉単位の図面は後日お送りします。
"""
    return message("""Return-Path: <nakamura@example.co.jp>
Received: from nakamura ([192.0.2.91]) by mail.example.co.jp
	(Microsoft Exchange Server) with SMTP id 0123456789abcdef; Tue, 20 Jul 2004 11:05:12 +0900
Message-ID: <000a01c46e0d$5a1b2c30$5b0200c0@nakamura>
From: "=?iso-2022-jp?B?GyRCQ2ZCPBsoQiAbJEJPQjtSGyhC?=" <nakamura@example.co.jp>
To: <customers@example.co.jp>
Subject: %s
Date: Tue, 20 Jul 2004 11:05:09 +0900
MIME-Version: 1.0
Content-Type: text/plain;
	charset="iso-2022-jp"
Content-Transfer-Encoding: 7bit
X-Priority: 3
X-MSMail-Priority: Normal
X-Mailer: Microsoft Outlook Express 6.00.2800.1437
X-MimeOLE: Produced By Microsoft MimeOLE V6.00.2800.1441

@BODY@""" % "\n\t".join(ew("事務所移転のお知らせ（㈱サンプル商事）", "iso-2022-jp", chunk=12)), jis_encode(body))


# ---------------------------------------------------------------- modern --

def html_of(paragraphs, charset="utf-8"):
    inner = "\n".join("<div>%s</div>" % p.replace("\n", "<br>\n") if p else "<div><br></div>" for p in paragraphs)
    return '<div dir="ltr">\n%s\n</div>\n' % inner


@sample
def gmail_utf8_base64():
    plain = jis_safe("""花子さん

写真の共有ありがとうございます。
週末のバーベキュー、とても楽しかったです。

次回は秋に紅葉を見に行きましょう。

太郎
""")
    html = html_of(plain.rstrip("\n").split("\n\n"))
    boundary = "0000000000004e2a1b0583392f6c"
    return message("""Delivered-To: hanako@example.com
Received: by 2002:a17:90a:e7c5:0:0:0:0 with SMTP id x5csp2195422pjy;
        Sun, 3 Mar 2019 17:15:45 -0800 (PST)
X-Received: by 2002:a19:7e0c:: with SMTP id z12mr9127383lfc.83.1551662145301;
        Sun, 03 Mar 2019 17:15:45 -0800 (PST)
DKIM-Signature: v=1; a=rsa-sha256; c=relaxed/relaxed;
        d=example.com; s=20161025;
        h=mime-version:references:in-reply-to:from:date:message-id:subject:to;
        bh=47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU=;
        b=Vw3k9aPq0c2Lx8bq1Zf5nH0yJ2mR4tD7sE6uK9wX3vB1cN8aQ5pL2jF0hG7dS4oI
MIME-Version: 1.0
References: <CAF1xH9q2Lb8=Zt0pQm4vWc7Ea3kR5sN6uD2yJ8oX1gB9hT4mKw@mail.gmail.com>
In-Reply-To: <CAF1xH9q2Lb8=Zt0pQm4vWc7Ea3kR5sN6uD2yJ8oX1gB9hT4mKw@mail.gmail.com>
From: %s <taro.yamada@example.com>
Date: Mon, 4 Mar 2019 10:15:32 +0900
Message-ID: <CAKx7Qm4d3f2bVxJ0Yq9c_pLh8r=Tn6XfE1Jk2uWm-A0sZ9vB3w@mail.gmail.com>
Subject: %s
To: =?UTF-8?B?6Yi05pyo6Iqx5a2Q?= <hanako@example.com>
Content-Type: multipart/alternative; boundary="%s"

--%s
Content-Type: text/plain; charset="UTF-8"
Content-Transfer-Encoding: base64

%s
--%s
Content-Type: text/html; charset="UTF-8"
Content-Transfer-Encoding: base64

%s
--%s--
""" % (ew1("山田太郎", "UTF-8", "B", "utf-8"), ew1("Re: 週末の写真", "UTF-8", "B", "utf-8"), boundary, boundary,
       b64_lines(crlf(plain.encode("utf-8"))), boundary, b64_lines(crlf(html.encode("utf-8"))), boundary))


@sample
def apple_mail_utf8_qp():
    plain = jis_safe("""山田さん

お世話になっております。来月の展示会の件でご連絡しました。ブースの配置図が確定しましたので、搬入の時間と場所をあらためてお知らせします。

搬入：10月3日（木）8時から10時
場所：東ホール 裏口

よろしくお願いいたします。
鈴木
""")
    html = ('<html><head><meta http-equiv="Content-Type" content="text/html; charset=utf-8"></head>'
            '<body style="word-wrap: break-word; -webkit-nbsp-mode: space; line-break: after-white-space;" '
            'class="">' + "".join("<div class=\"\">%s</div>" % line if line else "<div class=\"\"><br class=\"\"></div>"
                                  for line in plain.rstrip("\n").split("\n")) + "</body></html>")
    boundary = "Apple-Mail=_5F3C2A1B-8D4E-4B6A-9C7F-2E1D0A3B4C5D"
    return message("""Return-Path: <suzuki@example.jp>
Received: from smtpclient.apple ([203.0.113.45])
        by smtp.example.jp with ESMTPSA id t3sm1204833pgk.12
        for <yamada@example.co.jp>
        (version=TLS1_3 cipher=TLS_AES_128_GCM_SHA256 bits=128/128);
        Wed, 25 Sep 2019 16:42:20 -0700 (PDT)
From: =?utf-8?B?6Yi05pyoIOS4gOmDjg==?= <suzuki@example.jp>
Content-Type: multipart/alternative;
	boundary="%s"
Mime-Version: 1.0 (Mac OS X Mail 12.4 \\(3445.104.11\\))
Subject: %s
Message-Id: <8B1C2D3E-4F50-4A6B-9C7D-8E9F0A1B2C3D@example.jp>
Date: Thu, 26 Sep 2019 08:42:13 +0900
To: =?utf-8?B?5bGx55Sw5aSq6YOO?= <yamada@example.co.jp>
X-Mailer: Apple Mail (2.3445.104.11)


--%s
Content-Transfer-Encoding: quoted-printable
Content-Type: text/plain;
	charset=utf-8

%s
--%s
Content-Transfer-Encoding: quoted-printable
Content-Type: text/html;
	charset=utf-8

%s
--%s--
""" % (boundary, ew1("展示会の搬入について", "utf-8", "B", "utf-8"), boundary, qp_text(plain.encode("utf-8")), boundary,
       qp_text(html.encode("utf-8")), boundary))


@sample
def apple_mail_rfc2231_name():
    text = jis_safe("""山田さん

議事録をお送りします。
""")
    name = "議事録_0612.pdf"
    boundary = "Apple-Mail=_0A1B2C3D-4E5F-4061-8273-9485A6B7C8D9"
    q_name = "".join(ew(name, "utf-8", "Q", "utf-8"))
    return message("""Return-Path: <suzuki@example.jp>
Received: from smtpclient.apple ([203.0.113.45])
        by smtp.example.jp with ESMTPSA id b2sm2231187pjz.30
        for <yamada@example.co.jp>
        (version=TLS1_3 cipher=TLS_AES_128_GCM_SHA256 bits=128/128);
        Fri, 12 Jun 2020 02:31:07 -0700 (PDT)
From: =?utf-8?B?6Yi05pyoIOS4gOmDjg==?= <suzuki@example.jp>
Content-Type: multipart/mixed;
	boundary="%s"
Mime-Version: 1.0 (Mac OS X Mail 13.4 \\(3608.80.23.2.2\\))
Subject: %s
Message-Id: <3E4F5A6B-7C8D-4E9F-A0B1-C2D3E4F5A6B7@example.jp>
Date: Fri, 12 Jun 2020 18:31:02 +0900
To: =?utf-8?B?5bGx55Sw5aSq6YOO?= <yamada@example.co.jp>
X-Mailer: Apple Mail (2.3608.80.23.2.2)


--%s
Content-Transfer-Encoding: base64
Content-Type: text/plain;
	charset=utf-8

%s

--%s
Content-Disposition: attachment;
	filename*=utf-8''%s
Content-Type: application/pdf;
	x-unix-mode=0644;
	name="%s"
Content-Transfer-Encoding: base64

%s
--%s--
""" % (boundary, ew1("議事録", "utf-8", "B", "utf-8"), boundary, b64_lines(text.encode("utf-8")), boundary,
       "".join("%%%02X" % b if b >= 0x80 else chr(b) for b in name.encode("utf-8")), q_name,
       b64_lines(tiny_pdf("minutes")), boundary))


@sample
def thunderbird_alternative():
    plain = jis_safe("""各位

来週のリリース作業の手順を共有します。

1. 月曜日 10:00 にステージング環境へ反映
2. 火曜日に確認テスト
3. 水曜日 22:00 に本番反映

質問があれば返信してください。
""")
    html = ("<html>\n  <head>\n    <meta http-equiv=\"content-type\" content=\"text/html; charset=UTF-8\">\n  </head>\n"
            "  <body>\n    <p>各位</p>\n    <p>来週のリリース作業の手順を共有します。</p>\n    <ol>\n"
            "      <li>月曜日 10:00 にステージング環境へ反映</li>\n      <li>火曜日に確認テスト</li>\n"
            "      <li>水曜日 22:00 に本番反映</li>\n    </ol>\n    <p>質問があれば返信してください。<br>\n"
            "    </p>\n  </body>\n</html>\n")
    boundary = "------------5C9A1E3F7B2D4806A1C3E5F7"
    return message("""Return-Path: <kimura@example.org>
Received: from [192.168.1.23] (p1234567-ipngn100.example.ne.jp [198.51.100.77])
	by mail.example.org (Postfix) with ESMTPSA id 4A1B2C3D5E
	for <dev@example.org>; Fri,  8 Nov 2019 18:03:41 +0900 (JST)
To: dev@example.org
From: =?UTF-8?B?5pyo5p2RIOaCoA==?= <kimura@example.org>
Subject: %s
Message-ID: <1a2b3c4d-5e6f-7a8b-9c0d-1e2f3a4b5c6d@example.org>
Date: Fri, 8 Nov 2019 18:03:39 +0900
User-Agent: Mozilla/5.0 (Windows NT 10.0; Win64; x64; rv:60.0) Gecko/20100101
 Thunderbird/60.9.0
MIME-Version: 1.0
Content-Type: multipart/alternative;
 boundary="%s"
Content-Language: ja

This is a multi-part message in MIME format.
--%s
Content-Type: text/plain; charset=utf-8; format=flowed
Content-Transfer-Encoding: 8bit

%s
--%s
Content-Type: text/html; charset=utf-8
Content-Transfer-Encoding: 8bit

@BODY@
--%s--
""" % (ew1("リリース手順の共有", "UTF-8", "B", "utf-8"), boundary, boundary, "@PLAIN@", boundary, boundary),
                   html.encode("utf-8")).replace(b"@PLAIN@", plain.encode("utf-8"))


@sample
def outlook_alternative_crlf():
    plain = jis_safe("""小林様

いつもお世話になっております。
株式会社サンプルの渡辺でございます。

ご依頼いただいたお見積りを本日中にお送りいたします。
今しばらくお待ちください。

渡辺
""")
    html = ("<html xmlns:o=\"urn:schemas-microsoft-com:office:office\">\n<head>\n"
            "<meta http-equiv=Content-Type content=\"text/html; charset=iso-2022-jp\">\n"
            "<style>\n<!--\np.MsoNormal\n\t{margin:0mm;\n\tfont-size:10.5pt;\n"
            "\tfont-family:\"MS 明朝\";}\n-->\n</style>\n"
            "</head>\n<body lang=JA>\n<div class=Section1>\n" +
            "".join("<p class=MsoNormal>%s</p>\n" % (line or "&nbsp;") for line in plain.rstrip("\n").split("\n")) +
            "</div>\n</body>\n</html>\n")
    boundary = "----=_NextPart_000_0001_01C7F3A2.5B6C7D80"
    return crlf(message("""Received: from WATANABE01 ([192.0.2.120]) by mail.example.co.jp with Microsoft SMTPSVC(6.0.3790.3959);
	 Tue, 14 Aug 2007 15:22:48 +0900
From: =?iso-2022-jp?B?GyRCRU9KVRsoQg==?= <watanabe@example.co.jp>
To: =?iso-2022-jp?B?GyRCPi5OUxsoQg==?= <kobayashi@example.com>
Subject: %s
Date: Tue, 14 Aug 2007 15:22:45 +0900
Message-ID: <000001c7de46$1a2b3c40$7800a8c0@WATANABE01>
MIME-Version: 1.0
Content-Type: multipart/alternative;
	boundary="%s"
X-Mailer: Microsoft Office Outlook 12.0
Thread-Index: AcfeRhorPEBqUq1dRZ6ZxW0b9Yc1Ng==
Content-Language: ja

This is a multi-part message in MIME format.

--%s
Content-Type: text/plain;
	charset="iso-2022-jp"
Content-Transfer-Encoding: 7bit

%s
--%s
Content-Type: text/html;
	charset="iso-2022-jp"
Content-Transfer-Encoding: quoted-printable

%s
--%s--

""" % (ew1("お見積りの件", "iso-2022-jp"), boundary, boundary, jis_str(plain), boundary,
       qp_text(jis_encode(html)), boundary)))


@sample
def html_only_newsletter():
    html = """<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.0 Transitional//EN" "http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd">
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=utf-8">
<title>サンプル書店 メールマガジン</title>
<style type="text/css">
body { font-family: "Hiragino Kaku Gothic Pro", Meiryo, sans-serif; color: #333333; }
.title { font-size: 18px; font-weight: bold; }
</style>
<script type="text/javascript">
window.onload = function () { alert("ようこそ"); trackOpen("nl-2015-04"); };
</script>
</head>
<body>
<table width="600" cellpadding="0" cellspacing="0" border="0">
<tr><td class="title">サンプル書店 メールマガジン 第128号</td></tr>
<tr><td>
<p>いつもサンプル書店をご利用いただき、ありがとうございます。</p>
<p>今月の新刊&nbsp;&amp;&nbsp;おすすめ:</p>
<p>春の文庫フェア開催中<br>
対象の文庫を2冊買うとブックカバーを1枚プレゼント。</p>
<p>Q&amp;A コーナーは来月号に掲載します。</p>
</td></tr>
<tr><td>
<table><tr><td>書名</td><td>価格</td></tr><tr><td>春の庭</td><td>680円</td></tr></table>
</td></tr>
</table>
<p>配信停止はこちらから&nbsp;: https://www.example.com/unsubscribe</p>
</body>
</html>
"""
    return message("""Return-Path: <news-bounce@mail.example.com>
Received: from mta12.mail.example.com (mta12.mail.example.com [203.0.113.12])
	by mx.example.jp (Postfix) with ESMTP id 6E5D4C3B2A
	for <taro@example.jp>; Fri, 17 Apr 2015 12:00:07 +0900 (JST)
Date: Fri, 17 Apr 2015 12:00:03 +0900 (JST)
From: =?UTF-8?B?44K144Oz44OX44Or5pu45bqX?= <news@example.com>
Reply-To: no-reply@example.com
To: taro@example.jp
Message-ID: <1429239603.128.nl@mail.example.com>
Subject: %s
MIME-Version: 1.0
Content-Type: text/html; charset=UTF-8
Content-Transfer-Encoding: quoted-printable
List-Unsubscribe: <https://www.example.com/unsubscribe?u=12345>
X-Mailer: MailMagazine Pro 3.2

%s""" % ("\n ".join(ew("【サンプル書店】春の文庫フェアのお知らせ", "UTF-8", "B", "utf-8", chunk=12)), qp_text(html.encode("utf-8"))))


@sample
def mixed_alternative_two_attachments():
    plain = jis_safe("""佐々木さん

お疲れさまです。見積書と現場の写真を送ります。
見積書のファイル名が長いので、開けなかったら教えてください。
""")
    html = ("<html>\n  <head>\n    <meta http-equiv=\"content-type\" content=\"text/html; charset=UTF-8\">\n"
            "  </head>\n  <body>\n" + "".join("    <p>%s</p>\n" % p.replace("\n", "<br>\n")
                                          for p in plain.rstrip("\n").split("\n\n")) + "  </body>\n</html>\n")
    pdf_name = "2018年度_第3四半期_お見積書（改訂版）.pdf"
    pdf = tiny_pdf("estimate")
    jpg = fake_jpeg(1)
    outer = "------------0E8F4A2C6D1B3E5A7C9F0B2D"
    inner = "------------A1C3E5F7092B4D6F8A0C2E4B"
    return message("""Return-Path: <ito@example.org>
Received: from [10.0.0.5] (unknown [203.0.113.9])
	by mail.example.org (Postfix) with ESMTPSA id 9C8B7A6F5E
	for <sasaki@example.co.jp>; Mon, 22 Oct 2018 09:31:55 +0900 (JST)
To: sasaki@example.co.jp
From: Ito Jun <ito@example.org>
Subject: %s
Message-ID: <5d6e7f80-91a2-4b3c-8d4e-5f6a7b8c9d0e@example.org>
Date: Mon, 22 Oct 2018 09:31:52 +0900
User-Agent: Mozilla/5.0 (Macintosh; Intel Mac OS X 10.13; rv:60.0)
 Gecko/20100101 Thunderbird/60.2.1
MIME-Version: 1.0
Content-Type: multipart/mixed;
 boundary="%s"
Content-Language: ja

This is a multi-part message in MIME format.
--%s
Content-Type: multipart/alternative;
 boundary="%s"


--%s
Content-Type: text/plain; charset=utf-8; format=flowed
Content-Transfer-Encoding: base64

%s

--%s
Content-Type: text/html; charset=utf-8
Content-Transfer-Encoding: base64

%s

--%s--

--%s
Content-Type: application/pdf;
 name="%s"
Content-Transfer-Encoding: base64
Content-Disposition: attachment;
 %s

%s
--%s
Content-Type: image/jpeg;
 name="genba_0921.jpg"
Content-Transfer-Encoding: base64
Content-Disposition: attachment;
 filename="genba_0921.jpg"

%s
--%s--
""" % (ew1("見積書と写真", "UTF-8", "B", "utf-8"), outer, outer, inner, inner, b64_lines(plain.encode("utf-8")), inner,
       b64_lines(html.encode("utf-8")), inner, outer, "\n ".join(ew(pdf_name, "UTF-8", "B", "utf-8", chunk=12)),
       rfc2231_params("filename", pdf_name), b64_lines(pdf), outer, b64_lines(jpg), outer))


@sample
def related_inline_image():
    plain = jis_safe("""新店舗オープンのお知らせ

4月1日、駅前に新しいお店を開きます。
地図は下の画像をご覧ください。
""")
    html = ("<html><body><p>新店舗オープンのお知らせ</p>\n<p>4月1日、駅前に新しいお店を開きます。<br>\n"
            "地図は下の画像をご覧ください。</p>\n<p><img src=\"cid:image001.png@01D1A2B3.C4D5E6F0\" "
            "width=\"16\" height=\"16\" alt=\"地図\"></p>\n</body></html>\n")
    rel = "----=_NextPart_000_0012_01D1A2B3.C4D5E6F0"
    alt = "----=_NextPart_001_0013_01D1A2B3.C4D5E6F0"
    return message("""Received: from OKADA-PC (203.0.113.50) by mail.example.co.jp (192.0.2.8) with
 Microsoft SMTP Server id 14.3.266.1; Thu, 17 Mar 2016 10:05:33 +0900
From: =?iso-2022-jp?B?GyRCMixFRBsoQg==?= <okada@example.co.jp>
To: <customers@example.co.jp>
Subject: %s
Date: Thu, 17 Mar 2016 10:05:30 +0900
Message-ID: <001201d17fe9$5a6b7c80$0f8d6d80$@example.co.jp>
MIME-Version: 1.0
Content-Type: multipart/related;
	type="multipart/alternative";
	boundary="%s"
X-Mailer: Microsoft Outlook 15.0
Thread-Index: AdF/6VprfIAPjW2AnH2KqY1fTwTz0A==
Content-Language: ja

This is a multipart message in MIME format.

--%s
Content-Type: multipart/alternative;
	boundary="%s"


--%s
Content-Type: text/plain;
	charset="iso-2022-jp"
Content-Transfer-Encoding: 7bit

%s
--%s
Content-Type: text/html;
	charset="iso-2022-jp"
Content-Transfer-Encoding: quoted-printable

%s
--%s--

--%s
Content-Type: image/png;
	name="image001.png"
Content-Transfer-Encoding: base64
Content-ID: <image001.png@01D1A2B3.C4D5E6F0>

%s

--%s--

""" % (ew1("新店舗オープンのお知らせ", "iso-2022-jp"), rel, rel, alt, alt, jis_str(plain), alt, qp_text(jis_encode(html)),
       alt, rel, b64_lines(tiny_png(2)), rel))


@sample
def forwarded_rfc822_with_attachment():
    inner_text = jis_safe("""営業部の皆さん

会議の議事録を添付します。
""")
    inner_boundary = "------------080905060708090A0B0C0D0E"
    inner = """Return-Path: <mori@example.co.jp>
Message-ID: <4A1B2C3D.5060708@example.co.jp>
Date: Mon, 18 May 2009 17:20:11 +0900
From: =?ISO-2022-JP?B?GyRCPzkbKEIgGyRCTTQ7UhsoQg==?= <mori@example.co.jp>
User-Agent: Thunderbird 2.0.0.21 (Windows/20090302)
MIME-Version: 1.0
To: sales@example.co.jp
Subject: %s
Content-Type: multipart/mixed;
 boundary="%s"

This is a multi-part message in MIME format.
--%s
Content-Type: text/plain; charset=ISO-2022-JP
Content-Transfer-Encoding: 7bit

%s
--%s
Content-Type: text/plain;
 name="minutes_0518.txt"
Content-Transfer-Encoding: base64
Content-Disposition: attachment;
 filename="minutes_0518.txt"

%s
--%s--
""" % (ew1("5月18日の議事録"), inner_boundary, inner_boundary, jis_str(inner_text), inner_boundary,
       b64_lines("議事録\r\n1. 新商品の価格\r\n2. 展示会の担当\r\n".encode("cp932")), inner_boundary)
    outer_text = jis_safe("""小川さん

森さんからのメールを転送します。議事録が付いています。
""")
    boundary = "------------010203040506070809000A0B"
    return message("""Return-Path: <taro@example.co.jp>
Message-ID: <4A1F0E2D.3040506@example.co.jp>
Date: Thu, 21 May 2009 09:12:45 +0900
From: =?ISO-2022-JP?B?GyRCOzNFRBsoQiAbJEJCQE86GyhC?= <taro@example.co.jp>
User-Agent: Thunderbird 2.0.0.21 (Windows/20090302)
MIME-Version: 1.0
To: ogawa@example.co.jp
Subject: %s
Content-Type: multipart/mixed;
 boundary="%s"

This is a multi-part message in MIME format.
--%s
Content-Type: text/plain; charset=ISO-2022-JP
Content-Transfer-Encoding: 7bit

%s
--%s
Content-Type: message/rfc822
Content-Disposition: inline

%s
--%s--
""" % ("Fwd: " + ew1("5月18日の議事録"), boundary, boundary, jis_str(outer_text), boundary, inner, boundary))


@sample
def mailman_footer():
    text = jis_safe("""皆さん、こんにちは。

次回の勉強会は 6月 12日（土）13時からです。
テーマは「Python で作る小さなツール」です。
""")
    footer = """_______________________________________________
study-ml mailing list
study-ml@lists.example.org
http://lists.example.org/mailman/listinfo/study-ml"""
    boundary = "===============1735918260482630947=="
    return message("""Return-Path: <study-ml-bounces@lists.example.org>
Received: from lists.example.org (localhost [127.0.0.1])
	by lists.example.org (Postfix) with ESMTP id 2B3C4D5E6F
	for <taro@example.jp>; Mon, 31 May 2010 21:45:12 +0900 (JST)
Date: Mon, 31 May 2010 21:45:02 +0900
From: Hayashi Kei <hayashi@example.net>
To: study-ml@lists.example.org
Message-ID: <20100531214502.A1B2.HAYASHI@example.net>
MIME-Version: 1.0
Subject: [study-ml 0342] %s
X-BeenThere: study-ml@lists.example.org
X-Mailman-Version: 2.1.12
Precedence: list
List-Id: <study-ml.lists.example.org>
List-Unsubscribe: <http://lists.example.org/mailman/options/study-ml>,
	<mailto:study-ml-request@lists.example.org?subject=unsubscribe>
List-Post: <mailto:study-ml@lists.example.org>
Content-Type: multipart/mixed; boundary="%s"
Sender: study-ml-bounces@lists.example.org
Errors-To: study-ml-bounces@lists.example.org

--%s
Content-Type: text/plain; charset="iso-2022-jp"
MIME-Version: 1.0
Content-Transfer-Encoding: 7bit
Content-Disposition: inline

%s
--%s
Content-Type: text/plain; charset="us-ascii"
MIME-Version: 1.0
Content-Transfer-Encoding: 7bit
Content-Disposition: inline

%s

--%s--
""" % (ew1("次回の勉強会"), boundary, boundary, jis_str(text), boundary, footer, boundary))


@sample
def bounce_report():
    boundary = "A3F21C0B4D.1278563412/mail.example.jp"
    status = """Reporting-MTA: dns; mail.example.jp
X-Postfix-Queue-ID: A3F21C0B4D
X-Postfix-Sender: rfc822; taro@example.jp
Arrival-Date: Thu,  8 Jul 2010 13:30:09 +0900 (JST)

Final-Recipient: rfc822; nobody@example.com
Original-Recipient: rfc822;nobody@example.com
Action: failed
Status: 5.1.1
Remote-MTA: dns; mx.example.com
Diagnostic-Code: smtp; 550 5.1.1 <nobody@example.com>: Recipient address
    rejected: User unknown in local recipient table
"""
    return message("""Return-Path: <>
Received: by mail.example.jp (Postfix)
	id A3F21C0B4D; Thu,  8 Jul 2010 13:30:12 +0900 (JST)
Date: Thu,  8 Jul 2010 13:30:12 +0900 (JST)
From: MAILER-DAEMON@mail.example.jp (Mail Delivery System)
Subject: Undelivered Mail Returned to Sender
To: taro@example.jp
Auto-Submitted: auto-replied
MIME-Version: 1.0
Content-Type: multipart/report; report-type=delivery-status;
	boundary="%s"
Message-Id: <20100708043012.B7C6D0E1F2@mail.example.jp>

This is a MIME-encapsulated message.

--%s
Content-Description: Notification
Content-Type: text/plain; charset=us-ascii

This is the mail system at host mail.example.jp.

I'm sorry to have to inform you that your message could not
be delivered to one or more recipients. It's attached below.

                   The mail system

<nobody@example.com>: host mx.example.com[203.0.113.25] said: 550 5.1.1
    <nobody@example.com>: Recipient address rejected: User unknown in local
    recipient table (in reply to RCPT TO command)

--%s
Content-Description: Delivery report
Content-Type: message/delivery-status

%s
--%s
Content-Description: Undelivered Message Headers
Content-Type: text/rfc822-headers

Received: from taro-pc (unknown [192.0.2.33])
	by mail.example.jp (Postfix) with ESMTP id A3F21C0B4D
	for <nobody@example.com>; Thu,  8 Jul 2010 13:30:09 +0900 (JST)
Date: Thu, 08 Jul 2010 13:30:05 +0900
From: taro@example.jp
To: nobody@example.com
Subject: =?ISO-2022-JP?B?GyRCJDQwJzsiGyhC?=
Message-Id: <20100708133005.5E4F.TARO@example.jp>

--%s--
""" % (boundary, boundary, boundary, status, boundary, boundary))


@sample
def latin1_from_and_body():
    body = """Hei Taro,

takk for sist! Jørn Støylen her. Vi sees på møtet i Tromsø
neste uke; jeg tar med blåbærsyltetøy til alle.

Hilsen
Jørn Støylen
"""
    return message("""Return-Path: <jorn@example.no>
Received: from [192.0.2.200] (ti0123a400-0456.example.no [192.0.2.200])
	by smtp.example.no (8.13.8/8.13.8) with ESMTP id m1EAq2xT021456
	for <taro@example.jp>; Thu, 14 Feb 2008 11:52:04 +0100
Message-ID: <47B41E83.6000405@example.no>
Date: Thu, 14 Feb 2008 11:52:03 +0100
From: =?ISO-8859-1?Q?J=F8rn_St=F8ylen?= <jorn@example.no>
User-Agent: Thunderbird 2.0.0.12 (Windows/20080213)
MIME-Version: 1.0
To: taro@example.jp
Subject: =?ISO-8859-1?Q?M=F8tet_i_Troms=F8?=
Content-Type: text/plain; charset=ISO-8859-1; format=flowed
Content-Transfer-Encoding: quoted-printable

%s""" % qp_text(body.encode("latin-1")))


@sample
def windows1252_smart_quotes():
    body = """Hi Taro,

Thanks for the \u201cquick start\u201d guide \u2013 it\u2019s great.
One thing: the price is \u20ac 120 \u2014 not $ 120\u2026 could you fix that?

Best regards,
Michael
"""
    return message("""Received: from MICHAELPC ([198.51.100.150]) by mail.example.com with Microsoft SMTPSVC(6.0.3790.1830);
	 Tue, 3 Mar 2009 16:10:55 -0500
From: "Michael Brown" <mbrown@example.com>
To: <taro@example.jp>
Subject: =?windows-1252?Q?Your_=93quick_start=94_guide?=
Date: Tue, 3 Mar 2009 16:10:52 -0500
Message-ID: <001e01c99c45$8a9b0c10$9f8c2430$@com>
MIME-Version: 1.0
Content-Type: text/plain;
	charset="windows-1252"
Content-Transfer-Encoding: quoted-printable
X-Mailer: Microsoft Office Outlook 12.0
Thread-Index: AcmcRYqbDBBlLJxYQeS9qNwq0dPsVg==
Content-Language: en-us

%s""" % qp_text(body.encode("cp1252")))


@sample
def koi8r_plain():
    body = """Здравствуйте, Таро!

Спасибо за письмо. Встреча в пятницу в 15:00.

С уважением,
Иван Петров
"""
    return message("""Return-Path: <ivan@example.ru>
Received: from [198.51.100.90] by mail.example.ru with HTTP; Wed, 10 Dec 2008 14:05:00 +0300
Date: Wed, 10 Dec 2008 14:05:00 +0300
From: =?koi8-r?B?%s?= <ivan@example.ru>
To: taro@example.jp
Subject: =?koi8-r?B?%s?=
Message-ID: <493F9FDC.000005.01234@mail.example.ru>
X-Mailer: The Bat! (v3.99.3) Professional
MIME-Version: 1.0
Content-Type: text/plain; charset=koi8-r
Content-Transfer-Encoding: 8bit

@BODY@""" % (base64.b64encode("Иван Петров".encode("koi8_r")).decode(),
              base64.b64encode("Встреча в пятницу".encode("koi8_r")).decode()), body.encode("koi8_r"))


@sample
def gb2312_plain():
    body = """山田先生：

您好！下周的会议改到星期三上午十点。
请准时参加。

王明
"""
    return message("""Received: from wangming (unknown [203.0.113.77])
	by smtp.example.cn (Coremail) with SMTP id AQAAf0Dk1234; Mon, 16 Mar 2009 10:30:12 +0800 (CST)
Date: Mon, 16 Mar 2009 10:30:08 +0800
From: "=?gb2312?B?%s?=" <wangming@example.cn>
To: "taro" <taro@example.jp>
Subject: =?gb2312?B?%s?=
X-mailer: Foxmail 6, 13, 102, 15 [cn]
Mime-Version: 1.0
Message-ID: <200903161030082961234@example.cn>
Content-Type: text/plain;
	charset="gb2312"
Content-Transfer-Encoding: base64

%s
""" % (base64.b64encode("王明".encode("gb2312")).decode(), base64.b64encode("会议时间变更".encode("gb2312")).decode(),
       b64_lines(crlf(body.encode("gb2312")))))


@sample
def big5_plain():
    body = """山田先生您好：

感謝您的來信，資料已經收到了。
下星期再與您聯絡。

陳志明
"""
    return message("""Received: from chen ([192.0.2.150]) by mail.example.tw
	(8.13.1/8.13.1) with SMTP id n2H2A5pL012345; Tue, 17 Mar 2009 10:10:05 +0800
Message-ID: <002101c9a6a1$5f6e7d80$9600c0c0@chen>
From: "=?big5?B?%s?=" <chen@example.tw>
To: <taro@example.jp>
Subject: =?big5?B?%s?=
Date: Tue, 17 Mar 2009 10:10:01 +0800
MIME-Version: 1.0
Content-Type: text/plain;
	charset="big5"
Content-Transfer-Encoding: 8bit
X-Priority: 3
X-MSMail-Priority: Normal
X-Mailer: Microsoft Outlook Express 6.00.2900.5512
X-MimeOLE: Produced By Microsoft MimeOLE V6.00.2900.5579

@BODY@""" % (base64.b64encode("陳志明".encode("big5")).decode(), base64.b64encode("資料已收到".encode("big5")).decode()),
                   body.encode("big5"))


@sample
def euckr_plain():
    body = """야마다 씨, 안녕하세요.

자료 잘 받았습니다. 감사합니다.

김민수
"""
    return message("""Received: from mail.example.kr (mail.example.kr [203.0.113.120])
	by mx.example.jp with ESMTP id n2I1c0aA004567
	for <taro@example.jp>; Wed, 18 Mar 2009 10:12:01 +0900
Date: Wed, 18 Mar 2009 10:11:58 +0900
From: =?EUC-KR?B?%s?= <minsu@example.kr>
To: taro@example.jp
Subject: =?EUC-KR?B?%s?=
Message-ID: <49C04A2E.7080104@example.kr>
MIME-Version: 1.0
Content-Type: text/plain; charset=EUC-KR
Content-Transfer-Encoding: 8bit
X-Mailer: Daum Web Mailer 1.1

@BODY@""" % (base64.b64encode("김민수".encode("euc_kr")).decode(), base64.b64encode("자료 감사합니다".encode("euc_kr")).decode()),
                   body.encode("euc_kr"))


@sample
def emoji_utf8():
    body = jis_safe("""明日の飲み会、楽しみです😀
駅の改札に19時でお願いします🍻
""")
    return message("""Return-Path: <mika@example.com>
Received: from [192.168.0.3] ([198.51.100.201])
        by smtp.example.com with ESMTPSA id d16sm22781234pfn.9
        for <taro@example.jp>
        (version=TLS1_2 cipher=ECDHE-RSA-AES128-GCM-SHA256 bits=128/128);
        Thu, 13 Dec 2018 02:10:44 -0800 (PST)
Content-Type: text/plain;
	charset=utf-8
Content-Transfer-Encoding: quoted-printable
From: =?utf-8?B?576O5ZKM?= <mika@example.com>
Mime-Version: 1.0 (1.0)
Date: Thu, 13 Dec 2018 19:10:41 +0900
Subject: %s
Message-Id: <6C1D2E3F-4A5B-4C6D-8E7F-9A0B1C2D3E4F@example.com>
To: taro@example.jp
X-Mailer: iPhone Mail (16B92)

%s""" % (ew1("明日😀", "utf-8", "B", "utf-8"), qp_text(body.encode("utf-8"))))


@sample
def plain_literal_entities():
    body = """Taro,

In the template, write &nbsp; for a fixed space and &amp; for "&".
Escaped once more it becomes &amp;amp; - do not do that.
Tags like <br> and <p> are typed here as text.
"""
    return message("""Return-Path: <ken@example.org>
Received: from mail.example.org (mail.example.org [192.0.2.77])
	by mx.example.jp with ESMTP id o6E1u2Zb007788
	for <taro@example.jp>; Wed, 14 Jul 2010 10:56:03 +0900
Date: Tue, 13 Jul 2010 18:55:59 -0700
From: Ken Walker <ken@example.org>
To: Taro Yamada <taro@example.jp>
Subject: HTML entities in the template
Message-ID: <20100714015559.GA12345@example.org>
MIME-Version: 1.0
Content-Type: text/plain; charset=us-ascii
Content-Disposition: inline
User-Agent: Mutt/1.5.20 (2009-06-14)

%s""" % body)


@sample
def unnamed_png_part():
    text = jis_safe("""グラフを貼り付けました。
""")
    boundary = "=_5a6b7c8d9e0f1a2b3c4d5e6f7a8b9c0d"
    return message("""Return-Path: <kondo@example.jp>
Received: from webmail.example.jp (webmail.example.jp [192.0.2.15])
	by mail.example.jp (Postfix) with ESMTPA id 1D2E3F4A5B
	for <taro@example.jp>; Thu, 20 Jan 2011 13:14:22 +0900 (JST)
MIME-Version: 1.0
Content-Type: multipart/mixed;
 boundary="%s"
Date: Thu, 20 Jan 2011 13:14:22 +0900
From: kondo@example.jp
To: taro@example.jp
Subject: %s
Message-ID: <4f5e6d7c8b9a0f1e2d3c4b5a69788796@example.jp>
X-Sender: kondo@example.jp
User-Agent: Roundcube Webmail/0.4.2

--%s
Content-Transfer-Encoding: 7bit
Content-Type: text/plain; charset=ISO-2022-JP

%s
--%s
Content-Transfer-Encoding: base64
Content-Type: image/png

%s
--%s--

""" % (boundary, ew1("グラフ"), boundary, jis_str(text), boundary, b64_lines(tiny_png(3)), boundary))


@sample
def body_from_lines():
    text = jis_safe("""林さん

引用の例です。行頭が From の行が二つあります。

From here on the list is archived monthly.
>From the archive of last year:
> 昨年の記録です。
""")
    return message("""Return-Path: <hayashi@example.net>
Received: from mail.example.net (mail.example.net [198.51.100.3])
	by mx.example.jp with ESMTP id p1A2B3C4D005678
	for <taro@example.jp>; Sat, 12 Feb 2011 08:03:11 +0900
Date: Sat, 12 Feb 2011 08:03:09 +0900
From: Hayashi Kei <hayashi@example.net>
To: taro@example.jp
Subject: %s
Message-ID: <20110212080309.C3D4.HAYASHI@example.net>
In-Reply-To: <20110211220000.9A8B.TARO@example.jp>
MIME-Version: 1.0
Content-Type: text/plain; charset=ISO-2022-JP
Content-Transfer-Encoding: 7bit
X-Mailer: Becky! ver. 2.56.05 [ja]

%s""" % ("Re: " + ew1("記録の公開"), jis_str(text)))


# ---------------------------------------------------------- mobile phones --

TINY_GIF = (b"GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00!\xf9\x04\x01\x00\x00\x00\x00,"
            b"\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;")


@sample
def docomo_sjis_image():
    text = jis_safe("""今駅に着きました。
写真送ります！桜がきれいです。
""")
    boundary = "--_Part_20080405_134522_7c1d"
    return message("""Return-Path: <sakura-0405@docomo.ne.jp>
Received: from mfsmax.docomo.ne.jp (mfsmax.docomo.ne.jp [192.0.2.181])
	by mx.example.jp (Postfix) with ESMTP id 5D6E7F8A9B
	for <taro@example.jp>; Sat,  5 Apr 2008 13:45:26 +0900 (JST)
Received: from docomo.ne.jp ([10.0.0.1]) by mfsmax.docomo.ne.jp
	(Sun Java System Messaging Server 6.2-7.05 (built Sep  5 2006)) with ESMTP id
	<0JYV00A1B2C3@mfsmax.docomo.ne.jp> for taro@example.jp; Sat, 05 Apr 2008 13:45:25 +0900 (JST)
Date: Sat, 05 Apr 2008 13:45:22 +0900 (JST)
From: sakura-0405@docomo.ne.jp
Subject: %s
To: taro@example.jp
Message-id: <0JYV00A1B2C4@docomo.ne.jp>
MIME-version: 1.0
Content-type: multipart/mixed; boundary="%s"

--%s
Content-Type: text/plain; charset=Shift_JIS
Content-Transfer-Encoding: 8bit

@BODY@
--%s
Content-Type: image/jpeg; name="sakura.jpg"
Content-Transfer-Encoding: base64
Content-Disposition: attachment; filename="sakura.jpg"

%s
--%s--
""" % (ew1("お花見", "Shift_JIS", "B", "cp932"), boundary, boundary, boundary, b64_lines(fake_jpeg(7, 1200)), boundary),
                   text.encode("cp932"))


@sample
def au_jis_mixed():
    text = jis_safe("""おつかれー
今日の練習の動画とってあるよ。
あとで見てね。
""")
    boundary = "--=_NextPart_ezweb_0411_1812"
    return message("""Return-Path: <kenta.s@ezweb.ne.jp>
Received: from mx.ezweb.ne.jp (mx.ezweb.ne.jp [198.51.100.44])
	by mx.example.jp (Postfix) with ESMTP id 8E9F0A1B2C
	for <taro@example.jp>; Mon, 11 Apr 2011 18:12:40 +0900 (JST)
Date: Mon, 11 Apr 2011 18:12:38 +0900
From: kenta.s@ezweb.ne.jp
To: taro@example.jp
Subject: %s
Message-ID: <a1b2c3d4e5f60718.kenta.s@ezweb.ne.jp>
MIME-Version: 1.0
Content-Type: multipart/mixed;boundary="%s"
Content-Transfer-Encoding: 7bit

--%s
Content-Type: text/plain; charset="ISO-2022-JP"
Content-Transfer-Encoding: 7bit

%s
--%s
Content-Type: image/jpeg; name="pic00012.jpg"
Content-Transfer-Encoding: base64
Content-Disposition: attachment; filename="pic00012.jpg"

%s
--%s--
""" % (ew1("練習"), boundary, boundary, jis_str(text), boundary, b64_lines(fake_jpeg(12, 900)), boundary))


@sample
def softbank_utf8_related():
    plain = jis_safe("""お誕生日おめでとう！
素敵な一年になりますように。
""")
    html = ("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\"></head>"
            "<body><div><img src=\"cid:deco001@softbank.ne.jp\"></div>"
            "<div><font color=\"#ff6699\">お誕生日おめでとう！</font></div><div>素敵な一年になりますように。</div>"
            "</body></html>")
    rel = "--=_SB_Related_3f2e1d0c"
    alt = "--=_SB_Alternative_3f2e1d0d"
    return message("""Return-Path: <nana.t@softbank.ne.jp>
Received: from mx.softbank.ne.jp (mx.softbank.ne.jp [203.0.113.140])
	by mx.example.jp (Postfix) with ESMTP id 3C4D5E6F7A
	for <taro@example.jp>; Thu,  1 Jan 2015 00:00:21 +0900 (JST)
Date: Thu, 01 Jan 2015 00:00:18 +0900
From: nana.t@softbank.ne.jp
To: taro@example.jp
Subject: %s
Message-ID: <20150101000018.0001.nana.t@softbank.ne.jp>
MIME-Version: 1.0
Content-Type: multipart/related;
	type="multipart/alternative";
	boundary="%s"
X-SB-Service: Virus-Checked

--%s
Content-Type: multipart/alternative;
	boundary="%s"

--%s
Content-Type: text/plain; charset="UTF-8"
Content-Transfer-Encoding: base64

%s
--%s
Content-Type: text/html; charset="UTF-8"
Content-Transfer-Encoding: base64

%s
--%s--

--%s
Content-Type: image/gif; name="deco001.gif"
Content-Transfer-Encoding: base64
Content-ID: <deco001@softbank.ne.jp>

%s
--%s--
""" % (ew1("おめでとう", "UTF-8", "B", "utf-8"), rel, rel, alt, alt, b64_lines(plain.encode("utf-8")), alt,
       b64_lines(html.encode("utf-8")), alt, rel, b64_lines(TINY_GIF), rel))


# ------------------------------------------------ faults of the old reader --

def fault_head(subject, msgid, extra="", date="Thu, 03 Jan 2008 10:00:00 +0900"):
    return """Return-Path: <taro@example.jp>
Received: from pc.example.jp ([192.0.2.10]) by mail.example.jp (Postfix) with ESMTP id 1A2B3C4D5E
	for <hanako@example.ne.jp>; %s
Date: %s
From: Taro Yamada <taro@example.jp>
To: hanako@example.ne.jp
Subject: %s
Message-ID: <%s@example.jp>
%sMIME-Version: 1.0
""" % (date, date, subject, msgid, extra)


@sample
def fault_part_headers_on_page():
    return message(fault_head(ew1("部品の見出し"), "fault.part-headers", "X-Mailer: Becky! ver. 2.24.02 [ja]\n") + """\
Content-Type: multipart/mixed;
 boundary="----_=_NextPart_001_01C84DB2"

------_=_NextPart_001_01C84DB2
content-type: text/plain;
 charset="ISO-2022-JP"
content-transfer-encoding: 7bit
content-description: message body

%s
------_=_NextPart_001_01C84DB2--
""" % jis_str("本文だけが表示されるはずです。\n部品の見出し行は表示しません。"))


@sample
def fault_base64_text_not_decoded():
    return message(fault_head(ew1("本文がBase64"), "fault.base64-text") + """\
Content-Type: text/plain; charset=ISO-2022-JP
Content-Transfer-Encoding: base64

%s
""" % b64_lines(jis_encode("Base64 で送られた本文です。\n二行目です。\n")))


@sample
def fault_nested_boundary_in_file():
    inner = """From: Someone <someone@example.com>
Subject: saved message
MIME-Version: 1.0
Content-Type: multipart/mixed; boundary="inner-0001"

--inner-0001
Content-Type: text/plain; charset=us-ascii

text of the saved message
--inner-0001
Content-Type: application/octet-stream; name="inner.bin"
Content-Transfer-Encoding: base64

AAECAwQFBgc=
--inner-0001--"""
    return message(fault_head(ew1("保存したメールを添付"), "fault.nested-boundary") + """\
Content-Type: multipart/mixed; boundary="outer-0001"

--outer-0001
Content-Type: text/plain; charset=ISO-2022-JP

%s
--outer-0001
Content-Type: application/octet-stream; name="saved.txt"
Content-Disposition: attachment; filename="saved.txt"
Content-Transfer-Encoding: 7bit

%s
--outer-0001--
""" % (jis_str("保存したメールをそのまま添付します。"), inner))


@sample
def fault_encoding_before_name():
    return message(fault_head(ew1("報告書"), "fault.encoding-before-name") + """\
Content-Type: multipart/mixed; boundary="------------010506070809"

--------------010506070809
Content-Type: text/plain; charset=ISO-2022-JP
Content-Transfer-Encoding: 7bit

%s
--------------010506070809
Content-Transfer-Encoding: base64
Content-Type: application/pdf;
 name="report.pdf"
Content-Disposition: attachment;
 filename="report.pdf"

%s
--------------010506070809--
""" % (jis_str("報告書を添付します。"), b64_lines(tiny_pdf("report"))))


@sample
def fault_disposition_name_runs_on():
    return message(fault_head("notes", "fault.disposition-name", "X-Mailer: Microsoft Office Outlook 12.0\n") + """\
Content-Type: multipart/mixed; boundary="----=_NextPart_000_0005_01C84E1A.2B3C4D50"

This is a multi-part message in MIME format.

------=_NextPart_000_0005_01C84E1A.2B3C4D50
Content-Type: text/plain; charset="us-ascii"
Content-Transfer-Encoding: 7bit

Notes attached.
------=_NextPart_000_0005_01C84E1A.2B3C4D50
Content-Type: text/plain; name=notes.txt
Content-Transfer-Encoding: base64
Content-Disposition: attachment; filename=notes.txt; size=27;
	creation-date="Thu, 03 Jan 2008 09:58:12 GMT";
	modification-date="Thu, 03 Jan 2008 09:58:12 GMT"

%s
------=_NextPart_000_0005_01C84E1A.2B3C4D50--
""" % b64_lines(b"first note\r\nsecond note\r\n!!\r\n"[:27]))


@sample
def fault_utf8_encoded_word_raw():
    return message(fault_head(ew1("会議の資料について", "UTF-8", "B", "utf-8"), "fault.utf8-word",
                              "Cc: %s <jiro@example.jp>\n" % ew1("佐藤次郎", "utf-8", "Q", "utf-8")) + """\
Content-Type: text/plain; charset=UTF-8
Content-Transfer-Encoding: 8bit

@BODY@""", "資料は明日送ります。\n".encode("utf-8")).replace(b"From: Taro Yamada", ("From: " + ew1(
        "山田太郎", "utf-8", "B", "utf-8")).encode("ascii"))


@sample
def fault_q_encoded_word_raw():
    return message(fault_head(ew1("今日の 会議", "UTF-8", "Q", "utf-8") + " " + ew1("(変更)", "UTF-8", "Q", "utf-8"),
                              "fault.q-word") + """\
Content-Type: text/plain; charset=UTF-8
Content-Transfer-Encoding: 8bit

@BODY@""", "会議は15時からに変わりました。\n".encode("utf-8")).replace(
        b"From: Taro Yamada <taro@example.jp>",
        ("From: " + ew1("Jørn Støylen", "ISO-8859-1", "Q", "latin-1") + " <jorn@example.no>").encode("ascii"))


@sample
def fault_label_shift_hyphen_jis():
    return message(fault_head(ew1("文字コード名", "Shift-JIS", "B", "cp932"), "fault.shift-hyphen-jis") + """\
Content-Type: text/plain; charset="Shift-JIS"
Content-Transfer-Encoding: 8bit

@BODY@""", jis_safe("ラベルが Shift-JIS でも読めます。表示も正しい。\n").encode("cp932"))


@sample
def fault_latin1_body_mojibake():
    return message(fault_head(ew1("Smørbrød", "iso-8859-1", "Q", "latin-1"), "fault.latin1-body") + """\
Content-Type: text/plain; charset=iso-8859-1
Content-Transfer-Encoding: 8bit

@BODY@""", "Smørbrød på fredag, kl. 12.\nHilsen Jørn\n".encode("latin-1"))


@sample
def fault_folded_subject_glued():
    return message(fault_head("Now\n Available!", "fault.folded-subject") + """\
Content-Type: text/plain; charset=us-ascii

The new version is out.
""")


@sample
def fault_blank_continuation_ends_header():
    return message("""Return-Path: <taro@example.jp>
Date: Thu, 03 Jan 2008 10:00:00 +0900
From: Taro Yamada <taro@example.jp>
To: hanako@example.ne.jp,
 
 jiro@example.co.jp
Subject: %s
Message-ID: <fault.blank-continuation@example.jp>
MIME-Version: 1.0
Content-Type: text/plain; charset=ISO-2022-JP

%s
""" % (ew1("空白だけの継続行"), jis_str("見出しは Message-ID まで続きます。")))


@sample
def fault_duplicate_field_last_wins():
    return message(fault_head(ew1("最初の件名"), "fault.duplicate-field") + """\
Subject: %s
Content-Type: text/plain; charset=ISO-2022-JP

%s
""" % (ew1("二つ目の件名"), jis_str("件名が二つあります。最初のものを使います。")))


@sample
def fault_folded_date():
    return message(fault_head("folded date", "fault.folded-date").replace(
        "Date: Thu, 03 Jan 2008 10:00:00 +0900", "Date: Thu,\n 03 Jan 2008 10:00:00 +0900") + """\
Content-Type: text/plain; charset=us-ascii

The Date field is folded after the day name.
""")


@sample
def fault_html_only_raw_markup():
    return message(fault_head(ew1("お知らせ"), "fault.html-only") + """\
Content-Type: text/html; charset=ISO-2022-JP
Content-Transfer-Encoding: 7bit

%s
""" % jis_str("""<html><head><style>p { font-family: serif; }</style></head>
<body><p>本日は休業です。</p><p>明日は&nbsp;10時から営業します。</p>
<p>営業時間&amp;休業日のご案内</p><script>alert("x")</script></body></html>"""))


@sample
def fault_ampersand_not_escaped():
    return message(fault_head("R&D <draft>", "fault.ampersand") + """\
Content-Type: text/plain; charset=us-ascii

Tom & Jerry <tom@example.com> wrote: a<b && c>d, "quoted" & 'single'.
""")


@sample
def fault_inline_uuencode_raw():
    return message(fault_head("file", "fault.inline-uuencode") + """\
Content-Type: text/plain; charset=us-ascii

Here it is:
%s
bye
""" % uu_block("hello.txt", b"Hello, world!\r\n"))


@sample
def fault_quoted_header_line_hides_text():
    return message(fault_head("Re: " + ew1("設定"), "fault.quoted-header", "In-Reply-To: <q.0001@example.ne.jp>\n") + """\
Content-Type: text/plain; charset=ISO-2022-JP
Content-Transfer-Encoding: 7bit

%s
""" % jis_str("""花子さん

> From: Hanako <hanako@example.ne.jp>
> 送ったメールの見出しに
Content-Type: text/plain; charset=Shift_JIS
とあったそうです。この行も本文です。

ここまで全部表示されるはずです。"""))


@sample
def fault_lone_cr_line_ends():
    return lone_cr(message(fault_head(ew1("古いマック"), "fault.lone-cr",
                                      "X-Mailer: Microsoft Outlook Express Macintosh Edition - 5.02 (0417)\n") + """\
Content-Type: text/plain; charset="ISO-2022-JP"
Content-Transfer-Encoding: 7bit

%s
""" % jis_str("行末が CR だけのメールです。\n二行目。\n三行目。")))


@sample
def fault_date_comment_zone():
    # A comment where the zone stands is no zone: the time is shown as written.
    return message(fault_head("date with a comment", "fault.date-comment", date="8 Dec 1991 09:11 (Sunday)") + """\
Content-Type: text/plain; charset=us-ascii

The Date field ends in a comment, not in a zone.
""")


@sample
def fault_date_three_digit_zone():
    # "-600" is six hours west of UTC, written without the leading zero.
    return message(fault_head("three-digit zone", "fault.date-three-digit",
                              date="Mon, 21 Aug 95 13:30:57 -600") + """\
Content-Type: text/plain; charset=us-ascii

The zone has three digits.
""")


@sample
def fault_uuencode_count_beyond_line():
    # "M" promises 45 bytes, the 8 characters after it hold the 6 of "ABCDEF".
    return message(fault_head("short uuencoded line", "fault.uu-count") + """\
Content-Type: text/plain; charset=us-ascii

Here it is:
begin 644 letters.txt
M04)#1$5&
`
end
bye
""")


@sample
def fault_uuencode_debris_ends_attachment():
    # A mailer left a blank and a TAB after data line 90 of 108; the data go on.
    data = fake_jpeg(21, 4834)
    lines = uu_block("photo.jpg", data).split("\n")
    lines[90] += " \t"
    boundary = "------------uu0123456789"
    return message(fault_head("photo", "fault.uu-debris", "X-Mailer: Winbiff [Version 2.31]\n") + """\
Content-Type: multipart/mixed; boundary="%s"

--%s
Content-Type: text/plain; charset=us-ascii

The photo, uuencoded.
--%s
Content-Type: application/octet-stream; name="photo.jpg"
Content-Transfer-Encoding: x-uuencode

%s
--%s--
""" % (boundary, boundary, boundary, "\n".join(lines), boundary))


@sample
def fault_uuencode_stops_at_ampersand_hash():
    # Data line 90 of 108 starts "&#" (the bytes 18 32 63 encode so); the
    # reader writes a "&" before "#" in text as "&#38;" and once took that
    # line for no data line: the file was cut to 4,005 bytes, the rest shown.
    data = bytearray(fake_jpeg(25, 4834))
    data[89 * 45:89 * 45 + 3] = b"\x18\x32\x63"
    block = uu_block("photo.jpg", bytes(data))
    assert [i for i, line in enumerate(block.split("\n")) if "&#" in line] == [90]
    return message(fault_head("photo", "fault.uu-amp-hash", "X-Mailer: Winbiff [Version 2.31]\n") + """\
Content-Type: text/plain; charset=ISO-2022-JP
Content-Transfer-Encoding: 7bit

%s
%s
%s
""" % (jis_str("写真を送ります。"), block, jis_str("よろしく。")))


@sample
def uuencode_four_digit_mode():
    return message(fault_head("four-digit mode", "uu.four-digit") + """\
Content-Type: text/plain; charset=us-ascii

Attached below.
%s
Regards
""" % uu_block("notes.txt", b"Four-digit modes are written by some encoders.\r\n").replace("begin 644", "begin 0644"))


@sample
def fault_unnamed_part_extension():
    # Parts without a name, of types the program's own list lacks.
    boundary = "=_unnamed_0001"
    return message(fault_head("sound and rich text", "fault.unnamed-ext") + """\
Content-Type: multipart/mixed; boundary="%s"

--%s
Content-Type: text/plain; charset=us-ascii

A sound and a rich text file.
--%s
Content-Type: audio/basic
Content-Transfer-Encoding: base64

%s
--%s
Content-Type: text/richtext
Content-Disposition: attachment

<bold>Rich</bold> text.
--%s--
""" % (boundary, boundary, boundary, b64_lines(b".snd" + bytes(range(60))), boundary, boundary))


@sample
def fault_two_content_types_last_won():
    # The first of two fields counts, Content-Type too: the message is
    # multipart, not one text of boundary lines and part headers.
    return message(fault_head("two content types", "fault.two-types") + """\
Content-Type: multipart/mixed; boundary="=_two_types"
Content-Type: text/plain; charset=us-ascii

--=_two_types
Content-Type: text/plain; charset=us-ascii

The text part.
--=_two_types
Content-Type: application/octet-stream; name="data.bin"
Content-Type: text/plain
Content-Transfer-Encoding: base64

%s
--=_two_types--
""" % b64_lines(bytes(range(48))))


@sample
def fault_content_type_without_subtype_saved_as_file():
    return message(fault_head("type without subtype", "fault.type-no-subtype") + """\
Content-Type: text

A Content-Type without a subtype is text/plain in US-ASCII.
""")


@sample
def fault_content_type_unparsable_saved_as_file():
    return message(fault_head("unparsable type", "fault.type-unparsable") + """\
Content-Type: multipart/mixed; boundary="=_unparsable"

--=_unparsable
Content-Type: X-BE2; 12

A type that does not parse is text/plain in US-ASCII.
--=_unparsable
Content-Type: image/png; name="dot.png"
Content-Transfer-Encoding: base64

%s
--=_unparsable--
""" % b64_lines(tiny_png(3, 4)))


@sample
def fault_utf7_not_decoded():
    name = "\u5831\u544a.txt"  # 報告.txt
    return message(fault_head("=?unicode-1-1-utf-7?Q?Hi_Mom_-+Jjo--!?=", "fault.utf7") + """\
Content-Type: multipart/mixed; boundary="=_utf7"

--=_utf7
Content-Type: text/plain; charset=unicode-1-1-utf-7
Content-Transfer-Encoding: 7bit

%s
--=_utf7
Content-Type: text/plain; charset=utf-7; name="%s"
Content-Disposition: attachment; filename="%s"

%s
--=_utf7--
""" % (codecs.encode("\u65e5\u672c\u8a9e\u306e\u30e1\u30fc\u30eb\u3067\u3059\u3002\nA+B=C, 1+1=2.", "utf-7").decode(
        "ascii"), ew1(name, "UTF-7", "Q"), ew1(name, "UTF-7", "Q"), codecs.encode("\u6dfb\u4ed8", "utf-7").decode("ascii")))


@sample
def fault_utf8_labelled_gb2312_mojibake():
    # Five characters of three bytes: the last byte pair GB18030 would take
    # is cut by the line end, so the text is no GB2312 at all.
    return message(fault_head("utf-8 labelled gb2312", "fault.utf8-as-gb2312") + """\
Content-Type: text/plain; charset=gb2312
Content-Transfer-Encoding: 8bit

@BODY@""", "\u4e2d\u6587\u90ae\u4ef6\u3002\nUTF-8 under the GB2312 label.\n".encode("utf-8"))


@sample
def fault_raw_big5_subject_geta():
    # A subject written raw in Big5 by the mailer of a Big5 text.
    subject = "\u6703\u8b70\u8a18\u9304"  # 會議記錄
    raw = message(fault_head("@SUBJECT@", "fault.raw-big5-subject") + """\
Content-Type: text/plain; charset=big5
Content-Transfer-Encoding: 8bit

@BODY@""", ("\u4eca\u5929\u7684" + subject + "\u3002\n").encode("big5"))
    return raw.replace(b"@SUBJECT@", b"Re: " + subject.encode("big5"))


@sample
def fault_html_only_utf16_label_garbage():
    return message(fault_head("html labelled utf-16", "fault.html-utf16-label") + """\
Content-Type: text/html; charset="utf-16"

<html><body><p>The label says UTF-16, the text is ASCII.</p>
<p>Every word of it must show.</p></body></html>
""")


@sample
def fault_attachment_name_8bit_byte_dropped():
    # A Latin-1 byte in a name (no charset says so): "_", never dropped.
    raw = message(fault_head("raw 8-bit name", "fault.name-8bit") + """\
Content-Type: multipart/mixed; boundary="=_name8"

--=_name8
Content-Type: text/plain; charset=us-ascii

The file is named in Latin-1 without saying so.
--=_name8
Content-Type: application/octet-stream
Content-Disposition: attachment; filename="Hasen und Fr@O@sche.txt"
Content-Transfer-Encoding: base64

%s
--=_name8--
""" % b64_lines(b"Hasen und Froesche\n"))
    return raw.replace(b"@O@", b"\xf6")


# A header block ends at an empty line, or else at its first line that is no
# field and no continuation, which is the body's first line (Python's reading).

NO_SEPARATOR = "MissingHeaderBodySeparatorDefect"


@broken_sample(NO_SEPARATOR)
def fault_blank_separator():
    # A line of blanks and a TAB where the empty line belongs: it continues
    # the last field, and the body starts at the line after it.
    return message(fault_head(ew1("空白の区切り行"), "fault.blank-separator") + """\
Content-Type: text/plain; charset=ISO-2022-JP
X-Mailer: Denshin 8 Go V321.2b5
 \t
%s
""" % jis_str("区切りの行は空白だけです。\nこの本文は全部表示されます。"))


@broken_sample(NO_SEPARATOR)
def fault_blank_separator_in_part():
    return message(fault_head(ew1("部品の空白行"), "fault.blank-separator-part") + """\
Content-Type: multipart/mixed; boundary="=_blank"

--=_blank
Content-Type: text/plain; charset=ISO-2022-JP
Content-Transfer-Encoding: 7bit
\x20\x20
%s
--=_blank
Content-Type: application/octet-stream; name="data.bin"
Content-Transfer-Encoding: base64
Content-Description: measured data
\t
%s
--=_blank--
""" % (jis_str("部品の見出しの後の行は空白だけです。"), b64_lines(bytes(range(200)))))


@broken_sample(NO_SEPARATOR)
def fault_memo_rule_in_header():
    # An old mailer's memo: a rule under the Subject, then the text.
    return message(fault_head(ew1("メモ"), "fault.memo-rule") + """\
Content-Type: text/plain; charset=ISO-2022-JP
--------
%s

%s
""" % (jis_str("罫線から下は本文です。\nNote: この行も本文です。"), jis_str("空行の後も本文です。")))


@sample
def fault_empty_body_shows_empty_line():
    return message(fault_head("no body", "fault.empty-body") + """\
Content-Type: text/plain; charset=us-ascii

""")


@broken_sample(NO_SEPARATOR)
def fault_boundary_right_after_header():
    # No empty line between the header block and the first boundary line.
    return message(fault_head(ew1("区切りなし"), "fault.boundary-after-header") + """\
Content-Type: multipart/mixed; boundary="=_noblank"
--=_noblank
Content-Type: text/plain; charset=ISO-2022-JP

%s
--=_noblank
Content-Type: application/pdf; name="memo.pdf"
Content-Transfer-Encoding: base64

%s
--=_noblank--
""" % (jis_str("見出しの直後に境界の行があります。"), b64_lines(tiny_pdf("memo"))))


@sample
def fault_tab_folded_subject():
    return message(fault_head("bug demonstration\n\t1234", "fault.tab-folded-subject") + """\
Content-Type: text/plain; charset=us-ascii

The Subject is folded with TABs.
""")


@sample
def fault_folded_address_after_encoded_word():
    words = ew("山田太郎", chunk=2)
    return message(fault_head("folded sender", "fault.folded-address").replace(
        "From: Taro Yamada <taro@example.jp>", "From: %s\n\t%s\n\t<taro@example.jp>" % tuple(words)) + """\
Content-Type: text/plain; charset=us-ascii

The display name is two encoded words, the address is on a line of its own.
""")


# ============================================================ mailboxes ==

# Samples that go into the Unix mailbox, in order (LF line ends only).
MBOX_SAMPLES = [
    "jis_plain_becky", "jis_plain_almail_reply", "sjis_8bit_plain", "jis_folded_subject_attachment", "eucjp_mew",
    "body_from_lines", "gmail_utf8_base64", "mixed_alternative_two_attachments", "forwarded_rfc822_with_attachment",
    "mailman_footer", "html_only_newsletter", "docomo_sjis_image", "fault_quoted_header_line_hides_text",
    "fault_blank_separator", "fault_empty_body_shows_empty_line", "fault_boundary_right_after_header",
    "fault_blank_separator_in_part", "fault_memo_rule_in_header",
]

# Maildir delivery names; cur/ and new/ are read merged, by the leading
# number.  One name has a nine-digit number (before September 2001), so
# ordering by the name's text instead of its number puts it last.
MAILDIR_SAMPLES = [
    ("cur", "999993600.M812P4242Q3.mail.example.jp:2,S", "uuencode_inline_old_mailer"),
    ("new", "1199145600.M1P100Q1.mail.example.jp", "nec_specials_jis"),
    ("cur", "1199145700.M2P100Q2.mail.example.jp:2,RS", "halfwidth_kana_jis"),
    ("cur", "1262304000.M305117P2210Q7.mail.example.jp:2,S", "apple_mail_utf8_qp"),
    ("new", "1293840000.M9P310Q1.mail.example.jp", "au_jis_mixed"),
    ("cur", "1420070400.M77P5012Q12.mail.example.jp:2,FS", "softbank_utf8_related"),
    ("new", "1420070500.M78P5012Q13.mail.example.jp", "fault_blank_separator"),
    ("cur", "1420070600.M79P5012Q14.mail.example.jp:2,S", "fault_empty_body_shows_empty_line"),
    ("new", "1420070700.M80P5012Q15.mail.example.jp", "fault_boundary_right_after_header"),
]


def asctime_utc(date_field):
    ts = mktime_tz(parsedate_tz(unfold(date_field)))
    d = datetime.datetime.fromtimestamp(ts, datetime.timezone.utc)
    day = "Mon Tue Wed Thu Fri Sat Sun".split()[d.weekday()]
    month = "Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec".split()[d.month - 1]
    return "%s %s %2d %02d:%02d:%02d %d" % (day, month, d.day, d.hour, d.minute, d.second, d.year)


def mboxrd(raws):
    """mboxrd: "From " lines between messages; ">*From " body lines get one more ">"."""
    out = b""
    for raw in raws:
        assert b"\r" not in raw, "mailbox message with CR"
        msg = email.message_from_bytes(raw, policy=policy.compat32)
        sender = parseaddr(unfold(msg["Return-Path"] or msg["From"]))[1] or "MAILER-DAEMON"
        out += ("From %s %s\n" % (sender, asctime_utc(msg["Date"]))).encode("ascii")
        head, sep, body = raw.partition(b"\n\n")
        body = re.sub(rb"(?m)^(>*From )", rb">\1", body)
        out += head + sep + body
        if not out.endswith(b"\n"):
            out += b"\n"
        out += b"\n"
    return out


def read_mboxrd(data):
    """The messages of a mboxrd mailbox, as a reader must give them back."""
    msgs = []
    for chunk in re.split(rb"(?m)^From [^\n]*\n", data)[1:]:
        assert chunk.endswith(b"\n\n")
        msgs.append(re.sub(rb"(?m)^>(>*From )", rb"\1", chunk[:-1]))
    return msgs


def outputs():
    """Every generated file: path below OUT -> bytes."""
    files = {}
    raws = {}
    for name, make in SAMPLES.items():
        raw = make()
        raws[name] = raw
        if not name.endswith("_crlf_line_ends") and "crlf" not in name and "lone_cr" not in name:
            assert b"\r" not in raw, name + ": CR in a sample that is not about line ends"
        files[name + ".eml"] = raw
        files[name + ".expect"] = expect(raw, DEFECTS.get(name, frozenset()))
    files["mixed.mbox"] = mboxrd(raws[n] for n in MBOX_SAMPLES)
    assert [expect(m, DEFECTS.get(n, frozenset())) for n, m in zip(MBOX_SAMPLES, read_mboxrd(files["mixed.mbox"]))] \
        == [files[n + ".expect"] for n in MBOX_SAMPLES]
    files["mixed.mbox.expect"] = "".join(n + "\n" for n in MBOX_SAMPLES).encode("ascii")
    numbers = [int(name.split(".")[0]) for _, name, _ in MAILDIR_SAMPLES]
    assert numbers == sorted(numbers)
    for folder, name, sample_name in MAILDIR_SAMPLES:
        assert (":2," in name) == (folder == "cur")
        files["maildir/%s/%s" % (folder, name)] = raws[sample_name]
    files["maildir/tmp/.gitkeep"] = b""
    files["maildir.expect"] = "".join(s + "\n" for _, _, s in MAILDIR_SAMPLES).encode("ascii")
    return files


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--check", action="store_true", help="compare with the files on disk instead of writing")
    args = ap.parse_args()
    files = outputs()
    on_disk = {p.relative_to(OUT).as_posix() for p in OUT.rglob("*") if p.is_file()} if OUT.exists() else set()
    extra = sorted(p for p in on_disk - set(files) if p != "README.md")
    if args.check:
        stale = [name for name, data in files.items() if not (OUT / name).exists() or (OUT / name).read_bytes() != data]
        if stale or extra:
            print("out of date: " + ", ".join(stale + extra), file=sys.stderr)
            return 1
        return 0
    for name, data in files.items():
        path = OUT / name
        path.parent.mkdir(parents=True, exist_ok=True)
        if not path.exists() or path.read_bytes() != data:
            path.write_bytes(data)
            print("%s: %d bytes" % (path.relative_to(ROOT), len(data)))
    for name in extra:
        (OUT / name).unlink()
        print("%s: removed" % (OUT / name).relative_to(ROOT))
    return 0


if __name__ == "__main__":
    sys.exit(main())
