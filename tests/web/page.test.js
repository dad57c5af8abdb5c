// The search page's wiring (start_page): focus, the query from the address,
// Enter, "more", and a later query overtaking an earlier one. The page runs
// on a small stand-in of the DOM whose <script> elements load index files
// from a folder or from memory; the browser test opens the real page.
"use strict";

const test = require("node:test");
const assert = require("node:assert");
const fs = require("node:fs");
const path = require("node:path");
const vm = require("node:vm");
const {find} = require("./find_module.js");
const {big_index, scan} = require("./index_files.js");

class Node {
  constructor(tag, doc) {
    this.tagName = tag;
    this.doc = doc;
    this.style = {display: ""};
    this.attrs = {};
    this.children = [];
    this.parentNode = null;
    this.text = "";
    this.listeners = {};
  }
  addEventListener(type, f) { (this.listeners[type] ||= []).push(f); }
  fire(type, e) { for (const f of this.listeners[type] || []) f(e); }
  setAttribute(k, v) { this.attrs[k] = String(v); }
  getAttribute(k) { return this.attrs[k]; }
  get firstChild() { return this.children[0] || null; }
  set textContent(t) { this.children = []; this.text = t; }
  get textContent() { return this.text + this.children.map((c) => c.textContent).join(""); }
  appendChild(c) {
    c.parentNode = this;
    this.children.push(c);
    if (this.tagName === "head") this.doc.load_script(c);
    return c;
  }
  removeChild(c) { this.children = this.children.filter((x) => x !== c); }
  focus() { this.doc.focused = this; }
}

