#!/usr/bin/env python3
"""Writes the sample mailboxes in samples/.

The output is deterministic (fixed dates, ids and MIME boundaries), so running
this script again must leave `git status` clean.  Run it from anywhere:

    python3 scripts/make_samples.py            # writes into samples/
    python3 scripts/make_samples.py --check    # exits 1 if samples/ differs

Every file uses CR LF line ends.  Mailboxes are in "dot format": each message
ends with a line holding a single "."; a body line that is exactly "." is
written "..".  The .txt file separates each header block from its body with a
line "--------" instead of a blank line.  Header texts are ISO-2022-JP "B"
encoded words made by the email package (folded over indented continuation
lines where they are long); bodies are ISO-2022-JP (7 bit), Shift_JIS (8 bit)
or quoted-printable Shift_JIS.
"""

import argparse
import binascii
import io
import pathlib
import struct
import sys
import zlib
from email import policy
from email.generator import BytesGenerator
from email.header import Header
from email.message import Message
from email import quoprimime

ROOT = pathlib.Path(__file__).resolve().parent.parent
SAMPLES = ROOT / "samples"

# Generator settings: CR LF, 8-bit bodies passed through, no re-folding of the
# headers that are folded here already, no ">From " mangling.
GEN_POLICY = policy.compat32.clone(linesep="\r\n", cte_type="8bit", max_line_length=0)

ML_ADDR = "vorn@ml.example.jp"


# ---------------------------------------------------------------- headers --

def jis_words(text, header_name, prefix=""):
    """Encodes `text` as ISO-2022-JP B words, folded to 76 columns.

    `prefix` is plain ASCII put before the first word (a list tag such as
    "[vorn:00101] "), as mailing-list software does.  The charset and encoding
    letters are written in upper case, as Japanese mailers write them.
    """
    h = Header(prefix or None, "us-ascii", header_name=header_name) if prefix else Header(header_name=header_name)
    h.append(text, "iso-2022-jp")
    return h.encode(linesep="\n", maxlinelen=76).replace("=?iso-2022-jp?b?", "=?ISO-2022-JP?B?")


def sender(name, addr):
    return jis_words(name, "From") + " <" + addr + ">"


def subject(text, tag=""):
    return jis_words(text, "Subject", tag)


# ------------------------------------------------------------------ bodies --

def jis_body(msg, text):
    """ISO-2022-JP, 7 bit."""
    msg["Content-Type"] = "text/plain; charset=ISO-2022-JP"
    msg["Content-Transfer-Encoding"] = "7bit"
    msg.set_payload(text.encode("iso2022_jp").decode("ascii"))


def sjis_body(msg, text):
    """Shift_JIS, 8 bit (carried through the generator as surrogate escapes)."""
    msg["Content-Type"] = "text/plain; charset=Shift_JIS"
    msg["Content-Transfer-Encoding"] = "8bit"
    msg.set_payload(text.encode("shift_jis").decode("ascii", "surrogateescape"))


def qp_body(msg, text):
    """Shift_JIS, quoted-printable with soft line breaks at 76 columns."""
    msg["Content-Type"] = "text/plain; charset=Shift_JIS"
    msg["Content-Transfer-Encoding"] = "quoted-printable"
    raw = text.encode("shift_jis").decode("latin-1")
    msg.set_payload(quoprimime.body_encode(raw, maxlinelen=76) + "\n")


def text_part(text):
    part = Message()
    jis_body(part, text)
    return part


def base64_part(content_type, name_words, data, fold=True):
    """An attachment part whose name parameters hold `name_words` verbatim.

    With `fold` the name parameters stand on their own indented lines, as
    long encoded names do; without it they share the field's first line.
    The transfer-encoding line comes after the disposition line: a reader that
    starts a new attachment at every "name=" keeps the encoding that way.
    """
    sep = ";\n " if fold else "; "
    part = Message()
    part["Content-Type"] = content_type + sep + "name=\"" + name_words + "\""
    part["Content-Disposition"] = "attachment" + sep + "filename=\"" + name_words + "\""
    part["Content-Transfer-Encoding"] = "base64"
    b64 = binascii.b2a_base64(data, newline=False).decode("ascii")
    part.set_payload("\n".join(b64[i:i + 76] for i in range(0, len(b64), 76)) + "\n")
    return part


def uuencode_part(name, data):
    part = Message()
    part["Content-Type"] = "application/octet-stream; name=\"" + name + "\""
    part["Content-Disposition"] = "attachment; filename=\"" + name + "\""
    part["Content-Transfer-Encoding"] = "x-uuencode"
    lines = ["begin 644 " + name]
    for i in range(0, len(data), 45):
        lines.append(binascii.b2a_uu(data[i:i + 45], backtick=True).decode("ascii").rstrip("\n"))
    lines += ["`", "end"]
    part.set_payload("\n".join(lines) + "\n")
    return part


