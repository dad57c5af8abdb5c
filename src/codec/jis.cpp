#include "codec/jis.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

#include "codec/cp932.h"

namespace {

constexpr unsigned char kEsc = 0x1B;

enum class Charset { Ascii, Kanji, Supplement, Kana };

// One JIS X 0208 pair to its Shift_JIS bytes; 0 for a byte that falls
// outside 0-255 (no byte of a pair that fits is 0). The lead byte depends on
// j1 alone, the second byte on j2 and whether j1 is odd.
constexpr unsigned sjis_lead(unsigned j1) { return (j1 + 1) / 2 + (j1 <= 94 ? 112 : 176); }
constexpr unsigned sjis_trail(unsigned j1, unsigned j2) {
  const unsigned s2 = (j1 % 2 == 1) ? j2 + 31 : j2 + 125;
  return s2 > 126 ? s2 + 1 : s2;
}

// The same for every byte value, looked up: a run of kanji is most of a
// Japanese line.
struct PairBytes {
  std::array<unsigned char, 256> lead;                  // by j1
  std::array<std::array<unsigned char, 256>, 2> trail;  // by j1 % 2, j2
};
constexpr PairBytes kPairBytes = [] {
  PairBytes t{};
  for (unsigned b = 0; b < 256; ++b) {
    t.lead[b] = static_cast<unsigned char>(sjis_lead(b) > 255 ? 0 : sjis_lead(b));
    for (unsigned odd = 0; odd < 2; ++odd)
      t.trail[odd][b] = static_cast<unsigned char>(sjis_trail(odd, b) > 255 ? 0 : sjis_trail(odd, b));
  }
  return t;
}();

// One JIS X 0208 pair to its Shift_JIS bytes at w; nothing when they do
// not fit a byte. Returns the end of what was written.
char* jis_pair_to_sjis(unsigned char j1, unsigned char j2, char* w) {
  const unsigned char s1 = kPairBytes.lead[j1];
  const unsigned char s2 = kPairBytes.trail[j1 % 2][j2];
  if (s1 == 0 || s2 == 0) return w;
  w[0] = static_cast<char>(s1);
  w[1] = static_cast<char>(s2);
  return w + 2;
}

// True when tail (the bytes up to the end of the line) is a proper beginning
// of the complete sequence full.
bool cut_off(std::string_view tail, std::string_view full) {
  return tail.size() < full.size() && full.substr(0, tail.size()) == tail;
}

// Reads the escape sequences at i, which switch set; an ESC with fewer than
// two bytes after it is text. A sequence cut off by the end of the line is
// copied to w as it stands, and i moves to the end.
void read_escapes(std::string_view line, std::size_t& i, Charset& set, char*& w) {
  const std::size_t n = line.size();
  while (i < n && static_cast<unsigned char>(line[i]) == kEsc && n - i > 2) {
    const unsigned char b1 = static_cast<unsigned char>(line[i + 1]);
    const unsigned char b2 = static_cast<unsigned char>(line[i + 2]);
    std::string_view rest = line.substr(i);
    if (b1 == '$' && (b2 == 'B' || b2 == '@')) {
      set = Charset::Kanji;
      i += 3;
    } else if (b1 == '(' && (b2 == 'B' || b2 == 'J')) {
      set = Charset::Ascii;
      i += 3;
    } else if (b1 == '(' && b2 == 'I') {
      set = Charset::Kana;
      i += 3;
    } else if (rest.starts_with("\x1B$(D")) {
      set = Charset::Supplement;
      i += 4;
    } else if (rest.starts_with("\x1B&@\x1B$B")) {
      set = Charset::Kanji;
      i += 6;
    } else if (cut_off(rest, "\x1B$(D") || cut_off(rest, "\x1B&@\x1B$B")) {
      // The line ends inside the sequence: keep the remnant as it stands.
      w = std::copy(rest.begin(), rest.end(), w);
      i = n;
    } else {
      ++i;  // unknown or malformed: drop the ESC, the rest is text
    }
  }
}

}  // namespace

std::string Jis_To_Sjis(std::string_view line) {
  std::string out;
  jis_to_sjis_to(line, out);
  return out;
}

