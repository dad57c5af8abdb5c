#include "archive/search_files.h"

#include <algorithm>
#include <cstdio>

#include "codec/utf8_out.h"
#include "core/vb_error.h"

namespace {

[[noreturn]] void malformed(std::string_view what) {
  throw VbError(5, "srch: " + std::string(what) + " の形式が違います (malformed search index file)");
}

void put_base36(std::string& out, std::uint32_t n) {
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  if (n < 36) {
    out += kDigits[n];
    return;
  }
  if (n < 36 * 36) {
    const char two[2] = {kDigits[n / 36], kDigits[n % 36]};
    out.append(two, 2);
    return;
  }
  char digits[8];
  int k = 0;
  do {
    const std::uint32_t d = n % 36;
    digits[k++] = static_cast<char>(d < 10 ? '0' + d : 'a' + d - 10);
    n /= 36;
  } while (n > 0);
  while (k > 0) out += digits[--k];
}

void put_hex4(std::string& out, unsigned u) {
  static const char kHex[] = "0123456789abcdef";
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(u >> shift) & 0xF];
}

// The next code point of UTF-8 text at i (moved past it); U+FFFD for a
// malformed sequence, which then counts one byte.
char32_t next_code_point(std::string_view s, std::size_t& i) {
  const auto b = static_cast<unsigned char>(s[i]);
  const int n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
  if (n == 0 || i + n > s.size()) {
    ++i;
    return 0xFFFD;
  }
  char32_t c = n == 1 ? b : n == 2 ? b & 0x1F : n == 3 ? b & 0x0F : b & 0x07;
  for (int k = 1; k < n; ++k) {
    const auto t = static_cast<unsigned char>(s[i + k]);
    if ((t & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    c = c << 6 | (t & 0x3F);
  }
  i += n;
  return c;
}

// Reads the texts the writers below make: literals, JSON strings, whole
// numbers, with spaces and line breaks allowed between them.
class JsReader {
 public:
  JsReader(std::string_view text, std::string_view what) : s_(text), what_(what) {}

  char peek() {
    skip_space();
    return i_ < s_.size() ? s_[i_] : '\0';
  }
  void expect(std::string_view literal) {
    skip_space();
    if (s_.substr(i_, literal.size()) != literal) malformed(what_);
    i_ += literal.size();
  }
  bool take(char c) {
    if (peek() != c) return false;
    ++i_;
    return true;
  }
  std::uint64_t number() {
    skip_space();
    const std::size_t start = i_;
    std::uint64_t n = 0;
    while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9' && i_ - start < 15) n = n * 10 + (s_[i_++] - '0');
    if (i_ == start) malformed(what_);
    return n;
  }
  std::string string() {
    expect("\"");
    std::string out;
    while (i_ < s_.size() && s_[i_] != '"') {
      if (s_[i_] != '\\') {
        out += s_[i_++];
        continue;
      }
      if (i_ + 1 >= s_.size()) malformed(what_);
      const char e = s_[i_ + 1];
      i_ += 2;
      if (e == 'u') {
        char32_t c = hex4();
        if (c >= 0xD800 && c < 0xDC00 && s_.substr(i_, 2) == "\\u") {
          i_ += 2;
          const char32_t low = hex4();
          if (low < 0xDC00 || low >= 0xE000) malformed(what_);
          c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        }
        put_utf8(out, c);
      } else if (e == '"' || e == '\\' || e == '/') {
        out += e;
      } else {
        malformed(what_);
      }
    }
    expect("\"");
    return out;
  }
  void end() {
    if (peek() != '\0') malformed(what_);
  }

 private:
  void skip_space() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\r' || s_[i_] == '\t')) ++i_;
  }
  char32_t hex4() {
    if (i_ + 4 > s_.size()) malformed(what_);
    char32_t c = 0;
    for (int k = 0; k < 4; ++k) {
      const char h = s_[i_++];
      const int d = h >= '0' && h <= '9' ? h - '0' : h >= 'a' && h <= 'f' ? h - 'a' + 10 : -1;
      if (d < 0) malformed(what_);
      c = c << 4 | static_cast<char32_t>(d);
    }
    return c;
  }

  std::string_view s_;
  std::string_view what_;
  std::size_t i_ = 0;
};

std::uint32_t small(std::uint64_t n, std::string_view what) {
  if (n > 0xFFFFFFFFu) malformed(what);
  return static_cast<std::uint32_t>(n);
}

}  // namespace

