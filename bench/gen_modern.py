#!/usr/bin/env python3
"""Deterministic generator of a corpus of modern (MIME) mail for benchmarking.

    python3 gen_modern.py N [--seed S] [--out DIR] [--name STEM] [--format mbox|dot|both] [--verify K]

Writes DIR/STEM.mbox (Unix mbox, mboxrd: a line "From addr asctime" before
every message, LF line ends, every message line matching ^>*From  gets one
more ">", an empty line after each message), with --format dot|both also
DIR/STEM.mbx (the program's dot format: CR LF line ends, a line "." after
each message, a message line that is "." once blanks are trimmed written
with one more "." in front), and DIR/STEM.stats.json (the mix of kinds,
bytes). The same N and seed give the same bytes on every run and machine:
all randomness comes from one random.Random(seed), boundaries and ids
included.

The mix is meant to look like a mailbox of today, mostly Japanese:
UTF-8 plain text (base64, quoted-printable, 8bit), multipart/alternative
plain + HTML, HTML-only newsletters, multipart/mixed with a nested
alternative and attachments (PNG- and PDF-like blobs, names in RFC 2231
UTF-8 with continuations or in encoded words), legacy ISO-2022-JP,
Shift_JIS and EUC-JP messages, ISO-8859-1 / Windows-1252 mail, emoji,
inline uuencode blocks, message/rfc822 forwards and mailing-list footers;
threads with In-Reply-To and References, subjects with "Re:" and
"[list:123]" tags. Header fields are encoded with the email package
(email.header, email.utils); --verify K parses the first K messages back
with email.parser and checks their structure.

Python 3.9+ standard library only.
"""
import argparse
import base64
import binascii
import datetime as dt
import email.charset
import email.header
import email.parser
import email.policy
import email.quoprimime
import email.utils
import itertools
import json
import os
import random
import re
import sys
from collections import deque

# --------------------------------------------------------------------------
# Vocabulary. Japanese text stays inside JIS X 0208 so that it can also be
# written as ISO-2022-JP, Shift_JIS and EUC-JP; emoji are added only to
# UTF-8 text.

SURNAMES = [("山田", "yamada"), ("佐藤", "sato"), ("鈴木", "suzuki"), ("高橋", "takahashi"),
            ("田中", "tanaka"), ("渡辺", "watanabe"), ("伊藤", "ito"), ("中村", "nakamura"),
            ("小林", "kobayashi"), ("加藤", "kato"), ("吉田", "yoshida"), ("山本", "yamamoto"),
            ("松本", "matsumoto"), ("井上", "inoue"), ("木村", "kimura"), ("林", "hayashi"),
            ("清水", "shimizu"), ("森", "mori"), ("池田", "ikeda"), ("橋本", "hashimoto"),
            ("石川", "ishikawa"), ("前田", "maeda"), ("藤田", "fujita"), ("長谷川", "hasegawa")]
GIVEN = [("太郎", "Taro"), ("花子", "Hanako"), ("翔太", "Shota"), ("結衣", "Yui"), ("陽菜", "Hina"),
         ("大翔", "Hiroto"), ("美咲", "Misaki"), ("蓮", "Ren"), ("葵", "Aoi"), ("悠真", "Yuma"),
         ("さくら", "Sakura"), ("健", "Ken"), ("直子", "Naoko"), ("誠", "Makoto"), ("恵", "Megumi")]
WESTERN = [("Anna", "Müller"), ("José", "García"), ("François", "Lefèvre"), ("Søren", "Kierkegård"),
           ("John", "Smith"), ("Emily", "Brown"), ("Zoë", "Ångström"), ("Björn", "Nyström")]
DOMAINS = ["example.com", "example.jp", "example.co.jp", "mail.example.net", "example.ac.jp",
           "corp.example.org", "example.ne.jp", "cloud.example.io"]
LISTS = ["dev-ja", "users", "ops", "kaihatsu", "announce"]
TOPICS = ["週次定例ミーティングの議事録", "リモートワーク規程の改定について", "本番環境のデプロイ手順",
          "障害報告：ログイン不可の件", "新サービスのリリース告知", "経費精算システム移行のお知らせ",
          "オンライン勉強会のご案内", "セキュリティアップデートの適用", "来期予算の確認",
          "コードレビューのお願い", "ビルドが失敗する件", "アカウント発行依頼", "年末調整の書類提出",
          "オフィス移転に伴う座席表", "クラウド費用の見直し", "採用面接の日程調整",
          "文字化けするメールについて", "添付ファイルの容量制限", "新入社員研修の資料",
          "サーバー証明書の更新期限が近づいています"]