def multipart(msg, boundary, parts):
    msg["Content-Type"] = "multipart/mixed; boundary=\"" + boundary + "\""
    msg.set_payload(parts)
    msg.set_boundary(boundary)
    msg.preamble = "This is a multi-part message in MIME format."


# ---------------------------------------------------------------- messages --

def message(headers):
    msg = Message()
    for name, value in headers:
        if value is not None:
            msg[name] = value
    return msg


def flatten(msg):
    out = io.BytesIO()
    BytesGenerator(out, mangle_from_=False, policy=GEN_POLICY).flatten(msg)
    data = out.getvalue()
    assert b"\n" not in data.replace(b"\r\n", b""), "bare LF in output"
    return data


def dot_format(raw):
    """Stuffs body lines that are exactly "." and appends the terminator."""
    lines = raw.split(b"\r\n")
    if lines and lines[-1] == b"":
        lines.pop()
    lines = [b".." if line == b"." else line for line in lines]
    return b"".join(line + b"\r\n" for line in lines) + b".\r\n"


def txt_format(raw):
    """Replaces the blank line after the header block with "--------"."""
    head, sep, body = raw.partition(b"\r\n\r\n")
    assert sep, "message without a header/body separator"
    return dot_format(head + b"\r\n--------\r\n" + body)


def ml_headers(count, date, frm, subj, msgid, extra=()):
    """Header block as a mailing list delivers it; None leaves a field out."""
    hs = [
        ("Return-Path", "<vorn-admin@ml.example.jp>"),
        ("Delivered-To", "archive@example.jp"),
        ("Date", date),
        ("From", frm),
        ("To", ML_ADDR),
        ("Subject", subj),
        ("Message-ID", msgid),
    ]
    hs += list(extra)
    hs += [
        ("X-ML-Name", "vorn"),
        ("X-Mail-Count", "%05d" % count),
        ("MIME-Version", "1.0"),
    ]
    return hs


# People on the list.
TARO = sender("山田 太郎", "taro@example.jp")
TARO_LONG = sender("山田 太郎（ヴォルン利用者の会・事務局）", "taro@example.jp")
HANAKO = sender("鈴木 花子", "hanako@example.ne.jp")
JIRO = sender("佐藤 次郎", "jiro@example.co.jp")
KAZU = "Kazuo Tanaka <kazu@example.org>"

ID_A1 = "<20040105101500.A0101@example.jp>"
ID_A2 = "<200401050340.B0102@mail.example.ne.jp>"
ID_A3 = "<20040104230203.C0103@example.jp>"
ID_B1 = "<20040106090000.0104@example.co.jp>"
ID_B2 = "<200401061120.0105@mail.example.ne.jp>"
ID_B3 = "<20040106054510.0106@example.co.jp>"
ID_QP = "<20040107200500.0107@example.org>"
ID_NODATE = "<nodate.0108@mail.example.ne.jp>"
ID_OLD = "<20031220180000.0042@example.co.jp>"

SUBJ_A = "第三回オフ会のお知らせ（会場と日程、持ち物について）"
SUBJ_B = "ソフトの表示がおかしいです"

BODY_A1 = """皆さん、こんにちは。山田です。

第三回オフ会を下記のとおり開きます。

  日時：2004年1月24日（土）14:00から
  場所：駅前の会議室（地図は後ほど送ります）
  会費：1,000円

持ち物：ノートパソコン（ソフトの表示を見比べます）
参加できる方は、このメールに返信してください。

--
山田 太郎 <taro@example.jp>
"""


