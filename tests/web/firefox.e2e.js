// The search page in Firefox, which treats every file opened from disk as an
// origin of its own: headless Firefox (VORN_FIREFOX) opens search.html?q=...
// from disk and the test reads the list through WebDriver BiDi, the
// browser's own remote protocol (a WebSocket on a local port; Firefox needs
// no driver program for it).
"use strict";

const test = require("node:test");
const assert = require("node:assert");
const crypto = require("node:crypto");
const fs = require("node:fs");
const net = require("node:net");
const os = require("node:os");
const path = require("node:path");
const {spawn} = require("node:child_process");
const {pathToFileURL} = require("node:url");
const {archive_with, fixture_files, kMails, program_archive} = require("./archives.js");

const firefox = process.env.VORN_FIREFOX;

// A client frame: masked, as a client must send it.
function client_frame(opcode, payload) {
  const n = payload.length;
  let head;
  if (n < 126) {
    head = Buffer.from([0x80 | opcode, 0x80 | n]);
  } else if (n < 65536) {
    head = Buffer.from([0x80 | opcode, 0x80 | 126, n >> 8, n & 255]);
  } else {
    head = Buffer.alloc(10);
    head[0] = 0x80 | opcode;
    head[1] = 0x80 | 127;
    head.writeBigUInt64BE(BigInt(n), 2);
  }
  const mask = crypto.randomBytes(4);
  const body = Buffer.from(payload);
  for (let i = 0; i < body.length; i++) body[i] ^= mask[i & 3];
  return Buffer.concat([head, mask, body]);
}

// The first whole frame of buf: {fin, opcode, payload, rest}, or null.
function server_frame(buf) {
  if (buf.length < 2) return null;
  let n = buf[1] & 127;
  let at = 2;
  if (n === 126) {
    if (buf.length < 4) return null;
    [n, at] = [buf.readUInt16BE(2), 4];
  } else if (n === 127) {
    if (buf.length < 10) return null;
    [n, at] = [Number(buf.readBigUInt64BE(2)), 10];
  }
  if (buf.length < at + n) return null;
  return {fin: (buf[0] & 0x80) !== 0, opcode: buf[0] & 15, payload: buf.subarray(at, at + n), rest: buf.subarray(at + n)};
}

// A WebSocket client of the little the protocol needs: JSON text messages,
// fragments joined, the server's pings answered.
function socket_to(port) {
  return new Promise((resolve, reject) => {
    const sock = net.connect(port, "127.0.0.1");
    let buf = Buffer.alloc(0);
    let open = false;
    let parts = [];
    const waiting = [];
    const messages = [];
    const deliver = (text) => {
      const message = JSON.parse(text);
      if (waiting.length > 0) waiting.shift()(message);
      else messages.push(message);
    };
    sock.on("data", (data) => {
      buf = Buffer.concat([buf, data]);
      if (!open) {
        const end = buf.indexOf("\r\n\r\n");
        if (end < 0) return;
        const status = buf.subarray(0, end).toString("latin1");
        if (!/^HTTP\/1\.1 101 /.test(status)) return reject(new Error(`no WebSocket: ${status}`));
        buf = buf.subarray(end + 4);
        open = true;
        resolve({
          send: (obj) => sock.write(client_frame(1, Buffer.from(JSON.stringify(obj)))),
          next: () => (messages.length > 0 ? Promise.resolve(messages.shift()) : new Promise((r) => waiting.push(r))),
          close: () => sock.destroy(),
        });
      }
      for (let f = server_frame(buf); f !== null; f = server_frame(buf)) {
        buf = f.rest;
        if (f.opcode === 9) sock.write(client_frame(10, f.payload));
        if (f.opcode !== 0 && f.opcode !== 1) continue;
        parts.push(Buffer.from(f.payload));
        if (!f.fin) continue;
        deliver(Buffer.concat(parts).toString("utf8"));
        parts = [];
      }
    });
    sock.on("error", reject);
    const key = crypto.randomBytes(16).toString("base64");
    sock.write(`GET /session HTTP/1.1\r\nHost: 127.0.0.1:${port}\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n` +
      `Sec-WebSocket-Key: ${key}\r\nSec-WebSocket-Version: 13\r\n\r\n`);
  });
}

