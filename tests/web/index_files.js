// A generated index in the format the program writes (srch/ files as
// script texts), with the docs it was made from, so that tests can check a
// query's results against a plain scan of the docs.
"use strict";

const {find} = require("./find_module.js");

function gaps(list) {
  return list.map((d, i) => (i === 0 ? d : d - list[i - 1]).toString(36)).join(",");
}

// The list as a bitmap: "~", the first doc in base 36, ".", a character of
// A-Z a-z 0-9 - _ for each six docs after the first (bit 32 the earliest).
function bitmap(list) {
  const digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
  const values = [];
  for (const d of list.slice(1)) {
    const bit = d - list[0] - 1;
    while (values.length <= Math.floor(bit / 6)) values.push(0);
    values[Math.floor(bit / 6)] |= 32 >> (bit % 6);
  }
  return "~" + list[0].toString(36) + "." + values.map((v) => digits[v]).join("");
}

// Segment A: 1203 docs (three chunks), segment B: 40 docs whose dates fall
// between A's; B replaces docs 600-609 and 1200 of A. Doc tokens: "all" in
// every doc, "even" in even docs, "tri" in docs divisible by 3, "b" in B only.
// With per, A's doc chunks hold per docs each and its manifest entry says so.
// spell(list) writes the doc lists (gaps unless given); a spell other than
// gaps makes the manifest version 2.
function big_index(per = 0, spell = gaps) {
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
  files.set("ix.js", `vorn_ix(${JSON.stringify({v: spell === gaps ? 1 : 2, shards, segs: [
    per ? {id: "A", docs: 1203, chunks: Math.ceil(1203 / per), gone: {}, chunk_docs: per} : {id: "A", docs: 1203, chunks: 3, gone: {}},
    {id: "B", docs: 40, chunks: 1, gone: {A: spell(gone)}},
  ]})});`);
  for (const seg of ["A", "B"]) {
    const mine = docs.filter((doc) => doc.seg === seg);
    for (let k = 0; k < shards; k++) {
      const part = {};
      for (const t of ["all", "even", "tri", "b"]) {
        const list = mine.filter((doc) => doc.tokens.includes(t)).map((doc) => doc.d);
        if (list.length > 0 && find.fnv1a(t) % shards === k) part[t] = spell(list);
      }
      files.set(`${seg}_${k}.js`, `vorn_part("${seg}",${k},${JSON.stringify(part)});`);
    }
    const size = seg === "A" && per ? per : 500;
    for (let c = 0; c * size < mine.length; c++) {
      const rows = mine.slice(c * size, c * size + size).map((doc) => [doc.page, doc.key, `date ${doc.key}`, `s${doc.page}`, "x"]);
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

module.exports = {gaps, bitmap, big_index, scan};