EN_TOPICS = ["Quarterly planning", "Build broken on main", "Invoice #4821", "Your order has shipped",
             "Weekly digest", "Security advisory", "Conference schedule", "Re-org announcement"]
LATIN_TOPICS = ["Réunion de l'équipe", "Bestätigung Ihrer Bestellung", "Año nuevo: planificación",
                "Café & crème brûlée", "Änderungen im Zeitplan"]
NEWSLETTERS = [("テックニュース週刊", "news"), ("セール情報", "shop"), ("クラウド通信", "cloud"),
               ("技術ブログ更新のお知らせ", "blog")]
SENTENCES = [
    "お疲れさまです。", "いつもお世話になっております。", "ご確認よろしくお願いいたします。",
    "資料を添付しましたのでご確認ください。", "明日の定例は十時からオンラインで行います。",
    "会議の URL はカレンダーの招待に記載しています。", "修正版をリポジトリに push しました。",
    "ステージング環境では問題なく動作しています。", "ログを確認したところタイムアウトが発生していました。",
    "対応が完了しましたらご連絡ください。", "詳細は以下のチケットをご参照ください。",
    "取り急ぎご報告まで。", "来週の予定はまだ調整中です。", "ご質問があればお気軽にどうぞ。",
    "念のためバックアップを取得してから作業してください。", "承知しました。対応いたします。",
    "申し訳ありませんが、締め切りを一日延ばしていただけますか。", "本件、担当者から改めて連絡します。",
    "メモリ使用量が想定より多いようです。", "ＣＰＵ使用率は平常時で二十パーセント程度です。",
    "設定ファイルの場所が変わりましたのでご注意ください。", "以上、よろしくお願いします。",
    "先ほどの件、了解です。", "テストは全件成功しました。", "添付の見積書をご査収ください。"]
EN_SENTENCES = ["Thanks for the quick turnaround.", "Please see the attached report.",
                "The deployment is scheduled for Friday 18:00 JST.", "Let me know if anything is unclear.",
                "I pushed a fix to the branch.", "Best regards,", "Cheers,",
                "See https://example.com/docs/setup for details."]
LATIN_SENTENCES = ["Merci beaucoup pour votre réponse rapide.", "Die Besprechung findet um 10 Uhr statt.",
                   "El informe está adjunto, saludos cordiales.", "Prix : 12,50 € TTC (déjà payé).",
                   "Grüße aus Köln und schönen Tag noch."]
EMOJI = ["😀", "🎉", "👍", "🙏", "🚀", "✅", "🔥", "📎", "💡", "😊", "🍣", "☕"]
FROM_LINES = ["From the logs it looks like the cron job never started.",
              "From 来週 the meeting moves to Tuesday.", "From: the old server (see below)"]
FILE_JA = ["議事録_2024年度第3四半期", "見積書（改訂版）", "設計書_バックエンド_最終", "写真", "申込書",
           "スクリーンショット 2024-05-01 10.23.45", "会議資料_オンライン勉強会"]
FILE_EN = ["report", "invoice", "screenshot", "diagram", "slides", "minutes", "photo"]
MAILERS = ["Mozilla Thunderbird 115.5.0", "Apple Mail (2.3731)", "Microsoft Outlook 16.0",
           "Gmail Web", "Becky! ver. 2.81.04", "Sylpheed 3.7.0", "K-9 Mail for Android"]
WEEKDAYS = ["Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"]
MONTHS = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]
EPOCH = dt.datetime(2023, 4, 1, tzinfo=dt.timezone.utc)
ZONES = [(540, 70), (0, 10), (-420, 6), (60, 6), (-300, 4), (330, 4)]

# Kinds of message and their shares (per cent, roughly).
KINDS = [("plain-b64", 11), ("plain-qp", 9), ("plain-8bit", 8), ("alternative", 28), ("html-only", 9),
         ("mixed", 11), ("iso2022jp", 8), ("sjis", 4), ("eucjp", 3), ("latin", 4), ("forward", 3),
         ("uuencode", 2)]

# --------------------------------------------------------------------------
# Encoding helpers (email package primitives)


