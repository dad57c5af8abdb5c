// to_sjis: text in a MIME charset to Shift_JIS. The paths (ISO-2022-JP,
// Shift_JIS as it stands, iconv through UTF-8) and the rules for labels are
// described in charsets.h.
//
// State: each thread keeps its own iconv descriptors, one per charset seen
// (to UTF-8), because a descriptor carries shift state between calls; every
// conversion starts from the descriptor's initial state. UTF-8 goes on to
// code page 932 by a table read from iconv once (cp932::from_code_point).
#include "codec/charsets.h"

#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "codec/charset_scan.h"
#include "codec/cp932.h"
#include "codec/jis.h"
#include "codec/sjis_text.h"
#include "codec/utf8_out.h"

namespace {

constexpr std::string_view kGeta = "\x81\xAC";          // 〓 in Shift_JIS
constexpr std::string_view kGetaUtf8 = "\xE3\x80\x93";  // 〓 in UTF-8
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";   // U+FEFF
constexpr std::string_view kAmpHash = "&#38;";          // written for a source "&" before "#"
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// ---------------------------------------------------------------------------
// Labels

enum class Kind {
  Detect,  // empty or unknown: detect_charset decides
  Ascii,   // US-ASCII and its aliases
  Jis,     // the ISO-2022-JP family
  Sjis,    // Shift_JIS under any name
  Utf8,
  Iconv,  // anything else iconv knows
};

struct Label {
  Kind kind = Kind::Detect;
  std::string iconv_name;        // for Kind::Iconv
  bool ascii_compatible = true;  // 7-bit text means ASCII in it
  bool wide = false;             // a 16- or 32-bit form of Unicode
};

bool in(std::string_view s, std::initializer_list<std::string_view> names) {
  for (std::string_view n : names)
    if (s == n) return true;
  return false;
}

// The label in lower case without surrounding blanks or quotes, or "" when it
// holds a character no charset name has (iconv never sees such a name).
std::string normal_label(std::string_view charset) {
  while (!charset.empty() && (charset.front() == ' ' || charset.front() == '\t' || charset.front() == '"'))
    charset.remove_prefix(1);
  while (!charset.empty() && (charset.back() == ' ' || charset.back() == '\t' || charset.back() == '"'))
    charset.remove_suffix(1);
  std::string s;
  s.reserve(charset.size());
  for (char c : charset) {
    const bool name_char = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '_' || c == '.' || c == ':' || c == '+';
    if (!name_char) return {};
    s += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  }
  return s;
}

Label classify(std::string_view charset) {
  const std::string s = normal_label(charset);
  Label l;
  if (s.empty()) return l;
  if (in(s, {"us-ascii", "ascii", "us", "ansi_x3.4-1968", "iso646-us", "csascii", "iso-ir-6"})) {
    l.kind = Kind::Ascii;
  } else if (s.starts_with("iso-2022-jp") || in(s, {"csiso2022jp", "csiso2022jp2", "cp50220", "cp50221", "cp50222"})) {
    l.kind = Kind::Jis;
  } else if (in(s, {"shift_jis", "shift-jis", "sjis", "x-sjis", "windows-31j", "cswindows31j", "cp932", "ms932",
                    "x-ms-cp932", "ms_kanji", "csshiftjis"})) {
    l.kind = Kind::Sjis;
  } else if (in(s, {"utf-8", "utf8", "unicode-1-1-utf-8", "x-utf-8"})) {
    l.kind = Kind::Utf8;
  } else {
    l.kind = Kind::Iconv;
    // What mailers mean by these labels is the larger set.
    if (in(s, {"iso-8859-1", "iso8859-1", "iso_8859-1", "latin1", "l1", "cp819", "csisolatin1"}))
      l.iconv_name = "WINDOWS-1252";
    else if (in(s, {"gb2312", "csgb2312", "euc-cn", "gbk", "x-gbk", "cp936", "gb_2312-80"}))
      l.iconv_name = "GB18030";
    else if (in(s, {"euc-kr", "cseuckr", "ks_c_5601-1987", "ksc5601", "x-euc-kr"}))
      l.iconv_name = "CP949";
    else if (in(s, {"euc-jp", "x-euc-jp", "cseucpkdfmtjapanese", "eucjp"}))
      l.iconv_name = "EUC-JP-MS";
    else if (in(s, {"utf-7", "utf7", "unicode-1-1-utf-7", "csunicode11utf7", "x-unicode-2-0-utf-7"}))
      l.iconv_name = "UTF-7";  // iconv knows only the first two names
    else
      l.iconv_name = s;
    for (std::string_view p : {"utf-16", "utf-32", "ucs-2", "ucs-4", "unicode", "csunicode", "iso-10646-ucs"})
      if (s.starts_with(p) && l.iconv_name != "UTF-7") l.wide = true;
    for (std::string_view p :
         {"utf-7", "iso-2022", "hz", "ebcdic", "cp037", "ibm037", "cp500", "ibm500", "cp1047", "ibm1047"})
      if (s.starts_with(p)) l.ascii_compatible = false;
    if (l.wide || l.iconv_name == "UTF-7") l.ascii_compatible = false;
  }
  return l;
}

// ---------------------------------------------------------------------------
// iconv descriptors

// Descriptors from each charset seen to UTF-8 (kNoConverter for a name iconv
// does not know). Cleared when it grows past a few dozen names, so that
// mail with ever new labels cannot make it grow without end.
class ToUtf8Cache {
 public:
  ~ToUtf8Cache() { clear(); }
  iconv_t get(const std::string& name) {
    auto it = map_.find(name);
    if (it != map_.end()) return it->second;
    if (map_.size() >= 64) clear();
    const iconv_t cd = iconv_open("UTF-8", name.c_str());
    map_.emplace(name, cd);
    return cd;
  }

