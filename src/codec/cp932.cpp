#include "codec/cp932.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "codec/sjis_text.h"
#include "codec/utf8_out.h"

namespace cp932 {
namespace {

// One iconv descriptor per direction, kept for the life of the program.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv: code page 932 is not available");
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts in; an invalid or unconvertible input sequence of `skip` bytes is
  // replaced by `repl`. Returns false when anything had to be replaced.
  bool run(std::string_view in, std::string& out, std::string_view repl, bool utf8_in) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    out.clear();
    bool clean = true;
    char* src = const_cast<char*>(in.data());
    std::size_t src_left = in.size();
    char buf[4096];
    while (src_left > 0) {
      char* dst = buf;
      std::size_t dst_left = sizeof buf;
      std::size_t r = iconv(cd_, &src, &src_left, &dst, &dst_left);
      out.append(buf, dst - buf);
      if (r == static_cast<std::size_t>(-1)) {
        if (errno == E2BIG) continue;
        clean = false;
        out.append(repl);
        // Skip one character of the input: a UTF-8 sequence (its lead byte and
        // the continuation bytes that follow, at most as many as the lead byte
        // announces), or one byte of Shift_JIS, two when a lead byte is followed
        // by a byte that can be its second. A byte that cannot belong to the
        // broken character (an ASCII byte after it) is kept for the next round.
        std::size_t skip = 1;
        unsigned char c = static_cast<unsigned char>(*src);
        if (utf8_in) {
          if (c >= 0xC0) {
            const std::size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
            while (skip < len && skip < src_left && (static_cast<unsigned char>(src[skip]) & 0xC0) == 0x80) ++skip;
          }
        } else if (((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) && src_left >= 2) {
          const unsigned char t = static_cast<unsigned char>(src[1]);
          if ((t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFC)) skip = 2;
        }
        src += skip;
        src_left -= skip;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      } else if (r > 0) {
        // glibc counts irreversible conversions here; they still converted.
      }
    }
    return clean;
  }

 private:
  iconv_t cd_;
};

// A conversion descriptor keeps state between calls, so each thread has its own.
Converter& to_sjis() {
  thread_local Converter c("CP932", "UTF-8");
  return c;
}
Converter& from_sjis() {
  thread_local Converter c("UTF-8", "CP932");
  return c;
}

// The code points iconv reads the pairs of one lead byte as, with kNoCode
// for a pair it refuses: the whole row in one conversion to UTF-32, a
// refused pair replaced by four bytes no code point has. Empty when the row
// does not come out as one code point a pair.
constexpr char32_t kNoCode = 0xFFFFFFFF;

std::vector<char32_t> read_row(Converter& decode, unsigned lead, const std::vector<unsigned char>& trails) {
  std::string in, u;
  for (unsigned char trail : trails) {
    in += static_cast<char>(lead);
    in += static_cast<char>(trail);
  }
  decode.run(in, u, std::string_view("\xFF\xFF\xFF\xFF", 4), false);
  if (u.size() != 4 * trails.size()) return {};
  std::vector<char32_t> row(trails.size());
  for (std::size_t k = 0; k < row.size(); ++k)
    for (int b = 3; b >= 0; --b)
      row[k] = row[k] << 8 | static_cast<unsigned char>(u[4 * k + static_cast<std::size_t>(b)]);
  return row;
}

// Every byte that can follow a lead byte.
std::vector<unsigned char> all_trails() {
  std::vector<unsigned char> trails;
  for (unsigned trail = 0x40; trail <= 0xFC; ++trail)
    if (trail != 0x7F) trails.push_back(static_cast<unsigned char>(trail));
  return trails;
}

PairTable read_pairs() {
  PairTable pairs;
  Converter decode("UTF-32LE", "CP932");
  Converter conv("UTF-8", "CP932");
  std::string out;
  const std::vector<unsigned char> trails = all_trails();
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead >= 0xA0 && lead < 0xE0) continue;
    const std::vector<char32_t> row = read_row(decode, lead, trails);
    for (std::size_t k = 0; k < trails.size(); ++k) {
      const unsigned char trail = trails[k];
      if (!row.empty()) {
        if (row[k] != kNoCode) pairs.add(static_cast<unsigned char>(lead), trail);
        continue;
      }
      // A row that did not come out whole: each pair on its own.
      const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      if (conv.run(std::string_view(pair, 2), out, "", false) && !out.empty())
        pairs.add(static_cast<unsigned char>(lead), trail);
    }
  }
  return pairs;
}

// Code page 932 codes by BMP code point: every character that code page 932
// reads, then the code iconv chooses for it (of NEC and IBM twins, the one
// iconv writes), and the few characters iconv writes one way only.
using CodeTable = std::array<std::uint16_t, 0x10000>;