def ml_2004():
    """A mailing list: two threads, a QP message, fields missing, a re-send."""
    msgs = []

    # A1: thread root, subject and body in ISO-2022-JP.
    m = message(ml_headers(101, "Mon, 05 Jan 2004 10:15:00 +0900", TARO, subject(SUBJ_A, "[vorn:00101] "), ID_A1))
    jis_body(m, BODY_A1)
    msgs.append(m)

    # A2: reply by In-Reply-To, sent in UTC.
    m = message(ml_headers(102, "Mon, 05 Jan 2004 03:40:12 +0000", HANAKO, subject("Re: " + SUBJ_A, "[vorn:00102] "),
                           ID_A2, [("In-Reply-To", ID_A1)]))
    jis_body(m, """山田さん

鈴木です。

> 第三回オフ会を下記のとおり開きます。
>
>   日時：2004年1月24日（土）14:00から
| 会費：1,000円

参加します。当日は少し遅れるかもしれません。
地図、楽しみにしています。
""")
    msgs.append(m)

    # A3: reply to A2, sent from New York; In-Reply-To in the "Your message
    # of" form with the id on the folded line, References with both ids.
    m = message(ml_headers(103, "Sun, 04 Jan 2004 23:02:03 -0500", TARO_LONG,
                           subject(SUBJ_A, "[vorn:00103] Re: "), ID_A3,
                           [("In-Reply-To", "Your message of \"Mon, 05 Jan 2004 03:40:12 +0000\"\n\t" + ID_A2),
                            ("References", ID_A1 + "\n " + ID_A2)]))
    jis_body(m, """鈴木さん

出張先のニューヨークから返信しています。

> > 第三回オフ会を下記のとおり開きます。
> 参加します。当日は少し遅れるかもしれません。

了解です。受付は14:30まで開けておきます。
""")
    msgs.append(m)

    # B1: second thread root, Shift_JIS body, zone "+0900 (JST)".  The text is
    # full of characters whose second Shift_JIS byte is "\", "[" or "|".
    m = message(ml_headers(104, "Tue, 06 Jan 2004 09:00:00 +0900 (JST)", JIRO, subject(SUBJ_B, "[vorn:00104] "), ID_B1))
    sjis_body(m, """佐藤です。

vorn_htm で作った一覧の表示がおかしいです。
ソフトを C:\\Program Files\\vorn に入れて、ポップアップの表示を確認しました。
「ソ」「表」「能」「ポ」「ー」の文字が化けます。

何か設定が足りないのでしょうか。
""")
    msgs.append(m)

    # B2: reply by a single-line References field, zone "(JST)" alone.
    m = message(ml_headers(105, "Tue, 06 Jan 2004 11:20:00 (JST)", HANAKO, subject("Re: " + SUBJ_B, "[vorn:00105] "),
                           ID_B2, [("References", ID_B1)]))
    jis_body(m, """佐藤さん

> 「ソ」「表」「能」「ポ」「ー」の文字が化けます。

ブラウザの文字コードを Shift_JIS にしてみてください。
""")
    msgs.append(m)

    # B3: reply to B2 by References over three lines; the last id is the parent.
    m = message(ml_headers(106, "Tue, 06 Jan 2004 05:45:10 +0000", JIRO, subject(SUBJ_B, "[vorn:00106] Re: "),
                           ID_B3, [("References", ID_OLD + "\n " + ID_B1 + "\n " + ID_B2)]))
    sjis_body(m, """鈴木さん

>> 「ソ」「表」「能」「ポ」「ー」の文字が化けます。
> ブラウザの文字コードを Shift_JIS にしてみてください。

直りました。ありがとうございました。
""")
    msgs.append(m)

    # QP: Shift_JIS in quoted-printable, long lines broken with soft breaks.
    m = message(ml_headers(107, "Wed, 07 Jan 2004 20:05:00 +0900", KAZU,
                           subject("設定ファイルの項目（長い行の例）", "[vorn:00107] "), ID_QP))
    qp_body(m, """田中です。設定ファイル vorn_htm.ini の項目を、長い一行のまま書いてみます。ITI_PER=50 は一覧フレームの幅（パーセント）、FT_SIZE=2 は文字の大きさ、REP_MRK=>| は引用の印です。
ソフトの表示能力とポーリングの話はまた今度。
""")
    msgs.append(m)

    # No Date field; a second reply to B1, so that thread branches.
    m = message(ml_headers(108, None, HANAKO, subject("Re: " + SUBJ_B, "[vorn:00108] "), ID_NODATE,
                           [("In-Reply-To", ID_B1)]))
    jis_body(m, """日付のないメールです（送信時刻の設定を忘れました）。

> 何か設定が足りないのでしょうか。

フォントの設定も確認してみてください。
""")
    msgs.append(m)

    # No Message-ID field; the body holds forwarded header lines and a line
    # that is a single "." (written ".." in the file).
    m = message(ml_headers(109, "Thu, 08 Jan 2004 08:30:00 +0900", JIRO, subject("会議室の予約について（転送）", "[vorn:00109] "),
                           None))
    jis_body(m, """会議室から届いた確認メールを転送します。

---------- Forwarded message ----------
From: room@example.com
Subject: Re: reservation
Date: Wed, 07 Jan 2004 17:00:00 +0900

24日14時から18時まで、予約を承りました。
.
以上
""")
    msgs.append(m)

    # Re-sent copy of A1: same Message-ID, body with a note.
    m = message(ml_headers(110, "Mon, 05 Jan 2004 10:20:00 +0900", TARO, subject(SUBJ_A, "[vorn:00101] "), ID_A1,
                           [("X-Resent-Note", "resent by the list owner")]))
    jis_body(m, "（再送）\n" + BODY_A1)
    msgs.append(m)

    return b"".join(dot_format(flatten(m)) for m in msgs)