 private:
  void clear() {
    for (auto& [name, cd] : map_)
      if (cd != kNoConverter) iconv_close(cd);
    map_.clear();
  }
  std::unordered_map<std::string, iconv_t> map_;
};

ToUtf8Cache& to_utf8_cache() {
  thread_local ToUtf8Cache cache;
  return cache;
}

// ---------------------------------------------------------------------------
// Writers. Each appends to out and applies the "&#" rule of charsets.h.

// 7-bit text: copied.
void append_ascii(std::string_view s, std::string& out) {
  for (std::size_t from = 0;;) {
    const std::size_t at = s.find("&#", from);
    if (at == std::string_view::npos) {
      out.append(s.substr(from));
      return;
    }
    out.append(s.substr(from, at - from));
    out.append(kAmpHash);
    from = at + 1;  // the "#" follows
  }
}

// Shift_JIS: kept byte for byte, except what is no code page 932 character:
// a lead byte with a second byte that makes no character, a lone lead byte,
// 0x80, 0xA0 and 0xFD-0xFF. Such a sequence becomes the geta mark. An ASCII
// byte after a lead byte is not taken with it and stays itself, unless
// whole_pairs (the text came from JIS pairs, whose two bytes belong together).
// Returns false when some byte became the geta mark.
bool append_sjis_checked(std::string_view s, std::string& out, bool whole_pairs = false) {
  if (sjis::is_ascii(s)) {
    append_ascii(s, out);
    return true;
  }
  // The table holds lead bytes only, so a pair it knows starts with a lead byte.
  const cp932::PairTable& pairs = cp932::pair_table();
  const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const std::size_t n = s.size();
  std::size_t run = 0;  // start of the bytes not yet appended
  bool clean = true;
  for (std::size_t i = 0; i < n;) {
    const unsigned char c = at(i);
    if ((c < 0x80 && c != '&') || (c >= 0xA1 && c <= 0xDF)) {
      ++i;
    } else if (i + 1 < n && pairs.has(c, at(i + 1))) {
      i += 2;
    } else if (c == '&') {
      if (i + 1 < n && s[i + 1] == '#') {
        out.append(s.substr(run, i - run));
        out.append(kAmpHash);
        run = i + 1;
      }
      ++i;
    } else {
      out.append(s.substr(run, i - run));
      out.append(kGeta);
      clean = false;
      const bool pair =
          sjis::is_lead(c) && i + 1 < n && sjis::is_trail(at(i + 1)) && (whole_pairs || at(i + 1) >= 0x80);
      i += pair ? 2 : 1;
      run = i;
    }
  }
  out.append(s.substr(run));
  return clean;
}

// Room for n more bytes at w (a position inside out); w stays valid.
void reserve_at(std::string& out, char*& w, std::size_t n) {
  const std::size_t used = static_cast<std::size_t>(w - out.data());
  if (out.size() - used >= n) return;
  out.resize(used + n + out.size() + 64);
  w = out.data() + used;
}

// Whether none of the 8 bytes of w is 8-bit or "&".
bool plain_ascii_word(std::uint64_t w) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u, kHigh = 0x8080808080808080u;
  const std::uint64_t amp = w ^ (kOnes * '&');
  return ((w | ((amp - kOnes) & ~amp)) & kHigh) == 0;
}

