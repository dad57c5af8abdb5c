#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "codec/group_chars.h"
#include "codec/transfer_codings.h"

namespace {

// Alphabet value of one character: 0-63, 64 for "=", -1 when outside the
// alphabet (every double-byte character), 0 for a missing character.
constexpr std::array<std::int8_t, 256> kValues = [] {
  std::array<std::int8_t, 256> t{};
  t.fill(-1);
  for (std::size_t k = 0; k < kBase64Alphabet.size(); ++k)
    t[static_cast<unsigned char>(kBase64Alphabet[k])] = static_cast<std::int8_t>(k);
  return t;
}();

// The value of a character (low six bits) already in its place among the 24
// bits of its group: character k of four shifted by 18 - 6k.
using Placed = std::array<std::array<std::uint32_t, 256>, 4>;
constexpr Placed kPlaced = [] {
  Placed t{};
  for (std::size_t k = 0; k < 4; ++k)
    for (std::size_t c = 0; c < 256; ++c) t[k][c] = static_cast<std::uint32_t>(kValues[c] & 63) << (18 - 6 * k);
  return t;
}();

// For base64_decode: the same placed values for the 64 data characters,
// kNotData for every other byte ("=", line ends, blanks, stray bytes), so
// that one test over a whole group tells whether it is four data characters.
constexpr std::uint32_t kNotData = std::uint32_t{1} << 31;
constexpr Placed kDataPlaced = [] {
  Placed t{};
  for (std::size_t k = 0; k < 4; ++k)
    for (std::size_t c = 0; c < 256; ++c) t[k][c] = kValues[c] >= 0 && kValues[c] < 64 ? kPlaced[k][c] : kNotData;
  return t;
}();

// The 24 bits of the four characters at p, kNotData set when one of them
// is no data character.
std::uint32_t group_bits(const unsigned char* p) {
  return kDataPlaced[0][p[0]] | kDataPlaced[1][p[1]] | kDataPlaced[2][p[2]] | kDataPlaced[3][p[3]];
}

// The three bytes of a group's 24 bits at w; returns the end.
char* put_group(std::uint32_t bits, char* w) {
  w[0] = static_cast<char>(bits >> 16);
  w[1] = static_cast<char>(bits >> 8);
  w[2] = static_cast<char>(bits);
  return w + 3;
}

// The six bytes of two groups at w, written as one store of eight; the two
// bytes after them are written over by what follows or cut off at the end.
// Needs eight bytes of room at w.
char* put_two_groups(std::uint32_t first, std::uint32_t second, char* w) {
  std::uint64_t bytes = std::uint64_t{first} << 40 | std::uint64_t{second} << 16;  // in reading order
  if constexpr (std::endian::native == std::endian::little) bytes = __builtin_bswap64(bytes);
  std::memcpy(w, &bytes, sizeof bytes);
  return w + 6;
}

// The body of a part is lines of whole groups: from p, where no group is
// begun, decodes groups of four data characters, two at a time where it
// can, and steps over line ends. Returns where something else comes (or
// end), so that the caller walks that character by character. Each group
// decodes as that walk would decode it, and the walk too skips CR, LF and
// the other control bytes below CR (none is in the alphabet). Two groups are
// written at once when eight more characters follow: the output holds three
// bytes for every four characters and three more, so eight bytes fit.
const unsigned char* decode_whole_groups(const unsigned char* p, const unsigned char* end, char*& w) {
  while (p < end) {
    if (*p <= '\r') {
      ++p;
      continue;
    }
    if (end - p >= 8) {
      const std::uint32_t first = group_bits(p), second = group_bits(p + 4);
      if (((first | second) & kNotData) == 0) {
        w = put_two_groups(first, second, w);
        p += 8;
        continue;
      }
    }
    if (end - p < 4) break;
    const std::uint32_t group = group_bits(p);
    if (group & kNotData) break;
    w = put_group(group, w);
    p += 4;
  }
  return p;
}

int b64_value(std::string_view ch) {
  if (ch.empty()) return 0;
  if (ch.size() != 1) return -1;
  return kValues[static_cast<unsigned char>(ch[0])];
}

struct Values {
  int a, b, c, d;
};

Values b64_values(const codec_detail::GroupChars& g) {
  return {b64_value(g.chars[0]), b64_value(g.chars[1]), b64_value(g.chars[2]), b64_value(g.chars[3])};
}

}  // namespace

