// The search page's query code: the hand-written index of fixture/srch, and a
// larger index built here, whose results are checked against a plain scan of
// its docs.
"use strict";

const test = require("node:test");
const assert = require("node:assert");
const path = require("node:path");
const {find, folder_loader, memory_loader, all_results} = require("./find_module.js");

const fixture = path.join(__dirname, "fixture/srch");

// fixture/srch: segment 0001 holds pages 1, 3, 2, 5, 4 (docs 0-4, oldest
// first); segment 0002 holds page 6 (older than all, appended later) and
// page 2 again, which replaces doc 2 of 0001. Shard 3 of 0002 holds no token
// and has no file.
test("queries of the hand-written index", async () => {
  const cases = [
    ["kanji pairs", "会議室", [5, 1]],
    ["two words", "offline meeting", [4, 3]],
    ["full-width letters", "ＯＦＦＬＩＮＥ", [4, 3]],
    ["merge by date across segments", "予約", [4, 1, 6]],
    ["replaced page by its new text", "議事録", [2]],
    ["replaced page not by its old text", "旧版", []],
    ["new text only in the newer segment", "改訂", [2]],
    ["all tokens must occur", "会議 山田", [1]],
    ["a token the index lacks", "会議 火星", []],
    ["a name objects inherit (shard 3)", "constructor", []],
    ["another name objects inherit (shard 1)", "toString", []],
    ["a pair in the shard file 0002 lacks (shard 3)", "東京都", [5]],
    ["single kanji not indexed alone", "東", []],
  ];
  for (const [name, query, pages] of cases) {
    const got = await all_results(folder_loader(fixture), query);
    assert.deepStrictEqual(got.pages, pages, name);
    assert.strictEqual(got.count, pages.length, `${name}: count`);
  }
});

test("a result carries the texts the list shows", async () => {
  const got = await all_results(folder_loader(fixture), "東京都");
  assert.deepStrictEqual(got.rows, [
    {page: 5, date: "2004-01-08 06:00:00", subject: "東京都の会議室", sender: "佐藤 次郎 <jiro@example.co.jp>"},
  ]);
});

test("a query without tokens gives no results and loads nothing", async () => {
  for (const query of ["", "   ", "、。！", "〓"]) {
    const load = folder_loader(fixture);
    assert.strictEqual(await find.search(load, query), null, JSON.stringify(query));
    assert.deepStrictEqual(load.asked, []);
  }
});

test("a folder without an index fails the query", async () => {
  const load = folder_loader(path.join(__dirname, "no-such-folder"));
  await assert.rejects(find.search(load, "会議"));
});

test("only the shards of the query's tokens are loaded", async () => {
  const load = folder_loader(fixture);
  await find.search(load, "offline");
  // "offline" hashes to shard 0 (FNV-1a 0xec8b9928).
  assert.deepStrictEqual(load.asked.sort(), ["0001_0.js", "0002_0.js", "ix.js"]);
});

// ---- A larger index -------------------------------------------------------

function gaps(list) {
  return list.map((d, i) => (i === 0 ? d : d - list[i - 1]).toString(36)).join(",");
}

// Segment A: 1203 docs (three chunks), segment B: 40 docs whose dates fall
// between A's; B replaces docs 600-609 and 1200 of A. Doc tokens: "all" in
// every doc, "even" in even docs, "tri" in docs divisible by 3, "b" in B only.
function big_index() {
  const docs = [];
  const key = (n) => String(100000 + n).padStart(12, "0");
  for (let d = 0; d < 1203; d++) docs.push({seg: "A", d, page: d + 1, key: key(d * 10)});
  for (let d = 0; d < 40; d++) docs.push({seg: "B", d, page: 2000 + d, key: key(d * 300 + 5)});
  for (const doc of docs) {
    doc.tokens = ["all"];
    if (doc.d % 2 === 0) doc.tokens.push("even");
    if (doc.d % 3 === 0) doc.tokens.push("tri");
    if (doc.seg === "B") doc.tokens.push("b");
  }
  const gone = [...Array.from({length: 10}, (_, i) => 600 + i), 1200];
  const files = new Map();
  const shards = 3;
  files.set("ix.js", `vorn_ix(${JSON.stringify({v: 1, shards, segs: [
    {id: "A", docs: 1203, chunks: 3, gone: {}},
    {id: "B", docs: 40, chunks: 1, gone: {A: gaps(gone)}},
  ]})});`);
  for (const seg of ["A", "B"]) {
    const mine = docs.filter((doc) => doc.seg === seg);
    for (let k = 0; k < shards; k++) {
      const part = {};
      for (const t of ["all", "even", "tri", "b"]) {
        const list = mine.filter((doc) => doc.tokens.includes(t)).map((doc) => doc.d);
        if (list.length > 0 && find.fnv1a(t) % shards === k) part[t] = gaps(list);
      }
      files.set(`${seg}_${k}.js`, `vorn_part("${seg}",${k},${JSON.stringify(part)});`);
    }
    for (let c = 0; c * 500 < mine.length; c++) {
      const rows = mine.slice(c * 500, c * 500 + 500).map((doc) => [doc.page, doc.key, `date ${doc.key}`, `s${doc.page}`, "x"]);
      files.set(`${seg}_d${c}.js`, `vorn_docs("${seg}",${c},${JSON.stringify(rows)});`);
    }
  }
  const live = docs.filter((doc) => !(doc.seg === "A" && gone.includes(doc.d)));
  return {files, live};
}

// The pages of the live docs holding every word, newest first, by a plain scan.
function scan(live, words) {
  return live.filter((doc) => words.every((w) => doc.tokens.includes(w)))
      .sort((x, y) => (x.key < y.key ? 1 : x.key > y.key ? -1 : y.page - x.page))
      .map((doc) => doc.page);
}

test("results of a larger index match a plain scan, a hundred at a time", async () => {
  const {files, live} = big_index();
  for (const words of [["all"], ["even"], ["even", "tri"], ["tri", "b"], ["b"]]) {
    const want = scan(live, words);
    const res = await find.search(memory_loader(files), words.join(" "));
    assert.strictEqual(res.count, want.length, `${words}: count`);
    const pages = [];
    while (!res.done()) {
      const rows = await res.next(100);
      assert.ok(rows.length === 100 || res.done(), `${words}: a short page before the end`);
      pages.push(...rows.map((r) => r.page));
    }
    assert.deepStrictEqual(pages, want, words.join(" "));
  }
});

test("the first hundred load only the doc chunks they show", async () => {
  const {files} = big_index();
  const load = memory_loader(files);
  const res = await find.search(load, "all");
  const rows = await res.next(100);
  assert.strictEqual(rows.length, 100);
  // The newest hundred are A's docs 1202 down to about 1105 and B's newest few: chunk 2 of A, chunk 0 of B.
  assert.deepStrictEqual(load.asked.filter((n) => n.includes("_d")).sort(), ["A_d2.js", "B_d0.js"]);
});

test("a doc chunk that cannot be loaded fails the page of results", async () => {
  const {files} = big_index();
  files.delete("A_d2.js");
  const res = await find.search(memory_loader(files), "all");
  await assert.rejects(res.next(100));
});