// UTF-8 to code page 932, by the table of cp932::from_code_point (iconv's
// own choices, read once), not by iconv itself: iconv takes many
// microseconds for each character it cannot convert, and text in Korean or
// full of emoji is all such characters. A character code page 932 lacks
// becomes its reference "&#N;", an ill-formed sequence (its maximal valid
// prefix) the geta mark; when strict, the first ill-formed sequence ends
// the work and false is returned (out then holds part of the text).
bool append_utf8(std::string_view u, std::string& out, bool strict = false) {
  if (sjis::is_ascii(u)) {
    append_ascii(u, out);
    return true;
  }
  const std::uint16_t* const codes = cp932::bmp_codes();
  const std::size_t start = out.size();
  out.resize(start + u.size() + 16);
  char* w = out.data() + start;
  const std::size_t n = u.size();
  for (std::size_t i = 0; i < n;) {
    std::uint64_t word;
    if (i + 8 <= n && (std::memcpy(&word, u.data() + i, 8), plain_ascii_word(word))) {
      std::memcpy(w, &word, 8);  // room: at most as many bytes as read so far, and 16
      w += 8;
      i += 8;
      continue;
    }
    const unsigned char c = static_cast<unsigned char>(u[i]);
    if (c < 0x80) {
      // ASCII runs take at most as many bytes as they read, plus "38;" for
      // each "&#".
      if (c == '&' && i + 1 < n && u[i + 1] == '#') {
        reserve_at(out, w, kAmpHash.size() + (n - i));
        w = std::copy(kAmpHash.begin(), kAmpHash.end(), w);
      } else {
        *w++ = static_cast<char>(c);
      }
      ++i;
      continue;
    }
    const codec_detail::Utf8Step st = codec_detail::utf8_step(u, i);
    if (!st.ok && strict) return false;
    const char32_t cp = st.ok ? codec_detail::utf8_code(u, i, st.len) : 0;
    const unsigned code = cp < 0x10000 ? codes[cp] : 0;
    if (code >= 0x100) {  // two bytes for at least two read
      *w++ = static_cast<char>(code >> 8);
      *w++ = static_cast<char>(code & 0xFF);
    } else if (code != 0) {
      *w++ = static_cast<char>(code);
    } else if (st.ok) {
      char ref[16];
      const int len = std::snprintf(ref, sizeof ref, "&#%u;", static_cast<unsigned>(cp));
      reserve_at(out, w, static_cast<std::size_t>(len) + (n - i));
      w = std::copy(ref, ref + len, w);
    } else {
      reserve_at(out, w, kGeta.size() + (n - i));
      w = std::copy(kGeta.begin(), kGeta.end(), w);
    }
    i += st.len;
  }
  out.resize(static_cast<std::size_t>(w - out.data()));
  return true;
}

// Text through iconv from cd's charset to UTF-8 into u (cleared first). An
// invalid byte becomes the geta mark and the next byte is read afresh; a
// sequence cut at the end becomes one geta mark. Returns false when either
// happened.
bool to_utf8(iconv_t cd, std::string_view in, std::string& u) {
  // iconv is handed the text a window at a time: a call may cost time in
  // proportion to what it is handed (checking tools read all of it), and
  // broken text takes one call per broken byte.
  constexpr std::size_t kWindow = 4096;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  u.assign(in.size() * 2 + 16, '\0');
  char* w = u.data();
  char* src = const_cast<char*>(in.data());
  const char* const end = in.data() + in.size();
  bool clean = true;
  while (src < end) {
    const char* const before = src;
    std::size_t left = std::min(kWindow, static_cast<std::size_t>(end - src));
    std::size_t room = u.size() - static_cast<std::size_t>(w - u.data());
    if (iconv(cd, &src, &left, &w, &room) != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) {
      reserve_at(u, w, 4 * kWindow + 16);
      continue;
    }
    // A sequence cut by the window is read again with the next one.
    if (errno == EINVAL && src + left < end && src != before) continue;
    reserve_at(u, w, kGetaUtf8.size());
    w = std::copy(kGetaUtf8.begin(), kGetaUtf8.end(), w);
    clean = false;
    if (errno == EINVAL && src + left == end) break;  // incomplete sequence at the end
    ++src;
  }
  // A stateful charset may owe a reset sequence; UTF-8 takes none, but the
  // call also ends any pending state.
  std::size_t room = u.size() - static_cast<std::size_t>(w - u.data());
  iconv(cd, nullptr, nullptr, &w, &room);
  u.resize(static_cast<std::size_t>(w - u.data()));
  return clean;
}