GroupBytes B64_Text_Group(std::string_view group) {
  const codec_detail::GroupChars g = codec_detail::split_group(group);
  const Values v = b64_values(g);
  // Values are taken as their low 8 bits where halves of a byte are joined, so
  // -1 contributes set bits; d joins unreduced and -1 there makes the byte -1.
  const int first = ((v.a & 63) << 2) | ((v.b & 0xFF) >> 4);
  const int second = ((v.b & 15) << 4) | ((v.c & 0xFF) >> 2);
  const int third = ((v.c & 3) << 6) | v.d;
  GroupBytes r;
  for (int byte : {first, second, third})
    if (byte > 0) r.bytes += static_cast<char>(byte);
  r.count = codec_detail::group_byte_count(g);
  return r;
}

GroupBytes B64_Bin_Group(std::string_view group) {
  const codec_detail::GroupChars g = codec_detail::split_group(group);
  const Values v = b64_values(g);
  const int a = v.a & 63, b = v.b & 63, c = v.c & 63, d = v.d & 63;
  GroupBytes r;
  r.bytes += static_cast<char>((a << 2) | (b >> 4));
  r.bytes += static_cast<char>(((b & 15) << 4) | (c >> 2));
  r.bytes += static_cast<char>(((c & 3) << 6) | d);
  r.count = codec_detail::group_byte_count(g);
  return r;
}

std::string B64_Line(std::string_view line) {
  std::string out;
  b64_line_append(line, out);
  return out;
}

void b64_line_append(std::string_view line, std::string& out) {
  const std::size_t start = out.size();
  out.resize(start + line.size() / 4 * 3 + 3);
  char* w = out.data() + start;
  // Four single-byte characters at g, decoded in place.
  auto put_group = [&w](const char* g) {
    auto at = [g](int k) { return static_cast<unsigned char>(g[k]); };
    const std::uint32_t bits = kPlaced[0][at(0)] | kPlaced[1][at(1)] | kPlaced[2][at(2)] | kPlaced[3][at(3)];
    w[0] = static_cast<char>(bits >> 16);
    w[1] = static_cast<char>(bits >> 8);
    w[2] = static_cast<char>(bits);
    w += g[3] != '=' ? 3 : g[2] != '=' ? 2 : 1;
  };
  std::size_t pos = 0;
  // No double-byte character anywhere (the usual line): every full group is
  // four bytes, and nothing needs looking at.
  if (sjis::is_ascii(line))
    for (; pos + 4 <= line.size(); pos += 4) put_group(line.data() + pos);
  while (pos < line.size()) {
    const char* g = line.data() + pos;
    if (pos + 4 <= line.size() && !sjis::is_lead(static_cast<unsigned char>(g[0])) &&
        !sjis::is_lead(static_cast<unsigned char>(g[1])) && !sjis::is_lead(static_cast<unsigned char>(g[2])) &&
        !sjis::is_lead(static_cast<unsigned char>(g[3]))) {
      put_group(g);
      pos += 4;
      continue;
    }
    // A group holding a double-byte character is as long as its characters;
    // it never decodes to more bytes than its share of the line allows.
    GroupBytes gb = B64_Bin_Group(codec_detail::next_group(line, pos));
    const std::size_t n = static_cast<std::size_t>(gb.count);
    w = std::copy_n(gb.bytes.data(), n, w);
  }
  out.resize(static_cast<std::size_t>(w - out.data()));
}

std::string base64_decode(std::string_view text) {
  std::string out(text.size() / 4 * 3 + 3, '\0');
  char* w = out.data();
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* const end = p + text.size();
  std::uint32_t bits = 0;
  int have = 0;
  while (p < end) {
    if (have == 0) {
      p = decode_whole_groups(p, end, w);
      if (p == end) break;
    }
    const int v = kValues[*p++];
    if (v < 0) continue;  // blanks, anything else
    if (v == 64) break;   // "=": the data have ended
    bits = (bits << 6) | static_cast<std::uint32_t>(v);
    if (++have == 4) {
      w = put_group(bits, w);
      bits = 0;
      have = 0;
    }
  }
  // A short last group gives the bytes its bits fill: 2 or 3 characters.
  if (have >= 2) *w++ = static_cast<char>(bits >> (6 * have - 8));
  if (have == 3) *w++ = static_cast<char>(bits >> 2);
  out.resize(static_cast<std::size_t>(w - out.data()));
  return out;
}