namespace {

// Writes docs as gaps while they take at most limit characters; false,
// with what was written left in out, as soon as they take more.
bool put_gaps_within(std::string& out, std::span<const std::uint32_t> docs, std::size_t limit) {
  const std::size_t at = out.size();
  std::uint32_t previous = 0;
  for (std::size_t k = 0; k < docs.size(); ++k) {
    if (k > 0) out += ',';
    put_base36(out, k == 0 ? docs[k] : docs[k] - previous);
    previous = docs[k];
    if (out.size() - at > limit) return false;
  }
  return true;
}

}  // namespace

void put_gaps(std::string& out, std::span<const std::uint32_t> docs) {
  put_gaps_within(out, docs, static_cast<std::size_t>(-1));
}

namespace {

constexpr char kBitmapDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

std::size_t base36_length(std::uint32_t n) {
  std::size_t k = 1;
  for (std::uint64_t top = 36; n >= top; top *= 36) ++k;
  return k;
}

std::size_t bitmap_length(std::span<const std::uint32_t> docs) {
  if (docs.empty()) return 0;
  return 2 + base36_length(docs[0]) + (std::size_t{docs.back() - docs[0]} + 5) / 6;
}

int bitmap_digit(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '-') return 62;
  if (c == '_') return 63;
  return -1;
}

}  // namespace

void put_bitmap(std::string& out, std::span<const std::uint32_t> docs) {
  if (docs.empty()) return;
  out += kBitmapMark;
  put_base36(out, docs[0]);
  out += '.';
  const std::uint32_t first = docs[0];
  const std::size_t at = out.size();
  // Each character's six bits gathered in place first, then spelt: no
  // branch per doc (a dense list's next doc falls in the same character
  // about as often as not).
  out.append((std::size_t{docs.back() - first} + 5) / 6, '\0');
  char* const bits = out.data() + at;
  for (std::size_t k = 1; k < docs.size(); ++k) {
    const std::size_t bit = std::size_t{docs[k] - first} - 1;
    bits[bit / 6] = static_cast<char>(bits[bit / 6] | (32u >> (bit % 6)));
  }
  for (char* c = bits; c != out.data() + out.size(); ++c) *c = kBitmapDigits[static_cast<unsigned char>(*c)];
}

// The gaps are written until they pass the bitmap's length (known at once),
// which then takes their place: one pass over a list in either spelling.
void put_doc_list(std::string& out, std::span<const std::uint32_t> docs) {
  const std::size_t at = out.size();
  if (put_gaps_within(out, docs, bitmap_length(docs))) return;
  out.resize(at);
  put_bitmap(out, docs);
}

std::vector<std::uint32_t> read_gaps(std::string_view gaps) {
  std::vector<std::uint32_t> docs;
  std::uint64_t value = 0, total = 0;
  bool digit = false;
  for (std::size_t i = 0; i <= gaps.size(); ++i) {
    const char c = i < gaps.size() ? gaps[i] : ',';
    const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'z' ? c - 'a' + 10 : -1;
    if (d >= 0) {
      value = value * 36 + static_cast<std::uint64_t>(d);
      digit = true;
      if (value > 0xFFFFFFFFu) malformed("gaps");
    } else if (c == ',' && digit) {
      total += value;
      if (total > 0xFFFFFFFFu || (!docs.empty() && value == 0)) malformed("gaps");
      docs.push_back(static_cast<std::uint32_t>(total));
      value = 0;
      digit = false;
    } else if (!(c == ',' && gaps.empty())) {
      malformed("gaps");
    }
  }
  return docs;
}