CodeTable read_codes() {
  CodeTable codes{};
  Converter decode("UTF-32LE", "CP932");
  Converter encode("CP932", "UTF-32LE");
  std::string u, back;
  auto code_of = [&](char32_t cp) -> std::uint16_t {
    char in[4];
    for (int k = 0; k < 4; ++k) in[k] = static_cast<char>((cp >> (8 * k)) & 0xFF);
    if (!encode.run(std::string_view(in, 4), back, "", false) || back.empty() || back.size() > 2) return 0;
    const unsigned c0 = static_cast<unsigned char>(back[0]);
    return static_cast<std::uint16_t>(back.size() == 1 ? c0 : c0 << 8 | static_cast<unsigned char>(back[1]));
  };
  auto add = [&](std::string_view sjis) {
    if (!decode.run(sjis, u, "", false) || u.size() != 4) return;
    char32_t cp = 0;
    for (int k = 3; k >= 0; --k) cp = cp << 8 | static_cast<unsigned char>(u[static_cast<std::size_t>(k)]);
    if (cp < codes.size() && codes[cp] == 0) codes[cp] = code_of(cp);
  };
  for (unsigned c = 1; c < 0x100; ++c) {
    if (c >= 0x80 && !(c >= 0xA1 && c <= 0xDF)) continue;
    const char b = static_cast<char>(c);
    add(std::string_view(&b, 1));
  }
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead >= 0xA0 && lead < 0xE0) continue;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      if (trail != 0x7F) add(std::string_view(pair, 2));
    }
  }
  for (char32_t cp : {0x00A2, 0x00A3, 0x00AC, 0x2014, 0x2016, 0x2212, 0x301C}) codes[cp] = code_of(cp);
  codes[0x00A5] = codes[0x203E] = 0;
  return codes;
}

}  // namespace

const std::uint16_t* bmp_codes() {
  static const CodeTable codes = read_codes();
  return codes.data();
}

unsigned from_code_point(char32_t cp) { return cp < 0x10000 ? bmp_codes()[cp] : 0; }

const PairTable& pair_table() {
  static const PairTable pairs = read_pairs();
  return pairs;
}

bool is_pair(unsigned char lead, unsigned char trail) { return pair_table().has(lead, trail); }

std::string from_utf8(std::string_view utf8) {
  std::string out;
  to_sjis().run(utf8, out, "?", true);
  return out;
}

std::optional<std::string> from_utf8_exact(std::string_view utf8) {
  std::string out;
  if (!to_sjis().run(utf8, out, "?", true)) return std::nullopt;
  return out;
}

namespace {

// What iconv reads each character of code page 932 as, read from it once:
// a single byte alone, a pair by lead * 256 + trail; kNoChar where iconv
// reads no one character (a lead byte alone, a byte or pair it refuses).
constexpr char32_t kNoChar = 0xFFFFFFFF;
struct DecodeTable {
  std::array<char32_t, 0x100> single;
  std::array<char32_t, 0x10000> pair;
};

char32_t read_one(Converter& c, std::string_view sjis) {
  std::string u;
  if (!c.run(sjis, u, "", false) || u.size() != 4) return kNoChar;
  char32_t cp = 0;
  for (int k = 3; k >= 0; --k) cp = cp << 8 | static_cast<unsigned char>(u[static_cast<std::size_t>(k)]);
  return cp;
}

std::unique_ptr<DecodeTable> read_decode_table() {
  auto t = std::make_unique<DecodeTable>();
  t->single.fill(kNoChar);
  t->pair.fill(kNoChar);
  Converter decode("UTF-32LE", "CP932");
  for (unsigned c = 0; c < 0x100; ++c) {
    const char b = static_cast<char>(c);
    t->single[c] = read_one(decode, std::string_view(&b, 1));
  }
  const PairTable& pairs = pair_table();
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    std::vector<unsigned char> trails;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail)
      if (pairs.has(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)))
        trails.push_back(static_cast<unsigned char>(trail));
    if (trails.empty()) continue;
    // The row in one conversion; each pair on its own when it does not come
    // out as one code point a pair.
    const std::vector<char32_t> row = read_row(decode, lead, trails);
    for (std::size_t k = 0; k < trails.size(); ++k) {
      const char pair[2] = {static_cast<char>(lead), static_cast<char>(trails[k])};
      t->pair[lead << 8 | trails[k]] =
          row.empty() || row[k] == kNoCode ? read_one(decode, std::string_view(pair, 2)) : row[k];
    }
  }
  return t;
}

const DecodeTable& decode_table() {
  static const std::unique_ptr<DecodeTable> t = read_decode_table();
  return *t;
}

// Text of characters the table knows, converted by it; false (out
// unspecified) at the first byte it does not know, which iconv then takes.
bool table_to_utf8(std::string_view sjis, std::string& out) {
  const DecodeTable& t = decode_table();
  // A byte gives at most three bytes of UTF-8 (a half-width katakana).
  out.resize(sjis.size() * 3);
  char* w = out.data();
  for (std::size_t i = 0; i < sjis.size();) {
    const auto c = static_cast<unsigned char>(sjis[i]);
    char32_t cp = kNoChar;
    if (i + 1 < sjis.size()) cp = t.pair[c << 8 | static_cast<unsigned char>(sjis[i + 1])];
    std::size_t n = 2;
    if (cp == kNoChar) {
      cp = t.single[c];
      n = 1;
    }
    if (cp == kNoChar) return false;
    w += put_utf8(w, cp);
    i += n;
  }
  out.resize(static_cast<std::size_t>(w - out.data()));
  return true;
}

}  // namespace

char32_t pair_char(unsigned char lead, unsigned char trail) {
  const char32_t cp = decode_table().pair[static_cast<unsigned>(lead) << 8 | trail];
  return cp == kNoChar ? 0 : cp;
}

std::string to_utf8(std::string_view sjis) {
  // ASCII is itself in UTF-8: a run that converts only folder names of
  // ASCII (the history) never builds the table.
  if (sjis::is_ascii(sjis)) return std::string(sjis);
  std::string out;
  if (table_to_utf8(sjis, out)) return out;
  from_sjis().run(sjis, out, "\xEF\xBF\xBD", false);
  return out;
}

bool round_trips(std::string_view sjis) {
  std::string u, back;
  if (!from_sjis().run(sjis, u, "", false)) return false;
  to_sjis().run(u, back, "", true);
  return back == sjis;
}

}  // namespace cp932
