// The search page's query code: the hand-written index of fixture/srch, and a
// larger index built here, whose results are checked against a plain scan of
// its docs.
"use strict";

const test = require("node:test");
const assert = require("node:assert");
const path = require("node:path");
const {find, folder_loader, memory_loader, all_results} = require("./find_module.js");
const {big_index, bitmap, gaps, scan} = require("./index_files.js");

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

// The program writes each list in the shorter spelling: here "all" and "b"
// (every doc of a segment), "even" and the gone docs (600-609, 1200) as
// bitmaps, "tri" (every third) as gaps, so that queries intersect the two.
test("queries over bitmaps and gaps together match a plain scan", async () => {
  const shorter = (list) => (list.length >= 2 && list[1] - list[0] < 3 ? bitmap(list) : gaps(list));
  const {files, live} = big_index(64, shorter);
  assert.match(files.get("ix.js"), /^vorn_ix\(\{"v":2,.*"gone":\{"A":"~/);
  for (const words of [["all"], ["even"], ["all", "tri"], ["even", "tri"], ["tri", "even", "all"], ["b", "even"]]) {
    const got = await all_results(memory_loader(files), words.join(" "));
    assert.deepStrictEqual(got.pages, scan(live, words), words.join(" "));
  }
});

// fixture/srch with "offline" (docs 1 and 4 of 0001, gaps "1,3") spelt as a
// bitmap by hand, beside "太郎" (docs 0 and 4, gaps "0,4").
test("a hand-written bitmap list intersects a gaps list", async () => {
  const fs = require("node:fs");
  const files = new Map();
  for (const name of fs.readdirSync(fixture)) files.set(name, fs.readFileSync(path.join(fixture, name), "utf8"));
  const v2 = (text) => text.replace('{"v":1,', '{"v":2,');
  files.set("ix.js", v2(files.get("ix.js")));
  files.set("0001_0.js", files.get("0001_0.js").replace('"offline":"1,3"', '"offline":"~1.I"'));
  const cases = [
    ["bitmap alone", "offline", [4, 3]],
    ["bitmap and gaps", "offline meeting", [4, 3]],
  ];
  for (const [name, query, pages] of cases) {
    assert.deepStrictEqual((await all_results(memory_loader(files), query)).pages, pages, name);
  }
  // A bitmap of docs 0, 1, 4 against the gaps "0,4" of 太郎: docs 0 and 4.
  files.set("0001_0.js", files.get("0001_0.js").replace('"offline":"~1.I"', '"offline":"~0.k"'));
  assert.deepStrictEqual((await all_results(memory_loader(files), "offline 太郎")).pages, [4, 1]);
});

test("a manifest of a version the page does not know fails the query", async () => {
  const {files} = big_index();
  for (const bad of ["0", "3", "\"2\"", "null"]) {
    const other = new Map(files);
    other.set("ix.js", files.get("ix.js").replace('"v":1', `"v":${bad}`));
    await assert.rejects(find.search(memory_loader(other), "all"), undefined, bad);
  }
});

// A removal writes a segment of no docs that only names docs gone: here
// doc 4 of 0001 (page 4). Its hits go; no shard of it is asked for.
test("a segment of no docs takes the docs it names out", async () => {
  const fs = require("node:fs");
  const files = new Map();
  for (const name of fs.readdirSync(fixture)) files.set(name, fs.readFileSync(path.join(fixture, name), "utf8"));
  files.set("ix.js", files.get("ix.js").replace(']});', ',{"id":"0003","docs":0,"chunks":0,"gone":{"0001":"4"}}]});'));
  const load = memory_loader(files);
  const got = await all_results(load, "offline meeting");
  assert.deepStrictEqual(got.pages, [3]);
  assert.deepStrictEqual(load.asked.filter((n) => n.startsWith("0003")), []);
  assert.deepStrictEqual((await all_results(memory_loader(files), "予約")).pages, [1, 6]);
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

test("a segment's own chunk size places its docs", async () => {
  const {files, live} = big_index(64);
  for (const words of [["all"], ["even", "tri"]]) {
    const got = await all_results(memory_loader(files), words.join(" "));
    assert.deepStrictEqual(got.pages, scan(live, words), words.join(" "));
  }
  const load = memory_loader(files);
  await (await find.search(load, "all")).next(100);
  // A's docs 1202 down to about 1105 stand in chunks 18 (1152-1215) and 17 (1088-1151).
  assert.deepStrictEqual(load.asked.filter((n) => n.includes("_d")).sort(), ["A_d17.js", "A_d18.js", "B_d0.js"]);
});

test("the rows known before each further load are handed out first, newest first", async () => {
  const {files, live} = big_index(16);
  const load = memory_loader(files);
  const res = await find.search(load, "tri");
  const early = [];
  const rows = await res.next(100, (got) => early.push({pages: got.map((r) => r.page), chunks: load.asked.length}));
  assert.deepStrictEqual(rows.map((r) => r.page), scan(live, ["tri"]).slice(0, 100));
  // tri's newest hundred lie in about nineteen chunks of 16 docs: the first
  // screenful's rows come out before the rest of the chunks are asked for.
  assert.ok(early.length >= 1, "rows handed out early");
  const handed = early.flatMap((e) => e.pages);
  assert.deepStrictEqual(handed, rows.slice(0, handed.length).map((r) => r.page));
  assert.ok(early[0].pages.length >= 20, `first hand-out ${early[0].pages.length} rows`);
  assert.ok(early[0].chunks < load.asked.length, "later chunks were asked for after the first hand-out");
});

test("a manifest with a chunk size that is no count fails the query", async () => {
  const {files} = big_index(64);
  for (const bad of ["0", "-5", "1.5", "\"64\""]) {
    const broken = new Map(files);
    broken.set("ix.js", files.get("ix.js").replace('"chunk_docs":64', `"chunk_docs":${bad}`));
    await assert.rejects(find.search(memory_loader(broken), "all"), undefined, bad);
  }
});

test("a doc chunk that cannot be loaded fails the page of results", async () => {
  const {files} = big_index();
  files.delete("A_d2.js");
  const res = await find.search(memory_loader(files), "all");
  await assert.rejects(res.next(100));
});