# ------------------------------------------------------------- attachments --

def tiny_png():
    """A 16x16 map marker: red square on white, made byte for byte."""
    width = height = 16
    rows = b""
    for y in range(height):
        row = b"\x00"
        for x in range(width):
            inside = 4 <= x < 12 and 3 <= y < 11 or (6 <= x < 10 and 11 <= y < 14)
            row += b"\xd0\x20\x20" if inside else b"\xff\xff\xff"
        rows += row

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


SCHEDULE = """第三回オフ会 当日の予定
14:00 受付
14:30 自己紹介
15:00 ソフトの表示比べ
17:00 片付け
""".replace("\n", "\r\n").encode("shift_jis")

INDEX_HTML = b"<html><body><p>A page that happens to be called index.html.</p></body></html>\r\n"


def attachments():
    msgs = []

    # Base64 image with a Japanese name; the encoded name is folded over two
    # lines inside the quoted parameter.  Threads into A1.
    name = jis_words("第三回オフ会_会場案内図.png", "Content-Type")
    m = message(ml_headers(111, "Thu, 08 Jan 2004 21:10:00 +0900", TARO, subject("会場の地図を送ります", "[vorn:00111] "),
                           "<20040108211000.0111@example.jp>", [("In-Reply-To", ID_A1)]))
    multipart(m, "vorn-sample-0111", [
        text_part("""山田です。

会場の地図を添付します。駅の東口から歩いて5分です。
"""),
        base64_part("image/png", name, tiny_png()),
    ])
    msgs.append(m)

    # uuencoded text file (Shift_JIS inside), zone -0500.
    m = message(ml_headers(112, "Fri, 09 Jan 2004 04:00:00 -0500", KAZU, subject("当日の予定表", "[vorn:00112] "),
                           "<20040109040000.0112@example.org>", [("In-Reply-To", ID_A1)]))
    multipart(m, "vorn-sample-0112", [
        text_part("""田中です。当日の予定表を uuencode で付けます。
"""),
        uuencode_part("schedule.txt", SCHEDULE),
    ])
    msgs.append(m)

    # An attachment whose name is one the archive itself uses.
    m = message(ml_headers(113, "Fri, 09 Jan 2004 22:15:00 +0000", HANAKO, subject("ページの下書き", "[vorn:00113] "),
                           "<200401092215.0113@mail.example.ne.jp>"))
    multipart(m, "vorn-sample-0113", [
        text_part("""鈴木です。お知らせページの下書きを付けます。
"""),
        base64_part("text/html", "index.html", INDEX_HTML, fold=False),
    ])
    msgs.append(m)

    return b"".join(dot_format(flatten(m)) for m in msgs)


# --------------------------------------------------------- single message --

def welcome():
    """One stored message without a terminator line (the whole file)."""
    m = message([
        ("Date", "Sat, 03 Jan 2004 12:00:00 +0900"),
        ("From", sender("ヴォルン利用者の会", "vorn-admin@ml.example.jp")),
        ("To", "taro@example.jp"),
        ("Subject", subject("ようこそ、ヴォルン利用者の会メーリングリストへ")),
        ("Message-ID", "<welcome.20040103@ml.example.jp>"),
        ("MIME-Version", "1.0"),
    ])
    jis_body(m, """このメーリングリストへの登録が完了しました。

投稿先：vorn@ml.example.jp
過去の記事は毎月まとめて公開します。
""")
    return flatten(m)


# ------------------------------------------------------------- text notes --

