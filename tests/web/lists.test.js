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
