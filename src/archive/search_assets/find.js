/*
 * srch/find.js: the code of the archive's search page (search.html).
 *
 * The index is a set of scripts in srch/, each handing its data to one
 * global function when a <script> element loads it: a page opened from disk
 * may load scripts but may not fetch files.
 *   ix.js          vorn_ix({"v":2,"shards":S,"segs":[{"id","docs","chunks","gone"[,"chunk_docs"]}...]})
 *   <id>_<k>.js    vorn_part(id, k, {"token": "list", ...})       shard k of a segment
 *   <id>_d<c>.js   vorn_docs(id, c, [[page,"key","date","subject","sender"], ...])
 *                  docs c*P to c*P+P-1, P the segment's chunk_docs (500 when absent)
 * A "list" of ascending doc numbers is spelt as gaps or as a bitmap: gaps in
 * base 36, the first as it stands and each next one as the difference from
 * the one before, separated by ","; a bitmap as "~", the first in base 36,
 * "." and six docs a character (parse_bitmap). A manifest of "v":1 holds
 * gaps only.
 *
 * A query's tokens must all occur in a message. Each segment's hits are the
 * intersection of the tokens' lists less the docs a later segment names as
 * gone; the results are all segments' hits merged newest first by key,
 * loading only the doc lists needed for the hundred shown.
 *
 * The same file runs under Node.js for the tests: there it exports its
 * functions and does not touch any page. The file is ASCII; the texts the
 * page shows stand in search.html.
 */
"use strict";

