// Writes a large search index in the format of an archive's srch/ folder,
// for timing the search page (bench/search_page.sh): no messages, only the
// index files, with posting lists sized like those of a mail archive.
//
//   node bench/search_index_gen.js FOLDER [--docs N] [--shards S] [--per P] [--tokens T] [--appends A] [--seed X]
//
// N docs (default 1,000,000) in one segment of N - A*1000 docs and A
// appended segments of 1000 docs each (default 3), each of which replaces 20
// docs of the segments before it. Each doc holds about T distinct tokens
// (default 200) drawn by a Zipf law from 500,000 kanji pairs; a few tokens
// the bench queries have fixed document frequencies:
//   ます です          in 60% of the docs each (a query with 360,000 hits)
//   会議               4% of the docs; 議室 half of those and 0.2% more;
//   予約               1%, and 15% of 議室's docs
//                      ("会議室 予約": a few thousand hits, newest in few chunks)
//   東京 花火          0.3% and 0.4%, independent: about 12 hits far apart
//                      (every hit in a doc chunk of its own)
// Doc rows have Japanese subjects and senders of a list's usual length, P
// (default 500) to a doc chunk; a P other than 500 is named in the manifest
// ("chunk_docs"). Doc lists are spelt as the program spells them, gaps or a
// bitmap, whichever is shorter. With --docs-only the shards are left as they
// are (from an earlier run with the same N, S and seed; only doc chunks and
// manifest change).
// Writes into FOLDER/srch/ and prints the bytes per doc.
"use strict";

const fs = require("node:fs");
const path = require("node:path");

const args = process.argv.slice(2);
const folder = args[0];
if (!folder) {
  console.error("usage: node bench/search_index_gen.js FOLDER [--docs N] [--shards S] [--tokens T] [--appends A]");
  process.exit(2);
}
const opt = (name, dflt) => {
  const i = args.indexOf(name);
  return i >= 0 ? Number(args[i + 1]) : dflt;
};
const N = opt("--docs", 1000000);
const S = opt("--shards", 1024);
const T = opt("--tokens", 200);
const A = opt("--appends", 3);
let seed = opt("--seed", 12345) >>> 0;
const PER_CHUNK = opt("--per", 500);
const DOCS_ONLY = args.includes("--docs-only");
const VOCAB = 500000;

// mulberry32: a small generator that gives the same index for the same seed.
function random() {
  seed = (seed + 0x6d2b79f5) >>> 0;
  let t = seed;
  t = Math.imul(t ^ (t >>> 15), t | 1);
  t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
  return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
}

function fnv1a(s) {
  let h = 0x811c9dc5;
  for (const b of Buffer.from(s, "utf8")) h = Math.imul(h ^ b, 0x01000193) >>> 0;
  return h;
}

// JSON with every non-ASCII character as \uXXXX.
function ascii_json(v) {
  return JSON.stringify(v).replace(/[\u0080-\uffff]/g, (c) => "\\u" + c.charCodeAt(0).toString(16).padStart(4, "0"));
}

// n distinct docs out of 0..size-1, ascending: each doc in with chance n/size.
function sample(size, n) {
  const p = Math.min(1, n / size);
  const out = [];
  for (let d = 0; d < size; d++) if (random() < p) out.push(d);
  return out;
}

// Faster for small n: n draws, sorted, repeats dropped.
function sparse(size, n) {
  if (n > size / 8) return sample(size, n);
  const set = new Set();
  for (let i = 0; i < n; i++) set.add(Math.floor(random() * size));
  return Int32Array.from(set).sort();
}

function gaps(list) {
  let out = "";
  let prev = 0;
  for (let i = 0; i < list.length; i++) {
    out += (i === 0 ? "" : ",") + (list[i] - prev).toString(36);
    prev = list[i];
  }
  return out;
}

// The same list as a bitmap: "~", the first doc in base 36, ".", then six
// docs after the first to a character of A-Z a-z 0-9 - _ (bit 32 the
// earliest of the six).
const BITMAP_DIGITS = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
function bitmap(list) {
  const first = list[0];
  const values = new Uint8Array(Math.ceil((list[list.length - 1] - first) / 6));
  for (let i = 1; i < list.length; i++) {
    const bit = list[i] - first - 1;
    values[Math.floor(bit / 6)] |= 32 >> bit % 6;
  }
  let out = "~" + first.toString(36) + ".";
  for (let k = 0; k < values.length; k += 4096) {
    out += String.fromCharCode(...Array.from(values.subarray(k, k + 4096), (v) => BITMAP_DIGITS.charCodeAt(v)));
  }
  return out;
}

// A doc list as the program writes it: the shorter spelling, gaps when both
// are as long.
function doc_list(list) {
  const g = gaps(list);
  if (list.length === 0) return g;
  const b_length = 2 + list[0].toString(36).length + Math.ceil((list[list.length - 1] - list[0]) / 6);
  return b_length < g.length ? bitmap(list) : g;
}

function pick(list, share) {
  return Array.from(list).filter(() => random() < share);
}

