// Headless Chromium driven over the DevTools protocol on a pipe
// (--remote-debugging-pipe: JSON messages ended by a NUL byte on fds 3 and 4),
// for what --dump-dom cannot do: type into a page with the browser's own
// input events, wait for the page, time it.
"use strict";

const {spawn} = require("node:child_process");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");

// Starts a browser with a fresh profile; resolves to {send, page, close}:
// send(method, params) to the browser, page(method, params) to its tab,
// close() to end it and remove the profile.
async function open_browser(chromium = process.env.VORN_CHROMIUM || "chromium") {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "vorn-devtools-"));
  const child = spawn(chromium, [
    "--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking", "--disable-component-update",
    "--disable-sync", "--no-first-run", `--user-data-dir=${profile}`, "--remote-debugging-pipe", "about:blank",
  ], {stdio: ["ignore", "ignore", "ignore", "pipe", "pipe"], detached: true});
  let next = 1;
  let buffer = "";
  const waiting = new Map();
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
  const send = (method, params = {}, sessionId = undefined) => new Promise((resolve, reject) => {
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
  try {
    const {targetInfos} = await send("Target.getTargets");
    const tab = targetInfos.find((t) => t.type === "page");
    const {sessionId} = await send("Target.attachToTarget", {targetId: tab.targetId, flatten: true});
    return {send, page: (method, params) => send(method, params, sessionId), close};
  } catch (e) {
    await close();
    throw e;
  }
}

// Opens url in the tab and waits until its document has loaded.
async function navigate(b, url) {
  await b.page("Page.navigate", {url});
  await evaluate(b, `new Promise(function (r) {
    (function look() { if (location.href === ${JSON.stringify(url)} && document.readyState === "complete") r();
                       else setTimeout(look, 5); })(); })`);
}

// The value of a JavaScript expression in the tab (awaited when a promise).
async function evaluate(b, expression) {
  const {result, exceptionDetails} = await b.page("Runtime.evaluate",
      {expression, awaitPromise: true, returnByValue: true});
  if (exceptionDetails) throw new Error(JSON.stringify(exceptionDetails));
  return result.value;
}

module.exports = {open_browser, navigate, evaluate};