void jis_to_sjis_to(std::string_view line, std::string& out) {
  out.clear();
  // Without an ESC nothing switches: Shift_JIS and ASCII lines pass as they are.
  if (line.find(static_cast<char>(kEsc)) == std::string_view::npos) {
    out.append(line);
    return;
  }
  // Every step writes at most the bytes it reads, so the text never
  // outgrows the line and is written straight into place.
  out.resize(line.size());
  char* const start = out.data();
  char* w = start;
  Charset set = Charset::Ascii;
  const std::size_t n = line.size();
  auto at = [&](std::size_t k) { return static_cast<unsigned char>(line[k]); };

  std::size_t i = 0;
  while (i < n) {
    read_escapes(line, i, set, w);
    if (i >= n) break;

    if (set == Charset::Kanji || set == Charset::Supplement) {
      if (i + 1 >= n) break;  // lone last byte of a cut pair: dropped
      if (set == Charset::Kanji) {
        // The whole run of pairs up to the next ESC.
        do {
          w = jis_pair_to_sjis(at(i), at(i + 1), w);
          i += 2;
        } while (i + 1 < n && at(i) != kEsc);
        continue;
      } else {
        *w++ = '\x81';  // geta mark
        *w++ = '\xAC';
      }
      i += 2;
    } else if (set == Charset::Ascii && at(i) != kEsc) {
      // A run of single-byte text up to the next ESC goes over as it is.
      const void* esc = std::memchr(line.data() + i, kEsc, n - i);
      const std::size_t stop = esc ? static_cast<std::size_t>(static_cast<const char*>(esc) - line.data()) : n;
      w = std::copy(line.data() + i, line.data() + stop, w);
      i = stop;
    } else {
      unsigned char c = at(i);
      if (set == Charset::Kana && c >= 0x21 && c <= 0x5F) c += 0x80;
      *w++ = static_cast<char>(c);
      ++i;
    }
  }
  out.resize(static_cast<std::size_t>(w - start));
}

namespace {

// The Shift_JIS bytes of every pair of 0x21-0x7E, or the geta mark where
// code page 932 lacks the pair: one lookup per pair in the common line.
struct PlainPairs {
  std::array<std::array<char, 2>, 94 * 94> bytes;
};

const PlainPairs& plain_pairs() {
  static const PlainPairs* const t = [] {
    auto* p = new PlainPairs;
    const cp932::PairTable& known = cp932::pair_table();
    for (unsigned j1 = 0x21; j1 <= 0x7E; ++j1)
      for (unsigned j2 = 0x21; j2 <= 0x7E; ++j2) {
        const unsigned char s1 = kPairBytes.lead[j1], s2 = kPairBytes.trail[j1 % 2][j2];
        const bool has = known.has(s1, s2);
        p->bytes[(j1 - 0x21) * 94 + (j2 - 0x21)] = {static_cast<char>(has ? s1 : 0x81),
                                                    static_cast<char>(has ? s2 : 0xAC)};
      }
    return p;
  }();
  return *t;
}

bool pair_byte(unsigned char c) { return c - 0x21u < 94u; }

// The run of pairs from p up to the next ESC or end, written at w; a lone
// last byte is dropped. Returns where the run ends, or nullptr at a byte
// that is no pair byte.
const unsigned char* plain_pair_run(const unsigned char* p, const unsigned char* end, char*& w) {
  const PlainPairs& pairs = plain_pairs();
  for (; end - p >= 2 && *p != kEsc; p += 2, w += 2) {
    if (!pair_byte(p[0]) || !pair_byte(p[1])) return nullptr;
    std::memcpy(w, pairs.bytes[(p[0] - 0x21u) * 94 + (p[1] - 0x21u)].data(), 2);
  }
  return end - p == 1 && *p != kEsc ? end : p;
}

}  // namespace

bool append_plain_jis_line(std::string_view line, std::string& out) {
  const std::size_t size = out.size();
  out.resize(size + line.size());  // no step writes more bytes than it reads
  char* const begin = out.data() + size;
  char* w = begin;
  const auto* p = reinterpret_cast<const unsigned char*>(line.data());
  const auto* const end = p + line.size();
  while (p && p < end) {
    if (*p == kEsc) {
      if (end - p < 3) break;
      if (p[1] == '$' && (p[2] == 'B' || p[2] == '@')) {
        p = plain_pair_run(p + 3, end, w);
      } else if (p[1] == '(' && (p[2] == 'B' || p[2] == 'J')) {
        p += 3;
      } else {
        break;
      }
    } else {
      if (*p >= 0x80 || *p == '&') break;
      *w++ = static_cast<char>(*p++);
    }
  }
  if (p != end) {
    out.resize(size);
    return false;
  }
  out.resize(size + static_cast<std::size_t>(w - begin));
  return true;
}
