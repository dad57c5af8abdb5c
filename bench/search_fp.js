// Reads the search index of an archive as the search page does and measures
// two-word queries: how many of the messages listed hold every token but not
// the words themselves (false positives), and whether a message holding
// both words is ever missed. Node.js, no modules beyond its own.
//   node bench/search_fp.js ARCHIVE [QUERIES] [PAGES_CHECKED_FOR_MISSES]
// Queries are drawn (deterministically) from the archive's own pages: two
// runs of 2 to 4 Japanese characters, or two words of letters, of one page.
"use strict";
const fs = require("fs");
const path = require("path");
const vm = require("vm");

const [dir, nQueries = "40", nMissPages = "3000"] = process.argv.slice(2);
const J = /^[\p{Script=Han}\p{Script=Hiragana}\p{Script=Katakana}々〆ヶー]$/u;
const W = /^[\p{L}\p{N}]$/u, M = /^\p{M}$/u;

function tokenise(s) {
  s = s.normalize("NFKC").toLowerCase();
  const cs = [...s], out = [];
  let w = "", j = [];
  const endJ = () => { if (j.length === 1) out.push(j[0]); for (let k = 1; k < j.length; k++) out.push(j[k - 1] + j[k]); j = []; };
  const endW = () => { if (w) out.push(w); w = ""; };
  for (let i = 0; i < cs.length; i++) {
    const c = cs[i];
    if (c === "\n" || c === "\r") {
      if (j.length) { let k = i + 1; if (c === "\r" && cs[k] === "\n") k++; if (k < cs.length && J.test(cs[k])) { i = k - 1; continue; } }
      endW(); endJ(); continue;
    }
    if (J.test(c)) { endW(); j.push(c); } else if (W.test(c)) { endJ(); w += c; } else if (M.test(c) && w) w += c; else { endW(); endJ(); }
  }
  endW(); endJ();
  return out;
}
function fnv(s) {
  let h = 2166136261;
  for (const b of Buffer.from(s, "utf8")) { h ^= b; h = Math.imul(h, 16777619) >>> 0; }
  return h >>> 0;
}
// A doc list in either spelling the writer uses: gaps in base 36, or "~",
// the first doc in base 36, "." and six docs a character (bit 32 the next).
const BITMAP = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
function gaps(t) {
  const out = []; let total = 0; if (!t) return out;
  if (t[0] === "~") {
    const dot = t.indexOf("."), first = parseInt(t.slice(1, dot), 36);
    out.push(first);
    for (let k = dot + 1; k < t.length; k++) {
      const v = BITMAP.indexOf(t[k]);
      for (let b = 0; b < 6; b++) if (v & (32 >> b)) out.push(first + 6 * (k - dot - 1) + 1 + b);
    }
    return out;
  }
  for (const g of t.split(",")) { total += parseInt(g, 36); out.push(total); }
  return out;
}

// The files, loaded as the page loads them: scripts that call a function.
let got;
const ctx = vm.createContext({ vorn_ix: (o) => { got = o; }, vorn_part: (id, k, o) => { got = o; }, vorn_docs: (id, c, a) => { got = a; } });
function load(file) {
  got = undefined;
  try { vm.runInContext(fs.readFileSync(path.join(dir, "srch", file), "latin1"), ctx); } catch (e) { if (e.code !== "ENOENT") throw e; }
  return got;
}
const ix = load("ix.js");
const partCache = new Map(), docCache = new Map();
function part(id, k) { const key = id + "_" + k; if (!partCache.has(key)) partCache.set(key, load(key + ".js") || {}); return partCache.get(key); }
function docsOf(seg) {
  if (!docCache.has(seg.id)) { let all = []; for (let c = 0; c < seg.chunks; c++) all = all.concat(load(seg.id + "_d" + c + ".js")); docCache.set(seg.id, all); }
  return docCache.get(seg.id);
}
function search(tokens) {
  const pages = [];
  ix.segs.forEach((seg, s) => {
    let docs = null;
    for (const t of tokens) {
      const list = new Set(gaps(part(seg.id, fnv(t) % ix.shards)[t]));
      docs = docs === null ? list : new Set([...docs].filter((d) => list.has(d)));
    }
    for (const later of ix.segs.slice(s + 1)) for (const d of gaps((later.gone || {})[seg.id])) docs.delete(d);
    const rows = docsOf(seg);
    for (const d of docs) pages.push(rows[d]);
  });
  return pages;
}