def enc_words(text, charset="utf-8", prefix_len=0):
    """RFC 2047 encoded words for a header value, folded as the email package does."""
    if all(ord(c) < 128 for c in text):
        return text
    try:
        text.encode(email.charset.Charset(charset).output_codec or charset)
    except UnicodeEncodeError:
        charset = "utf-8"
    cs = email.charset.Charset(charset)
    if charset == "utf-8" and len(text) % 3 == 0:
        cs.header_encoding = email.charset.QP  # some Q-encoded words too
    return email.header.Header(text, cs, header_name="X" * prefix_len).encode(linesep="\n")


def qp_body(raw):
    """Quoted-printable of body bytes (lines of at most 76 characters)."""
    out = []
    for line in raw.split(b"\n"):
        out.append(email.quoprimime.body_encode(line.decode("latin-1"), maxlinelen=76))
    return "\n".join(out).encode("ascii")


def b64_body(raw):
    return base64.encodebytes(raw).rstrip(b"\n")


def rfc2231_param(key, value, chunk=36):
    """key*0*=utf-8''...; key*1*=... continuations (extended values), folded one per line."""
    enc = email.utils.encode_rfc2231(value, "utf-8")
    head, text = enc[:len("utf-8''")], enc[len("utf-8''"):]
    parts, i = [], 0
    while i < len(text):
        j = min(len(text), i + chunk)
        while j < len(text) and "%" in text[j - 2:j]:  # never split a %XX escape
            j -= 1
        parts.append(text[i:j])
        i = j
    if len(parts) == 1:
        return ['%s*=%s%s' % (key, head, parts[0])]
    return ['%s*%d*=%s%s' % (key, k, head if k == 0 else "", p) for k, p in enumerate(parts)]


def mime_headers(ctype, params, cte=None, disposition=None):
    """Header lines of a part: params is a list of (name, value) or ready "name=value" texts."""
    lines = ["Content-Type: " + ctype]
    for p in params:
        lines[-1] += ";"
        lines.append(" " + (p if isinstance(p, str) else '%s="%s"' % p))
    if len(lines) == 2 and len(lines[0]) + len(lines[1]) < 76:
        lines = [lines[0] + lines[1]]
    if cte:
        lines.append("Content-Transfer-Encoding: " + cte)
    if disposition:
        lines += disposition
    return lines


class Part:
    """A MIME entity: header lines and a body (bytes) or sub-parts."""

    __slots__ = ("headers", "body", "parts", "boundary", "preamble")

    def __init__(self, headers, body=b"", parts=None, boundary=None, preamble=None):
        self.headers, self.body, self.parts = headers, body, parts
        self.boundary, self.preamble = boundary, preamble

    def lines(self):
        out = [h.encode("utf-8") if isinstance(h, str) else h for h in self.headers]
        out.append(b"")
        out += self.body_lines()
        return out

    def body_lines(self):
        if self.parts is None:
            return self.body.split(b"\n") if self.body else []
        b = self.boundary.encode("ascii")
        out = [self.preamble.encode("ascii"), b""] if self.preamble else []
        for p in self.parts:
            out.append(b"--" + b)
            out += p.lines()
        out.append(b"--" + b + b"--")
        return out


# --------------------------------------------------------------------------
# Text


