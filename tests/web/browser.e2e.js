// The search page in a real browser: headless Chromium opens
// search.html?q=... from disk (file://), runs the page's script over an
// index and dumps the page as drawn; the test reads the listed pages from it.
//
// Run by CTest with VORN_CHROMIUM (the browser), VORN_WRITE_SEARCH_PAGE
// (tests/web/write_search_page.cpp, which writes the page and script as the
// program builds them in) and VORN_HTM (the program, which the last tests run
// to build and append to archives of their own). open_search() takes any
// archive folder, also one the program wrote:
//   node tests/web/browser.e2e.js FOLDER QUERY   prints the state, count and pages
"use strict";

const test = require("node:test");
const assert = require("node:assert");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const {execFileSync} = require("node:child_process");
const {pathToFileURL} = require("node:url");
const {big_index} = require("./index_files.js");
const {archive_with, fixture_files, kMails, program_archive} = require("./archives.js");
const {open_browser, navigate, evaluate} = require("./devtools.js");

const chromium = process.env.VORN_CHROMIUM || "chromium";

// Opens FOLDER/search.html with the query (and any further address text) and
// returns what the page shows: the list's state ("done", "empty", "error" or
// "" while nothing ran), the count, which messages show, the listed pages in
// order and the list's HTML.
function open_search(folder, query, more = "") {
  const url = pathToFileURL(path.join(folder, "search.html")).href + "?q=" + encodeURIComponent(query) + more;
  return shown_by(dump(url));
}

// Opens a copy of FOLDER/search.html that, once loaded, types the query into
// its box as keys do (an input event, no Enter), or with composing as an
// input method does (input events while it composes, then the end of the
// composition), and returns what the page shows after the typing pause.
function type_search(folder, query, composing = false) {
  const page = fs.readFileSync(path.join(folder, "search.html"), "latin1");
  const ascii = JSON.stringify(query).replace(/[^\x00-\x7f]/g, (c) => "\\u" + c.charCodeAt(0).toString(16).padStart(4, "0"));
  const end = composing ? `b.dispatchEvent(new CompositionEvent("compositionend",{bubbles:true,data:${ascii}}));` : "";
  const script = `<SCRIPT>window.addEventListener("load",function(){var b=document.getElementById("srch_q");` +
      `b.value=${ascii};b.dispatchEvent(new InputEvent("input",{bubbles:true,isComposing:${composing}}));${end}});` +
      `</SCRIPT>`;
  const copy = path.join(folder, "t_typed.html");
  fs.writeFileSync(copy, page.replace("</BODY>", script + "\r\n</BODY>"), "latin1");
  return shown_by(dump(pathToFileURL(copy).href, ["--virtual-time-budget=10000"]));
}

// The page at url as the browser drew it.
function dump(url, extra = []) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "vorn-chromium-"));
  try {
    return execFileSync(chromium, [
      "--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
      "--disable-component-update", "--disable-sync", "--no-first-run", `--user-data-dir=${profile}`,
      ...extra, "--dump-dom", url,
    ], {encoding: "utf8", timeout: 120000, stdio: ["ignore", "pipe", "ignore"], maxBuffer: 256 << 20});
  } finally {
    fs.rmSync(profile, {recursive: true, force: true});
  }
}

// What the search page in dom shows (open_search).
function shown_by(dom) {
  const list = /<div id="srch_list"([^>]*)>([\s\S]*?)<\/div>\s*<p><a[^>]*id="srch_more"/.exec(dom);
  assert.ok(list, "the page has its list");
  const attr = (name) => (new RegExp(`${name}="([^"]*)"`).exec(list[1]) || [, ""])[1];
  const shown = (id) => new RegExp(`id="${id}" style=""`).test(dom);
  return {
    state: attr("data-state"),
    ms: Number(attr("data-ms")),
    loaded: attr("data-loaded"),
    marks: attr("data-marks"),
    count: (/<span id="srch_count">(\d*)<\/span>/.exec(dom) || [, ""])[1],
    hits: shown("srch_hits"),
    none: shown("srch_none"),
    error: shown("srch_error"),
    more: shown("srch_more"),
    pages: [...list[2].matchAll(/<a href="m(\d+)\.htm"/g)].map((m) => Number(m[1])),
    html: list[2],
  };
}