// What a message shows, normalised as the tokens are: its page's text
// without markup, with the subject and sender of its row.
const sjis = new TextDecoder("shift_jis");
function shown(row) {
  const file = path.join(dir, "m" + String(row[0]).padStart(7, "0") + ".htm");
  let t = sjis.decode(fs.readFileSync(file));
  // The message's own text starts after the header block's rule.
  const rule = t.indexOf("-".repeat(50));
  if (rule >= 0) t = t.slice(rule + 50);
  t = t.replace(/<[^>]*>/g, "").replace(/&#(\d+);/g, (m, n) => (Number(n) > 0 && Number(n) <= 0x10ffff ? String.fromCodePoint(Number(n)) : m)).replace(/&lt;/g, "<").replace(/&gt;/g, ">").replace(/&quot;/g, '"').replace(/&amp;/g, "&");
  t = (t + "\n" + row[3] + "\n" + row[4]).normalize("NFKC").toLowerCase();
  return t.replace(/([\p{Script=Han}\p{Script=Hiragana}\p{Script=Katakana}々〆ヶー])\r?\n(?=[\p{Script=Han}\p{Script=Hiragana}\p{Script=Katakana}々〆ヶー])/gu, "$1");
}

// Deterministic queries from the pages of the first segment's docs.
let seed = 12345;
const rnd = (n) => { seed = (Math.imul(seed, 1103515245) + 12345) >>> 0; return seed % n; };
const allRows = ix.segs.flatMap((seg) => docsOf(seg));
const queries = [];
for (let tries = 0; queries.length < Number(nQueries) && tries < 10000; tries++) {
  const text = shown(allRows[rnd(allRows.length)]);
  const runs = text.match(/[\p{Script=Han}\p{Script=Hiragana}\p{Script=Katakana}々〆ヶー]{3,}/gu) || [];
  const words = text.match(/[a-z][a-z0-9]{3,}/g) || [];
  const japanese = queries.length % 4 !== 3;
  const pool = japanese ? runs : words;
  if (pool.length < 2) continue;
  const pick = () => { const r = pool[rnd(pool.length)]; if (!japanese) return r; const n = 2 + rnd(3); const at = rnd(Math.max(1, r.length - n + 1)); return r.slice(at, at + n); };
  const a = pick(), b = pick();
  if (a !== b) queries.push([a, b]);
}

// Whether text holds a query word: Japanese as it stands, a word of letters
// as a whole word (the index finds words, not parts of them).
function holds(t, w) {
  if (J.test(w[0])) return t.includes(w);
  return new RegExp("(^|[^\\p{L}\\p{N}])" + w + "($|[^\\p{L}\\p{N}])", "u").test(t);
}
let hits = 0, falsePositives = 0, misses = 0, checked = 0;
const lines = [];
for (const [a, b] of queries) {
  const tokens = [...new Set(tokenise(a).concat(tokenise(b)))];
  const found = search(tokens);
  let fp = 0;
  for (const row of found) { const t = shown(row); if (!(holds(t, a) && holds(t, b))) fp++; }
  hits += found.length; falsePositives += fp;
  lines.push(`${a} ${b}\t${found.length}\t${fp}`);
}
// Misses: every page among the first ones that holds both words is listed.
const sample = allRows.slice(0, Number(nMissPages));
for (const [a, b] of queries) {
  const listed = new Set(search([...new Set(tokenise(a).concat(tokenise(b)))]).map((r) => r[0]));
  for (const row of sample) { const t = shown(row); if (holds(t, a) && holds(t, b)) { checked++; if (!listed.has(row[0])) misses++; } }
}
console.log(lines.join("\n"));
console.log(`queries ${queries.length} listed ${hits} false_positives ${falsePositives} rate ${(hits ? falsePositives / hits : 0).toFixed(4)} misses ${misses} of ${checked}`);