class Gen:
    def __init__(self, n, seed):
        self.n = n
        self.rng = random.Random(seed)
        self.senders = self.make_senders(min(2500, 30 + n // 20))
        self.cum = list(itertools.accumulate(1.0 / (r + 1) for r in range(len(self.senders))))
        self.counters = {name: self.rng.randint(1, 900) for name in LISTS}

    def make_senders(self, count):
        rng, out, used = self.rng, [], set()
        for rank in range(count):
            jp = rank % 7 not in (2, 5)
            if jp:
                sur, sr = rng.choice(SURNAMES)
                giv, gr = rng.choice(GIVEN)
                name, local = sur + " " + giv, rng.choice([gr.lower() + "." + sr, sr, gr[0].lower() + sr])
            else:
                giv, sur = rng.choice(WESTERN)
                name = giv + " " + sur
                local = (giv + "." + sur).lower().encode("ascii", "ignore").decode() or "user"
                local = re.sub(r"[^a-z.]", "", local)
            dom = rng.choice(DOMAINS)
            addr, k = "%s@%s" % (local, dom), 2
            while addr in used:
                addr, k = "%s%d@%s" % (local, k, dom), k + 1
            used.add(addr)
            zone = rng.choices([z for z, _ in ZONES], [w for _, w in ZONES])[0]
            out.append({"name": name, "addr": addr, "jp": jp, "zone": zone, "greet": name.split(" ")[0],
                        "mailer": rng.choice(MAILERS), "legacy": rng.random() < 0.3})
        return out

    def sentence(self, jp, emoji):
        rng = self.rng
        if jp:
            s = rng.choice(SENTENCES)
            if rng.random() < 0.3:
                s += rng.choice(SENTENCES)
        else:
            s = rng.choice(EN_SENTENCES)
        if emoji and rng.random() < 0.15:
            s += rng.choice(EMOJI)
        return s

    def text(self, sender, parent, jp=True, emoji=True, latin=False, lines=None):
        """Body text (str, LF line ends) of about `lines` lines, with quote and signature."""
        rng = self.rng
        target = lines or int(rng.triangular(4, 40, 8))
        out = []
        if parent:
            out.append("%sさん" % parent["sender"]["greet"] if jp else "Hi %s," % parent["sender"]["greet"])
            out.append("")
        pick = (lambda: rng.choice(LATIN_SENTENCES)) if latin else (lambda: self.sentence(jp, emoji))
        while len(out) < target:
            r = rng.random()
            out.append("" if r < 0.12 else pick())
        if rng.random() < 0.01:
            out.insert(rng.randint(1, len(out)), rng.choice(FROM_LINES))  # mboxrd quoting
        if rng.random() < 0.002:
            out.insert(rng.randint(1, len(out)), ".")  # a lone dot line
        if parent:
            date = parent["date"]
            out += ["", ("%s に %s さんは書きました:" % (date, parent["sender"]["name"])) if jp
                    else "On %s, %s wrote:" % (date, parent["sender"]["name"])]
            for _ in range(rng.randint(2, 12)):
                out.append("> " + (rng.choice(LATIN_SENTENCES) if latin else self.sentence(jp, False)))
                if rng.random() < 0.15:
                    out.append("> > " + self.sentence(jp, False))
        out += ["", "-- ", sender["name"], sender["addr"]]
        return "\n".join(out)

    def html(self, text, title, newsletter=False):
        rng = self.rng
        paras = [p for p in text.split("\n") if p]
        body = []
        if newsletter:
            body.append('<table width="600" cellpadding="0" cellspacing="0" style="margin:0 auto;'
                        'font-family:sans-serif"><tr><td style="background:#0a5;color:#fff;padding:16px">'
                        '<h1 style="margin:0;font-size:20px">%s</h1></td></tr>' % title)
            for p in paras:
                body.append('<tr><td style="padding:8px 16px;line-height:1.6">%s <a href="https://news.example.com/'
                            'r/%08x?utm_source=mail&amp;utm_medium=email">続きを読む &raquo;</a></td></tr>'
                            % (p.replace("&", "&amp;").replace("<", "&lt;"), rng.getrandbits(32)))
            body.append('<tr><td style="font-size:11px;color:#888;padding:16px">配信停止は<a href="https://'
                        'news.example.com/unsub">こちら</a> &copy; 2024 Example &nbsp;|&nbsp; '
                        '<img src="https://news.example.com/px/%08x.gif" width="1" height="1" alt=""></td>'
                        '</tr></table>' % rng.getrandbits(32))
        else:
            for p in paras:
                if p.startswith(">"):
                    body.append('<blockquote style="margin:0 0 0 .8ex;border-left:1px #ccc solid;'
                                'padding-left:1ex">%s</blockquote>' % p.lstrip("> ").replace("&", "&amp;"))
                else:
                    body.append("<div>%s</div>" % p.replace("&", "&amp;").replace("<", "&lt;"))
        return ('<!DOCTYPE html>\n<html><head><meta http-equiv="Content-Type" content="text/html; '
                'charset=utf-8"><title>%s</title></head>\n<body dir="auto">\n%s\n</body></html>'
                % (title, "\n".join(body)))

    # ----------------------------------------------------------------- parts

    def boundary(self):
        return rng_boundary(self.rng)

    def text_part(self, text, subtype="plain", charset="utf-8", cte=None):
        rng = self.rng
        if cte is None:
            cte = rng.choice(["base64", "quoted-printable", "quoted-printable", "8bit"])
        codec = {"iso-2022-jp": "iso2022_jp", "shift_jis": "shift_jis", "euc-jp": "euc_jp",
                 "iso-8859-1": "latin-1", "windows-1252": "cp1252"}.get(charset, "utf-8")
        try:
            raw = text.encode(codec)
        except UnicodeEncodeError:  # a name or quote the legacy set has no character for
            charset, raw = "utf-8", text.encode("utf-8")
            cte = "base64" if cte == "7bit" else cte
        if cte == "base64":
            body = b64_body(raw)
        elif cte == "quoted-printable":
            body = qp_body(raw)
        else:
            body = raw
        params = [("charset", charset)]
        if subtype == "plain" and rng.random() < 0.2:
            params.append("format=flowed")
        return Part(mime_headers("text/" + subtype, params, cte), body)

    def alternative(self, text, title):
        b = self.boundary()
        return Part(mime_headers("multipart/alternative", [("boundary", b)]), boundary=b,
                    parts=[self.text_part(text), self.text_part(self.html(text, title), "html")])

    def attachment(self, i):
        rng = self.rng
        kind = rng.choice(["png", "png", "pdf", "pdf", "zip"])
        size = int(rng.triangular(200, 12000, 1500))
        if kind == "png":
            data = b"\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR" + rng.randbytes(size)
            ctype = "image/png"
        elif kind == "pdf":
            data = (b"%PDF-1.7\n%\xe2\xe3\xcf\xd3\n1 0 obj\n<< /Type /Catalog >>\nstream\n" + rng.randbytes(size) +
                    b"\nendstream\n%%EOF\n")
            ctype = "application/pdf"
        else:
            data = b"PK\x03\x04" + rng.randbytes(size)
            ctype = "application/zip"
        style = rng.random()
        if style < 0.45:
            name = "%s_%04d.%s" % (rng.choice(FILE_EN), i % 10000, kind)
            params, disp = [("name", name)], ['Content-Disposition: attachment; filename="%s"' % name]
        elif style < 0.8:  # RFC 2231, UTF-8, with continuations
            name = "%s.%s" % (rng.choice(FILE_JA), kind)
            p = rfc2231_param("name", name)
            f = rfc2231_param("filename", name)
            params = p
            disp = ["Content-Disposition: attachment;"] + [" " + x + ";" for x in f]
            disp[-1] = disp[-1][:-1]
        else:  # encoded words in quoted parameters (what many mailers still send)
            name = "%s.%s" % (rng.choice(FILE_JA), kind)
            words = email.header.Header(name, "utf-8").encode(linesep="\n").replace("\n", "\n ")
            params = ['name="%s"' % words]
            disp = ['Content-Disposition: attachment; filename="%s"' % words]
        if rng.random() < 0.1 and kind == "png":
            disp = ["Content-Disposition: inline"] + (["Content-ID: <img%d.%08x@example.com>"
                                                        % (i, rng.getrandbits(32))])
        return Part(mime_headers(ctype, params, "base64", disp), b64_body(data))

    # ------------------------------------------------------------- messages

    def headers(self, i, sender, utc, subject, parent, lst, rcpt, charset="utf-8"):
        rng = self.rng
        zone = dt.timezone(dt.timedelta(minutes=sender["zone"]))
        local = utc.astimezone(zone)
        date = email.utils.format_datetime(local)
        host = sender["addr"].split("@")[1]
        mid = "<%s.%d.%08x@%s>" % (local.strftime("%Y%m%d%H%M%S"), i, rng.getrandbits(32), host)
        h = ["Return-Path: <%s>" % (("%s-bounces@lists.example.org" % lst) if lst else sender["addr"]),
             "Delivered-To: me@example.jp"]
        for k in range(rng.choice([2, 3, 3, 4])):
            ts = email.utils.format_datetime((utc + dt.timedelta(seconds=k * 3)).astimezone(dt.timezone.utc))
            h += ["Received: from mx%d.%s (mx%d.%s [198.51.100.%d])" % (k, host, k, host, rng.randint(1, 254)),
                  "\tby mx.example.jp (Postfix) with ESMTPS id %010X" % rng.getrandbits(40),
                  "\tfor <me@example.jp>; %s" % ts]
        if rng.random() < 0.7:
            sig = base64.b64encode(rng.randbytes(192)).decode()
            h += ["DKIM-Signature: v=1; a=rsa-sha256; c=relaxed/relaxed; d=%s; s=s%d;" % (host, rng.randint(1, 9)),
                  "\th=from:to:subject:date:message-id:mime-version:content-type;",
                  "\tbh=%s;" % base64.b64encode(rng.randbytes(32)).decode()]
            h += [("\tb=" if k == 0 else "\t  ") + sig[k:k + 70] for k in range(0, len(sig), 70)]
        if lst:
            h += ["List-Id: %s <%s.lists.example.org>" % (lst, lst),
                  "List-Unsubscribe: <mailto:%s-leave@lists.example.org>," % lst,
                  " <https://lists.example.org/mailman/options/%s>" % lst,
                  "Precedence: list"]
        h += ["Message-ID: " + mid, "Date: " + date]
        name = sender["name"]
        if charset in ("iso-2022-jp", "shift_jis", "euc-jp"):
            fname = enc_words(name, "iso-2022-jp", 6)
        else:
            fname = enc_words(name, charset if charset in ("iso-8859-1", "windows-1252") else "utf-8", 6)
        h += ("From: %s <%s>" % (fname, sender["addr"])).split("\n")
        h.append("To: %s" % rcpt)
        if rng.random() < 0.2:
            h.append("Cc: %s" % rng.choice(self.senders)["addr"])
        scs = "iso-2022-jp" if charset in ("iso-2022-jp", "shift_jis", "euc-jp") else \
            ("iso-8859-1" if charset in ("iso-8859-1", "windows-1252") else "utf-8")
        # Most mailers leave "Re:" and the list tag outside the encoded words.
        lead = SUBJECT_LEAD.match(subject).group(0) if rng.random() < 0.7 else ""
        h += ("Subject: " + lead + enc_words(subject[len(lead):], scs, 9 + len(lead))).split("\n")
        if parent:
            refs = (parent["refs"] + (parent["id"],))[-12:]
            h.append("In-Reply-To: " + parent["id"])
            h.append("References: " + refs[0])
            h += [" " + r for r in refs[1:]]
        else:
            refs = ()
        h.append("MIME-Version: 1.0")
        return h, mid, refs, date

    def message(self, i, utc, recent):
        rng = self.rng
        sender = self.senders[rng.choices(range(len(self.senders)), cum_weights=self.cum)[0]]
        kind = rng.choices([k for k, _ in KINDS], [w for _, w in KINDS])[0]
        want_jp = {"iso2022jp": True, "sjis": True, "eucjp": True, "latin": False}.get(kind)
        while want_jp is not None and sender["jp"] != want_jp:  # legacy Japanese or European senders
            sender = self.senders[rng.choices(range(len(self.senders)), cum_weights=self.cum)[0]]
        parent = None
        if kind != "html-only" and recent and rng.random() < 0.55:
            back = int(rng.expovariate(1 / 20.0)) if rng.random() < 0.9 else rng.randrange(len(recent))
            parent = recent[max(0, len(recent) - 1 - back)]
        lst = None
        if parent:
            base, jp, lst = parent["base"], parent["jp"], parent["list"]
        elif kind == "latin":
            base, jp = rng.choice(LATIN_TOPICS), False
        else:
            jp = sender["jp"] and rng.random() < 0.85
            base = rng.choice(TOPICS) if jp else rng.choice(EN_TOPICS)
            lst = rng.choice(LISTS) if rng.random() < 0.35 and kind != "html-only" else None
        if kind == "latin":
            jp = False
        tag = ""
        if lst:
            self.counters[lst] += 1
            tag = "[%s:%d]" % (lst, self.counters[lst])
        legacy = kind in ("iso2022jp", "sjis", "eucjp")
        emoji = not legacy and kind != "latin" and rng.random() < 0.12
        subj = base + (rng.choice(EMOJI) if emoji and rng.random() < 0.5 else "")
        if parent:
            pre = "Fwd: " if kind == "forward" else rng.choice(["Re: ", "Re: ", "RE: ", "Re: Re: ", "Re[2]: "])
            subj = (tag + " " + pre + subj) if tag and rng.random() < 0.7 else (pre + tag + (" " if tag else "") + subj)
        else:
            subj = (tag + " " if tag else "") + ("Fwd: " if kind == "forward" else "") + subj
        rcpt = ("%s@lists.example.org" % lst) if lst else "me@example.jp"
        charset = {"iso2022jp": "iso-2022-jp", "sjis": "shift_jis", "eucjp": "euc-jp",
                   "latin": rng.choice(["iso-8859-1", "windows-1252"])}.get(kind, "utf-8")
        if kind == "html-only":
            title, key = rng.choice(NEWSLETTERS)
            sender = dict(sender, name=title, addr="%s@news.example.com" % key, jp=True)
            jp = True
            subj = "【%s】%s" % (title, rng.choice(TOPICS)) + (rng.choice(EMOJI) if rng.random() < 0.3 else "")
        h, mid, refs, date = self.headers(i, sender, utc, subj, parent, lst, rcpt, charset)
        text = self.text(sender, parent, jp=jp, emoji=emoji, latin=kind == "latin")
        footer = ("\n_______________________________________________\n%s mailing list -- %s@lists.example.org\n"
                  "To unsubscribe send an email to %s-leave@lists.example.org\n" % (lst, lst, lst)) if lst else ""
        text += footer
        if kind == "plain-b64":
            top = self.text_part(text, cte="base64")
        elif kind == "plain-qp":
            top = self.text_part(text, cte="quoted-printable")
        elif kind == "plain-8bit":
            top = self.text_part(text, cte="8bit")
        elif kind == "uuencode":
            data = rng.randbytes(int(rng.triangular(300, 6000, 1000)))
            uu = b"\n".join(binascii.b2a_uu(data[k:k + 45], backtick=True).rstrip(b"\n")
                            for k in range(0, len(data), 45))
            name = "%s%03d.%s" % (rng.choice(FILE_EN), i % 1000, rng.choice(["png", "pdf", "bin"]))
            top = self.text_part(text, cte="8bit")
            top.body += b"\n\nbegin 644 " + name.encode() + b"\n" + uu + b"\n`\nend\n"
        elif kind == "alternative":
            top = self.alternative(text, base)
        elif kind == "html-only":
            top = self.text_part(self.html(text, subj, newsletter=True), "html",
                                 cte=rng.choice(["base64", "quoted-printable"]))
        elif kind in ("iso2022jp", "sjis", "eucjp"):
            cte = {"iso2022jp": "7bit", "sjis": rng.choice(["base64", "8bit"]),
                   "eucjp": rng.choice(["8bit", "base64"])}[kind]
            top = self.text_part(text, charset=charset, cte=cte)
        elif kind == "latin":
            top = self.text_part(text, charset=charset, cte=rng.choice(["quoted-printable", "8bit"]))
        elif kind == "mixed":
            first = self.alternative(text, base) if rng.random() < 0.7 else self.text_part(text)
            parts = [first] + [self.attachment(i) for _ in range(rng.choice([1, 1, 1, 2, 3]))]
            b = self.boundary()
            top = Part(mime_headers("multipart/mixed", [("boundary", b)]), parts=parts, boundary=b,
                       preamble="This is a multi-part message in MIME format.")
        else:  # forward: a note and the forwarded message as message/rfc822
            inner_sender = rng.choice(self.senders)
            inner_h = ["Message-ID: <fw.%d.%08x@%s>" % (i, rng.getrandbits(32), inner_sender["addr"].split("@")[1]),
                       "Date: " + email.utils.format_datetime(utc - dt.timedelta(days=rng.randint(1, 30))),
                       "From: %s <%s>" % (enc_words(inner_sender["name"]), inner_sender["addr"]),
                       "To: %s" % sender["addr"]]
            inner_h += ("Subject: " + enc_words(base, "utf-8", 9)).split("\n")
            inner_h.append("MIME-Version: 1.0")
            inner_text = self.text(inner_sender, None, jp=jp, emoji=emoji)
            inner_body = self.text_part(inner_text)
            inner = Part(inner_h + inner_body.headers, inner_body.body)
            note = self.text_part(("転送します。ご確認ください。\n\n" if jp else "FYI, forwarding.\n\n") + text)
            b = self.boundary()
            fwd = Part(["Content-Type: message/rfc822", "Content-Disposition: inline"], b"\n".join(inner.lines()))
            top = Part(mime_headers("multipart/mixed", [("boundary", b)]), parts=[note, fwd], boundary=b)
        h += top.headers
        if rng.random() < 0.8:
            h.append(("User-Agent: " if rng.random() < 0.5 else "X-Mailer: ") + sender["mailer"])
        msg = Part(h, top.body, top.parts, top.boundary, top.preamble)
        info = {"id": mid, "refs": refs, "base": base, "jp": jp, "list": lst, "sender": sender, "date": date}
        return kind, sender["addr"], msg, info


def rng_boundary(rng):
    return "=_%s_%016x" % (rng.choice(["Part", "NextPart", "mime", "b1"]), rng.getrandbits(64))


def asctime(utc):
    return "%s %s %2d %02d:%02d:%02d %d" % (WEEKDAYS[utc.weekday()], MONTHS[utc.month - 1], utc.day,
                                           utc.hour, utc.minute, utc.second, utc.year)


SUBJECT_LEAD = re.compile(r"(?:(?:Re|RE|Fwd|Re\[\d+\]): |\[[a-z-]+:\d+\] )*")
FROM_RE = re.compile(rb"^>*From ")


def generate(n, seed):
    """Yields (kind, envelope sender, utc, message lines) for n messages."""
    g = Gen(n, seed)
    recent = deque(maxlen=1500)
    utc = EPOCH + dt.timedelta(seconds=g.rng.randrange(86400))
    for i in range(n):
        utc += dt.timedelta(seconds=int(g.rng.expovariate(1 / 600.0)))
        kind, env, msg, info = g.message(i, utc, recent)
        recent.append(info)
        yield kind, env, utc, msg.lines()


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("messages", type=int)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--out", default=".")
    ap.add_argument("--name", default="corpus")
    ap.add_argument("--format", choices=["mbox", "dot", "both"], default="mbox")
    ap.add_argument("--verify", type=int, default=0, metavar="K",
                    help="parse the first K messages back with email.parser and check them")
    args = ap.parse_args(argv)
    os.makedirs(args.out, exist_ok=True)
    mbox = open(os.path.join(args.out, args.name + ".mbox"), "wb", buffering=1 << 20) \
        if args.format in ("mbox", "both") else None
    dot = open(os.path.join(args.out, args.name + ".mbx"), "wb", buffering=1 << 20) \
        if args.format in ("dot", "both") else None
    counts, sizes, checked = {}, {"mbox": 0, "dot": 0}, 0
    for kind, env, utc, lines in generate(args.messages, args.seed):
        counts[kind] = counts.get(kind, 0) + 1
        if mbox:
            data = (b"From %s %s\n" % (env.encode(), asctime(utc).encode()) +
                    b"\n".join(b">" + x if FROM_RE.match(x) else x for x in lines) + b"\n\n")
            mbox.write(data)
            sizes["mbox"] += len(data)
        if dot:
            data = b"\r\n".join(b"." + x if x.strip(b" \t") == b"." else x for x in lines) + b"\r\n.\r\n"
            dot.write(data)
            sizes["dot"] += len(data)
        if checked < args.verify:
            verify(b"\n".join(lines), kind)
            checked += 1
    for f in (mbox, dot):
        if f:
            f.close()
    stats = {"messages": args.messages, "seed": args.seed, "kinds": counts, "bytes": sizes}
    with open(os.path.join(args.out, args.name + ".stats.json"), "w") as f:
        json.dump(stats, f, indent=1)
    json.dump(stats, sys.stdout)
    print()


def verify(raw, kind):
    """Parses one message back with the email package and checks what the kind promises."""
    m = email.parser.BytesParser(policy=email.policy.default).parsebytes(raw)
    problems = [str(d) for p in m.walk() for d in p.defects]
    subject = str(m["subject"])
    if "=?" in subject:
        problems.append("undecoded subject %r" % subject)
    if kind in ("alternative", "mixed", "forward") and not m.is_multipart():
        problems.append("not multipart")
    for part in m.walk():
        if part.is_multipart() or part.get_content_type() == "message/rfc822":
            continue
        try:
            content = part.get_content()
        except Exception as e:  # noqa: BLE001 - report any decoding failure
            problems.append("%s: %s" % (part.get_content_type(), e))
            continue
        if part.get_content_maintype() == "text" and "\ufffd" in content:
            problems.append("replacement character in %s" % part.get_content_type())
        if "=?" in (part.get_filename() or ""):
            problems.append("undecoded file name %r" % part.get_filename())
    if problems:
        raise SystemExit("gen_modern: message of kind %s does not parse cleanly: %s\n%s"
                         % (kind, "; ".join(problems), raw[:3000].decode("utf-8", "replace")))


if __name__ == "__main__":
    main()
