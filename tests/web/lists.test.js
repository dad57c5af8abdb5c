// The shard hash and the doc lists of the search page's code.
"use strict";

const test = require("node:test");
const assert = require("node:assert");
const {find} = require("./find_module.js");

test("fnv1a gives the published FNV-1a 32-bit values", () => {
  const cases = [
    ["", 0x811c9dc5],
    ["a", 0xe40c292c],
    ["foobar", 0xbf9cf968],
    // Values below from an independent implementation (Python, over str.encode()).
    ["会議", 0x38d9199a],
    ["offline", 0xec8b9928],
    ["\u00e9", 0x1e9de8c1],
    ["\u{1f389}", 0x70d77d09],
  ];
  for (const [text, want] of cases) assert.strictEqual(find.fnv1a(text), want, JSON.stringify(text));
});

test("parse_gaps reads base-36 differences", () => {
  const cases = [
    ["empty", "", []],
    ["one", "0", [0]],
    ["first as it stands", "a", [10]],
    ["differences", "a,z,10", [10, 45, 81]],
    ["upper case digits", "A,Z", [10, 45]],
    ["long number", "zzzz", [36 ** 4 - 1]],
    ["largest doc number", "zik0zj", [2 ** 31 - 1]],
    ["zero difference kept", "3,0,1", [3, 3, 4]],
  ];
  for (const [name, text, want] of cases) assert.deepStrictEqual(Array.from(find.parse_gaps(text)), want, name);
});

test("parse_gaps refuses malformed lists", () => {
  for (const text of ["1,,2", ",1", "1,", "1;2", "-1", "1 2", "\u00e9", "zik0zk", "zik0zj,1", "zzzzzzzzzzzz"]) {
    assert.throws(() => find.parse_gaps(text), undefined, JSON.stringify(text));
  }
});

// "~", the first doc in base 36, ".", then six docs after the first to a
// character of A-Z a-z 0-9 - _ (values 0 to 63), bit 32 the earliest.
test("parse_bitmap reads six docs a character", () => {
  const cases = [
    ["one doc", "~5.", [5]],
    ["from zero", "~0.w", [0, 1, 2]],
    ["all six", "~0._", [0, 1, 2, 3, 4, 5, 6]],
    ["last of six only", "~0.B", [0, 6]],
    ["seven after the first", "~0.gQ", [0, 1, 8]],
    ["empty characters between", "~a.AAg", [10, 23]],
    ["every other", "~0.VVVU", [0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22]],
    ["digits and marks", "~0.9_-", [0, 1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17]],
    ["first in base 36", "~100.g", [1296, 1297]],
    ["largest doc number", "~zik0zi.g", [2 ** 31 - 2, 2 ** 31 - 1]],
  ];
  for (const [name, text, want] of cases) {
    assert.deepStrictEqual(Array.from(find.parse_bitmap(text)), want, name);
    assert.deepStrictEqual(Array.from(find.parse_doc_list(text)), want, `${name}: either spelling`);
  }
});

test("parse_doc_list reads gaps as gaps", () => {
  assert.deepStrictEqual(Array.from(find.parse_doc_list("a,z,10")), [10, 45, 81]);
  assert.deepStrictEqual(Array.from(find.parse_doc_list("")), []);
  // A bitmap is no gaps text.
  assert.throws(() => find.parse_gaps("~0.w"));
});

test("parse_bitmap refuses malformed bitmaps", () => {
  const cases = [
    ["mark alone", "~"],
    ["no first", "~.w"],
    ["no dot", "~3w"],
    ["dot alone", "~."],
    ["upper case first", "~A.w"],
    ["ends on no doc", "~3.wA"],
    ["no doc at all", "~3.A"],
    ["other character", "~3.w="],
    ["second dot", "~3.w.g"],
    ["comma", "~3.w,1"],
    ["second mark", "~3.w~"],
    ["space", "~3. w"],
    ["non-ASCII", "~3.\u00e9"],
    ["first too large", "~zik0zk."],
    ["doc past the largest", "~zik0zj.g"],
    ["bits past the largest", "~zik0zg.AB"],
    ["gaps then bitmap", "3,~1.g"],
  ];
  for (const [name, text] of cases) assert.throws(() => find.parse_doc_list(text), undefined, name);
  // A list that is no string at all.
  for (const other of [123, null, undefined, ["1"]]) assert.throws(() => find.parse_doc_list(other), undefined, String(other));
});

test("intersect and subtract keep ascending order", () => {
  const cases = [
    ["disjoint", [1, 3, 5], [2, 4, 6], [], [1, 3, 5]],
    ["equal", [1, 2, 3], [1, 2, 3], [1, 2, 3], []],
    ["empty side", [], [1, 2], [], []],
    ["short in long", [5, 500, 9999], Array.from({length: 10000}, (_, i) => i), [5, 500, 9999], []],
    ["ends", [0, 7, 9], [0, 9], [0, 9], [7]],
    ["past the end", [1, 2, 100], [50], [], [1, 2, 100]],
    ["like lengths, interleaved", [0, 2, 4, 6, 8, 10], [1, 2, 3, 6, 9, 10, 11], [2, 6, 10], [0, 4, 8]],
  ];
  for (const [name, a, b, both, a_only] of cases) {
    const [ta, tb] = [Int32Array.from(a), Int32Array.from(b)];
    assert.deepStrictEqual(Array.from(find.intersect(ta, tb)), both, `${name}: a ∩ b`);
    assert.deepStrictEqual(Array.from(find.intersect(tb, ta)), both, `${name}: b ∩ a`);
    assert.deepStrictEqual(Array.from(find.subtract(ta, tb)), a_only, `${name}: a - b`);
  }
});

test("page_file pads to seven digits", () => {
  assert.strictEqual(find.page_file(123), "m0000123.htm");
  assert.strictEqual(find.page_file(0), "m0000000.htm");
  assert.strictEqual(find.page_file(12345678), "m12345678.htm");
});
