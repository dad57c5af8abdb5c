// Times the search page as a user drives it: headless Chromium opens
// FOLDER/search.html from disk, the query is typed into the box (an input
// event, as keys give), and Enter is pressed PAUSE milliseconds after the
// last key, or once the typing's own search has drawn its results ("done").
// Prints, for each round, how long Enter's search took until its hundred
// were drawn (the page's own data-ms, as bench/search_page.sh reads it) and
// until the first rows, and how long the typing's search had taken by then.
//
//   node bench/search_typing.js FOLDER QUERY [PAUSE...]   (default: 0 300 done)
//
// The browser is driven over the DevTools protocol on a pipe
// (--remote-debugging-pipe: JSON messages ended by a NUL byte on fds 3 and 4).
"use strict";

const {spawn} = require("node:child_process");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const {pathToFileURL} = require("node:url");

const [folder, query, ...pauses] = process.argv.slice(2);
if (!folder || !query) {
  console.error("usage: node bench/search_typing.js FOLDER QUERY [PAUSE_MS|done ...]");
  process.exit(2);
}

function browser() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "vorn-typing-"));
  const child = spawn(process.env.VORN_CHROMIUM || "chromium", [
    "--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking", "--disable-component-update",
    "--disable-sync", "--no-first-run", `--user-data-dir=${profile}`, "--remote-debugging-pipe", "about:blank",
  ], {stdio: ["ignore", "ignore", "ignore", "pipe", "pipe"], detached: true});
  let next = 1;
  const waiting = new Map();
  let buffer = "";
  child.stdio[4].on("data", (chunk) => {
    buffer += chunk.toString("utf8");
    for (let end; (end = buffer.indexOf("\0")) >= 0;) {
      const message = JSON.parse(buffer.slice(0, end));
      buffer = buffer.slice(end + 1);
      const w = waiting.get(message.id);
      if (!w) continue;
      waiting.delete(message.id);
      if (message.error) w.reject(new Error(JSON.stringify(message.error)));
      else w.resolve(message.result);
    }
  });
  const send = (method, params = {}, sessionId) => new Promise((resolve, reject) => {
    const id = next++;
    waiting.set(id, {resolve, reject});
    child.stdio[3].write(JSON.stringify({id, method, params, sessionId}) + "\0");
  });
  const close = () => new Promise((resolve) => {
    const gone = () => {
      // The browser's helpers may still be leaving the profile.
      fs.rmSync(profile, {recursive: true, force: true, maxRetries: 20, retryDelay: 50});
      resolve();
    };
    if (child.exitCode !== null || child.signalCode !== null) return gone();
    child.on("exit", gone);
    process.kill(-child.pid);
  });
  return {send, close};
}

// Runs in the page: types the query, waits, presses Enter, and resolves to
// the times once Enter's search is done.
function drive(query, pause) {
  return `new Promise(function (resolve) {
    var box = document.getElementById("srch_q"), list = document.getElementById("srch_list");
    var typed = performance.now();
    function state() { return list.getAttribute("data-state"); }
    function when(test, then) { if (test()) then(); else setTimeout(function () { when(test, then); }, 2); }
    box.value = ${JSON.stringify(query)};
    box.dispatchEvent(new InputEvent("input", {bubbles: true}));
    var wait = ${pause === "done" ? `function (then) { when(function () { return state() === "done"; }, then); }`
                                  : `function (then) { setTimeout(then, ${Number(pause)}); }`};
    wait(function () {
      var typing = state() === "done" ? Number(list.getAttribute("data-ms")) : null;
      var enter = performance.now();
      list.setAttribute("data-state", "");
      document.getElementById("srch_form").requestSubmit();
      when(function () { return state() === "done" || state() === "error"; }, function () {
        var marks = list.getAttribute("data-marks") || "";
        var first = /first:(\\d+)/.exec(marks);
        resolve({state: state(), enter_ms: Number(list.getAttribute("data-ms")),
                 enter_wall_ms: Math.round(performance.now() - enter), first_ms: first ? Number(first[1]) : null,
                 typing_done_ms: typing, pause_ms: Math.round(enter - typed),
                 rows: list.children.length});
      });
    });
  })`;
}

// One round in a browser of its own, so that no file is loaded already.
async function round(pause) {
  const b = browser();
  try {
    const {targetInfos} = await b.send("Target.getTargets");
    const page = targetInfos.find((t) => t.type === "page");
    const {sessionId} = await b.send("Target.attachToTarget", {targetId: page.targetId, flatten: true});
    const url = pathToFileURL(path.join(folder, "search.html")).href + "?bench=1";
    await b.send("Page.navigate", {url}, sessionId);
    await b.send("Runtime.evaluate", {expression: `new Promise(function (r) {
      (function look() { if (document.readyState === "complete" && document.getElementById("srch_q")) r();
                         else setTimeout(look, 5); })(); })`, awaitPromise: true}, sessionId);
    const {result} = await b.send("Runtime.evaluate",
        {expression: drive(query, pause), awaitPromise: true, returnByValue: true}, sessionId);
    return result.value;
  } finally {
    await b.close();
  }
}

async function main() {
  for (const pause of pauses.length ? pauses : ["0", "300", "done"]) {
    console.log(JSON.stringify({pause, ...await round(pause)}));
  }
}

main().catch((e) => {
  console.error(e);
  process.exit(1);
});