// Through iconv from `name` via UTF-8; false when iconv does not know it.
// clean, when given, tells whether every byte formed a character.
bool append_iconv(const std::string& name, std::string_view in, std::string& out, bool* clean = nullptr) {
  const iconv_t cd = to_utf8_cache().get(name);
  if (cd == kNoConverter) return false;
  std::string u;
  const bool whole = to_utf8(cd, in, u);
  if (clean) *clean = whole;
  std::string_view v = u;
  if (v.starts_with(kUtf8Bom)) v.remove_prefix(kUtf8Bom.size());
  append_utf8(v, out);
  return true;
}

// True when the line uses an escape of ISO-2022-JP-1, -2 or -3 that
// Jis_To_Sjis cannot convert; jisx0213 tells that one is JIS X 0213's.
bool exotic_escape(std::string_view line, bool& jisx0213) {
  bool any = false;
  jisx0213 = false;
  for (std::size_t i = line.find('\x1B'); i != std::string_view::npos; i = line.find('\x1B', i + 1)) {
    const std::string_view r = line.substr(i + 1);
    if (r.starts_with("$(O") || r.starts_with("$(Q") || r.starts_with("$(P")) {
      any = jisx0213 = true;
    } else if (r.starts_with("$(D") || r.starts_with("$A") || r.starts_with("$(C") || r.starts_with(".A") ||
               r.starts_with(".F") || r.starts_with("N")) {
      any = true;
    }
  }
  return any;
}

// The start of the line that holds position at: just after the last "\r" or
// "\n" before it, but no earlier than from.
std::size_t line_start(std::string_view text, std::size_t from, std::size_t at) {
  while (at > from && text[at - 1] != '\n' && text[at - 1] != '\r') --at;
  return at;
}

// The end of the line that holds position from: the first "\r" or "\n" at or
// after it, or text.size(). Sixteen bytes at a time: the lines of mail are
// short, and two library searches per line cost more than the line.
std::size_t line_end(std::string_view text, std::size_t from) {
  const char* const p = text.data();
  const std::size_t n = text.size();
  std::size_t i = from;
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const auto hit =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))));
    if (hit) return i + static_cast<std::size_t>(std::countr_zero(hit));
  }
#endif
  while (i < n && p[i] != '\r' && p[i] != '\n') ++i;
  return i;
}

// One line of ISO-2022-JP (without its line end) that holds an ESC.
// line_out is scratch room kept from line to line.
void append_jis_line(std::string_view line, std::string& line_out, std::string& out) {
  if (append_plain_jis_line(line, out)) return;
  bool jisx0213 = false;
  if (exotic_escape(line, jisx0213)) {
    if (!append_iconv(jisx0213 ? "ISO-2022-JP-3" : "ISO-2022-JP-2", line, out)) append_sjis_checked(line, out);
  } else {
    jis_to_sjis_to(line, line_out);
    append_sjis_checked(line_out, out, true);
  }
}

// ISO-2022-JP, a line at a time (see charsets.h). Lines end at "\r" or "\n"
// ("\r\n" is read as "\r" and an empty line ended by "\n"); the line ends
// pass as they stand. A line without ESC is Shift_JIS, and the check of
// Shift_JIS never looks past a line end, so the lines between two that hold
// an ESC are checked together, line ends and all, without a walk per line.
void append_jis(std::string_view text, std::string& out) {
  std::string line_out;
  std::size_t pos = 0;  // start of a line, the text before it written
  for (std::size_t esc = text.find('\x1B'); esc != std::string_view::npos; esc = text.find('\x1B', pos)) {
    // Most lines of such text hold an ESC: then there is nothing between.
    const std::size_t start = line_start(text, pos, esc);
    if (start > pos) append_sjis_checked(text.substr(pos, start - pos), out);
    const std::size_t end = line_end(text, esc);
    append_jis_line(text.substr(start, end - start), line_out, out);
    pos = end;
    if (pos < text.size()) out += text[pos++];
  }
  append_sjis_checked(text.substr(pos), out);
}

void append_detected(std::string_view bytes, std::string& out);

