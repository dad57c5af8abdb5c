#!/usr/bin/env python3
"""Writes the small sample mailboxes of the mail tests (CR LF line ends).

Run from this folder; the files it writes are committed beside it."""
import base64
import binascii
import random


def jis_word(text):
    return "=?ISO-2022-JP?B?" + base64.b64encode(text.encode("iso2022_jp")).decode() + "?="


def b64_lines(data):
    enc = base64.b64encode(data).decode()
    return [enc[i:i + 76] for i in range(0, len(enc), 76)]


def uu_lines(data):
    return [binascii.b2a_uu(data[i:i + 45], backtick=True).decode().rstrip("\n")
            for i in range(0, len(data), 45)]


def write(name, lines, end="\r\n"):
    with open(name, "wb") as f:
        f.write(end.join(lines).encode("latin-1") + end.encode())


def attach_part(name_line, data, extra=()):
    return ["--BND", name_line, "Content-Transfer-Encoding: base64", *extra, ""] + b64_lines(data)


HEAD = ["From: Alpha <alpha@example.jp>", "Subject: with attachment",
        "Message-ID: <att@example.jp>", "MIME-Version: 1.0",
        'Content-Type: multipart/mixed; boundary="BND"', ""]
TEXT_PART = ["--BND", "Content-Type: text/plain; charset=us-ascii",
             "Content-Transfer-Encoding: 7bit", "", "see the report"]
REPORT = bytes(range(256)) * 2

write("multipart_base64.mbx", HEAD + TEXT_PART +
      attach_part('Content-Type: application/pdf; name="report.pdf"', REPORT) + ["--BND--", "."])

write("reserved_names.mbx", HEAD + TEXT_PART +
      attach_part('Content-Type: application/octet-stream; name="index.html"', b"first") +
      attach_part('Content-Type: application/octet-stream; name="index.html"', b"second") + ["--BND--", "."])

write("jis_name_two_lines.mbx", HEAD + TEXT_PART + [
    "--BND", "Content-Type: application/octet-stream;", ' name="' + jis_word("添付"),
    " " + jis_word("ファイル.txt") + '"', "Content-Transfer-Encoding: base64", ""] +
    b64_lines(b"japanese name") + ["--BND--", "."])

write("text_after_attachment.mbx", HEAD + TEXT_PART +
      attach_part('Content-Type: image/png; name="a.png"', b"\x89PNG") +
      ["--BND", "Content-Type: text/plain", "", "late text part", "--BND--", "."])

write("disposition_resets_encoding.mbx", HEAD + TEXT_PART + [
    "--BND", 'Content-Type: application/octet-stream; name="x.bin"', "Content-Transfer-Encoding: base64",
    'Content-Disposition: attachment; filename="x.bin"', ""] + b64_lines(b"lost") + ["--BND--", "."])

write("attach_name_path.mbx", HEAD + TEXT_PART +
      attach_part('Content-Type: application/octet-stream; name="..\\..\\evil.txt"', b"one") +
      attach_part('Content-Type: application/octet-stream; name="C:/tmp/x.bin"', b"two") +
      attach_part('Content-Type: application/octet-stream; name="a<b>&c#d%e?.txt"', b"three") +
      attach_part('Content-Type: application/octet-stream; name=".."', b"four") + ["--BND--", "."])

payload = b"The quick brown fox jumps over the lazy dog, twice: " * 2
write("uuencode_closing.mbx", HEAD + TEXT_PART + [
    "--BND", 'Content-Type: application/octet-stream; name="fox.txt"',
    "Content-Transfer-Encoding: x-uuencode", "", "begin 644 fox.txt"] + uu_lines(payload) +
    ["`", "end", "--BND--", "."])

write("never_ending_attachment.mbx", HEAD + TEXT_PART +
      attach_part('Content-Type: application/octet-stream; name="open.bin"', b"never saved" * 20))