if (require.main === module && process.argv.length === 4) {
  const got = open_search(process.argv[2], process.argv[3], "&bench=1");
  console.log(JSON.stringify({...got, html: undefined}));
} else {
  test("search.html lists the pages of the hand-written index", {skip: !process.env.VORN_WRITE_SEARCH_PAGE}, () => {
    const folder = archive_with(fixture_files());
    try {
      const cases = [
        ["kanji pairs", "会議室", [5, 1]],
        ["merged newest first", "予約", [4, 1, 6]],
        ["replaced page by its new text", "議事録", [2]],
        ["two words, full width", "ＯＦＦＬＩＮＥ　ｍｅｅｔｉｎｇ", [4, 3]],
      ];
      for (const [name, query, pages] of cases) {
        const got = open_search(folder, query);
        assert.deepStrictEqual({state: got.state, pages: got.pages, count: got.count, hits: got.hits, none: got.none},
            {state: "done", pages, count: String(pages.length), hits: true, none: false}, name);
      }
      const old = open_search(folder, "旧版");
      assert.deepStrictEqual([old.state, old.pages, old.hits, old.none], ["done", [], false, true], "no match");
      const empty = open_search(folder, "、");
      assert.deepStrictEqual([empty.state, empty.pages, empty.hits, empty.none], ["empty", [], false, false]);
      // A subject with "<" shows as text and makes no element.
      const tag = open_search(folder, "offline");
      assert.match(tag.html, /Re: offline meeting &lt;予約&gt;<\/a> \[山田 太郎 &lt;taro@example.jp&gt;\]/);
      assert.doesNotMatch(tag.html, /<予約>/);
      // "+" for a space, as a form writes it.
      assert.deepStrictEqual(open_search(folder, "", "+offline+meeting").pages, [4, 3]);
      // Typed without Enter: searched once the box is still.
      const typed = type_search(folder, "予約");
      assert.deepStrictEqual([typed.state, typed.pages, typed.count], ["done", [4, 1, 6], "3"]);
      const composed = type_search(folder, "議事録", true);
      assert.deepStrictEqual([composed.state, composed.pages], ["done", [2]], "searched when the composing ends");
    } finally {
      fs.rmSync(folder, {recursive: true, force: true});
    }
  });

  test("search.html searches what an input method commits and keys type", {skip: !process.env.VORN_WRITE_SEARCH_PAGE},
      async () => {
        const folder = archive_with(fixture_files());
        const b = await open_browser(chromium);
        const pause = (ms) => new Promise((r) => setTimeout(r, ms));
        const list = () => evaluate(b, `(function () { var l = document.getElementById("srch_list");
          return {state: l.getAttribute("data-state"), pages: Array.prototype.map.call(l.querySelectorAll("a"),
            function (a) { return Number(/m(\\d+)\\.htm/.exec(a.getAttribute("href"))[1]); })}; })()`);
        // The list once it shows want, or as it is after ten seconds (a
        // search of the keys typed so far may end first on a slow machine).
        const shows = async (want) => {
          for (let i = 0; i < 200; i++) {
            const got = await list();
            if (JSON.stringify(got) === JSON.stringify(want)) return got;
            await pause(50);
          }
          return list();
        };
        try {
          await navigate(b, pathToFileURL(path.join(folder, "search.html")).href);
          await evaluate(b, `document.getElementById("srch_q").focus()`);
          for (const text of ["g", "ぎ", "ぎじ", "ぎじろ", "ぎじろく"]) {
            await b.page("Input.imeSetComposition", {text, selectionStart: text.length, selectionEnd: text.length});
            await pause(100);
          }
          await pause(600);
          assert.deepStrictEqual(await list(), {state: null, pages: []}, "nothing while the input method composes");
          await b.page("Input.insertText", {text: "議事録"});
          assert.deepStrictEqual(await shows({state: "done", pages: [2]}), {state: "done", pages: [2]}, "committed");
          await evaluate(b, `document.getElementById("srch_q").value = "";
            document.getElementById("srch_list").removeAttribute("data-state")`);
          for (const key of "offline") {
            await b.page("Input.dispatchKeyEvent", {type: "keyDown", key, text: key});
            await b.page("Input.dispatchKeyEvent", {type: "keyUp", key});
          }
          assert.deepStrictEqual(await shows({state: "done", pages: [4, 3]}), {state: "done", pages: [4, 3]}, "keys");
        } finally {
          await b.close();
          fs.rmSync(folder, {recursive: true, force: true});
        }
      });

  test("search.html shows a hundred and a link for more", {skip: !process.env.VORN_WRITE_SEARCH_PAGE}, () => {
    const {files, live} = big_index();
    const folder = archive_with(files);
    try {
      const got = open_search(folder, "all");
      assert.strictEqual(got.state, "done");
      assert.strictEqual(got.count, String(live.length));
      assert.strictEqual(got.pages.length, 100);
      assert.strictEqual(got.more, true);
      // Newest: A's doc 1202 (page 1203); A's 1200 is replaced, B's 39 (page 2039) falls between 1170 and 1171.
      assert.deepStrictEqual(got.pages.slice(0, 3), [1203, 1202, 1200]);
      const few = open_search(folder, "b tri");
      assert.deepStrictEqual([few.pages.length, few.more], [14, false]);
    } finally {
      fs.rmSync(folder, {recursive: true, force: true});
    }
  });

  test("an archive the program built finds what its appends add and change", {skip: !process.env.VORN_HTM}, () => {
    const a = program_archive(true);
    try {
      a.run(kMails);
      const first = [
        ["kanji", "会議室", [1]],
        ["sender", "hanako", [3]],
        ["in every message, newest first", "example", [3, 2, 1]],
      ];
      for (const [name, query, pages] of first) assert.deepStrictEqual(open_search(a.out, query).pages, pages, name);
      // An append: its message is listed, newest first.
      a.run([{id: "a4@example.jp", from: "Bob <bob@example.com>", subject: "翌朝の追加", date: "Thu, 08 Jan 2004 10:00:00 +0900", body: "nightly append"}]);
      assert.deepStrictEqual(open_search(a.out, "nightly").pages, [4]);
      assert.deepStrictEqual(open_search(a.out, "example").pages, [4, 3, 2, 1]);
      // The same message again with other text takes over its page: found by
      // the new text only, listed once.
      a.run([{...kMails[1], body: "The gathering is cancelled."}]);
      const fresh = open_search(a.out, "cancelled");
      assert.deepStrictEqual([fresh.state, fresh.pages, fresh.count], ["done", [2], "1"]);
      const old = open_search(a.out, "tomorrow");
      assert.deepStrictEqual([old.state, old.pages, old.none], ["done", [], true]);
      assert.deepStrictEqual(open_search(a.out, "offline meeting").pages, [2]);
    } finally {
      a.remove();
    }
  });

  test("mail with characters code page 932 lacks is found and listed by them", {skip: !process.env.VORN_HTM}, () => {
    const a = program_archive(true);
    try {
      a.run([...kMails, {id: "u1@example.com", from: "=?UTF-8?B?" + Buffer.from("José").toString("base64") +
          "?= <jose@example.com>", subject: "Réunion café", date: "Thu, 08 Jan 2004 10:00:00 +0900",
        body: "Müller 한국어 naïve 😀"}]);
      const got = open_search(a.out, "CAFÉ 한국어");
      assert.deepStrictEqual([got.state, got.pages], ["done", [4]]);
      assert.match(got.html, /Réunion café<\/a> \[José &lt;jose@example.com&gt;\]/);
      assert.deepStrictEqual(open_search(a.out, "müller naïve").pages, [4]);
      assert.deepStrictEqual(open_search(a.out, "233").pages, []);
    } finally {
      a.remove();
    }
  });

  test("an archive built with the key off holds nothing of the search", {skip: !process.env.VORN_HTM}, () => {
    const a = program_archive(false);
    try {
      a.run(kMails);
      assert.ok(fs.existsSync(path.join(a.out, "menu.html")));
      assert.strictEqual(fs.existsSync(path.join(a.out, "srch")), false);
      assert.strictEqual(fs.existsSync(path.join(a.out, "search.html")), false);
      assert.doesNotMatch(fs.readFileSync(path.join(a.out, "menu.html"), "latin1"), /search\.html/);
      // Switched on, the next append indexes the messages already there too.
      a.settings(true);
      a.run([{id: "a4@example.jp", from: "Bob <bob@example.com>", subject: "later", date: "Thu, 08 Jan 2004 10:00:00 +0900", body: "nightly append"}]);
      assert.match(fs.readFileSync(path.join(a.out, "menu.html"), "latin1"), /search\.html/);
      assert.deepStrictEqual(open_search(a.out, "会議室").pages, [1]);
      assert.deepStrictEqual(open_search(a.out, "example").pages, [4, 3, 2, 1]);
      assert.deepStrictEqual(open_search(a.out, "report2024.pdf").pages, [3]);
    } finally {
      a.remove();
    }
  });

  test("search.html says so when the archive has no index", {skip: !process.env.VORN_WRITE_SEARCH_PAGE}, () => {
    const folder = archive_with(new Map());
    try {
      const got = open_search(folder, "会議");
      assert.deepStrictEqual([got.state, got.error, got.pages], ["error", true, []]);
    } finally {
      fs.rmSync(folder, {recursive: true, force: true});
    }
  });
}

module.exports = {open_search};