std::vector<std::uint32_t> read_bitmap(std::string_view text) {
  const std::size_t dot = text.find('.');
  if (text.empty() || text[0] != kBitmapMark || dot == std::string_view::npos || dot == 1) malformed("bitmap");
  std::uint64_t first = 0;
  for (std::size_t i = 1; i < dot; ++i) {
    const char c = text[i];
    const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'z' ? c - 'a' + 10 : -1;
    if (d < 0) malformed("bitmap");
    first = first * 36 + static_cast<std::uint64_t>(d);
    if (first > 0xFFFFFFFFu) malformed("bitmap");
  }
  const std::string_view bits = text.substr(dot + 1);
  // The last character holds the last doc: a list ends on a set bit.
  if (!bits.empty() && bits.back() == kBitmapDigits[0]) malformed("bitmap");
  std::vector<std::uint32_t> docs{static_cast<std::uint32_t>(first)};
  for (std::size_t k = 0; k < bits.size(); ++k) {
    const int v = bitmap_digit(bits[k]);
    if (v < 0) malformed("bitmap");
    for (int b = 0; b < 6; ++b) {
      if ((v & (32 >> b)) == 0) continue;
      const std::uint64_t doc = first + 1 + 6 * k + static_cast<std::uint64_t>(b);
      if (doc > 0xFFFFFFFFu) malformed("bitmap");
      docs.push_back(static_cast<std::uint32_t>(doc));
    }
  }
  return docs;
}

std::vector<std::uint32_t> read_doc_list(std::string_view text) {
  return !text.empty() && text[0] == kBitmapMark ? read_bitmap(text) : read_gaps(text);
}