// A document holding the elements of search.html the script uses, and a
// window whose address is search.html + search. Script files come from
// files (name -> text), loaded a turn after their element is added.
function page(files, search) {
  const doc = {
    focused: null,
    createElement: (tag) => new Node(tag, doc),
    createTextNode: (t) => Object.assign(new Node("#text", doc), {text: t}),
    getElementById: (id) => doc.els[id] || null,
    load_script(s) {
      setImmediate(() => {
        const name = s.src.replace(/^srch\//, "").replace(/\?.*$/, "");
        if (!files.has(name)) return s.onerror();
        vm.runInNewContext(files.get(name), {vorn_ix: win.vorn_ix, vorn_part: win.vorn_part, vorn_docs: win.vorn_docs});
        s.onload();
      });
    },
  };
  doc.head = new Node("head", doc);
  doc.els = {};
  for (const id of ["srch_form", "srch_q", "srch_list", "srch_hits", "srch_count", "srch_none", "srch_error",
    "srch_more"]) {
    doc.els[id] = new Node(id, doc);
  }
  doc.els.srch_q.value = "";
  const win = {
    location: {search},
    performance: {now: () => 0},
    URLSearchParams,
    replaced: [],
    history: {replaceState: (s, t, url) => win.replaced.push(url)},
    setTimeout,
    clearTimeout,
  };
  const wired = find.start_page(doc, win);
  return {doc, win, el: (id) => doc.els[id], runs: () => wired.current};
}

function shown(p, id) {
  return p.el(id).style.display !== "none";
}

function pages(p) {
  return p.el("srch_list").children.map((line) => Number(/m(\d+)\.htm/.exec(line.children[1].href)[1]));
}

// Waits until the list has a state again (the page sets it when it is done).
async function settled(p) {
  for (let i = 0; i < 1000 && !p.el("srch_list").getAttribute("data-state"); i++) {
    await new Promise((r) => setImmediate(r));
  }
  return p.el("srch_list").getAttribute("data-state");
}

function submit(p, query) {
  p.el("srch_list").setAttribute("data-state", "");
  p.el("srch_q").value = query;
  let prevented = false;
  p.el("srch_form").onsubmit({preventDefault: () => { prevented = true; }});
  return prevented;
}

function fixture() {
  const dir = path.join(__dirname, "fixture/srch");
  return new Map(fs.readdirSync(dir).map((n) => [n, fs.readFileSync(path.join(dir, n), "latin1")]));
}

test("the box has the focus and the address's query runs at once", async () => {
  const p = page(fixture(), "?q=%E4%BA%88%E7%B4%84");
  assert.strictEqual(p.doc.focused, p.el("srch_q"));
  assert.strictEqual(p.el("srch_q").value, "予約");
  assert.strictEqual(await settled(p), "done");
  assert.deepStrictEqual(pages(p), [4, 1, 6]);
  assert.strictEqual(p.el("srch_count").textContent, "3");
  assert.deepStrictEqual([shown(p, "srch_hits"), shown(p, "srch_none"), shown(p, "srch_more")], [true, false, false]);
  const first = p.el("srch_list").children[0];
  assert.deepStrictEqual([first.children[0].text, first.children[1].textContent, first.children[1].target,
    first.children[2].text], ["2004-01-09 05:00:00 ", "Re: offline meeting <予約>", "_self",
    " [山田 太郎 <taro@example.jp>]"]);
});

test("without a query in the address nothing runs", async () => {
  for (const search of ["", "?x=1"]) {
    const p = page(fixture(), search);
    await new Promise((r) => setImmediate(r));
    assert.strictEqual(p.el("srch_list").getAttribute("data-state"), undefined, search);
    assert.strictEqual(p.doc.head.children.length, 0, "no script loaded");
    assert.strictEqual(p.doc.focused, p.el("srch_q"));
  }
});

test("Enter searches the box in the page and notes the query in the address", async () => {
  const p = page(fixture(), "");
  assert.strictEqual(submit(p, "議事録"), true, "the form is not sent");
  assert.strictEqual(await settled(p), "done");
  assert.deepStrictEqual(pages(p), [2]);
  assert.deepStrictEqual(p.win.replaced, ["?q=%E8%AD%B0%E4%BA%8B%E9%8C%B2"]);
  submit(p, "旧版");
  assert.strictEqual(await settled(p), "done");
  assert.deepStrictEqual(pages(p), []);
  assert.deepStrictEqual([shown(p, "srch_hits"), shown(p, "srch_none")], [false, true]);
  submit(p, "。");
  assert.strictEqual(await settled(p), "empty");
  assert.deepStrictEqual([shown(p, "srch_hits"), shown(p, "srch_none"), pages(p)], [false, false, []]);
});

test("a later query overtakes one still loading", async () => {
  const p = page(fixture(), "");
  submit(p, "会議室");
  submit(p, "offline");
  assert.strictEqual(await settled(p), "done");
  for (let i = 0; i < 50; i++) await new Promise((r) => setImmediate(r));
  assert.deepStrictEqual(pages(p), [4, 3]);
  assert.strictEqual(p.el("srch_count").textContent, "2");
});

test("more shows the next hundred", async () => {
  const {files, live} = big_index();
  const p = page(files, "?q=even");
  assert.strictEqual(await settled(p), "done");
  const want = scan(live, ["even"]);
  assert.strictEqual(p.el("srch_count").textContent, String(want.length));
  assert.deepStrictEqual(pages(p), want.slice(0, 100));
  assert.strictEqual(shown(p, "srch_more"), true);
  for (let n = 200; n < want.length + 100; n += 100) {
    p.el("srch_list").setAttribute("data-state", "");
    let prevented = false;
    p.el("srch_more").onclick({preventDefault: () => { prevented = true; }});
    assert.strictEqual(prevented, true);
    assert.strictEqual(await settled(p), "done");
    assert.deepStrictEqual(pages(p), want.slice(0, n), `after ${n}`);
  }
  assert.strictEqual(shown(p, "srch_more"), false);
});

test("the newest rows show while the rest of the hundred still load", async () => {
  const {files, live} = big_index(16);
  const p = page(files, "?q=tri");
  let early = [];
  for (let i = 0; i < 1000 && !p.el("srch_list").getAttribute("data-state"); i++) {
    if (early.length === 0 && p.el("srch_list").children.length > 0) early = pages(p);
    await new Promise((r) => setImmediate(r));
  }
  const want = scan(live, ["tri"]).slice(0, 100);
  assert.ok(early.length > 0 && early.length < 100, `${early.length} rows shown before the end`);
  assert.deepStrictEqual(early, want.slice(0, early.length));
  assert.deepStrictEqual(pages(p), want, "each row once, in order");
});

test("a missing index shows the error", async () => {
  const p = page(new Map(), "?q=%E4%BC%9A%E8%AD%B0");
  assert.strictEqual(await settled(p), "error");
  assert.deepStrictEqual([shown(p, "srch_error"), shown(p, "srch_hits"), pages(p)], [true, false, []]);
});

// Sets the box to text and tells the page, as typing does.
function type(p, text, composing = false) {
  p.el("srch_list").setAttribute("data-state", "");
  p.el("srch_q").value = text;
  p.el("srch_q").fire("input", {isComposing: composing});
}

const pause = (ms) => new Promise((r) => setTimeout(r, ms));

// Waits out the typing pause, then for the search it started.
async function typed_settled(p) {
  await pause(300);
  return settled(p);
}

test("what is typed is searched once the box is still", async () => {
  const p = page(fixture(), "");
  type(p, "議");
  type(p, "議事");
  type(p, "議事録");
  await pause(100);
  assert.strictEqual(p.runs(), 0, "nothing while the keys come");
  assert.strictEqual(await typed_settled(p), "done");
  assert.strictEqual(p.runs(), 1, "one search, of what the box holds");
  assert.deepStrictEqual(pages(p), [2]);
  assert.deepStrictEqual(p.win.replaced, [], "the address changes on Enter only");
  type(p, "議事録");
  await pause(400);
  assert.strictEqual(p.runs(), 1, "the query shown is not searched again");
});

test("nothing is searched while an input method composes", async () => {
  const p = page(fixture(), "");
  type(p, "よやく", true);
  await pause(400);
  assert.strictEqual(p.runs(), 0);
  p.el("srch_q").value = "予約";
  p.el("srch_q").fire("compositionend", {});
  assert.strictEqual(await typed_settled(p), "done");
  assert.deepStrictEqual(pages(p), [4, 1, 6]);
  // A key typed and then the composing of another: the first waits no more.
  type(p, "議事録");
  type(p, "議事録よ", true);
  await pause(400);
  assert.strictEqual(p.runs(), 1);
});

test("Enter right after typing searches once, at once", async () => {
  const p = page(fixture(), "");
  type(p, "旧版");
  submit(p, "議事録");
  assert.strictEqual(p.runs(), 1);
  assert.strictEqual(await settled(p), "done");
  await pause(400);
  assert.strictEqual(p.runs(), 1, "no second search when the pause ends");
  assert.deepStrictEqual(pages(p), [2]);
  submit(p, "議事録");
  assert.strictEqual(await settled(p), "done");
  assert.strictEqual(p.runs(), 2, "Enter searches the same query again");
  assert.deepStrictEqual(pages(p), [2]);
});
