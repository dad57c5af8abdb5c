// The page's tokeniser against the examples file shared with the program's.
"use strict";

const test = require("node:test");
const assert = require("node:assert");
const fs = require("node:fs");
const path = require("node:path");
const {root, find} = require("./find_module.js");

function examples() {
  const file = path.join(root, "tests/data/search_tokens.txt");
  const rows = [];
  fs.readFileSync(file, "utf8").split("\n").forEach((line, i) => {
    if (line === "" || line.startsWith("#")) return;
    const tab = line.indexOf("\t");
    assert.ok(tab >= 0, `line ${i + 1} has no TAB`);
    rows.push({
      line: i + 1,
      text: line.slice(0, tab).replaceAll("\\n", "\n"),
      tokens: line.slice(tab + 1) === "" ? [] : line.slice(tab + 1).split(" "),
    });
  });
  return rows;
}

test("every example of the shared file gives its tokens", () => {
  const rows = examples();
  assert.ok(rows.length >= 40, `only ${rows.length} examples`);
  for (const row of rows) {
    assert.deepStrictEqual(find.tokenise(row.text), row.tokens, `line ${row.line}: ${JSON.stringify(row.text)}`);
  }
});

test("line breaks of every kind join Japanese text alike", () => {
  for (const brk of ["\n", "\r\n", "\r"]) {
    assert.deepStrictEqual(find.tokenise(`予${brk}約`), ["予約"], JSON.stringify(brk));
    assert.deepStrictEqual(find.tokenise(`予${brk}${brk}約`), ["予", "約"], JSON.stringify(brk));
  }
});

test("a query's tokens are counted once", () => {
  assert.deepStrictEqual(find.query_tokens("会議 会議 Meeting meeting"), ["会議", "meeting"]);
  assert.deepStrictEqual(find.query_tokens("東京東京"), ["東京", "京東"]);
  assert.deepStrictEqual(find.query_tokens(" 、。!? "), []);
});

// Token i of eight is the query's distinct token round(i * (n - 1) / 7).
test("a long query is searched by eight of its tokens, spread over it", () => {
  const cases = [
    ["eight stay", "aa bb cc dd ee ff gg hh", ["aa", "bb", "cc", "dd", "ee", "ff", "gg", "hh"]],
    ["nine", "a1 a2 a3 a4 a5 a6 a7 a8 a9", ["a1", "a2", "a3", "a4", "a6", "a7", "a8", "a9"]],
    ["fifteen, repeats counted once", "t0 t1 t2 t3 t4 t5 t6 t7 t0 t8 t9 t10 t11 t12 t13 t14",
      ["t0", "t2", "t4", "t6", "t8", "t10", "t12", "t14"]],
    ["a Japanese subject", "第三回オフ会のお知らせ（会場と日程）", ["第三", "回オ", "フ会", "のお", "お知", "らせ", "場と", "日程"]],
  ];
  for (const [name, query, want] of cases) assert.deepStrictEqual(find.search_tokens(query), want, name);
});