void append_as(Kind kind, std::string_view bytes, std::string& out) {
  switch (kind) {
    case Kind::Jis:
      return append_jis(bytes, out);
    case Kind::Sjis:
      append_sjis_checked(bytes, out);
      return;
    case Kind::Utf8:
      append_utf8(bytes.starts_with(kUtf8Bom) ? bytes.substr(kUtf8Bom.size()) : bytes, out);
      return;
    case Kind::Ascii:
      return append_ascii(bytes, out);
    case Kind::Detect:
    case Kind::Iconv:
      return append_detected(bytes, out);
  }
}

// The name iconv reads text under label l by. Without a byte order mark
// UTF-16 and UTF-32 are big-endian (iconv would take the machine's order).
std::string iconv_name(const Label& l, std::string_view bytes) {
  if (l.iconv_name == "utf-16" && !bytes.starts_with("\xFF\xFE") && !bytes.starts_with("\xFE\xFF")) return "UTF-16BE";
  if (l.iconv_name == "utf-32" && !bytes.starts_with(std::string_view("\xFF\xFE\0\0", 4)) &&
      !bytes.starts_with(std::string_view("\0\0\xFE\xFF", 4)))
    return "UTF-32BE";
  return l.iconv_name;
}

bool is_utf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    // Eight ASCII bytes at a time.
    if (i + 8 <= s.size()) {
      std::uint64_t w;
      std::memcpy(&w, s.data() + i, 8);
      if ((w & 0x8080808080808080u) == 0) {
        i += 8;
        continue;
      }
    }
    const codec_detail::Utf8Step st = codec_detail::utf8_step(s, i);
    if (!st.ok) return false;
    i += st.len;
  }
  return true;
}

// Shift_JIS that holds only characters of code page 932, none of its
// user-defined rows (lead bytes 0xF0-0xF9), which stand for no character
// anyone else can read: a Latin-1 "\xF6" before a letter forms such a pair.
bool valid_sjis(std::string_view s) {
  const cp932::PairTable& pairs = cp932::pair_table();
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80 || (c >= 0xA1 && c <= 0xDF)) {
      ++i;
    } else if (i + 1 < s.size() && (c < 0xF0 || c > 0xF9) && pairs.has(c, static_cast<unsigned char>(s[i + 1]))) {
      i += 2;
    } else {
      return false;
    }
  }
  return true;
}

void append_detected(std::string_view bytes, std::string& out) {
  const std::string_view name = detect_charset(bytes);
  if (name == "ISO-2022-JP") return append_jis(bytes, out);
  if (name == "UTF-8") return append_as(Kind::Utf8, bytes, out);
  if (name == "EUC-JP" && append_iconv("EUC-JP-MS", bytes, out)) return;
  if (name == "US-ASCII") return append_ascii(bytes, out);
  append_sjis_checked(bytes, out);
}

// Text under a Shift_JIS label. A mailer that sends UTF-8 under the label of
// its user's code (a UTF-8 body labelled Shift_JIS) gives text that is no
// Shift_JIS but well-formed UTF-8: it is read as UTF-8.
void append_sjis(std::string_view bytes, std::string& out) {
  const std::size_t start = out.size();
  if (append_sjis_checked(bytes, out) || !is_utf8(bytes)) return;
  out.resize(start);
  append_as(Kind::Utf8, bytes, out);
}

// Text under a label iconv reads (name, as l says). Text its label cannot
// explain is read as UTF-8 when it is well-formed UTF-8 (a UTF-8 body
// labelled GB2312); under a label that does not keep ASCII (UTF-16, UTF-7,
// EBCDIC) it is read as unlabelled text, so that at least its ASCII shows.
// 7-bit text without a NUL byte is no 16- or 32-bit form of Unicode: every
// line end and ASCII character of one holds a NUL byte, and most other
// characters an 8-bit byte.
bool no_wide_text(const Label& l, std::string_view bytes) {
  return l.wide && bytes.find('\0') == std::string_view::npos && sjis::is_ascii(bytes);
}

void append_labelled(const std::string& name, const Label& l, std::string_view bytes, std::string& out) {
  if (no_wide_text(l, bytes)) return append_detected(bytes, out);
  const std::size_t start = out.size();
  bool clean = true;
  if (!append_iconv(name, bytes, out, &clean)) return append_detected(bytes, out);
  if (clean) return;
  if (is_utf8(bytes)) {
    out.resize(start);
    append_as(Kind::Utf8, bytes, out);
  } else if (!l.ascii_compatible) {
    out.resize(start);
    append_detected(bytes, out);
  }
}

}  // namespace