(function (root) {
  // Docs per doc chunk, unless a segment names another number ("chunk_docs").
  var DOCS_PER_CHUNK = 500;
  var PAGE_SIZE = 100;
  // How long the box stays still before what was typed is searched.
  var TYPING_PAUSE_MS = 250;

  // ---- Tokens -------------------------------------------------------------

  // Character classes after normalising: Japanese (Han, Hiragana, Katakana
  // and the marks U+3006 and U+30FC), word (other letters and digits),
  // mark (joins a word it follows), separator (everything else).
  var JAPANESE = /[\p{Script=Han}\p{Script=Hiragana}\p{Script=Katakana}\u3006\u30fc]/u;
  var WORD = /[\p{L}\p{N}]/u;
  var MARK = /\p{M}/u;
  var SEP = 0, JA = 1, WD = 2, MK = 3;

  function char_class(ch) {
    if (JAPANESE.test(ch)) return JA;
    if (WORD.test(ch)) return WD;
    if (MARK.test(ch)) return MK;
    return SEP;
  }

  // Index just past one line break (CR LF, LF or CR) starting at i, or i
  // when none starts there.
  function past_line_break(chars, i) {
    if (chars[i] === "\r") return chars[i + 1] === "\n" ? i + 2 : i + 1;
    if (chars[i] === "\n") return i + 1;
    return i;
  }

  // The tokens of text, in order, repeats kept: NFKC and lower case; a run of
  // Japanese characters gives its overlapping pairs (a run of one its single
  // character); a run of word characters gives itself. One line break between
  // two Japanese characters is skipped, as mail wraps lines inside words.
  function tokenise(text) {
    var chars = Array.from(String(text).normalize("NFKC").toLowerCase());
    var out = [];
    var run = [];
    var kind = SEP;
    function flush() {
      if (kind === JA) {
        if (run.length === 1) out.push(run[0]);
        for (var j = 0; j + 1 < run.length; j++) out.push(run[j] + run[j + 1]);
      } else if (kind === WD) {
        out.push(run.join(""));
      }
      run = [];
      kind = SEP;
    }
    for (var i = 0; i < chars.length; i++) {
      var c = char_class(chars[i]);
      if (c === MK) c = kind === WD ? WD : SEP;
      if (c === SEP && kind === JA) {
        var next = past_line_break(chars, i);
        if (next > i && next < chars.length && char_class(chars[next]) === JA) {
          i = next - 1;
          continue;
        }
      }
      if (c !== kind) flush();
      if (c !== SEP) {
        run.push(chars[i]);
        kind = c;
      }
    }
    flush();
    return out;
  }

  // The distinct tokens of a query, in order of first appearance.
  function query_tokens(query) {
    var seen = new Set();
    return tokenise(query).filter(function (t) {
      if (seen.has(t)) return false;
      seen.add(t);
      return true;
    });
  }

  // The tokens a query is searched by: at most MAX_QUERY_TOKENS of its
  // distinct tokens, the first, the last and others evenly between. Each
  // token costs a shard per segment, and a pasted paragraph would load most
  // of the index; fewer tokens can only add messages, never lose one that
  // holds them all.
  var MAX_QUERY_TOKENS = 8;
  function search_tokens(query) {
    var all = query_tokens(query);
    if (all.length <= MAX_QUERY_TOKENS) return all;
    var out = [];
    for (var i = 0; i < MAX_QUERY_TOKENS; i++) {
      out.push(all[Math.round((i * (all.length - 1)) / (MAX_QUERY_TOKENS - 1))]);
    }
    return out;
  }

  // FNV-1a, 32 bits, over the UTF-8 bytes of s.
  function fnv1a(s) {
    var h = 0x811c9dc5;
    function add(b) {
      h = Math.imul(h ^ b, 0x01000193) >>> 0;
    }
    for (var ch of s) {
      var cp = ch.codePointAt(0);
      if (cp < 0x80) {
        add(cp);
      } else if (cp < 0x800) {
        add(0xc0 | (cp >> 6));
        add(0x80 | (cp & 63));
      } else if (cp < 0x10000) {
        add(0xe0 | (cp >> 12));
        add(0x80 | ((cp >> 6) & 63));
        add(0x80 | (cp & 63));
      } else {
        add(0xf0 | (cp >> 18));
        add(0x80 | ((cp >> 12) & 63));
        add(0x80 | ((cp >> 6) & 63));
        add(0x80 | (cp & 63));
      }
    }
    return h >>> 0;
  }

  // ---- Doc lists ----------------------------------------------------------

  var MAX_DOC = 0x7fffffff;
  var BITMAP_MARK = 126; // "~"

  // The doc numbers of a gaps text, as an Int32Array: "a,3,1" is 10, 13, 14.
  // Digits 0-9 and a-z (either case); anything else, an empty number or a
  // doc number past 2^31 - 1 throws. Lists of a million docs are common, so
  // this walks the text once into an array of the largest size it can need.
  function parse_gaps(text) {
    if (text === "") return new Int32Array(0);
    var out = new Int32Array((text.length + 1) >> 1);
    var count = 0;
    var prev = 0;
    var n = 0;
    var digits = 0;
    for (var i = 0; i <= text.length; i++) {
      var c = i < text.length ? text.charCodeAt(i) : 44;
      if (c === 44) {
        if (digits === 0) throw new Error("empty number in doc list");
        prev = count === 0 ? n : prev + n;
        if (prev > MAX_DOC) throw new Error("doc number too large");
        out[count++] = prev;
        n = 0;
        digits = 0;
        continue;
      }
      var d;
      if (c >= 48 && c <= 57) d = c - 48;
      else if ((c | 32) >= 97 && (c | 32) <= 122) d = (c | 32) - 87;
      else throw new Error("bad character in doc list");
      n = n * 36 + d;
      if (n > MAX_DOC) throw new Error("doc number too large");
      digits++;
    }
    return out.subarray(0, count);
  }

  // The value of a bitmap character: A-Z 0-25, a-z 26-51, 0-9 52-61, "-" 62,
  // "_" 63; -1 for any other.
  function bitmap_digit(c) {
    if (c >= 65 && c <= 90) return c - 65;
    if (c >= 97 && c <= 122) return c - 71;
    if (c >= 48 && c <= 57) return c + 4;
    if (c === 45) return 62;
    if (c === 95) return 63;
    return -1;
  }

  // The doc numbers of a bitmap text, as an Int32Array: "~" and the first
  // number in base 36, ".", then a character for each six numbers after the
  // first, its bit 32 standing for first + 1 (+ 6 a character) down to bit 1
  // for first + 6; "~3.w" is 3, 4, 5. A text of another form, one that ends
  // on "A" (no number in its last six) or a doc number past 2^31 - 1 throws.
  function parse_bitmap(text) {
    var dot = text.indexOf(".");
    if (text.charCodeAt(0) !== BITMAP_MARK || dot < 2) throw new Error("bad bitmap in doc list");
    var first = 0;
    for (var i = 1; i < dot; i++) {
      var c = text.charCodeAt(i);
      var d = c >= 48 && c <= 57 ? c - 48 : c >= 97 && c <= 122 ? c - 87 : -1;
      if (d < 0) throw new Error("bad bitmap in doc list");
      first = first * 36 + d;
      if (first > MAX_DOC) throw new Error("doc number too large");
    }
    var chars = text.length - dot - 1;
    if (chars > 0 && text.charCodeAt(text.length - 1) === 65) throw new Error("bitmap ends on no doc");
    if (first + 6 * chars > MAX_DOC + 5) throw new Error("doc number too large");
    var out = new Int32Array(1 + 6 * chars);
    var count = 0;
    out[count++] = first;
    for (var k = 0; k < chars; k++) {
      var v = bitmap_digit(text.charCodeAt(dot + 1 + k));
      if (v < 0) throw new Error("bad character in doc list");
      var base = first + 6 * k + 1;
      for (var b = 0; v !== 0; b++, v = (v << 1) & 63) {
        if (v & 32) out[count++] = base + b;
      }
    }
    if (out[count - 1] > MAX_DOC || out[count - 1] < 0) throw new Error("doc number too large");
    return out.subarray(0, count);
  }

  // The doc numbers of a list in either spelling: a bitmap starts with "~".
  // Anything but a string throws.
  function parse_doc_list(text) {
    if (typeof text !== "string") throw new Error("doc list is no string");
    return text.charCodeAt(0) === BITMAP_MARK ? parse_bitmap(text) : parse_gaps(text);
  }

  // First index in a[from..] whose value is >= v: gallops from from, then
  // halves, so a short list walks a long one in few steps.
  function seek(a, from, v) {
    var step = 1;
    var hi = from;
    while (hi < a.length && a[hi] < v) {
      from = hi + 1;
      hi += step;
      step *= 2;
    }
    if (hi > a.length) hi = a.length;
    while (from < hi) {
      var mid = (from + hi) >>> 1;
      if (a[mid] < v) from = mid + 1;
      else hi = mid;
    }
    return from;
  }

  // The values common to the ascending lists a and b, ascending: a merge
  // walk when the lists are of like length, a short list seeking through a
  // long one otherwise.
  function intersect(a, b) {
    if (a.length > b.length) {
      var t = a;
      a = b;
      b = t;
    }
    var out = new Int32Array(a.length);
    var n = 0;
    var i = 0;
    var j = 0;
    if (b.length < 16 * a.length) {
      while (i < a.length && j < b.length) {
        if (a[i] < b[j]) i++;
        else if (a[i] > b[j]) j++;
        else {
          out[n++] = a[i++];
          j++;
        }
      }
    } else {
      for (; i < a.length && j < b.length; i++) {
        j = seek(b, j, a[i]);
        if (j < b.length && b[j] === a[i]) out[n++] = a[i];
      }
    }
    return out.subarray(0, n);
  }

  // The values of the ascending list a that the ascending list drop lacks.
  function subtract(a, drop) {
    if (drop.length === 0) return a;
    var out = new Int32Array(a.length);
    var n = 0;
    var j = 0;
    for (var i = 0; i < a.length; i++) {
      j = seek(drop, j, a[i]);
      if (j >= drop.length || drop[j] !== a[i]) out[n++] = a[i];
    }
    return out.subarray(0, n);
  }

  // ---- The query ----------------------------------------------------------

  function own(obj, key) {
    return obj !== null && typeof obj === "object" && Object.prototype.hasOwnProperty.call(obj, key);
  }

  function shard_name(id, k) {
    return id + "_" + k + ".js";
  }

  function chunk_name(id, c) {
    return id + "_d" + c + ".js";
  }

  // The manifest, checked enough that the rest can rely on its shape. "v" 1
  // names an index of gaps only, 2 one whose lists may also be bitmaps; a
  // page that knew only 1 refuses a manifest of 2 (and a bitmap, "~" being
  // no base-36 digit), so it never reads a list wrong.
  var INDEX_VERSION = 2;
  function check_manifest(ix) {
    if (!ix || (ix.v !== 1 && ix.v !== INDEX_VERSION) || !(ix.shards >= 1) || !Array.isArray(ix.segs)) throw new Error("no usable index");
    ix.segs.forEach(function (seg) {
      if (typeof seg.id !== "string" || !(seg.docs >= 0)) throw new Error("bad segment in index");
      if (seg.chunk_docs !== undefined && !(Number.isInteger(seg.chunk_docs) && seg.chunk_docs >= 1)) {
        throw new Error("bad chunk size in index");
      }
    });
    return ix;
  }

  // The docs of segment i (ascending) that hold every token.
  function segment_hits(load, ix, i, tokens) {
    var seg = ix.segs[i];
    // A segment of no docs only names docs of older segments gone.
    if (seg.docs === 0) return Promise.resolve(new Int32Array(0));
    var shards = Array.from(new Set(tokens.map(function (t) {
      return fnv1a(t) % ix.shards;
    })));
    return Promise.all(shards.map(function (k) {
      return load(shard_name(seg.id, k));
    })).then(function (parts) {
      var lists = [];
      for (var t of tokens) {
        var part = parts[shards.indexOf(fnv1a(t) % ix.shards)];
        if (!own(part, t)) return [];
        lists.push(parse_doc_list(part[t]));
      }
      lists.sort(function (a, b) {
        return a.length - b.length;
      });
      var hits = lists[0];
      for (var n = 1; n < lists.length && hits.length > 0; n++) hits = intersect(hits, lists[n]);
      return subtract(hits, gone_from(ix, i));
    });
  }

  // The docs of segment i that later segments supersede, ascending.
  function gone_from(ix, i) {
    var id = ix.segs[i].id;
    var all = [];
    for (var j = i + 1; j < ix.segs.length; j++) {
      var gone = ix.segs[j].gone;
      if (own(gone, id)) all = all.concat(Array.from(parse_doc_list(gone[id])));
    }
    return Int32Array.from(all).sort();
  }

  // Runs a query. load(name) gives a promise of what the script srch/<name>
  // hands over (the manifest, a shard's object or a chunk's rows), or of null
  // when the file cannot be loaded. Resolves to null for a query without
  // tokens, else to a Results.
  function search(load, query) {
    var tokens = search_tokens(query);
    if (tokens.length === 0) return Promise.resolve(null);
    return load("ix.js").then(function (ix) {
      check_manifest(ix);
      return Promise.all(ix.segs.map(function (seg, i) {
        return segment_hits(load, ix, i, tokens);
      })).then(function (hits) {
        return new Results(load, ix, hits);
      });
    });
  }

  // The hits of every segment, handed out newest first a page at a time.
  function Results(load, ix, hits) {
    this.load = load;
    this.segs = ix.segs;
    this.hits = hits;
    this.pos = hits.map(function (h) {
      return h.length - 1;
    });
    this.look = hits.map(function () {
      return 0;
    });
    this.per = ix.segs.map(function (seg) {
      return seg.chunk_docs || DOCS_PER_CHUNK;
    });
    this.chunks = new Map();
    this.count = hits.reduce(function (sum, h) {
      return sum + h.length;
    }, 0);
    this.shown = 0;
  }

  // The row of doc d of segment i, or undefined while its chunk is not loaded.
  Results.prototype.row = function (i, d) {
    var per = this.per[i];
    var rows = this.chunks.get(chunk_name(this.segs[i].id, Math.floor(d / per)));
    if (rows === undefined) return undefined;
    var row = Array.isArray(rows) ? rows[d % per] : undefined;
    if (!Array.isArray(row) || !Number.isInteger(row[0]) || row[0] < 0) throw new Error("doc missing from index");
    return row;
  };

  // Names of the chunks segment i needs next: those of its next look[i] hits
  // (at most want). The first look is a fifth of want (about a screenful,
  // drawn while the rest load) and each next one twice the last, so that a
  // segment that fills the page takes three rounds of loads, and one that
  // gives few results costs at most twice its share.
  Results.prototype.chunks_ahead = function (i, want) {
    var names = new Set();
    var h = this.hits[i];
    var n = Math.min(this.look[i] || Math.ceil(want / 5), want);
    for (var p = this.pos[i]; p >= 0 && p > this.pos[i] - n; p--) {
      var name = chunk_name(this.segs[i].id, Math.floor(h[p] / this.per[i]));
      if (!this.chunks.has(name)) names.add(name);
    }
    this.look[i] = 2 * n;
    return Array.from(names);
  };

  // Loads the named chunks into the cache.
  Results.prototype.fetch = function (names) {
    var self = this;
    return Promise.all(names.map(function (name) {
      return self.load(name).then(function (rows) {
        self.chunks.set(name, rows);
      });
    }));
  };

  // The segment whose next hit is the newest (key, then page, then the later
  // segment), or -1 when all are done.
  Results.prototype.best = function () {
    var best = -1;
    var best_row = null;
    for (var i = 0; i < this.hits.length; i++) {
      if (this.pos[i] < 0) continue;
      var row = this.row(i, this.hits[i][this.pos[i]]);
      var key = String(row[1]);
      if (best < 0 || key > String(best_row[1]) || (key === String(best_row[1]) && row[0] >= best_row[0])) {
        best = i;
        best_row = row;
      }
    }
    return best;
  };

  // Resolves to the next (up to) n results, newest first, each
  // {page, date, subject, sender}. Before each further load, early (if
  // given) is handed the results known so far, so that a page can draw them
  // while the rows of the rest arrive: spread hits need a doc chunk each.
  Results.prototype.next = function (n, early) {
    var self = this;
    var out = [];
    var handed = 0;
    function step() {
      while (out.length < n) {
        var missing = [];
        for (var i = 0; i < self.hits.length; i++) {
          if (self.pos[i] >= 0 && self.row(i, self.hits[i][self.pos[i]]) === undefined) {
            missing = missing.concat(self.chunks_ahead(i, n - out.length));
          }
        }
        if (missing.length > 0) {
          if (early && out.length > handed) early(out.slice(handed));
          handed = out.length;
          return self.fetch(missing).then(step);
        }
        var b = self.best();
        if (b < 0) break;
        var row = self.row(b, self.hits[b][self.pos[b]]);
        self.pos[b]--;
        out.push({page: row[0], date: String(row[2]), subject: String(row[3]), sender: String(row[4])});
      }
      self.shown += out.length;
      return out;
    }
    return Promise.resolve().then(step);
  };

  Results.prototype.done = function () {
    return this.pos.every(function (p) {
      return p < 0;
    });
  };

  // "m0000123.htm" for page 123.
  function page_file(page) {
    var digits = String(page);
    while (digits.length < 7) digits = "0" + digits;
    return "m" + digits + ".htm";
  }

  // ---- The page -----------------------------------------------------------

  // A loader of srch/ scripts through <script> elements. Each script calls
  // one of the global functions below, which hands its data to the loads
  // waiting for that file; a script that fails to load, or loads without
  // calling, gives null. Segment files never change under their name while
  // the manifest stays the same, so they are kept; the manifest is read anew
  // for every query.
  function script_loader(doc, win, folder) {
    var waiting = new Map();
    var kept = new Map();
    var loaded = [];
    function hand(name, data) {
      var list = waiting.get(name);
      waiting.delete(name);
      if (list) list.forEach(function (resolve) {
        resolve(data);
      });
    }
    win.vorn_ix = function (data) {
      hand("ix.js", data);
    };
    win.vorn_part = function (id, k, data) {
      hand(shard_name(id, k), data);
    };
    win.vorn_docs = function (id, c, data) {
      hand(chunk_name(id, c), data);
    };
    function load(name) {
      if (kept.has(name)) return kept.get(name);
      var p = new Promise(function (resolve) {
        if (!waiting.has(name)) waiting.set(name, []);
        waiting.get(name).push(resolve);
        var s = doc.createElement("script");
        s.src = folder + name + (name === "ix.js" ? "?t=" + Date.now() : "");
        s.onload = s.onerror = function () {
          hand(name, null);
          s.parentNode.removeChild(s);
        };
        loaded.push(name);
        doc.head.appendChild(s);
      });
      if (name !== "ix.js") kept.set(name, p);
      return p;
    }
    load.forget = function () {
      kept.clear();
    };
    load.loaded = loaded;
    return load;
  }

  // The search page's elements and the query shown in them. Each query gets
  // a number; the work of one that a later query overtook draws nothing.
  function Page(doc, win) {
    this.doc = doc;
    this.win = win;
    this.list = doc.getElementById("srch_list");
    this.load = script_loader(doc, win, "srch/");
    this.manifest = null;
    this.current = 0;
    this.query = null;
    this.results = null;
    this.marks = {};
  }

  Page.prototype.show = function (id, on) {
    this.doc.getElementById(id).style.display = on ? "" : "none";
  };

  // Notes on the list how the query ended and the milliseconds it took;
  // with bench=1 in the address also the files loaded and when the
  // manifest and the hits were ready (bench/search_page.sh reads them).
  Page.prototype.state = function (name, started) {
    var marks = this.marks;
    this.list.setAttribute("data-state", name);
    this.list.setAttribute("data-ms", String(Math.round(this.win.performance.now() - started)));
    if (/[?&]bench=1/.test(this.win.location.search)) {
      this.list.setAttribute("data-loaded", this.load.loaded.join(" "));
      this.list.setAttribute("data-marks", Object.keys(marks).map(function (k) {
        return k + ":" + Math.round(marks[k] - started);
      }).join(" "));
    }
  };

  // One line per result: date, the subject as a link to the page, [sender].
  Page.prototype.draw = function (rows) {
    var doc = this.doc;
    var list = this.list;
    rows.forEach(function (r) {
      var line = doc.createElement("div");
      line.className = "srch_hit";
      line.appendChild(doc.createTextNode(r.date + " "));
      var a = doc.createElement("a");
      a.href = page_file(r.page);
      a.target = "_self";
      a.appendChild(doc.createTextNode(r.subject !== "" ? r.subject : page_file(r.page)));
      line.appendChild(a);
      line.appendChild(doc.createTextNode(" [" + r.sender + "]"));
      list.appendChild(line);
    });
  };

  Page.prototype.clear = function () {
    while (this.list.firstChild) this.list.removeChild(this.list.firstChild);
    ["srch_hits", "srch_none", "srch_error", "srch_more"].forEach(function (id) {
      this.show(id, false);
    }, this);
  };

  // The loader of the query: the manifest is read anew, and when it changed
  // (a run wrote the index since) the files kept from before are dropped.
  Page.prototype.loader = function () {
    var self = this;
    return function (name) {
      if (name !== "ix.js") return self.load(name);
      return self.load(name).then(function (ix) {
        self.marks.manifest = self.win.performance.now();
        var text = JSON.stringify(ix);
        if (text !== self.manifest) self.load.forget();
        self.manifest = text;
        return ix;
      });
    };
  };

  // Draws the next hundred results of res as their rows arrive, unless
  // query mine was overtaken.
  Page.prototype.next_page = function (res, mine, started) {
    var self = this;
    var drawn = 0;
    function draw_from(rows) {
      if (mine !== self.current) return;
      if (rows.length > 0 && self.marks.first === undefined) self.marks.first = self.win.performance.now();
      self.draw(rows);
      drawn += rows.length;
    }
    return res.next(PAGE_SIZE, draw_from).then(function (rows) {
      if (mine !== self.current) return;
      draw_from(rows.slice(drawn));
      self.show("srch_more", !res.done());
      self.state("done", started);
    });
  };

  Page.prototype.failed = function (mine, started) {
    if (mine !== this.current) return;
    this.show("srch_error", true);
    this.state("error", started);
  };

  Page.prototype.run = function (query) {
    var self = this;
    var mine = ++this.current;
    var started = this.win.performance.now();
    this.query = query;
    this.clear();
    this.results = null;
    this.marks = {};
    return search(this.loader(), query).then(function (res) {
      if (mine !== self.current) return;
      self.marks.hits = self.win.performance.now();
      if (res === null) return self.state("empty", started);
      self.results = res;
      self.doc.getElementById("srch_count").textContent = String(res.count);
      self.show("srch_hits", res.count > 0);
      self.show("srch_none", res.count === 0);
      return self.next_page(res, mine, started);
    }).catch(function () {
      self.failed(mine, started);
    });
  };

  Page.prototype.more = function () {
    var self = this;
    var mine = this.current;
    var started = this.win.performance.now();
    if (this.results === null) return;
    this.show("srch_more", false);
    this.next_page(this.results, mine, started).catch(function () {
      self.failed(mine, started);
    });
  };

  // Wires the form of search.html: the box has the focus, Enter searches
  // (in the page, not by sending the form), search.html?q=... searches at once.
  // What is typed is searched too once the box has been still for a moment
  // (not while an input method is composing), so that the results are drawn,
  // or on their way, when Enter is pressed; Enter searches again, mostly from
  // the files the typing loaded.
  function start_page(doc, win) {
    var page = new Page(doc, win);
    var box = doc.getElementById("srch_q");
    var pause = null;
    function still() {
      if (pause !== null) win.clearTimeout(pause);
      pause = null;
    }
    function typed() {
      still();
      pause = win.setTimeout(function () {
        pause = null;
        if (box.value !== page.query) page.run(box.value);
      }, TYPING_PAUSE_MS);
    }
    box.addEventListener("input", function (e) {
      if (e.isComposing) still();
      else typed();
    });
    // Composition events have no on... property.
    box.addEventListener("compositionend", typed);
    doc.getElementById("srch_form").onsubmit = function (e) {
      e.preventDefault();
      still();
      try {
        win.history.replaceState(null, "", "?q=" + encodeURIComponent(box.value));
      } catch (err) {
        // A page from disk may not rewrite its address in every browser.
      }
      page.run(box.value);
    };
    doc.getElementById("srch_more").onclick = function (e) {
      e.preventDefault();
      page.more();
    };
    var q = new win.URLSearchParams(win.location.search).get("q");
    if (q !== null) box.value = q;
    box.focus();
    if (q !== null) page.run(q);
    return page;
  }

  var api = {
    tokenise: tokenise,
    query_tokens: query_tokens,
    search_tokens: search_tokens,
    fnv1a: fnv1a,
    parse_gaps: parse_gaps,
    parse_bitmap: parse_bitmap,
    parse_doc_list: parse_doc_list,
    intersect: intersect,
    subtract: subtract,
    search: search,
    page_file: page_file,
    start_page: start_page,
    DOCS_PER_CHUNK: DOCS_PER_CHUNK,
  };
  if (typeof module !== "undefined" && module.exports) module.exports = api;
  if (typeof document !== "undefined" && document.getElementById("srch_form")) start_page(document, root);
})(typeof window !== "undefined" ? window : this);