function union(a, b) {
  return Int32Array.from(new Set([...a, ...b])).sort();
}

// The fixed tokens of a segment of size docs.
function fixed_tokens(size) {
  const kaigi = sparse(size, size * 0.04);
  const shitsu = union(pick(kaigi, 0.5), sparse(size, size * 0.002));
  const yoyaku = union(pick(shitsu, 0.15), sparse(size, size * 0.01));
  return new Map([
    ["ます", sample(size, size * 0.6)],
    ["です", sample(size, size * 0.6)],
    ["会議", kaigi],
    ["議室", shitsu],
    ["予約", yoyaku],
    ["東京", sparse(size, size * 0.003)],
    ["花火", sparse(size, size * 0.004)],
  ]);
}

// The Zipf vocabulary: token of rank r in about K / r docs, K chosen so that
// a doc holds about T tokens.
function vocabulary() {
  const words = [];
  const seen = new Set(["ます", "です", "会議", "議室", "予約", "東京", "花火"]);
  while (words.length < VOCAB) {
    const w = String.fromCharCode(0x4e00 + Math.floor(random() * 3000), 0x4e00 + Math.floor(random() * 3000));
    if (!seen.has(w)) {
      seen.add(w);
      words.push(w);
    }
  }
  let harmonic = 0;
  for (let r = 1; r <= VOCAB; r++) harmonic += 1 / r;
  return {words, k: (T - 7 * 0.1) / harmonic};
}

function write(file, text) {
  fs.writeFileSync(path.join(folder, "srch", file), text);
  return text.length;
}

// One segment's shards: the vocabulary's lists scaled to size docs.
function write_shards(id, size, vocab) {
  const buckets = Array.from({length: S}, () => []);
  const fixed = fixed_tokens(size);
  for (const [w, list] of fixed) buckets[fnv1a(w) % S].push([w, list]);
  vocab.words.forEach((w, r) => buckets[fnv1a(w) % S].push([w, null, r + 1]));
  let bytes = 0;
  for (let k = 0; k < S; k++) {
    const part = {};
    for (const [w, list, rank] of buckets[k]) {
      const want = Math.min(size * 0.5, (vocab.k * size) / rank);
      const docs = list || sparse(size, Math.floor(want) + (random() < want % 1 ? 1 : 0));
      if (docs.length > 0) part[w] = doc_list(docs);
    }
    bytes += write(`${id}_${k}.js`, `vorn_part("${id}",${k},${ascii_json(part)});\n`);
  }
  return bytes;
}

const SUBJECT = "第三回オフ会のお知らせ（会場と日程、持ち物について）会議室の予約ソフトの表示";
const NAMES = ["山田 太郎", "鈴木 花子", "佐藤 次郎", "田中 一夫", "高橋 三郎"];

// One segment's doc rows, dated from first on, one doc a minute.
function write_docs(id, size, first_page, first_minute) {
  let bytes = 0;
  for (let c = 0; c * PER_CHUNK < size; c++) {
    const rows = [];
    for (let d = c * PER_CHUNK; d < Math.min(size, (c + 1) * PER_CHUNK); d++) {
      const t = new Date(Date.UTC(2000, 0, 1) + (first_minute + d) * 60000);
      const date = t.toISOString().slice(0, 19).replace("T", " ");
      const len = 10 + Math.floor(random() * 25);
      const at = Math.floor(random() * (SUBJECT.length - len));
      const name = NAMES[Math.floor(random() * NAMES.length)];
      rows.push([first_page + d, date.replace(/[-: ]/g, ""), date,
        `[vorn:${String(d % 100000).padStart(5, "0")}] Re: ${SUBJECT.slice(at, at + len)}`,
        `${name} <user${d % 997}@example.jp>`]);
    }
    bytes += write(`${id}_d${c}.js`, `vorn_docs("${id}",${c},${ascii_json(rows)});\n`);
  }
  return bytes;
}

fs.mkdirSync(path.join(folder, "srch"), {recursive: true});
const vocab = vocabulary();
const segs = [];
let bytes = 0;
let page = 1;
let minute = 0;
const sizes = [N - A * 1000, ...Array(A).fill(1000)];
sizes.forEach((size, i) => {
  const id = String(i + 1).padStart(4, "0");
  if (!DOCS_ONLY) bytes += write_shards(id, size, vocab);
  bytes += write_docs(id, size, page, minute);
  const gone = {};
  if (i > 0) gone[segs[0].id] = doc_list(sparse(sizes[0], 20));
  const seg = {id, docs: size, chunks: Math.ceil(size / PER_CHUNK), gone};
  if (PER_CHUNK !== 500) seg.chunk_docs = PER_CHUNK;
  segs.push(seg);
  page += size;
  minute += size;
  console.error(`segment ${id}: ${size} docs`);
});
bytes += write("ix.js", `vorn_ix(${JSON.stringify({v: 2, shards: S, segs})});\n`);
console.log(`${N} docs, ${S} shards: ${bytes} bytes, ${(bytes / N).toFixed(0)} bytes per doc`);