write("truncated_encoded_word.mbx", [
    "From: =?ISO-2022-JP?B?GyRCJDkbKEI", "Subject: =?ISO-2022-JP?B?GyRCJEIbKE",
    "Content-Type: application/octet-stream; name==?ISO-2022-JP?B?GyRC", "Content-Transfer-Encoding: base64",
    "", "QUJD", "", "."])

# The walk itself.
write("one_message.eml", ["From: Alpha <alpha@example.jp>", "Subject: hello",
                          "Date: Mon, 1 Jan 2001 12:00:00 +0900", "Message-ID: <one@example.jp>",
                          "", "line one", "line two"])
write("between_text.mbx", ["From: a@example.jp", "Subject: first", "Message-ID: <1@x>", "", "body one", ".",
                           "stray text without colon", "From: b@example.jp", "Subject: second",
                           "Message-ID: <2@x>", "", "body two", "."])
for ext in ("txt", "eml"):
    write("separator." + ext, ["From: a@example.jp", "Subject: sep", "Message-ID: <sep@x>", "--------", "body after rule", "",
                               "after blank"])
write("header_in_body.mbx", ["From: a@x", "Subject: outer", "", "> Subject: quoted",
                             "From: not a new message", "body end", "."])
write("image_in_body.mbx", ["From: a@x", "Subject: img", "", "visible", "CONTENT-TYPE: IMAGE/GIF", "hidden", "."])
write("qp_soft_break.mbx", ["From: a@x", "Subject: qp", "Content-Transfer-Encoding: quoted-printable", "",
                            "joined =", "line=3D", "last soft break="])
write("duplicate_id.mbx", ["From: a@x", "Subject: first", "Message-ID: <same@x>", "", "first body", ".",
                           "From: b@x", "Subject: second", "Message-ID: <same@x>", "", "second body", "."])
write("no_body_lines.mbx", ["From: a@x", "Subject: empty", "", ".", "From: b@x", "Subject: full", "", "text", "."])
write("ends_in_header.mbx", ["From: a@x", "Subject: complete", "Date: Mon, 1 Jan 2001 12:00:00 +0900", "",
                             "complete body", ".", "From: b@x", "Subject: cut off",
                             "Date: Tue, 2 Jan 2001 12:00:00 +0900"])
write("ends_in_header_duplicate.mbx", ["From: a@x", "Subject: complete", "Message-ID: <d@x>", "",
                                       "complete body", ".", "From: b@x", "Subject: again", "Message-ID: <d@x>"])
write("header_only.mbx", ["From: a@x", "Subject: lonely"])
# Header blocks that end without an empty line: at a line of blanks (the
# line after it starts the body), at a rule, at the "." of a message without
# body lines; and an encoded word folded without its blank, which goes on.
write("blank_separator.mbx", ["From: a@x", "Subject: one", "Message-ID: <1@x>", " ", "text of one", ".",
                              "From: b@x", "Subject: two", "Message-ID: <2@x>", "", "text of two", ".",
                              "From: c@x", "Subject: three", "Message-ID: <3@x>", "", "text of three", "."])
write("header_ends_without_separator.mbx", ["From: a@x", "Subject: tab", "X-Mailer: m", " \t ", "after blanks", ".",
                                            "From: b@x", "Subject: rule", "--------", "after rule", "",
                                            "last of rule", ".", "From: c@x", "Subject: bare", ".",
                                            "From: d@x", "Subject: plain", "", "plain text", ".",
                                            "From: e@x", "Subject: " + jis_word("山田"), jis_word("太郎"),
                                            "Message-ID: <e@x>", "", "encoded words", "."])

# Bytes no mail should hold.
write("nul_bytes.mbx", ["From: a\0b@x", "Subject: nul\0here", 'Content-Type: multipart/mixed; boundary="BND"', "",
                        "--BND", "", "body\0line"] +
      attach_part('Content-Type: application/octet-stream; name="a\0b.bin"', b"ABC") + ["--BND--", "."])
random.seed(7)
with open("binary_garbage.mbx", "wb") as f:
    f.write(bytes(random.randrange(256) for _ in range(6000)))