def notes():
    """A "txt" file: headers and body separated by "--------"."""
    msgs = []

    m = message([
        ("From", TARO),
        ("Date", "Sat, 10 Jan 2004 09:00:00 +0900"),
        ("Subject", subject("会議メモ（1月10日）")),
    ])
    jis_body(m, """出席：山田、鈴木、佐藤

・オフ会の会場は確定
・地図は送付済み

次回は2月に行う。
""")
    msgs.append(m)

    m = message([
        ("From", JIRO),
        ("Date", "Fri, 09 Jan 2004 22:30:00 -0500"),
        ("Subject", subject("メモ：表示の件")),
        ("Message-ID", "<note.0002@example.co.jp>"),
    ])
    sjis_body(m, """ブラウザの文字コード設定で表示は直った。

--------
上の線は本文の一部（区切りではない）。
""")
    msgs.append(m)

    m = message([
        ("From", HANAKO),
        ("Date", "Sun, 11 Jan 2004 01:15:00 +0000"),
        ("Subject", subject("Re: メモ：表示の件")),
        ("Message-ID", "<note.0003@mail.example.ne.jp>"),
        ("In-Reply-To", "<note.0002@example.co.jp>"),
    ])
    jis_body(m, """> ブラウザの文字コード設定で表示は直った。

よかったです。
""")
    msgs.append(m)

    return b"".join(txt_format(flatten(m)) for m in msgs)


# ---------------------------------------------------------------- settings --

SETTINGS_LINES = [
    "[vorn_htm]",
    "#--- タイトルで結び付けするか？(1:Yes/0:No) ---", "S_TITLE=1",
    "#--- 結び付けしないタイトル(,区切りで) ---", "TITLE_D=はじめまして,こんにちは,こんばんわ",
    "#--- 一覧にタイトル表示するか？(1:Yes/0:No) ---", "MN_SUBJ=1",
    "#--- 一覧に日付表示するか？(1:Yes/0:No) ---", "MN_DATE=1",
    "#--- 一覧に発信者表示するか？(1:Yes/0:No) ---", "MN_HASN=1",
    "#--- 一覧に発信者アドレス表示するか？(1:Yes/0:No) ---", "MN_ADRS=1",
    "#--- 背景色 ---", "BGR_COL=#ffffff",
    "#--- テキスト色 ---", "TXT_COL=#000000",
    "#--- 未参照のリンク ---", "LNK_COL=#0000ff",
    "#--- 参照済のリンク ---", "VLK_COL=#ff0000",
    "#--- FONTサイズ ---", "FT_SIZE=2",
    "# ◆◆◆ Version 1.11 からの機能 ◆◆◆",
    "#--- 発言ランキングを作成するか？(1:Yes/0:No) ---", "ML_RANK=1",
    "#--- Subjectの[]を出力するか？(1:Yes/0:No) ---", "SBJ_KAK=1",
    "#--- SubjectのRe:を出力するか？(1:Yes/0:No) ---", "SBJ_RES=1",
    "#--- 引用文の色 ---", "REP_COL=#007f00",
    "#--- 引用文の識別記号 ---", "REP_MRK=>|",
    "# ◆◆◆ Version 2.10 からの機能 ◆◆◆",
    "#--- フレーム構成(1:左右/0:上下) ---", "FRM_KOU=1",
    "#--- 個別表示に件名を表示するか？(1:Yes/0:No) ---", "KB_SUBJ=1",
    "#--- 個別表示に日付を表示するか？(1:Yes/0:No) ---", "KB_DATE=1",
    "#--- 個別表示に送信者を表示するか？(1:Yes/0:No) ---", "KB_FROM=1",
    "#--- 個別表示に受信者を表示するか？(1:Yes/0:No) ---", "KB_TOTO=1",
    "#--- 個別表示に関連スレッドを表示するか？(1:Yes/0:No) ---", "KB_THRE=1",
    "#--- 日付表示形式 ---", "DAT_FMT=yyyy-mm-dd hh:nn:ss",
    "# ◆◆◆ Version 2.13 からの機能 ◆◆◆",
    "#--- 添付ファイルの設定 ---", "TE_FILE=1",
    "# ◆◆◆ Version 2.17 からの機能 ◆◆◆",
    "#--- 一覧表示幅(%) ---", "ITI_PER=50",
]


def settings():
    """The settings file as the settings screen first creates it."""
    assert len(SETTINGS_LINES) == 55
    return "".join(line + "\r\n" for line in SETTINGS_LINES).encode("shift_jis")


FILES = {
    "ml-2004.mbx": ml_2004,
    "attachments.mbx": attachments,
    "welcome.eml": welcome,
    "notes.txt": notes,
    "vorn_htm.ini": settings,
}


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--check", action="store_true", help="compare with samples/ instead of writing")
    args = ap.parse_args()
    stale = []
    for name, make in FILES.items():
        data = make()
        path = SAMPLES / name
        if args.check:
            if not path.exists() or path.read_bytes() != data:
                stale.append(name)
        else:
            SAMPLES.mkdir(exist_ok=True)
            path.write_bytes(data)
            print("%s: %d bytes" % (path.relative_to(ROOT), len(data)))
    if stale:
        print("out of date: " + ", ".join(stale), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