// Headless Firefox with a fresh profile and a BiDi session on one browsing
// context: {open(folder, query), quit()}.
async function start_firefox() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "vorn-firefox-"));
  const proc = spawn(firefox, ["--headless", "--no-remote", "--profile", profile, "--remote-debugging-port", "0",
    "about:blank"], {stdio: ["ignore", "ignore", "pipe"]});
  const quit = () => {
    proc.kill("SIGKILL");
    fs.rmSync(profile, {recursive: true, force: true});
  };
  try {
    const port = await new Promise((resolve, reject) => {
      let err = "";
      const timer = setTimeout(() => reject(new Error(`Firefox gave no port: ${err}`)), 60000);
      proc.stderr.on("data", (d) => {
        err += d;
        const m = /WebDriver BiDi listening on ws:\/\/127\.0\.0\.1:(\d+)/.exec(err);
        if (m) {
          clearTimeout(timer);
          resolve(Number(m[1]));
        }
      });
      proc.on("exit", () => reject(new Error(`Firefox ended: ${err}`)));
    });
    const ws = await socket_to(port);
    let id = 0;
    const call = async (method, params) => {
      const mine = ++id;
      ws.send({id: mine, method, params});
      for (;;) {
        const m = await ws.next();
        if (m.id !== mine) continue;  // events and others' answers
        if (m.type === "error") throw new Error(`${method}: ${m.error} ${m.message}`);
        return m.result;
      }
    };
    await call("session.new", {capabilities: {}});
    const context = (await call("browsingContext.getTree", {})).contexts[0].context;
    const value = async (expression) =>
      (await call("script.evaluate", {expression, target: {context}, awaitPromise: false})).result.value;
    return {
      // What the page shows once its query ran: the list's state, the
      // count and the listed pages.
      open: async (folder, query) => {
        const url = pathToFileURL(path.join(folder, "search.html")).href + "?q=" + encodeURIComponent(query);
        await call("browsingContext.navigate", {context, url, wait: "complete"});
        const state = 'document.getElementById("srch_list").getAttribute("data-state") || ""';
        for (let i = 0; i < 600 && (await value(state)) === ""; i++) await new Promise((r) => setTimeout(r, 50));
        return JSON.parse(await value(`JSON.stringify({
          state: document.getElementById("srch_list").getAttribute("data-state"),
          count: document.getElementById("srch_count").textContent,
          pages: Array.from(document.querySelectorAll("#srch_list a"), (a) => Number(/m(\\d+)\\.htm/.exec(a.href)[1])),
        })`));
      },
      quit: () => {
        ws.close();
        quit();
      },
    };
  } catch (e) {
    quit();
    throw e;
  }
}

test("Firefox finds from disk what the index and the program's appends hold", {skip: !firefox}, async () => {
  const ff = await start_firefox();
  const folder = archive_with(fixture_files());
  const a = program_archive(true);
  try {
    const cases = [
      ["kanji pairs", "会議室", [5, 1]],
      ["merged newest first", "予約", [4, 1, 6]],
      ["replaced page by its new text", "議事録", [2]],
      ["replaced page not by its old text", "旧版", []],
      ["two words, full width", "ＯＦＦＬＩＮＥ　ｍｅｅｔｉｎｇ", [4, 3]],
    ];
    for (const [name, query, pages] of cases) {
      assert.deepStrictEqual(await ff.open(folder, query), {state: "done", count: String(pages.length), pages}, name);
    }
    a.run(kMails);
    assert.deepStrictEqual((await ff.open(a.out, "会議室")).pages, [1], "kanji in the program's archive");
    a.run([{id: "a4@example.jp", from: "Bob <bob@example.com>", subject: "翌朝の追加",
      date: "Thu, 08 Jan 2004 10:00:00 +0900", body: "nightly append"}]);
    assert.deepStrictEqual((await ff.open(a.out, "nightly")).pages, [4], "the append's message");
    assert.deepStrictEqual((await ff.open(a.out, "example")).pages, [4, 3, 2, 1], "newest first");
  } finally {
    ff.quit();
    a.remove();
    fs.rmSync(folder, {recursive: true, force: true});
  }
});