std::string to_sjis(std::string_view bytes, std::string_view charset) {
  std::string out;
  to_sjis_to(bytes, charset, out);
  return out;
}

void to_sjis_to(std::string_view bytes, std::string_view charset, std::string& out) {
  out.clear();
  out.reserve(bytes.size());
  const Label l = classify(charset);
  const bool seven_bit = sjis::is_ascii(bytes);
  // 7-bit text with ISO-2022-JP escapes is ISO-2022-JP under any label that
  // keeps ASCII as it is.
  if (seven_bit && l.ascii_compatible && codec_detail::has_jis_escape(bytes)) {
    append_jis(bytes, out);
    return;
  }
  switch (l.kind) {
    case Kind::Detect:
      append_detected(bytes, out);
      break;
    case Kind::Ascii:
    case Kind::Jis:
      // 7-bit labels on 8-bit text say nothing.
      if (!seven_bit)
        append_detected(bytes, out);
      else
        append_as(l.kind, bytes, out);
      break;
    case Kind::Sjis:
      if (codec_detail::has_jis_escape(bytes))
        append_jis(bytes, out);
      else
        append_sjis(bytes, out);
      break;
    case Kind::Utf8:
      // Well-formed UTF-8 is converted as it is checked; other text is
      // read as unlabelled.
      if (!append_utf8(bytes.starts_with(kUtf8Bom) ? bytes.substr(kUtf8Bom.size()) : bytes, out, true)) {
        out.clear();
        append_detected(bytes, out);
      }
      break;
    case Kind::Iconv:
      if (seven_bit && l.ascii_compatible)
        append_ascii(bytes, out);
      else
        append_labelled(iconv_name(l, bytes), l, bytes, out);
      break;
  }
}

bool valid_in(std::string_view bytes, std::string_view charset) {
  const Label l = classify(charset);
  switch (l.kind) {
    case Kind::Detect:
      return false;
    case Kind::Ascii:
    case Kind::Jis:
      return sjis::is_ascii(bytes);
    case Kind::Utf8:
      return is_utf8(bytes);
    case Kind::Sjis:
      return valid_sjis(bytes);
    case Kind::Iconv:
      break;
  }
  if (no_wide_text(l, bytes)) return false;
  const iconv_t cd = to_utf8_cache().get(iconv_name(l, bytes));
  std::string u;
  return cd != kNoConverter && to_utf8(cd, bytes, u);
}

std::string raw_text_charset(std::string_view bytes, std::string_view fallback) {
  const Label l = classify(fallback);
  if (l.kind != Kind::Iconv || l.iconv_name == "EUC-JP-MS") return std::string(detect_charset(bytes));
  if (is_utf8(bytes)) return "UTF-8";
  if (valid_in(bytes, fallback) || !(valid_sjis(bytes) || valid_in(bytes, "EUC-JP"))) return std::string(fallback);
  return std::string(detect_charset(bytes));
}

char32_t sjis_reference_at(std::string_view s, std::size_t at, std::size_t& end) {
  if (s.substr(at, 2) != "&#") return 0;
  std::size_t k = at + 2;
  char32_t cp = 0;
  while (k < s.size() && k < at + 9 && s[k] >= '0' && s[k] <= '9') cp = cp * 10 + static_cast<char32_t>(s[k++] - '0');
  if (k == at + 2 || k >= s.size() || s[k] != ';' || cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000))
    return 0;
  end = k + 1;
  return cp;
}

std::string sjis_refs_to_utf8(std::string_view sjis) {
  if (sjis.find("&#") == std::string_view::npos) return cp932::to_utf8(sjis);
  std::string out;
  std::size_t from = 0;  // start of the Shift_JIS not yet converted
  // "&" is never the second byte of a Shift_JIS character.
  for (std::size_t at = sjis.find("&#"); at != std::string_view::npos; at = sjis.find("&#", at + 1)) {
    std::size_t end = 0;
    const char32_t cp = sjis_reference_at(sjis, at, end);
    if (cp == 0) continue;
    out += cp932::to_utf8(sjis.substr(from, at - from));
    put_utf8(out, cp);
    from = end;
    at = end - 1;  // the search goes on after the ";"
  }
  out += cp932::to_utf8(sjis.substr(from));
  return out;
}
