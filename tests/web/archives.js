// Archives for the browser tests: a folder with the search page as the
// program writes it and index files given, and a copy of the program that
// builds and appends to an archive of its own.
"use strict";

const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const {execFileSync} = require("node:child_process");

// A folder with the page and script as the program writes them and the
// index files given (name -> text, or the files of a folder).
function archive_with(index) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), "vorn-search-"));
  execFileSync(process.env.VORN_WRITE_SEARCH_PAGE, [folder]);
  for (const [name, text] of index) fs.writeFileSync(path.join(folder, "srch", name), text);
  return folder;
}

function fixture_files() {
  const dir = path.join(__dirname, "fixture/srch");
  return new Map(fs.readdirSync(dir).map((name) => [name, fs.readFileSync(path.join(dir, name), "latin1")]));
}


// Mails for the program, in UTF-8 (subject and body base64, as a mail
// program sends them).
const kMails = [
  {id: "a1@example.jp", from: "=?UTF-8?B?" + Buffer.from("山田 太郎").toString("base64") + "?= <taro@example.jp>",
   subject: "会議室の予約", date: "Mon, 05 Jan 2004 10:00:00 +0900", body: "来週の打ち合わせは会議室Ａで行います。"},
  {id: "a2@example.jp", from: "Alice <alice@example.com>", subject: "offline meeting",
   date: "Tue, 06 Jan 2004 10:00:00 +0900", body: "See you tomorrow at the station."},
  {id: "a3@example.jp", from: "Hanako <hanako@example.ne.jp>", subject: "資料",
   date: "Wed, 07 Jan 2004 10:00:00 +0900", body: "資料を添付します。", file: "report2024.pdf"},
];

function mailbox(mails) {
  const b64 = (text) => Buffer.from(text).toString("base64");
  return mails.map((m) => {
    const head = [`From: ${m.from}`, `Subject: =?UTF-8?B?${b64(m.subject)}?=`, `Date: ${m.date}`,
      `Message-ID: <${m.id}>`, "MIME-Version: 1.0"];
    const text = ["Content-Type: text/plain; charset=UTF-8", "Content-Transfer-Encoding: base64", "", b64(m.body)];
    if (!m.file) return [...head, ...text, ".", ""].join("\r\n");
    return [...head, 'Content-Type: multipart/mixed; boundary="b1"', "", "--b1", ...text, "--b1",
      `Content-Type: application/octet-stream; name="${m.file}"`,
      `Content-Disposition: attachment; filename="${m.file}"`, "Content-Transfer-Encoding: base64", "",
      "AAECAw==", "--b1--", ".", ""].join("\r\n");
  }).join("");
}

// A copy of the program (VORN_HTM) in a folder of its own with a settings
// file, and the archive folder it writes.
function program_archive(search) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), "vorn-archive-"));
  const program = path.join(dir, "vorn_htm");
  fs.copyFileSync(process.env.VORN_HTM, program);
  fs.chmodSync(program, 0o755);
  const out = path.join(dir, "out");
  let boxes = 0;
  const a = {
    out,
    settings: (on) => fs.writeFileSync(path.join(dir, "vorn_htm.ini"), `[vorn_htm]\r\nSRCH_IX=${on ? 1 : 0}\r\n`),
    run: (mails) => {
      const box = path.join(dir, `in${++boxes}.mbx`);
      fs.writeFileSync(box, mailbox(mails));
      execFileSync(program, ["-i", box, "-o", out], {stdio: ["ignore", "ignore", "pipe"]});
    },
    remove: () => fs.rmSync(dir, {recursive: true, force: true}),
  };
  a.settings(search);
  return a;
}

module.exports = {archive_with, fixture_files, kMails, program_archive};