void put_js_string(std::string& out, std::string_view utf8) {
  out += '"';
  for (std::size_t i = 0; i < utf8.size();) {
    const char32_t c = next_code_point(utf8, i);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else if (c < 0x10000) {
      put_hex4(out, static_cast<unsigned>(c));
    } else {
      put_hex4(out, static_cast<unsigned>(0xD800 + ((c - 0x10000) >> 10)));
      put_hex4(out, static_cast<unsigned>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    }
  }
  out += '"';
}

std::uint32_t shard_of(std::string_view token, std::uint32_t shards) {
  std::uint32_t h = 2166136261u;
  for (const char c : token) {
    h ^= static_cast<unsigned char>(c);
    h *= 16777619u;
  }
  return shards == 0 ? 0 : h % shards;
}

std::string manifest_text(const SearchManifest& m) {
  std::string out =
      "vorn_ix({\"v\":" + std::to_string(kIndexVersion) + ",\"shards\":" + std::to_string(m.shards) + ",\"segs\":[";
  for (std::size_t k = 0; k < m.segs.size(); ++k) {
    const SegmentInfo& s = m.segs[k];
    out += k == 0 ? "\n" : ",\n";
    out += "{\"id\":";
    put_js_string(out, s.id);
    out += ",\"docs\":" + std::to_string(s.docs) + ",\"chunks\":" + std::to_string(s.chunks) + ",\"gone\":{";
    for (std::size_t g = 0; g < s.gone.size(); ++g) {
      if (g > 0) out += ',';
      put_js_string(out, s.gone[g].first);
      out += ':';
      out += '"';
      put_doc_list(out, s.gone[g].second);
      out += '"';
    }
    out += '}';
    if (s.chunk_docs != kDocsPerChunk) out += ",\"chunk_docs\":" + std::to_string(s.chunk_docs);
    out += '}';
  }
  out += "]})\n";
  return out;
}

std::optional<SearchManifest> parse_manifest(std::string_view text) {
  try {
    JsReader r(text, "ix.js");
    SearchManifest m;
    r.expect("vorn_ix({\"v\":");
    // Version 1 wrote every list as gaps, which this version still reads.
    const std::uint64_t version = r.number();
    if (version != 1 && version != kIndexVersion) return std::nullopt;
    r.expect(",\"shards\":");
    m.shards = small(r.number(), "ix.js");
    r.expect(",\"segs\":[");
    while (r.peek() != ']') {
      if (!m.segs.empty()) r.expect(",");
      SegmentInfo s;
      r.expect("{\"id\":");
      s.id = r.string();
      r.expect(",\"docs\":");
      s.docs = small(r.number(), "ix.js");
      r.expect(",\"chunks\":");
      s.chunks = small(r.number(), "ix.js");
      r.expect(",\"gone\":{");
      while (r.peek() != '}') {
        if (!s.gone.empty()) r.expect(",");
        std::string older = r.string();
        r.expect(":");
        s.gone.emplace_back(std::move(older), read_doc_list(r.string()));
      }
      r.expect("}");
      if (r.take(',')) {
        r.expect("\"chunk_docs\":");
        s.chunk_docs = small(r.number(), "ix.js");
        if (s.chunk_docs == 0) return std::nullopt;
      }
      r.expect("}");
      m.segs.push_back(std::move(s));
    }
    r.expect("]})");
    r.end();
    if (m.shards == 0) return std::nullopt;
    return m;
  } catch (const VbError&) {
    return std::nullopt;
  }
}

bool doc_before(const DocRow& a, const DocRow& b) { return a.key != b.key ? a.key < b.key : a.page < b.page; }

std::string docs_text(std::string_view id, std::uint32_t chunk, std::span<const DocRow> rows) {
  std::string out = "vorn_docs(";
  put_js_string(out, id);
  out += "," + std::to_string(chunk) + ",[";
  for (std::size_t k = 0; k < rows.size(); ++k) {
    out += k == 0 ? "\n[" : ",\n[";
    out += std::to_string(rows[k].page);
    for (const std::string* s : {&rows[k].key, &rows[k].date, &rows[k].subject, &rows[k].sender}) {
      out += ',';
      put_js_string(out, *s);
    }
    out += ']';
  }
  out += "])\n";
  return out;
}

std::vector<DocRow> parse_docs(std::string_view text) {
  JsReader r(text, "docs");
  r.expect("vorn_docs(");
  r.string();
  r.expect(",");
  r.number();
  r.expect(",[");
  std::vector<DocRow> rows;
  while (r.peek() != ']') {
    if (!rows.empty()) r.expect(",");
    DocRow d;
    r.expect("[");
    d.page = small(r.number(), "docs");
    for (std::string* s : {&d.key, &d.date, &d.subject, &d.sender}) {
      r.expect(",");
      *s = r.string();
    }
    r.expect("]");
    rows.push_back(std::move(d));
  }
  r.expect("])");
  r.end();
  return rows;
}

std::string part_text(std::string_view id, std::uint32_t shard, std::span<const PostingView> postings) {
  std::string out = "vorn_part(";
  // Room for the usual list: a token's text as escapes, a byte or two a doc,
  // or a sixth of a byte a doc of its span as a bitmap.
  std::size_t room = 32;
  for (const PostingView& p : postings) {
    room += p.token.size() * 2 + 8;
    if (!p.docs.empty()) room += std::min<std::size_t>(p.docs.size() * 2, (p.docs.back() - p.docs.front()) / 6 + 16);
  }
  out.reserve(room);
  put_js_string(out, id);
  out += "," + std::to_string(shard) + ",{";
  for (std::size_t k = 0; k < postings.size(); ++k) {
    out += k == 0 ? "\n" : ",\n";
    put_js_string(out, postings[k].token);
    out += ":\"";
    put_doc_list(out, postings[k].docs);
    out += '"';
  }
  out += "})\n";
  return out;
}

std::string part_text(std::string_view id, std::uint32_t shard, std::span<const Posting> postings) {
  std::vector<PostingView> views;
  views.reserve(postings.size());
  for (const Posting& p : postings) views.push_back({p.first, p.second});
  return part_text(id, shard, views);
}

std::vector<Posting> parse_part(std::string_view text) {
  JsReader r(text, "part");
  r.expect("vorn_part(");
  r.string();
  r.expect(",");
  r.number();
  r.expect(",{");
  std::vector<Posting> postings;
  while (r.peek() != '}') {
    if (!postings.empty()) r.expect(",");
    std::string token = r.string();
    r.expect(":");
    postings.emplace_back(std::move(token), read_doc_list(r.string()));
  }
  r.expect("})");
  r.end();
  return postings;
}

namespace {
constexpr std::size_t kPageLine = 33;  // "PPPPPPP DDDDDDD HHHHHHHHHHHHHHHH\n"

std::optional<PageDoc> page_line(std::string_view line) {
  if (line.size() != kPageLine || line[7] != ' ' || line[15] != ' ' || line[32] != '\n') return std::nullopt;
  PageDoc p;
  for (std::size_t k = 0; k < 7; ++k) {
    if (line[k] < '0' || line[k] > '9' || line[8 + k] < '0' || line[8 + k] > '9') return std::nullopt;
    p.page = p.page * 10 + static_cast<std::uint32_t>(line[k] - '0');
    p.doc = p.doc * 10 + static_cast<std::uint32_t>(line[8 + k] - '0');
  }
  for (std::size_t k = 16; k < 32; ++k) {
    const char h = line[k];
    const int d = h >= '0' && h <= '9' ? h - '0' : h >= 'a' && h <= 'f' ? h - 'a' + 10 : -1;
    if (d < 0) return std::nullopt;
    p.hash = p.hash << 4 | static_cast<std::uint64_t>(d);
  }
  return p;
}
}  // namespace

// "%07u %07u %016llx\n" of page, doc and hash, written by hand: a million
// rows through snprintf cost more than the rest of the table.
void put_page_lines(std::string& out, std::span<const PageDoc> rows) {
  char line[kPageLine];
  const auto decimal7 = [](char* at, std::uint32_t v) {
    for (int k = 6; k >= 0; --k, v /= 10) at[k] = static_cast<char>('0' + v % 10);
  };
  for (const PageDoc& p : rows) {
    decimal7(line, p.page % 10000000u);
    line[7] = ' ';
    decimal7(line + 8, p.doc % 10000000u);
    line[15] = ' ';
    for (int k = 15; k >= 0; --k) line[16 + k] = "0123456789abcdef"[(p.hash >> (4 * (15 - k))) & 0xF];
    line[32] = '\n';
    out.append(line, kPageLine);
  }
}

std::string page_table_text(std::span<const PageDoc> rows) {
  std::string out;
  out.reserve(rows.size() * kPageLine);
  put_page_lines(out, rows);
  return out;
}

std::vector<PageDoc> parse_page_table(std::string_view text) {
  if (text.size() % kPageLine != 0) malformed("page table");
  std::vector<PageDoc> rows;
  rows.reserve(text.size() / kPageLine);
  for (std::size_t at = 0; at < text.size(); at += kPageLine) {
    const std::optional<PageDoc> p = page_line(text.substr(at, kPageLine));
    if (!p) malformed("page table");
    rows.push_back(*p);
  }
  return rows;
}

std::optional<PageDoc> find_page(std::string_view table, std::uint32_t page) {
  std::size_t lo = 0, hi = table.size() / kPageLine;
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo) / 2;
    const std::optional<PageDoc> p = page_line(table.substr(mid * kPageLine, kPageLine));
    if (!p) malformed("page table");
    if (p->page == page) return p;
    if (p->page < page)
      lo = mid + 1;
    else
      hi = mid;
  }
  return std::nullopt;
}

std::string part_name(std::string_view id, std::uint32_t shard) {
  return std::string(id) + "_" + std::to_string(shard) + ".js";
}
std::string docs_name(std::string_view id, std::uint32_t chunk) {
  return std::string(id) + "_d" + std::to_string(chunk) + ".js";
}
std::string page_table_name(std::string_view id) { return std::string(id) + "_p.txt"; }

std::string_view segment_of(std::string_view name) {
  const std::size_t bar = name.find('_');
  if (bar == std::string_view::npos || bar == 0) return {};
  for (std::size_t k = 0; k < bar; ++k)
    if (name[k] < '0' || name[k] > '9') return {};
  return name.substr(0, bar);
}
